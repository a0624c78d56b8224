// SPDX-License-Identifier: MIT
// Copyright (c) 2026 The ornsys authors
// Fuzzes what the library's service backend does with a service's bytes:
// the input is everything the peer says on the first connection (greeting
// and replies), after which it stops talking; later connections are closed
// at once. The library, on the service backend, makes a call of every API
// function with buffers of their exact sizes, so a reply trusted past what
// a call can hold is an AddressSanitizer report.
#include <fcntl.h>
#include <poll.h>
#include <stdlib.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <cstring>
#include <string>
#include <thread>

#include "every-call.h"
#include "scratch.h"
#include "ornsyslx.h"

namespace {

int gListener = -1;
int gWake[2] = {-1, -1};  // a byte here ends the peer's input

// The peer: the input to the first client, nothing to the others; what
// clients send is read and dropped.
void Serve(const uint8_t* data, size_t size) {
    bool first = true;
    int talking = -1;
    for (;;) {
        pollfd polled[3] = {{gWake[0], POLLIN, 0}, {gListener, POLLIN, 0}, {talking, POLLIN, 0}};
        if (poll(polled, talking >= 0 ? 3 : 2, -1) <= 0) continue;
        if (polled[0].revents & POLLIN) {
            char byte;
            if (read(gWake[0], &byte, 1) != 1) abort();
            break;
        }
        if (polled[1].revents & POLLIN) {
            const int fd = accept4(gListener, nullptr, nullptr, SOCK_CLOEXEC);
            if (fd < 0) continue;
            if (!first) {
                close(fd);
                continue;
            }
            first = false;
            for (size_t sent = 0; sent < size;) {
                const ssize_t n = send(fd, data + sent, size - sent, MSG_NOSIGNAL);
                if (n <= 0) break;
                sent += size_t(n);
            }
            shutdown(fd, SHUT_WR);
            talking = fd;
        }
        if (talking >= 0 && (polled[2].revents & (POLLIN | POLLHUP))) {
            char drop[4096];
            if (recv(talking, drop, sizeof drop, 0) <= 0) {
                close(talking);
                talking = -1;
            }
        }
    }
    if (talking >= 0) close(talking);
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    const std::string path = fuzz::ScratchPath("service.sock");
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    strcpy(address.sun_path, path.c_str());
    gListener = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (gListener < 0 || bind(gListener, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
        listen(gListener, 16) != 0 || pipe2(gWake, O_CLOEXEC) != 0)
        abort();
    setenv("ORNSYS_BACKEND", "service", 1);
    setenv("ORNSYS_SERVICE_SOCKET", path.c_str(), 1);
    setenv("ORNSYS_SERVICE_TIMEOUT", "1", 1);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::thread peer(Serve, data, size);
    if (OrnOpen()) {
        every_call::OnEveryDevice();
        OrnClose();
    }
    if (write(gWake[1], "", 1) != 1) abort();
    peer.join();
    return 0;
}
