// The main menu as the resource script holds it: every item text and id that the commands
// use, and start states equal to what the enabling lists give for "review off, no data
// file, standard gates".
#include "vlox/ui/enabling.h"

#include "tests/ui/menu_resource.h"

#include <gtest/gtest.h>

#include <cctype>
#include <map>
#include <regex>
#include <set>
#include <string>
#include <vector>

namespace {

using menu_resource::MenuItem;
using menu_resource::ParseMenu;

// Records the start-state calls on top of an all-enabled menu.
class MenuState final : public EnablingSink {
public:
    std::map<int32_t, bool> enabled;
    void SetMenuItemEnabled(int32_t id, bool on) override { enabled[id] = on; }
    void SetButtonEnabled(int32_t, bool) override {}
    void SetButtonShown(int32_t, bool) override {}
    void SetProgressBarShown(bool) override {}
    bool IsButtonShown(int32_t) const override { return false; }
};

}  // namespace

TEST(MenuResource, EveryCommandItemWithItsText)
{
    // Item texts exactly as the commands and the enabling lists name them.
    const std::map<int32_t, std::string> expected = {
        {40001, "&Create Data File"},
        {40002, "&Open Data File"},
        {40003, "Save &As"},
        {40004, "&Print"},
        {40005, "E&xit"},
        {40006, "S&urvey Parameters"},
        {40007, "S&ystem Parameters"},
        {40010, "&Scale"},
        {40012, "&Attributes"},
        {40013, "&Start Review Mode"},
        {40014, "&Decay Mode"},
        {40015, "&Manage Records"},
        {40016, "&Display Comments"},
        {40017, "&Print Comments"},
        {40018, "E&xit Review Mode"},
        {40019, "&About"},
        {40020, "Top of Scale &Up"},
        {40021, "&Top of Scale Down"},
        {40022, "&Bottom of Scale Up"},
        {40023, "B&ottom of Scale Down"},
        {40024, "&Profile Mode"},
        {40025, "&Transfer"},
        {40026, "&Analysis"},
        {40027, "C&lose Data File"},
        {40030, "M&onitor"},
        {40031, "&Pause"},
        {40032, "&Measure"},
        {40033, "&Stop"},
        {40034, "S&tore Reading"},
        {40035, "C&ancel Reading"},
        {40036, "&Enter Comment"},
        {40039, "&TXT Text Format"},
        {40040, "&Tarnwel LZ5"},
        {40041, "&USF Format"},
        {40042, "&XYZ Format"},
        {40043, "&Map Size and Options"},
        {40045, "&Zoom In"},
        {40046, "Zoom &Out"},
        {40047, "Shift Map &Left"},
        {40048, "Shift Map &Right"},
        {40049, "Shift Map &Up"},
        {40050, "Shift Map &Down"},
        {40052, "&Next Station"},
        {40053, "&Previous Station"},
        {40054, "Next &Line"},
        {40055, "P&revious Line"},
        {40056, "&Fit All in Map"},
        {40058, "&Perform Full Nulling (Standard Gates)"},
        {40059, "Perform &Selective Nulling (Standard Gates)"},
        {40060, "Perform Nulling for Current Set of &User Defined Gates"},
        {40062, "Test &DC"},
        {40063, "Test Time Constant &100 ms"},
        {40064, "Test Time Constant &3 ms"},
        {40065, "Test Time Constant &0.1 ms"},
        {40066, "E&xit Internal Test Mode"},
        {40067, "&Decay View"},
        {40068, "&Profile View"},
        {40069, "Reset to &Default Parameters"},
        {40071, "&Inversion Analysis"},
        {40079, "&GPS Port Setup"},
        {40081, "GPS &Coordinates Display"},
        {40083, "M&onitor GPS Receiver"},
        {40084, "&SQ12-MK2 Setup"},
        {40086, "&Edit Selected Parameters"},
        {40088, "&Invert"},
    };
    const std::map<int32_t, MenuItem> items = ParseMenu();
    EXPECT_EQ(items.size(), expected.size());
    for (const auto& [id, text] : expected) {
        auto it = items.find(id);
        ASSERT_NE(it, items.end()) << id;
        EXPECT_EQ(it->second.text, text) << id;
    }
    // 40082 runs a command but no item carries it.
    EXPECT_EQ(items.count(40082), 0u);
}

// The menu bar's titles, each with an access key of its own ("&&" is a plain "&", not a key).
TEST(MenuResource, MenuBarTitlesWithKeysOfTheirOwn)
{
    const std::vector<std::string> titles = menu_resource::TopMenuTitles();
    EXPECT_EQ(titles,
              (std::vector<std::string>{"&File", "&Logging", "&Review", "&Set Parameters", "Graph &View", "&Map",
                                        "&GPS && SQ12-MK2 Options", "&Nulling", "In&ternal Test", "&Help"}));
    std::set<char> keys;
    for (const std::string& title : titles) {
        const std::regex key("(^|[^&])&([^&])");
        std::smatch m;
        ASSERT_TRUE(std::regex_search(title, m, key)) << title;
        EXPECT_TRUE(keys.insert(static_cast<char>(std::toupper(m[2].str()[0]))).second) << title;
    }
}

TEST(MenuResource, StartStatesMatchTheEnablingLists)
{
    const std::map<int32_t, MenuItem> items = ParseMenu();
    MenuState state;
    for (const auto& [id, item] : items)
        state.enabled[id] = true;
    ApplyMenusForReview(ReviewOff, state);
    ApplyMenusForState(LogNoDataFile, state);
    ApplyNullingMenus(0, state);
    for (const auto& [id, item] : items)
        EXPECT_EQ(item.grayed, !state.enabled[id]) << id;

    // Decay view checked for the default view.
    EXPECT_TRUE(items.at(40067).checked);
    EXPECT_FALSE(items.at(40068).checked);
}
