// SPDX-License-Identifier: MIT
// Copyright (c) 2026 The ornsys authors
// ornsim-ctl: steers a running virtual board through its state file.
#include "ornsim.h"

int main(int argc, char** argv) { return ornsim_control(argc, argv); }
