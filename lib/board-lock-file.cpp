// SPDX-License-Identifier: MIT
// Copyright (c) 2026 The ornsys authors
//
// The real board's lock file. It lives in a folder of root's that no one
// else may write, so no other user can make it first, forge its word, hold
// its presence bytes or remove it; processes that share it never see two
// files, since nothing but a root process replaces it, and that only when
// what is there is not a lock file.
#include "board-lock-file.h"

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <climits>

#include "backend.h"
#include "debug.h"
#include "internal.h"

namespace orn {

namespace {

const char* Kind(mode_t mode) {
    if (S_ISREG(mode)) return "a file";
    if (S_ISLNK(mode)) return "a symlink";
    if (S_ISFIFO(mode)) return "a FIFO";
    if (S_ISDIR(mode)) return "a folder";
    if (S_ISSOCK(mode)) return "a socket";
    return "a device";
}

// "what where", for a debug line's step.
struct Step {
    char text[PATH_MAX + 64];
    Step(const char* what, const char* where) { snprintf(text, sizeof text, "%s %s", what, where); }
};

bool FolderIsRootsAlone(int dir, const char* folder) {
    struct stat st {};
    if (fstat(dir, &st) != 0) {
        DebugStep(Step("the board's lock folder", folder).text, 0, strerror(errno));
        return false;
    }
    const bool othersWrite = (st.st_mode & (S_IWGRP | S_IWOTH)) != 0 && (st.st_mode & S_ISVTX) == 0;
    if (st.st_uid == 0 && !othersWrite) return true;
    char why[160];
    snprintf(why, sizeof why, "it is owned by uid %u, mode %04o: other users could replace the lock in it",
             unsigned(st.st_uid), unsigned(st.st_mode & 07777));
    DebugStep(Step("the board's lock folder", folder).text, 0, why);
    return false;
}

// What is at the name, if it may serve as the lock: a regular file of root's
// that no one else may read or write, linked nowhere else.
bool IsLockFile(const struct stat& st) {
    return S_ISREG(st.st_mode) && st.st_uid == 0 && (st.st_mode & 07777) == 0600 && st.st_nlink == 1;
}

}  // namespace

board_lock::Area* OpenBoardLockFile(const char* folder, int& fd) {
    fd = -1;
    char where[PATH_MAX];
    snprintf(where, sizeof where, "%s/%s", folder, kBoardLockName);
    const bool madeFolder = mkdir(folder, 0755) == 0;
    if (!madeFolder && errno != EEXIST) {
        DebugStep(Step("making the board's lock folder", folder).text, 0, strerror(errno));
        return nullptr;
    }
    int dir = open(folder, O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (dir < 0) {
        DebugStep(Step("opening the board's lock folder", folder).text, 0,
                  errno == ELOOP || errno == ENOTDIR ? "it is not a folder" : strerror(errno));
        return nullptr;
    }
    // The modes are set, not left to the caller's umask: the umask is the
    // whole process's, so changing it would reach files other threads make.
    if (madeFolder) fchmod(dir, 0755);
    if (!FolderIsRootsAlone(dir, folder)) {
        close(dir);
        return nullptr;
    }
    // A few rounds: another root process may be replacing the same thing.
    constexpr int kLooks = 4;
    for (int round = 0; round < kLooks && fd < 0; ++round) {
        // Made with nothing there, never through a symlink, never waiting
        // on a FIFO; a device or socket is refused before it is opened.
        struct stat there {};
        const bool exists = fstatat(dir, kBoardLockName, &there, AT_SYMLINK_NOFOLLOW) == 0;
        if (!exists || IsLockFile(there)) {
            int opened = openat(dir, kBoardLockName,
                                O_RDWR | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | (exists ? 0 : O_CREAT | O_EXCL),
                                0600);
            if (opened >= 0 && !exists) fchmod(opened, 0600);
            struct stat st {};
            if (opened >= 0 && fstat(opened, &st) == 0 && IsLockFile(st)) {
                fd = opened;
                break;
            }
            if (opened >= 0) close(opened);
            if (opened < 0 && errno != EEXIST && errno != ENOENT && errno != ELOOP) {
                DebugStep(Step("opening the board's lock", where).text, 0, strerror(errno));
                close(dir);
                return nullptr;  // said why: not a place taken by something else
            }
            continue;  // changed under us: look again
        }
        char what[PATH_MAX + 200];
        snprintf(what, sizeof what,
                 "%s stood in the board lock's place (%s of uid %u, mode %04o, %lu links); it is removed and "
                 "the lock made anew",
                 where, Kind(there.st_mode), unsigned(there.st_uid), unsigned(there.st_mode & 07777),
                 static_cast<unsigned long>(there.st_nlink));
        DebugNote(what);
        struct stat still {};
        if (fstatat(dir, kBoardLockName, &still, AT_SYMLINK_NOFOLLOW) == 0 && still.st_ino == there.st_ino &&
            still.st_dev == there.st_dev)
            unlinkat(dir, kBoardLockName, S_ISDIR(there.st_mode) ? AT_REMOVEDIR : 0);
    }
    close(dir);
    if (fd < 0) {
        char changed[80];
        snprintf(changed, sizeof changed, "its place changed at each of %d looks; something else keeps it", kLooks);
        DebugStep(Step("making the board's lock", where).text, 0, changed);
        return nullptr;
    }
    // A file another root process has just made may be empty yet; growing
    // it to the area's size leaves any bytes already there alone.
    struct stat st {};
    if (fstat(fd, &st) != 0 || (st.st_size < off_t(sizeof(board_lock::Area)) &&
                                ftruncate(fd, sizeof(board_lock::Area)) != 0)) {
        DebugStep(Step("sizing the board's lock", where).text, 0, strerror(errno));
        close(fd);
        fd = -1;
        return nullptr;
    }
    void* area = mmap(nullptr, sizeof(board_lock::Area), PROT_READ | PROT_WRITE, MAP_SHARED, fd, 0);
    if (area == MAP_FAILED) {
        DebugStep(Step("mapping the board's lock", where).text, 0, strerror(errno));
        close(fd);
        fd = -1;
        return nullptr;
    }
    return static_cast<board_lock::Area*>(area);
}

}  // namespace orn
