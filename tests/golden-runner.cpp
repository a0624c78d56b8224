// SPDX-License-Identifier: MIT
// Copyright (c) 2026 The ornsys authors
// Runs the tool over a golden file and compares what it does with what the
// file expects: standard output, standard error, the firmware trace, files
// written and the exit status.
//
// A golden file is a list of cases. Input lines:
//   # ...                  comment
//   board: NAME            board file from the boards folder (else the default)
//   + LINE                 a line appended to the board file (e.g. a [fault] rule)
//   file: NAME HEX ...     create a file in the work folder before the run
//   show: NAME             show the file's bytes after the run
//   state: on|off          keep the board's memories in a state file from here on
//   literal: on|off        show usage texts in full (else they stand as one line)
//   $ ARGS                 run the tool with these words (split at blanks)
// Output lines, written by --update and compared otherwise:
//   | TEXT  standard output    ! TEXT  standard error    @ TEXT  trace
//   % NAME: HEX  a shown file  = N  exit status          \ no newline  (last line unterminated)
//
// With --sweep it instead fails every firmware function that each command
// of the files reaches, with every status, and checks how the tool ends.
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <strings.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <sstream>
#include <string>
#include <vector>

#include "regular-file.h"

namespace {

struct Options {
    std::string tool, boards, defaultBoard, backend, workRoot = "/tmp";
    std::vector<std::string> emulator;
    bool update = false, sweep = false;
    int shard = 0, shards = 1;  // with --sweep: the commands i with i % shards == shard
    std::vector<std::string> files;
};

std::string ReadFile(const std::string& path, bool* exists = nullptr) {
    std::string text, error;
    bool read = ornsim_files::ReadRegularFile(path, text, error);
    if (exists) *exists = read;
    return text;
}

void WriteFile(const std::string& path, const std::string& data) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << data;
}

std::vector<std::string> Split(const std::string& s) {
    std::vector<std::string> words;
    std::istringstream in(s);
    for (std::string w; in >> w;) words.push_back(w);
    return words;
}

bool StartsWith(const std::string& s, const char* prefix) { return s.rfind(prefix, 0) == 0; }

bool IsOutputLine(const std::string& line) {
    if (line.empty()) return false;
    char c = line[0];
    if (line.size() == 1) return c == '|' || c == '!' || c == '@';
    return (c == '|' || c == '!' || c == '@' || c == '%' || c == '=' || c == '\\') && line[1] == ' ';
}

// Lines of a stream, each prefixed with its mark.
void AppendStream(std::string& out, char mark, const std::string& text) {
    size_t pos = 0;
    while (pos < text.size()) {
        size_t end = text.find('\n', pos);
        bool terminated = end != std::string::npos;
        std::string line = text.substr(pos, terminated ? end - pos : std::string::npos);
        out += mark;
        if (!line.empty()) out += ' ' + line;
        out += '\n';
        if (!terminated) {
            out += "\\ no newline\n";
            break;
        }
        pos = end + 1;
    }
}

// Far pointers hold addresses that differ between builds; the trace shows
// where one stands instead of its bytes. In the blocks of 0x27, 0x28 and
// 0x71 the far pointer is bytes 4 to 9: hex digits 8 to 19 of a block.
std::string NormalizeTrace(const std::string& trace) {
    constexpr size_t kFarAt = 8, kFarDigits = 12, kInAt = 10;
    std::istringstream in(trace);
    std::string out;
    for (std::string line; std::getline(in, line);) {
        bool far = StartsWith(line, "call 0x27 ") || StartsWith(line, "call 0x28 ") || StartsWith(line, "call 0x71 ");
        size_t arrow = line.find(" -> ");
        if (far && arrow != std::string::npos) {
            // The block after the arrow first, so that the one before keeps its place.
            for (size_t block : {arrow + 11, kInAt}) {
                if (line.size() >= block + kFarAt + kFarDigits && line.compare(block, 4, "null") != 0)
                    line.replace(block + kFarAt, kFarDigits, "<far:ptr>");
            }
        }
        out += line + '\n';
    }
    return out;
}

std::string Hex(const std::string& bytes) {
    static const char digits[] = "0123456789abcdef";
    std::string out;
    for (unsigned char c : bytes) {
        if (!out.empty()) out += ' ';
        out += digits[c >> 4];
        out += digits[c & 15];
    }
    return out;
}

struct RunOutcome {
    std::string out, err, trace;
    bool signal = false;
    int exit = 0;  // the exit status, or the signal's number
};

struct Case {
    std::string board;
    std::vector<std::string> boardLines;
    std::vector<std::pair<std::string, std::string>> files;
    std::vector<std::string> show;
};

// Walks a golden file's input lines: each goes to `line` (output lines are
// skipped), and each command to `command` with the case built for it.
template <typename Line, typename Command>
void ForEachCommand(const std::string& text, Line line, Command command) {
    std::istringstream in(text);
    Case c;
    bool state = false, literal = false;
    for (std::string l; std::getline(in, l);) {
        if (IsOutputLine(l)) continue;
        line(l);
        if (StartsWith(l, "board: ")) c.board = l.substr(7);
        else if (StartsWith(l, "+ ")) c.boardLines.push_back(l.substr(2));
        else if (StartsWith(l, "show: ")) c.show.push_back(l.substr(6));
        else if (StartsWith(l, "state: ")) state = l.substr(7) == "on";
        else if (StartsWith(l, "literal: ")) literal = l.substr(9) == "on";
        else if (StartsWith(l, "file: ")) {
            auto words = Split(l.substr(6));
            std::string bytes;
            for (size_t i = 1; i < words.size(); ++i) bytes += char(strtoul(words[i].c_str(), nullptr, 16));
            if (!words.empty()) c.files.emplace_back(words[0], bytes);
        } else if (l == "$" || StartsWith(l, "$ ")) {
            command(c, Split(l.substr(1)), state, literal);
            c = Case{};
        }
    }
}

// Replaces every `from` in `text`.
std::string Replaced(std::string text, const std::string& from, const std::string& to) {
    for (size_t at = 0; (at = text.find(from, at)) != std::string::npos; at += to.size()) text.replace(at, from.size(), to);
    return text;
}

class Runner {
public:
    Runner(const Options& o, const std::string& work) : o_(o), work_(work) {}

    // The usage texts the tool prints on its usage exits (no words, and
    // "-help" after each category), each with the line that stands for it
    // in the golden files; in full where a golden file asks for them literally.
    void LearnUsage() {
        Run({}, {}, false, true);
        usage_.emplace_back(last_.out, "<usage>");
        for (const char* category : {"-INFO", "-NVR", "-I2C", "-WD", "-VGA", "-TEMP", "-VOLT", "-SYS", "-BATT", "-OEM"}) {
            Run({}, {category, "-help"}, false, true);
            usage_.emplace_back(last_.out, std::string("<usage and ") + (category + 1) + " help>");
        }
    }

    std::string Run(const Case& c, const std::vector<std::string>& args, bool state, bool literal) {
        std::string boardPath;
        if (!c.board.empty() || !c.boardLines.empty()) {
            std::string text = ReadFile(c.board.empty() ? o_.defaultBoard : o_.boards + "/" + c.board);
            for (const auto& l : c.boardLines) text += l + '\n';
            WriteFile(boardPath = work_ + "/case.board", text);
        }
        for (const auto& [name, bytes] : c.files) WriteFile(work_ + "/" + name, bytes);
        const std::string trace = work_ + "/trace", out = work_ + "/stdout", err = work_ + "/stderr";
        unlink(trace.c_str());
        pid_t pid = fork();
        if (pid == 0) {
            if (chdir(work_.c_str()) != 0) _exit(127);
            dup2(open("/dev/null", O_RDONLY), 0);
            dup2(open(out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644), 1);
            dup2(open(err.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644), 2);
            if (boardPath.empty()) unsetenv("ORNSIM_BOARD");
            else setenv("ORNSIM_BOARD", boardPath.c_str(), 1);
            setenv("ORNSIM_TRACE", trace.c_str(), 1);
            if (!o_.backend.empty()) setenv("ORNSYS_BACKEND", o_.backend.c_str(), 1);
            if (state) setenv("ORNSIM_STATE", (work_ + "/state").c_str(), 1);
            else unsetenv("ORNSIM_STATE");
            std::vector<std::string> words = o_.emulator;
            words.push_back(o_.tool);
            words.insert(words.end(), args.begin(), args.end());
            std::vector<char*> argv;
            for (auto& w : words) argv.push_back(w.data());
            argv.push_back(nullptr);
            execvp(argv[0], argv.data());
            _exit(127);
        }
        int status = 0;
        waitpid(pid, &status, 0);
        // The version's second line names the backend, which differs between
        // the builds that run the same files; the work folder differs from
        // run to run.
        std::string stdoutText = ReadFile(out);
        if (size_t at = stdoutText.find("\nfirmware access: "); at != std::string::npos)
            stdoutText.replace(at + 1, stdoutText.find('\n', at + 1) - at - 1, "<firmware access>");
        last_ = RunOutcome{stdoutText, ReadFile(err), ReadFile(trace), WIFSIGNALED(status),
                           WIFEXITED(status) ? WEXITSTATUS(status) : WTERMSIG(status)};
        for (const auto& [text, label] : usage_)
            if (!literal && !text.empty() && stdoutText == text) stdoutText = label + '\n';
        std::string result;
        AppendStream(result, '|', Replaced(stdoutText, work_, "<work>"));
        AppendStream(result, '!', Replaced(last_.err, work_, "<work>"));
        AppendStream(result, '@', NormalizeTrace(last_.trace));
        for (const auto& name : c.show) {
            bool exists;
            std::string data = ReadFile(work_ + "/" + name, &exists);
            result += "% " + name + ": " + (exists ? Hex(data) : "missing") + '\n';
        }
        return result + "= " + (last_.signal ? "signal " : "") + std::to_string(last_.exit) + '\n';
    }

    // The last run's streams, trace and ending, as they came.
    const RunOutcome& Outcome() const { return last_; }

private:
    const Options& o_;
    std::string work_;
    std::vector<std::pair<std::string, std::string>> usage_;
    RunOutcome last_;
};

// ---- the fault sweep ----

// Statuses that a failing firmware call can give: the library's table and
// one it does not know, with the tool's text for each.
struct SweepStatus {
    unsigned code;
    const char* line;  // what utErrorHandling prints for it
};
constexpr SweepStatus kSweepStatuses[] = {
    {0x8000, "ORNSYS ERROR: BIOS: function not supported !"},
    {0x8011, "ORNSYS ERROR: BIOS: invalid device !"},
    {0x8012, "ORNSYS ERROR: BIOS: data access error !"},
    {0x8021, "ORNSYS ERROR: BIOS: I2C invalid bus index !"},
    {0x8022, "ORNSYS ERROR: BIOS: I2C no acknowledge !"},
    {0x8023, "ORNSYS ERROR: BIOS: I2C protocol not supported !"},
    {0x8031, "ORNSYS ERROR: BIOS: NVRam not readable !"},
    {0x8032, "ORNSYS ERROR: BIOS: NVRam not writeable !"},
    {0x8033, "ORNSYS ERROR: BIOS: NVRam index out of range !"},
    {0x8041, "ORNSYS ERROR: BIOS: hardware not present !"},
    {0x8051, "ORNSYS ERROR: BIOS: parameter out of range !"},
    {0x8100, "ORNSYS ERROR: DLL: starting Win32 driver failed (register device) !"},
    {0x8101, "ORNSYS ERROR: DLL: starting Win32 driver failed (create file) !"},
    {0x8102, "ORNSYS ERROR: DLL: starting Win32 driver failed (create mutex) !"},
    {0x8103, "ORNSYS ERROR: DLL: invalid parameter (NULL pointer) !"},
    {0x8104, "ORNSYS ERROR: DLL: invalid DLL version !"},
    {0x8105, "ORNSYS ERROR: DLL: watchdog: invalid command !"},
    {0x8106, "ORNSYS ERROR: DLL: OEMRead/Write, invalid AddressType !"},
    {0x8107, "ORNSYS ERROR: DLL: OEMRead/Write, invalid AddressFlags !"},
    {0x8108, "ORNSYS ERROR: DLL: OEMRead/Write, invalid DataFlags !"},
    {0x1234, "ORNSYS ERROR: (Can not retrieve error information.)"},
};

// Functions that change what the state file keeps.
bool ChangesState(unsigned function) {
    for (unsigned f : {0x06u, 0x14u, 0x17u, 0x22u, 0x24u, 0x28u, 0x41u, 0x43u, 0x45u})
        if (f == function) return true;
    return false;
}

// How the tool ends when `function` fails with `status`, against its
// design: empty when right, else what is wrong. Mostly the error line and a
// failure status; the byte transfers stop short instead, the raw block
// command has a line of its own, and the NVRAM table marks the row.
std::string UnexpectedEnding(const std::vector<std::string>& args, unsigned function, const SweepStatus& status,
                             const RunOutcome& hit) {
    const bool table = strcasecmp(args[1].c_str(), "-t") == 0 && (function == 0x12 || function == 0x15);
    if (hit.exit == 247) return "usage exit";
    if (function == 0x13 || function == 0x14) return "";  // a short transfer, counted
    if (function == 0x17) {
        if (hit.err.find("utNVRamBlockRaw: error sending raw command!\n") == std::string::npos) return "no raw line";
        return hit.exit == 255 ? "" : "exit status " + std::to_string(hit.exit);
    }
    if (hit.out.find(std::string(status.line) + "\n") == std::string::npos)
        return std::string("no line \"") + status.line + "\"";
    if (table) return hit.exit == 0 ? "" : "exit status " + std::to_string(hit.exit);
    return hit.exit != 0 ? "" : "exit status 0";
}

struct SweepCommand {
    Case c;
    std::vector<std::string> args;
};

// The function numbers of the firmware calls in a trace, in first-call order.
std::vector<unsigned> CalledFunctions(const std::string& trace) {
    std::vector<unsigned> functions;
    std::istringstream in(trace);
    for (std::string line; std::getline(in, line);) {
        if (!StartsWith(line, "call 0x")) continue;
        unsigned f = unsigned(strtoul(line.c_str() + 5, nullptr, 16));
        if (std::find(functions.begin(), functions.end(), f) == functions.end()) functions.push_back(f);
    }
    return functions;
}

// Every command of the golden files that reaches the firmware and succeeds
// on a board without fault rules, once per category, option and board.
std::vector<SweepCommand> SweepCommands(const std::vector<std::string>& files) {
    std::vector<SweepCommand> commands;
    std::vector<std::string> seen;
    for (const auto& file : files) {
        ForEachCommand(ReadFile(file), [](const std::string&) {},
                       [&](const Case& c, const std::vector<std::string>& args, bool, bool) {
                           std::string key = c.board + (args.size() > 1 ? " " + args[0] + " " + args[1] : "");
                           for (auto& ch : key) ch = char(tolower(ch));
                           bool faulted = std::any_of(c.boardLines.begin(), c.boardLines.end(), [](auto& l) {
                               return l.find("[fault]") != std::string::npos;
                           });
                           if (faulted || args.size() < 2 || c.board == "absent.board" ||
                               std::find(seen.begin(), seen.end(), key) != seen.end())
                               return;
                           seen.push_back(key);
                           commands.push_back({c, args});
                       });
    }
    return commands;
}

struct SweepResult {
    int runs = 0, failures = 0;
};

// Fails each firmware function that a command reaches with every status,
// on a state file: no signal, no sanitizer report, the status's error line
// and a failure exit, no change of the state file when a write failed, and
// the same command without the fault works afterwards as it did before.
void SweepCommand(Runner& runner, const std::string& work, const SweepCommand& command, SweepResult& result) {
    const std::string state = work + "/state";
    auto fail = [&](const std::string& what) {
        if (++result.failures <= 40) {
            std::cerr << "FAIL sweep:";
            for (const auto& a : command.args) std::cerr << ' ' << a;
            std::cerr << " (board " << (command.c.board.empty() ? "default" : command.c.board) << "): " << what
                      << '\n';
        }
    };
    unlink(state.c_str());
    runner.Run(command.c, command.args, true, true);
    const RunOutcome clean = runner.Outcome();
    if (clean.signal || clean.exit == 255) return;  // not a command that succeeds here
    for (unsigned function : CalledFunctions(clean.trace)) {
        for (const SweepStatus& status : kSweepStatuses) {
            char rule[96];
            snprintf(rule, sizeof rule, "[fault]\nfunction = 0x%02x\nstatus = 0x%04x", function, status.code);
            Case faulty = command.c;
            faulty.boardLines.push_back(rule);
            const std::string before = ReadFile(state);
            runner.Run(faulty, command.args, true, true);
            const RunOutcome hit = runner.Outcome();
            ++result.runs;
            char labelText[64];
            snprintf(labelText, sizeof labelText, "function 0x%02x status 0x%04x: ", function, status.code);
            const std::string label = labelText;
            if (hit.signal) fail(label + "ended by signal " + std::to_string(hit.exit));
            else if (hit.err.find("Sanitizer") != std::string::npos || hit.err.find("runtime error") != std::string::npos)
                fail(label + "sanitizer report:\n" + hit.err);
            else if (std::string why = UnexpectedEnding(command.args, function, status, hit); !why.empty())
                fail(label + why);
            if (ChangesState(function) && ReadFile(state) != before) fail(label + "a failed write changed the state");
            runner.Run(command.c, command.args, true, true);
            const RunOutcome after = runner.Outcome();
            if (after.signal || after.exit != clean.exit)
                fail(label + "the next command ended with " + std::to_string(after.exit) + " instead of " +
                     std::to_string(clean.exit));
        }
    }
}

// Produces the golden file as the tool behaves now.
std::string Regenerate(const Options& o, const std::string& text, const std::string& work) {
    Runner runner(o, work);
    runner.LearnUsage();
    std::string out;
    ForEachCommand(text, [&](const std::string& line) { out += line + '\n'; },
                   [&](const Case& c, const std::vector<std::string>& args, bool state, bool literal) {
                       out += runner.Run(c, args, state, literal);
                   });
    return out;
}

}  // namespace

int main(int argc, char** argv) {
    Options o;
    for (int i = 1; i < argc; ++i) {
        std::string a = argv[i];
        auto next = [&]() -> std::string { return i + 1 < argc ? argv[++i] : ""; };
        if (a == "--tool") o.tool = next();
        else if (a == "--boards") o.boards = next();
        else if (a == "--default-board") o.defaultBoard = next();
        else if (a == "--backend") o.backend = next();
        else if (a == "--emulator") o.emulator = Split(next());
        else if (a == "--update") o.update = true;
        else if (a == "--sweep") o.sweep = true;
        else if (a == "--shard") {
            std::string k = next();
            o.shard = atoi(k.c_str());
            o.shards = k.find('/') == std::string::npos ? 1 : atoi(k.c_str() + k.find('/') + 1);
        }
        else o.files.push_back(a);
    }
    if (o.tool.empty() || o.files.empty()) {
        std::cerr << "usage: golden-runner --tool PATH [--boards DIR] [--default-board FILE]\n"
                     "       [--backend NAME] [--emulator CMD] [--update | --sweep [--shard K/N]] FILE...\n";
        return 2;
    }
    if (o.sweep) {
        char work[] = "/tmp/ornsys-sweep-XXXXXX";
        if (mkdtemp(work) == nullptr) return 2;
        Runner runner(o, work);
        SweepResult result;
        auto commands = SweepCommands(o.files);
        size_t mine = 0;
        for (size_t i = 0; i < commands.size(); ++i) {
            if (int(i % size_t(o.shards)) != o.shard) continue;
            SweepCommand(runner, work, commands[i], result);
            ++mine;
        }
        std::filesystem::remove_all(work);
        printf("fault sweep: %zu commands, %d faulted runs\n", mine, result.runs);
        printf("%d passed, %d failed\n", result.runs - result.failures, result.failures);
        return result.failures ? 1 : 0;
    }
    int failed = 0, passed = 0;
    for (const auto& file : o.files) {
        char work[] = "/tmp/ornsys-golden-XXXXXX";
        if (mkdtemp(work) == nullptr) return 2;
        const std::string expected = ReadFile(file), actual = Regenerate(o, expected, work);
        if (actual != expected && o.update) {
            WriteFile(file, actual);
            std::cerr << "updated " << file << '\n';
        } else if (actual != expected) {
            std::cerr << "FAIL " << file << '\n';
            WriteFile(std::string(work) + "/actual", actual);
            if (system(("diff -u " + file + " " + work + "/actual | head -60 >&2").c_str()) != 0) return 2;
            ++failed;
        }
        passed += actual == expected || o.update;
        std::filesystem::remove_all(work);
    }
    printf("%d passed, %d failed\n", passed, failed);
    return failed ? 1 : 0;
}
