// The main window's panel logic without a display: layout, hit tests, lists and commands.

#include "model/KeyTables.h"
#include "usecases/MainPanel.h"

#include <gtest/gtest.h>

using namespace orvane;
using namespace orvane::usecases;
namespace img = link::image;

namespace {

class MainPanelTest : public ::testing::Test {
protected:
    link::ConfigImage image{};
    link::KeyExtTable records{};
    MainPanel panel{image, records};

    void SetUp() override
    {
        image[img::kEffect] = 1;
        image[img::kColour] = 1;
        image[img::kDirection] = 1;
    }
    void click(int x, int y) { panel.OnClick(x, y); }
    // The centre of key k in window coordinates.
    static std::pair<int, int> keyCentre(std::size_t k)
    {
        const auto& r = keymap::KeyLayoutTable[k].rect;
        return {kKeyboardLeft + (r.left + r.right) / 2, kKeyboardTop + (r.top + r.bottom) / 2};
    }
    void chooseEffectRow(int row)
    {
        if (panel.lightCollapsed())
            click(100, 118);
        click(100, 165);   // the effect box opens the list
        ASSERT_TRUE(panel.effectListOpen());
        click(100, kEffectListTop + 20 * row + 5);
    }
};

TEST_F(MainPanelTest, AccordionPositions)
{
    // Light collapsed: the macro bar's button is at 150..168 (bar at 140).
    EXPECT_EQ(panel.HitTestButton(100, 150), cmd::kMacro);
    EXPECT_EQ(panel.HitTestButton(100, 168), cmd::kMacro);
    EXPECT_EQ(panel.HitTestButton(100, 169), cmd::kNone);
    EXPECT_EQ(panel.HitTestButton(100, 149), cmd::kNone);
    // Where the effect box would be, nothing happens.
    EXPECT_EQ(panel.HitTestButton(100, 165), cmd::kMacro);   // the macro bar lies there now
    click(100, 160);
    EXPECT_FALSE(panel.effectListOpen());
    EXPECT_EQ(panel.HitTestButton(100, 210), cmd::kGameHeader);       // g = 195
    EXPECT_EQ(panel.HitTestButton(100, 255), cmd::kResponseHeader);   // e = 250
    const int reportCollapsed = panel.reportY();
    EXPECT_EQ(reportCollapsed, 290);
    EXPECT_EQ(panel.HitTestButton(100, 291), cmd::kReportHeader);

    click(100, 255);   // Response Time expands
    EXPECT_FALSE(panel.responseCollapsed());
    EXPECT_EQ(panel.reportY(), reportCollapsed + 35);
    EXPECT_EQ(panel.HitTestButton(100, 291), cmd::kResponseBox);   // the item box at e+28..e+44
    EXPECT_EQ(panel.HitTestButton(100, 326), cmd::kReportHeader);

    click(100, 118);   // Light expands: everything below moves 195 pixels
    EXPECT_EQ(panel.macroBarY(), 335);
    EXPECT_EQ(panel.HitTestButton(100, 345), cmd::kMacro);
    EXPECT_EQ(panel.HitTestButton(100, 165), cmd::kEffectBox);
    EXPECT_EQ(panel.HitTestButton(100, 400), cmd::kGameHeader);
}

TEST_F(MainPanelTest, HitOrderTitleBottomAndLogo)
{
    const struct {
        int x, y, command;
    } cases[] = {
        {940, 10, cmd::kHelp},    {960, 10, cmd::kMinimise}, {990, 10, cmd::kClose}, {50, 620, cmd::kProfile},
        {820, 620, cmd::kReturn}, {880, 620, cmd::kCancel},  {950, 620, cmd::kSave}, {100, 50, cmd::kLogoArea},
        {600, 20, cmd::kNone},    {500, 620, cmd::kNone},
    };
    for (const auto& c : cases)
        EXPECT_EQ(panel.HitTestButton(c.x, c.y), c.command) << c.x << "," << c.y;
}

TEST_F(MainPanelTest, WaveForcesColourEightAndStaticRestoresOne)
{
    chooseEffectRow(2);   // Wave
    EXPECT_EQ(image[img::kEffect], 3);
    EXPECT_EQ(image[img::kColour], 8);
    EXPECT_FALSE(panel.effectListOpen());
    EXPECT_EQ(panel.effectHighlight(), 2);
    chooseEffectRow(1);   // Breathing keeps the colour
    EXPECT_EQ(image[img::kColour], 8);
    chooseEffectRow(0);   // Static
    EXPECT_EQ(image[img::kEffect], 1);
    EXPECT_EQ(image[img::kColour], 1);
    image[img::kColour] = 5;
    chooseEffectRow(0);
    EXPECT_EQ(image[img::kColour], 5);   // only colour 8 is undone
}

TEST_F(MainPanelTest, EffectListRowsAndClosing)
{
    chooseEffectRow(17);   // DIY5, the last row
    EXPECT_EQ(image[img::kEffect], 55);
    EXPECT_TRUE(panel.diyMode());
    click(100, 165);
    ASSERT_TRUE(panel.effectListOpen());
    click(600, 300);   // a click outside closes it and chooses nothing
    EXPECT_FALSE(panel.effectListOpen());
    EXPECT_EQ(image[img::kEffect], 55);
    EXPECT_FALSE(panel.brightnessSliderShown() && panel.effectListOpen());
}

TEST_F(MainPanelTest, DirectionTable)
{
    // effect, button x, expected direction (1 left, 2 right, 3 top, 4 bottom)
    const struct {
        int effectRow;
        int x;
        uint8_t direction;
    } cases[] = {
        {2, 40, 3},  {2, 90, 4},  {2, 140, 2}, {2, 190, 1},   // Wave: T B R L
        {9, 40, 2},  {9, 90, 1},                              // Radar: R L
        {11, 40, 2}, {11, 90, 1},                             // Run Mode: R L
        {12, 40, 3}, {12, 90, 4},                             // Shade Mold: T B
    };
    for (const auto& c : cases) {
        chooseEffectRow(c.effectRow);
        image[img::kDirection] = 0;
        click(c.x, 205);
        EXPECT_EQ(image[img::kDirection], c.direction) << "row " << c.effectRow << " x " << c.x;
    }
    // No direction buttons for Shade Mold's third place, nor for Static: the value stays.
    chooseEffectRow(12);
    image[img::kDirection] = 3;
    click(140, 205);
    EXPECT_EQ(image[img::kDirection], 3);
    chooseEffectRow(0);
    click(40, 205);
    EXPECT_EQ(image[img::kDirection], 3);
}

TEST_F(MainPanelTest, DirectionButtonsLitForValue)
{
    EXPECT_TRUE(directionButtonLit(3, 1, DirectionButton::L));
    EXPECT_FALSE(directionButtonLit(3, 1, DirectionButton::R));
    EXPECT_TRUE(directionButtonLit(13, 2, DirectionButton::R));
    EXPECT_TRUE(directionButtonLit(13, 4, DirectionButton::L));
    EXPECT_TRUE(directionButtonLit(16, 3, DirectionButton::T));
    EXPECT_TRUE(directionButtonLit(16, 1, DirectionButton::B));
}

TEST_F(MainPanelTest, KeysNinetySixAndHundredInBothModes)
{
    for (std::size_t k : {keymap::kKeyLeftWindows, keymap::kKeyFn}) {
        const auto [x, y] = keyCentre(k);
        EXPECT_EQ(panel.HitTestKey(x, y), -1);
        const ClickOutcome out = panel.OnClick(x, y);
        EXPECT_EQ(out.keymapKey, -1);
    }
    const auto [ex, ey] = keyCentre(0);
    EXPECT_EQ(panel.OnClick(ex, ey).keymapKey, 0);   // an ordinary key opens the key map panel

    chooseEffectRow(13);   // DIY1
    ASSERT_TRUE(panel.diyMode());
    for (std::size_t k : {keymap::kKeyLeftWindows, keymap::kKeyFn}) {
        const auto [x, y] = keyCentre(k);
        EXPECT_EQ(panel.HitTestKey(x, y), int(k));
        const std::size_t at = img::lightMap(0) + keyLightOffset(k);
        EXPECT_EQ(panel.OnClick(x, y).keymapKey, -1);
        EXPECT_EQ(image[at + 1], 0xFF);
        EXPECT_TRUE(panel.keyLit(k));
        panel.OnClick(x, y);
        EXPECT_EQ(image[at + 1], 0x00);
    }
}

TEST_F(MainPanelTest, DiyToggleClearsOtherBytesAndUsesKey109Fix)
{
    chooseEffectRow(15);   // DIY3: map 2
    const std::size_t map = img::lightMap(2);
    image[map + 432] = 7;
    image[map + 434] = 9;
    image[map + 296 + 1] = 0x55;   // the raw offset of key 109 must stay untouched
    const auto [x, y] = keyCentre(109);
    panel.OnClick(x, y);
    EXPECT_EQ(image[map + 432], 0);
    EXPECT_EQ(image[map + 433], 0xFF);
    EXPECT_EQ(image[map + 434], 0);
    EXPECT_EQ(image[map + 296 + 1], 0x55);
    EXPECT_EQ(keyLightOffset(109), 432u);
}

TEST_F(MainPanelTest, KeymapAndDiyRadiosOnlyForCustomEffects)
{
    chooseEffectRow(13);
    click(35, 207);   // Keymap radio
    EXPECT_FALSE(panel.diyMode());
    click(137, 207);
    EXPECT_TRUE(panel.diyMode());
    chooseEffectRow(0);
    EXPECT_EQ(panel.HitTestButton(137, 207), cmd::kNone);
}

TEST_F(MainPanelTest, ResponseListSetsValueAndHighlight)
{
    click(100, 255);   // expand Response Time (e = 250)
    click(100, 285);   // item box opens the list
    ASSERT_TRUE(panel.responseListOpen());
    const int top = panel.responseListTop();
    EXPECT_EQ(top, 77);
    panel.OnMouseMove(100, top + 20 * 4 + 3);
    EXPECT_EQ(panel.responseHighlight(), 4);
    click(100, top + 20 * 9 + 19);
    EXPECT_EQ(image[img::kResponseTime], 10);
    EXPECT_EQ(panel.responseHighlight(), 9);
    EXPECT_FALSE(panel.responseListOpen());
}

TEST_F(MainPanelTest, GameModeAndWinLockRadios)
{
    click(100, 200);   // expand Game Mode (g = 195)
    ASSERT_FALSE(panel.gameCollapsed());
    click(40, 232);
    EXPECT_EQ(image[img::kGameMode], 1);
    click(100, 232);
    EXPECT_EQ(image[img::kGameMode], 0);
    click(170, 232);
    EXPECT_EQ(image[img::kWinLock], 1);
    click(230, 232);
    EXPECT_EQ(image[img::kWinLock], 0);
    click(100, 200);   // collapsed: the radios no longer answer
    click(40, 232);
    EXPECT_EQ(image[img::kGameMode], 0);
    // Collapsing Game Mode moves nothing below it.
    EXPECT_EQ(panel.responseY(), 250);
}

TEST_F(MainPanelTest, HelpMenuRowsAndCommandsHandedBack)
{
    click(940, 10);
    ASSERT_TRUE(panel.helpMenuOpen());
    EXPECT_EQ(panel.OnClick(900, 22 + 25 + 3).helpRow, 1);
    EXPECT_FALSE(panel.helpMenuOpen());
    click(940, 10);
    EXPECT_EQ(panel.OnClick(900, 98).helpRow, -1);   // the version row chooses nothing
    click(940, 10);
    EXPECT_EQ(panel.OnClick(950, 620).command, cmd::kNone);   // while open, a click only closes it
    EXPECT_EQ(panel.OnClick(950, 620).command, cmd::kSave);
    EXPECT_EQ(panel.OnClick(960, 10).command, cmd::kMinimise);
}

TEST_F(MainPanelTest, HoverAndDragRules)
{
    EXPECT_TRUE(panel.OnMouseMove(940, 10));
    EXPECT_EQ(panel.hoverButton(), cmd::kHelp);
    EXPECT_FALSE(panel.OnMouseMove(941, 11));   // same button: no repaint
    const auto [x, y] = keyCentre(0);
    EXPECT_TRUE(panel.OnMouseMove(x, y));
    EXPECT_EQ(panel.hoverButton(), -1);
    EXPECT_EQ(panel.hoverKey(), 0);
    EXPECT_TRUE(panel.ClearHover());
    EXPECT_FALSE(panel.OnButtonDown(x, y));   // a key does not drag
    EXPECT_FALSE(panel.OnButtonDown(940, 10));
    EXPECT_TRUE(panel.OnButtonDown(600, 20));
}

TEST_F(MainPanelTest, ColourClampAndUnknownEffect)
{
    image[img::kColour] = 12;
    panel.clampColour();
    EXPECT_EQ(image[img::kColour], 8);
    image[img::kColour] = 0;
    panel.clampColour();
    EXPECT_EQ(image[img::kColour], 1);
    image[img::kEffect] = 52;
    image[img::kColour] = 0;
    panel.clampColour();
    EXPECT_EQ(image[img::kColour], 0);
    EXPECT_EQ(findEffect(7), nullptr);
    // A DIY flag left over from a custom effect toggles nothing once the effect is not custom.
    image[img::kEffect] = 7;
    panel.setDiyMode(true);
    const link::ConfigImage before = image;
    const auto [x, y] = keyCentre(5);
    panel.OnClick(x, y);
    EXPECT_EQ(image, before);
}

}   // namespace
