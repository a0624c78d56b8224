// SPDX-License-Identifier: MIT
// Copyright (c) 2026 The ornsys authors
//
// The service backend: the board is ornsysd's, reached over a Unix socket.
// Each firmware call goes to the service as the function number, its block
// and the bytes of its far-pointer buffer; the library's own logic (checks,
// last error, partial transfers) stays on this side. A far pointer is a
// token naming a buffer of this process for the length of one call.
#include <limits.h>
#include <poll.h>
#include <sys/socket.h>
#include <time.h>
#include <sys/uio.h>
#include <sys/un.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <iterator>
#include <mutex>
#include <optional>

#include "backend.h"
#include "board-lock.h"
#include "debug.h"
#include "internal.h"
#include "service-wire.h"

namespace {

// One exchange at a time on the connection: firmware calls come under the
// library's semaphore, port accesses under nothing.
std::mutex gMutex;
int gFd = -1;
uint32_t gOwner = 0;  // the process that connected: a forked child connects anew
DWORD gPortStatus = ORN_BIOS_DATA_ACCESS;
bool gPortStatusKnown = false;

const char* SocketPath() {
    const char* path = secure_getenv("ORNSYS_SERVICE_SOCKET");
    return path != nullptr && *path != '\0' ? path : wire::kDefaultSocket;
}

// How long each step may take (connecting, the greeting, each reply): long
// enough for the slowest firmware call the service makes, a flash erase,
// after waiting for the board; a stopped or hung service fails the call
// after it instead of holding the caller for ever.
constexpr int kDefaultTimeoutSeconds = 30, kMaxTimeoutSeconds = 3600;
int gTimeoutMs = kDefaultTimeoutSeconds * 1000;

// ORNSYS_SERVICE_TIMEOUT, whole seconds from 1 to 3600; false for anything else.
bool ReadTimeout() {
    gTimeoutMs = kDefaultTimeoutSeconds * 1000;
    const char* text = secure_getenv("ORNSYS_SERVICE_TIMEOUT");
    if (text == nullptr) return true;
    char* end = nullptr;
    errno = 0;
    const long seconds = strtol(text, &end, 10);
    if (*text < '0' || *text > '9' || *end != '\0' || errno != 0 || seconds < 1 || seconds > kMaxTimeoutSeconds)
        return false;
    gTimeoutMs = int(seconds) * 1000;
    return true;
}

int64_t NowMs() {
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return int64_t(now.tv_sec) * 1000 + now.tv_nsec / 1000000;
}

// Waits until the connection is ready for `events` or the deadline passes.
bool WaitFor(short events, int64_t deadline) {
    for (;;) {
        const int64_t left = deadline - NowMs();
        if (left <= 0) return false;
        pollfd peer{gFd, events, 0};
        const int ready = poll(&peer, 1, int(std::min<int64_t>(left, 60000)));
        if (ready > 0) return true;
        if (ready < 0 && errno != EINTR) return false;
    }
}

// Reply bytes read ahead: a reply usually arrives in one piece and is taken
// with one system call.
char gReadAhead[16384];
size_t gReadAheadStart = 0, gReadAheadEnd = 0;

void Disconnect() {
    if (gFd >= 0) close(gFd);
    gFd = -1;
    gPortStatusKnown = false;
    gReadAheadStart = gReadAheadEnd = 0;
}

// Sends the parts of a request with as few system calls as the socket
// takes, before the deadline.
bool SendAll(iovec* parts, int count, int64_t deadline) {
    while (count > 0) {
        msghdr message{};
        message.msg_iov = parts;
        message.msg_iovlen = size_t(count);
        ssize_t sent = sendmsg(gFd, &message, MSG_NOSIGNAL | MSG_DONTWAIT);
        if (sent < 0 && errno == EINTR) continue;
        if (sent < 0 && errno == EAGAIN && WaitFor(POLLOUT, deadline)) continue;
        if (sent < 0) return false;
        for (; count > 0 && size_t(sent) >= parts->iov_len; --count, ++parts) sent -= ssize_t(parts->iov_len);
        if (count > 0) {
            parts->iov_base = static_cast<char*>(parts->iov_base) + sent;
            parts->iov_len -= size_t(sent);
        }
    }
    return true;
}

// Whether the last receive failed because its deadline passed.
bool gTimedOut = false;

bool ReceiveAll(void* data, size_t length, int64_t deadline) {
    char* bytes = static_cast<char*>(data);
    gTimedOut = false;
    while (length > 0) {
        if (gReadAheadStart == gReadAheadEnd) {
            ssize_t got = recv(gFd, gReadAhead, sizeof(gReadAhead), MSG_DONTWAIT);
            if (got < 0 && errno == EINTR) continue;
            if (got < 0 && errno == EAGAIN) {
                if (WaitFor(POLLIN, deadline)) continue;
                gTimedOut = true;
                return false;
            }
            if (got <= 0) return false;
            gReadAheadStart = 0;
            gReadAheadEnd = size_t(got);
        }
        const size_t taken = std::min(length, gReadAheadEnd - gReadAheadStart);
        memcpy(bytes, gReadAhead + gReadAheadStart, taken);
        gReadAheadStart += taken;
        bytes += taken;
        length -= taken;
    }
    return true;
}

// Connects and checks the greeting; 0 or the errno of the failed step
// (EPROTO: the peer does not speak this protocol; ETIMEDOUT: no greeting,
// or a full backlog, within the deadline; EINVAL: a bad timeout setting).
int Connect() {
    Disconnect();
    if (!ReadTimeout()) return EINVAL;
    const char* path = SocketPath();
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    if (strlen(path) >= sizeof(address.sun_path)) return ENAMETOOLONG;
    strcpy(address.sun_path, path);
    const int64_t deadline = NowMs() + gTimeoutMs;
    gFd = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
    if (gFd < 0) return errno;
    // A listener whose backlog is full refuses a non-blocking connect at
    // once: try again until the deadline.
    while (connect(gFd, reinterpret_cast<sockaddr*>(&address), sizeof(address)) != 0) {
        int error = errno;
        if (error == EINTR) continue;
        if (error == EAGAIN && NowMs() < deadline) {
            poll(nullptr, 0, 10);
            continue;
        }
        Disconnect();
        return error == EAGAIN ? ETIMEDOUT : error;
    }
    wire::Greeting greeting;
    if (!ReceiveAll(&greeting, sizeof(greeting), deadline)) {
        // Closed before a greeting: a service at its limit of connections.
        const int error = gTimedOut ? ETIMEDOUT : ECONNRESET;
        Disconnect();
        return error;
    }
    if (memcmp(greeting.magic, wire::kMagic, sizeof(wire::kMagic)) != 0 || greeting.version != wire::kVersion) {
        Disconnect();
        return EPROTO;
    }
    if (greeting.role == wire::kRefusedTooMany) {
        Disconnect();
        return EUSERS;
    }
    gOwner = board_lock::ProcessId();
    return 0;
}

bool Connected() { return gFd >= 0 && gOwner == board_lock::ProcessId(); }

// One request and its reply, with the mutex held. A request that cannot be
// sent was never received: it goes again on a new connection (the service
// may have restarted). A reply that does not come fails the call, since the
// service may have carried it out.
// `bufferIn`: how many bytes of `buffer` go with the request.
bool Exchange(const wire::RequestHeader& request, const void* block, const void* buffer, size_t bufferIn,
              wire::ReplyHeader& reply, int64_t& deadline) {
    for (int attempt = 0; attempt < 2; ++attempt) {
        if (int error = Connected() ? 0 : Connect()) {
            if (orn::Debugging())
                fprintf(stderr, "ornsys: service backend: connecting to the board service failed: %s\n", strerror(error));
            return false;
        }
        deadline = NowMs() + gTimeoutMs;
        iovec parts[] = {{const_cast<wire::RequestHeader*>(&request), sizeof(request)},
                         {const_cast<void*>(block), request.blockLength},
                         {const_cast<void*>(buffer), bufferIn}};
        if (SendAll(parts, 3, deadline)) break;
        Disconnect();
        if (attempt == 1) {
            if (orn::Debugging())
                fprintf(stderr, "ornsys: service backend: the request could not be sent, on a new connection either\n");
            return false;
        }
    }
    if (ReceiveAll(&reply, sizeof(reply), deadline)) return true;
    const bool timedOut = gTimedOut;
    Disconnect();
    if (orn::Debugging() && timedOut)
        fprintf(stderr, "ornsys: service backend: no reply from the board service within %d s\n", gTimeoutMs / 1000);
    else if (orn::Debugging())
        fprintf(stderr, "ornsys: service backend: the board service closed the connection\n");
    return false;
}

// Buffers named by far pointers of the call in progress; offsets handed out
// are kFarBase plus the slot number.
constexpr DWORD kFarBase = 0xFB000000;
struct FarSlot {
    void* buffer;
    DWORD size;
};
FarSlot gFarSlots[4] = {};

zoka::FarPointer BindFar(void* buffer, DWORD size, void**) {
    if (size > wire::kMaxBuffer) return {0, 0};
    for (DWORD slot = 0; slot < std::size(gFarSlots); ++slot) {
        if (gFarSlots[slot].buffer == nullptr) {
            gFarSlots[slot] = {buffer, size};
            return {CallerDataSelector(), kFarBase + slot};
        }
    }
    return {0, 0};
}

void ReleaseFar(void*, void* buffer, DWORD) {
    for (FarSlot& slot : gFarSlots)
        if (slot.buffer == buffer) slot = {};
}

// Reads exactly `length` reply bytes into `into`, or discards them when the
// reply carries none for it.
// A length the reply claims that is not the request's is never trusted:
// the caller's memory holds only what it asked for.
bool ReceiveInto(void* into, uint32_t length, uint32_t expected, int64_t deadline) {
    if (length == 0) return true;
    return length == expected && ReceiveAll(into, length, deadline);
}

// The configuration block's size as this open last learnt it: the size the
// caller's buffer was made for when it asked (OrnGetBoardCfgSize), else the
// size asked once. A service that later says otherwise (restarted on
// another board) is not believed over the caller's buffer: it refuses the
// call, whose block has another size than its board's.
// Empty until learnt: a board may say 0, and that answer holds too.
std::optional<DWORD> gConfigSize;

DWORD CallLocked(DWORD function, void* block);

DWORD CallLocked(DWORD function, void* block) {
    const zoka::FunctionEntry* entry = zoka::FindFunction(function);
    if (entry == nullptr) return ORN_BIOS_NOT_SUPPORTED;
    DWORD blockLength = DWORD(entry->length);
    if (entry->length == zoka::kConfigBlock) {
        DWORD size = 0;
        if (!gConfigSize) {
            if (DWORD status = CallLocked(zoka::GetBoardCfgSize, &size)) return status;
        }
        size = gConfigSize.value_or(0);
        if (size == 0 || size > wire::kMaxBlock) return ORN_BIOS_DATA_ACCESS;
        blockLength = size;
    }
    FarSlot far{};
    zoka::FarPointer pointer{};
    char* pointerBytes = nullptr;
    if (entry->flow != zoka::BufferFlow::NoBuffer) {
        pointerBytes = static_cast<char*>(block) + zoka::FarPointerAt(function);
        memcpy(&pointer, pointerBytes, sizeof(pointer));
        DWORD slot = pointer.offset - kFarBase;
        if (slot >= std::size(gFarSlots) || gFarSlots[slot].buffer == nullptr) return ORN_BIOS_DATA_ACCESS;
        far = gFarSlots[slot];
    }
    const wire::RequestHeader request{wire::kCall, function, blockLength, far.size};
    wire::ReplyHeader reply{};
    const size_t bufferIn = wire::BufferGoesIn(entry->flow) ? far.size : 0;
    int64_t deadline = 0;
    if (!Exchange(request, block, far.buffer, bufferIn, reply, deadline)) return ORN_DLL_START_FAILED;
    const uint32_t bufferBack = wire::BufferComesBack(entry->flow) ? far.size : 0;
    if (!ReceiveInto(block, reply.blockLength, blockLength, deadline) ||
        !ReceiveInto(far.buffer, reply.bufferLength, bufferBack, deadline)) {
        Disconnect();
        return ORN_DLL_START_FAILED;
    }
    // The block names this process's buffer, not the service's copy.
    if (pointerBytes != nullptr) memcpy(pointerBytes, &pointer, sizeof(pointer));
    const DWORD status = reply.status & 0xFFFF;
    // The service sends the block and buffer back with every call it makes;
    // a success without them would leave the caller's record unfilled (and
    // a size never learnt, so a later block would be sized by another answer).
    if (status == ORN_SUCCESS && (reply.blockLength != blockLength || reply.bufferLength != bufferBack)) {
        Disconnect();
        return ORN_DLL_START_FAILED;
    }
    if (function == zoka::GetBoardCfgSize && status == ORN_SUCCESS) {
        DWORD learnt;
        memcpy(&learnt, block, sizeof(learnt));
        gConfigSize = learnt;
    }
    return status;
}

DWORD Call(DWORD function, void* block) {
    std::lock_guard<std::mutex> hold(gMutex);
    return CallLocked(function, block);
}

int Open() {
    std::lock_guard<std::mutex> hold(gMutex);
    gConfigSize.reset();
    if (int error = Connect()) {
        if (error == EINVAL) {
            orn::DebugStep("reading ORNSYS_SERVICE_TIMEOUT", 0, "it is not a whole number of seconds from 1 to 3600");
            return 0;
        }
        // Room for any path the system allows (the debug lines keep it).
        static char step[PATH_MAX + 64];
        snprintf(step, sizeof(step), "connecting to the board service at %s", SocketPath());
        static char late[160];
        snprintf(late, sizeof(late),
                 "the board service did not greet within %d s (stopped, or overloaded; ORNSYS_SERVICE_TIMEOUT)",
                 gTimeoutMs / 1000);
        static char many[160];
        snprintf(many, sizeof(many), "the board service refuses this user more than %zu connections at once",
                 wire::kMaxConnectionsPerUser);
        orn::DebugStep(step, error == EPROTO || error == EUSERS || error == ECONNRESET ? 0 : error,
                       error == EPROTO        ? "the socket's peer does not speak this version of the board service's protocol"
                       : error == EUSERS      ? many
                       : error == ECONNRESET ? "the board service closed the connection before greeting (it serves "
                                               "256 connections at once, the last 16 for root)"
                       : error == ETIMEDOUT  ? late
                                             : "is ornsysd running (systemctl status ornsysd.socket), and may this user "
                                               "open its socket (group ornsys)?");
        return 0;
    }
    return 1;
}

int Close() {
    std::lock_guard<std::mutex> hold(gMutex);
    Disconnect();
    gConfigSize.reset();
    return 1;
}

// A port access through the service: its status, or 0x8100 when no whole
// answer came (the access may have been made, so it is not sent again).
DWORD PortExchange(wire::Kind kind, int width, wire::PortBlock& port) {
    const wire::RequestHeader request{kind, DWORD(width), sizeof(port), 0};
    wire::ReplyHeader reply{};
    int64_t deadline = 0;
    if (!Exchange(request, &port, nullptr, 0, reply, deadline)) return ORN_DLL_START_FAILED;
    const DWORD status = reply.status & 0xFFFF;
    const bool whole = reply.blockLength == sizeof(port) || (status != ORN_SUCCESS && reply.blockLength == 0);
    if (!whole || !ReceiveInto(&port, reply.blockLength, sizeof(port), deadline) || reply.bufferLength != 0) {
        Disconnect();
        return ORN_DLL_START_FAILED;
    }
    return status;
}

DWORD InPort(int width, WORD port, DWORD* value) {
    std::lock_guard<std::mutex> hold(gMutex);
    wire::PortBlock access{port, 0};
    const DWORD status = PortExchange(wire::kPortIn, width, access);
    if (status == ORN_SUCCESS) *value = access.value;
    return status;
}

DWORD OutPort(int width, WORD port, DWORD value) {
    std::lock_guard<std::mutex> hold(gMutex);
    wire::PortBlock access{port, value};
    return PortExchange(wire::kPortOut, width, access);
}

// Whether the service has closed this connection (it stopped, or restarted
// and may now answer otherwise).
bool PeerGone() {
    pollfd peer{gFd, POLLRDHUP, 0};
    return poll(&peer, 1, 0) == 1 && (peer.revents & (POLLRDHUP | POLLHUP | POLLERR)) != 0;
}

// Asked once per connection: a role does not change while it lasts.
DWORD PortPrivilege() {
    std::lock_guard<std::mutex> hold(gMutex);
    if (gPortStatusKnown && Connected() && !PeerGone()) return gPortStatus;
    const wire::RequestHeader request{wire::kPortAccess, 0, 0, 0};
    wire::ReplyHeader reply{};
    int64_t deadline = 0;
    if (!Exchange(request, nullptr, nullptr, 0, reply, deadline)) return ORN_DLL_START_FAILED;
    if (reply.blockLength != 0 || reply.bufferLength != 0) {
        Disconnect();
        return ORN_DLL_START_FAILED;
    }
    gPortStatus = reply.status & 0xFFFF;
    gPortStatusKnown = true;
    return gPortStatus;
}

// The service takes the board's lock around each call it makes.
board_lock::Taken NoLock(board_lock::Waited*) { return board_lock::Taken::kFine; }
void NoUnlock() {}

}  // namespace

namespace orn {

const char* ServiceSocketPath() { return SocketPath(); }

}  // namespace orn

const orn::Backend orn::kServiceBackend = {
    .name = "service",
    .open = Open,
    .close = Close,
    .call = Call,
    .bindFar = BindFar,
    .releaseFar = ReleaseFar,
    .portIn = InPort,
    .portOut = OutPort,
    .raiseIoPrivilege = PortPrivilege,
    .lockCalls = NoLock,
    .unlockCalls = NoUnlock,
};
