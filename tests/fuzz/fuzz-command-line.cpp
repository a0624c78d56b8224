// SPDX-License-Identifier: MIT
// Copyright (c) 2026 The ornsys authors
// Fuzzes the tool's command line in-process: the input is split into words
// (at NUL bytes and line ends), the frame checks and dispatches them on the
// default board. The tool's usage exits unwind back here instead of ending
// the fuzzer; files it writes or reads stay in a scratch folder.
#include <fcntl.h>
#include <stdlib.h>
#include <unistd.h>

#include <algorithm>
#include <string>
#include <vector>

#include "internal.h"
#include "scratch.h"
#include "utest.h"

namespace {

struct ToolExit {
    int status;
};

[[noreturn]] void ThrowExit(int status) { throw ToolExit{status}; }

std::vector<std::string> Words(const uint8_t* bytes, size_t size) {
    std::vector<std::string> words(1);
    for (size_t i = 0; i < size && words.size() <= 12; ++i) {
        char c = char(bytes[i]);
        if (c == '\0' || c == '\n') words.emplace_back();
        else words.back() += c == '/' ? '_' : c;  // no way out of the scratch folder
    }
    return words;
}

}  // namespace

// A command line may ask for buffers of up to 4 GiB; here such a request
// fails as it can on a board, so the tool's allocation-failure paths run too.
extern "C" const char* __asan_default_options() { return "allocator_may_return_null=1:max_allocation_size_mb=64"; }

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    unsetenv("ORNSIM_BOARD");
    unsetenv("ORNSIM_STATE");
    unsetenv("ORNSIM_TRACE");
    if (chdir(fuzz::ScratchFolder().c_str()) != 0) abort();
    // The tool's results are not what is looked at: only that it survives.
    int null = open("/dev/null", O_WRONLY);
    dup2(null, STDOUT_FILENO);
    close(null);
    utExitHook = ThrowExit;
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* bytes, size_t size) {
    std::vector<std::string> words = Words(bytes, size);
    std::vector<char*> argv{const_cast<char*>("ornsys")};
    for (auto& word : words) argv.push_back(word.data());
    argv.push_back(nullptr);
    const int argc = int(argv.size() - 1);
    try {
        utCheckArgs(argc, argv.data());
        utCatDispatch(argc, argv.data());
    } catch (const ToolExit&) {
    }
    // A usage exit can come after the library was opened; the next input
    // starts from a closed one, as the next process would.
    if (bInit) OrnClose();
    utReleaseBuffers();
    fflush(stdout);
    fuzz::EmptyScratch();
    return 0;
}
