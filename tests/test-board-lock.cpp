// SPDX-License-Identifier: MIT
// Copyright (c) 2026 The ornsys authors
// The real board's lock file: made root's and 0600 in a folder no one else
// may write; whatever another user (or a mistake) put in its place is
// removed without being followed, read, written or waited on; a folder
// others may write is refused. And the lock itself: presence, not a process
// ID, tells a dead holder; a live one is never robbed.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/mman.h>
#include <sched.h>
#include <sys/prctl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>

#include "board-fixture.h"
#include "board-lock-file.h"
#include "backend.h"
#include "debug.h"
#include "board-lock.h"

namespace {

constexpr uid_t kNobody = 65534;

class BoardLockFile : public ::testing::Test {
protected:
    void SetUp() override {
        if (geteuid() != 0) GTEST_SKIP() << "needs root to place another user's files and make the lock root's";
        char dir[] = "/tmp/ornsys-lock-XXXXXX";
        ASSERT_NE(mkdtemp(dir), nullptr);
        top_ = dir;
        chmod(dir, 0755);  // other users reach the folder, as they reach /run
        folder_ = top_ + "/run";
        setenv("ORNSYS_DEBUG", "1", 1);
        orn::SetDebugBackend("board");  // as the board backend's open does
    }
    void TearDown() override {
        unsetenv("ORNSYS_DEBUG");
        if (area_ != nullptr) munmap(area_, sizeof(board_lock::Area));
        if (fd_ >= 0) close(fd_);
        std::error_code error;
        if (!top_.empty()) std::filesystem::remove_all(top_, error);
    }
    std::string Lock() const { return folder_ + "/board.lock"; }

    // Opens the lock; what the library said on the way.
    std::string Open() {
        testing::internal::CaptureStderr();
        area_ = orn::OpenBoardLockFile(folder_.c_str(), fd_);
        return testing::internal::GetCapturedStderr();
    }

    std::string top_, folder_;
    board_lock::Area* area_ = nullptr;
    int fd_ = -1;
};

// Runs `work` as uid/gid 65534 in a child; its exit status.
int AsNobody(const std::function<int()>& work) {
    return RunInChild([&] { return setgid(kNobody) != 0 || setuid(kNobody) != 0 ? 100 : work(); }).code;
}

TEST_F(BoardLockFile, WhatStandsInItsPlaceIsReplacedNeverUsed) {
    const std::string victim = top_ + "/victim";
    struct Case {
        const char* what;
        std::function<void(const std::string& at)> place;  // nothing: the folder is empty
        const char* said;  // the debug line after "<lock> stood in the board lock's place ("
    } cases[] = {
        {"nothing there", nullptr, nullptr},
        {"another user's file, open to all",
         [](const std::string& at) {
             std::ofstream(at) << "squatter";
             chown(at.c_str(), kNobody, kNobody);
             chmod(at.c_str(), 0666);
         },
         "a file of uid 65534, mode 0666, 1 links"},
        {"root's file that others may read",
         [](const std::string& at) {
             std::ofstream(at) << "";
             chmod(at.c_str(), 0644);
         },
         "a file of uid 0, mode 0644, 1 links"},
        {"a symlink to a file of root's",
         [&](const std::string& at) { symlink(victim.c_str(), at.c_str()); }, "a symlink of uid 0, mode 0777, 1 links"},
        {"another user's FIFO",
         [](const std::string& at) {
             mkfifo(at.c_str(), 0666);
             chown(at.c_str(), kNobody, kNobody);
             chmod(at.c_str(), 0666);
         },
         "a FIFO of uid 65534, mode 0666, 1 links"},
        {"a hard link to a file of root's", [&](const std::string& at) { link(victim.c_str(), at.c_str()); },
         "a file of uid 0, mode 0600, 2 links"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        std::filesystem::remove_all(folder_);
        ASSERT_EQ(mkdir(folder_.c_str(), 01777), 0);  // sticky and open to all, as /tmp: squatters may put things
        chmod(folder_.c_str(), 01777);
        {
            std::ofstream(victim) << "root's secret";
            chmod(victim.c_str(), 0600);
        }
        if (c.place) c.place(Lock());
        const std::string said = Open();
        ASSERT_NE(area_, nullptr) << said;
        EXPECT_EQ(said, c.said == nullptr ? std::string()
                                          : "ornsys: OrnOpen: board backend: " + Lock() +
                                                " stood in the board lock's place (" + c.said +
                                                "); it is removed and the lock made anew\n");
        struct stat st {};
        ASSERT_EQ(lstat(Lock().c_str(), &st), 0);
        EXPECT_TRUE(S_ISREG(st.st_mode));
        EXPECT_EQ(st.st_uid, 0u);
        EXPECT_EQ(st.st_mode & 07777, 0600u);
        EXPECT_EQ(st.st_nlink, 1u);
        EXPECT_EQ(st.st_size, off_t(sizeof(board_lock::Area)));
        EXPECT_EQ(area_->holder, 0u);
        std::ifstream in(victim);
        std::string kept((std::istreambuf_iterator<char>(in)), {});
        EXPECT_EQ(kept, "root's secret");
        // Another user can neither read, write nor remove the lock.
        const std::string lock = Lock();
        EXPECT_EQ(AsNobody([&] {
                      return open(lock.c_str(), O_RDONLY) < 0 && errno == EACCES && unlink(lock.c_str()) != 0 &&
                                     errno == EPERM
                                 ? 0
                                 : 1;
                  }),
                  0);
        munmap(area_, sizeof(board_lock::Area));
        area_ = nullptr;
        close(fd_);
        fd_ = -1;
    }
}

TEST_F(BoardLockFile, AFolderOthersMayWriteIsRefused) {
    ASSERT_EQ(mkdir(folder_.c_str(), 0777), 0);
    chmod(folder_.c_str(), 0777);
    EXPECT_EQ(Open(), "ornsys: OrnOpen: board backend: the board's lock folder " + folder_ +
                          " failed: it is owned by uid 0, mode 0777: other users could replace the lock in it\n");
    EXPECT_EQ(area_, nullptr);
    chmod(folder_.c_str(), 0755);
    chown(folder_.c_str(), kNobody, kNobody);
    EXPECT_EQ(Open(), "ornsys: OrnOpen: board backend: the board's lock folder " + folder_ +
                          " failed: it is owned by uid 65534, mode 0755: other users could replace the lock in it\n");
    EXPECT_EQ(area_, nullptr);
    EXPECT_FALSE(std::filesystem::exists(Lock()));
}

// The folder is made when missing, root's and 0755; a second process maps
// the same lock.
TEST_F(BoardLockFile, TheFolderIsMadeAndTheLockShared) {
    const mode_t mask = umask(0277);  // the caller's, which neither mode follows and which it keeps
    EXPECT_EQ(Open(), "");
    EXPECT_EQ(umask(mask), 0277u);
    ASSERT_NE(area_, nullptr);
    struct stat st {};
    ASSERT_EQ(stat(folder_.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0755u);
    ASSERT_EQ(stat((folder_ + "/board.lock").c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0600u);
    area_->holder = 4242;
    int other = -1;
    board_lock::Area* again = orn::OpenBoardLockFile(folder_.c_str(), other);
    ASSERT_NE(again, nullptr);
    EXPECT_EQ(again->holder, 4242u);
    munmap(again, sizeof(board_lock::Area));
    close(other);
}

// An open of the lock that finds its place changed since it looked (gone, or
// a symlink now) looks again, 4 times in all, then gives up saying something
// else keeps the place; any other error gives up at once with its reason.
TEST_F(BoardLockFile, ALockWhosePlaceKeepsChangingIsGivenUpAfterLookingAgain) {
    const std::string changed = "its place changed at each of 4 looks; something else keeps it\n";
    const struct {
        int error;
        int opens;
        std::string step;
    } cases[] = {{ENOENT, 4, "making the board's lock " + Lock() + " failed: " + changed},
                 {ELOOP, 4, "making the board's lock " + Lock() + " failed: " + changed},
                 {EACCES, 1, "opening the board's lock " + Lock() + " failed: Permission denied\n"}};
    for (const auto& c : cases) {
        const ChildOutcome child = RunInChild([&] {
            // The lock's own open, told apart from the folder's by its flags.
            if (!RefuseCall(SYS_openat, 2, O_NONBLOCK | O_NOCTTY, c.error, true)) return 77;
            int fd = 7;
            const bool refused = orn::OpenBoardLockFile(folder_.c_str(), fd) == nullptr && fd == -1;
            return refused ? (refusedCalls == c.opens ? 0 : 10 + refusedCalls) : 1;
        });
        if (child.code == 77) GTEST_SKIP() << "needs seccomp filters, which this kernel or qemu-user refused";
        EXPECT_EQ(child.code, 0) << c.step << "1: not refused, 10 + n: opened n times, not " << c.opens;
        EXPECT_EQ(child.said, "ornsys: OrnOpen: board backend: " + c.step);
    }
}

// A process that closed its standard input gets the lock as any other:
// descriptor 0 is an ordinary number for the folder or the file.
TEST_F(BoardLockFile, DescriptorZeroIsAnOrdinaryDescriptor) {
    const int input = fcntl(0, F_DUPFD_CLOEXEC, 3);
    ASSERT_GE(input, 0);
    close(0);
    area_ = orn::OpenBoardLockFile(folder_.c_str(), fd_);  // the folder's descriptor is 0
    dup2(input, 0);
    close(input);
    EXPECT_NE(area_, nullptr);
}

// A lock the process cannot size (a file-size limit below it) or map (no
// address space left to it) is refused with the reason, and its descriptor
// is closed, not leaked.
TEST_F(BoardLockFile, ALockThatCannotBeSizedOrMappedLeavesNoDescriptor) {
    ASSERT_NE(orn::OpenBoardLockFile(folder_.c_str(), fd_), nullptr);  // the folder and file exist: no mkdir
    close(fd_);
    fd_ = -1;
    const struct {
        int limit;
        std::string step;
    } cases[] = {{RLIMIT_FSIZE, "sizing the board's lock " + Lock() + " failed: File too large\n"},
                 {RLIMIT_AS, "mapping the board's lock " + Lock() + " failed: Cannot allocate memory\n"}};
    for (const auto& c : cases) {
        const ChildOutcome child = RunInChild([&] {
            const int before = OpenDescriptors();
            // A file another root process has just made is empty yet: it is grown.
            if (c.limit == RLIMIT_FSIZE && (truncate(Lock().c_str(), 0) != 0 || signal(SIGXFSZ, SIG_IGN) == SIG_ERR))
                return 3;
            const rlimit none{0, RLIM_INFINITY};
            if (setrlimit(c.limit, &none) != 0) return 3;
            if (c.limit == RLIMIT_AS && mmap(nullptr, 4096, PROT_READ, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0) != MAP_FAILED)
                return 4;
            int fd = 7;
            const bool refused = orn::OpenBoardLockFile(folder_.c_str(), fd) == nullptr && fd == -1;
            return refused ? (OpenDescriptors() == before ? 0 : 2) : 1;
        });
        if (child.code == 4)
            GTEST_SKIP() << "needs an address-space limit that reaches mmap (qemu-user maps for its guest)";
        EXPECT_EQ(child.code, 0) << c.step << "1: not refused, 2: a descriptor left open, 3: no limit set";
        EXPECT_EQ(child.said, "ornsys: OrnOpen: board backend: " + c.step);
    }
}

// A lock in a file of its own, as processes share it.
struct SharedLock {
    std::string path;
    board_lock::Area* area = nullptr;
    board_lock::Presence presence;
    explicit SharedLock(std::string at) : path(std::move(at)) {
        presence.fd = open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
        presence.openedBy = board_lock::ProcessId();
        if (presence.fd >= 0 && ftruncate(presence.fd, sizeof(board_lock::Area)) == 0)
            area = static_cast<board_lock::Area*>(
                mmap(nullptr, sizeof(board_lock::Area), PROT_READ | PROT_WRITE, MAP_SHARED, presence.fd, 0));
    }
    ~SharedLock() {
        if (area != nullptr) munmap(area, sizeof(board_lock::Area));
        close(presence.fd);
        unlink(path.c_str());
    }
};

// Forks a holder that takes the lock and then does `then`.
pid_t Holder(SharedLock& lock, void (*then)()) {
    int ready[2];
    if (pipe(ready) != 0) return -1;
    pid_t child = fork();
    if (child == 0) {
        close(ready[0]);
        if (board_lock::Take(*lock.area, lock.presence) != board_lock::Taken::kFine) _exit(1);
        char taken = 1;
        if (write(ready[1], &taken, 1) != 1) _exit(2);
        then();
        board_lock::Release(*lock.area);
        _exit(0);
    }
    close(ready[1]);
    char taken = 0;
    const bool told = read(ready[0], &taken, 1) == 1;
    close(ready[0]);
    return told ? child : -1;
}

double SecondsOf(const std::function<board_lock::Taken()>& take, board_lock::Taken& taken) {
    const auto start = std::chrono::steady_clock::now();
    taken = take();
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

// The holder's process ID is no proof of life: a holder that died is taken
// over at once even while its ID names a live process (a PID reused), and
// a holder killed inside, or one whose child lives on, likewise. A stopped
// holder is alive: the waiter gives up after its limit, naming it, and the
// holder's lock stands.
TEST(BoardLock, PresenceNotTheProcessIdTellsADeadHolder) {
    char dir[] = "/tmp/ornsys-lock-XXXXXX";
    ASSERT_NE(mkdtemp(dir), nullptr);
    SharedLock lock(std::string(dir) + "/lock");
    ASSERT_NE(lock.area, nullptr);
    board_lock::Taken taken;
    board_lock::Waited waited;
    auto take = [&](int64_t limitMs) {
        return [&, limitMs] { return board_lock::Take(*lock.area, lock.presence, &waited, limitMs); };
    };

    // A live process that never shared the lock: its ID in the word is a
    // leftover of a dead holder whose ID it got.
    lock.area->holder = uint32_t(getppid()) | board_lock::kWaiters;
    EXPECT_LT(SecondsOf(take(5000), taken), 1.0);
    EXPECT_EQ(taken, board_lock::Taken::kHolderDied);
    board_lock::Release(*lock.area);

    // This process's own ID, left by an earlier process of that ID.
    lock.area->holder = board_lock::ProcessId();
    EXPECT_EQ(board_lock::Take(*lock.area, lock.presence), board_lock::Taken::kHolderDied);
    board_lock::Release(*lock.area);

    // Killed while holding it; and killed after forking a child that lives
    // on, whose inherited descriptor keeps no presence for it.
    void (*const lives[])() = {
        [] { pause(); },
        [] {
            const pid_t parent = getpid();
            if (fork() == 0) {
                prctl(PR_SET_PDEATHSIG, SIGKILL);
                if (getppid() != parent) _exit(0);  // the parent was killed before the line above
                pause();
            }
            pause();
        },
    };
    pid_t holder = 0;
    for (auto life : lives) {
        holder = Holder(lock, life);
        ASSERT_GT(holder, 0);
        kill(holder, SIGKILL);
        waitpid(holder, nullptr, 0);
        EXPECT_LT(SecondsOf(take(5000), taken), 1.0);
        EXPECT_EQ(taken, board_lock::Taken::kHolderDied);
        board_lock::Release(*lock.area);
    }

    // Stopped: alive, so never robbed.
    holder = Holder(lock, [] { raise(SIGSTOP); });
    ASSERT_GT(holder, 0);
    int status = 0;
    waitpid(holder, &status, WUNTRACED);
    ASSERT_TRUE(WIFSTOPPED(status));
    const double waitedFor = SecondsOf(take(1500), taken);
    EXPECT_EQ(taken, board_lock::Taken::kTimedOut);
    EXPECT_GE(waitedFor, 1.49);  // the lock counts whole milliseconds
    EXPECT_LT(waitedFor, 3.0);
    EXPECT_EQ(waited.holder, uint32_t(holder));
    EXPECT_EQ(waited.seconds, 1u);
    EXPECT_EQ(lock.area->holder & ~board_lock::kWaiters, uint32_t(holder));
    kill(holder, SIGCONT);
    waitpid(holder, &status, 0);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    EXPECT_EQ(board_lock::Take(*lock.area, lock.presence), board_lock::Taken::kFine);
    board_lock::Release(*lock.area);
    rmdir(dir);
}

// A holder killed and its process ID given to a new, long-lived process
// (forced in a PID namespace of its own, where this test chooses the next
// ID): the next caller takes the lock over at once, not after that
// process's lifetime.
TEST(BoardLock, AHolderWhoseProcessIdWasReusedIsTakenOverAtOnce) {
    if (geteuid() != 0) GTEST_SKIP() << "needs root for a PID namespace";
    char dir[] = "/tmp/ornsys-lock-XXXXXX";
    ASSERT_NE(mkdtemp(dir), nullptr);
    const std::string path = std::string(dir) + "/lock";
    int report[2];
    ASSERT_EQ(pipe(report), 0);
    pid_t outer = fork();
    if (outer == 0) {
        close(report[0]);
        // 'u': no PID namespace here; else what the init of one found.
        auto say = [&](char what) {
            if (write(report[1], &what, 1) != 1) _exit(3);
            _exit(0);
        };
        if (unshare(CLONE_NEWPID) != 0) say('u');
        pid_t init = fork();  // process 1 of the new namespace
        if (init < 0) say('u');
        if (init > 0) {
            int status = 0;
            waitpid(init, &status, 0);
            _exit(WIFEXITED(status) ? WEXITSTATUS(status) : 4);
        }
        SharedLock lock(path);
        if (lock.area == nullptr) say('f');
        pid_t holder = Holder(lock, [] { pause(); });
        if (holder <= 0) say('f');
        kill(holder, SIGKILL);
        waitpid(holder, nullptr, 0);
        // The next process of this namespace gets the dead holder's ID.
        int last = open("/proc/sys/kernel/ns_last_pid", O_WRONLY);
        const std::string before = std::to_string(holder - 1);
        if (last < 0 || write(last, before.c_str(), before.size()) != ssize_t(before.size())) say('n');
        close(last);
        pid_t reused = fork();
        if (reused == 0) {
            prctl(PR_SET_PDEATHSIG, SIGKILL);
            pause();
        }
        if (reused != holder) {
            kill(reused, SIGKILL);
            say('n');
        }
        board_lock::Waited waited;
        const auto start = std::chrono::steady_clock::now();
        const board_lock::Taken taken = board_lock::Take(*lock.area, lock.presence, &waited, 5000);
        const bool quick = std::chrono::steady_clock::now() - start < std::chrono::seconds(1);
        kill(reused, SIGKILL);
        waitpid(reused, nullptr, 0);
        say(taken == board_lock::Taken::kHolderDied && quick ? 'y' : 'w');
    }
    close(report[1]);
    char what = 0;
    const bool told = read(report[0], &what, 1) == 1;
    close(report[0]);
    waitpid(outer, nullptr, 0);
    unlink(path.c_str());
    rmdir(dir);
    ASSERT_TRUE(told);
    if (what == 'u') GTEST_SKIP() << "needs a PID namespace, which this machine refuses";
    if (what == 'n') GTEST_SKIP() << "needs to choose the next process ID (ns_last_pid), which this kernel refuses";
    EXPECT_EQ(what, 'y') << "'w': the caller waited for the new process, 'f': no lock file";
}

}  // namespace
