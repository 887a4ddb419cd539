#include "keymap/logic/FunctionCatalogue.h"

#include <algorithm>

namespace orvane::keymap {

using G = FunctionGroup;

// clang-format off
const std::array<FunctionEntry, kFunctionCount> FunctionCatalogue = {{
    {G::TopLevel, u"Search",          u"搜索",         {0, 0xE3, 0x09, 0x00}},   // Windows + F
    {G::TopLevel, u"Run",             u"运行",         {0, 0xE3, 0x15, 0x00}},   // Windows + R
    {G::Media,    u"Media Player",    u"多媒体播放器", {3, 0x00, 0x83, 0x01}},   // consumer 0x0183
    {G::Media,    u"Prev",            u"上一曲",       {3, 0x00, 0xB6, 0x00}},
    {G::Media,    u"Next",            u"下一曲",       {3, 0x00, 0xB5, 0x00}},
    {G::Media,    u"Play/Pause",      u"播放/暂停",    {3, 0x00, 0xCD, 0x00}},
    {G::Media,    u"Stop",            u"停止",         {3, 0x00, 0xB7, 0x00}},
    {G::Media,    u"Vol+",            u"音量+",        {3, 0x00, 0xE9, 0x00}},
    {G::Media,    u"Vol-",            u"音量-",        {3, 0x00, 0xEA, 0x00}},
    {G::Media,    u"Mute",            u"静音",         {3, 0x00, 0xE2, 0x00}},
    {G::Shortcut, u"New",             u"新建",         {0, 0xE0, 0x11, 0x00}},   // Ctrl + N
    {G::Shortcut, u"Cut",             u"剪切",         {0, 0xE0, 0x1B, 0x00}},   // Ctrl + X
    {G::Shortcut, u"Copy",            u"复制",         {0, 0xE0, 0x06, 0x00}},   // Ctrl + C
    {G::Shortcut, u"Paste",           u"粘贴",         {0, 0xE0, 0x19, 0x00}},   // Ctrl + V
    {G::Shortcut, u"Save",            u"保存",         {0, 0xE0, 0x16, 0x00}},   // Ctrl + S
    {G::Shortcut, u"Print",           u"打印",         {0, 0xE0, 0x13, 0x00}},   // Ctrl + P
    {G::Shortcut, u"Select All",      u"全选",         {0, 0xE0, 0x04, 0x00}},   // Ctrl + A
    {G::Windows,  u"Max",             u"最大化",       {0, 0xE2, 0x2C, 0x1B}},   // Alt + Space + X
    {G::Windows,  u"Min",             u"最小化",       {0, 0xE2, 0x2C, 0x11}},   // Alt + Space + N
    {G::TopLevel, u"Computer",        u"我的电脑",     {3, 0x00, 0x94, 0x01}},   // consumer 0x0194
    {G::TopLevel, u"Task Management", u"任务管理器",   {0, 0xE0, 0xE2, 0x4C}},   // Ctrl + Alt + Delete
    {G::TopLevel, u"Homepage",        u"浏览器-主页",  {3, 0x00, 0x23, 0x02}},   // consumer 0x0223
    {G::TopLevel, u"Close",           u"关闭窗口",     {0, 0xE2, 0x3D, 0x00}},   // Alt + F4
}};
// clang-format on

std::u16string_view functionGroupName(FunctionGroup group, Language lang)
{
    const bool zh = lang == Language::Chinese;
    switch (group) {
    case G::Media: return zh ? u"多媒体" : u"Media";
    case G::Shortcut: return zh ? u"快捷健" : u"Shortcut";
    case G::Windows: return u"Windows";
    case G::TopLevel: break;
    }
    return {};
}

const FunctionEntry* findFunctionByName(std::u16string_view name, Language lang)
{
    const auto it = std::find_if(FunctionCatalogue.begin(), FunctionCatalogue.end(),
                                 [&](const FunctionEntry& f) { return f.name(lang) == name; });
    return it == FunctionCatalogue.end() ? nullptr : &*it;
}

const FunctionEntry* findFunctionByCode(const KeyCodeCell& code)
{
    const auto it = std::find_if(FunctionCatalogue.begin(), FunctionCatalogue.end(),
                                 [&](const FunctionEntry& f) { return f.cell == code; });
    return it == FunctionCatalogue.end() ? nullptr : &*it;
}

} // namespace orvane::keymap
