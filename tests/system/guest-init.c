/* SPDX-License-Identifier: MIT
 * Copyright (c) 2026 The ornsys authors */
/* The init of the system test's guest: runs the cases of one boot against
 * the real firmware of the machine it boots on and prints one line per case
 * on the console, "ORNSYS-SYSTEM: CASE PASS|FAIL [why]", then "ORNSYS-SYSTEM:
 * DONE" and powers the guest off. Which boot this is comes from the kernel
 * command line (ornsys.boot=stock|rom|lockdown). */
#define _GNU_SOURCE
#include <errno.h>
#include <fcntl.h>
#include <signal.h>
#include <stdarg.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <grp.h>
#include <sys/mount.h>
#include <sys/reboot.h>
#include <sys/stat.h>
#include <sys/utsname.h>
#include <time.h>
#include <pthread.h>
#include <sys/io.h>
#include <sys/wait.h>
#include <unistd.h>

#include "ornsyslx.h"

static int failures;
/* The programs under test: the 32-bit ones, or the 64-bit ones when this
 * init runs as the 64-bit case runner ("init64 cases"). */
static const char* tool = "/ornsys";
static const char* example = "/board-info";
static const char* service = "/ornsysd";
static const char* suffix = "";

/* The group a reader of the board service is in (uid 65534 with it). */
#define READ_GROUP 100
static int reader_groups;

static void verdict(const char* name, int pass, const char* why, ...) {
    char text[512] = "";
    va_list args;
    va_start(args, why);
    vsnprintf(text, sizeof text, why, args);
    va_end(args);
    printf("ORNSYS-SYSTEM: %s%s %s%s%s\n", name, suffix, pass ? "PASS" : "FAIL", pass ? "" : " ", pass ? "" : text);
    fflush(stdout);
    if (!pass) ++failures;
}

struct run {
    char out[16384];
    int status;  /* exit status, or 128 + signal */
};

/* Starts a program as the given user (-1: as root) with its output (both
 * streams) on a pipe, whose reading end goes to *out. */
static pid_t start(int uid, char* const argv[], char* const envp[], int* out) {
    int pipefd[2];
    if (pipe(pipefd) != 0) abort();
    pid_t pid = fork();
    if (pid == 0) {
        dup2(pipefd[1], 1);
        dup2(pipefd[1], 2);
        close(pipefd[0]);
        gid_t read_group = READ_GROUP;
        if (uid >= 0 && (setgroups(reader_groups, &read_group) != 0 || setgid(uid) != 0 || setuid(uid) != 0))
            _exit(126);
        execve(argv[0], argv, envp);
        _exit(127);
    }
    close(pipefd[1]);
    *out = pipefd[0];
    return pid;
}

/* Runs a program to its end with its output captured. */
static void run(struct run* r, int uid, char* const argv[], char* const envp[]) {
    int fd;
    pid_t pid = start(uid, argv, envp, &fd);
    size_t used = 0;
    ssize_t n;
    while ((n = read(fd, r->out + used, sizeof r->out - 1 - used)) > 0) used += (size_t)n;
    r->out[used] = '\0';
    close(fd);
    int status;
    waitpid(pid, &status, 0);
    r->status = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}

static char* no_env[] = {NULL};
static char* debug_env[] = {"ORNSYS_DEBUG=1", NULL};

static const char* kOpenFailed =
    "ORNSYS ERROR: DLL: starting Win32 driver failed (register device) !\n";

/* The firmware cannot be reached: the 0x8100 lines, exit 255, no signal. */
static void expect_open_failure(const char* name, int uid, char** env, const char* also) {
    struct run r;
    char* argv[] = {(char*)tool, "-INFO", "-b", NULL};
    run(&r, uid, argv, env);
    int pass = r.status == 255 && strstr(r.out, kOpenFailed) && strstr(r.out, "utOrnOpen: OrnOpen() failed!\n") &&
               (also == NULL || strstr(r.out, also));
    verdict(name, pass, "exit %d: %s", r.status, r.out);
}

/* Runs a case in a child process, so that a signal is a failure of the
 * case and not the end of the boot. */
static void in_child(const char* name, int (*body)(char* why, size_t size)) {
    int pipefd[2];
    if (pipe(pipefd) != 0) abort();
    pid_t pid = fork();
    if (pid == 0) {
        char why[256] = "";
        int ok = body(why, sizeof why);
        if (write(pipefd[1], why, strlen(why)) < 0) _exit(3);
        _exit(ok ? 0 : 1);
    }
    close(pipefd[1]);
    char why[256] = "";
    ssize_t n = read(pipefd[0], why, sizeof why - 1);
    why[n > 0 ? n : 0] = '\0';
    close(pipefd[0]);
    int status;
    waitpid(pid, &status, 0);
    if (WIFSIGNALED(status)) verdict(name, 0, "ended by signal %d", WTERMSIG(status));
    else verdict(name, WEXITSTATUS(status) == 0, "%s", why);
}

static unsigned char rtc(int reg) {
    outb((unsigned char)reg, 0x70);
    return inb(0x71);
}

/* The bytes of a hex dump line ("  0x000x: 00 01 ...  ....") into out. */
static int dump_bytes(const char* text, unsigned char* out, int most) {
    int n = 0;
    const char* line = strstr(text, "0x000x:");
    if (line == NULL) return 0;
    line += 7;
    unsigned value;
    int used;
    while (n < most && sscanf(line, " %2x%n", &value, &used) == 1 && used <= 4) {
        out[n++] = (unsigned char)value;
        line += used;
    }
    return n;
}

static int nvram_matches_rtc(char* why, size_t size) {
    struct run r;
    char* argv[] = {(char*)tool, "-NVR", "-r", "0", "0", "16", NULL};
    run(&r, -1, argv, no_env);
    unsigned char bytes[16];
    int n = dump_bytes(r.out, bytes, 16);
    if (iopl(3) != 0) return snprintf(why, size, "iopl refused"), 0;
    /* The date (registers 6 to 9) holds still while the test runs. */
    for (int reg = 6; reg <= 9; ++reg)
        if (n != 16 || bytes[reg] != rtc(reg))
            return snprintf(why, size, "exit %d, register %d: %s", r.status, reg, r.out), 0;
    return r.status == 16;
}

static int oem_reads_the_rtc(char* why, size_t size) {
    OEMACCESS select = {OEM_ACCESS_PORT, 0x70, 0, 0, OEM_DATA_BYTE, 9};
    OEMACCESS read = {OEM_ACCESS_PORT, 0x71, 0, 0, OEM_DATA_BYTE, 0};
    if (!OrnOEMWrite(&select) || !OrnOEMRead(&read)) return snprintf(why, size, "OEM I/O failed"), 0;
    if (iopl(3) != 0) return snprintf(why, size, "iopl refused"), 0;
    unsigned char year = rtc(9);
    if (read.DataValue != year) return snprintf(why, size, "year 0x%x, RTC 0x%x", (unsigned)read.DataValue, year), 0;
    return 1;
}

/* Threads that exist before OrnOpen make firmware calls that do port I/O. */
static pthread_barrier_t opened;
static void* nvram_worker(void* result) {
    pthread_barrier_wait(&opened);
    BYTE bytes[10];
    DWORD count = 0;
    *(int*)result = OrnReadNVRam(0, 0, 10, bytes, &count) && count == 10;
    return NULL;
}
static int threads_before_open(char* why, size_t size) {
    pthread_t threads[4];
    int results[4] = {0};
    pthread_barrier_init(&opened, NULL, 5);
    for (int i = 0; i < 4; ++i) pthread_create(&threads[i], NULL, nvram_worker, &results[i]);
    usleep(100000);
    if (!OrnOpen()) return snprintf(why, size, "OrnOpen failed"), 0;
    pthread_barrier_wait(&opened);
    int good = 0;
    for (int i = 0; i < 4; ++i) {
        pthread_join(threads[i], NULL);
        good += results[i];
    }
    OrnClose();
    snprintf(why, size, "%d of 4 threads read the NVRAM", good);
    return good == 4;
}

static void* opener(void* result) {
    *(int*)result = OrnOpen();
    return NULL;
}
static int open_in_a_worker(char* why, size_t size) {
    pthread_t thread;
    int opened_ok = 0;
    pthread_create(&thread, NULL, opener, &opened_ok);
    pthread_join(thread, NULL);
    BYTE bytes[4];
    DWORD count = 0;
    int ok = opened_ok && OrnReadNVRam(0, 6, 4, bytes, &count) && count == 4;
    snprintf(why, size, "opened %d, read %u", opened_ok, (unsigned)count);
    OrnClose();
    return ok;
}

/* A firmware call that returns with the direction flag set must not make
 * the library's copies run backwards over the caller's memory. */
static int direction_flag(char* why, size_t size) {
    struct {
        unsigned char before[128];
        BATTERYINFO info;
        unsigned char after[128];
    } guarded;
    memset(&guarded, 0xAA, sizeof guarded);
    guarded.info.BatteryInfoSize = sizeof(BATTERYINFO);
    if (!OrnOpen()) return snprintf(why, size, "OrnOpen failed"), 0;
    int ok = OrnGetBatteryInfo(0, &guarded.info);
    char copy[64];
    memset(copy, 0, sizeof copy);
    memcpy(copy + 1, "direction", 10);  /* a string instruction after the call */
    OrnClose();
    for (size_t i = 0; i < sizeof guarded.before; ++i)
        if (guarded.before[i] != 0xAA || guarded.after[i] != 0xAA)
            return snprintf(why, size, "guard byte %zu overwritten", i), 0;
    if (strcmp(copy + 1, "direction") != 0) return snprintf(why, size, "copy ran backwards"), 0;
    return ok;
}

/* After the firmware has been entered, no mapping of the process is both
 * writable and executable but the firmware's own window of /dev/mem. */
static int no_writable_code(char* why, size_t size) {
    BOARDINFO info;
    if (!OrnOpen() || !OrnGetBoardInfo(&info)) return snprintf(why, size, "OrnOpen or OrnGetBoardInfo failed"), 0;
    FILE* maps = fopen("/proc/self/maps", "r");
    if (maps == NULL) return snprintf(why, size, "no /proc/self/maps"), 0;
    char line[512];
    int ok = 1, window = 0;
    while (fgets(line, sizeof line, maps)) {
        char perms[5] = "";
        if (sscanf(line, "%*s %4s", perms) != 1 || strncmp(perms, "rwx", 3) != 0) continue;
        if (strstr(line, "/dev/mem") != NULL) {
            window = 1;
            continue;
        }
        ok = 0;
        snprintf(why, size, "writable code: %s", line);
    }
    fclose(maps);
    OrnClose();
    if (ok && !window) return snprintf(why, size, "the firmware window is not among the mappings"), 0;
    return ok;
}

static void tool_case(const char* name, char* const argv[], int status, const char* text) {
    struct run r;
    run(&r, -1, argv, no_env);
    verdict(name, r.status == status && strstr(r.out, text) != NULL, "exit %d: %s", r.status, r.out);
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

/* A reader's process: many board reads through the service, each checked. */
static int reads_through_the_service(char* why, size_t size) {
    gid_t read_group = READ_GROUP;
    if (setgroups(1, &read_group) != 0 || setgid(65534) != 0 || setuid(65534) != 0) {
        snprintf(why, size, "cannot become a reader: %s", strerror(errno));
        return 0;
    }
    if (!OrnOpen()) {
        snprintf(why, size, "OrnOpen failed");
        return 0;
    }
    int wrong = 0;
    for (int i = 0; i < 300; ++i) {
        BOARDINFO info;
        wrong += !OrnGetBoardInfo(&info) || strncmp((char*)info.HWPlatform, "ORN-QEMU-ROM", 12) != 0;
    }
    OrnClose();
    snprintf(why, size, "%d of 300 reads wrong", wrong);
    return wrong == 0;
}

/* ornsysd as root on the real firmware; clients as user 65534 in its read
 * group, which cannot open /dev/mem and so use the service by default. */
static void service_cases(void) {
    mkdir("/run", 0755);
    mkdir("/run/ornsys", 0755);
    int log = open("/ornsysd.log", O_WRONLY | O_CREAT | O_TRUNC, 0644);
    pid_t daemon = fork();
    if (daemon == 0) {
        dup2(log, 2);
        char* argv[] = {(char*)service, "--socket", "/run/ornsys/ornsysd.sock", "--read-group", "100", NULL};
        execve(argv[0], argv, no_env);
        _exit(127);
    }
    close(log);
    for (int i = 0; i < 200 && access("/run/ornsys/ornsysd.sock", F_OK) != 0; ++i) usleep(10000);
    reader_groups = 1;
    struct run r;
    char* info[] = {(char*)tool, "-INFO", "-b", NULL};
    run(&r, 65534, info, debug_env);
    verdict("rom-service-info", r.status == 0 && strstr(r.out, "HW platform:       ORN-QEMU-ROM") &&
                strstr(r.out, "opening /dev/mem failed: Permission denied; using the board service"),
            "exit %d: %s", r.status, r.out);
    char* temp[] = {(char*)tool, "-TEMP", "-a", NULL};
    run(&r, 65534, temp, no_env);
    verdict("rom-service-temp", r.status == 0 && strstr(r.out, "T-Sensor 0x00:"), "exit %d: %s", r.status, r.out);

    /* A reader's write reaches nothing: the byte stays, the service logs
     * the refusal; a watchdog trigger shows the status. */
    char* before[] = {(char*)tool, "-NVR", "-r", "0", "0x60", "1", NULL};
    struct run old, now;
    run(&old, -1, before, no_env);
    char* write[] = {(char*)tool, "-NVR", "-w", "0", "0x60", "0xA5", NULL};
    run(&r, 65534, write, no_env);
    run(&now, -1, before, no_env);
    char logged[4096] = "";
    int fd = open("/ornsysd.log", O_RDONLY);
    ssize_t n = fd >= 0 ? read(fd, logged, sizeof logged - 1) : -1;
    logged[n > 0 ? n : 0] = '\0';
    if (fd >= 0) close(fd);
    char* texts[] = {logged, old.out, now.out};
    for (size_t t = 0; t < 3; ++t)
        for (char* c = texts[t]; *c != '\0'; ++c)
            if (*c == '\n') *c = '|';
    verdict("rom-service-write-refused",
            old.status == 1 && strcmp(old.out, now.out) == 0 && strstr(logged, "role read): WriteNVRam refused"),
            "before [%.20s], after [%.20s], write exit %d, log %s", old.out, now.out, r.status, logged);
    char* trigger[] = {(char*)tool, "-WD", "-t", NULL};
    run(&r, 65534, trigger, no_env);
    verdict("rom-service-status", r.status == 255 && strstr(r.out, "DLL: access denied by the board service"),
            "exit %d: %s", r.status, r.out);
    reader_groups = 0;

    /* Two readers at once. */
    pid_t readers[2];
    for (int i = 0; i < 2; ++i) {
        readers[i] = fork();
        if (readers[i] == 0) {
            char why[256] = "";
            int ok = reads_through_the_service(why, sizeof why);
            if (!ok) printf("ORNSYS-SYSTEM: reader %d: %s\n", i, why);
            fflush(stdout);
            _exit(ok ? 0 : 1);
        }
    }
    int good = 0;
    for (int i = 0; i < 2; ++i) {
        int status;
        waitpid(readers[i], &status, 0);
        good += WIFEXITED(status) && WEXITSTATUS(status) == 0;
    }
    verdict("rom-service-two-clients", good == 2, "%d of 2 readers right", good);
    kill(daemon, SIGTERM);
    int status;
    waitpid(daemon, &status, 0);
    verdict("rom-service-stops", WIFEXITED(status) && WEXITSTATUS(status) == 0, "status %#x", status);
}

static void rom_cases(void) {
    char* info[] = {(char*)tool, "-INFO", "-b", NULL};
    tool_case("rom-info", info, 0, "HW platform:       ORN-QEMU-ROM");
    char* wd[] = {(char*)tool, "-WD", "-t", NULL};
    tool_case("rom-watchdog", wd, 0, "watchdog triggered");
    char* count[] = {(char*)tool, "-NVR", "-c", NULL};
    tool_case("rom-nvram-count", count, 0, "");
    char* program[] = {(char*)example, NULL};
    tool_case("rom-example", program, 0, "ORN-QEMU-ROM serial QEMU-0001, 7 boots");
    in_child("rom-nvram-is-the-rtc", nvram_matches_rtc);
    in_child("rom-oem-reads-the-rtc", oem_reads_the_rtc);
    in_child("rom-threads-before-open", threads_before_open);
    in_child("rom-open-in-a-worker", open_in_a_worker);
    in_child("rom-direction-flag", direction_flag);
    in_child("rom-no-writable-code", no_writable_code);
    expect_open_failure("rom-non-root", 65534, no_env, NULL);
    expect_open_failure("rom-non-root-debug", 65534, debug_env, "opening /dev/mem failed: Permission denied");
    if (mount("devtmpfs", "/dev", "devtmpfs", MS_REMOUNT | MS_NOEXEC, NULL) == 0) {
        expect_open_failure("rom-dev-noexec", -1, debug_env, "mapping 0xD0000-0xFFFFF of the firmware failed");
        mount("devtmpfs", "/dev", "devtmpfs", MS_REMOUNT, NULL);
    } else {
        verdict("rom-dev-noexec", 0, "cannot remount /dev: %s", strerror(errno));
    }
    service_cases();
    cost();
}

/* ---- several programs on one board ---- */

enum { kCmosRounds = 20000 };

static BYTE reader_pattern(int base, int i) { return (BYTE)(base ^ (i * 37 + 11)); }

/* One process of the CMOS case: 20000 times it reads its own 8 bytes of
 * CMOS through the firmware (the writer writes them first, new values each
 * time) and counts the bytes that come back wrong: another process's
 * register, had the two index/data port pairs interleaved. */
static int cmos_role(const char* role, int base) {
    const int writer = strcmp(role, "writer") == 0;
    if (!OrnOpen()) {
        printf("ORNSYS-SYSTEM: cmos %s%s open failed\n", role, suffix);
        return 1;
    }
    long wrong = 0;
    BYTE want[8], got[8];
    DWORD count;
    for (int i = 0; i < 8; ++i) want[i] = reader_pattern(base, i);
    for (int round = 0; round < kCmosRounds; ++round) {
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

/* Two readers and a writer of separate CMOS ranges at once (a 32-bit and a
 * 64-bit process among them where the kernel runs both); the bytes they
 * found wrong, or -1 when one could not run. */
static long cmos_processes(char** env) {
    const int bases[3] = {0x60, 0x68, 0x70};
    if (!OrnOpen()) return -1;
    DWORD count;
    for (int r = 0; r < 2; ++r) {
        BYTE pattern[8];
        for (int i = 0; i < 8; ++i) pattern[i] = reader_pattern(bases[r], i);
        OrnWriteNVRam(0, (DWORD)bases[r], 8, pattern, &count);
    }
    OrnClose();
    struct utsname machine;
    const int both = uname(&machine) == 0 && strcmp(machine.machine, "x86_64") == 0 && access("/init64", X_OK) == 0;
    const char* wide = both ? "/init64" : "/init";
    const char* programs[3] = {"/init", wide, wide};
    const char* roles[3] = {"reader", "reader", "writer"};
    pid_t pids[3];
    int outs[3];
    for (int p = 0; p < 3; ++p) {
        char base[8];
        snprintf(base, sizeof base, "0x%02x", bases[p]);
        char* argv[] = {(char*)programs[p], "cmos", (char*)roles[p], base, NULL};
        pids[p] = start(-1, argv, env, &outs[p]);
    }
    long wrong = 0;
    for (int p = 0; p < 3; ++p) {
        char text[512];
        ssize_t n = read(outs[p], text, sizeof text - 1);
        text[n > 0 ? n : 0] = '\0';
        close(outs[p]);
        int status;
        waitpid(pids[p], &status, 0);
        fputs(text, stdout);
        const char* at = strstr(text, " wrong ");
        if (at == NULL || !WIFEXITED(status)) {
            printf("ORNSYS-SYSTEM: cmos %s %s ended with %s %d\n", programs[p], roles[p],
                   WIFEXITED(status) ? "exit" : "signal", WIFEXITED(status) ? WEXITSTATUS(status) : WTERMSIG(status));
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
    kill(pid, SIGKILL);
    int status;
    waitpid(pid, &status, 0);
    struct run r;
    char* argv[] = {(char*)tool, "-INFO", "-b", NULL};
    run(&r, -1, argv, debug_env);
    verdict("rom-kill-inside-firmware",
            WIFSIGNALED(status) && r.status == 0 && strstr(r.out, "HW platform:") &&
                strstr(r.out, "a process died inside a firmware call"),
            "killed %d, exit %d: %s", WIFSIGNALED(status), r.status, r.out);
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
    run(&r, -1, record, no_env);
    verdict("rom-record", r.status == 0 && strstr(r.out, "[board]") != NULL, "exit %d: %s", r.status, r.out);
    print_marked("ORNSYS-TWIN: ", r.out);
    static char* commands[][3] = {{"-INFO", "-b"}, {"-NVR", "-c"}, {"-NVR", "-i"}, {"-TEMP", "-a"}, {"-WD", "-s"}};
    for (size_t c = 0; c < sizeof commands / sizeof commands[0]; ++c) {
        char* argv[] = {(char*)tool, commands[c][0], commands[c][1], NULL};
        run(&r, -1, argv, no_env);
        printf("ORNSYS-BOARD: %s %s = %d\n", commands[c][0], commands[c][1], r.status);
        print_marked("ORNSYS-BOARD: ", r.out);
    }
}

/* On a 64-bit kernel the 64-bit programs run the same cases. */
static void cases_64bit(void) {
    struct utsname machine;
    if (uname(&machine) != 0 || strcmp(machine.machine, "x86_64") != 0 || access("/init64", X_OK) != 0) return;
    struct run r;
    char* argv[] = {"/init64", "cases", NULL};
    run(&r, -1, argv, no_env);
    fputs(r.out, stdout);
    if (r.status != 0) failures += r.status > 0 && r.status < 128 ? r.status : 1;
}

static const char* boot_kind(void) {
    static char line[1024];
    int fd = open("/proc/cmdline", O_RDONLY);
    ssize_t n = fd >= 0 ? read(fd, line, sizeof line - 1) : -1;
    line[n > 0 ? n : 0] = '\0';
    char* at = strstr(line, "ornsys.boot=");
    if (at == NULL) return "stock";
    at += strlen("ornsys.boot=");
    at[strcspn(at, " \n")] = '\0';
    return at;
}

int main(int argc, char** argv) {
    if (sizeof(void*) == 8) suffix = "-64bit";
    if (argc == 4 && strcmp(argv[1], "cmos") == 0) return cmos_role(argv[2], (int)strtol(argv[3], NULL, 0));
    if (argc > 1 && strcmp(argv[1], "cases") == 0) {  /* the 64-bit case runner */
        tool = "/ornsys64";
        example = "/board-info64";
        service = "/ornsysd64";
        suffix = "-64bit";
        rom_cases();
        fflush(stdout);
        return failures;
    }
    mount("proc", "/proc", "proc", 0, NULL);
    mount("devtmpfs", "/dev", "devtmpfs", 0, NULL);
    const char* boot = boot_kind();
    printf("ORNSYS-SYSTEM: boot %s\n", boot);

    if (strcmp(boot, "stock") == 0) {
        expect_open_failure("stock-bios-info", -1, no_env, NULL);
        expect_open_failure("stock-bios-debug", -1, debug_env, "the directory does not know the ZOKA service");
    } else if (strcmp(boot, "rom") == 0) {
        rom_cases();
        cases_64bit();
        several_processes();
        twin_case();
    } else if (strcmp(boot, "lockdown") == 0) {
        expect_open_failure("lockdown-info", -1, no_env, NULL);
        expect_open_failure("lockdown-debug", -1, debug_env, "failed");
    }

    printf("ORNSYS-SYSTEM: DONE %d failed\n", failures);
    fflush(stdout);
    sync();
    reboot(RB_POWER_OFF);
    return 0;
}
