// Keys described for people: names, and what an assignment made through ApplyAssignment (or a
// cell written elsewhere) makes a key do, in both languages.

#include "keymap/logic/Assignment.h"
#include "keymap/logic/FunctionCatalogue.h"
#include "keymap/logic/KeyDescription.h"

#include <gtest/gtest.h>

#include <functional>

using namespace orvane::keymap;
using orvane::link::ConfigImage;
using orvane::link::KeyExtTable;
namespace img = orvane::link::image;
namespace macro = orvane::macro;

namespace {

constexpr std::size_t kQ = 42, kF5 = 5;
constexpr uint8_t vkF5 = 0x74, vkLCtrl = 0xA2, vkLShift = 0xA0, vkEsc = 0x1B;

// The keyboard in its factory state, edited as the main window edits it.
struct Keyboard {
    ConfigImage image{};
    KeyExtTable records{};
    ModifiedMarks marks{};
    uint8_t selectedKey = 0, keyEnabled = 1;
    macro::MacroStore::Records saved = macro::MacroStore::Records(macro::kMacroRecordCount);
    KeyNameTable names = BuildKeyNameTable();

    Keyboard()
    {
        const auto block = factoryKeyCodeBlock();
        std::copy(block.begin(), block.end(), image.begin() + img::kKeyCodeBlock);
        std::fill_n(image.begin() + img::kKeyEnable, img::kKeyEnableSize, 0xFF);
        resetRecords(records);
    }
    void assign(std::size_t key, PendingAssignment p, Language language = Language::English)
    {
        selectedKey = uint8_t(key);
        AssignmentContext ctx{image, records, marks, selectedKey, keyEnabled, language, saved, names};
        ASSERT_EQ(ApplyAssignment(p, ctx), ApplyResult::Applied);
    }
    std::u16string text(std::size_t key, Language language = Language::English) const
    {
        return keyFunctionText(image, records[key], key, names, language);
    }
};

PendingAssignment keys(uint8_t category, std::initializer_list<uint8_t> vks)
{
    PendingAssignment p;
    p.category = category;
    std::copy(vks.begin(), vks.end(), p.keys.begin());
    p.keyCount = uint8_t(vks.size());
    return p;
}

}   // namespace

TEST(KeyDescriptionTest, CaptionsNameEveryKeyOnce)
{
    const KeyNameTable names = BuildKeyNameTable();
    EXPECT_EQ(keyCaption(names, kQ), u"Q");
    EXPECT_EQ(keyCaption(names, kF5), u"F5");
    EXPECT_EQ(keyCaption(names, kKeyFn), u"Fn");
    EXPECT_EQ(keyCaption(names, kFirstMacroKey), u"M1");
    EXPECT_EQ(keyCaption(names, kKeyCount - 1), u"M5");
    std::vector<std::u16string> all;
    for (std::size_t k = 0; k < kKeyCount; ++k) {
        const std::u16string c = keyCaption(names, k);
        EXPECT_FALSE(c.empty() || c.back() == u' ') << k;
        EXPECT_EQ(std::count(all.begin(), all.end(), c), 0) << "two keys named " << std::string(c.begin(), c.end());
        all.push_back(c);
    }
    EXPECT_NE(std::find(all.begin(), all.end(), u"Num Enter"), all.end());
    EXPECT_NE(std::find(all.begin(), all.end(), u"Num 0"), all.end());
}

TEST(KeyDescriptionTest, WhatAnAssignedKeyDoes)
{
    struct Case {
        const char* what;
        std::function<void(Keyboard&)> edit;
        std::u16string english, chinese;
    };
    PendingAssignment mute;
    mute.category = acFunction;
    mute.functionName = u"Mute";
    PendingAssignment program;
    program.category = acStartup;
    program.path = u"/usr/bin/xterm";
    PendingAssignment firstMacro;
    firstMacro.category = acMacro;
    firstMacro.macroIndex = 1;
    PendingAssignment reset;
    reset.keyCount = kResetToDefault;
    const Case cases[] = {
        {"factory", [](Keyboard&) {}, u"", u""},
        {"single key", [](Keyboard& k) { k.assign(kQ, keys(acSingle, {vkF5})); }, u"F5", u"F5"},
        {"its own key again", [](Keyboard& k) { k.assign(kQ, keys(acSingle, {0x51})); }, u"", u""},
        {"combination",
         [](Keyboard& k) {
             k.assign(kQ, keys(acCombine, {vkLCtrl, vkLShift, vkEsc}));
         },
         u"LCtrl+LShift+Esc", u"LCtrl+LShift+Esc"},
        {"function", [&](Keyboard& k) { k.assign(kQ, mute); }, u"Mute", u"静音"},
        {"macro", [&](Keyboard& k) { k.assign(kQ, firstMacro); }, u"Macro 2", u"宏 2"},
        {"program", [&](Keyboard& k) { k.assign(kQ, program); }, u"Start program /usr/bin/xterm",
         u"启动程序 /usr/bin/xterm"},
        {"disabled", [](Keyboard& k) { setKeyEnabled(k.image, kQ, false); }, u"Disabled", u"已禁用"},
        {"reset after an assignment",
         [&](Keyboard& k) {
             k.assign(kQ, mute);
             k.assign(kQ, reset);
         },
         u"", u""},
        // A keyboard configured elsewhere: the cell alone, the record as at the factory.
        {"cell of another key",
         [](Keyboard& k) {
             setKeyCell(k.image, kQ, {kcKeys, 0, 0x3E, 0});
         },
         u"F5", u"F5"},
        {"cell of a function",
         [](Keyboard& k) {
             setKeyCell(k.image, kQ, {kcConsumer, 0, 0xE2, 0});
         },
         u"Mute", u"静音"},
    };
    for (const Case& c : cases) {
        Keyboard k;
        c.edit(k);
        EXPECT_EQ(k.text(kQ), c.english) << c.what;
        EXPECT_EQ(k.text(kQ, Language::Chinese), c.chinese) << c.what;
        EXPECT_EQ(k.text(kF5), u"") << c.what << ": another key keeps its own code";
    }
}

TEST(KeyDescriptionTest, MacroKeysSendTheirOwnMacroAtTheFactory)
{
    Keyboard k;
    for (std::size_t key = kFirstMacroKey; key < kKeyCount; ++key)
        EXPECT_EQ(k.text(key), u"") << key;
    setKeyCell(k.image, kFirstMacroKey, {kcMacro, 1, 3, 0});
    EXPECT_EQ(k.text(kFirstMacroKey), u"Macro 4");
}
