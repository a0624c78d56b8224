// SPDX-License-Identifier: MIT
// Copyright (c) 2026 The ornsys authors
// The library's state, call sequence and error reporting, through the C API.
#if defined(__x86_64__)
#include <asm/ldt.h>
#endif
#include <fcntl.h>
#include <grp.h>
#include <sched.h>
#include <sys/mount.h>
#include <sys/socket.h>
#include <sys/syscall.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstring>
#include <filesystem>
#include <functional>

#include "board-fixture.h"
#include "every-call.h"
#include "gate.h"
#include "internal.h"

namespace {

using Library = BoardTest;

// A call and its name: the tables of calls refused.
using ApiCall = std::pair<const char*, std::function<BOOL()>>;

TEST_F(Library, EveryCallOnAClosedLibraryFailsWithLastErrorZero) {
    EXPECT_EQ(CallOpenBackend(0x01, nullptr), 0x8000u);
    for (const every_call::ApiCall& c : every_call::kCalls) {
        OrnOpen();  // leaves a last error of its own behind
        OrnClose();
        EXPECT_EQ(c.call(0), FALSE) << c.name;
        DWORD code = 0xFFFF;
        char message[64];
        EXPECT_EQ(OrnGetLastError(&code, message, sizeof message), TRUE) << c.name;
        EXPECT_EQ(code, 0u) << c.name;
        EXPECT_STREQ(message, "BIOS: SUCCESS") << c.name;
    }
    // The gate itself answers 0x8000 before the first open and after a close.
    EXPECT_EQ(CallOpenBackend(0x11, nullptr), 0x8000u);
    EXPECT_TRUE(Calls().empty());
}

// Null pointers (0x8103) and NVRAM indices past the last a board can carry (0x8051) are refused
// before any firmware call; a read or write finds its null pointers after
// the NVRAM refresh. The next call proceeds normally.
TEST_F(Library, ArgumentsRefusedBeforeAnyFirmwareCall) {
    ASSERT_TRUE(OrnOpen());
    ClearTrace();
    DWORD dw = 4;
    BYTE b[4];
    NVRAMINFO info;
    NVDEVICEINFO device{12, 0, 0, 0};
    NVBLOCKINFO block{12, 0, 0};
    const auto indexed = [&](DWORD index) {
        return std::vector<ApiCall>{
            {"OrnGetNVRamInfo", [&, index] { return OrnGetNVRamInfo(index, &info); }},
            {"OrnGetNVDeviceInfo", [&, index] { return OrnGetNVDeviceInfo(index, &device); }},
            {"OrnQueryNVBlock", [&, index] { return OrnQueryNVBlock(index, 0, &block); }},
            {"OrnNVDeviceRaw", [index] { return OrnNVDeviceRaw(index, 0, 0); }},
        };
    };
    for (const auto& [name, call] : indexed(zoka::kMaxNVRams)) {
        EXPECT_EQ(call(), FALSE) << name;
        EXPECT_EQ(LastError(), 0x8051u) << name;
    }
    const std::vector<ApiCall> nulls = {
        {"OrnGetDllVersion", [] { return OrnGetDllVersion(nullptr); }},
        {"OrnGetVersion", [] { return OrnGetVersion(nullptr); }},
        {"OrnGetBoardInfo", [] { return OrnGetBoardInfo(nullptr); }},
        {"OrnGetBoardCfg", [] { return OrnGetBoardCfg(nullptr); }},
        {"OrnSetBoardCfg", [] { return OrnSetBoardCfg(nullptr); }},
        {"OrnGetNVRamCount", [] { return OrnGetNVRamCount(nullptr); }},
        {"OrnGetNVRamInfo", [] { return OrnGetNVRamInfo(0, nullptr); }},
        {"OrnQueryNVBlock", [] { return OrnQueryNVBlock(3, 0, nullptr); }},
        {"OrnI2CRead8", [] { return OrnI2CRead8(0, 0x50, 0, nullptr, 1); }},
        {"OrnI2CReadBlock buffer", [&] { return OrnI2CReadBlock(0, 0x50, 0, nullptr, &dw, 1); }},
        {"OrnI2CWriteBlock count", [&] { return OrnI2CWriteBlock(0, 0x50, 0, b, nullptr, 1); }},
        {"OrnWDGetStatus", [] { return OrnWDGetStatus(nullptr); }},
        {"OrnGetContrastValue", [] { return OrnGetContrastValue(nullptr); }},
        {"OrnQueryVoltSensor", [] { return OrnQueryVoltSensor(0, nullptr); }},
        {"OrnGetVoltSensorValue", [] { return OrnGetVoltSensorValue(0, nullptr); }},
        {"OrnGetSystemState", [] { return OrnGetSystemState(nullptr); }},
        {"OrnGetBatteryInfo", [] { return OrnGetBatteryInfo(0, nullptr); }},
        {"OrnOEMPassThru", [] { return OrnOEMPassThru(0, nullptr); }},
    };
    for (const auto& [name, call] : nulls) {
        EXPECT_EQ(call(), FALSE) << name;
        EXPECT_EQ(LastError(), 0x8103u) << name;
    }
    EXPECT_TRUE(Calls().empty());
    for (const auto& [name, call] : indexed(zoka::kMaxNVRams - 1)) {  // the highest index reaches the firmware
        EXPECT_FALSE(call()) << name;
        EXPECT_EQ(LastError(), 0x8033u) << name;
    }
    EXPECT_FALSE(OrnWriteNVRam(1, 0, 1, nullptr, &dw));
    EXPECT_EQ(LastError(), 0x8103u);
    EXPECT_FALSE(OrnReadNVRam(1, 0, 1, b, nullptr));
    EXPECT_EQ(LastError(), 0x8103u);
    EXPECT_EQ(Calls().size(), 4u + 2 * 5u);  // the four; each transfer after a refresh: the count, every NVRAM's description
    EXPECT_EQ(dwNVRamCount, 4u);
    EXPECT_EQ(rgtNVRamInfo[1].NVRamSize, 0x200u);
    // Nothing to move, or an index the firmware refuses: TRUE, no byte
    // moved, the refusal's status kept.
    dw = 7;
    EXPECT_TRUE(OrnReadNVRam(1, 0, 0, b, &dw) && dw == 0);
    dw = 7;
    EXPECT_TRUE(OrnReadNVRam(7, 0, 4, b, &dw) && dw == 0);
    EXPECT_EQ(LastError(), 0x8033u);
    int free = -1;
    sem_getvalue(&hSem, &free);
    EXPECT_EQ(free, 1);  // the refresh's lock given back
    EXPECT_TRUE(OrnGetNVRamCount(&dw));
    EXPECT_EQ(LastError(), 0u);
}

TEST_F(Library, OpenFailsWith8100WhenTheFirmwareCannotBeReachedElseSucceedsOnce) {
    UseBoard("[firmware]\nzoka = absent\n", false);
    EXPECT_FALSE(OrnOpen());
    EXPECT_EQ(LastError(), 0x8100u);
    EXPECT_FALSE(OrnClose());
    EXPECT_EQ(LastError(), 0u);

    // With ORNSYS_DEBUG=1 a backend that does not exist is named with those that do.
    setenv("ORNSYS_BACKEND", "nosuch", 1);
    setenv("ORNSYS_DEBUG", "1", 1);
    testing::internal::CaptureStderr();
    EXPECT_FALSE(OrnOpen());
#if defined(ORNSYS_IMAGE_BACKEND)
    const std::string more = ", image";
#else
    const std::string more;
#endif
    EXPECT_EQ(testing::internal::GetCapturedStderr(),
              "ornsys: OrnOpen: ORNSYS_BACKEND=nosuch is not a backend; the backends are board, virtual, service" +
                  more + "\n");
    // An errno the caller left behind does not make a good setting bad.
    setenv("ORNSYS_BACKEND", "service", 1);
    setenv("ORNSYS_SERVICE_SOCKET", "/nonexistent/ornsysd.sock", 1);
    setenv("ORNSYS_SERVICE_TIMEOUT", "5", 1);
    testing::internal::CaptureStderr();
    errno = ERANGE;
    EXPECT_FALSE(OrnOpen());
    const std::string refused = testing::internal::GetCapturedStderr();
    unsetenv("ORNSYS_SERVICE_SOCKET");
    unsetenv("ORNSYS_SERVICE_TIMEOUT");
    EXPECT_EQ(refused.rfind("ornsys: OrnOpen: service backend: connecting to the board service at "
                            "/nonexistent/ornsysd.sock failed: No such file or directory;", 0), 0u) << refused;
    UseTestBackend();

    // With ORNSYS_DEBUG=1 a good open says which backend started, and no
    // more; opening it again changes nothing. The versions ask no firmware.
    UseBoard("[board]\nplatform = GOOD\n", false);
    ClearTrace();
    testing::internal::CaptureStderr();
    EXPECT_TRUE(OrnOpen() && OrnOpen());
    EXPECT_EQ(LastError(), 0u);
    const std::string said = testing::internal::GetCapturedStderr();
    EXPECT_NE(said.find("backend: firmware started\n"), std::string::npos) << said;
    EXPECT_EQ(said.find("failed"), std::string::npos) << said;
    DWORD dll = 0;
    WORD version = 0;
    EXPECT_TRUE(OrnGetDllVersion(&dll) && OrnGetVersion(&version));
    EXPECT_EQ(dll, 0x80020006u);
    EXPECT_EQ(version, 0x8206u);
    EXPECT_TRUE(OrnClose());
    EXPECT_FALSE(OrnClose());
    EXPECT_EQ(Trace(), (std::vector<std::string>{"open", "close"}));

    // Without standard input, what the backend opens first (no trace file
    // before it) gets descriptor 0: the open succeeds as any other.
    unsetenv("ORNSIM_TRACE");
    const int input = dup(0);
    close(0);
    EXPECT_TRUE(OrnOpen());
    EXPECT_TRUE(OrnClose());
    dup2(input, 0);
    close(input);
}

// The board backend on a test machine: the open fails at the first step
// the machine refuses and says which, whole. A kernel without 32-bit code
// refuses the gate before /dev/mem is tried (the gate's probe says which).
// In a child: the gate an open prepares stays for the process, and the
// gate's own cases fork theirs from a process that has none.
TEST_F(Library, BoardBackendSaysWhichStepTheMachineRefuses) {
    const bool runs32 = gate::Runs32BitCode();
    if (runs32 && access("/dev/mem", F_OK) == 0)
        GTEST_SKIP() << "needs a machine without /dev/mem or without 32-bit code; this one has both";
    const ChildOutcome child = RunInChild([] {
        setenv("ORNSYS_BACKEND", "board", 1);
        setenv("ORNSYS_DEBUG", "1", 1);
        return OrnOpen() ? 1 : LastError() == 0x8100u ? 0 : 2;
    });
    EXPECT_EQ(child.code, 0) << "1: opened, 2: not with 0x8100";
    EXPECT_EQ(child.said,
              std::string("ornsys: OrnOpen: board backend: ") +
                  (runs32 ? "opening /dev/mem failed: No such file or directory; this system has no /dev/mem\n"
                          : "32-bit code segment failed: the kernel runs no 32-bit code (CONFIG_IA32_EMULATION off, "
                            "or ia32_emulation=0)\n"));
}

#if defined(__x86_64__)
// The gate's probe takes only a present 32-bit code segment of privilege 3:
// not the kernel's 64-bit code or data segments, nor, in a table of this
// process's own (in a child: the table stays with the process), a 32-bit
// code segment marked not present, a 16-bit one, a data segment or an
// entry never made.
TEST(Gate, TheProbeTakesOnlyAPresent32BitCodeSegment) {
    const ChildOutcome child = RunInChild([] {
        // entry, base, limit, 32-bit, contents (0 data, 2 code), read/exec only, pages, not present
        user_desc entries[] = {{0, 0, 0xfffff, 1, 2, 0, 1, 0, 0, 0},
                               {1, 0, 0xfffff, 1, 2, 0, 1, 1, 0, 0},
                               {2, 0, 0xffff, 0, 2, 0, 0, 0, 0, 0},
                               {3, 0, 0xfffff, 1, 0, 0, 1, 0, 0, 0}};
        for (user_desc& entry : entries)
            if (syscall(SYS_modify_ldt, 1, &entry, sizeof entry) != 0) return 77;
        const auto local = [](int entry) { return WORD(entry << 3 | 4 | 3); };
        const struct {
            WORD selector;
            bool taken;
        } cases[] = {{0x2b, false},    {0x33, false},    {0, false},       {local(0), true},
                     {local(1), false}, {local(2), false}, {local(3), false}, {local(4), false}};
        int wrong = 0;
        for (const auto& c : cases)
            if (gate::Is32BitUserCode(c.selector) != c.taken) {
                fprintf(stderr, "selector 0x%02x: %s\n", c.selector, c.taken ? "refused" : "taken");
                ++wrong;
            }
        return wrong;
    });
    if (child.code == 77) GTEST_SKIP() << "needs modify_ldt, which this kernel or qemu-user refuses";
    EXPECT_EQ(child.code, 0) << child.said;
}
#endif

// Unasked, a process goes to the real board, or through the board service
// when it may not open /dev/mem (or there is none) and the service's socket
// is there; whichever it takes, it keeps no descriptor of /dev/mem from a
// failed open. Each case in a child with its own /dev (a mount namespace).
TEST_F(Library, DefaultBackendIsTheServiceOnlyForWhomTheBoardIsClosed) {
    if (geteuid() != 0) GTEST_SKIP() << "needs root (a mount namespace and another user)";
    constexpr const char* kSocket = "/dev/ornsysd.sock";
    const std::string service = std::string("ornsys: OrnOpen: opening /dev/mem failed: ");
    const struct {
        const char* what;
        bool mem, socket, asUser;
        std::string firstLine;  // of the library's reasons, a prefix
    } cases[] = {
        {"no /dev/mem, a socket", false, true, false,
         service + "No such file or directory; using the board service at " + kSocket + "\n"},
        {"/dev/mem closed to this user, a socket", true, true, true,
         service + "Permission denied; using the board service at " + kSocket + "\n"},
        {"/dev/mem closed to this user, no socket", true, false, true, "ornsys: OrnOpen: board backend: "},
        {"no /dev/mem, no socket", false, false, false, "ornsys: OrnOpen: board backend: "},
        {"/dev/mem of zeros open to root, a socket", true, true, false, "ornsys: OrnOpen: board backend: "},
    };
    for (const auto& c : cases) {
        const ChildOutcome child = RunInChild([&] {
            if (unshare(CLONE_NEWNS) != 0 || mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0 ||
                mount("tmpfs", "/dev", "tmpfs", 0, "mode=0755") != 0)
                return 77;
            // Zeros where the firmware would be: no directory is found there.
            if (c.mem) {
                const int mem = open("/dev/mem", O_CREAT | O_WRONLY, 0600);
                if (mem < 0 || ftruncate(mem, 0x100000) != 0) return 78;
                close(mem);
            }
            if (c.socket) {
                sockaddr_un address{};
                address.sun_family = AF_UNIX;
                strcpy(address.sun_path, kSocket);
                const int fd = socket(AF_UNIX, SOCK_STREAM, 0);
                if (bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) return 78;
            }
            if (c.asUser && (setgroups(0, nullptr) != 0 || setgid(65534) != 0 || setuid(65534) != 0)) return 78;
            unsetenv("ORNSYS_BACKEND");
            setenv("ORNSYS_DEBUG", "1", 1);
            setenv("ORNSYS_SERVICE_SOCKET", kSocket, 1);
            const bool opened = OrnOpen();
            for (const auto& held : std::filesystem::directory_iterator("/proc/self/fd"))
                if (std::filesystem::is_symlink(held) && std::filesystem::read_symlink(held) == "/dev/mem") return 3;
            return opened ? 1 : 0;
        });
        if (child.code == 77) GTEST_SKIP() << "needs mount namespaces";
        EXPECT_EQ(child.code, 0) << c.what;
        const std::string& said = child.said;
        EXPECT_EQ(said.substr(0, said.find('\n') + 1).substr(0, c.firstLine.size()), c.firstLine) << c.what;
    }
}

// The last error stays until the next call sets it, whatever it is: a
// firmware status (also one outside the table), a failed check, success.
TEST_F(Library, LastErrorIsKeptUntilTheNextCallOverwritesIt) {
    UseBoard("[fault]\nfunction = 0x04\ncall = 1\nstatus = 0x8041\n[fault]\nfunction = 0x01\nstatus = 0x8765\n");
    ASSERT_TRUE(OrnOpen());
    DWORD size, code = 0;
    EXPECT_FALSE(OrnGetBoardCfgSize(&size));
    EXPECT_EQ(LastError(), 0x8041u);
    EXPECT_EQ(LastError(), 0x8041u);  // reading it does not clear it
    EXPECT_FALSE(OrnGetNVRamInfo(10, nullptr));
    EXPECT_EQ(LastError(), 0x8103u);  // a failed check overwrites it
    EXPECT_TRUE(OrnGetBoardCfgSize(&size));
    EXPECT_EQ(LastError(), 0u);  // and so does a success
    BOARDINFO info;
    EXPECT_FALSE(OrnGetBoardInfo(&info));
    char message[64], untouched[8] = "xxxxxxx";
    EXPECT_FALSE(OrnGetLastError(&code, message, sizeof message));
    EXPECT_EQ(code, 0x8765u);
    EXPECT_STREQ(message, "invalid error code!!\n");
    // Its arguments: no code is refused, no text or no room is fine.
    EXPECT_FALSE(OrnGetLastError(nullptr, nullptr, 0));
    EXPECT_TRUE(OrnGetLastError(&code, untouched, 0));
    EXPECT_TRUE(OrnGetLastError(&code, nullptr, 50));
    EXPECT_STREQ(untouched, "xxxxxxx");
    EXPECT_EQ(code, 0x8103u);
    // The text as strncpy copies it: the rest of the buffer zero-filled, no
    // terminator when it fills the buffer. (Every text is the fault sweep's.)
    char text[52];
    memset(text, '#', sizeof text);
    EXPECT_TRUE(OrnGetLastError(&code, text, sizeof text));
    EXPECT_EQ(text[51], '\0');
    memset(text, '#', sizeof text);
    EXPECT_TRUE(OrnGetLastError(&code, text, 5));
    EXPECT_EQ(std::string(text, 6), "DLL: #");
}

}  // namespace
