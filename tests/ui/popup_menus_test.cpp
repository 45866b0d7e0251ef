// The popup parameter menus of the status panel as the resource script holds them: the item
// texts with the command ids the popup choices apply, each menu ending with "&Cancel".
#include <gtest/gtest.h>

#include <fstream>
#include <map>
#include <regex>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#ifndef VLOX_SOURCE_DIR
#error VLOX_SOURCE_DIR must name the source tree
#endif

namespace {

using Items = std::vector<std::pair<std::string, std::string>>;  // text, id

std::map<std::string, Items> ParsePopups()
{
    std::ifstream in(std::string(VLOX_SOURCE_DIR) + "/resources/popup_menus.rc", std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    const std::string script = s.str();
    std::map<std::string, Items> menus;
    const std::regex menu(R"((\w+) MENU\s+BEGIN\s+POPUP "MyMenu"\s+BEGIN([\s\S]*?)\n    END)");
    const std::regex item(R"re(MENUITEM\s+"([^"]*)",\s*(\w+))re");
    for (std::sregex_iterator m(script.begin(), script.end(), menu), end; m != end; ++m) {
        const std::string body = (*m)[2];
        Items items;
        for (std::sregex_iterator i(body.begin(), body.end(), item); i != end; ++i)
            items.emplace_back((*i)[1], (*i)[2]);
        menus[(*m)[1]] = items;
    }
    return menus;
}

Items Numbered(std::vector<std::string> texts, int firstId)
{
    Items items;
    for (const std::string& t : texts)
        items.emplace_back(t, std::to_string(firstId++));
    items.emplace_back("&Cancel", "IDM_POPUP_CANCEL");
    return items;
}

}  // namespace

TEST(PopupMenus, ItemsAndIdsOfEveryMenu)
{
    const std::map<std::string, Items> menus = ParsePopups();
    const std::map<std::string, Items> expected = {
        {"IDR_POPUP_RATE_50HZ",
         Numbered({"237.5 Hz", "62.5 Hz", "25 Hz", "6.25 Hz", "2.5 Hz", "0.625 Hz", "0.25 Hz"}, 1242)},
        {"IDR_POPUP_RATE_60HZ", Numbered({"285 Hz", "75 Hz", "30 Hz", "7.5 Hz", "3 Hz", ".75 Hz", ".3 Hz"}, 1242)},
        {"IDR_POPUP_AVERAGING", Numbered({"0.5 s", "1 s", "2 s", "4 s", "8 s", "15 s", "30 s", "60 s", "120 s"}, 1251)},
        {"IDR_POPUP_GATES", Numbered({"20 gates", "30 gates"}, 1261)},
        {"IDR_POPUP_COMPONENT", Numbered({"    Z", "    X", "    Y"}, 1301)},
        {"IDR_POPUP_GAIN", Numbered({"Gain 1", "Gain 2", "Gain 3", "Gain 4", "Gain 5", "Gain 6", "Gain 7"}, 1311)},
        {"IDR_POPUP_UNITS", Numbered({"nV/m2", "mV", "nT/s", "pT", "mS/m", "Ohm-m"}, 1321)},
    };
    EXPECT_EQ(menus, expected);
}
