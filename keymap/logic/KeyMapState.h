#pragma once
// The key map panel's state and click logic, without a display: the button table and its hit
// tests, the four tabs, opening from the key's record, key capture, box focus, Save per tab,
// Default, Cancel, the Disable box and the Advance rows. CKeyMap paints this state and forwards
// input to it; choosers and message boxes are reached through KeyMapServices.
//
// Two operations change the key's record at once (entering the Single/Combine or the Advance tab
// from another tab); everything else only fills the PendingAssignment.

#include "model/KeyTables.h"
#include "keymap/logic/Assignment.h"
#include "keymap/logic/KeyCodes.h"
#include "model/ConfigImage.h"

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace orvane::keymap {

struct PanelRect {
    int left, top, right, bottom;
    // Edges inclusive, as the panel's hit tests are.
    constexpr bool contains(int x, int y) const { return x >= left && x <= right && y >= top && y <= bottom; }
};

struct PanelButton {
    PanelRect rect;
    const char* normal;
    const char* hover;
};

// Buttons in hit-test order (after the Disable box with its margin).
inline constexpr int kBtnClose = 0, kBtnTabSingle = 1, kBtnTabMacro = 2, kBtnTabBasic = 3, kBtnTabAdvance = 4,
                     kBtnStrip = 5, kBtnDisable = 6, kBtnDefault = 7, kBtnCancel = 8, kBtnSave = 9;
inline constexpr int kButtonCount = 10;
inline constexpr int kNoButton = -1;
inline constexpr int kDisableMargin = 5;

// clang-format off
inline constexpr std::array<PanelButton, kButtonCount> kPanelButtons = {{
    {{303,   2, 318,  17}, "button-close-normal.png",   "button-close-over.png"},
    {{  0,  31,  81,  57}, "large_button.png",          "large_button.png"},
    {{ 81,  31, 162,  57}, "large_button.png",          "large_button.png"},
    {{162,  31, 243,  57}, "large_button.png",          "large_button.png"},
    {{243,  31, 324,  57}, "large_button.png",          "large_button.png"},
    {{  0,  30, 325,  36}, "single_combine_option.png", "single_combine_option.png"},
    {{ 19, 251,  29, 260}, "Disable.png",               "Enable.png"},
    {{156, 246, 197, 268}, "button-cancel-normal.png",  "button-cancel-over.png"},
    {{210, 246, 251, 268}, "button-cancel-normal.png",  "button-cancel-over.png"},
    {{264, 246, 305, 268}, "button-save-normal.png",    "button-save-over.png"},
}};
// clang-format on

// Tabs (m_nTab).
inline constexpr int kTabSingleCombine = 0, kTabMacro = 1, kTabBasic = 2, kTabAdvance = 3;

// Advance rows: 0 Play Sound, 1 Startup, 2 Open File, 3 Open Folder; items 4k..4k+3.
inline constexpr int kAdvanceRows = 4;
inline constexpr int kAdvanceRowStep = 30;
inline constexpr uint8_t kLaunchNone = 255;   // g_launchKind / g_launchMark
enum class AdvanceItem { Radio = 0, Label = 1, PathField = 2, Browse = 3 };
inline constexpr std::array<PanelRect, 4> kAdvanceItemRects = {{
    {15, 72, 25, 81},     // radio
    {30, 69, 72, 84},     // label
    {83, 68, 243, 83},    // path field
    {256, 68, 302, 83},   // browse button
}};

struct AdvanceHit {
    int row;
    AdvanceItem item;
};

// The button under (x, y): the Disable box with its margin first, then buttons 0..9; kNoButton.
int buttonAt(int x, int y);
std::optional<AdvanceHit> advanceItemAt(int x, int y);

// The path field's text: a path of 14 or more units is shown as ".." and its last component with
// the separator before it (the last '/' that is not the final character); a long path with no
// such separator is shown whole, as is a shorter one.
std::u16string displayPath(std::u16string_view path);

// Texts of both languages.
struct PanelText {
    const char* english;
    const char* chinese;
};
inline constexpr PanelText kTxtPleaseSelectSubItem{"Please select Sub item", "请选择子项"};
inline constexpr PanelText kTxtPleaseSelectFolder{"Please select a folder\n", "请选择文件夹\n"};
inline constexpr PanelText kTxtPathTooLong{"The path is too long (at most 255 characters).",
                                           "路径太长（最多 255 个字符）。"};

// What the panel asks of the user during a click (the dialog seam in the widget, a script in tests).
class KeyMapServices {
public:
    virtual ~KeyMapServices() = default;
    // Row 0..2: a file chooser with that row's filter; row 3: the folder browser. Empty = not chosen.
    virtual std::u16string choosePath(int row) = 0;
    virtual void showMessage(const PanelText& text) = 0;
};

enum class PanelEnd { None, Ok, Cancel };

// What the widget must do to its controls after an operation.
struct PanelRequests {
    bool focusSingle = false;
    bool focusCombine = false;
    bool focusList = false;
    bool selectFirstTreeItem = false;
};

class KeyMapState {
public:
    KeyMapState(const KeyNameTable& names, Language language) : names_(names), language_(language) {}

    // Opening for one key: `record` is the key's working record (changed in place by the two tab
    // clicks), `enabled` its enable bit. A record of category 255 opens on the Advance tab; one of
    // category 8 keeps the tab of the previous opening.
    void open(link::KeyExtRecord& record, bool enabled);

    // Left button released at (x, y).
    PanelEnd click(int x, int y, KeyMapServices& services);
    // Mouse moved to (x, y): true when the hover button changed (the widget repaints).
    bool hover(int x, int y);
    // A WM_KEYHOOK key while the hook is installed.
    void keyHook(uint8_t vk);
    void singleBoxFocused();
    void combineBoxFocused();
    // A capture started from the keyboard in a box: like focusing it, but always afresh (the
    // opening's first focus keeps the record's keys only for the box it lands in).
    void startCapture(bool combine);

    // What the widget reports of its controls before a click is handled.
    void setMacroRow(int row) { macroRow_ = row; }
    void setTreeSelection(std::u16string text) { treeSelection_ = std::move(text); }

    int tab() const { return tab_; }
    const PendingAssignment& pending() const { return pending_; }
    uint8_t keyEnabled() const { return keyEnabled_; }
    bool disabled() const { return disabled_; }
    uint8_t launchKind() const { return launchKind_; }
    uint8_t launchMark() const { return launchMark_; }
    bool firstFocus() const { return firstFocus_; }
    int hoverButton() const { return hoverButton_; }
    bool buttonHot(int b) const { return b == kBtnDisable ? disabled_ : hot_[std::size_t(b)]; }
    // The Advance row whose browse button is under the mouse, or -1.
    int browseHoverRow() const { return browseHoverRow_; }
    const std::u16string& singleText() const { return singleText_; }
    const std::u16string& combineText() const { return combineText_; }
    int macroSelection() const { return macroSelection_; }   // row to select at opening, -1
    // The text of the tree item to select at opening (the record's function), or empty.
    const std::u16string& functionName() const { return functionName_; }
    // Consumed by the widget after each operation.
    PanelRequests takeRequests();

private:
    PanelEnd clickButton(int button, KeyMapServices& services);
    PanelEnd save(KeyMapServices& services);
    void clickAdvance(int x, int y, KeyMapServices& services);
    void browse(int row, KeyMapServices& services);
    void enterSingleCombine();
    void enterAdvance();
    void clearPendingKeys();
    void restore(const link::KeyExtRecord& r);
    bool isGroupName(std::u16string_view text) const;

    const KeyNameTable& names_;
    Language language_;
    link::KeyExtRecord* record_ = nullptr;
    PendingAssignment pending_;
    int tab_ = kTabSingleCombine;   // kept across openings
    uint8_t keyEnabled_ = 1;        // g_keyEnabled
    bool disabled_ = false;         // m_bDisabled
    uint8_t launchKind_ = kLaunchNone;
    uint8_t launchMark_ = kLaunchNone;
    bool firstFocus_ = false;
    int hoverButton_ = kNoButton;
    std::array<bool, kButtonCount> hot_{};
    int browseHoverRow_ = -1;
    std::u16string singleText_, combineText_;
    int macroRow_ = -1;
    int macroSelection_ = -1;
    std::u16string treeSelection_;
    std::u16string functionName_;
    PanelRequests requests_;
};

}   // namespace orvane::keymap
