// SPDX-License-Identifier: MIT
// Copyright (c) 2026 The ornsys authors
//
// debug.h - what the library says on standard error with ORNSYS_DEBUG=1 in
// the environment (and nothing without it): a line for each step of opening
// the firmware that failed, and a line for what the chosen backend did.
#pragma once

namespace orn {

bool Debugging();

// One line for a step that failed, with the system's reason (an errno
// value, 0 for none) and the likely remedy.
void DebugStep(const char* step, int error, const char* remedy);

// The name of the backend the lines speak for.
void SetDebugBackend(const char* name);

// One line saying what the backend did.
void DebugNote(const char* what);

}  // namespace orn
