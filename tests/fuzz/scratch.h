// SPDX-License-Identifier: MIT
// Copyright (c) 2026 The ornsys authors
// scratch.h - a private folder for a fuzz target's files, made once per
// process and emptied between inputs, so that nothing an input names can
// reach outside it.
#pragma once

#include <stdlib.h>
#include <unistd.h>

#include <filesystem>
#include <string>

namespace fuzz {

inline const std::string& ScratchFolder() {
    static const std::string folder = [] {
        std::string pattern = std::filesystem::temp_directory_path().string() + "/ornsys-fuzz-XXXXXX";
        if (mkdtemp(pattern.data()) == nullptr) abort();
        return pattern;
    }();
    return folder;
}

inline std::string ScratchPath(const char* name) { return ScratchFolder() + "/" + name; }

// Removes everything the last input left in the folder.
inline void EmptyScratch() {
    std::error_code ignored;
    for (const auto& entry : std::filesystem::directory_iterator(ScratchFolder(), ignored))
        std::filesystem::remove_all(entry.path(), ignored);
}

}  // namespace fuzz
