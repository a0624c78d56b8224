// SPDX-License-Identifier: MIT
// Copyright (c) 2026 The ornsys authors
//
// Requests into firmware calls. Every length is checked against the
// function table before a byte of the request is used, and the firmware
// works on the service's own copies, sized as the table says.
#include "serve.h"

#include <algorithm>
#include <cstring>

#include "raw-access.h"

namespace ornsysd {

namespace {

template <typename T>
void Append(std::vector<uint8_t>& out, const T& value) {
    const auto* bytes = reinterpret_cast<const uint8_t*>(&value);
    out.insert(out.end(), bytes, bytes + sizeof(value));
}

void Reply(std::vector<uint8_t>& out, DWORD status, const std::vector<uint8_t>& block,
           const std::vector<uint8_t>& buffer) {
    Append(out, wire::ReplyHeader{status, uint32_t(block.size()), uint32_t(buffer.size())});
    out.insert(out.end(), block.begin(), block.end());
    out.insert(out.end(), buffer.begin(), buffer.end());
}

void Refuse(std::vector<uint8_t>& out) { Append(out, wire::ReplyHeader{ORN_DLL_ACCESS_DENIED, 0, 0}); }

// The bytes after the header, or -1 with `why` set.
long BodyLength(const wire::RequestHeader& request, std::string& why) {
    switch (request.kind) {
        case wire::kCall: {
            const zoka::FunctionEntry* entry = zoka::FindFunction(request.function);
            if (entry == nullptr) {
                why = "function " + std::to_string(request.function) + " does not exist";
                return -1;
            }
            const bool lengthRight = entry->length == zoka::kConfigBlock ? request.blockLength <= wire::kMaxBlock
                                                                         : request.blockLength == DWORD(entry->length);
            if (!lengthRight) {
                why = std::string(entry->name) + " with a block of " + std::to_string(request.blockLength) + " bytes";
                return -1;
            }
            const bool hasBuffer = entry->flow != zoka::BufferFlow::NoBuffer;
            if (request.bufferLength > (hasBuffer ? wire::kMaxBuffer : 0)) {
                why = std::string(entry->name) + " with a buffer of " + std::to_string(request.bufferLength) + " bytes";
                return -1;
            }
            return long(request.blockLength) + (wire::BufferGoesIn(entry->flow) ? long(request.bufferLength) : 0);
        }
        case wire::kPortIn:
        case wire::kPortOut:
            if ((request.function != 1 && request.function != 2 && request.function != 4) ||
                request.blockLength != sizeof(wire::PortBlock) || request.bufferLength != 0) {
                why = "a port access of width " + std::to_string(request.function) + " and " +
                      std::to_string(request.blockLength) + " bytes";
                return -1;
            }
            return sizeof(wire::PortBlock);
        case wire::kPortAccess:
            if (request.blockLength != 0 || request.bufferLength != 0) {
                why = "a port question with bytes";
                return -1;
            }
            return 0;
        default: why = "request kind " + std::to_string(request.kind); return -1;
    }
}

// One firmware call on the service's copies of the block and buffer, its
// reply queued. False for a configuration block of another size than the
// board's: the firmware would fill or read the board's size.
bool Call(const zoka::FunctionEntry& entry, std::vector<uint8_t>& block, std::vector<uint8_t>& buffer,
          uint32_t bufferLength, std::vector<uint8_t>& out, std::string& why) {
    const orn::raw::CallResult call = orn::raw::Call(entry, block.data(), block.size(), buffer.data(), bufferLength);
    if (call.wrongConfigSize) {
        why = std::string(entry.name) + " with a block of " + std::to_string(block.size()) +
              " bytes; the board's has " + std::to_string(call.boardConfigSize);
        return false;
    }
    buffer.resize(wire::BufferComesBack(entry.flow) ? bufferLength : 0);
    Reply(out, call.status, block, buffer);
    return true;
}

}  // namespace

const char* RoleName(zoka::Role role) {
    switch (role) {
        case zoka::Role::Read: return "read";
        case zoka::Role::Watchdog: return "watchdog";
        case zoka::Role::Admin: return "admin";
        default: return "none";
    }
}

wire::Greeting GreetingFor(zoka::Role role) {
    wire::Greeting greeting{};
    memcpy(greeting.magic, wire::kMagic, sizeof(greeting.magic));
    greeting.version = wire::kVersion;
    greeting.role = uint32_t(role);
    return greeting;
}

bool ServeInput(std::vector<uint8_t>& in, std::vector<uint8_t>& out, zoka::Role role, std::string& why,
                std::string& refused) {
    size_t used = 0;
    bool ok = true;
    while (in.size() - used >= sizeof(wire::RequestHeader)) {
        wire::RequestHeader request;
        memcpy(&request, in.data() + used, sizeof(request));
        const long body = BodyLength(request, why);
        if (body < 0) {
            ok = false;
            break;
        }
        if (in.size() - used - sizeof(request) < size_t(body)) break;
        const uint8_t* bytes = in.data() + used + sizeof(request);
        used += sizeof(request) + size_t(body);
        if (request.kind == wire::kCall) {
            const zoka::FunctionEntry& entry = *zoka::FindFunction(request.function);
            if (role < entry.role) {
                refused = entry.name;
                Refuse(out);
                continue;
            }
            std::vector<uint8_t> block(bytes, bytes + request.blockLength);
            // The firmware moves as many bytes as the block says: exactly
            // the buffer's.
            if (entry.flow != zoka::BufferFlow::NoBuffer &&
                zoka::FarBufferLength(entry.number, block.data()) != request.bufferLength) {
                why = std::string(entry.name) + " for " +
                      std::to_string(zoka::FarBufferLength(entry.number, block.data())) + " bytes with a buffer of " +
                      std::to_string(request.bufferLength);
                ok = false;
                break;
            }
            // Never empty: the firmware gets a real address even for 0 bytes.
            std::vector<uint8_t> buffer(std::max<uint32_t>(request.bufferLength, 1));
            if (wire::BufferGoesIn(entry.flow))
                std::copy_n(bytes + request.blockLength, request.bufferLength, buffer.begin());
            if (!Call(entry, block, buffer, request.bufferLength, out, why)) {
                ok = false;
                break;
            }
            continue;
        }
        if (role < wire::kPortRole) {
            refused = "port access";
            Refuse(out);
            continue;
        }
        wire::PortBlock port{};
        if (request.kind != wire::kPortAccess) memcpy(&port, bytes, sizeof(port));
        DWORD status = ORN_SUCCESS;
        if (request.kind == wire::kPortIn)
            status = orn::raw::PortRead(int(request.function), WORD(port.port), &port.value);
        else if (request.kind == wire::kPortOut)
            status = orn::raw::PortWrite(int(request.function), WORD(port.port), port.value);
        else
            status = orn::raw::PortPrivilege();
        if (request.kind == wire::kPortAccess) {
            Append(out, wire::ReplyHeader{status, 0, 0});
        } else {
            Append(out, wire::ReplyHeader{status, sizeof(port), 0});
            Append(out, port);
        }
    }
    in.erase(in.begin(), in.begin() + long(used));
    return ok;
}

}  // namespace ornsysd
