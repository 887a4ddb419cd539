// The evdev -> virtual-key table against the public reference table.

#include "hook/KeyTranslation.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

namespace {

using orvane::hook::vkFromEvdev;

std::vector<std::string> splitTabs(const std::string& line)
{
    std::vector<std::string> cells;
    std::stringstream ss(line);
    std::string cell;
    while (std::getline(ss, cell, '\t'))
        cells.push_back(cell);
    return cells;
}

// Where we differ from the reference on purpose: evdev code -> our virtual key.
const std::map<std::string, unsigned> kOurChoice = {
    {"KEY_KPENTER", 0x6C},    // the key table's keypad Enter (the reference gives VK_RETURN)
    {"KEY_COMPUTER", 0x00},   // only one source, VK_OEM_RESET: not a key of ours
};

TEST(KeyTranslation, AgreesWithTheReferenceTable)
{
    const char* dir = std::getenv("ORVANE_REFERENCE_DIR");
    std::ifstream in(dir ? std::string(dir) + "/evdev_to_vk.tsv" : std::string());
    if (!in)
        GTEST_SKIP() << "reference data absent";
    std::string line;
    std::getline(in, line);
    const std::vector<std::string> header = splitTabs(line);
    auto column = [&](const char* name) {
        return static_cast<std::size_t>(std::find(header.begin(), header.end(), name) - header.begin());
    };
    const std::size_t nameCol = column("evdev_name"), codeCol = column("evdev_code"), vkCol = column("vk_hex");
    ASSERT_LT(vkCol, header.size());
    int rows = 0;
    while (std::getline(in, line)) {
        std::vector<std::string> cells = splitTabs(line);
        cells.resize(header.size());
        const unsigned code = std::stoul(cells[codeCol]);
        unsigned expected = cells[vkCol].empty() ? 0 : std::stoul(cells[vkCol], nullptr, 16);
        if (auto it = kOurChoice.find(cells[nameCol]); it != kOurChoice.end())
            expected = it->second;
        EXPECT_EQ(vkFromEvdev(code), expected) << cells[nameCol];
        ++rows;
    }
    EXPECT_EQ(rows, 150);
}

// What the key table relies on, whatever the reference says.
TEST(KeyTranslation, KeypadSidesAndMenu)
{
    const std::pair<unsigned, unsigned> cases[] = {
        {82, 0x60}, {79, 0x61}, {80, 0x62}, {81, 0x63},  {75, 0x64},  {76, 0x65},  {77, 0x66},  {71, 0x67},  {72, 0x68},
        {73, 0x69}, {55, 0x6A}, {78, 0x6B}, {96, 0x6C},  {74, 0x6D},  {83, 0x6E},  {98, 0x6F},  {42, 0xA0},  {54, 0xA1},
        {29, 0xA2}, {97, 0xA3}, {56, 0xA4}, {100, 0xA5}, {125, 0x5B}, {126, 0x5C}, {127, 0x5D}, {139, 0x5D},
    };
    for (auto [code, vk] : cases)
        EXPECT_EQ(vkFromEvdev(code), vk) << code;
    for (unsigned button = 0x110; button <= 0x117; ++button)   // BTN_LEFT..BTN_TASK
        EXPECT_EQ(vkFromEvdev(button), 0u);
    EXPECT_EQ(vkFromEvdev(0xFFFF), 0u);
}

}   // namespace
