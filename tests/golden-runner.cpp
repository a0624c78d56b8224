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
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iostream>
#include <sstream>
#include <string>
#include <vector>

#include "regular-file.h"

namespace {

struct Options {
    std::string tool, boards, defaultBoard, firmwareLine, workRoot = "/tmp";
    std::vector<std::string> emulator;
    bool update = false;
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

// The usage texts the tool prints on its usage exits, each with the line
// that stands for it in the golden files. Learnt from the tool itself; the
// texts in full are checked where the golden file asks for them literally.
using UsageTexts = std::vector<std::pair<std::string, std::string>>;

struct Case {
    std::string board;
    std::vector<std::string> boardLines;
    std::vector<std::pair<std::string, std::string>> files;
    std::vector<std::string> show;
};

class Runner {
public:
    Runner(const Options& o, const std::string& work) : o_(o), work_(work) {}

    // Learns the usage exits: no words, and "-help" after each category.
    void LearnUsage() {
        static const char* const kCategories[] = {"-INFO", "-NVR",  "-I2C", "-WD",   "-VGA",
                                                  "-TEMP", "-VOLT", "-SYS", "-BATT", "-OEM"};
        Case none;
        usage_.emplace_back(Stdout(none, {}), "<usage>");
        for (const char* category : kCategories)
            usage_.emplace_back(Stdout(none, {category, "-help"}), std::string("<usage and ") + (category + 1) + " help>");
    }

    std::string Run(const Case& c, const std::vector<std::string>& args, bool state, bool literal) {
        std::string boardPath;
        if (!c.board.empty() || !c.boardLines.empty()) {
            std::string text = ReadFile(c.board.empty() ? o_.defaultBoard : o_.boards + "/" + c.board);
            for (const auto& l : c.boardLines) text += l + '\n';
            boardPath = work_ + "/case.board";
            WriteFile(boardPath, text);
        }
        for (const auto& [name, bytes] : c.files) WriteFile(work_ + "/" + name, bytes);
        std::string trace = work_ + "/trace", out = work_ + "/stdout", err = work_ + "/stderr";
        unlink(trace.c_str());

        pid_t pid = fork();
        if (pid == 0) {
            if (chdir(work_.c_str()) != 0) _exit(127);
            int fo = open(out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
            int fe = open(err.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
            int fi = open("/dev/null", O_RDONLY);
            dup2(fi, 0);
            dup2(fo, 1);
            dup2(fe, 2);
            if (boardPath.empty()) unsetenv("ORNSIM_BOARD");
            else setenv("ORNSIM_BOARD", boardPath.c_str(), 1);
            setenv("ORNSIM_TRACE", trace.c_str(), 1);
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

        std::string result;
        std::string stdoutText = WithoutFirmwareLine(ReadFile(out));
        for (const auto& [text, label] : usage_) {
            if (!literal && !text.empty() && stdoutText == text) stdoutText = label + '\n';
        }
        AppendStream(result, '|', stdoutText);
        AppendStream(result, '!', ReadFile(err));
        AppendStream(result, '@', NormalizeTrace(ReadFile(trace)));
        for (const auto& name : c.show) {
            bool exists;
            std::string data = ReadFile(work_ + "/" + name, &exists);
            result += "% " + name + ": " + (exists ? Hex(data) : "missing") + '\n';
        }
        if (WIFEXITED(status)) result += "= " + std::to_string(WEXITSTATUS(status)) + '\n';
        else result += "= signal " + std::to_string(WTERMSIG(status)) + '\n';
        return result;
    }

private:
    std::string Stdout(const Case& c, const std::vector<std::string>& args) {
        Run(c, args, false, true);
        return WithoutFirmwareLine(ReadFile(work_ + "/stdout"));
    }

    // The version's second line names the build's firmware access.
    std::string WithoutFirmwareLine(std::string text) const {
        if (o_.firmwareLine.empty()) return text;
        for (size_t at; (at = text.find(o_.firmwareLine + "\n")) != std::string::npos;)
            text.replace(at, o_.firmwareLine.size(), "<firmware access>");
        return text;
    }

    const Options& o_;
    std::string work_;
    UsageTexts usage_;
};

std::string Unhex(const std::vector<std::string>& words, size_t from) {
    std::string bytes;
    for (size_t i = from; i < words.size(); ++i) bytes += char(strtoul(words[i].c_str(), nullptr, 16));
    return bytes;
}

// Produces the golden file as the tool behaves now.
std::string Regenerate(const Options& o, const std::string& text, const std::string& work) {
    Runner runner(o, work);
    runner.LearnUsage();
    std::istringstream in(text);
    std::string out;
    Case c;
    bool state = false, literal = false;
    for (std::string line; std::getline(in, line);) {
        if (IsOutputLine(line)) continue;
        out += line + '\n';
        if (StartsWith(line, "board: ")) c.board = line.substr(7);
        else if (StartsWith(line, "+ ")) c.boardLines.push_back(line.substr(2));
        else if (StartsWith(line, "show: ")) c.show.push_back(line.substr(6));
        else if (StartsWith(line, "state: ")) state = line.substr(7) == "on";
        else if (StartsWith(line, "literal: ")) literal = line.substr(9) == "on";
        else if (StartsWith(line, "file: ")) {
            auto words = Split(line.substr(6));
            if (!words.empty()) c.files.emplace_back(words[0], Unhex(words, 1));
        } else if (line == "$" || StartsWith(line, "$ ")) {
            out += runner.Run(c, Split(line.substr(1)), state, literal);
            c = Case{};
        }
    }
    return out;
}

void PrintDiff(const std::string& expected, const std::string& actual) {
    std::istringstream e(expected), a(actual);
    std::string le, la;
    int line = 0, shown = 0;
    while (shown < 20) {
        bool he = bool(std::getline(e, le)), ha = bool(std::getline(a, la));
        ++line;
        if (!he && !ha) break;
        if (he && ha && le == la) continue;
        std::cerr << "line " << line << ":\n  expected: " << (he ? le : "<end>") << "\n  actual:   "
                  << (ha ? la : "<end>") << '\n';
        ++shown;
    }
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
        else if (a == "--firmware-line") o.firmwareLine = next();
        else if (a == "--emulator") o.emulator = Split(next());
        else if (a == "--update") o.update = true;
        else o.files.push_back(a);
    }
    if (o.tool.empty() || o.files.empty()) {
        std::cerr << "usage: golden-runner --tool PATH [--boards DIR] [--default-board FILE]\n"
                     "       [--firmware-line TEXT] [--emulator CMD] [--update] FILE...\n";
        return 2;
    }
    int failed = 0, passed = 0;
    for (const auto& file : o.files) {
        char work[] = "/tmp/ornsys-golden-XXXXXX";
        if (mkdtemp(work) == nullptr) return 2;
        std::string expected = ReadFile(file);
        std::string actual = Regenerate(o, expected, work);
        std::string cleanup = std::string("rm -rf ") + work;
        if (system(cleanup.c_str()) != 0) std::cerr << "could not remove " << work << '\n';
        if (actual == expected) {
            ++passed;
        } else if (o.update) {
            WriteFile(file, actual);
            std::cerr << "updated " << file << '\n';
            ++passed;
        } else {
            std::cerr << "FAIL " << file << '\n';
            PrintDiff(expected, actual);
            ++failed;
        }
    }
    printf("%d passed, %d failed\n", passed, failed);
    return failed ? 1 : 0;
}
