// SPDX-License-Identifier: MIT
// Copyright (c) 2026 The ornsys authors
// The reference manuals against the code: every API function has a page,
// and the board-file manual and the parser know the same sections and keys,
// each documented example parsing as it stands.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <regex>
#include <set>
#include <sstream>

#include "board.h"

namespace {

const std::string kSource = ORNSYS_SOURCE_DIR;

std::string Read(const std::string& path) {
    std::ifstream in(path);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

std::set<std::string> Matches(const std::string& text, const std::string& pattern) {
    std::set<std::string> found;
    const std::regex re(pattern);
    for (auto it = std::sregex_iterator(text.begin(), text.end(), re); it != std::sregex_iterator(); ++it)
        found.insert((*it)[1]);
    return found;
}

TEST(Manuals, EveryApiFunctionIsNamedOnAPageOfSectionThree) {
    const auto functions = Matches(Read(kSource + "/include/ornsyslx.h"), R"(BOOL (Orn\w+)\()");
    std::set<std::string> named;
    for (const auto& entry : std::filesystem::directory_iterator(kSource + "/man")) {
        if (entry.path().extension() != ".3") continue;
        for (const auto& f : Matches(Read(entry.path()), R"((Orn\w+)(?=[^\n]*\\- ))")) named.insert(f);
    }
    EXPECT_EQ(functions.size(), 46u);
    EXPECT_EQ(named, functions);
}

// The documented keys: "section" -> key -> the example value.
std::map<std::string, std::map<std::string, std::string>> DocumentedKeys() {
    std::map<std::string, std::map<std::string, std::string>> keys;
    std::istringstream page(Read(kSource + "/man/ornsim-board.5"));
    std::string section;
    const std::regex heading(R"(^\.SS \[([a-z0-9-]+)\].*)"), entry(R"re(^\.B "([a-z0-9-]+) = (.*)"$)re");
    for (std::string line; std::getline(page, line);) {
        std::smatch m;
        if (std::regex_match(line, m, heading)) section = m[1];
        else if (!section.empty() && std::regex_match(line, m, entry)) keys[section][m[1]] = m[2];
    }
    return keys;
}

TEST(Manuals, BoardFileManualAndParserKnowTheSameKeys) {
    const std::string parser = Read(kSource + "/sim/board-parser.cpp");
    const auto sections = Matches(parser, R"re(\{"([a-z0-9-]+)", Section::)re");
    std::set<std::string> keys = Matches(parser, R"re(key == "([a-z0-9-]+)")re");
    for (const auto& k : Matches(parser, R"re(\{"([a-z0-9-]+)", &)re")) keys.insert(k);  // battery numbers
    for (const auto& k : Matches(parser, R"re(ContentsKey\([^;]*?"([a-z-]+)", "([a-z-]+)", "([a-z-]+)")re")) keys.insert(k);
    for (const char* k : {"data", "fill", "file", "config", "config-fill", "config-file"}) keys.insert(k);

    const auto documented = DocumentedKeys();
    std::set<std::string> documentedSections, documentedKeys;
    for (const auto& [section, entries] : documented) {
        documentedSections.insert(section);
        for (const auto& [key, example] : entries)
            if (section != "ports") documentedKeys.insert(key);
    }
    EXPECT_EQ(documentedSections, sections);
    for (const auto& key : keys) EXPECT_TRUE(documentedKeys.count(key)) << "key '" << key << "' is not documented";
    for (const auto& key : documentedKeys) EXPECT_TRUE(keys.count(key)) << "documented key '" << key << "' is unknown";
}

// What a section needs before one of its keys can be tried on its own.
std::string Prelude(const std::string& section, const std::string& key) {
    if (section == "nvram") return "[nvram]\ntype = 3\nsize = 4096\n";
    if (section == "i2c-device") return "[i2c-bus]\nid = 0\n[i2c-device]\nbus = 0\naddress = 0x50\n";
    if (section == "i2c-bus") return "[i2c-bus]\nid = 1\n";
    if (section == "fault") return std::string("[fault]\nfunction = 0x27\n") + (key == "count" ? "" : "status = 0x8000\n");
    return "[" + section + "]\n";
}

TEST(Manuals, EveryDocumentedExampleParses) {
    const auto folder = std::filesystem::temp_directory_path() / "ornsys-docs-check";
    std::filesystem::create_directories(folder);
    size_t tried = 0;
    for (const auto& [section, entries] : DocumentedKeys()) {
        for (const auto& [key, example] : entries) {
            if (key.find("file") != std::string::npos) std::ofstream(folder / example) << "ab";
            const std::string text = Prelude(section, key) + key + " = " + example + "\n";
            ornsim_board::Board board;
            std::string error;
            EXPECT_TRUE(ornsim_board::Parse(text, "manual", folder.string(), board, error)) << text << error;
            ++tried;
        }
    }
    std::filesystem::remove_all(folder);
    EXPECT_GT(tried, 80u);
}

}  // namespace
