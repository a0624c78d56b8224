// SPDX-License-Identifier: MIT
// Copyright (c) 2026 The ornsys authors
// trace-decoder.h - a trace line of the virtual board in words.
#pragma once

#include <string>

namespace ornsim_impl {

// A call line with the function's name, the block's fields by name before
// and after the call and the status's message; any other line unchanged.
std::string DecodeTraceLine(const std::string& line);

}  // namespace ornsim_impl
