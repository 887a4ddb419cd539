#include "model/KeyTables.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <map>
#include <set>
#include <sstream>
#include <string>

using namespace orvane::keymap;

namespace {

const KeyNameTable& names()
{
    static const KeyNameTable t = BuildKeyNameTable();
    return t;
}

}   // namespace

TEST(KeyNameTableTest, NamesAndUsages)
{
    struct Case {
        uint8_t vk;
        std::u16string name;
        uint8_t usage;
    };
    const Case cases[] = {
        {0x41, u"A ", 0x04},
        {0x5A, u"Z ", 0x1D},
        {0x30, u"0", 0x27},
        {0x31, u"1 ", 0x1E},
        {0x39, u"9 ", 0x26},
        {0x70, u"F1 ", 0x3A},
        {0x7B, u"F12 ", 0x45},
        {0x07, u"", 0x00},
        {0xE9, u"", 0x00},
        {0xAE, u"Volume DOWN ", 0xEA},
        {0xAF, u"Volume UP ", 0xE9},
        {0xB3, u"Play/Pause", 0xCD},
        {0xB5, u"Media ", 0x83},
        {0x6C, u"Enter ", 0x58},
        {0x0D, u"Enter ", 0x28},
        {0xDC, u"\\ ", 0x32},
        {0xC0, u"` ", 0x35},
        {0x60, u"0-num ", 0x62},
        {0x61, u"1-num ", 0x59},
        {0x69, u"9-num ", 0x61},
        {0xF0, u"MsLB", 0xF0},
        {0xF3, u"", 0xF3},
        {0xF7, u"Mouse pointer Down", 0xF7},
        {0x5D, u"Apps ", 0x65},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(names().name(c.vk), c.name) << int(c.vk);
        EXPECT_EQ(names().usage(c.vk), c.usage) << int(c.vk);
        EXPECT_EQ(usageOf(c.vk), c.usage) << int(c.vk);
        EXPECT_EQ(names()[c.vk].vk, c.vk);
    }
    for (int vk = 0; vk < 256; ++vk)
        EXPECT_LE(names().name(static_cast<uint8_t>(vk)).size(), 99u);
}

TEST(KeyNameTableTest, FormatKeyList)
{
    const uint8_t ctrlAltDel[] = {0xA2, 0xA4, 0x2E};
    EXPECT_EQ(FormatKeyList(names(), 1, ctrlAltDel, 3), u"LCtrl + LAlt + Del ");
    EXPECT_EQ(FormatKeyList(names(), 1, ctrlAltDel, 2), u"LCtrl + LAlt ");
    EXPECT_EQ(FormatKeyList(names(), 0, ctrlAltDel, 3), u"LCtrl ");
    const uint8_t gap[] = {0x41, 0x00, 0x30};
    EXPECT_EQ(FormatKeyList(names(), 1, gap, 3), u"A + 0");
    for (uint8_t category : {2, 3, 8, 255})
        EXPECT_EQ(FormatKeyList(names(), category, ctrlAltDel, 3), u"") << int(category);
}

TEST(KeyLayoutTest, DerivedCellBitAndLightMap)
{
    EXPECT_EQ(cellIndex(KeyLayoutTable[0]), 105u);   // Esc, row 5 column 0
    EXPECT_EQ(enableBit(0), 120u);
    EXPECT_EQ(enableBit(96), 1u);   // left Windows: the Win-lock bit
    EXPECT_EQ(enableBit(111), 37u);
    EXPECT_EQ(enableBit(112), 37u);   // shares key 111's bit
    EXPECT_EQ(lightMapOffset(KeyLayoutTable[109]), 296u);
    std::set<std::size_t> cells;
    for (const KeyLayout& k : KeyLayoutTable)
        cells.insert(cellIndex(k));
    EXPECT_EQ(cells.size(), kKeyCount);   // no two keys share a matrix position
}

TEST(KeyLayoutTest, FactoryCodes)
{
    auto at = [](std::size_t key) {
        const KeyLayout& k = KeyLayoutTable[key];
        return FactoryKeyCodes[k.column * kMatrixRows + k.row];
    };
    EXPECT_EQ(at(63), (KeyCodeCell{0, 0, 0x04, 0}));
    EXPECT_EQ(at(17), (KeyCodeCell{3, 0, 0x83, 1}));
    EXPECT_EQ(at(54), (KeyCodeCell{0, 0, 0x31, 0}));
    EXPECT_EQ(at(100), (KeyCodeCell{2, 0, 0, 0}));
    EXPECT_EQ(at(101), (KeyCodeCell{0, 0, 0x65, 0}));
    EXPECT_EQ(at(108), (KeyCodeCell{0, 0, 0, 0}));
    EXPECT_EQ(at(111), (KeyCodeCell{0, 0, 0x28, 0}));
    EXPECT_EQ(FactoryKeyCodes[1 * 6 + 5].b2, 0x32);
    EXPECT_EQ(FactoryKeyCodes[3 * 6 + 0].b2, 0x91);
    EXPECT_EQ(FactoryKeyCodes[8 * 6 + 0].b2, 0x90);
    const auto block = factoryKeyCodeBlock();
    EXPECT_EQ(block[4 * 105 + 2], 0x29);   // Esc, row-major
    EXPECT_EQ(block[4 * (1 * 21 + 11) + 2], 0x00);
}

// ---- Against the public reference tables ------------------------------------------

namespace {

using Table = std::vector<std::vector<std::string>>;

bool readTsv(const std::string& path, Table& rows)
{
    std::ifstream in(path);
    if (!in)
        return false;
    std::string line;
    std::getline(in, line);   // header
    while (std::getline(in, line)) {
        std::vector<std::string> cells;
        std::stringstream s(line);
        std::string cell;
        while (std::getline(s, cell, '\t'))
            cells.push_back(cell);
        rows.push_back(cells);
    }
    return true;
}

int hexOf(const std::string& s)
{
    return static_cast<int>(std::stoul(s, nullptr, 16));
}

// Our entry, the Windows name of that key, and the HID name of the usage it must send.
struct RefKey {
    uint8_t vk;
    const char* vkName;
    const char* usageName;
};

// clang-format off
const RefKey kRefKeys[] = {
    {0x08, "VK_BACK", "Keyboard Backspace"},       {0x09, "VK_TAB", "Keyboard Tab"},
    {0x0D, "VK_RETURN", "Keyboard Enter"},         {0x13, "VK_PAUSE", "Keyboard Pause"},
    {0x14, "VK_CAPITAL", "Keyboard Caps Lock"},    {0x1B, "VK_ESCAPE", "Keyboard Escape"},
    {0x20, "VK_SPACE", "Keyboard Space"},          {0x21, "VK_PRIOR", "Keyboard PageUp"},
    {0x22, "VK_NEXT", "Keyboard PageDown"},        {0x23, "VK_END", "Keyboard End"},
    {0x24, "VK_HOME", "Keyboard Home"},            {0x25, "VK_LEFT", "Keyboard LeftArrow"},
    {0x26, "VK_UP", "Keyboard UpArrow"},           {0x27, "VK_RIGHT", "Keyboard RightArrow"},
    {0x28, "VK_DOWN", "Keyboard DownArrow"},       {0x2C, "VK_SNAPSHOT", "Keyboard PrintScreen"},
    {0x2D, "VK_INSERT", "Keyboard Insert"},        {0x2E, "VK_DELETE", "Keyboard Delete"},
    {0x30, "VK_0", "Keyboard 0 ) (Right Bracket)"},
    {0x5B, "VK_LWIN", "Keyboard Left GUI"},        {0x5C, "VK_RWIN", "Keyboard Right GUI"},
    {0x5D, "VK_APPS", "Keyboard Application"},
    {0x60, "VK_NUMPAD0", "Keypad 0 Insert"},       {0x61, "VK_NUMPAD1", "Keypad 1 End"},
    {0x62, "VK_NUMPAD2", "Keypad 2 Down Arrow"},   {0x63, "VK_NUMPAD3", "Keypad 3 PageDn"},
    {0x64, "VK_NUMPAD4", "Keypad 4 Left Arrow"},   {0x65, "VK_NUMPAD5", "Keypad 5"},
    {0x66, "VK_NUMPAD6", "Keypad 6 Right Arrow"},  {0x67, "VK_NUMPAD7", "Keypad 7 Home"},
    {0x68, "VK_NUMPAD8", "Keypad 8 Up Arrow"},     {0x69, "VK_NUMPAD9", "Keypad 9 PageUp"},
    {0x6A, "VK_MULTIPLY", "Keypad * (Star)"},      {0x6B, "VK_ADD", "Keypad + (Plus)"},
    {0x6D, "VK_SUBTRACT", "Keypad - (Dash)"},      {0x6E, "VK_DECIMAL", "Keypad . Delete"},
    {0x6F, "VK_DIVIDE", "Keypad / (ForwardSlash)"},
    {0x90, "VK_NUMLOCK", "Keypad Num Lock and Clear"}, {0x91, "VK_SCROLL", "Keyboard Scroll Lock"},
    {0xA0, "VK_LSHIFT", "Keyboard Left Shift"},    {0xA1, "VK_RSHIFT", "Keyboard Right Shift"},
    {0xA2, "VK_LCONTROL", "Keyboard Left Control"}, {0xA3, "VK_RCONTROL", "Keyboard Right Control"},
    {0xA4, "VK_LMENU", "Keyboard Left Alt"},       {0xA5, "VK_RMENU", "Keyboard Right Alt"},
    {0xBA, "VK_OEM_1", "Keyboard ; : (Semicolon Colon)"},
    {0xBB, "VK_OEM_PLUS", "Keyboard = + (Equals Plus)"},
    {0xBC, "VK_OEM_COMMA", "Keyboard , < (Comma Less)"},
    {0xBD, "VK_OEM_MINUS", "Keyboard - _ (Dash Underscore)"},
    {0xBE, "VK_OEM_PERIOD", "Keyboard . > (Period Greater)"},
    {0xBF, "VK_OEM_2", "Keyboard / ? (ForwardSlash QuestionMark)"},
    {0xC0, "VK_OEM_3", "Keyboard ` ´ (Grave Accent Tilde)"},
    {0xDB, "VK_OEM_4", "Keyboard [ { (Left Brace)"},
    {0xDD, "VK_OEM_6", "Keyboard ] } (Right Brace)"},
    {0xDE, "VK_OEM_7", "Keyboard ' \" (Left Apos Double)"},
};
// clang-format on

// Values set on purpose, not the HID usage of the key.
struct Exception {
    uint8_t vk;
    const char* vkName;
    uint8_t usage;
    const char* why;
};
const Exception kExceptions[] = {
    {0xDC, "VK_OEM_5", 0x32, "backslash sends the non-US hash usage"},
    {0x6C, "VK_SEPARATOR", 0x58, "keypad Enter arrives as the separator code"},
};
// Media keys: the low byte of their consumer usage.
struct MediaKey {
    uint8_t vk;
    const char* vkName;
    const char* consumerName;
};
const MediaKey kMedia[] = {
    {0xAE, "VK_VOLUME_DOWN", "Volume Decrement"},
    {0xAF, "VK_VOLUME_UP", "Volume Increment"},
    {0xB3, "VK_MEDIA_PLAY_PAUSE", "Play/Pause"},
    {0xB5, "VK_LAUNCH_MEDIA_SELECT", "AL Consumer Control Configuration"},
};

class KeyNameReferenceTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        const char* dir = std::getenv("ORVANE_REFERENCE_DIR");
        if (!dir)
            GTEST_SKIP() << "ORVANE_REFERENCE_DIR not set";
        const std::string d = dir;
        Table rows;
        if (!readTsv(d + "/vk_codes.tsv", rows))
            GTEST_SKIP() << "no reference data in " << d;
        for (const auto& r : rows)
            vkByName[r.at(0)] = hexOf(r.at(1));
        rows.clear();
        ASSERT_TRUE(readTsv(d + "/hid_keyboard_usages.tsv", rows));
        for (const auto& r : rows) {
            if (r.size() > 1)
                usageByName[r[1]] = hexOf(r[0]);
        }
        rows.clear();
        ASSERT_TRUE(readTsv(d + "/hid_consumer_usages.tsv", rows));
        for (const auto& r : rows) {
            if (r.size() > 1)
                consumerByName[r[1]] = hexOf(r[0]);
        }
    }
    std::map<std::string, int> vkByName, usageByName, consumerByName;
};

}   // namespace

TEST_F(KeyNameReferenceTest, EveryNamedKeyHasItsWindowsCodeAndHidUsage)
{
    std::set<int> checked;
    auto checkVk = [&](uint8_t vk, const std::string& vkName) {
        ASSERT_TRUE(vkByName.count(vkName)) << vkName;
        EXPECT_EQ(vkByName[vkName], vk) << vkName;
        checked.insert(vk);
    };
    for (const RefKey& k : kRefKeys) {
        checkVk(k.vk, k.vkName);
        ASSERT_TRUE(usageByName.count(k.usageName)) << k.usageName;
        EXPECT_EQ(names().usage(k.vk), usageByName[k.usageName]) << k.vkName;
    }
    for (int vk = 0x41; vk <= 0x5A; ++vk) {
        checkVk(static_cast<uint8_t>(vk), std::string("VK_") + char(vk));
        EXPECT_EQ(names().usage(static_cast<uint8_t>(vk)), usageByName[std::string("Keyboard ") + char(vk)]);
    }
    const char* digits[] = {"1 ! (Bang)",  "2 @ (At)",        "3 # (Hash)", "4 $ (Dollar)",      "5 % (Percent)",
                            "6 ^ (Caret)", "7 & (Ampersand)", "8 * (Star)", "9 ( (Left Bracket)"};
    for (int d = 1; d <= 9; ++d) {
        checkVk(static_cast<uint8_t>(0x30 + d), "VK_" + std::to_string(d));
        EXPECT_EQ(names().usage(static_cast<uint8_t>(0x30 + d)), usageByName[std::string("Keyboard ") + digits[d - 1]]);
    }
    for (int f = 1; f <= 12; ++f) {
        checkVk(static_cast<uint8_t>(0x6F + f), "VK_F" + std::to_string(f));
        EXPECT_EQ(names().usage(static_cast<uint8_t>(0x6F + f)), usageByName["Keyboard F" + std::to_string(f)]);
    }
    for (const Exception& e : kExceptions) {
        checkVk(e.vk, e.vkName);
        EXPECT_EQ(names().usage(e.vk), e.usage) << e.why;
    }
    for (const MediaKey& m : kMedia) {
        checkVk(m.vk, m.vkName);
        ASSERT_TRUE(consumerByName.count(m.consumerName)) << m.consumerName;
        EXPECT_EQ(names().usage(m.vk), consumerByName[m.consumerName] & 0xFF) << m.vkName;
    }
    // Every entry with a name or a usage was checked, except the mouse pseudo-codes 0xF0..0xF9.
    for (int vk = 0; vk < 256; ++vk) {
        const bool named =
            !names().name(static_cast<uint8_t>(vk)).empty() || names().usage(static_cast<uint8_t>(vk)) != 0;
        if (vk >= 0xF0 && vk <= 0xF9) {
            EXPECT_EQ(names().usage(static_cast<uint8_t>(vk)), vk);
        } else if (named) {
            EXPECT_TRUE(checked.count(vk)) << "unchecked entry " << vk;
        }
    }
}
