#pragma once
// The main window's panel state and its algorithms, free of widgets: the image-button table, the
// accordion layout, the two hit tests, click and mouse-move handling, and the commands that only
// change panel state or the working image. Commands that need the window (panels, message boxes,
// the link, hiding or closing) are handed back to the caller in a ClickOutcome.

#include "keymap/logic/Assignment.h"
#include "model/ConfigImage.h"

#include <array>
#include <cstdint>
#include <string_view>

namespace orvane::usecases {

// Rectangles are inclusive, window coordinates.
struct Rect {
    int left = 0, top = 0, right = -1, bottom = -1;
    constexpr bool contains(int x, int y) const { return x >= left && x <= right && y >= top && y <= bottom; }
};

struct ImageButton {
    Rect rect;
    const char* normal;   // image drawn normally
    const char* hover;    // image drawn while hovered
    const char* third;    // kept with the record, never drawn
    uint32_t spare;
};

inline constexpr std::size_t kImageButtonCount = 22;

// Commands of HitTestButton.
namespace cmd {
inline constexpr int kHelp = 0, kMinimise = 1, kClose = 2, kEffectBox = 3;
inline constexpr int kDirT = 4, kDirB = 5, kDirL = 6, kDirR = 7, kEffectName = 8;
inline constexpr int kMacro = 9, kGameOn = 10, kGameOff = 11, kResponseBox = 12, kReportName = 13;
inline constexpr int kProfile = 14, kReturn = 15, kCancel = 16, kSave = 17;
inline constexpr int kLightHeader = 18, kGameHeader = 19, kResponseHeader = 20, kReportHeader = 21;
inline constexpr int kColourBox0 = 22;   // 22..29: the eight colour boxes (no command)
inline constexpr int kLogoArea = 30, kWinLockOn = 31, kWinLockOff = 32, kKeymapRadio = 33, kDiyRadio = 34;
inline constexpr int kNone = -1;
}   // namespace cmd

// The table's initial contents; rows 9..12 and 18..21 are moved by LayoutSections.
// clang-format off
inline constexpr std::array<ImageButton, kImageButtonCount> kInitialImageButtons = {{
    {{936, 5, 952, 20},     "button-help-normal.png",   "button-help-over.png",   "", 0},
    {{957, 5, 973, 20},     "button-min-normal.png",    "button-min-over.png",    "", 0},
    {{978, 5, 994, 20},     "button-close-normal.png",  "button-close-over.png",  "", 0},
    {{28, 158, 248, 173},   "Light_Item.png",           "Light_Item.png",         "", 0},
    {{29, 197, 64, 212},    "Direction-T-Disable.png",  "Direction-T-Enable.png", "", 0},
    {{79, 197, 114, 212},   "Direction-B-Disable.png",  "Direction-B-Enable.png", "", 0},
    {{129, 197, 164, 212},  "Direction-L-Disable.png",  "Direction-L-Enable.png", "", 0},
    {{179, 197, 214, 212},  "Direction-R-Disable.png",  "Direction-R-Enable.png", "", 0},
    {{28, 258, 245, 280},   "1.png",                    "1.png",                  "", 0},
    {{28, 326, 250, 344},   "macroButton3.png",         "macroButton3.png",       "", 0},
    {{34, 397, 44, 406},    "Disable.png",              "Enable.png",             "", 0},
    {{88, 397, 98, 406},    "Disable.png",              "Enable.png",             "", 0},
    {{28, 455, 247, 470},   "Light_Item.png",           "Light_Item.png",         "", 0},
    {{35, 534, 247, 543},   "125Hz.png",                "125Hz.png",              "", 0},
    {{19, 605, 89, 633},    "Config.png",               "Config.png",             "", 0},
    {{800, 605, 857, 635},  "button-cancel-normal.png", "button-cancel-over.png", "", 0},
    {{861, 605, 918, 635},  "button-cancel-normal.png", "button-cancel-over.png", "", 0},
    {{923, 605, 980, 635},  "button-save-normal.png",   "button-save-over.png",   "", 0},
    {{19, 110, 260, 127},   "light_BK.png",             "light_BK.png",           "", 0},
    {{19, 363, 260, 380},   "button-save-normal.png",   "button-save-normal.png", "", 0},
    {{19, 427, 260, 444},   "button-save-normal.png",   "button-save-normal.png", "", 0},
    {{19, 507, 260, 524},   "button-save-normal.png",   "button-save-normal.png", "", 0},
}};
// clang-format on

// Lighting effects in list order.
struct EffectEntry {
    uint8_t code;
    std::u16string_view english;
    std::u16string_view chinese;
};
inline constexpr std::size_t kEffectCount = 18;
// clang-format off
inline constexpr std::array<EffectEntry, kEffectCount> kEffectList = {{
    {1,  u"Static",        u"全亮"},
    {2,  u"Breathing",     u"呼吸"},
    {3,  u"Wave",          u"波浪"},
    {4,  u"Reactive",      u"随按渐灭"},
    {5,  u"Sidewinder",    u"蛇形跑马"},
    {6,  u"Ripple",        u"涟漪"},
    {10, u"Raindrop",      u"雨滴"},
    {11, u"Vortex",        u"环形跑马"},
    {12, u"Spotlight",     u"对冲"},
    {13, u"Radar",         u"雷达"},
    {14, u"WaterRun Mode", u"流水跑马"},
    {15, u"Run Mode",      u"奔跑模式"},
    {16, u"Shade Mold",    u"渐变模式"},
    {51, u"DIY1",          u"DIY1"},
    {52, u"DIY2",          u"DIY2"},
    {53, u"DIY3",          u"DIY3"},
    {54, u"DIY4",          u"DIY4"},
    {55, u"DIY5",          u"DIY5"},
}};
// clang-format on
inline constexpr uint8_t kEffectStatic = 1, kEffectWave = 3, kEffectRadar = 13, kEffectRunMode = 15;
inline constexpr uint8_t kEffectShadeMold = 16, kFirstCustomEffect = 51, kLastCustomEffect = 55;
inline constexpr std::size_t kResponseRows = 10;
inline constexpr int kListRowHeight = 20;
inline constexpr int kEffectListTop = 173;
inline constexpr int kHelpRowHeight = 25;
inline constexpr int kHelpRows = 3;
inline constexpr Rect kHelpMenuArea{830, 22, 996, 99};
inline constexpr int kKeyboardLeft = 311, kKeyboardTop = 122;
// Key 109's light-map offset collides with another key's; the keyboard keeps key 109 at 432.
inline constexpr std::size_t kKey109LightOffset = 296, kKey109LightOffsetFixed = 432;

// The USB report rate in Hz of a report-rate slider position 0..3 (125, 250, 500, 1000).
constexpr int reportRateHz(uint8_t position)
{
    return 125 << (position & 3);
}

// The effect's list row, or -1 when the code is not in the list.
int effectRow(uint8_t code);
const EffectEntry* findEffect(uint8_t code);
bool isCustomEffect(uint8_t code);

// Which direction buttons the panel shows for an effect, at x 29, 79, 129, 179.
enum class DirectionButton : uint8_t { None, T, B, L, R };
std::array<DirectionButton, 4> directionButtons(uint8_t effect);
// The button of a shown row that carries the Enable image for the current direction value.
bool directionButtonLit(uint8_t effect, uint8_t direction, DirectionButton b);

// The light-map byte offset of a key, with key 109's fix.
std::size_t keyLightOffset(std::size_t key);

// What OnClick leaves for the window to do.
struct ClickOutcome {
    int command = cmd::kNone;   // one of kMinimise, kClose, kMacro, kProfile, kReturn, kCancel, kSave; else kNone
    int keymapKey = -1;         // a key clicked in Keymap mode: open the key map panel for it
    int helpRow = -1;           // 0 web page, 1 firmware updater, 2 LCD program
};

class EditHistory;

class MainPanel {
public:
    // The panel edits `image` (the working image) and reads `records` for the marks.
    MainPanel(link::ConfigImage& image, const link::KeyExtTable& records);
    // Where each edit of the image becomes an undo step (none: edits are not recorded).
    void setHistory(EditHistory* history) { history_ = history; }

    // ---- Layout, hit tests and clicks -------------------------------------------
    void LayoutSections();
    int HitTestButton(int x, int y);
    int HitTestKey(int x, int y) const;
    ClickOutcome OnClick(int x, int y);
    // True when the window must be repainted.
    bool OnMouseMove(int x, int y);
    // Left button down; true when the press may start dragging the window.
    bool OnButtonDown(int x, int y);
    void OnButtonUp() { buttonDown_ = false; }
    void RecomputeModifiedMarks();
    // Clears every hover flag (the window lost the focus); true when something was lit.
    bool ClearHover();

    // ---- Commands that only change state -----------------------------------------
    void runStateCommand(int command);
    // A key click in DIY mode: toggles the key's light in the current custom map.
    void toggleKeyLight(std::size_t key);
    bool keyLit(std::size_t key) const;
    // The effect list's choice of the effect in `row` (its colour rule and DIY flag included);
    // the sections stay as they are.
    void chooseEffect(std::size_t row);
    // Return: DIY off and every section collapsed, lists closed.
    void resetSections();
    // After Cancel or a configuration load: DIY flag from the effect code.
    void syncDiyFromEffect() { diyMode_ = isCustomEffect(image_[link::image::kEffect]); }
    // The painting rule: for effects below 51 the colour byte stays within 1..8.
    void clampColour();

    // ---- State -----------------------------------------------------------------------
    const std::array<ImageButton, kImageButtonCount>& buttons() const { return buttons_; }
    bool lightCollapsed() const { return lightCollapsed_; }
    bool gameCollapsed() const { return gameCollapsed_; }
    bool responseCollapsed() const { return responseCollapsed_; }
    bool reportCollapsed() const { return reportCollapsed_; }
    bool effectListOpen() const { return effectListOpen_; }
    bool responseListOpen() const { return responseListOpen_; }
    bool helpMenuOpen() const { return helpMenuOpen_; }
    uint8_t effectHighlight() const { return effectHighlight_; }
    uint8_t responseHighlight() const { return responseHighlight_; }
    bool diyMode() const { return diyMode_; }
    void setDiyMode(bool on) { diyMode_ = on; }
    int hoverButton() const;   // -1 when none
    int hoverKey() const { return hoverKey_; }
    bool buttonDown() const { return buttonDown_; }
    keymap::ModifiedMarks& marks() { return marks_; }
    const keymap::ModifiedMarks& marks() const { return marks_; }
    const link::ConfigImage& image() const { return image_; }

    // Geometry after LayoutSections.
    int sectionOffset() const { return lightCollapsed_ ? 30 : 225; }
    int macroBarY() const { return sectionOffset() + 110; }
    int gameY() const { return sectionOffset() + 165; }
    int responseY() const { return sectionOffset() + 220; }
    int responseListTop() const { return responseY() - 173; }
    int reportY() const { return responseY() + (responseCollapsed_ ? 40 : 75); }
    Rect responseBox() const { return buttons_[cmd::kResponseBox].rect; }
    // Rows 10, 11 and the Win Lock radios.
    Rect gameOnRadio() const { return buttons_[cmd::kGameOn].rect; }
    Rect gameOffRadio() const { return buttons_[cmd::kGameOff].rect; }
    Rect winLockOnRadio() const { return winLockOn_; }
    Rect winLockOffRadio() const { return winLockOff_; }
    // The sliders shown now.
    // A list lies over the Light panel's sliders while it is open: they are hidden so that a
    // click on a list row never reaches a slider beneath it.
    bool brightnessSliderShown() const { return !lightCollapsed_ && !effectListOpen_ && !responseListOpen_; }
    bool speedSliderShown() const;
    bool reportSliderShown() const { return !reportCollapsed_; }

private:
    bool inEffectList(int x, int y) const;
    bool inResponseList(int x, int y) const;
    int listRowAt(int x, int y) const;   // the open list's row under the point, -1 when none
    int hitLightSection(int x, int y) const;
    int hitLowerSections(int x, int y) const;
    bool directionShown(int command) const;
    void chooseResponse(std::size_t row);
    void setDirection(int command);
    void setHover(int button);

    link::ConfigImage& image_;
    const link::KeyExtTable& records_;
    EditHistory* history_ = nullptr;
    std::array<ImageButton, kImageButtonCount> buttons_ = kInitialImageButtons;
    Rect winLockOn_, winLockOff_;
    bool lightCollapsed_ = true, gameCollapsed_ = true, responseCollapsed_ = true, reportCollapsed_ = true;
    bool effectListOpen_ = false, responseListOpen_ = false, helpMenuOpen_ = false;
    uint8_t effectHighlight_ = 0xFF, responseHighlight_ = 0xFF;
    bool diyMode_ = false;
    bool buttonDown_ = false;
    std::array<uint8_t, 255> hover_{};
    int hoverKey_ = -1;
    keymap::ModifiedMarks marks_{};
};

}   // namespace orvane::usecases
