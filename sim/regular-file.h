// SPDX-License-Identifier: MIT
// Copyright (c) 2026 The ornsys authors
// regular-file.h - opens the files the environment and board files name
// (board, state, trace, contents), and reads a whole regular file into
// memory. A directory, a device or a FIFO is refused for reading: reading
// one would give nothing, block, or never end, and the caller would carry
// on with a wrong board.
#pragma once

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <string>

namespace ornsim_files {

// The folder a path names a file in: "." for a bare name, "/" at the root.
inline std::string FolderOf(const std::string& path) {
    size_t slash = path.rfind('/');
    return slash == std::string::npos ? "." : path.substr(0, slash ? slash : 1);
}

// Opens `path` as open(2) does, except that opening a FIFO never waits for
// its other end, and a symlink at the end of the path is followed only when
// it is this user's or root's and its folder is too (not writable by
// others, or sticky): a program run by root with a path another user chose
// (an environment variable, a board file) must not read or write through
// that user's links. -1 with errno and `why` (the errno text, or EPERM and
// the reason for a refused link).
inline int OpenOwnPath(const std::string& path, int flags, mode_t mode, std::string& why) {
    flags |= O_CLOEXEC | O_NONBLOCK | O_NOCTTY;
    auto failed = [&why] {
        why = strerror(errno);
        return -1;
    };
    int fd = open(path.c_str(), flags | O_NOFOLLOW, mode);
    if (fd >= 0) return fd;
    if (errno != ELOOP) return failed();
    struct stat link {}, folder {};
    if (lstat(path.c_str(), &link) != 0 || stat(FolderOf(path).c_str(), &folder) != 0) return failed();
    const uid_t self = geteuid();
    const bool linkOurs = link.st_uid == self || link.st_uid == 0;
    const bool folderOurs = (folder.st_uid == self || folder.st_uid == 0) &&
                            ((folder.st_mode & (S_IWGRP | S_IWOTH)) == 0 || (folder.st_mode & S_ISVTX) != 0);
    if (!linkOurs || !folderOurs) {
        why = "a symlink of uid " + std::to_string(link.st_uid) + (linkOurs ? " in a folder others may change" : "") +
              ", not followed";
        errno = EPERM;
        return -1;
    }
    fd = open(path.c_str(), flags, mode);
    return fd >= 0 ? fd : failed();
}

enum class ReadResult { kRead, kFailed, kTooLong };

// Who owns a file that is read: `found` is its owner. A `required` owner
// other than root (or uid_t(-1): none) refuses a file that is neither that
// user's nor readable by everyone: what a user's board file names, a root
// program serves only where that user could read it too.
struct Owner {
    uid_t required = uid_t(-1);
    uid_t found = uid_t(-1);
};

// Appends the file's bytes to `out`. On failure `error` gives the reason (an
// errno text, "is a directory", "not a regular file", "longer than N bytes",
// a refused link or owner).
inline ReadResult ReadFileUpTo(const std::string& path, std::string& out, std::string& error, size_t most,
                               Owner* owner = nullptr) {
    int fd = OpenOwnPath(path, O_RDONLY, 0, error);
    if (fd < 0) return ReadResult::kFailed;
    struct stat st {};
    bool ok = fstat(fd, &st) == 0;
    if (!ok) error = strerror(errno);
    else if (!S_ISREG(st.st_mode)) {
        ok = false;
        error = S_ISDIR(st.st_mode) ? "is a directory" : "not a regular file";
    } else if (owner != nullptr) {
        owner->found = st.st_uid;
        if (owner->required != uid_t(-1) && owner->required != 0 && st.st_uid != owner->required &&
            (st.st_mode & S_IROTH) == 0) {
            ok = false;
            error = "owned by uid " + std::to_string(st.st_uid) + " and not readable by all, unlike the board file (uid " +
                    std::to_string(owner->required) + ")";
        }
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

inline bool ReadRegularFile(const std::string& path, std::string& out, std::string& error, Owner* owner = nullptr) {
    return ReadFileUpTo(path, out, error, size_t(-1), owner) == ReadResult::kRead;
}

}  // namespace ornsim_files
