#pragma once
// The 23 functions a key can be given, in the order of the key map panel's tree.

#include "model/KeyTables.h"
#include "keymap/logic/KeyCodes.h"

#include <array>
#include <cstddef>
#include <string_view>

namespace orvane::keymap {

enum class FunctionGroup : uint8_t { TopLevel, Media, Shortcut, Windows };

struct FunctionEntry {
    FunctionGroup group;   // its place in the tree
    std::u16string_view english;
    std::u16string_view chinese;
    KeyCodeCell cell;   // what the key then sends
    std::u16string_view name(Language lang) const { return model::inLanguage(lang, english, chinese); }
};

inline constexpr std::size_t kFunctionCount = 23;
// Tree places, short for the table below.
inline constexpr FunctionGroup fgTop = FunctionGroup::TopLevel;
inline constexpr FunctionGroup fgMedia = FunctionGroup::Media;
inline constexpr FunctionGroup fgShortcut = FunctionGroup::Shortcut;
inline constexpr FunctionGroup fgWindows = FunctionGroup::Windows;

// In tree order; the Chinese names are the ones stored and shown in the Chinese interface.
// clang-format off
inline constexpr std::array<FunctionEntry, kFunctionCount> FunctionCatalogue = {{
    {fgTop,      u"Search",          u"搜索",         {0, 0xE3, 0x09, 0x00}},   // Windows + F
    {fgTop,      u"Run",             u"运行",         {0, 0xE3, 0x15, 0x00}},   // Windows + R
    {fgMedia,    u"Media Player",    u"多媒体播放器", {3, 0x00, 0x83, 0x01}},   // consumer 0x0183
    {fgMedia,    u"Prev",            u"上一曲",       {3, 0x00, 0xB6, 0x00}},
    {fgMedia,    u"Next",            u"下一曲",       {3, 0x00, 0xB5, 0x00}},
    {fgMedia,    u"Play/Pause",      u"播放/暂停",    {3, 0x00, 0xCD, 0x00}},
    {fgMedia,    u"Stop",            u"停止",         {3, 0x00, 0xB7, 0x00}},
    {fgMedia,    u"Vol+",            u"音量+",        {3, 0x00, 0xE9, 0x00}},
    {fgMedia,    u"Vol-",            u"音量-",        {3, 0x00, 0xEA, 0x00}},
    {fgMedia,    u"Mute",            u"静音",         {3, 0x00, 0xE2, 0x00}},
    {fgShortcut, u"New",             u"新建",         {0, 0xE0, 0x11, 0x00}},   // Ctrl + N
    {fgShortcut, u"Cut",             u"剪切",         {0, 0xE0, 0x1B, 0x00}},   // Ctrl + X
    {fgShortcut, u"Copy",            u"复制",         {0, 0xE0, 0x06, 0x00}},   // Ctrl + C
    {fgShortcut, u"Paste",           u"粘贴",         {0, 0xE0, 0x19, 0x00}},   // Ctrl + V
    {fgShortcut, u"Save",            u"保存",         {0, 0xE0, 0x16, 0x00}},   // Ctrl + S
    {fgShortcut, u"Print",           u"打印",         {0, 0xE0, 0x13, 0x00}},   // Ctrl + P
    {fgShortcut, u"Select All",      u"全选",         {0, 0xE0, 0x04, 0x00}},   // Ctrl + A
    {fgWindows,  u"Max",             u"最大化",       {0, 0xE2, 0x2C, 0x1B}},   // Alt + Space + X
    {fgWindows,  u"Min",             u"最小化",       {0, 0xE2, 0x2C, 0x11}},   // Alt + Space + N
    {fgTop,      u"Computer",        u"我的电脑",     {3, 0x00, 0x94, 0x01}},   // consumer 0x0194
    {fgTop,      u"Task Management", u"任务管理器",   {0, 0xE0, 0xE2, 0x4C}},   // Ctrl + Alt + Delete
    {fgTop,      u"Homepage",        u"浏览器-主页",  {3, 0x00, 0x23, 0x02}},   // consumer 0x0223
    {fgTop,      u"Close",           u"关闭窗口",     {0, 0xE2, 0x3D, 0x00}},   // Alt + F4
}};
// clang-format on

// "Media"/"多媒体", "Shortcut"/"快捷健", "Windows"; empty for TopLevel.
std::u16string_view functionGroupName(FunctionGroup group, Language lang);

// Exact, case-sensitive match against the names of `lang` only.
const FunctionEntry* findFunctionByName(std::u16string_view name, Language lang);
// The entry whose cell equals `code` (the record's bytes 2..5), or nullptr.
const FunctionEntry* findFunctionByCode(const KeyCodeCell& code);

}   // namespace orvane::keymap
