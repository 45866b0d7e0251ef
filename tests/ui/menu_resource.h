// The main menu as the resource script and its header hold it, read from the source tree:
// id -> item text and start flags. The tests of the command table and of the enabling lists
// check the code against it.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <fstream>
#include <map>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

#ifndef VLOX_SOURCE_DIR
#error VLOX_SOURCE_DIR must name the source tree
#endif

namespace menu_resource {

inline std::string ReadFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

struct MenuItem {
    std::string text;
    bool grayed = false;
    bool checked = false;
};

// Parses resource.h's defines and the MENUITEM lines of the script into id -> item.
inline std::map<int32_t, MenuItem> ParseMenu()
{
    const std::string header = ReadFile(std::string(VLOX_SOURCE_DIR) + "/resources/resource.h");
    const std::string script = ReadFile(std::string(VLOX_SOURCE_DIR) + "/resources/vlox.rc");
    EXPECT_FALSE(header.empty());
    EXPECT_FALSE(script.empty());

    std::map<std::string, int32_t> defines;
    const std::regex define(R"(#define\s+(\w+)\s+(\d+))");
    for (std::sregex_iterator it(header.begin(), header.end(), define), end; it != end; ++it)
        defines[(*it)[1]] = std::stoi((*it)[2]);

    std::map<int32_t, MenuItem> items;
    const std::regex item(R"re(MENUITEM\s+"([^"]*)",\s*(\w+)([^\r\n]*))re");
    for (std::sregex_iterator it(script.begin(), script.end(), item), end; it != end; ++it) {
        const std::string name = (*it)[2];
        EXPECT_EQ(defines.count(name), 1u) << name;
        const int32_t id = defines[name];
        EXPECT_EQ(items.count(id), 0u) << "menu id " << id << " appears twice";
        MenuItem m;
        m.text = (*it)[1];
        const std::string flags = (*it)[3];
        m.grayed = flags.find("GRAYED") != std::string::npos;
        m.checked = flags.find("CHECKED") != std::string::npos;
        items[id] = m;
    }
    return items;
}

// The titles of the menu bar, in order, as the script holds them (an item's "&&" is a
// plain "&").
inline std::vector<std::string> TopMenuTitles()
{
    const std::string script = ReadFile(std::string(VLOX_SOURCE_DIR) + "/resources/vlox.rc");
    std::vector<std::string> titles;
    const std::regex popup(R"re(\n    POPUP "([^"]*)")re");
    for (std::sregex_iterator it(script.begin(), script.end(), popup), end; it != end; ++it)
        titles.push_back((*it)[1]);
    return titles;
}

}  // namespace menu_resource
