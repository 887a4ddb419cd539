// The key map panel's state and click logic, without a display: clicks at the panel's pixel
// positions, hook keys and box focus as calls, choosers and message boxes scripted.

#include "keymap/logic/FunctionCatalogue.h"
#include "keymap/logic/KeyMapState.h"

#include <gtest/gtest.h>

#include <deque>
#include <vector>

using namespace orvane;
using namespace orvane::keymap;

namespace {

// Click positions inside the panel's hit rectangles.
constexpr int kTabY = 44;
constexpr int kTabX[] = {40, 121, 202, 283};
constexpr int kBottomY = 257;
constexpr int kSaveX = 284, kDefaultX = 176, kCancelX = 230;
constexpr int kRadioX = 20, kBrowseX = 279;
int rowY(int row)
{
    return 76 + 30 * row;
}
constexpr int kEmptyX = 200, kEmptyY = 230;   // inside the panel, on no button and no Advance item

constexpr uint8_t vkA = 0x41, vkB = 0x42, vkCtrl = 0xA2, vkAlt = 0xA4, vkDel = 0x2E, vkF5 = 0x74;

class ScriptedServices final : public KeyMapServices {
public:
    std::deque<std::u16string> paths;
    std::vector<int> rowsAsked;
    std::vector<const PanelText*> messages;
    std::u16string choosePath(int row) override
    {
        rowsAsked.push_back(row);
        if (paths.empty())
            return {};
        std::u16string p = paths.front();
        paths.pop_front();
        return p;
    }
    void showMessage(const PanelText& t) override { messages.push_back(&t); }
};

class KeyMapStateTest : public ::testing::Test {
protected:
    void SetUp() override { resetRecords(records); }

    link::KeyExtRecord& record() { return records[kKey]; }
    void setKeys(uint8_t category, std::initializer_list<uint8_t> keys)
    {
        record()[extrec::kCategory] = category;
        std::size_t i = 0;
        for (uint8_t k : keys)
            record()[extrec::kKeys + i++] = k;
        record()[extrec::kKeyCount] = uint8_t(keys.size());
    }
    void openKey(bool enabled = true) { state.open(record(), enabled); }
    PanelEnd click(int x, int y) { return state.click(x, y, services); }
    PanelEnd tab(int t) { return click(kTabX[t], kTabY); }
    PanelEnd save() { return click(kSaveX, kBottomY); }

    static constexpr std::size_t kKey = 30;
    KeyNameTable names = BuildKeyNameTable();
    KeyMapState state{names, Language::English};
    link::KeyExtTable records{};
    ScriptedServices services;
};

TEST(KeyMapHitTest, ButtonsInOrderWithTheCheckBoxMargin)
{
    const struct {
        int x, y, button;
    } cases[] = {
        {310, 10, kBtnClose},   {81, 44, kBtnTabSingle},   // shared edge: the first button wins
        {82, 44, kBtnTabMacro}, {324, 57, kBtnTabAdvance}, {100, 30, kBtnStrip},
        {24, 255, kBtnDisable}, {14, 246, kBtnDisable},   // margin corner
        {13, 255, kNoButton},   {176, 257, kBtnDefault},   {230, 257, kBtnCancel},
        {305, 268, kBtnSave},   {306, 268, kNoButton},     {kEmptyX, kEmptyY, kNoButton},
    };
    for (const auto& c : cases)
        EXPECT_EQ(buttonAt(c.x, c.y), c.button) << c.x << "," << c.y;
}

TEST(KeyMapHitTest, AdvanceItemsPerRow)
{
    const auto browse3 = advanceItemAt(kBrowseX, rowY(3));
    ASSERT_TRUE(browse3);
    EXPECT_EQ(browse3->row, 3);
    EXPECT_EQ(browse3->item, AdvanceItem::Browse);
    const auto radio1 = advanceItemAt(15, 72 + 30);
    ASSERT_TRUE(radio1);
    EXPECT_EQ(radio1->row, 1);
    EXPECT_EQ(radio1->item, AdvanceItem::Radio);
    EXPECT_EQ(advanceItemAt(100, rowY(0))->item, AdvanceItem::PathField);
    EXPECT_FALSE(advanceItemAt(kEmptyX, kEmptyY));
    EXPECT_FALSE(advanceItemAt(250, rowY(0)));   // between field and browse button
}

TEST(KeyMapDisplayPath, ShortAndLongPaths)
{
    const struct {
        std::u16string path, shown;
    } cases[] = {
        {u"/a/a.mp3", u"/a/a.mp3"},                   // 8 units: whole
        {u"/home/u/a.mp3", u"/home/u/a.mp3"},         // 13 units: whole
        {u"/Music/b/a.mp3", u"../a.mp3"},             // 14 units
        {u"/home/user/Music/", u"../Music/"},         // a final separator is not the one cut at
        {u"abcdefghijklmnop", u"abcdefghijklmnop"},   // no separator: whole
        {u"abcdefghijklmn/", u"abcdefghijklmn/"},     // only a final one: whole
        {u"/abcdefghijklmnop", u"../abcdefghijklmnop"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(displayPath(c.path), c.shown);
}

TEST_F(KeyMapStateTest, OpeningRestoresTheRecordsTab)
{
    setKeys(acCombine, {vkCtrl, vkAlt, vkDel});
    openKey(false);
    EXPECT_EQ(state.tab(), kTabSingleCombine);
    EXPECT_EQ(state.combineText(), FormatKeyList(names, acCombine, recordKeys(record()).data(), 3));
    EXPECT_TRUE(state.singleText().empty());
    EXPECT_TRUE(state.firstFocus());
    EXPECT_TRUE(state.disabled());
    EXPECT_EQ(state.takeRequests().focusCombine, true);

    record()[extrec::kCategory] = acMacro;
    setRecordCode(record(), {kcMacro, 1, 5, 0});
    openKey();
    EXPECT_EQ(state.tab(), kTabMacro);
    EXPECT_EQ(state.macroSelection(), 5);
    EXPECT_FALSE(state.disabled());

    record()[extrec::kCategory] = acFunction;
    setRecordCode(record(), findFunctionByName(u"Mute", Language::English)->cell);
    openKey();
    EXPECT_EQ(state.tab(), kTabBasic);
    EXPECT_EQ(state.functionName(), u"Mute");
    KeyMapState chinese(names, Language::Chinese);
    chinese.open(record(), true);
    EXPECT_EQ(chinese.functionName(), u"静音");

    record()[extrec::kCategory] = acOpenFile;
    ASSERT_TRUE(setRecordPath(record(), u"/home/u/notes.txt"));
    openKey();
    EXPECT_EQ(state.tab(), kTabAdvance);
    EXPECT_EQ(state.launchKind(), 2);
    EXPECT_EQ(state.pending().path, u"/home/u/notes.txt");
    EXPECT_EQ(state.pending().category, acOpenFile);

    record()[extrec::kCategory] = acOwnKey;   // keeps the tab of the previous opening
    openKey();
    EXPECT_EQ(state.tab(), kTabAdvance);
    EXPECT_EQ(state.launchKind(), kLaunchNone);

    tab(kTabMacro);
    record()[extrec::kCategory] = acNothing;   // the Advance tab was entered last time
    openKey();
    EXPECT_EQ(state.tab(), kTabAdvance);
}

TEST_F(KeyMapStateTest, SingleKeyCaptureAndSave)
{
    openKey();                  // an unassigned key: category 0, no keys
    state.singleBoxFocused();   // the first focus after opening changes nothing
    EXPECT_FALSE(state.firstFocus());
    state.keyHook(vkF5);
    EXPECT_EQ(state.singleText(), names.name(vkF5));
    state.keyHook(vkB);   // a later key replaces it
    EXPECT_EQ(state.singleText(), names.name(vkB));
    ASSERT_EQ(save(), PanelEnd::Ok);
    EXPECT_EQ(state.pending().category, acSingle);
    EXPECT_EQ(state.pending().keyCount, 1);
    EXPECT_EQ(state.pending().keys[0], vkB);
    EXPECT_EQ(state.keyEnabled(), 1);
}

TEST_F(KeyMapStateTest, FourKeysInCombineKeepOnlyTheFourth)
{
    openKey();
    state.combineBoxFocused();
    EXPECT_EQ(state.pending().category, acCombine);
    for (uint8_t vk : {vkCtrl, vkAlt, vkDel})
        state.keyHook(vk);
    const uint8_t three[] = {vkCtrl, vkAlt, vkDel};
    EXPECT_EQ(state.combineText(), FormatKeyList(names, acCombine, three, 3));
    state.keyHook(vkA);
    EXPECT_EQ(state.combineText(), FormatKeyList(names, acCombine, &vkA, 1));
    ASSERT_EQ(save(), PanelEnd::Ok);
    EXPECT_EQ(state.pending().keyCount, 1);
    EXPECT_EQ(state.pending().keys[0], vkA);
    EXPECT_EQ(state.pending().keys[1], 0);
    EXPECT_EQ(state.pending().category, acCombine);
}

TEST_F(KeyMapStateTest, EmptySaveGivesTheOwnKeyAndFocusClearsTheOtherBox)
{
    setKeys(acSingle, {vkA});
    openKey();
    state.singleBoxFocused();   // spared
    EXPECT_EQ(state.pending().keys[0], vkA);
    state.combineBoxFocused();   // the user moves to the other box
    EXPECT_TRUE(state.singleText().empty());
    state.singleBoxFocused();   // and back: no keys left
    EXPECT_EQ(state.pending().keys[0], 0);
    click(24, 255);   // Disable
    EXPECT_TRUE(state.disabled());
    ASSERT_EQ(save(), PanelEnd::Ok);
    EXPECT_EQ(state.pending().category, acOwnKey);
    EXPECT_EQ(state.pending().keyCount, 0);
    EXPECT_EQ(state.keyEnabled(), 0);
}

TEST_F(KeyMapStateTest, TabClicksChangeTheRecordAtOnceAndCancelKeepsIt)
{
    record()[extrec::kCategory] = acFunction;
    setRecordCode(record(), findFunctionByName(u"Mute", Language::English)->cell);
    openKey();
    tab(kTabSingleCombine);
    EXPECT_EQ(recordCategory(record()), acSingle);
    EXPECT_EQ(recordCode(record()), (KeyCodeCell{0, 0, 0, 0}));
    EXPECT_TRUE(state.takeRequests().focusSingle);
    tab(kTabBasic);
    EXPECT_TRUE(state.takeRequests().selectFirstTreeItem);
    tab(kTabAdvance);
    EXPECT_EQ(recordCategory(record()), acNothing);
    EXPECT_EQ(state.pending().category, acNothing);   // the entering click is not an empty click
    EXPECT_EQ(click(kCancelX, kBottomY), PanelEnd::Cancel);
    EXPECT_EQ(recordCategory(record()), acNothing);
    EXPECT_EQ(click(310, 10), PanelEnd::Cancel);
}

TEST_F(KeyMapStateTest, AdvanceRadioWithoutBrowsingKeepsNothingChosen)
{
    openKey();
    tab(kTabAdvance);
    click(kRadioX, rowY(1));
    EXPECT_EQ(state.launchKind(), 1);
    EXPECT_EQ(state.launchMark(), 4);
    ASSERT_EQ(save(), PanelEnd::Ok);
    EXPECT_EQ(state.pending().category, acNothing);
    EXPECT_TRUE(services.rowsAsked.empty());
}

TEST_F(KeyMapStateTest, AdvanceEmptyClickGivesTheOwnKey)
{
    openKey();
    tab(kTabAdvance);
    click(kEmptyX, kEmptyY);
    EXPECT_EQ(state.pending().category, acOwnKey);
    EXPECT_EQ(state.launchMark(), kLaunchNone);
    ASSERT_EQ(save(), PanelEnd::Ok);
    EXPECT_EQ(state.pending().category, acOwnKey);
}

TEST_F(KeyMapStateTest, BrowseChoosesTheRowsActionAndRefusesLongPaths)
{
    openKey();
    tab(kTabAdvance);
    services.paths = {u"", std::u16string(256, u'a'), u"/home/u/Music/song.mp3"};
    click(kBrowseX, rowY(0));   // cancelled
    EXPECT_EQ(state.launchMark(), 0);
    EXPECT_EQ(state.launchKind(), kLaunchNone);
    EXPECT_EQ(state.pending().category, acNothing);
    click(kBrowseX, rowY(0));   // 256 units: refused, never cut
    ASSERT_EQ(services.messages.size(), 1u);
    EXPECT_EQ(services.messages[0], &kTxtPathTooLong);
    EXPECT_TRUE(state.pending().path.empty());
    click(kBrowseX, rowY(0));
    EXPECT_EQ(state.pending().category, acPlaySound);
    EXPECT_EQ(state.launchKind(), 0);
    EXPECT_EQ(state.pending().path, u"/home/u/Music/song.mp3");
    services.paths = {u"/" + std::u16string(254, u'b')};   // 255 units: accepted whole
    click(kBrowseX, rowY(3));
    EXPECT_EQ(state.pending().category, acOpenFolder);
    EXPECT_EQ(state.pending().path.size(), 255u);
    EXPECT_EQ((std::vector<int>{0, 0, 0, 3}), services.rowsAsked);
    ASSERT_EQ(save(), PanelEnd::Ok);
    EXPECT_EQ(state.pending().category, acOpenFolder);
}

TEST_F(KeyMapStateTest, RadioOnARestoredActionThenSaveKeepsTheRecord)
{
    record()[extrec::kCategory] = acStartup;
    ASSERT_TRUE(setRecordPath(record(), u"/usr/bin/xterm"));
    openKey();
    click(kRadioX, rowY(2));   // empties the path; the category stays Startup
    EXPECT_TRUE(state.pending().path.empty());
    ASSERT_EQ(save(), PanelEnd::Ok);
    EXPECT_EQ(state.pending().category, acNothing);   // not a Startup key with no program
}

TEST_F(KeyMapStateTest, BasicRefusesGroupNodesInBothLanguages)
{
    const struct {
        Language lang;
        std::u16string text;
        bool ok;
    } cases[] = {
        {Language::English, u"Media", false},   {Language::English, u"Shortcut", false},
        {Language::English, u"Windows", false}, {Language::English, u"", false},
        {Language::Chinese, u"多媒体", false},  {Language::Chinese, u"快捷健", false},
        {Language::Chinese, u"Windows", false}, {Language::English, u"Mute", true},
        {Language::Chinese, u"静音", true},     {Language::Chinese, u"Media", true},   // a leaf's text elsewhere
    };
    for (const auto& c : cases) {
        KeyMapState s(names, c.lang);
        ScriptedServices sv;
        s.open(record(), true);
        s.click(kTabX[kTabBasic], kTabY, sv);
        s.setTreeSelection(c.text);
        const PanelEnd end = s.click(kSaveX, kBottomY, sv);
        EXPECT_EQ(end == PanelEnd::Ok, c.ok);
        EXPECT_EQ(sv.messages.size(), c.ok ? 0u : 1u);
        if (!c.ok)
            EXPECT_EQ(sv.messages[0], &kTxtPleaseSelectSubItem);
        else
            EXPECT_EQ(s.pending().functionName, c.text);
        EXPECT_EQ(s.pending().category, acFunction);
    }
}

TEST_F(KeyMapStateTest, MacroSaveWithAndWithoutASelection)
{
    openKey();
    tab(kTabMacro);
    click(24, 255);   // Disable ticked
    ASSERT_EQ(save(), PanelEnd::Ok);
    EXPECT_EQ(state.pending().category, acOwnKey);
    EXPECT_EQ(state.keyEnabled(), 1);   // a key without a macro stays usable

    openKey();
    tab(kTabMacro);
    click(24, 255);
    state.setMacroRow(3);
    ASSERT_EQ(save(), PanelEnd::Ok);
    EXPECT_EQ(state.pending().category, acMacro);
    EXPECT_EQ(state.pending().macroIndex, 3);
    EXPECT_EQ(state.keyEnabled(), 0);
}

TEST_F(KeyMapStateTest, DefaultAndCancel)
{
    setKeys(acSingle, {vkA});
    openKey();
    EXPECT_EQ(click(kDefaultX, kBottomY), PanelEnd::Ok);
    EXPECT_EQ(state.pending().keyCount, kResetToDefault);
    openKey();
    EXPECT_EQ(click(kCancelX, kBottomY), PanelEnd::Cancel);
    EXPECT_EQ(state.pending().keyCount, 0);
    EXPECT_EQ(state.pending().keys[0], 0);
    EXPECT_EQ(click(kEmptyX, kEmptyY), PanelEnd::None);
}

TEST_F(KeyMapStateTest, HoverFlagsAndBrowseImages)
{
    openKey();
    EXPECT_TRUE(state.hover(kSaveX, kBottomY));
    EXPECT_TRUE(state.buttonHot(kBtnSave));
    EXPECT_FALSE(state.hover(kSaveX + 1, kBottomY));   // same button: no repaint
    EXPECT_TRUE(state.hover(24, 255));
    EXPECT_FALSE(state.buttonHot(kBtnSave));
    EXPECT_FALSE(state.buttonHot(kBtnDisable));   // hovering never ticks the box
    tab(kTabAdvance);
    EXPECT_TRUE(state.hover(kBrowseX, rowY(2)));
    EXPECT_EQ(state.browseHoverRow(), 2);
    state.hover(kEmptyX, kEmptyY);
    EXPECT_EQ(state.browseHoverRow(), -1);
    EXPECT_EQ(state.hoverButton(), kNoButton);
}

TEST_F(KeyMapStateTest, KeysAreIgnoredOutsideTheKeyCategories)
{
    openKey();
    tab(kTabBasic);   // pending category 2
    state.keyHook(vkA);
    EXPECT_EQ(state.pending().keys[0], 0);
    EXPECT_TRUE(state.singleText().empty());
}

}   // namespace
