// SPDX-License-Identifier: MIT
// Copyright (c) 2026 The ornsys authors
//
// serve.h - what ornsysd does with the bytes a client sends: cut them into
// requests, check each against the function table and the client's role,
// carry it out through the library's open backend and queue the reply.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "service-wire.h"

namespace ornsysd {

// Takes every complete request off the front of `in` and appends its reply
// to `out`; a partial request stays in `in`. False when the client sent
// something that is not a request of this protocol (`why` says what): the
// connection ends there. `refused` is set when a call was refused.
bool ServeInput(std::vector<uint8_t>& in, std::vector<uint8_t>& out, zoka::Role role, std::string& why,
                std::string& refused);

// The greeting a client receives when it connects.
wire::Greeting GreetingFor(zoka::Role role);

const char* RoleName(zoka::Role role);

}  // namespace ornsysd
