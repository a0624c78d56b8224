/* SPDX-License-Identifier: MIT
 * Copyright (c) 2026 The ornsys authors */
/* The init of the system test's guest: runs the cases of one boot against
 * the real firmware of the machine it boots on and prints one line per case
 * on the console, "ORNSYS-SYSTEM: CASE PASS|FAIL [why]", then "ORNSYS-SYSTEM:
 * DONE" and powers the guest off. Which boot this is comes from the kernel
 * command line, ornsys_boot=stock|rom|lockdown|devices (which the kernel
 * hands to init as a variable). */
#define _GNU_SOURCE
#include <errno.h>
#include <fcntl.h>
#include <grp.h>
#include <linux/i2c-dev.h>
#include <linux/i2c.h>
#include <linux/watchdog.h>
#include <poll.h>
#include <pthread.h>
#include <signal.h>
#include <stdarg.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/io.h>
#include <sys/ioctl.h>
#include <sys/mount.h>
#include <sys/reboot.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <sys/utsname.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include "ornsyslx.h"

static int failures;
/* The programs under test: the 32-bit ones, or in the 64-bit init (the case
 * runner, "init64 cases") the 64-bit ones. */
#define WIDE (sizeof(void*) == 8)
static const char* const self = WIDE ? "/init64" : "/init";
static const char* const tool = WIDE ? "/ornsys64" : "/ornsys";
static const char* const example = WIDE ? "/board-info64" : "/board-info";
static const char* const service = WIDE ? "/ornsysd64" : "/ornsysd";
static const char* const suffix = WIDE ? "-64bit" : "";

/* A reader of the board service: uid 65534 in this group. */
#define READER 65534
#define READ_GROUP 100

static int verdict(const char* name, int pass, const char* why, ...) {
    char text[512] = "";
    va_list args;
    va_start(args, why);
    vsnprintf(text, sizeof text, why, args);
    va_end(args);
    printf("ORNSYS-SYSTEM: %s%s %s%s%s\n", name, suffix, pass ? "PASS" : "FAIL", pass ? "" : " ", pass ? "" : text);
    fflush(stdout);
    failures += !pass;
    return pass;
}

/* Starts a program as root (uid -1) or as a reader (with its group when
 * `grouped`), both output streams on a pipe whose reading end goes to *out. */
static pid_t start(int uid, int grouped, char* const argv[], char* const envp[], int* out) {
    int pipefd[2];
    if (pipe(pipefd) != 0) abort();
    pid_t pid = fork();
    if (pid == 0) {
        dup2(pipefd[1], 1);
        dup2(pipefd[1], 2);
        close(pipefd[0]);
        gid_t group = READ_GROUP;
        if (uid >= 0 && (setgroups(grouped, &group) != 0 || setgid(uid) != 0 || setuid(uid) != 0)) _exit(126);
        execve(argv[0], argv, envp);
        _exit(127);
    }
    close(pipefd[1]);
    *out = pipefd[0];
    return pid;
}

/* Waits for a child: its exit status, or 128 + signal. */
static int ended(pid_t pid) {
    int status;
    waitpid(pid, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}

struct run {
    char out[16384];
    int status;
};

/* A program that has not ended within a minute gets status 124 and is left
 * behind: one waiting on a device request never answered cannot be killed. */
static void run(struct run* r, int uid, int grouped, char* const argv[], char* const envp[]) {
    int fd;
    pid_t pid = start(uid, grouped, argv, envp, &fd);
    size_t used = 0;
    ssize_t n = 1;
    struct pollfd output = {fd, POLLIN, 0};
    const time_t deadline = time(NULL) + 60;
    while (n > 0 && time(NULL) < deadline)
        if (poll(&output, 1, 1000) == 1 && (n = read(fd, r->out + used, sizeof r->out - 1 - used)) > 0)
            used += (size_t)n;
    r->out[used] = '\0';
    close(fd);
    if (n > 0) {
        kill(pid, SIGKILL);
        r->status = 124;
    } else {
        r->status = ended(pid);
    }
}

static char* no_env[] = {NULL};
static char* debug_env[] = {"ORNSYS_DEBUG=1", NULL};
#define OPEN_FAILED "ORNSYS ERROR: DLL: starting Win32 driver failed (register device) !\n"

/* A program's run: its exit status and the texts its output must hold. */
struct program_case {
    const char* name;
    int uid, grouped;
    char** env;
    char* argv[7];
    int status;
    const char* texts[3];
};

static void program_case(const struct program_case* c) {
    struct run r;
    char* argv[8] = {(char*)(c->argv[0][0] == '-' ? tool : c->argv[0])};
    for (int i = c->argv[0][0] == '-' ? 0 : 1, k = 1; i < 7 && c->argv[i]; ++i) argv[k++] = c->argv[i];
    run(&r, c->uid, c->grouped, argv, c->env);
    int pass = r.status == c->status;
    for (int i = 0; i < 3 && c->texts[i]; ++i) pass = pass && strstr(r.out, c->texts[i]) != NULL;
    verdict(c->name, pass, "exit %d: %s", r.status, r.out);
}

/* The firmware cannot be reached: the 0x8100 lines, exit 255. */
#define OPEN_FAILURE(name, uid, env, also)                                                                 \
    {name, uid, 0, env, {"-INFO", "-b"}, 255, {OPEN_FAILED, "utOrnOpen: OrnOpen() failed!\n", also}}

/* The cases that run inside a program of their own ("init case NAME"), so
 * that a signal fails the case and not the boot: each prints why it failed. */
#define FAIL(...) return printf(__VA_ARGS__), 0

static unsigned char rtc(int reg) {
    outb((unsigned char)reg, 0x70);
    return inb(0x71);
}

/* NVRAM 0 and OEM port reads through the firmware are the real CMOS: the
 * date (registers 6 to 9) holds still while the case runs. */
static int firmware_reads_the_rtc(void) {
    BYTE bytes[4];
    DWORD count = 0;
    OEMACCESS select = {OEM_ACCESS_PORT, 0x70, 0, 0, OEM_DATA_BYTE, 9};
    OEMACCESS read = {OEM_ACCESS_PORT, 0x71, 0, 0, OEM_DATA_BYTE, 0};
    if (!OrnOpen() || !OrnReadNVRam(0, 6, 4, bytes, &count) || count != 4) FAIL("reading NVRAM 0 failed");
    OrnClose();
    if (!OrnOEMWrite(&select) || !OrnOEMRead(&read)) FAIL("OEM I/O failed");
    if (iopl(3) != 0) FAIL("iopl refused");
    for (int reg = 6; reg <= 9; ++reg)
        if (bytes[reg - 6] != rtc(reg)) FAIL("register %d: 0x%02x, RTC 0x%02x", reg, bytes[reg - 6], rtc(reg));
    if (read.DataValue != rtc(9)) FAIL("OEM year 0x%x, RTC 0x%x", (unsigned)read.DataValue, rtc(9));
    return 1;
}

/* Threads that exist before OrnOpen make firmware calls that do port I/O,
 * with the library opened in yet another thread. */
static pthread_barrier_t opened;
static int read_nvram(void) {
    BYTE bytes[10];
    DWORD count = 0;
    return OrnReadNVRam(0, 0, 10, bytes, &count) && count == 10;
}
static void* nvram_worker(void* result) {
    pthread_barrier_wait(&opened);
    *(int*)result = read_nvram();
    return NULL;
}
static void* opener(void* result) {
    *(int*)result = OrnOpen();
    return NULL;
}
static int threads_before_open(void) {
    pthread_t threads[5];
    int results[5] = {0}, good = 0;
    pthread_barrier_init(&opened, NULL, 5);
    for (int i = 0; i < 4; ++i) pthread_create(&threads[i], NULL, nvram_worker, &results[i]);
    usleep(100000);
    pthread_create(&threads[4], NULL, opener, &results[4]);
    pthread_join(threads[4], NULL);
    if (!results[4]) FAIL("OrnOpen in a worker failed");
    pthread_barrier_wait(&opened);
    for (int i = 0; i < 4; ++i) {
        pthread_join(threads[i], NULL);
        good += results[i];
    }
    results[4] = read_nvram(); /* and the main thread */
    OrnClose();
    if (good != 4 || !results[4]) FAIL("%d of 4 threads and main %d read the NVRAM", good, results[4]);
    return 1;
}

/* After the firmware has been entered, no mapping of the process is both
 * writable and executable but the firmware's own window of /dev/mem. */
static int no_writable_code(void) {
    BOARDINFO info;
    if (!OrnOpen() || !OrnGetBoardInfo(&info)) FAIL("OrnOpen or OrnGetBoardInfo failed");
    FILE* maps = fopen("/proc/self/maps", "r");
    if (maps == NULL) FAIL("no /proc/self/maps");
    char line[512], perms[5];
    int ok = 1, window = 0;
    while (fgets(line, sizeof line, maps))
        if (sscanf(line, "%*s %4s", perms) == 1 && strncmp(perms, "rwx", 3) == 0) {
            if (strstr(line, "/dev/mem") != NULL) window = 1;
            else ok = 0, printf("writable code: %s", line);
        }
    fclose(maps);
    OrnClose();
    if (ok && !window) FAIL("the firmware window is not among the mappings");
    return ok;
}

/* The cost of one OrnGetBoardInfo through the gate, printed for the log. */
static void cost(void) {
    BOARDINFO info;
    struct timespec start, end;
    const int calls = 2000;
    if (!OrnOpen()) return;
    clock_gettime(CLOCK_MONOTONIC, &start);
    for (int i = 0; i < calls; ++i) OrnGetBoardInfo(&info);
    clock_gettime(CLOCK_MONOTONIC, &end);
    OrnClose();
    double ns = ((end.tv_sec - start.tv_sec) * 1e9 + (end.tv_nsec - start.tv_nsec)) / calls;
    printf("ORNSYS-SYSTEM: cost%s OrnGetBoardInfo %.0f ns\n", suffix, ns);
}

/* A reader's process: 300 board reads through the service, each checked. */
static int reads_through_the_service(void) {
    gid_t group = READ_GROUP;
    if (setgroups(1, &group) != 0 || setgid(READER) != 0 || setuid(READER) != 0 || !OrnOpen()) return 1;
    int wrong = 0;
    for (int i = 0; i < 300; ++i) {
        BOARDINFO info;
        wrong += !OrnGetBoardInfo(&info) || strncmp((char*)info.HWPlatform, "ORN-QEMU-ROM", 12) != 0;
    }
    OrnClose();
    if (wrong) printf("ORNSYS-SYSTEM: a reader found %d of 300 reads wrong\n", wrong);
    return wrong != 0;
}

/* ornsysd as root on the real firmware; clients as readers, which cannot
 * open /dev/mem and so use the service by default. */
static void service_cases(void) {
    mkdir("/run", 0755);
    mkdir("/run/ornsys", 0755);
    pid_t daemon = fork();
    if (daemon == 0) {
        char* argv[] = {(char*)service, "--socket", "/run/ornsys/ornsysd.sock", "--read-group", "100", NULL};
        execve(argv[0], argv, no_env);
        _exit(127);
    }
    for (int i = 0; i < 200 && access("/run/ornsys/ornsysd.sock", F_OK) != 0; ++i) usleep(10000);
    static const struct program_case readers[] = {
        {"rom-service-info", READER, 1, debug_env, {"-INFO", "-b"}, 0,
         {"HW platform:       ORN-QEMU-ROM", "opening /dev/mem failed: Permission denied; using the board service"}},
        {"rom-service-temp", READER, 1, no_env, {"-TEMP", "-a"}, 0, {"T-Sensor 0x00:"}},
        {"rom-service-status", READER, 1, no_env, {"-WD", "-t"}, 255, {"DLL: access denied by the board service"}},
    };
    for (size_t i = 0; i < sizeof readers / sizeof readers[0]; ++i) program_case(&readers[i]);

    pid_t clients[2];
    for (int i = 0; i < 2; ++i)
        if ((clients[i] = fork()) == 0) _exit(reads_through_the_service());
    int good = 0;
    for (int i = 0; i < 2; ++i) good += ended(clients[i]) == 0;
    verdict("rom-service-two-clients", good == 2, "%d of 2 readers right", good);
    kill(daemon, SIGTERM);
    int status = ended(daemon);
    verdict("rom-service-stops", status == 0, "status %d", status);
}

/* ---- the board in Linux's device interfaces (ornsys-devices) ---- */

#define BOARD_BUS 16 /* the daemon's first number: the kernel's own adapter is 0 */
#define WATCHDOG_TIMEOUT 6
/* ornsys-devices' own: the timeout a first open arms with, and the most
 * a caller may set (the test ROM's watchdog counts to 30 s). */
#define DEVICES_TIMEOUT "20"
#define DEVICES_MAX_TIMEOUT "24"
static const char* const watchdog_node = "/dev/ornsys-watchdog";

/* The kernel's own SMBus adapter (i2c-piix4), from the environment. */
static int kernel_bus(void) { return getenv("KERNEL_BUS") ? atoi(getenv("KERNEL_BUS")) : -1; }

static int open_bus(int bus, int address) {
    char node[32];
    snprintf(node, sizeof node, "/dev/i2c-%d", bus);
    int fd = open(node, O_RDWR);
    if (fd >= 0 && ioctl(fd, I2C_SLAVE, address) != 0) close(fd), fd = -1;
    return fd;
}

/* An offset written and 16 bytes read in one I2C_RDWR on the board's bus,
 * and again by a plain write and read, equal the kernel's byte reads of the
 * same EEPROM. */
static int transfer_equals_the_kernels(void) {
    int board = open_bus(BOARD_BUS, 0x50), kernel = open_bus(kernel_bus(), 0x50);
    if (board < 0 || kernel < 0) FAIL("cannot open the buses: %s", strerror(errno));
    unsigned char offset = 0x00, got[16] = {0};
    struct i2c_msg messages[2] = {{0x50, 0, 1, &offset}, {0x50, I2C_M_RD, sizeof got, got}};
    struct i2c_rdwr_ioctl_data transfer = {messages, 2};
    int done = ioctl(board, I2C_RDWR, &transfer);
    if (done != 2) FAIL("I2C_RDWR answered %d: %s", done, strerror(errno));
    unsigned char again[16] = {0};
    if (write(board, &offset, 1) != 1 || read(board, again, sizeof again) != sizeof again)
        FAIL("a plain write and read failed: %s", strerror(errno));
    if (memcmp(again, got, sizeof got) != 0) FAIL("a plain read differs from I2C_RDWR's");
    for (int i = 0; i < 16; ++i) {
        union i2c_smbus_data data;
        struct i2c_smbus_ioctl_data read = {I2C_SMBUS_READ, (unsigned char)i, I2C_SMBUS_BYTE_DATA, &data};
        if (ioctl(kernel, I2C_SMBUS, &read) != 0) FAIL("the kernel's read of 0x%02x failed: %s", i, strerror(errno));
        if (data.byte != got[i]) FAIL("offset 0x%02x: 0x%02x through the board, 0x%02x through the kernel", i, got[i], data.byte);
    }
    return close(board) == 0 && close(kernel) == 0;
}

/* The board's bus refuses what the kernel's refuses, with the same errors:
 * an address beyond 7 bits, and a read where no device answers. */
static int bus_errors_are_the_kernels(void) {
    int fd = open("/dev/i2c-16", O_RDWR);
    if (fd < 0) FAIL("open: %s", strerror(errno));
    if (ioctl(fd, I2C_SLAVE, 0x80) != -1 || errno != EINVAL) FAIL("I2C_SLAVE 0x80: %s, not EINVAL", strerror(errno));
    union i2c_smbus_data data;
    struct i2c_smbus_ioctl_data read = {I2C_SMBUS_READ, 0, I2C_SMBUS_BYTE_DATA, &data};
    if (ioctl(fd, I2C_SLAVE, 0x30) != 0 || ioctl(fd, I2C_SMBUS, &read) != -1 || errno != ENXIO)
        FAIL("a read at 0x30, where no device is: %s, not ENXIO", strerror(errno));
    return close(fd) == 0;
}

/* A keeper feeds the watchdog past its timeout, then stops it with the
 * magic close; the machine stays up after both. */
static int keeper_then_magic_close(void) {
    int fd = open(watchdog_node, O_WRONLY);
    if (fd < 0) FAIL("open: %s", strerror(errno));
    struct watchdog_info info;
    int timeout = 3600, got = 0;
    if (ioctl(fd, WDIOC_GETSUPPORT, &info) != 0 || strcmp((char*)info.identity, "ornsys board watchdog") != 0 ||
        !(info.options & WDIOF_MAGICCLOSE))
        FAIL("WDIOC_GETSUPPORT: %s", strerror(errno));
    if (ioctl(fd, WDIOC_GETTEMP, &got) != -1 || errno != ENOTTY) FAIL("WDIOC_GETTEMP: %s, not ENOTTY", strerror(errno));
    if (ioctl(fd, WDIOC_SETTIMEOUT, &timeout) != 0 || timeout != atoi(DEVICES_MAX_TIMEOUT))
        FAIL("3600 s asked: %d, not --max-timeout's %s: %s", timeout, DEVICES_MAX_TIMEOUT, strerror(errno));
    timeout = WATCHDOG_TIMEOUT;
    if (ioctl(fd, WDIOC_SETTIMEOUT, &timeout) != 0 || ioctl(fd, WDIOC_GETTIMEOUT, &got) != 0 || got != WATCHDOG_TIMEOUT)
        FAIL("the timeout is %d, not %d: %s", got, WATCHDOG_TIMEOUT, strerror(errno));
    for (int second = 0; second < 2 * WATCHDOG_TIMEOUT + 2; ++second) {
        int dummy = 0;
        if ((second % 2 ? ioctl(fd, WDIOC_KEEPALIVE, &dummy) : (int)write(fd, "x", 1) - 1) != 0)
            FAIL("feeding failed at %d s: %s", second, strerror(errno));
        sleep(1);
    }
    if (write(fd, "V", 1) != 1 || close(fd) != 0) FAIL("the magic close failed: %s", strerror(errno));
    sleep(WATCHDOG_TIMEOUT + 3);
    return 1;
}

static const struct {
    char* name;
    int (*body)(void);
} own_cases[] = {{"rom-firmware-reads-the-rtc", firmware_reads_the_rtc},
                 {"rom-threads-and-a-worker-open", threads_before_open},
                 {"rom-no-writable-code", no_writable_code},
                 {"devices-i2c-rdwr", transfer_equals_the_kernels},
                 {"devices-i2c-errors", bus_errors_are_the_kernels},
                 {"devices-watchdog-keeper", keeper_then_magic_close}};

static void rom_cases(void) {
    const struct program_case cases[] = {
        {"rom-info", -1, 0, no_env, {"-INFO", "-b"}, 0, {"HW platform:       ORN-QEMU-ROM"}},
        {"rom-watchdog", -1, 0, no_env, {"-WD", "-t"}, 0, {"watchdog triggered"}},
        {"rom-nvram-count", -1, 0, no_env, {"-NVR", "-c"}, 0, {""}},
        {"rom-example", -1, 0, no_env, {(char*)example}, 0, {"ORN-QEMU-ROM serial QEMU-0001, 7 boots"}},
        OPEN_FAILURE("rom-non-root", READER, no_env, NULL),
        OPEN_FAILURE("rom-non-root-debug", READER, debug_env, "opening /dev/mem failed: Permission denied"),
    };
    for (size_t i = 0; i < sizeof cases / sizeof cases[0]; ++i) program_case(&cases[i]);
    if (WIDE) { /* the 64-bit gate on crafted images, where a kernel runs 32-bit code */
        const struct program_case images = {
            "rom-gate-on-images", -1, 0, no_env, {"/library-tests64", "--gtest_filter=Bios32Gate.*"}, 0,
            {"[  PASSED  ] 4 tests.\n"}};
        program_case(&images);
    }
    for (size_t i = 0; i < sizeof own_cases / sizeof own_cases[0]; ++i) {
        if (strncmp(own_cases[i].name, "rom-", 4) != 0) continue; /* the devices' boot runs those */
        const struct program_case own = {
            own_cases[i].name, -1, 0, no_env, {(char*)self, "case", own_cases[i].name}, 0, {""}};
        program_case(&own);
    }
    if (mount("devtmpfs", "/dev", "devtmpfs", MS_REMOUNT | MS_NOEXEC, NULL) == 0) {
        const struct program_case noexec =
            OPEN_FAILURE("rom-dev-noexec", -1, debug_env, "mapping 0xD0000-0xFFFFF of the firmware failed");
        program_case(&noexec);
        mount("devtmpfs", "/dev", "devtmpfs", MS_REMOUNT, NULL);
    } else {
        verdict("rom-dev-noexec", 0, "cannot remount /dev: %s", strerror(errno));
    }
    service_cases();
    cost();
}

/* ---- several programs on one board ---- */

static BYTE reader_pattern(int base, int i) { return (BYTE)(base ^ (i * 37 + 11)); }

/* One process of the CMOS case: 20000 times it reads its own 8 bytes of
 * CMOS through the firmware (the writer writes them first, new values each
 * time) and counts the bytes that come back wrong: another process's
 * register, had the two index/data port pairs interleaved. */
static int cmos_role(const char* role, int base) {
    const int writer = strcmp(role, "writer") == 0;
    long wrong = 0;
    BYTE want[8], got[8];
    DWORD count;
    if (!OrnOpen()) return printf("ORNSYS-SYSTEM: cmos %s%s open failed\n", role, suffix), 1;
    for (int i = 0; i < 8; ++i) want[i] = reader_pattern(base, i);
    for (int round = 0; round < 20000; ++round) {
        if (writer) {
            for (int i = 0; i < 8; ++i) want[i] = (BYTE)(round + i * 29);
            if (!OrnWriteNVRam(0, (DWORD)base, 8, want, &count)) wrong += 8;
        }
        memset(got, 0, sizeof got);
        if (!OrnReadNVRam(0, (DWORD)base, 8, got, &count)) wrong += 8;
        for (int i = 0; i < 8; ++i) wrong += got[i] != want[i];
    }
    OrnClose();
    printf("ORNSYS-SYSTEM: cmos %s%s 0x%02x wrong %ld\n", role, suffix, base, wrong);
    return wrong == 0 ? 0 : 2;
}

/* Whether this 64-bit kernel also runs the 64-bit programs. */
static int has_64bit(void) {
    struct utsname machine;
    return uname(&machine) == 0 && strcmp(machine.machine, "x86_64") == 0 && access("/init64", X_OK) == 0;
}

/* Two readers and a writer of separate CMOS ranges at once (a 32-bit and a
 * 64-bit process among them where the kernel runs both); the bytes they
 * found wrong, or -1 when one could not run. */
static long cmos_processes(char** env) {
    const int bases[3] = {0x60, 0x68, 0x70};
    DWORD count;
    if (!OrnOpen()) return -1;
    for (int r = 0; r < 2; ++r) {
        BYTE pattern[8];
        for (int i = 0; i < 8; ++i) pattern[i] = reader_pattern(bases[r], i);
        OrnWriteNVRam(0, (DWORD)bases[r], 8, pattern, &count);
    }
    OrnClose();
    const char* wide = has_64bit() ? "/init64" : "/init";
    const char* programs[3] = {"/init", wide, wide};
    const char* roles[3] = {"reader", "reader", "writer"};
    pid_t pids[3];
    int outs[3];
    for (int p = 0; p < 3; ++p) {
        char base[8];
        snprintf(base, sizeof base, "0x%02x", bases[p]);
        char* argv[] = {(char*)programs[p], "cmos", (char*)roles[p], base, NULL};
        pids[p] = start(-1, 0, argv, env, &outs[p]);
    }
    long wrong = 0;
    for (int p = 0; p < 3; ++p) {
        char text[512];
        ssize_t n = read(outs[p], text, sizeof text - 1);
        text[n > 0 ? n : 0] = '\0';
        close(outs[p]);
        int status = ended(pids[p]);
        fputs(text, stdout);
        const char* at = strstr(text, " wrong ");
        if (at == NULL || status >= 128) {
            printf("ORNSYS-SYSTEM: cmos %s %s ended with %d\n", programs[p], roles[p], status);
            return -1;
        }
        wrong += strtol(at + 7, NULL, 10);
    }
    return wrong;
}

static void several_processes(void) {
    char* no_lock_env[] = {"ORNSYS_TEST_NO_BOARD_LOCK=1", NULL};
    long locked = cmos_processes(no_env);
    verdict("rom-cmos-three-processes", locked == 0, "%ld bytes wrong", locked);
    /* The same without the board's lock, to show what it prevents. */
    printf("ORNSYS-SYSTEM: measure cmos-three-processes-without-lock %ld bytes wrong\n", cmos_processes(no_lock_env));

    /* A process killed inside a firmware call: the next one goes on, and
     * with ORNSYS_DEBUG=1 says that the holder died. */
    pid_t pid = fork();
    if (pid == 0) {
        BYTE buffer[4];
        if (OrnOpen()) OrnOEMPassThru(0x4E495053, buffer); /* "SPIN": never returns */
        _exit(1);
    }
    sleep(1);
    /* While it lives it keeps the board: the next caller gives up after
     * the wait limit, naming it, and never breaks in. */
    struct run r;
    char* argv[] = {(char*)tool, "-INFO", "-b", NULL};
    run(&r, -1, 0, argv, debug_env);
    char held[80];
    snprintf(held, sizeof held, "process %d has held the board's lock for ", (int)pid);
    verdict("rom-live-holder-waited-out",
            r.status == 255 && strstr(r.out, held) && strstr(r.out, "this call fails after waiting 15 s") &&
                strstr(r.out, OPEN_FAILED),
            "exit %d: %s", r.status, r.out);
    kill(pid, SIGKILL);
    const int killed = ended(pid) == 128 + SIGKILL;
    run(&r, -1, 0, argv, debug_env);
    verdict("rom-kill-inside-firmware",
            killed && r.status == 0 && strstr(r.out, "HW platform:") &&
                strstr(r.out, "a process died inside a firmware call"),
            "killed %d, exit %d: %s", killed, r.status, r.out);

    /* Another user's FIFO where the lock belongs (as in a folder others
     * could write): root's calls go on, on a lock of root's. */
    unlink("/run/ornsys/board.lock");
    struct stat st;
    const int placed = mkfifo("/run/ornsys/board.lock", 0666) == 0 && chown("/run/ornsys/board.lock", READER, READER) == 0;
    run(&r, -1, 0, argv, debug_env);
    verdict("rom-lock-squatter-replaced",
            placed && r.status == 0 && strstr(r.out, "HW platform:") &&
                strstr(r.out, "stood in the board lock's place (a FIFO of uid 65534") &&
                lstat("/run/ornsys/board.lock", &st) == 0 && S_ISREG(st.st_mode) && st.st_uid == 0 &&
                (st.st_mode & 07777) == 0600,
            "placed %d, exit %d: %s", placed, r.status, r.out);
}

static int load_module(const char* name) {
    char path[64];
    snprintf(path, sizeof path, "/modules/%s.ko", name);
    int fd = open(path, O_RDONLY | O_CLOEXEC);
    int loaded = fd >= 0 && syscall(SYS_finit_module, fd, "", 0) == 0;
    if (!loaded) printf("ORNSYS-SYSTEM: module %s: %s\n", name, strerror(errno));
    if (fd >= 0) close(fd);
    return loaded;
}

/* What a program printed, both streams, when it ended with 0; else "". */
static void output_of(struct run* r, char* const argv[], char* const envp[]) {
    run(r, -1, 0, argv, envp);
    if (r->status != 0) printf("ORNSYS-SYSTEM: %s ended with %d: %s\n", argv[0], r->status, r->out), r->out[0] = '\0';
}

static void print_marked(const char* mark, const char* text);

/* The device node as the daemon leaves it (it gives the node its group
 * once the kernel has made it): within 10 s. */
static int node_is(const char* node, gid_t group) {
    struct stat st;
    for (int i = 0; i < 100; ++i, usleep(100000))
        if (stat(node, &st) == 0 && S_ISCHR(st.st_mode) && st.st_uid == 0 && st.st_gid == group &&
            (st.st_mode & 07777) == 0660)
            return 1;
    if (stat(node, &st) != 0) return printf("ORNSYS-SYSTEM: %s: %s\n", node, strerror(errno)), 0;
    printf("ORNSYS-SYSTEM: %s: mode 0%o, owner %d, group %d\n", node, (unsigned)st.st_mode, (int)st.st_uid,
           (int)st.st_gid);
    return 0;
}

/* The daemon on the firmware as root, its nodes for Debian's i2c-tools
 * (32- and 64-bit, so the kernel's compat path too) beside the kernel's
 * own driver of the same SMBus; then the watchdog kept, stopped by a
 * magic close, and at last left to run down (the stage sees the reset). */
static void devices_cases(void) {
    verdict("devices-modules", load_module("fuse") && load_module("cuse"), "fuse or cuse did not load");
    mkdir("/etc", 0755);
    FILE* groups = fopen("/etc/group", "w");
    fputs("root:x:0:\nornsys-admin:x:901:\nornsys-watchdog:x:902:\n", groups);
    fclose(groups);
    mkdir("/run/ornsys", 0755);
    static char* daemon[] = {"/ornsys-devices64", "--timeout", DEVICES_TIMEOUT, "--max-timeout", DEVICES_MAX_TIMEOUT,
                             NULL};
    int daemon_log;
    start(-1, 0, daemon, no_env, &daemon_log);
    verdict("devices-nodes", node_is(watchdog_node, 902) && node_is("/dev/i2c-16", 901),
            "not character devices of root and their groups, mode 0660");
    /* A node later given to another user (who could then change its mode),
     * or to another user and group and opened to all (a udev rule, say), is
     * given back within the daemon's next rounds. */
    const int owner = chown(watchdog_node, READER, -1) == 0 && node_is(watchdog_node, 902);
    const int everyone = chown(watchdog_node, READER, READER) == 0 && chmod(watchdog_node, 0666) == 0 &&
                         node_is(watchdog_node, 902);
    verdict("devices-nodes-kept", owner && everyone,
            "the watchdog's node not given back to root and its group, mode 0660: given to uid %d %d, to all %d",
            READER, owner, everyone);

    /* Bytes written through the board's device, 64-bit as an I2C block,
     * 32-bit as a word; then the EEPROM dumped through it by both. */
    static char* block64[] = {"/i2cset64", "-y", "16", "0x50", "0x00", "0x11", "0x22", "0x33", "0x44",
                              "0x55", "0x66", "0x77", "0x88", "i", NULL};
    static char* word32[] = {"/i2cset", "-y", "16", "0x50", "0x10", "0xbeef", "w", NULL};
    static char* dump64[] = {"/i2cdump64", "-y", "16", "0x50", "b", NULL};
    static char* dump32[] = {"/i2cdump", "-y", "16", "0x50", "b", NULL};
    struct run board64, board32, kernel, r;
    output_of(&r, block64, no_env);
    output_of(&r, word32, no_env);
    output_of(&board64, dump64, no_env);
    output_of(&board32, dump32, no_env);
    /* The kernel's driver of the same controller, loaded only now: the
     * two must not drive it at the same moment. */
    const int drivers = load_module("i2c-dev") && load_module("i2c-piix4");
    int bus = -1;
    for (int n = 0; n < 16 && bus < 0; ++n) {
        char path[64], name[64] = "";
        snprintf(path, sizeof path, "/sys/bus/i2c/devices/i2c-%d/name", n);
        FILE* file = fopen(path, "r");
        if (file && fgets(name, sizeof name, file) && strstr(name, "PIIX4")) bus = n;
        if (file) fclose(file);
    }
    char bus_text[8], bus_env[24], node[24];
    snprintf(bus_text, sizeof bus_text, "%d", bus);
    snprintf(bus_env, sizeof bus_env, "KERNEL_BUS=%d", bus);
    snprintf(node, sizeof node, "/dev/i2c-%d", bus);
    for (int i = 0; i < 100 && bus >= 0 && access(node, F_OK) != 0; ++i) usleep(100000);
    char* dump_kernel[] = {"/i2cdump64", "-y", bus_text, "0x50", "b", NULL};
    output_of(&kernel, dump_kernel, no_env);
    verdict("devices-kernel-smbus", drivers && bus >= 0 && kernel.out[0] != '\0', "bus %d", bus);
    verdict("devices-board-writes-seen-by-the-kernel",
            strstr(kernel.out, "00: 11 22 33 44 55 66 77 88 00") && strstr(kernel.out, "10: ef be 00"), "kernel:\n%s",
            kernel.out);
    verdict("devices-i2cdump-64bit", board64.out[0] && strcmp(board64.out, kernel.out) == 0, "board:\n%s\nkernel:\n%s",
            board64.out, kernel.out);
    verdict("devices-i2cdump-32bit", board32.out[0] && strcmp(board32.out, kernel.out) == 0, "board:\n%s\nkernel:\n%s",
            board32.out, kernel.out);
    /* A byte the kernel writes is read back through the board. */
    char* set[] = {"/i2cset64", "-y", bus_text, "0x50", "0x62", "0x3c", "b", NULL};
    char* get[] = {"/i2cget", "-y", "16", "0x50", "0x62", "b", NULL};
    output_of(&r, set, no_env);
    output_of(&r, get, no_env);
    verdict("devices-kernel-write-read-by-the-board-32bit", strcmp(r.out, "0x3c\n") == 0, "read back: %s", r.out);
    char* env[] = {bus_env, NULL};
    const struct program_case transfers[] = {
        {"devices-i2c-rdwr-32bit", -1, 0, env, {"/init", "case", "devices-i2c-rdwr"}, 0, {""}},
        {"devices-i2c-rdwr-64bit", -1, 0, env, {"/init64", "case", "devices-i2c-rdwr"}, 0, {""}},
        {"devices-i2c-errors-64bit", -1, 0, no_env, {"/init64", "case", "devices-i2c-errors"}, 0, {""}},
        {"devices-watchdog-keeper-64bit", -1, 0, no_env, {"/init64", "case", "devices-watchdog-keeper"}, 0, {""}},
        {"devices-watchdog-keeper-32bit", -1, 0, no_env, {"/init", "case", "devices-watchdog-keeper"}, 0, {""}},
    };
    for (size_t i = 0; i < sizeof transfers / sizeof transfers[0]; ++i) program_case(&transfers[i]);
    /* What the daemon said so far: its nodes, and no complaint. */
    static char said[16384];
    fcntl(daemon_log, F_SETFL, O_NONBLOCK);
    ssize_t got = read(daemon_log, said, sizeof said - 1);
    said[got > 0 ? got : 0] = '\0';
    print_marked("ornsys-devices", said);
    verdict("devices-log", strstr(said, "the board's watchdog is /dev/ornsys-watchdog\n") && !strstr(said, "cannot"),
            "no line naming the watchdog's node, or a complaint");

    /* The last: a keeper that dies. Its close leaves the watchdog armed,
     * and the board resets WATCHDOG_TIMEOUT s after its last feed. */
    printf("ORNSYS-SYSTEM: DONE %d failed\n", failures);
    fflush(stdout);
    pid_t keeper = fork();
    if (keeper == 0) {
        int fd = open(watchdog_node, O_WRONLY), timeout = WATCHDOG_TIMEOUT;
        if (fd < 0 || ioctl(fd, WDIOC_SETTIMEOUT, &timeout) != 0) _exit(1);
        for (;;) {
            if (write(fd, "x", 1) == 1) printf("ORNSYS-SYSTEM: watchdog fed\n");
            fflush(stdout);
            sleep(1);
        }
    }
    sleep(3);
    kill(keeper, SIGKILL);
    ended(keeper);
    printf("ORNSYS-SYSTEM: keeper killed\n");
    fflush(stdout);
    sleep(4 * WATCHDOG_TIMEOUT);
    printf("ORNSYS-SYSTEM: not reset %d s after the keeper died\n", 4 * WATCHDOG_TIMEOUT);
}

/* Prints a program's output on the console, a line at a time behind a
 * mark, empty lines and an unterminated last line kept. */
static void print_marked(const char* mark, const char* text) {
    for (const char* line = text; *line != '\0';) {
        const char* end = strchr(line, '\n');
        int length = end ? (int)(end - line) : (int)strlen(line);
        printf("%s|%.*s%s\n", mark, length, line, end ? "" : "\\");
        line += length + (end ? 1 : 0);
    }
}

/* The board's twin: recorded here on the real firmware and printed, with
 * what the tool says on the board, for the host to compare with what the
 * tool says on the twin. */
static void twin_case(void) {
    struct run r;
    char* record[] = {"/ornsim-record", "--i2c", "all", NULL};
    run(&r, -1, 0, record, no_env);
    verdict("rom-record", r.status == 0 && strstr(r.out, "[board]") != NULL, "exit %d: %s", r.status, r.out);
    print_marked("ORNSYS-TWIN: ", r.out);
    static char* commands[][3] = {{"-INFO", "-b"}, {"-NVR", "-c"}, {"-NVR", "-i"}, {"-TEMP", "-a"}, {"-WD", "-s"}};
    for (size_t c = 0; c < sizeof commands / sizeof commands[0]; ++c) {
        char* argv[] = {(char*)tool, commands[c][0], commands[c][1], NULL};
        run(&r, -1, 0, argv, no_env);
        printf("ORNSYS-BOARD: %s %s = %d\n", commands[c][0], commands[c][1], r.status);
        print_marked("ORNSYS-BOARD: ", r.out);
    }
}

int main(int argc, char** argv) {
    if (argc == 4 && strcmp(argv[1], "cmos") == 0) return cmos_role(argv[2], (int)strtol(argv[3], NULL, 0));
    if (argc == 3 && strcmp(argv[1], "case") == 0) { /* one case of its own, never the boot */
        for (size_t i = 0; i < sizeof own_cases / sizeof own_cases[0]; ++i)
            if (strcmp(argv[2], own_cases[i].name) == 0) return own_cases[i].body() ? 0 : 1;
        return printf("no case %s\n", argv[2]), 2;
    }
    if (argc > 1 && strcmp(argv[1], "cases") == 0) { /* the 64-bit case runner */
        rom_cases();
        fflush(stdout);
        return failures;
    }
    mount("proc", "/proc", "proc", 0, NULL);
    mkdir("/sys", 0755);
    mount("sysfs", "/sys", "sysfs", 0, NULL);
    mount("devtmpfs", "/dev", "devtmpfs", 0, NULL);
    mkdir("/tmp", 01777);
    mkdir("/run", 0755); /* where the board's lock lives */
    const char* boot = getenv("ornsys_boot") ? getenv("ornsys_boot") : "stock";
    printf("ORNSYS-SYSTEM: boot %s\n", boot);
    const int rom = strcmp(boot, "rom") == 0, lockdown = strcmp(boot, "lockdown") == 0;
    if (strcmp(boot, "devices") == 0) {
        devices_cases();
        reboot(RB_POWER_OFF);
    }
    const struct program_case failing[] = {
        OPEN_FAILURE(lockdown ? "lockdown-info" : "stock-bios-info", -1, no_env, NULL),
        OPEN_FAILURE(lockdown ? "lockdown-debug" : "stock-bios-debug", -1, debug_env,
                     lockdown ? "failed" : "the directory does not know the ZOKA service"),
    };
    if (rom) {
        rom_cases();
        if (has_64bit()) { /* the 64-bit programs run the same cases */
            struct run r;
            char* cases[] = {"/init64", "cases", NULL};
            run(&r, -1, 0, cases, no_env);
            fputs(r.out, stdout);
            failures += r.status == 0 ? 0 : r.status < 128 ? r.status : 1;
        }
        several_processes();
        twin_case();
    } else {
        for (int i = 0; i < 2; ++i) program_case(&failing[i]);
    }
    printf("ORNSYS-SYSTEM: DONE %d failed\n", failures);
    fflush(stdout);
    sync();
    reboot(RB_POWER_OFF);
    return 0;
}
