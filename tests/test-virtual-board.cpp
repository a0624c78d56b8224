// SPDX-License-Identifier: MIT
// Copyright (c) 2026 The ornsys authors
// The virtual board as firmware: natural statuses, fault rules, the trace
// format, ports, re-entry, the state file, and a running program while the
// board's time and values change. (The board in time as the tool sees it, a
// board or trace it cannot use and a cut trace are golden files'.)
#include <fcntl.h>
#include <signal.h>
#include <sys/mman.h>
#include <sys/prctl.h>
#include <sys/stat.h>
#include <sys/socket.h>
#include <sys/syscall.h>
#include <sys/wait.h>

#include <atomic>
#include <chrono>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <random>
#include <thread>

#include "board-fixture.h"
#include "board-lock.h"
#include "instance.h"
#include "ornsim.h"
#include "zoka.h"

namespace {

using VirtualBoard = BoardTest;

// Calls the board directly, the way a gate does.
struct Direct {
    ornsim* sim = ornsim_start();
    ~Direct() { ornsim_stop(sim); }
    uint16_t Call(DWORD function, void* block) {
        return ornsim_call(sim, function, block, [](void*, uint16_t, uint32_t) -> void* { return nullptr; }, nullptr);
    }
};

// A block of `size` bytes that starts with `head`.
std::vector<BYTE> Block(size_t size, std::vector<BYTE> head) {
    head.resize(size, 0);
    return head;
}

// Requests no tool command makes (the statuses a tool command can reach are
// its golden files'), fault rules by function, index and call, and how the
// trace writes a call: the blocks before and after, null, an unknown
// function. A failing call changes nothing in its block.
TEST_F(VirtualBoard, DirectCallsStatusesFaultRulesAndTrace) {
    UseBoard(
        "[fault]\nfunction = 0x13\nindex = 1\ncall = 2\nstatus = 0x8031\n"
        "[fault]\nfunction = 0x13\nindex = 1\nstatus = 0x8033\n"
        "[fault]\nfunction = 0x11\ncall = 1\nstatus = 0x8011\n[fault]\nfunction = 0x11\ncall = 2\nstatus = 0x8012\n"
        "[fault]\nfunction = 0x11\ncall = 3\nstatus = 0x8041\n[fault]\nfunction = 0x11\ncall = 5\nstatus = 0x8051\n");
    Direct board;
    ASSERT_NE(board.sim, nullptr);
    const std::vector<BYTE> none;
    struct Case {
        const char* what;
        DWORD function;
        std::vector<BYTE> block;
        uint16_t status;
        const char* trace;  // the call's trace line, where it is checked
    } cases[] = {
        {"unknown function", 0x02, {0, 0, 0, 0}, 0x8000, nullptr},
        {"unknown function, unknown block", 0x99, {0, 0, 0, 0}, 0x8000, "call 0x99 ? -> 0x8000 ?"},
        {"nvram index", 0x12, Block(16, {}), 0, nullptr},
        {"nvram index 4", 0x12, Block(16, {4}), 0x8033, nullptr},
        {"byte offset at the size", 0x13, {0, 0, 0, 0, 0x72, 0, 0, 0, 0}, 0x8051, nullptr},
        {"device query on cmos", 0x15, Block(16, {0, 0, 0, 0, 12}), 0x8011, nullptr},
        {"device size field short", 0x15, Block(16, {3, 0, 0, 0, 11}), 0x8051, nullptr},
        {"raw command 3", 0x17, {3, 0, 0, 0, 0, 0, 0, 0, 3, 0, 0, 0}, 0x8051, nullptr},
        {"raw on cmos", 0x17, {0, 0, 0, 0, 0, 0, 0, 0, 1, 0, 0, 0}, 0x8011, nullptr},
        {"protocol 0x84", 0x21, {0, 0x50, 0, 0, 0, 0x84}, 0x8023, nullptr},
        {"fast protocol", 0x21, {0, 0x50, 0, 0, 0, 0x82}, 0, nullptr},
        {"cpu size field", 0x03, Block(76, {75}), 0x8051, nullptr},
        {"battery size field", 0x64, Block(24, {}), 0x8051, nullptr},
        {"system state size", 0x61, {11, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}, 0x8051, nullptr},
        {"no block", 0x33, none, 0, "call 0x33 null -> 0x0000 null"},
        {"no block where one is needed", 0x11, none, 0x8051, "call 0x11 null -> 0x8051 null"},
        // Every rule whose function matches counts the call, also when an
        // earlier rule fires on it.
        {"0x11 call 1", 0x11, {0, 0, 0, 0}, 0x8011, nullptr},
        {"0x11 call 2", 0x11, {0, 0, 0, 0}, 0x8012, nullptr},
        {"0x11 call 3", 0x11, {0, 0, 0, 0}, 0x8041, nullptr},
        {"0x11 call 4", 0x11, {0, 0, 0, 0}, 0, "call 0x11 00000000 -> 0x0000 04000000"},
        {"0x11 call 5", 0x11, {0, 0, 0, 0}, 0x8051, nullptr},
        {"0x11 call 6", 0x11, {0, 0, 0, 0}, 0, nullptr},
        {"another index", 0x13, {0, 0, 0, 0, 0, 0, 0, 0, 0}, 0, nullptr},
        {"first call: the second rule", 0x13, {1, 0, 0, 0, 0, 0, 0, 0, 0x77}, 0x8033,
         "call 0x13 010000000000000077 -> 0x8033 010000000000000077"},
        {"second call: the first rule", 0x13, {1, 0, 0, 0, 0, 0, 0, 0, 0x77}, 0x8031, nullptr},
        {"third call", 0x13, {1, 0, 0, 0, 0, 0, 0, 0, 0x77}, 0x8033, nullptr},
    };
    for (auto& c : cases) {
        EXPECT_EQ(board.Call(c.function, c.block.empty() ? nullptr : c.block.data()), c.status) << c.what;
        if (c.trace) {
            EXPECT_EQ(Trace().back(), c.trace) << c.what;
        }
    }
}

// What the board opens (its trace, and its state file where it keeps one)
// may be descriptor 0 in a process that closed its input; stopping the
// board closes it all the same, and every other descriptor it opened. An
// existing state file opened as 0 is used, not made anew.
TEST_F(VirtualBoard, ItsFilesAreClosedWithItEvenOnDescriptorZero) {
    for (const int state : {0, 1, 2}) {  // none, a new one, the same again without a trace
        if (state) setenv("ORNSIM_STATE", Path("state").c_str(), 1);
        if (state == 2) unsetenv("ORNSIM_TRACE");
        const int before = OpenDescriptors();
        const int input = fcntl(0, F_DUPFD_CLOEXEC, 3);
        ASSERT_GE(input, 0);
        close(0);
        bool zeroTaken = false;
        {
            errno = ENOENT;  // left by an earlier call: a descriptor of 0 is a file opened, not one missing
            Direct board;
            zeroTaken = board.sim != nullptr && fcntl(0, F_GETFD) >= 0;
        }
        const bool zeroFreed = fcntl(0, F_GETFD) < 0;
        dup2(input, 0);
        close(input);
        EXPECT_TRUE(zeroTaken) << "state file: " << state;
        EXPECT_TRUE(zeroFreed) << "state file: " << state;
        EXPECT_EQ(OpenDescriptors(), before) << "state file: " << state;
    }
}

// A call whose far pointer's resolver calls the firmware again.
TEST_F(VirtualBoard, ReentryAbortsTheProcess) {
    GTEST_FLAG_SET(death_test_style, "fast");  // no new program: see Threads
    Direct board;
    zoka::PassThruBlock block{1, {0, 0}};
    auto reenter = [](void* sim, uint16_t, uint32_t) -> void* {
        DWORD count;
        ornsim_call(static_cast<ornsim*>(sim), 0x11, &count, nullptr, nullptr);
        return nullptr;
    };
    EXPECT_DEATH(ornsim_call(board.sim, 0x71, &block, reenter, board.sim), "ornsim: re-entered");
}

// Processes on one state file share who holds the board's lock and who is
// inside its firmware (words 24 and 64 of the file): a holder that died is
// taken over, and ORNSYS_DEBUG=1 says so, also when its process ID now
// names a live process that never shared the board (here the test's
// parent); a call while another process of the board is inside is a fault
// that ends the process.
TEST_F(VirtualBoard, StateFileSharesTheLockAndWhoIsInside) {
    setenv("ORNSIM_STATE", Path("state").c_str(), 1);
    ASSERT_TRUE(OrnOpen());
    ASSERT_TRUE(OrnClose());
    auto put = [this](off_t at, pid_t pid) {
        const uint32_t word = uint32_t(pid);
        int fd = open(Path("state").c_str(), O_WRONLY);
        EXPECT_EQ(pwrite(fd, &word, sizeof word, at), ssize_t(sizeof word));
        close(fd);
    };
    pid_t dead = fork();
    if (dead == 0) _exit(0);
    waitpid(dead, nullptr, 0);
    setenv("ORNSYS_DEBUG", "1", 1);
    BOARDINFO info;
    for (pid_t left : {dead, getppid()}) {
        put(64, left);
        testing::internal::CaptureStderr();
        const auto start = std::chrono::steady_clock::now();
        EXPECT_TRUE(OrnOpen() && OrnGetBoardInfo(&info));
        EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(2));
        const std::string said = testing::internal::GetCapturedStderr();
        EXPECT_NE(said.find("a process died inside a firmware call holding the board's lock; this call goes on"),
                  std::string::npos) << said;
        ASSERT_TRUE(OrnClose());
    }
    unsetenv("ORNSYS_DEBUG");
    int ready[2];
    ASSERT_EQ(pipe(ready), 0);
    const pid_t test = getpid();
    pid_t inside = fork();
    if (inside == 0) {
        prctl(PR_SET_PDEATHSIG, SIGKILL);  // never outlives a failed test
        if (getppid() != test) _exit(1);
        char called = OrnOpen() && OrnGetBoardInfo(&info);
        if (write(ready[1], &called, 1) != 1) _exit(1);
        pause();
    }
    char called = 0;
    ASSERT_EQ(read(ready[0], &called, 1), 1);
    ASSERT_TRUE(called);
    put(24, inside);
    GTEST_FLAG_SET(death_test_style, "fast");
    EXPECT_DEATH(OrnOpen() && OrnGetBoardInfo(&info), "ornsim: entered by two processes at once");
    kill(inside, SIGKILL);
    waitpid(inside, nullptr, 0);
    close(ready[0]);
    close(ready[1]);
}

// A live holder is never robbed: a caller that cannot get the board within
// the wait limit fails that call with 0x8100 and names the holder; once the
// holder lets go, calls go on.
TEST_F(VirtualBoard, AStoppedHolderKeepsTheLockAndAWaiterFailsInTime) {
    setenv("ORNSIM_STATE", Path("state").c_str(), 1);
    ASSERT_TRUE(OrnOpen());
    ASSERT_TRUE(OrnClose());
    int ready[2];
    ASSERT_EQ(pipe(ready), 0);
    pid_t holder = fork();
    if (holder == 0) {
        // Takes the lock as the library does, on the state file's word.
        board_lock::Presence presence;
        presence.fd = open(Path("state").c_str(), O_RDWR | O_CLOEXEC);
        presence.openedBy = board_lock::ProcessId();
        void* head = mmap(nullptr, 128, PROT_READ | PROT_WRITE, MAP_SHARED, presence.fd, 0);
        if (head == MAP_FAILED) _exit(1);
        auto* area = reinterpret_cast<board_lock::Area*>(static_cast<char*>(head) + 64);
        char taken = board_lock::Take(*area, presence) == board_lock::Taken::kFine;
        if (write(ready[1], &taken, 1) != 1) _exit(2);
        raise(SIGSTOP);
        board_lock::Release(*area);
        _exit(0);
    }
    char taken = 0;
    ASSERT_EQ(read(ready[0], &taken, 1), 1);
    ASSERT_TRUE(taken);
    int status = 0;
    waitpid(holder, &status, WUNTRACED);
    ASSERT_TRUE(WIFSTOPPED(status));
    setenv("ORNSYS_DEBUG", "1", 1);
    ASSERT_TRUE(OrnOpen());
    testing::internal::CaptureStderr();
    const auto start = std::chrono::steady_clock::now();
    BOARDINFO info;
    EXPECT_FALSE(OrnGetBoardInfo(&info));
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    const std::string said = testing::internal::GetCapturedStderr();
    EXPECT_EQ(LastError(), DWORD(ORN_DLL_START_FAILED));
    EXPECT_GE(seconds, board_lock::kWaitLimitSeconds - 0.01);  // the lock counts whole milliseconds
    EXPECT_LT(seconds, board_lock::kWaitLimitSeconds + 3);
    const char* chosen = getenv("ORNSYS_BACKEND");
    const std::string backend = chosen != nullptr && *chosen != '\0' ? chosen : "virtual";
    EXPECT_EQ(said, "ornsys: " + backend + " backend: process " + std::to_string(holder) +
                        " has held the board's lock for 15 s or more; this call fails after waiting 15 s\n");
    // The test builds' switch, read at the open, leaves the lock alone: the
    // call goes on at once beside the holder.
    setenv("ORNSYS_TEST_NO_BOARD_LOCK", "1", 1);
    ASSERT_TRUE(OrnClose() && OrnOpen());
    const auto unlocked = std::chrono::steady_clock::now();
    EXPECT_TRUE(OrnGetBoardInfo(&info));
    EXPECT_LT(std::chrono::steady_clock::now() - unlocked, std::chrono::seconds(2));
    unsetenv("ORNSYS_TEST_NO_BOARD_LOCK");
    ASSERT_TRUE(OrnClose() && OrnOpen());
    kill(holder, SIGCONT);
    waitpid(holder, &status, 0);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    EXPECT_TRUE(OrnGetBoardInfo(&info));
    close(ready[0]);
    close(ready[1]);
}

// Paths another user chose, as a root program may be handed them (the
// environment, a board file): that user's symlinks are not followed, nor
// root's in a folder that user may change; a FIFO is never waited on; a
// file the board file's owner could not read is not served.
TEST_F(VirtualBoard, AnotherUsersPathsAreNeitherFollowedNorWaitedOnNorServed) {
    if (geteuid() != 0) GTEST_SKIP() << "needs root to place another user's files";
    constexpr uid_t kOther = 65534;
    const std::string victim = Path("victim"), theirs = Path("theirs"), fifo = Path("fifo");
    std::ofstream(victim) << "root's";
    chmod(victim.c_str(), 0600);
    ASSERT_EQ(mkdir(theirs.c_str(), 0755), 0);
    ASSERT_EQ(chown(theirs.c_str(), kOther, kOther), 0);
    const std::string theirLink = theirs + "/link", rootsLinkInTheirs = theirs + "/roots";
    ASSERT_EQ(symlink(victim.c_str(), theirLink.c_str()), 0);
    ASSERT_EQ(lchown(theirLink.c_str(), kOther, kOther), 0);
    ASSERT_EQ(symlink(victim.c_str(), rootsLinkInTheirs.c_str()), 0);
    ASSERT_EQ(mkfifo(fifo.c_str(), 0666), 0);
    const std::string theirs65534 = "a symlink of uid 65534, not followed";
    struct Case {
        const char* variable;
        std::string path, said;
    } cases[] = {
        {"ORNSIM_TRACE", theirLink, theirLink + ": cannot open trace file: " + theirs65534},
        {"ORNSIM_STATE", theirLink, theirLink + ": cannot open state file: " + theirs65534},
        {"ORNSIM_BOARD", theirLink, theirLink + ":0: cannot read board file: " + theirs65534},
        {"ORNSIM_TRACE", rootsLinkInTheirs,
         rootsLinkInTheirs + ": cannot open trace file: a symlink of uid 0 in a folder others may change, not followed"},
        {"ORNSIM_TRACE", fifo, fifo + ": cannot open trace file: No such device or address"},
        {"ORNSIM_STATE", fifo, fifo + ": cannot open state file: not a regular file"},
        {"ORNSIM_BOARD", fifo, fifo + ":0: cannot read board file: not a regular file"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.variable) + "=" + c.path);
        setenv(c.variable, c.path.c_str(), 1);
        testing::internal::CaptureStderr();
        const auto start = std::chrono::steady_clock::now();
        EXPECT_FALSE(OrnOpen());
        EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(2));
        EXPECT_EQ(testing::internal::GetCapturedStderr(), "ornsim: " + c.said + "\n");
        unsetenv(c.variable);
        setenv("ORNSIM_TRACE", Path("trace").c_str(), 1);
    }
    std::ifstream in(victim);
    EXPECT_EQ(std::string((std::istreambuf_iterator<char>(in)), {}), "root's");

    // Root's own link in root's folder is followed.
    const std::string ownLink = Path("own-link");
    ASSERT_EQ(symlink(Path("traced").c_str(), ownLink.c_str()), 0);
    setenv("ORNSIM_TRACE", ownLink.c_str(), 1);
    EXPECT_TRUE(OrnOpen());
    EXPECT_TRUE(OrnClose());
    EXPECT_TRUE(std::filesystem::is_regular_file(Path("traced")));

    // A board file of another user's names root's file, then one of its own.
    setenv("ORNSIM_TRACE", Path("trace").c_str(), 1);
    for (const bool ownFile : {false, true}) {
        const std::string named = ownFile ? theirs + "/contents" : victim;
        if (ownFile) {
            std::ofstream(named) << "theirs";
            ASSERT_EQ(chown(named.c_str(), kOther, kOther), 0);
            chmod(named.c_str(), 0600);
        }
        UseBoard("[nvram]\ntype = 1\nsize = 8\nfile = " + named + "\n");
        ASSERT_EQ(chown(Path("test.board").c_str(), kOther, kOther), 0);
        testing::internal::CaptureStderr();
        const bool opened = OrnOpen();
        const std::string said = testing::internal::GetCapturedStderr();
        if (ownFile) {
            EXPECT_TRUE(opened) << said;
            EXPECT_TRUE(OrnClose());
        } else {
            EXPECT_FALSE(opened);
            EXPECT_NE(said.find(": cannot read file '" + victim +
                                "': owned by uid 0 and not readable by all, unlike the board file (uid 65534)\n"),
                      std::string::npos)
                << said;
        }
    }
}

// Offsets of the NVRAM 1 byte writes that the trace shows as completed
// (a line cut by the kill is not a completed call).
std::vector<DWORD> CompletedWrites(const std::vector<std::string>& lines) {
    std::vector<DWORD> offsets;
    for (const std::string& line : lines) {
        // call 0x14 IIIIIIII OOOOOOOO DD -> 0x0000 ...
        if (line.rfind("call 0x14 01000000", 0) != 0 || line.find(" -> 0x0000 ") == std::string::npos) continue;
        DWORD offset = 0;
        for (int i = 3; i >= 0; --i) offset = offset << 8 | DWORD(std::stoul(line.substr(18 + 2 * i, 2), nullptr, 16));
        offsets.push_back(offset);
    }
    return offsets;
}

// One of two writers at once on one state file, as several programs use one
// board: byte after byte of its half of NVRAM 1 (reported on `progress`),
// and between them its own flash block erased, programmed and read, its own
// EEPROM bytes and the watchdog. Every read checked; ends only when killed,
// else with what went wrong.
[[noreturn]] void Writer(int id, int round, int progress) {
    if (!OrnOpen()) _exit(1);
    for (DWORD n = 0;; ++n) {
        const DWORD at = DWORD(id) * 256 + n % 256, flashAt = DWORD(id) * 0x1000 + n % 512 * 8;
        BYTE value = BYTE(round * 16 + at), data[8], back[8] = {};
        for (int i = 0; i < 8; ++i) data[i] = BYTE(n + i + id);
        DWORD count = 0, written = 8, read = 8;
        if (!OrnWriteNVRam(1, at, 1, &value, &count) || !OrnReadNVRam(1, at, 1, back, &count) || back[0] != value)
            _exit(2);
        if (!OrnNVDeviceRaw(3, DWORD(id), 0) || !OrnWriteNVRam(3, flashAt, 8, data, &count) ||
            !OrnReadNVRam(3, flashAt, 8, back, &count) || memcmp(data, back, 8) != 0)
            _exit(3);
        if (!OrnI2CWriteBlock(1, 0x57, WORD(id * 8), data, &written, 1) ||
            !OrnI2CReadBlock(1, 0x57, WORD(id * 8), back, &read, 1) || memcmp(data, back, 8) != 0)
            _exit(4);
        if (!OrnWDConfig(0, 600, 1) || !OrnWDTrigger()) _exit(5);
        if (write(progress, &at, sizeof at) != sizeof at) _exit(6);
    }
}

// Two writers killed at random points, some while they create the state
// file: neither ever finds a wrong answer or the other inside the firmware
// (the virtual board would abort), the next process is never refused and
// finds every write whose call the trace shows completed, and no temporary
// file is left.
TEST_F(VirtualBoard, StateFileSurvivesKillsAtRandomPoints) {
    setenv("ORNSIM_STATE", Path("state").c_str(), 1);
    std::mt19937 random(12345);
    const int rounds = getenv("ORNSYS_KILL_ROUNDS") ? atoi(getenv("ORNSYS_KILL_ROUNDS")) : 200;
    size_t checked = 0;
    for (int round = 0; round < rounds; ++round) {
        const bool fresh = random() % 4 == 0;  // kill them while they create the file
        if (fresh) unlink(Path("state").c_str());
        ClearTrace();
        int progress[2];
        ASSERT_EQ(pipe(progress), 0);
        pid_t writers[2];
        for (int id = 0; id < 2; ++id)
            if ((writers[id] = fork()) == 0) {
                close(progress[0]);
                Writer(id, round, progress[1]);
            }
        close(progress[1]);
        if (fresh) {
            usleep(useconds_t(random() % 3000));
        } else {
            DWORD done = 0, last = 0;
            const DWORD stopAfter = 1 + random() % 300;
            while (done < stopAfter && read(progress[0], &last, sizeof last) == sizeof last) ++done;
        }
        // Both killed and reaped before either is judged: a failed round
        // leaves no writer behind.
        int statuses[2];
        for (int id = 0; id < 2; ++id) {
            kill(writers[id], SIGKILL);
            waitpid(writers[id], &statuses[id], 0);
        }
        close(progress[0]);
        for (int status : statuses)
            ASSERT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL)
                << "round " << round << ": writer ended on its own: " << status;

        const auto completed = CompletedWrites(Trace());
        ASSERT_TRUE(OrnOpen()) << "round " << round;
        BYTE back[512];
        DWORD count = 0;
        ASSERT_TRUE(OrnReadNVRam(1, 0, sizeof back, back, &count));
        ASSERT_TRUE(OrnClose());
        for (DWORD i : completed) ASSERT_EQ(back[i], BYTE(round * 16 + i)) << "round " << round << " byte " << i;
        ASSERT_EQ(Files(), (std::vector<std::string>{"state", "trace"})) << "round " << round;
        checked += completed.size();
    }
    EXPECT_GT(checked, size_t(rounds) * 50);  // the rounds that ran on wrote
    printf("kill loop: %d rounds of two writers, %zu completed writes found in the state file\n", rounds, checked);
}

// Where the file system has no unnamed files (the errors such a one gives)
// or the unnamed file cannot be linked by its /proc name (no /proc), the
// state file is written under a temporary name and linked into place,
// leaving no temporary behind (also when the temporary is descriptor 0);
// any other error of either step fails the open, saying why.
TEST_F(VirtualBoard, StateFileIsMadeWhereTheFileSystemHasNoUnnamedFiles) {
    setenv("ORNSIM_STATE", Path("state").c_str(), 1);
    struct Refusal {
        unsigned call, flagsArg, flags;
        int error;
        bool made;
        bool inputClosed = false;
    };
    const Refusal refusals[] = {
        {SYS_openat, 2, O_TMPFILE, EOPNOTSUPP, true}, {SYS_openat, 2, O_TMPFILE, EISDIR, true},
        {SYS_openat, 2, O_TMPFILE, EINVAL, true},     {SYS_openat, 2, O_TMPFILE, EACCES, false},
        {SYS_linkat, 4, 0, ENOENT, true},             {SYS_linkat, 4, 0, EACCES, false},
        {SYS_openat, 2, O_TMPFILE, EOPNOTSUPP, true, true},
    };
    for (const Refusal& refusal : refusals) {
        unlink(Path("state").c_str());
        ClearTrace();
        const ChildOutcome child = RunInChild([refusal] {
            if (!RefuseCall(refusal.call, refusal.flagsArg, refusal.flags, refusal.error)) return 77;
            setenv("ORNSYS_DEBUG", "1", 1);
            if (refusal.inputClosed) {  // no trace either: the temporary is the first file opened
                unsetenv("ORNSIM_TRACE");
                close(0);
            }
            return OrnOpen() && OrnClose() ? 0 : 1;
        });
        if (child.code == 77) GTEST_SKIP() << "needs seccomp filters, which this kernel or qemu-user refused";
        const std::string which = std::to_string(refusal.call) + "/" + std::to_string(refusal.error) +
                                  (refusal.inputClosed ? ", input closed" : "");
        EXPECT_EQ(child.code, refusal.made ? 0 : 1) << which;
        const std::vector<std::string> left = refusal.made ? std::vector<std::string>{"state", "trace"}
                                                           : std::vector<std::string>{"trace"};
        EXPECT_EQ(Files(), left) << which;
        EXPECT_EQ(child.said.find(Path("state") + ": cannot create state file: Permission denied") != std::string::npos,
                  !refusal.made) << child.said;
    }
    ASSERT_TRUE(OrnOpen());  // the state file made aside is one the board takes
    ASSERT_TRUE(OrnClose());
}

// ornsim-ctl with these words, in this process; its exit status.
int Ctl(std::vector<std::string> words) {
    words.insert(words.begin(), "ornsim-ctl");
    std::vector<char*> argv;
    for (auto& w : words) argv.push_back(w.data());
    argv.push_back(nullptr);
    return ornsim_impl::Control(int(words.size()), argv.data(), stdout, stderr);
}

// A process alive at a watchdog's reset ends at its next call, as a
// restarted board ends every program; the reset is in the state for the
// next process.
TEST_F(VirtualBoard, WatchdogResetKillsTheProcessAtItsFirstCallAfterExpiry) {
    std::ifstream timed(ORNSYS_TEST_BOARDS "/timed.board");
    UseBoard(std::string(std::istreambuf_iterator<char>(timed), {}) + "kill = yes\n", false);
    setenv("ORNSIM_STATE", Path("state").c_str(), 1);
    int line[2];  // the child says its watchdog runs, the test says go on
    ASSERT_EQ(socketpair(AF_UNIX, SOCK_STREAM, 0, line), 0);
    char byte = 'r';
    pid_t child = fork();
    if (child == 0) {
        if (!OrnOpen() || !OrnWDConfig(1, 1, 1) || write(line[1], &byte, 1) != 1 || read(line[1], &byte, 1) != 1)
            _exit(1);
        BOARDINFO info;
        OrnGetBoardInfo(&info);
        _exit(0);  // not reached: the call above ends the process
    }
    close(line[1]);  // a child that ends early ends the read
    ASSERT_EQ(read(line[0], &byte, 1), 1);
    ASSERT_EQ(Ctl({"advance", "2s"}), 0);
    ASSERT_EQ(write(line[0], &byte, 1), 1);
    int status = 0;
    waitpid(child, &status, 0);
    close(line[0]);
    ASSERT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL) << "status " << status;
    BYTE watchdog = 0;
    ASSERT_TRUE(OrnOpen());  // started after the reset: lives on
    ASSERT_TRUE(OrnWDGetStatus(&watchdog));
    EXPECT_EQ(watchdog, 1);
    EXPECT_EQ(Trace("reset"), (std::vector<std::string>{"reset watchdog"}));
    EXPECT_EQ(Trace("kill"), (std::vector<std::string>{"kill"}));  // the trace says why the process ended
}

// A program reads while ornsim-ctl changes the value under it: every read
// is one of the values set, never anything torn.
TEST_F(VirtualBoard, CtlAndARunningProgramAtOnce) {
    unsetenv("ORNSIM_TRACE");
    setenv("ORNSIM_STATE", Path("state").c_str(), 1);
    ASSERT_TRUE(OrnOpen());
    std::atomic<bool> done{false};
    std::atomic<int> wrong{0};
    std::thread reader([&] {
        while (!done) {
            SDWORD value = 0;
            if (!OrnGetThermSensorValue(0, &value) || (value != 45 && value != 1000 && value != -1000)) ++wrong;
        }
    });
    for (int i = 0; i < 200; ++i) ASSERT_EQ(Ctl({"set", "temp", "0", i % 2 ? "1000" : "-1000"}), 0);
    done = true;
    reader.join();
    EXPECT_EQ(wrong, 0);
}

}  // namespace
