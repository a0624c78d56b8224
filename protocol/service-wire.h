// SPDX-License-Identifier: MIT
// Copyright (c) 2026 The ornsys authors
//
// service-wire.h - the board service's wire format, spoken over a Unix
// stream socket between the library's service backend and ornsysd. It is
// the firmware protocol itself: a request carries a function number, its
// parameter block and the bytes of its far-pointer buffer that go to the
// firmware; the reply carries the status, the block and the buffer bytes
// that come back. Lengths and directions come from the function table, so
// both sides check every request against the same facts. All integers are
// in the byte order of the machine (both ends are on the same board).
#pragma once

#include <cstdint>

#include "zoka.h"

namespace wire {

constexpr char kDefaultSocket[] = "/run/ornsys/ornsysd.sock";

// Sent by the service when a client connects: the protocol's version and
// the role the client's credentials give it.
constexpr char kMagic[8] = {'O', 'R', 'N', 'S', 'Y', 'S', 'D', '\0'};
constexpr uint32_t kVersion = 1;
struct Greeting {
    char magic[8];
    uint32_t version;
    uint32_t role;  // a zoka::Role, or kRefusedTooMany
};
// In place of a role: the service closes this connection, since the
// client's user has as many open as it allows one user.
constexpr uint32_t kRefusedTooMany = 0xFFFF0001;
// Connections one user other than root may hold at once; of the service's
// 256, the last 16 are kept for root.
constexpr size_t kMaxConnectionsPerUser = 32;

enum Kind : uint32_t {
    kCall = 1,        // a firmware call
    kPortIn = 2,      // function: the width in bytes; block: a PortBlock
    kPortOut = 3,     // the same; the value is written
    kPortAccess = 4,  // may this client use the ports? (no block)
};

struct RequestHeader {
    uint32_t kind;
    uint32_t function;      // a firmware function, or a port access's width
    uint32_t blockLength;   // bytes of the block that follow
    uint32_t bufferLength;  // the far-pointer buffer's size in bytes
};
// After the header: the block, then the buffer's bytes when they go to the
// firmware (BufferFlow ToFirmware or BothWays).

struct PortBlock {
    uint32_t port;
    uint32_t value;
};

struct ReplyHeader {
    uint32_t status;
    uint32_t blockLength;   // 0 (nothing written back) or the request's
    uint32_t bufferLength;  // 0 or the request's, when bytes come back
};
// After the header: the block, then the buffer's bytes.

// No block or buffer may be longer: a request that says so is refused
// before any of it is read.
constexpr uint32_t kMaxBlock = 64 * 1024;
constexpr uint32_t kMaxBuffer = 64 * 1024;

constexpr bool BufferGoesIn(zoka::BufferFlow flow) {
    return flow == zoka::BufferFlow::ToFirmware || flow == zoka::BufferFlow::BothWays;
}
constexpr bool BufferComesBack(zoka::BufferFlow flow) {
    return flow == zoka::BufferFlow::FromFirmware || flow == zoka::BufferFlow::BothWays;
}

// What the role needs for ports: direct port I/O is an admin's.
constexpr zoka::Role kPortRole = zoka::Role::Admin;

}  // namespace wire
