// SPDX-License-Identifier: MIT
// Copyright (c) 2026 The ornsys authors
// Fuzzes what ornsysd does with a client's bytes: the first byte picks the
// client's role and where the bytes are cut in two reads, the rest is the
// stream. The service's library is open on the virtual board, so accepted
// requests reach the firmware. Every reply queued must be well formed.
#include <stdlib.h>

#include <cstring>
#include <string>
#include <vector>

#include "ornsyslx.h"
#include "serve.h"

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    unsetenv("ORNSIM_STATE");
    unsetenv("ORNSIM_TRACE");
    setenv("ORNSYS_BACKEND", "virtual", 1);
    if (!OrnOpen()) abort();
    return 0;
}

namespace {

// The replies in `out`, each a header and exactly the bytes it announces.
void CheckReplies(const std::vector<uint8_t>& out) {
    size_t at = 0;
    while (at < out.size()) {
        wire::ReplyHeader reply;
        if (out.size() - at < sizeof(reply)) abort();
        memcpy(&reply, out.data() + at, sizeof(reply));
        if (reply.blockLength > wire::kMaxBlock || reply.bufferLength > wire::kMaxBuffer) abort();
        at += sizeof(reply) + reply.blockLength + reply.bufferLength;
    }
    if (at != out.size()) abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 1) return 0;
    const auto role = zoka::Role(data[0] & 3);
    const size_t cut = size > 1 ? (data[0] >> 2) % size : 0;
    std::vector<uint8_t> in, out;
    std::string why, refused;
    bool open = true;
    for (auto [from, to] : {std::pair{size_t(1), cut > 1 ? cut : 1}, std::pair{cut > 1 ? cut : 1, size}}) {
        in.insert(in.end(), data + from, data + to);
        if (open) open = ornsysd::ServeInput(in, out, role, why, refused);
        if (!open && why.empty()) abort();  // a closed connection always says why
    }
    CheckReplies(out);
    return 0;
}
