// SPDX-License-Identifier: MIT
// Copyright (c) 2026 The ornsys authors
// regular-file.h - reads a whole regular file into memory. A directory, a
// device or a FIFO is refused: reading one would give nothing, block, or
// never end, and the caller would carry on with a wrong board.
#pragma once

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <string>

namespace ornsim_files {

enum class ReadResult { kRead, kFailed, kTooLong };

// Appends the file's bytes to `out`. On failure `error` gives the reason (an
// errno text, "is a directory", "not a regular file", "longer than N bytes").
inline ReadResult ReadFileUpTo(const std::string& path, std::string& out, std::string& error, size_t most) {
    int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0) {
        error = strerror(errno);
        return ReadResult::kFailed;
    }
    struct stat st {};
    bool ok = fstat(fd, &st) == 0;
    if (!ok) error = strerror(errno);
    else if (!S_ISREG(st.st_mode)) {
        ok = false;
        error = S_ISDIR(st.st_mode) ? "is a directory" : "not a regular file";
    }
    char chunk[65536];
    size_t total = 0;
    bool tooLong = false;
    while (ok) {
        ssize_t n = read(fd, chunk, sizeof chunk);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) {
            ok = false;
            error = strerror(errno);
        } else if (n == 0) {
            break;
        } else if ((total += size_t(n)) > most) {
            ok = false;
            tooLong = true;
            error = "longer than " + std::to_string(most) + " bytes";
        } else {
            out.append(chunk, size_t(n));
        }
    }
    close(fd);
    return ok ? ReadResult::kRead : tooLong ? ReadResult::kTooLong : ReadResult::kFailed;
}

inline bool ReadRegularFile(const std::string& path, std::string& out, std::string& error) {
    return ReadFileUpTo(path, out, error, size_t(-1)) == ReadResult::kRead;
}

}  // namespace ornsim_files
