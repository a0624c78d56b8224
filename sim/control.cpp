// SPDX-License-Identifier: MIT
// Copyright (c) 2026 The ornsys authors
// ornsim-ctl: changes a running virtual board from outside through its state
// file: the clock, a power-on, values of sensors, batteries and the system
// state; and shows them. A program running on the same state file sees a
// change at its next firmware call.
#include <atomic>
#include <cerrno>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <string_view>

#include "instance.h"

namespace ornsim_impl {

namespace {

using ornsim_board::Board;

// The names ornsim-ctl gives a battery's state fields and the system's, in
// the order of their slots.
constexpr std::string_view kBatteryFieldNames[] = {"state", "rate", "charge", "voltage"};
constexpr std::string_view kSystemFieldNames[] = {"misc", "power"};
static_assert(std::size(kBatteryFieldNames) == ornsim_board::kBatteryFields);
static_assert(std::size(kSystemFieldNames) == ornsim_board::kSystemFields);

constexpr const char kUsage[] =
    "usage: ornsim-ctl advance DURATION | power-on | show |\n"
    "       set temp N VALUE | set volt N VALUE | set battery N charge|state|rate|voltage VALUE |\n"
    "       set system misc|power VALUE\n"
    "DURATION: a whole number with ms, s, m or h (90s); the board and its state file are\n"
    "named by ORNSIM_BOARD and ORNSIM_STATE\n";

// A whole number as board files write it, in the range of its field
// (SDWORD or DWORD); `unknown` where allowed.
bool Number(const char* text, int64_t& value, bool allowUnknown, bool isSigned = false) {
    if (allowUnknown && strcmp(text, "unknown") == 0) {
        value = 0xFFFFFFFF;
        return true;
    }
    char* end = nullptr;
    errno = 0;
    long long parsed = strtoll(text, &end, 0);
    const long long least = isSigned ? INT32_MIN : 0, most = isSigned ? INT32_MAX : UINT32_MAX;
    if (*text == '\0' || *end != '\0' || errno != 0 || parsed < least || parsed > most) return false;
    value = parsed;
    return true;
}

struct Ctl {
    Instance& sim;
    FILE* out;
    FILE* err;

    const Board& board() const { return sim.board; }
    LiveState live() const { return sim.memory.live(); }

    int Fail(const std::string& message) const {
        fprintf(err, "ornsim-ctl: %s\n", message.c_str());
        return 2;
    }

    // Moves the clock forwards, never past 100 years since power-on, so that
    // every time in nanoseconds stays a signed 64-bit number.
    int Advance(const char* text) const {
        uint64_t ms = 0;
        if (!ornsim_board::ParseDuration(text, ms))
            return Fail(std::string("bad duration '") + text + "' (e.g. 90s; at most 876600h)");
        constexpr int64_t kMaxClockNs = int64_t(ornsim_board::kMaxDurationMs) * 1000000;
        const int64_t step = int64_t(ms) * 1000000;
        std::atomic_ref<int64_t> offset(live().header().offsetNs);
        int64_t now = offset.load();
        do {
            if (step > kMaxClockNs - now) return Fail("advance: the board's clock would pass 100 years (876600h)");
        } while (!offset.compare_exchange_weak(now, now + step));
        return 0;
    }

    // A board switched off and on: the watchdog stopped, its status 0
    // (power-on), the boot counter one higher.
    int PowerOn() const {
        LiveHeader& h = live().header();
        Store(h.wdRunning, 0u);
        Store(h.wdStatus, 0u);
        std::atomic_ref<uint32_t>(h.bootCounter).fetch_add(1);
        return 0;
    }

    // set KIND N [FIELD] VALUE
    int Set(int argc, char** argv) const {
        if (argc < 3) return Fail("set needs what to set and a value");
        const std::string_view kind = argv[1];
        size_t slot = 0, item = 0;
        int valueAt = 3;
        bool unknownAllowed = false, isSigned = false;
        auto index = [&](size_t items) -> bool {
            int64_t n;
            if (!Number(argv[2], n, false) || n < 0 || size_t(n) >= items) return false;
            item = size_t(n);
            return true;
        };
        auto field = [&](std::string_view name, auto& names) -> int {
            for (size_t i = 0; i < std::size(names); ++i)
                if (names[i] == name) return int(i);
            return -1;
        };
        if (kind == "temp" || kind == "volt") {
            const bool temp = kind == "temp";
            if (!index(temp ? board().temps.size() : board().volts.size()))
                return Fail("no " + std::string(kind) + " sensor '" + argv[2] + "' on this board");
            slot = temp ? TempSlot(board(), item) : VoltSlot(board(), item);
            isSigned = true;
        } else if (kind == "battery") {
            if (!index(board().batteries.size())) return Fail(std::string("no battery '") + argv[2] + "' on this board");
            int f = argc > 3 ? field(argv[3], kBatteryFieldNames) : -1;
            if (f < 0) return Fail("a battery's charge, state, rate or voltage is set");
            slot = BatterySlot(board(), item, f);
            valueAt = 4;
            unknownAllowed = true;
        } else if (kind == "system") {
            int f = field(argv[2], kSystemFieldNames);
            if (f < 0) return Fail("the system's misc or power state is set");
            slot = SystemSlot(board(), f);
        } else {
            return Fail("cannot set '" + std::string(kind) + "': temp, volt, battery or system");
        }
        if (argc != valueAt + 1) return Fail("set " + std::string(kind) + ": wrong number of words");
        int64_t value;
        if (!Number(argv[valueAt], value, unknownAllowed, isSigned))
            return Fail(std::string("bad value '") + argv[valueAt] + "' (" +
                        (isSigned ? "-2147483648 to 2147483647" : "0 to 4294967295") + ")");
        LiveSlot& s = live().slot(slot);
        Store(s.value, uint32_t(value));
        Store(s.overridden, 1u);
        return 0;
    }

    void ShowValue(const char* what, size_t slot, const ornsim_board::Live& spec, int64_t fixed, bool hex) const {
        int64_t value = live().Value(slot, spec, fixed, false);
        if (hex) fprintf(out, "%s: 0x%08x", what, unsigned(value));
        else fprintf(out, "%s: %lld", what, static_cast<long long>(int32_t(value)));
        fprintf(out, "%s\n", Load(live().slot(slot).overridden) ? " (set)" : "");
    }

    int Show() const {
        const LiveState l = live();
        LiveHeader& h = l.header();
        fprintf(out, "clock: %.3f s since power-on (advanced %.3f s)\n", double(l.NowNs()) / 1e9,
                double(Load(h.offsetNs)) / 1e9);
        fprintf(out, "boot counter: %u\n", unsigned(Load(h.bootCounter)));
        if (!board().watchdogTimer) fprintf(out, "watchdog: no timer\n");
        else if (!Load(h.wdRunning)) fprintf(out, "watchdog: stopped\n");
        else fprintf(out, "watchdog: running, expires in %.3f s\n", double(Load(h.wdDeadlineNs) - l.NowNs()) / 1e9);
        fprintf(out, "watchdog status: %u\n", unsigned(Load(h.wdStatus)));
        char what[64];
        for (size_t i = 0; i < board().temps.size(); ++i) {
            const auto& t = board().temps[i];
            snprintf(what, sizeof what, "temp %zu %.8s", i, t.name);
            ShowValue(what, TempSlot(board(), i), t.live, t.value, false);
        }
        for (size_t i = 0; i < board().volts.size(); ++i) {
            const auto& v = board().volts[i];
            snprintf(what, sizeof what, "volt %zu %.8s", i, v.name);
            ShowValue(what, VoltSlot(board(), i), v.live, v.value, false);
        }
        for (size_t i = 0; i < board().batteries.size(); ++i) {
            const auto& b = board().batteries[i];
            const DWORD fixed[] = {b.state.Status, b.state.CurrentRate, b.state.RemainingCapacity, b.state.Voltage};
            for (int f = 0; f < ornsim_board::kBatteryFields; ++f) {
                snprintf(what, sizeof what, "battery %zu %.*s", i, int(kBatteryFieldNames[f].size()),
                         kBatteryFieldNames[f].data());
                ShowValue(what, BatterySlot(board(), i, f), b.live[f], fixed[f], f == 0);
            }
        }
        const DWORD system[] = {board().misc, board().power};
        for (int f = 0; f < ornsim_board::kSystemFields; ++f) {
            snprintf(what, sizeof what, "system %.*s", int(kSystemFieldNames[f].size()), kSystemFieldNames[f].data());
            ShowValue(what, SystemSlot(board(), f), board().systemLive[f], system[f], true);
        }
        return 0;
    }
};

}  // namespace

int Control(int argc, char** argv, FILE* out, FILE* err) {
    if (argc < 2 || strcmp(argv[1], "--help") == 0 || strcmp(argv[1], "help") == 0) {
        fputs(kUsage, argc < 2 ? err : out);
        return argc < 2 ? 2 : 0;
    }
    const std::string_view command = argv[1];
    const bool known = command == "advance" || command == "power-on" || command == "show" || command == "set";
    if (!known) {
        fprintf(err, "ornsim-ctl: unknown command '%s' (advance, power-on, show, set)\n", argv[1]);
        return 2;
    }
    const char* state = secure_getenv("ORNSIM_STATE");
    if (state == nullptr || *state == '\0') {
        fputs("ornsim-ctl: ORNSIM_STATE is not set: a board is steered through its state file\n", err);
        return 1;
    }
    Instance* instance = StartQuietly();
    if (instance == nullptr) return 1;  // the board's own line says why
    std::unique_ptr<Instance, void (*)(Instance*)> owner(instance, StopQuietly);
    Ctl ctl{*instance, out, err};
    if (command == "advance") {
        if (argc != 3) return ctl.Fail("advance needs one duration, e.g. advance 90s");
        return ctl.Advance(argv[2]);
    }
    if (command == "power-on") return argc == 2 ? ctl.PowerOn() : ctl.Fail("power-on takes no words");
    if (command == "show") return argc == 2 ? ctl.Show() : ctl.Fail("show takes no words");
    return ctl.Set(argc - 1, argv + 1);
}

}  // namespace ornsim_impl
