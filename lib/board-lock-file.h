// SPDX-License-Identifier: MIT
// Copyright (c) 2026 The ornsys authors
//
// board-lock-file.h - where a real board's lock lives: a file only root may
// make, remove or write (/run/ornsys/board.lock), mapped by every process
// that calls the board's firmware.
#pragma once

#include "board-lock.h"

namespace orn {

constexpr const char* kBoardLockFolder = "/run/ornsys";
constexpr const char* kBoardLockName = "board.lock";

// Opens `folder`/board.lock, making the folder (0755) and the file (0600)
// when missing, and maps its area. What stands in the file's place and is
// not a regular file of root's, mode 0600, with one link (another user's
// file, a symlink, a FIFO) is never followed, read or written: it is
// removed, with one debug line, and the file made anew. A folder that
// others may write without the sticky bit, or that is not root's, fails the
// open with one debug line. nullptr on failure; `fd` keeps the file open
// for the process's presence on the lock.
board_lock::Area* OpenBoardLockFile(const char* folder, int& fd);

}  // namespace orn
