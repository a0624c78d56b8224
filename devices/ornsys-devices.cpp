// SPDX-License-Identifier: MIT
// Copyright (c) 2026 The ornsys authors
//
// ornsys-devices: the board's watchdog and I2C buses where Linux looks for
// them, as character devices in user space (CUSE): /dev/ornsys-watchdog
// for systemd's RuntimeWatchdogSec= and watchdog keepers, /dev/i2c-N for
// i2c-tools. The board is reached through the library (by default through
// the board service), so its lock and roles hold. One thread a device.
#define FUSE_USE_VERSION 31
#include <cuse_lowlevel.h>
#include <fcntl.h>
#include <grp.h>
#include <pthread.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

#include <cerrno>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "i2c-device.h"
#include "ornsyslx.h"
#include "watchdog-device.h"

namespace {

constexpr char kUsage[] =
    "usage: ornsys-devices [--watchdog NAME] [--group GROUP] [--timeout SECONDS] [--max-timeout SECONDS]\n"
    "                      [--i2c-first N] [--i2c-group GROUP] [--no-i2c]\n"
    "       ornsys-devices --help | --version\n";

struct Options {
    std::string watchdog = "ornsys-watchdog";
    std::string group = "ornsys-watchdog";
    unsigned timeout = 30;
    unsigned maxTimeout = 30;
    unsigned i2cFirst = 16;
    std::string i2cGroup = "ornsys-admin";
    bool i2c = true;
};

// One line a message, written whole: the devices' threads log at once.
__attribute__((format(printf, 1, 2))) void Log(const char* format, ...) {
    char line[512];
    va_list arguments;
    va_start(arguments, format);
    vsnprintf(line, sizeof line, format, arguments);
    va_end(arguments);
    fprintf(stderr, "ornsys-devices: %s\n", line);
}

bool Number(const char* text, unsigned low, unsigned high, unsigned& value) {
    char* end = nullptr;
    errno = 0;
    const unsigned long parsed = strtoul(text, &end, 10);
    if (errno != 0 || end == text || *end != '\0' || parsed < low || parsed > high) return false;
    value = unsigned(parsed);
    return true;
}

// 0 to go on, -1 to end well (help, version), else the exit status.
int ParseOptions(int argc, char** argv, Options& options) {
    for (int i = 1; i < argc; ++i) {
        const std::string word = argv[i];
        const bool hasValue = i + 1 < argc;
        if (word == "--help") {
            fputs(kUsage, stdout);
            return -1;
        } else if (word == "--version") {
            printf("ornsys-devices %d.%d.%d\n", ORNSYS_VERSION_MAJOR, ORNSYS_VERSION_MINOR, ORNSYS_VERSION_PATCH);
            return -1;
        } else if (word == "--watchdog" && hasValue) {
            options.watchdog = argv[++i];
            if (options.watchdog.empty() || options.watchdog.find('/') != std::string::npos) {
                fprintf(stderr, "ornsys-devices: --watchdog takes a device name without '/'\n");
                return 2;
            }
        } else if (word == "--group" && hasValue) {
            options.group = argv[++i];
        } else if (word == "--i2c-group" && hasValue) {
            options.i2cGroup = argv[++i];
        } else if (word == "--no-i2c") {
            options.i2c = false;
        } else if (word == "--i2c-first" && hasValue) {
            if (!Number(argv[++i], 0, 1000, options.i2cFirst)) {
                fprintf(stderr, "ornsys-devices: --i2c-first takes a number from 0 to 1000\n");
                return 2;
            }
        } else if ((word == "--timeout" || word == "--max-timeout") && hasValue) {
            if (!Number(argv[++i], 1, 0xFFFF, word == "--timeout" ? options.timeout : options.maxTimeout)) {
                fprintf(stderr, "ornsys-devices: %s takes whole seconds from 1 to 65535\n", word.c_str());
                return 2;
            }
        } else {
            fputs(kUsage, stderr);
            return 2;
        }
    }
    return 0;
}

// One character device: its name under /dev, the group it is given to,
// and what answers it.
struct Device {
    std::string name;
    std::string group;
    std::string what;
    ornsys_devices::WatchdogDevice* watchdog = nullptr;
    std::unique_ptr<ornsys_devices::I2cBus> bus;
    fuse_session* session = nullptr;
    std::thread thread;
};

// The kernel's flag of an ioctl from a 32-bit process (its fuse protocol's
// FUSE_IOCTL_32BIT; libfuse passes the flags through but does not name it).
constexpr unsigned kIoctl32Bit = 1u << 3;

Device& Of(fuse_req_t request) { return *static_cast<Device*>(fuse_req_userdata(request)); }

// Gives the node its role's group and mode 0660 where it has others. udev
// may set a node's owner and mode after the daemon did (its rules read
// before the group existed, or its defaults), so this runs again every few
// seconds.
void KeepGroup(const Device& device, bool quiet) {
    const std::string node = "/dev/" + device.name;
    const group* role = getgrnam(device.group.c_str());
    struct stat seen{};
    if (role == nullptr || stat(node.c_str(), &seen) != 0) return;
    if (seen.st_uid == 0 && seen.st_gid == role->gr_gid && (seen.st_mode & 07777) == 0660) return;
    if ((chown(node.c_str(), 0, role->gr_gid) != 0 || chmod(node.c_str(), 0660) != 0) && !quiet)
        Log("cannot give %s to group %s: %s", node.c_str(), device.group.c_str(), strerror(errno));
}

// The kernel has made the device: it becomes its role's group's.
void GiveToGroup(void* data) {
    const Device& device = *static_cast<Device*>(data);
    const std::string node = "/dev/" + device.name;
    struct stat seen{};
    for (int tries = 0; tries < 50 && stat(node.c_str(), &seen) != 0; ++tries) usleep(100000);
    // After udev has taken the device (its database entry is there): udev
    // sets a node's owner and mode as it takes it, and would undo ours.
    const std::string taken = "/run/udev/data/c" + std::to_string(major(seen.st_rdev)) + ":" +
                              std::to_string(minor(seen.st_rdev));
    for (int tries = 0; tries < 50 && access("/run/udev", F_OK) == 0 && access(taken.c_str(), F_OK) != 0; ++tries)
        usleep(100000);
    if (getgrnam(device.group.c_str()) == nullptr)
        Log("group %s does not exist: %s stays root's alone", device.group.c_str(), node.c_str());
    else
        KeepGroup(device, false);
    Log("%s is %s", device.what.c_str(), node.c_str());
}

// Unrestricted ioctls: the first request names only the command and the
// caller's pointer; the bytes a command carries are asked for, and the
// answer is written back to the caller's memory.
void ReplyRetry(fuse_req_t request, const std::vector<ornsys_devices::Span>& in,
                const std::vector<ornsys_devices::Span>& out) {
    std::vector<iovec> inVectors, outVectors;
    for (const auto& span : in) inVectors.push_back({reinterpret_cast<void*>(uintptr_t(span.address)), span.size});
    for (const auto& span : out) outVectors.push_back({reinterpret_cast<void*>(uintptr_t(span.address)), span.size});
    fuse_reply_ioctl_retry(request, inVectors.data(), inVectors.size(), outVectors.data(), outVectors.size());
}

// ---- the watchdog ----

void WatchdogOpen(fuse_req_t request, fuse_file_info* file) {
    if (int error = Of(request).watchdog->open()) {
        fuse_reply_err(request, error);
        return;
    }
    file->nonseekable = 1;
    fuse_reply_open(request, file);
}

void NoRead(fuse_req_t request, size_t, off_t, fuse_file_info*) { fuse_reply_err(request, EINVAL); }

void WatchdogWrite(fuse_req_t request, const char* bytes, size_t size, off_t, fuse_file_info*) {
    const long taken = Of(request).watchdog->write({reinterpret_cast<const uint8_t*>(bytes), size});
    if (taken < 0)
        fuse_reply_err(request, int(-taken));
    else
        fuse_reply_write(request, size_t(taken));
}

void WatchdogRelease(fuse_req_t request, fuse_file_info*) {
    std::string why;
    Of(request).watchdog->release(why);
    Log("%s", why.c_str());
    fuse_reply_err(request, 0);
}

void WatchdogIoctl(fuse_req_t request, int command, void* argument, fuse_file_info*, unsigned, const void* in,
                   size_t inSize, size_t outSize) {
    const ornsys_devices::IoctlShape shape = ornsys_devices::WatchdogIoctlShape(unsigned(command));
    if (!shape.known) {
        fuse_reply_err(request, ENOTTY);
        return;
    }
    if (inSize < shape.in || outSize < shape.out) {
        if (inSize != 0 || outSize != 0) {  // asked once already: the kernel gave less
            fuse_reply_err(request, EINVAL);
            return;
        }
        const uint64_t at = uintptr_t(argument);
        std::vector<ornsys_devices::Span> wantIn, wantOut;
        if (shape.in) wantIn.push_back({at, shape.in});
        if (shape.out) wantOut.push_back({at, shape.out});
        ReplyRetry(request, wantIn, wantOut);
        return;
    }
    const ornsys_devices::IoctlResult result =
        Of(request).watchdog->ioctl(unsigned(command), {static_cast<const uint8_t*>(in), inSize});
    if (result.error != 0)
        fuse_reply_err(request, result.error);
    else
        fuse_reply_ioctl(request, 0, result.out.data(), result.out.size());
}

// ---- an I2C bus: each open file has its own device address ----

ornsys_devices::I2cFile& FileOf(fuse_file_info* file) {
    return *reinterpret_cast<ornsys_devices::I2cFile*>(uintptr_t(file->fh));
}

void I2cOpen(fuse_req_t request, fuse_file_info* file) {
    file->fh = uintptr_t(new ornsys_devices::I2cFile);
    file->nonseekable = 1;
    fuse_reply_open(request, file);
}

void I2cRelease(fuse_req_t request, fuse_file_info* file) {
    delete &FileOf(file);
    fuse_reply_err(request, 0);
}

void I2cRead(fuse_req_t request, size_t size, off_t, fuse_file_info* file) {
    std::vector<uint8_t> data;
    const long got = Of(request).bus->read(FileOf(file), data, size);
    if (got < 0)
        fuse_reply_err(request, int(-got));
    else
        fuse_reply_buf(request, reinterpret_cast<const char*>(data.data()), data.size());
}

void I2cWrite(fuse_req_t request, const char* bytes, size_t size, off_t, fuse_file_info* file) {
    const long taken = Of(request).bus->write(FileOf(file), {reinterpret_cast<const uint8_t*>(bytes), size});
    if (taken < 0)
        fuse_reply_err(request, int(-taken));
    else
        fuse_reply_write(request, size_t(taken));
}

void I2cIoctl(fuse_req_t request, int command, void* argument, fuse_file_info* file, unsigned flags, const void* in,
              size_t inSize, size_t outSize) {
    const ornsys_devices::I2cStep step =
        Of(request).bus->ioctl(FileOf(file), unsigned(command), uintptr_t(argument), (flags & (FUSE_IOCTL_COMPAT | kIoctl32Bit)) != 0,
                               {static_cast<const uint8_t*>(in), inSize}, outSize);
    if (step.retry) {
        // Each round asks for more than the last; asking for what it has
        // means the kernel gave less than was asked: an error, not a loop.
        size_t wantedIn = 0, wantedOut = 0;
        for (const auto& span : step.in) wantedIn += span.size;
        for (const auto& span : step.out) wantedOut += span.size;
        if ((inSize != 0 || outSize != 0) && wantedIn <= inSize && wantedOut <= outSize) {
            fuse_reply_err(request, EINVAL);
            return;
        }
        ReplyRetry(request, step.in, step.out);
    } else if (step.error != 0) {
        fuse_reply_err(request, step.error);
    } else {
        fuse_reply_ioctl(request, step.result, step.bytes.data(), step.bytes.size());
    }
}

// Makes the device and serves it in a thread of its own.
bool Start(Device& device, char* program) {
    const std::string name = "DEVNAME=" + device.name;
    const char* info[] = {name.c_str()};
    cuse_info cuse{};
    cuse.dev_info_argc = 1;
    cuse.dev_info_argv = info;
    cuse.flags = CUSE_UNRESTRICTED_IOCTL;
    cuse_lowlevel_ops operations{};
    operations.init_done = GiveToGroup;
    if (device.watchdog) {
        operations.open = WatchdogOpen;
        operations.read = NoRead;
        operations.write = WatchdogWrite;
        operations.release = WatchdogRelease;
        operations.ioctl = WatchdogIoctl;
    } else {
        operations.open = I2cOpen;
        operations.read = I2cRead;
        operations.write = I2cWrite;
        operations.release = I2cRelease;
        operations.ioctl = I2cIoctl;
    }
    char* arguments[] = {program};
    fuse_args args = FUSE_ARGS_INIT(1, arguments);
    device.session = cuse_lowlevel_new(&args, &cuse, &operations, &device);
    const int channel = open("/dev/cuse", O_RDWR | O_CLOEXEC);
    if (device.session == nullptr || channel < 0) {
        Log("%s cannot be made: /dev/cuse: %s (is this root, and is the cuse module there?)", device.name.c_str(),
            channel < 0 ? strerror(errno) : "the session could not be made");
        if (channel >= 0) close(channel);
        return false;
    }
    const std::string mount = "/dev/fd/" + std::to_string(channel);
    if (fuse_session_mount(device.session, mount.c_str()) != 0) {
        Log("%s cannot be made", device.name.c_str());
        close(channel);
        return false;
    }
    device.thread = std::thread([&device] { fuse_session_loop(device.session); });
    return true;
}

void Interrupted(int) {}

}  // namespace

int main(int argc, char** argv) {
    // Standard streams a parent closed are opened on /dev/null first, so
    // that no device channel takes one of their numbers and gets the log.
    for (int fd = 0; fd < 3; ++fd)
        if (fcntl(fd, F_GETFD) < 0 && open("/dev/null", O_RDWR) != fd) return 1;
    Options options;
    if (int status = ParseOptions(argc, argv, options)) return status < 0 ? 0 : status;
    if (!OrnOpen()) {
        DWORD code = 0;
        char message[128] = "";
        OrnGetLastError(&code, message, sizeof message);
        fprintf(stderr, "ornsys-devices: the board cannot be opened: 0x%04x %s\n", unsigned(code), message);
        return 1;
    }
    // The serving threads block SIGTERM and SIGINT (main waits for them)
    // and are woken from their reads by SIGUSR1 when it is time to end.
    sigset_t ending;
    sigemptyset(&ending);
    sigaddset(&ending, SIGTERM);
    sigaddset(&ending, SIGINT);
    pthread_sigmask(SIG_BLOCK, &ending, nullptr);
    struct sigaction wake{};
    wake.sa_handler = Interrupted;  // no SA_RESTART: a blocked read returns
    sigaction(SIGUSR1, &wake, nullptr);

    ornsys_devices::WatchdogDevice watchdog(options.timeout, options.maxTimeout);
    std::vector<std::unique_ptr<Device>> devices;
    auto watchdogDevice = std::make_unique<Device>();
    watchdogDevice->name = options.watchdog;
    watchdogDevice->group = options.group;
    watchdogDevice->what = "the board's watchdog";
    watchdogDevice->watchdog = &watchdog;
    devices.push_back(std::move(watchdogDevice));
    DWORD buses = 0;
    if (options.i2c && !OrnGetI2CBusCount(&buses)) buses = 0;  // a board without I2C
    unsigned number = options.i2cFirst;
    for (DWORD index = 0; index < buses; ++index) {
        I2CBUSINFO info{};
        info.I2CBusInfoSize = sizeof info;
        if (!OrnQueryI2CBus(index, &info)) continue;
        struct stat taken{};
        while (stat(("/dev/i2c-" + std::to_string(number)).c_str(), &taken) == 0) ++number;  // a kernel adapter's
        auto bus = std::make_unique<Device>();
        bus->name = "i2c-" + std::to_string(number++);
        bus->group = options.i2cGroup;
        bus->what = "the board's I2C bus " + std::to_string(info.I2CBusID) + " (" +
                    std::string(info.I2CBusString, strnlen(info.I2CBusString, sizeof info.I2CBusString)) + ")";
        bus->bus = std::make_unique<ornsys_devices::I2cBus>(info.I2CBusID);
        devices.push_back(std::move(bus));
    }
    int status = 0;
    for (auto& device : devices) {
        if (!Start(*device, argv[0])) {
            status = 1;
            break;
        }
    }
    if (status == 0) {
        const timespec every{2, 0};
        while (sigtimedwait(&ending, nullptr, &every) < 0)
            for (const auto& device : devices) KeepGroup(*device, true);
    }
    for (auto& device : devices) {
        if (device->session == nullptr) continue;
        fuse_session_exit(device->session);
        if (device->thread.joinable()) {
            pthread_kill(device->thread.native_handle(), SIGUSR1);
            device->thread.join();
        }
        fuse_session_destroy(device->session);
    }
    // The watchdog is left as its last opener left it: running unless it
    // was closed with the magic character, so that a stopped daemon resets
    // the board like a hung system would.
    OrnClose();
    return status;
}
