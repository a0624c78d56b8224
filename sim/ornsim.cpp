// SPDX-License-Identifier: MIT
// Copyright (c) 2026 The ornsys authors
// The virtual board's C interface: starting and stopping instances, the
// trace, the writable memories with their state file, and the I/O ports.
#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <signal.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <mutex>

#include "board-lock.h"
#include "instance.h"
#include "regular-file.h"

struct ornsim : ornsim_impl::Instance {};

namespace ornsim_impl {

namespace {

constexpr size_t kPortCount = 0x10000;
constexpr char kStateMagic[8] = {'O', 'R', 'N', 'S', 'I', 'M', 'S', '2'};


uint64_t Fnv1a(uint64_t hash, const void* data, size_t length) {
    const auto* p = static_cast<const BYTE*>(data);
    for (size_t i = 0; i < length; ++i) hash = (hash ^ p[i]) * 0x100000001b3ull;
    return hash;
}

// What makes a state file fit a board: every memory's place, kind and
// geometry, the board's identity and the initial bytes. Two boards that
// differ in any of these never share a state file.
uint64_t Fingerprint(const Board& board, const std::vector<BYTE>& initial) {
    uint64_t hash = 0xcbf29ce484222325ull;
    auto mix = [&](const auto& value) { hash = Fnv1a(hash, &value, sizeof value); };
    mix(uint64_t(initial.size()));
    mix(board.configSize);
    mix(uint64_t(board.nvrams.size()));
    for (const auto& nv : board.nvrams) {
        mix(*nv.type);
        mix(*nv.size);
        mix(nv.flags);
        mix(nv.blockSize.value_or(0));
        mix(nv.blockFlags.value_or(0));
        mix(uint64_t(nv.blockCount()));
    }
    mix(uint64_t(board.buses.size()));
    for (const auto& bus : board.buses) mix(*bus.id);
    mix(uint64_t(board.devices.size()));
    for (const auto& dev : board.devices) {
        mix(*dev.bus);
        mix(*dev.address);
        mix(dev.size);
        mix(dev.readonly);
    }
    hash = Fnv1a(hash, &board.info, sizeof board.info);
    return Fnv1a(hash, initial.data(), initial.size());
}

bool WriteAll(int fd, const void* data, size_t length) {
    const auto* p = static_cast<const BYTE*>(data);
    while (length > 0) {
        ssize_t n = write(fd, p, length);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        p += n;
        length -= size_t(n);
    }
    return true;
}

}  // namespace

// The file's head: what it was made for, then what the processes that
// share it share besides the memories: the board's call lock, and which
// process is inside the firmware.
struct Memory::StateHeader {
    char magic[8];
    uint64_t fingerprint;
    uint64_t length;
    uint32_t insidePid;
    BYTE reserved[36];
    board_lock::Area lock;
};
static_assert(sizeof(Memory::StateHeader) == 128 && offsetof(Memory::StateHeader, lock) == 64);

// A process killed in the middle of a line leaves it cut; the next one to
// open the trace starts on a new line, so every line it writes is whole.
Trace::Trace(const char* path) {
    if (path == nullptr || *path == '\0') return;
    // A FIFO without a reader fails with ENXIO.
    fd_ = ornsim_files::OpenOwnPath(path, O_WRONLY | O_CREAT | O_APPEND, 0644, failure_);
    if (fd_ < 0) return;
    fcntl(fd_, F_SETFL, fcntl(fd_, F_GETFL) & ~O_NONBLOCK);  // a reader that lags slows the board, loses no line
    // Looked at through a second descriptor: a trace may be write-only, or
    // not a regular file at all (a terminal, a pipe), and then has no end.
    std::string unused;
    int reader = ornsim_files::OpenOwnPath(path, O_RDONLY, 0, unused);
    if (reader < 0) return;
    struct stat st {};
    char last = '\n';
    if (fstat(reader, &st) == 0 && S_ISREG(st.st_mode) && st.st_size > 0 &&
        pread(reader, &last, 1, st.st_size - 1) == 1 && last != '\n')
        WriteAll(fd_, "\n", 1);
    close(reader);
}

Trace::~Trace() {
    if (fd_ >= 0) close(fd_);
}

void Trace::Line(const std::string& text) const {
    if (fd_ < 0) return;
    std::string line = text + '\n';
    WriteAll(fd_, line.data(), line.size());  // one append per event
}

size_t Memory::Layout(const Board& board) {
    size_t at = sizeof(LiveHeader) + LiveSlotCount(board) * sizeof(LiveSlot);
    displayAt_ = at;
    at += 3;
    portsAt_ = at;
    at += kPortCount;
    configAt_ = at;
    configSize_ = board.configSize;
    at += configSize_;
    for (const auto& nv : board.nvrams) {
        Region r{at, *nv.size, 0, nv.blockCount()};
        at += r.size;
        r.locksAt = at;
        at += r.blocks;
        nvrams_.push_back(r);
    }
    for (const auto& dev : board.devices) {
        devices_.push_back(Region{at, dev.size, 0, 0});
        at += dev.size;
    }
    return at;
}

void Memory::Fill(const Board& board, BYTE* data) const {
    auto put = [&](size_t at, size_t size, const ornsim_board::Contents& c) {
        memset(data + at, c.fill.value_or(0), size);
        if (!c.list.empty()) memcpy(data + at, c.list.data(), c.list.size());
    };
    data[displayAt_ + 0] = board.backlight;
    data[displayAt_ + 1] = board.brightness;
    data[displayAt_ + 2] = board.contrast;
    memset(data + portsAt_, 0xFF, kPortCount);
    for (const auto& [port, value] : board.ports) data[portsAt_ + port] = value;
    put(configAt_, configSize_, board.config);
    for (size_t i = 0; i < nvrams_.size(); ++i) {
        put(nvrams_[i].at, nvrams_[i].size, board.nvrams[i].contents);
        memset(data + nvrams_[i].locksAt, board.nvrams[i].locked.value_or(false) ? 1 : 0, nvrams_[i].blocks);
    }
    for (size_t i = 0; i < devices_.size(); ++i) put(devices_[i].at, devices_[i].size, board.devices[i].contents);
}

bool Memory::Create(const Board& board, const char* statePath, std::string& error) {
    length_ = Layout(board);
    heap_.assign(length_, 0);
    Fill(board, heap_.data());
    base_ = heap_.data();
    if (statePath == nullptr || *statePath == '\0') {
        live().PowerOn(board, RealNowNs());
        return true;
    }
    return MapStateFile(board, statePath, error);
}

// Writes a new state file aside and links it into place whole; an existing
// file is never replaced. The file is written unnamed (O_TMPFILE), so a
// process killed before the link leaves nothing behind; where the file
// system cannot do that, a named temporary is removed on every path the
// process lives through.
bool Memory::CreateStateFile(const std::string& name, const StateHeader& header, std::string& error) const {
    auto fail = [&](const char* what) {
        error = "ornsim: " + name + ": cannot create state file: " + what;
        return false;
    };
    auto fill = [&](int fd) { return WriteAll(fd, &header, sizeof header) && WriteAll(fd, heap_.data(), length_); };
    int fd = open(ornsim_files::FolderOf(name).c_str(), O_TMPFILE | O_RDWR | O_CLOEXEC, 0644);
    if (fd >= 0) {
        bool written = fill(fd);
        std::string self = "/proc/self/fd/" + std::to_string(fd);
        bool linked = written && (linkat(AT_FDCWD, self.c_str(), AT_FDCWD, name.c_str(), AT_SYMLINK_FOLLOW) == 0 ||
                                  errno == EEXIST);
        int saved = errno;
        close(fd);
        if (linked) return true;
        if (!written || saved != ENOENT) return fail(strerror(written ? saved : errno));
        // No /proc: fall through to a named temporary.
    } else if (errno != EOPNOTSUPP && errno != EISDIR && errno != EINVAL) {
        return fail(strerror(errno));
    }

    std::string temp = name + ".XXXXXX";
    fd = mkstemp(temp.data());
    if (fd < 0) return fail(strerror(errno));
    bool written = fill(fd);
    close(fd);
    bool linked = written && (link(temp.c_str(), name.c_str()) == 0 || errno == EEXIST);
    int saved = errno;
    unlink(temp.c_str());
    return linked || fail(strerror(saved));
}

// Opens the state file, creating it from the board when it does not exist.
// The new file appears whole (written aside, then linked into place), and
// an existing file is never replaced.
bool Memory::MapStateFile(const Board& board, const char* path, std::string& error) {
    StateHeader header{};
    memcpy(header.magic, kStateMagic, sizeof header.magic);
    const uint64_t fingerprint = Fingerprint(board, heap_);
    live().PowerOn(board, RealNowNs());  // a new state file is a board powered on now
    header.fingerprint = fingerprint;
    header.length = length_;
    const std::string name = path;

    std::string why;
    int fd = ornsim_files::OpenOwnPath(path, O_RDWR, 0, why);
    if (fd < 0 && errno == ENOENT) {
        if (!CreateStateFile(name, header, error)) return false;
        fd = ornsim_files::OpenOwnPath(path, O_RDWR, 0, why);
    }
    if (fd < 0) {
        error = "ornsim: " + name + ": cannot open state file: " + why;
        return false;
    }
    struct stat st {};
    if (fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        close(fd);
        error = "ornsim: " + name + ": cannot open state file: not a regular file";
        return false;
    }
    StateHeader found{};
    bool fits = pread(fd, &found, sizeof found, 0) == ssize_t(sizeof found) &&
                memcmp(found.magic, kStateMagic, sizeof kStateMagic) == 0 &&
                found.fingerprint == fingerprint && found.length == length_ &&
                uint64_t(st.st_size) == sizeof(StateHeader) + length_;
    if (!fits) {
        close(fd);
        error = "ornsim: " + name + ": state file was made for another board; remove it to start afresh";
        return false;
    }
    void* map = mmap(nullptr, sizeof(StateHeader) + length_, PROT_READ | PROT_WRITE, MAP_SHARED, fd, 0);
    if (map == MAP_FAILED) {
        error = "ornsim: " + name + ": cannot map state file: " + strerror(errno);
        close(fd);
        return false;
    }
    presence_.fd = fd;  // kept open: the process's presence on the lock
    presence_.openedBy = board_lock::ProcessId();
    mapped_ = true;
    shared_ = static_cast<StateHeader*>(map);
    base_ = static_cast<BYTE*>(map) + sizeof(StateHeader);
    heap_.clear();
    heap_.shrink_to_fit();
    return true;
}

int Memory::LockCalls(board_lock::Waited& waited) {
    if (shared_ == nullptr) return 0;
    return int(board_lock::Take(shared_->lock, presence_, &waited));
}

void Memory::UnlockCalls() {
    if (shared_ != nullptr) board_lock::Release(shared_->lock);
}

// A real board's firmware serves one caller at a time; two processes inside
// it at once (a library that does not take the board's lock) abort, so
// that the fault cannot go unseen. A process that died inside leaves its
// number behind, and the next one takes over.
void Memory::MarkInside() const {
    if (shared_ == nullptr) return;
    std::atomic_ref<uint32_t> inside(shared_->insidePid);
    const uint32_t self = board_lock::ProcessId();
    // Announced here too, for a library that takes no lock.
    board_lock::Announce(presence_, self);
    uint32_t other = 0;
    while (!inside.compare_exchange_strong(other, self)) {
        if (other == self) return;
        // As for the lock: a process that ended (a zombie too) holds no
        // presence on the file.
        if (board_lock::Present(presence_, other)) {
            fputs("ornsim: entered by two processes at once\n", stderr);
            abort();
        }
    }
}

void Memory::MarkOutside() const {
    if (shared_ == nullptr) return;
    uint32_t self = board_lock::ProcessId();
    std::atomic_ref<uint32_t>(shared_->insidePid).compare_exchange_strong(self, 0);
}

Memory::~Memory() {
    if (mapped_) munmap(base_ - sizeof(StateHeader), sizeof(StateHeader) + length_);
    if (presence_.fd >= 0) close(presence_.fd);
}

}  // namespace ornsim_impl

namespace {

using ornsim_impl::Instance;

// Port access may come from any thread, with or without an open library,
// while another thread starts or stops the library's instance. gPortLock
// guards which instance serves the ports and that instance's port bytes;
// an instance is never freed while a port access holds it.
std::mutex gPortLock;
ornsim* gRunning = nullptr;  // the instance the library started, if any
ornsim* gPorts = nullptr;    // started for port access without one; kept
bool gPortsTried = false;    // the environment is read for it once

ornsim* Start(bool traceOpen) {
    std::string text, name, folder = ".", error;
    ornsim_files::Owner owner;
    const char* boardPath = secure_getenv("ORNSIM_BOARD");
    if (boardPath != nullptr && *boardPath != '\0') {
        name = boardPath;
        if (!ornsim_files::ReadRegularFile(boardPath, text, error, &owner)) {
            fprintf(stderr, "ornsim: %s:0: cannot read board file: %s\n", boardPath, error.c_str());
            return nullptr;
        }
        folder = ornsim_files::FolderOf(name);
    } else {
        name = "default.board";
        text = ornsim_board::kDefaultBoard;
    }
    auto sim = std::make_unique<ornsim>();
    if (!ornsim_board::Parse(text, name, folder, sim->board, error, owner.found) ||
        !sim->memory.Create(sim->board, secure_getenv("ORNSIM_STATE"), error)) {
        fprintf(stderr, "%s\n", error.c_str());
        return nullptr;
    }
    const char* tracePath = secure_getenv("ORNSIM_TRACE");
    sim->trace = std::make_unique<ornsim_impl::Trace>(tracePath);
    if (tracePath != nullptr && *tracePath != '\0' && !sim->trace->on()) {
        // A trace asked for and not kept would pass for a board that was never called.
        fprintf(stderr, "ornsim: %s: cannot open trace file: %s\n", tracePath, sim->trace->failure().c_str());
        return nullptr;
    }
    sim->faultMatches.assign(sim->board.faults.size(), 0);
    sim->resetsSeen = ornsim_impl::Load(sim->memory.live().header().resets);
    sim->devicePointers.assign(sim->board.devices.size(), 0);
    if (traceOpen) sim->trace->Line("open");
    return sim.release();
}

// The instance that serves port access, started on first use if needed.
// The caller holds gPortLock.
ornsim* PortInstance() {
    if (gRunning != nullptr) return gRunning;
    if (!gPortsTried) {
        gPortsTried = true;
        gPorts = Start(false);
    }
    return gPorts;
}

void TracePort(const ornsim* sim, const char* format, unsigned port, unsigned width, uint32_t value) {
    if (sim == nullptr || !sim->trace->on()) return;
    static const char* const kValue[] = {"", "0x%02x", "0x%04x", "", "0x%08x"};
    char valueText[16], line[64];
    snprintf(valueText, sizeof valueText, kValue[width], value);
    snprintf(line, sizeof line, format, port, valueText);
    sim->trace->Line(line);
}

}  // namespace

namespace ornsim_impl {

Instance* StartQuietly() { return Start(false); }
void StopQuietly(Instance* instance) { delete static_cast<ornsim*>(instance); }

}  // namespace ornsim_impl

extern "C" {

ornsim* ornsim_start(void) {
    ornsim* sim = Start(true);
    if (sim != nullptr) {
        std::lock_guard lock(gPortLock);
        gRunning = sim;
    }
    return sim;
}

int ornsim_has_zoka(const ornsim* sim) { return sim != nullptr && sim->board.zoka ? 1 : 0; }

uint16_t ornsim_call(ornsim* sim, uint32_t function, void* block, ornsim_resolver resolve, void* context) {
    return sim->Call(function, block, resolve, context);
}

void ornsim_stop(ornsim* sim) {
    if (sim == nullptr) return;
    sim->trace->Line("close");
    {
        std::lock_guard lock(gPortLock);
        if (gRunning == sim) gRunning = nullptr;
    }
    delete sim;
}

uint32_t ornsim_port_in(int width, uint16_t port) {
    static const char* const kName[] = {"", "inb", "inw", "", "inl"};
    std::lock_guard lock(gPortLock);
    ornsim* sim = PortInstance();
    uint32_t value = 0;
    for (int i = width - 1; i >= 0; --i)
        value = value << 8 | (sim ? sim->memory.ports()[uint16_t(port + i)] : 0xFF);
    if (sim != nullptr && sim->trace->on()) {
        std::string format = std::string(kName[width]) + " 0x%04x -> %s";
        TracePort(sim, format.c_str(), port, unsigned(width), value);
    }
    return value;
}

void ornsim_port_out(int width, uint16_t port, uint32_t value) {
    static const char* const kName[] = {"", "outb", "outw", "", "outl"};
    std::lock_guard lock(gPortLock);
    ornsim* sim = PortInstance();
    if (sim == nullptr) return;
    // The port gets the access's width of the value, and so does the trace.
    if (width < 4) value &= (1u << (8 * width)) - 1;
    for (int i = 0; i < width; ++i) sim->memory.ports()[uint16_t(port + i)] = BYTE(value >> (8 * i));
    if (sim->trace->on()) {
        std::string format = std::string(kName[width]) + " 0x%04x %s";
        TracePort(sim, format.c_str(), port, unsigned(width), value);
    }
}

int ornsim_lock(ornsim* sim, uint32_t* holder, uint32_t* held_seconds) {
    board_lock::Waited waited;
    const int taken = sim->memory.LockCalls(waited);
    if (holder != nullptr) *holder = waited.holder;
    if (held_seconds != nullptr) *held_seconds = waited.seconds;
    return taken;
}

void ornsim_unlock(ornsim* sim) { sim->memory.UnlockCalls(); }

int ornsim_control(int argc, char** argv) { return ornsim_impl::Control(argc, argv, stdout, stderr); }

int ornsim_iopl(void) {
    std::lock_guard lock(gPortLock);
    ornsim* sim = PortInstance();
    bool allowed = sim != nullptr && sim->board.ioplAllowed;
    if (sim != nullptr) sim->trace->Line(allowed ? "iopl allow" : "iopl deny");
    return allowed ? 1 : 0;
}

}  // extern "C"
