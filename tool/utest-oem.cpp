// SPDX-License-Identifier: MIT
// Copyright (c) 2026 The ornsys authors
// OEM category: only its help; the OEM functions serve applications.
#include "utest.h"

int utHandleOEM(int, char**) { utUsageExit(CAT_OEM); }
