#include "keymap/logic/Assignment.h"
#include "keymap/logic/FunctionCatalogue.h"

#include <gtest/gtest.h>

using namespace orvane::keymap;
using orvane::link::ConfigImage;
using orvane::link::KeyExtTable;
namespace macro = orvane::macro;

namespace {

// The keyboard in its factory state with freshly initialised records.
struct Fixture {
    ConfigImage image{};
    KeyExtTable records{};
    ModifiedMarks marks{};
    uint8_t selectedKey = 0;
    uint8_t keyEnabled = 1;
    macro::MacroStore::Records saved = macro::MacroStore::Records(macro::kMacroRecordCount);
    KeyNameTable names = BuildKeyNameTable();
    Language language = Language::English;

    Fixture()
    {
        const auto block = factoryKeyCodeBlock();
        std::copy(block.begin(), block.end(), image.begin() + orvane::link::image::kKeyCodeBlock);
        std::fill_n(image.begin() + orvane::link::image::kKeyEnable, orvane::link::image::kKeyEnableSize, 0xFF);
        resetRecords(records);
    }
    ApplyResult apply(std::size_t key, const PendingAssignment& p)
    {
        selectedKey = static_cast<uint8_t>(key);
        marks[key] = 0;   // the main window clears it first
        AssignmentContext ctx{image, records, marks, selectedKey, keyEnabled, language, saved, names};
        return ApplyAssignment(p, ctx);
    }
    KeyCodeCell cell(std::size_t key) const { return keyCell(image, key); }
};

PendingAssignment keys(uint8_t category, std::initializer_list<uint8_t> vks)
{
    PendingAssignment p;
    p.category = category;
    std::copy(vks.begin(), vks.end(), p.keys.begin());
    p.keyCount = static_cast<uint8_t>(vks.size());
    return p;
}

}   // namespace

TEST(AssignmentTest, SingleKeyCells)
{
    struct Case {
        std::size_t key;
        uint8_t vk;
        KeyCodeCell cell;
        bool marked;
    };
    const Case cases[] = {
        {63, 0x42, {0, 0, 0x05, 0}, true},                                        // A -> B
        {63, 0x41, {0, 0, 0x04, 0}, false},                                       // own key in the Single box
        {63, 0xB5, {3, 0, 0x83, 1}, true},                                        // "Media "
        {63, 0xB3, {3, 0, 0xCD, 0}, true},                                        // "Play/Pause"
        {63, 0xAF, {3, 0, 0xE9, 0}, true},                                        // "Volume UP "
        {63, 0xAE, {3, 0, 0xEA, 0}, true},  {17, 0xB5, {3, 0, 0x83, 1}, false},   // the Media key to itself
    };
    for (const Case& c : cases) {
        Fixture f;
        ASSERT_EQ(f.apply(c.key, keys(acSingle, {c.vk})), ApplyResult::Applied);
        EXPECT_EQ(f.cell(c.key), c.cell) << int(c.vk);
        EXPECT_EQ(f.marks[c.key], c.marked ? 1 : 0) << int(c.vk);
        const auto& r = f.records[c.key];
        EXPECT_EQ(recordCategory(r), acSingle);
        EXPECT_EQ(recordKeyCount(r), c.marked ? 1 : 0);
        EXPECT_EQ(recordKeys(r)[0], c.marked ? c.vk : 0);
    }
}

TEST(AssignmentTest, SingleWithOtherCountKeepsTheCell)
{
    Fixture f;
    setKeyCell(f.image, 63, {0, 0, 0x07, 0});
    f.apply(63, keys(acSingle, {0x42, 0x43}));
    EXPECT_EQ(f.cell(63), (KeyCodeCell{0, 0, 0x07, 0}));
    EXPECT_EQ(recordKeyCount(f.records[63]), 2);
}

TEST(AssignmentTest, Combinations)
{
    Fixture f;
    f.apply(63, keys(acCombine, {0xA2, 0xA4, 0x2E}));
    EXPECT_EQ(f.cell(63), (KeyCodeCell{0, 0xE0, 0xE2, 0x4C}));
    EXPECT_EQ(f.marks[63], 1);
    EXPECT_EQ(recordCategory(f.records[63]), acCombine);
    EXPECT_EQ(FormatKeyList(f.names, 1, recordKeys(f.records[63]).data(), 3), u"LCtrl + LAlt + Del ");

    f.apply(64, keys(acCombine, {0x42}));
    EXPECT_EQ(f.cell(64), (KeyCodeCell{0, 0x05, 0, 0}));
    EXPECT_EQ(f.marks[64], 0);
}

TEST(AssignmentTest, MacroWithAndWithoutSelection)
{
    Fixture f;
    ASSERT_TRUE(macro::setRecordName(f.saved[0], u"m0"));
    ASSERT_TRUE(macro::setRecordName(f.saved[1], u"m1"));
    f.saved[1][macro::rec::kDeviceEvents + 1] = 0x04;
    f.saved[1][macro::rec::kDeviceEvents] = 0x01;
    PendingAssignment p;
    p.category = acMacro;
    p.macroIndex = 1;
    f.apply(63, p);
    EXPECT_EQ(f.cell(63), (KeyCodeCell{4, 1, 1, 0}));
    EXPECT_EQ(recordCode(f.records[63]), (KeyCodeCell{4, 1, 1, 0}));
    EXPECT_EQ(f.marks[63], 1);
    EXPECT_EQ(f.image[orvane::link::image::macroBlock(1) + 3], 0x04);   // packed from the saved store
    EXPECT_EQ(f.image[orvane::link::image::macroBlock(1) + 1], 1);

    p.macroIndex = -1;
    f.apply(64, p);
    EXPECT_EQ(f.cell(64), (KeyCodeCell{0, 0, 0x16, 0}));   // unchanged
    EXPECT_EQ(recordCode(f.records[64]), (KeyCodeCell{4, 1, 0xFF, 0}));
    EXPECT_EQ(recordCategory(f.records[64]), acMacro);
    EXPECT_EQ(f.marks[64], 0);

    p.macroIndex = 32;
    EXPECT_EQ(f.apply(65, p), ApplyResult::BadMacro);
    EXPECT_EQ(recordCategory(f.records[65]), 0);
}

TEST(AssignmentTest, FunctionsByNameInTheCurrentLanguage)
{
    struct Case {
        Language lang;
        std::u16string name;
        bool found;
        KeyCodeCell cell;
    };
    const Case cases[] = {
        {Language::English, u"Homepage", true, {3, 0, 0x23, 2}},
        {Language::Chinese, u"浏览器-主页", true, {3, 0, 0x23, 2}},
        {Language::Chinese, u"Homepage", false, {}},
        {Language::English, u"homepage", false, {}},
        {Language::English, u"Media", false, {}},   // a group node
        {Language::English, u"Task Management", true, {0, 0xE0, 0xE2, 0x4C}},
        {Language::Chinese, u"最小化", true, {0, 0xE2, 0x2C, 0x11}},
    };
    for (const Case& c : cases) {
        Fixture f;
        f.language = c.lang;
        PendingAssignment p;
        p.category = acFunction;
        p.functionName = c.name;
        f.apply(63, p);
        EXPECT_EQ(recordCategory(f.records[63]), acFunction);
        EXPECT_EQ(f.marks[63], 1);
        EXPECT_EQ(f.cell(63), c.found ? c.cell : (KeyCodeCell{0, 0, 0x04, 0}));
        EXPECT_EQ(recordCode(f.records[63]), c.found ? c.cell : (KeyCodeCell{}));
    }
}

TEST(AssignmentTest, CatalogueInTreeOrder)
{
    EXPECT_EQ(FunctionCatalogue.front().english, u"Search");
    EXPECT_EQ(FunctionCatalogue[2].group, FunctionGroup::Media);
    EXPECT_EQ(FunctionCatalogue[10].english, u"New");
    EXPECT_EQ(FunctionCatalogue.back().chinese, u"关闭窗口");
    EXPECT_EQ(functionGroupName(FunctionGroup::Shortcut, Language::Chinese), u"快捷健");
    EXPECT_EQ(functionGroupName(FunctionGroup::Windows, Language::Chinese), u"Windows");
    const FunctionEntry* f = findFunctionByCode({3, 0, 0x94, 1});
    ASSERT_NE(f, nullptr);
    EXPECT_EQ(f->english, u"Computer");
    EXPECT_EQ(findFunctionByCode({3, 0, 0x94, 2}), nullptr);
}

TEST(AssignmentTest, LaunchActions)
{
    for (uint8_t category : {acPlaySound, acStartup, acOpenFile, acOpenFolder}) {
        Fixture f;
        PendingAssignment p;
        p.category = category;
        p.path = u"/home/u/music/a.mp3";
        p.path.push_back(u'\0');
        p.path += u"junk after the terminator";
        ASSERT_EQ(f.apply(12, p), ApplyResult::Applied);
        EXPECT_EQ(f.cell(12), (KeyCodeCell{10, 0, 0x7B, 0}));
        EXPECT_EQ(recordCategory(f.records[12]), category);
        EXPECT_EQ(recordCode(f.records[12]), kLaunchCode);
        EXPECT_EQ(recordPath(f.records[12]), u"/home/u/music/a.mp3");
        EXPECT_EQ(f.marks[12], 1);
        EXPECT_EQ(findLaunchRecord(f.records, 0x7B), &f.records[12]);
        EXPECT_EQ(findLaunchRecord(f.records, 0x7A), nullptr);
    }
}

TEST(AssignmentTest, LaunchPathLimit)
{
    Fixture f;
    PendingAssignment p;
    p.category = acStartup;
    p.path = std::u16string(255, u'x');
    EXPECT_EQ(f.apply(12, p), ApplyResult::Applied);
    EXPECT_EQ(recordPath(f.records[12]).size(), 255u);
    EXPECT_EQ(f.records[12][771], 0);   // the terminator ends the record
    EXPECT_EQ(f.records[12][770], 0);

    Fixture g;
    p.path = std::u16string(256, u'y');
    EXPECT_EQ(g.apply(12, p), ApplyResult::PathTooLong);
    EXPECT_EQ(g.cell(12), (KeyCodeCell{0, 0, 0x45, 0}));
    EXPECT_EQ(recordCategory(g.records[12]), 0);
}

TEST(AssignmentTest, OwnKeyNothingChosenAndNoKey)
{
    Fixture f;
    f.apply(63, keys(acCombine, {0xA2, 0x42}));
    f.apply(63, keys(acOwnKey, {}));
    EXPECT_EQ(f.cell(63), (KeyCodeCell{0, 0, 0x04, 0}));
    EXPECT_EQ(recordCategory(f.records[63]), 0);
    EXPECT_EQ(recordKeyCount(f.records[63]), 0);
    EXPECT_EQ(recordKeys(f.records[63])[0], 0);
    EXPECT_EQ(f.marks[63], 0);

    const ConfigImage before = f.image;
    f.apply(64, keys(acNothing, {0x41}));
    EXPECT_EQ(f.image, before);
    EXPECT_EQ(f.apply(113, keys(acSingle, {0x41})), ApplyResult::NoKey);
}

TEST(AssignmentTest, ResetToDefaultOnAMacroKey)
{
    Fixture f;
    PendingAssignment m;
    m.category = acMacro;
    m.macroIndex = 0;
    f.apply(108, m);
    setKeyEnabled(f.image, 108, false);
    f.keyEnabled = 0;
    PendingAssignment reset;
    reset.category = acMacro;   // whatever the category
    reset.keyCount = kResetToDefault;
    f.apply(108, reset);
    EXPECT_EQ(f.cell(108), (KeyCodeCell{0, 0, 0, 0}));
    EXPECT_TRUE(keyEnabled(f.image, 108));
    EXPECT_EQ(f.keyEnabled, 1);
    EXPECT_EQ(recordCategory(f.records[108]), 0);
}

TEST(AssignmentTest, DisablingKey112ClearsBit37)
{
    Fixture f;
    f.selectedKey = 112;
    f.keyEnabled = 0;
    AssignmentContext ctx{f.image, f.records, f.marks, f.selectedKey, f.keyEnabled, f.language, f.saved, f.names};
    ApplyEnableState(ctx);
    EXPECT_EQ(f.image[orvane::link::image::kKeyEnable + 4], 0xFF & ~(1 << 5));
    EXPECT_FALSE(keyEnabled(f.image, 111));
    EXPECT_EQ(f.marks[112], 1);
    f.keyEnabled = 1;
    ApplyEnableState(ctx);
    EXPECT_TRUE(enableBitSet(f.image, 37));
}

TEST(ModifiedMarksTest, FactoryImage)
{
    Fixture f;
    f.marks.fill(1);
    RecomputeModifiedMarks(f.image, f.records, f.marks);
    for (std::size_t k = 0; k < f.marks.size(); ++k)
        EXPECT_EQ(f.marks[k], 0) << k;

    f.apply(54, keys(acSingle, {0xDC}));   // backslash to itself: written as 0x32
    EXPECT_EQ(f.marks[54], 0);
    RecomputeModifiedMarks(f.image, f.records, f.marks);
    EXPECT_EQ(f.marks[54], 1);
}

TEST(ModifiedMarksTest, Rules)
{
    Fixture f;
    setKeyCell(f.image, 109, {4, 1, 1, 0});      // macro key 2 plays macro 1: factory behaviour
    setKeyCell(f.image, 110, {4, 1, 0, 0});      // macro key 3 plays macro 0
    setKeyCell(f.image, 63, {4, 1, 0, 0});       // A plays a macro
    setKeyCell(f.image, 100, {0, 0, 0x04, 0});   // Fn is never marked
    f.records[64][1] = acFunction;               // a record category
    f.records[65][2] = 0x41;                     // one key that is not its own
    f.records[65][257] = 1;
    f.records[66][2] = 0x41;   // ... but counted 2: not this rule
    f.records[66][257] = 2;
    setKeyEnabled(f.image, 67, false);
    RecomputeModifiedMarks(f.image, f.records, f.marks);
    EXPECT_EQ(f.marks[109], 0);
    EXPECT_EQ(f.marks[110], 1);
    EXPECT_EQ(f.marks[63], 1);
    EXPECT_EQ(f.marks[100], 0);
    EXPECT_EQ(f.marks[64], 1);
    EXPECT_EQ(f.marks[65], 1);
    EXPECT_EQ(f.marks[66], 0);
    EXPECT_EQ(f.marks[67], 1);
}
