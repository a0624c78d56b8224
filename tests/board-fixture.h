// SPDX-License-Identifier: MIT
// Copyright (c) 2026 The ornsys authors
// A test fixture that gives each test its own virtual board, trace and
// state files, and reads back which firmware calls were made.
#pragma once

#include <fcntl.h>
#include <gtest/gtest.h>
#include <linux/audit.h>
#include <linux/filter.h>
#include <linux/seccomp.h>
#include <signal.h>
#include <stddef.h>
#include <stdlib.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <ucontext.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

#include "board.h"
#include "ornsyslx.h"

// The descriptors open in this process, counted without allocating (a
// child may have no address space to spare).
inline int OpenDescriptors() {
    int count = 0;
    for (int fd = 0; fd < 1024; ++fd) count += fcntl(fd, F_GETFD) >= 0;
    return count;
}

// How a child that ran `body` ended (its exit status, or 128 + the signal)
// and what it wrote to standard error.
struct ChildOutcome {
    int code = -1;
    std::string said;
};
inline ChildOutcome RunInChild(const std::function<int()>& body) {
    ChildOutcome outcome;
    int said[2];
    if (pipe(said) != 0) return outcome;
    const pid_t child = fork();
    if (child == 0) {
        close(said[0]);
        dup2(said[1], 2);
        _exit(body());
    }
    close(said[1]);
    char piece[512];
    for (ssize_t n; (n = read(said[0], piece, sizeof piece)) > 0;) outcome.said.append(piece, size_t(n));
    close(said[0]);
    int status = 0;
    waitpid(child, &status, 0);
    outcome.code = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    return outcome;
}

// How many calls RefuseCall's filter has refused, when asked to count them.
// Lock-free atomics: the counting handler runs as a signal handler.
inline std::atomic<int> refusedCalls = 0;
inline std::atomic<int> refusalError = 0;

// Makes this process's system call `number` fail with `error` when its
// argument `flagsArg` holds every bit of `flags` (with no flags, every such
// call); a seccomp filter for the build's own architecture, other calls go
// through. Counted, each refusal traps to a handler that counts it and
// returns the error as the call's result.
inline bool RefuseCall(unsigned number, unsigned flagsArg, unsigned flags, int error, bool counted = false) {
    constexpr unsigned kArch = sizeof(void*) == 8 ? AUDIT_ARCH_X86_64 : AUDIT_ARCH_I386;
    sock_filter program[] = {
        BPF_STMT(BPF_LD | BPF_W | BPF_ABS, offsetof(seccomp_data, arch)),
        BPF_JUMP(BPF_JMP | BPF_JEQ | BPF_K, kArch, 0, 5),
        BPF_STMT(BPF_LD | BPF_W | BPF_ABS, offsetof(seccomp_data, nr)),
        BPF_JUMP(BPF_JMP | BPF_JEQ | BPF_K, number, 0, 3),
        BPF_STMT(BPF_LD | BPF_W | BPF_ABS, unsigned(offsetof(seccomp_data, args) + 8 * flagsArg)),
        BPF_STMT(BPF_ALU | BPF_AND | BPF_K, flags),
        BPF_JUMP(BPF_JMP | BPF_JEQ | BPF_K, flags, 1, 0),
        BPF_STMT(BPF_RET | BPF_K, SECCOMP_RET_ALLOW),
        BPF_STMT(BPF_RET | BPF_K, counted ? SECCOMP_RET_TRAP : SECCOMP_RET_ERRNO | unsigned(error)),
    };
    if (counted) {
        refusedCalls = 0;
        refusalError = error;
        struct sigaction trap {};
        trap.sa_flags = SA_SIGINFO;
        trap.sa_sigaction = [](int, siginfo_t*, void* context) {
            ++refusedCalls;
            auto& registers = static_cast<ucontext_t*>(context)->uc_mcontext.gregs;
#if defined(__x86_64__)
            registers[REG_RAX] = -refusalError;
#else
            registers[REG_EAX] = -refusalError;
#endif
        };
        if (sigaction(SIGSYS, &trap, nullptr) != 0) return false;
    }
    const sock_fprog filter{sizeof program / sizeof program[0], program};
    return prctl(PR_SET_NO_NEW_PRIVS, 1, 0, 0, 0) == 0 && prctl(PR_SET_SECCOMP, SECCOMP_MODE_FILTER, &filter) == 0;
}

class BoardTest : public ::testing::Test {
protected:
    void SetUp() override {
        char dir[] = "/tmp/ornsys-test-XXXXXX";
        ASSERT_NE(mkdtemp(dir), nullptr);
        dir_ = dir;
        unsetenv("ORNSIM_BOARD");
        unsetenv("ORNSIM_STATE");
        setenv("ORNSIM_TRACE", Path("trace").c_str(), 1);
        const char* backend = getenv("ORNSYS_BACKEND");
        backend_ = backend ? backend : "";
    }

    void TearDown() override {
        OrnClose();  // FALSE when it is closed already
        unsetenv("ORNSIM_BOARD");
        unsetenv("ORNSIM_STATE");
        unsetenv("ORNSIM_TRACE");
        unsetenv("ORNSYS_DEBUG");  // a test may ask for the library's reasons
        unsetenv("ORNSYS_TEST_NO_BOARD_LOCK");
        unsetenv("ORN_FIRMWARE_IMAGE");  // or name an image
        UseTestBackend();  // or for another backend
        std::error_code error;  // no shell: the system stage's guest has none
        std::filesystem::remove_all(dir_, error);
        EXPECT_FALSE(error) << dir_ << ": " << error.message();
    }

    std::string Path(const std::string& name) const { return dir_ + "/" + name; }

    // The backend the tests run on, as the test run named it.
    void UseTestBackend() const { setenv("ORNSYS_BACKEND", backend_.c_str(), 1); }

    // The default board with `extra` appended (fault rules, further sections).
    void UseBoard(const std::string& extra, bool fromDefault = true) {
        std::ofstream(Path("test.board")) << (fromDefault ? ornsim_board::kDefaultBoard : "") << '\n' << extra;
        setenv("ORNSIM_BOARD", Path("test.board").c_str(), 1);
    }

    std::vector<std::string> Trace(const char* prefix = "") const {
        std::ifstream in(Path("trace"));
        std::vector<std::string> lines;
        for (std::string line; std::getline(in, line);)
            if (line.rfind(prefix, 0) == 0) lines.push_back(line);
        return lines;
    }
    std::vector<std::string> Calls() const { return Trace("call "); }
    // The names in the test's folder, sorted.
    std::vector<std::string> Files() const {
        std::vector<std::string> names;
        for (const auto& entry : std::filesystem::directory_iterator(dir_))
            names.push_back(entry.path().filename().string());
        std::sort(names.begin(), names.end());
        return names;
    }
    void ClearTrace() const { std::ofstream(Path("trace"), std::ios::trunc); }

    static DWORD LastError() {
        DWORD code = 0xDEAD;
        OrnGetLastError(&code, nullptr, 0);
        return code;
    }

private:
    std::string dir_, backend_;
};
