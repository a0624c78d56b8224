// SPDX-License-Identifier: MIT
// Copyright (c) 2026 The ornsys authors
// The real locator and call gate over crafted firmware images: in a 32-bit
// test build through the image backend; in a 64-bit build through the board
// backend and the compatibility-mode gate, in a child process whose mount
// and IPC namespaces are its own, with the image as its /dev/mem (root only).
#if defined(ORNSYS_IMAGE_BACKEND) || defined(ORNSYS_BOARD_ON_IMAGE)

#include <sched.h>
#include <sys/mman.h>
#include <sys/prctl.h>
#include <sys/mount.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstring>
#include <iterator>
#include <fstream>

#include "board-fixture.h"
#include "firmware-image.h"
#include "bios32.h"
#include "gate.h"
#include "internal.h"

#if defined(ORNSYS_BOARD_ON_IMAGE)
// The board backend raises its I/O privilege, which test machines do not
// grant; the services of these images do no port I/O.
extern "C" int iopl(int level);
extern "C" int iopl(int) { return 0; }
#endif

namespace {

using firmware_image::kServiceBase;

#if defined(ORNSYS_BOARD_ON_IMAGE)
constexpr const char* kImagePath = "/dev/mem";
const std::string kOpenFailed = "ornsys: OrnOpen: board backend: ";
#else
constexpr const char* kImagePath = nullptr;
const std::string kOpenFailed = "ornsys: OrnOpen: image backend: ";
#endif

class Bios32Gate : public BoardTest {
protected:
    // Writes an image for the next open.
    void UseImage(const std::vector<BYTE>& image) {
        const std::string path = kImagePath ? kImagePath : Path("firmware.img");
        std::ofstream(path, std::ios::binary)
            .write(reinterpret_cast<const char*>(image.data()), std::streamsize(image.size()));
        if (!kImagePath) setenv("ORN_FIRMWARE_IMAGE", path.c_str(), 1);
    }
};

// Where a test's body reaches the gate: this process in a 32-bit image
// build; in a 64-bit build a child with its own /dev (and so its own
// /dev/mem) and its own board lock, whose verdict the parent takes when the
// child's body ends.
class GateProcess {
public:
    GateProcess() {
#if defined(ORNSYS_BOARD_ON_IMAGE)
        if ((pid_ = fork()) == 0) {
            setenv("ORNSYS_BACKEND", "board", 1);
            if (unshare(CLONE_NEWNS | CLONE_NEWIPC) != 0 || mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) ||
                mount("tmpfs", "/dev", "tmpfs", 0, nullptr))
                _exit(77);
            return;
        }
        int status = 0;
        waitpid(pid_, &status, 0);
        skipped_ = WIFEXITED(status) && WEXITSTATUS(status) == 77;
        EXPECT_TRUE(skipped_ || (WIFEXITED(status) && WEXITSTATUS(status) == 0)) << "the gate's process: " << status;
#endif
    }
    ~GateProcess() {
        if (pid_ == 0) _exit(testing::Test::HasFailure() ? 1 : 0);
    }
    // Whether the body runs here; false in the parent of the child that ran it.
    bool Here() const { return pid_ <= 0; }
    bool Skipped() const { return skipped_; }

private:
    pid_t pid_ = -1;
    bool skipped_ = false;
};

// Runs the rest of a test's body where the gate is. A 64-bit process enters
// the firmware through the kernel's 32-bit code segment, which not every
// kernel gives: there these cases run in the i386-image tree (far-call gate)
// and in the system stage's amd64 guest (this gate, on a real kernel).
#define IN_GATE_PROCESS()                                                                              \
    if (!gate::Runs32BitCode())                                                                        \
        GTEST_SKIP() << "needs a kernel that runs 32-bit code (the system stage's amd64 guest runs this)"; \
    if (geteuid() != 0 && kImagePath) GTEST_SKIP() << "needs root for a mount namespace";             \
    GateProcess where;                                                                                 \
    if (where.Skipped()) GTEST_SKIP() << "needs a mount namespace, which this machine refuses";         \
    if (!where.Here()) return

#if defined(ORNSYS_IMAGE_BACKEND)
TEST_F(Bios32Gate, DefaultImageReachesTheVirtualBoard) {
    ASSERT_TRUE(OrnOpen());
    DWORD count = 0;
    EXPECT_TRUE(OrnGetNVRamCount(&count));
    EXPECT_EQ(count, 4u);
    EXPECT_EQ(ulBiosInterface, DWORD(reinterpret_cast<uintptr_t>(WindowAddress(kServiceBase + 0x20))));
}
#endif

// Values kept in callee-saved registers across calls to the service (or,
// for comparison, the same computation without them).
__attribute__((noinline)) DWORD MixAcrossCalls(int rounds, bool call) {
    DWORD a = 0x1234567, b = 0x89ABCDE, c = 0x13579BD, status = 0, count;
    for (int i = 0; i < rounds; ++i) {
        if (call) status |= CallOpenBackend(0x11, &count);
        a = a * 3 + b;
        b = b ^ (c << 1);
        c = c + a;
    }
    return (a ^ b ^ c) + status;
}

// A service that sets the direction flag, clobbers every register it may,
// writes the block's first word and succeeds with garbage in the upper half
// of EAX: the status is its lower 16 bits; what it writes reaches the
// caller's record; EBX, ESI and EBP stay the caller's; the gate clears the
// flag, so the copies after the call (and every string instruction of the
// process) run forwards and stay inside their records.
TEST_F(Bios32Gate, WhatTheServiceWritesReachesTheCallerAndNothingElse) {
    IN_GATE_PROCESS();
    UseImage(firmware_image::Make(true, {
                                            0xFD,                                // std
                                            0xBB, 0xFF, 0xFF, 0xFF, 0xFF,        // mov ebx, -1
                                            0xB9, 0xFF, 0xFF, 0xFF, 0xFF,        // mov ecx, -1
                                            0xBA, 0xFF, 0xFF, 0xFF, 0xFF,        // mov edx, -1
                                            0xBF, 0xFF, 0xFF, 0xFF, 0xFF,        // mov edi, -1
                                            0x8B, 0x44, 0x24, 0x0C,              // mov eax, [esp+12] (the block)
                                            0xC7, 0x00, 0x78, 0x56, 0x34, 0x12,  // mov dword [eax], 0x12345678
                                            0xB8, 0x00, 0x00, 0xAD, 0xDE,        // mov eax, 0xDEAD0000
                                            0xCB,                                // retf
                                        }));
    ASSERT_TRUE(OrnOpen());
    DWORD count = 0;
    EXPECT_TRUE(OrnGetNVRamCount(&count));
    EXPECT_EQ(count, 0x12345678u);
    EXPECT_EQ(MixAcrossCalls(5, true), MixAcrossCalls(5, false));
    struct {
        BYTE before[96];
        BOARDINFO info;
        BYTE after[96];
    } guarded;
    memset(&guarded, 0xAA, sizeof guarded);
    EXPECT_TRUE(OrnGetBoardInfo(&guarded.info));
    EXPECT_TRUE(std::all_of(std::begin(guarded.before), std::end(guarded.before), [](BYTE b) { return b == 0xAA; }));
    EXPECT_TRUE(std::all_of(std::begin(guarded.after), std::end(guarded.after), [](BYTE b) { return b == 0xAA; }));
    CallOpenBackend(0x11, &count);
    DWORD flags;
#if defined(__x86_64__)
    __asm__ __volatile__("pushfq\n\tpopq %q0" : "=r"(flags));
#else
    __asm__ __volatile__("pushfl\n\tpopl %0" : "=r"(flags));
#endif
    EXPECT_EQ(flags & 0x400, 0u) << "direction flag";
}

// The configuration block crosses the gate at the size the board gave for
// it: what the service writes at its end reaches the caller, and no byte
// beyond it. A block of one byte (the watchdog's status) crosses whole.
TEST_F(Bios32Gate, TheConfigurationBlockCrossesAtTheBoardsSize) {
    IN_GATE_PROCESS();
    UseImage(firmware_image::Make(true, {
                                            0x8B, 0x44, 0x24, 0x0C,                    // mov eax, [esp+12] (the block)
                                            0x8B, 0x4C, 0x24, 0x08,                    // mov ecx, [esp+8] (the function)
                                            0x83, 0xF9, 0x32,                          // cmp ecx, 0x32 (the status)
                                            0x75, 0x05,                                // jne size
                                            0xC6, 0x00, 0xA5,                          // mov byte [eax], 0xA5
                                            0xEB, 0x14,                                // jmp done
                                            0x83, 0xF9, 0x04,                          // size: cmp ecx, 4
                                            0x75, 0x08,                                // jne block
                                            0xC7, 0x00, 0x10, 0x00, 0x00, 0x00,        // mov dword [eax], 16
                                            0xEB, 0x07,                                // jmp done
                                            0xC7, 0x40, 0x0C, 0x5A, 0x5A, 0x5A, 0x5A,  // block: mov dword [eax+12], ...
                                            0x31, 0xC0,                                // done: xor eax, eax
                                            0xCB,                                      // retf
                                        }));
    ASSERT_TRUE(OrnOpen());
    DWORD size = 0;
    ASSERT_TRUE(OrnGetBoardCfgSize(&size));
    ASSERT_EQ(size, 16u);
    BYTE config[16 + 8];
    memset(config, 0xAA, sizeof config);
    EXPECT_TRUE(OrnGetBoardCfg(config));
    EXPECT_EQ(std::vector<BYTE>(config + 12, config + sizeof config),
              (std::vector<BYTE>{0x5A, 0x5A, 0x5A, 0x5A, 0xAA, 0xAA, 0xAA, 0xAA, 0xAA, 0xAA, 0xAA, 0xAA}));
    BYTE status = 0;
    EXPECT_TRUE(OrnWDGetStatus(&status));
    EXPECT_EQ(status, 0xA5);
}

// Addresses outside the mapped window are never called, nor is a directory
// without the service: the open fails cleanly, and ORNSYS_DEBUG=1 says which
// step. (Which header the locator takes is its unit test's.) On a good image
// the gate answers 0x8000 before the open and after the close, and nothing
// of the window or its reservation stays mapped.
TEST_F(Bios32Gate, BadImagesFailTheOpenAndAClosedGateLeavesNothing) {
    IN_GATE_PROCESS();
    struct Case {
        std::vector<BYTE> image;
        const char* line;
    };
    const std::vector<BYTE> succeeds = {0x31, 0xC0, 0xCB};  // xor eax, eax; retf
    // A good image whose header names the directory at `entry` instead.
    auto directoryAt = [&](DWORD entry) {
        auto image = firmware_image::Make(true, succeeds);
        auto header = firmware_image::Header(entry, 1);
        std::copy(header.begin(), header.end(), image.begin() + firmware_image::kHeaderAt);
        return image;
    };
    auto service = firmware_image::Make(true, succeeds);
    const std::vector<BYTE> answersHigh = {0xBB, 0x00, 0x00, 0xF8, 0xFF,  // mov ebx, 0xFFF80000
                                           0x31, 0xD2, 0x30, 0xC0, 0xCB};  // xor edx, edx; xor al, al; retf
    std::copy(answersHigh.begin(), answersHigh.end(), service.begin() + firmware_image::kDirectoryAt);
    const Case cases[] = {
        {directoryAt(0x00001000), "BIOS32 directory failed: the header names an entry outside 0xD0000-0xFFFFF\n"},
        {directoryAt(0x00100000), "BIOS32 directory failed: the header names an entry outside 0xD0000-0xFFFFF\n"},
        {service, "ZOKA service failed: the directory names an entry outside 0xD0000-0xFFFFF\n"},
        {std::vector<BYTE>(firmware_image::kImageSize, 0),
         "BIOS32 directory failed: no \"_32_\" header with a right checksum in 0xD0000-0xFFFFF\n"},
        {firmware_image::Make(false, succeeds),
         "BIOS32 directory failed: the directory does not know the ZOKA service\n"},
    };
    for (const Case& c : cases) {
        UseImage(c.image);
        for (bool debug : {false, true}) {
            if (debug) setenv("ORNSYS_DEBUG", "1", 1);
            testing::internal::CaptureStderr();
            EXPECT_FALSE(OrnOpen());
            EXPECT_EQ(testing::internal::GetCapturedStderr(), debug ? kOpenFailed + c.line : "");
            EXPECT_EQ(LastError(), 0x8100u);
            EXPECT_EQ(ulBiosInterface, 0u);
            unsetenv("ORNSYS_DEBUG");
        }
    }
    UseImage(firmware_image::Make(true, succeeds));
    EXPECT_EQ(CallOpenBackend(0x11, nullptr), 0x8000u);
    ASSERT_TRUE(OrnOpen());
    BYTE* window = vPtr;
    ASSERT_TRUE(OrnClose());
    EXPECT_EQ(CallOpenBackend(0x11, nullptr), 0x8000u);
    EXPECT_EQ(ulBiosInterface, 0u);
    // The whole reservation (it starts at the window: mappings are page
    // aligned) can be mapped afresh without replacing anything. The page
    // below it is not the window's: another mapping below 4 GiB, such as the
    // compatibility gate's own, may lie right there.
    void* again = mmap(window, kReservationLength, PROT_READ, MAP_PRIVATE | MAP_ANONYMOUS | MAP_FIXED_NOREPLACE, -1, 0);
    EXPECT_EQ(again, static_cast<void*>(window));
    if (again != MAP_FAILED) munmap(again, kReservationLength);
}

#if defined(ORNSYS_BOARD_ON_IMAGE)
#if !defined(PR_SET_MDWE)  // Linux 6.3's, newer than these headers
#define PR_SET_MDWE 65
#define PR_GET_MDWE 66
#define PR_MDWE_REFUSE_EXEC_GAIN 1
#endif

// Mappings below 4 GiB, where the gate keeps its code and frame.
int MappingsBelow4G() {
    std::ifstream maps("/proc/self/maps");
    int count = 0;
    for (std::string line; std::getline(maps, line);) count += std::stoull(line, nullptr, 16) < (1ull << 32);
    return count;
}

// The open fails with 0x8100, says `reason` under ORNSYS_DEBUG=1, and leaves
// no new mapping below 4 GiB.
void ExpectOpenFailsLeavingNoMapping(const std::string& reason) {
    const int before = MappingsBelow4G();
    setenv("ORNSYS_DEBUG", "1", 1);
    testing::internal::CaptureStderr();
    EXPECT_FALSE(OrnOpen());
    EXPECT_EQ(testing::internal::GetCapturedStderr(), kOpenFailed + reason);
    unsetenv("ORNSYS_DEBUG");
    DWORD code = 0;
    OrnGetLastError(&code, nullptr, 0);
    EXPECT_EQ(code, 0x8100u);
    EXPECT_EQ(MappingsBelow4G(), before);
}

// A process that may not make memory executable (PR_SET_MDWE, as systemd's
// MemoryDenyWriteExecute= sets it): the open fails at the gate's code, says
// so, and leaves none of the gate's mappings behind.
TEST_F(Bios32Gate, AProcessThatMayNotMakeCodeFailsTheOpenAndKeepsNoMapping) {
    if (gate::Runs32BitCode() && prctl(PR_GET_MDWE, 0, 0, 0, 0) < 0)
        GTEST_SKIP() << "needs PR_SET_MDWE (Linux 6.3 or later)";
    IN_GATE_PROCESS();
    ASSERT_EQ(prctl(PR_SET_MDWE, PR_MDWE_REFUSE_EXEC_GAIN, 0, 0, 0), 0);
    UseImage(firmware_image::Make(true, {0x31, 0xC0, 0xCB}));  // xor eax, eax; retf
    ExpectOpenFailsLeavingNoMapping("making the gate's code executable failed: Permission denied; a "
                                    "memory-deny-write-execute policy forbids it (MemoryDenyWriteExecute=, PR_SET_MDWE)\n");
}

// Reserves, inaccessible, whatever is free in [begin, end); the ranges it
// took go into `taken`.
void ReserveFree(uintptr_t begin, uintptr_t end, std::vector<std::pair<void*, size_t>>& taken) {
    const long page = sysconf(_SC_PAGESIZE);
    if (end <= begin) return;
    void* at = reinterpret_cast<void*>(begin);
    void* got = mmap(at, end - begin, PROT_NONE, MAP_PRIVATE | MAP_ANONYMOUS | MAP_NORESERVE | MAP_FIXED_NOREPLACE,
                     -1, 0);
    if (got == at) return taken.emplace_back(got, end - begin), void();
    if (got != MAP_FAILED) munmap(got, end - begin);  // a kernel that took the address as a hint only
    if (end - begin <= uintptr_t(page)) return;
    const uintptr_t middle = begin + (end - begin) / 2 / page * page;
    ReserveFree(begin, middle, taken);
    ReserveFree(middle, end, taken);
}

// A process whose low address space is used up (where MAP_32BIT maps on
// x86-64, 1 GiB to 2 GiB): the open fails at the gate's memory and says so.
// Used up after the open, a call whose buffer needs a copy there fails with
// 0x8012 without entering the firmware (which here would answer success).
TEST_F(Bios32Gate, AProcessWithNoLowAddressSpaceLeftFailsTheOpenOrTheCall) {
    IN_GATE_PROCESS();
    UseImage(firmware_image::Make(true, {0x31, 0xC0, 0xCB}));  // xor eax, eax; retf
    std::vector<std::pair<void*, size_t>> taken;
    ReserveFree(0x40000000, 0x80000000, taken);
    ExpectOpenFailsLeavingNoMapping("memory below 4 GiB for the gate failed: Cannot allocate memory; the process "
                                    "has no address space left there\n");
    for (const auto& [at, length] : taken) munmap(at, length);

    ASSERT_TRUE(OrnOpen());
    taken.clear();
    ReserveFree(0x40000000, 0x80000000, taken);
    BYTE bytes[16] = {};
    DWORD count = sizeof bytes;
    EXPECT_FALSE(OrnI2CReadBlock(0, 0x50, 0, bytes, &count, 1));
    EXPECT_EQ(LastError(), DWORD{ORN_BIOS_DATA_ACCESS});
    EXPECT_TRUE(OrnClose());
}
#endif

}  // namespace

#endif
