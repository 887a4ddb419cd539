#pragma once
// The key map panel's captions in both languages and where it paints them: the painting
// (CKeyMap.cpp) and the description for screen readers (KeyMapAccess.cpp) name things alike.

#include "keymap/logic/KeyMapState.h"

#include <QPoint>

#include <array>

namespace orvane::keymap::keymap_texts {

struct PlacedText {
    int x, y;
    PanelText text;
};
inline constexpr QPoint kCurrentKeyAt{2, 2};
inline constexpr PanelText kTxtCurrentKey{"Current Key:", "当前按键:"};
inline constexpr PanelText kTxtNoMacros{"No macros yet. Macros are made in Macro Management on the main window.",
                                        "还没有宏。请在主窗口的宏管理器中创建宏。"};
// The macro keys have no name in the key-name table: the panel names them after their caps.
inline constexpr uint8_t kFirstMacroKeyVk = 0xE9, kLastMacroKeyVk = 0xED;
inline constexpr int kTabLabelY = 39;
inline constexpr std::array<PlacedText, 4> kTabLabels = {{
    {6, kTabLabelY, {"Single/Combine", "单键/组合键"}},
    {115, kTabLabelY, {"Macro", "宏"}},
    {182, kTabLabelY, {"Basic", "基本功能"}},
    {259, kTabLabelY, {"Advance", "高级功能"}},
}};
inline constexpr std::array<QPoint, 4> kCursorAt = {{{35, 30}, {115, 30}, {200, 30}, {280, 30}}};
inline constexpr PlacedText kSingleLabel{20, 69, {"Single", "单键"}};
inline constexpr PlacedText kCombineLabel{20, 119, {"Combine", "组合键"}};
inline constexpr QPoint kAdvanceBackAt{15, 66};
inline constexpr std::array<PanelText, kAdvanceRows> kAdvanceLabels = {
    {{"Play Sound", "播放声音"}, {"Startup", "启动程序"}, {"Open File", "打开文件"}, {"Open Folder", "打开目录"}}};
inline constexpr PanelText kDisableLabel{"Disable", "禁用按钮"};
// Captions of the Default, Cancel and Save buttons, centred on their faces.
inline constexpr std::array<PanelText, 3> kBottomLabels = {
    {{"Default", "初始值"}, {"Cancel", "取消"}, {"Save", "保存"}}};

inline constexpr PanelText kTxtClose{"Close", "关闭"};
inline constexpr PanelText kTxtBrowse{"Browse", "浏览"};
inline constexpr PanelText kTxtCaptureHint{"Press Space or Enter, then the keys to assign",
                                           "按空格键或回车键，然后按下要指定的按键"};
inline constexpr PanelText kTxtFunctions{"Functions", "功能"};

}   // namespace orvane::keymap::keymap_texts
