#pragma once
// Key translation of the keyboard hook: Linux evdev key codes and Qt keys to
// Windows virtual-key codes, as the key-name table indexes them. Side-specific
// modifiers and Windows keys keep their side; the keypad always gives its
// NumLock-on codes (keypad Enter 0x6C); mouse buttons are not keys here (0).
// Header-only so the library and its tests share one table.

#include <Qt>
#include <array>
#include <cstdint>

namespace orvane::hook {

struct EvdevToVk {
    uint16_t code;   // KEY_* of linux/input-event-codes.h
    uint8_t vk;
};

// clang-format off
inline constexpr EvdevToVk kEvdevToVk[] = {
    // function row
    {1, 0x1B},                                   // KEY_ESC
    {59, 0x70}, {60, 0x71}, {61, 0x72}, {62, 0x73}, {63, 0x74}, {64, 0x75},   // F1..F6
    {65, 0x76}, {66, 0x77}, {67, 0x78}, {68, 0x79}, {87, 0x7A}, {88, 0x7B},   // F7..F12
    {99, 0x2C},                                  // KEY_SYSRQ (Print Screen)
    {70, 0x91},                                  // KEY_SCROLLLOCK
    {119, 0x13},                                 // KEY_PAUSE
    // main block
    {41, 0xC0},                                  // KEY_GRAVE
    {2, 0x31}, {3, 0x32}, {4, 0x33}, {5, 0x34}, {6, 0x35},                    // 1..5
    {7, 0x36}, {8, 0x37}, {9, 0x38}, {10, 0x39}, {11, 0x30},                  // 6..0
    {12, 0xBD}, {13, 0xBB}, {14, 0x08}, {15, 0x09},  // - = Backspace Tab
    {16, 0x51}, {17, 0x57}, {18, 0x45}, {19, 0x52}, {20, 0x54},               // Q W E R T
    {21, 0x59}, {22, 0x55}, {23, 0x49}, {24, 0x4F}, {25, 0x50},               // Y U I O P
    {26, 0xDB}, {27, 0xDD}, {43, 0xDC}, {58, 0x14},  // [ ] \ CapsLock
    {30, 0x41}, {31, 0x53}, {32, 0x44}, {33, 0x46}, {34, 0x47},               // A S D F G
    {35, 0x48}, {36, 0x4A}, {37, 0x4B}, {38, 0x4C},                           // H J K L
    {39, 0xBA}, {40, 0xDE}, {28, 0x0D},              // ; ' Enter
    {42, 0xA0},                                  // KEY_LEFTSHIFT
    {44, 0x5A}, {45, 0x58}, {46, 0x43}, {47, 0x56}, {48, 0x42},               // Z X C V B
    {49, 0x4E}, {50, 0x4D}, {51, 0xBC}, {52, 0xBE}, {53, 0xBF},               // N M , . /
    {54, 0xA1},                                  // KEY_RIGHTSHIFT
    {29, 0xA2}, {125, 0x5B}, {56, 0xA4},             // LeftCtrl LeftMeta LeftAlt
    {57, 0x20},                                  // KEY_SPACE
    {100, 0xA5}, {126, 0x5C},                        // RightAlt RightMeta
    {127, 0x5D},                                 // KEY_COMPOSE: the Application/Menu key of HID keyboards
    {97, 0xA3},                                  // KEY_RIGHTCTRL
    // navigation
    {110, 0x2D}, {102, 0x24}, {104, 0x21}, {111, 0x2E}, {107, 0x23}, {109, 0x22},
    {103, 0x26}, {105, 0x25}, {108, 0x28}, {106, 0x27},
    // keypad, NumLock-on codes
    {69, 0x90},                                  // KEY_NUMLOCK
    {98, 0x6F}, {55, 0x6A}, {74, 0x6D}, {78, 0x6B},  // / * - +
    {71, 0x67}, {72, 0x68}, {73, 0x69},              // 7 8 9
    {75, 0x64}, {76, 0x65}, {77, 0x66},              // 4 5 6
    {79, 0x61}, {80, 0x62}, {81, 0x63},              // 1 2 3
    {96, 0x6C},                                  // KEY_KPENTER: the key table's keypad Enter
    {82, 0x60}, {83, 0x6E},                          // 0 .
    // extra keys
    {86, 0xE2},                                  // KEY_102ND
    {183, 0x7C}, {184, 0x7D}, {185, 0x7E}, {186, 0x7F}, {187, 0x80}, {188, 0x81},  // F13..F18
    {189, 0x82}, {190, 0x83}, {191, 0x84}, {192, 0x85}, {193, 0x86}, {194, 0x87},  // F19..F24
    {139, 0x5D},                                 // KEY_MENU
    // media and browser keys
    {113, 0xAD}, {114, 0xAE}, {115, 0xAF},           // Mute VolumeDown VolumeUp
    {163, 0xB0}, {165, 0xB1}, {166, 0xB2}, {164, 0xB3},  // Next Previous Stop PlayPause
    {226, 0xB5}, {171, 0xB5},                        // KEY_MEDIA, KEY_CONFIG
    {144, 0xB6}, {148, 0xB6},                        // KEY_FILE, KEY_PROG1
    {140, 0xB7}, {149, 0xB7},                        // KEY_CALC, KEY_PROG2
    {155, 0xB4},                                 // KEY_MAIL
    {172, 0xAC}, {217, 0xAA}, {136, 0xAA},           // Homepage Search Find
    {158, 0xA6}, {159, 0xA7}, {128, 0xA9}, {173, 0xA8}, {156, 0xAB},  // Back Forward Stop Refresh Bookmarks
    {142, 0x5F},                                 // KEY_SLEEP
    {210, 0x2C},                                 // KEY_PRINT
};
// clang-format on

inline constexpr std::size_t kEvdevKeyLimit = 256;   // every code above is below this

constexpr std::array<uint8_t, kEvdevKeyLimit> buildEvdevTable()
{
    std::array<uint8_t, kEvdevKeyLimit> t{};
    for (const EvdevToVk& e : kEvdevToVk)
        t[e.code] = e.vk;
    return t;
}

inline constexpr std::array<uint8_t, kEvdevKeyLimit> kEvdevVk = buildEvdevTable();

// 0 when the code is not a key of the table (mouse buttons, unknown keys).
constexpr uint8_t vkFromEvdev(unsigned code)
{
    return code < kEvdevKeyLimit ? kEvdevVk[code] : 0;
}

static_assert(vkFromEvdev(30) == 0x41 && vkFromEvdev(96) == 0x6C && vkFromEvdev(82) == 0x60);
static_assert(vkFromEvdev(0x110) == 0 && vkFromEvdev(0) == 0);   // BTN_LEFT is not a key

// ---- Qt keys (used only when a key event carries no native scan code) ------

struct QtKeyToVk {
    int key;
    uint8_t vk;
    uint8_t keypadVk;   // with Qt::KeypadModifier; 0 = same as vk
};

// clang-format off
inline constexpr QtKeyToVk kQtKeyToVk[] = {
    {Qt::Key_Escape, 0x1B, 0},    {Qt::Key_Tab, 0x09, 0},       {Qt::Key_Backtab, 0x09, 0},
    {Qt::Key_Backspace, 0x08, 0}, {Qt::Key_Return, 0x0D, 0x6C}, {Qt::Key_Enter, 0x6C, 0x6C},
    {Qt::Key_Insert, 0x2D, 0x60}, {Qt::Key_Delete, 0x2E, 0x6E}, {Qt::Key_Pause, 0x13, 0},
    {Qt::Key_Print, 0x2C, 0},     {Qt::Key_SysReq, 0x2C, 0},    {Qt::Key_Clear, 0x0C, 0x65},
    {Qt::Key_Home, 0x24, 0x67},   {Qt::Key_End, 0x23, 0x61},    {Qt::Key_Left, 0x25, 0x64},
    {Qt::Key_Up, 0x26, 0x68},     {Qt::Key_Right, 0x27, 0x66},  {Qt::Key_Down, 0x28, 0x62},
    {Qt::Key_PageUp, 0x21, 0x69}, {Qt::Key_PageDown, 0x22, 0x63},
    // Qt does not say which side a modifier came from: the left one is assumed.
    {Qt::Key_Shift, 0xA0, 0},     {Qt::Key_Control, 0xA2, 0},   {Qt::Key_Meta, 0x5B, 0},
    {Qt::Key_Alt, 0xA4, 0},       {Qt::Key_AltGr, 0xA5, 0},     {Qt::Key_Super_L, 0x5B, 0},
    {Qt::Key_Super_R, 0x5C, 0},   {Qt::Key_Menu, 0x5D, 0},      {Qt::Key_CapsLock, 0x14, 0},
    {Qt::Key_NumLock, 0x90, 0},   {Qt::Key_ScrollLock, 0x91, 0},
    {Qt::Key_Space, 0x20, 0},
    // US layout punctuation, shifted forms on the same key
    {Qt::Key_QuoteLeft, 0xC0, 0}, {Qt::Key_AsciiTilde, 0xC0, 0},
    {Qt::Key_Minus, 0xBD, 0x6D},  {Qt::Key_Underscore, 0xBD, 0},
    {Qt::Key_Equal, 0xBB, 0},     {Qt::Key_Plus, 0xBB, 0x6B},
    {Qt::Key_BracketLeft, 0xDB, 0}, {Qt::Key_BraceLeft, 0xDB, 0},
    {Qt::Key_BracketRight, 0xDD, 0}, {Qt::Key_BraceRight, 0xDD, 0},
    {Qt::Key_Backslash, 0xDC, 0}, {Qt::Key_Bar, 0xDC, 0},
    {Qt::Key_Semicolon, 0xBA, 0}, {Qt::Key_Colon, 0xBA, 0},
    {Qt::Key_Apostrophe, 0xDE, 0}, {Qt::Key_QuoteDbl, 0xDE, 0},
    {Qt::Key_Comma, 0xBC, 0},     {Qt::Key_Less, 0xBC, 0},
    {Qt::Key_Period, 0xBE, 0x6E}, {Qt::Key_Greater, 0xBE, 0},
    {Qt::Key_Slash, 0xBF, 0x6F},  {Qt::Key_Question, 0xBF, 0},
    {Qt::Key_Asterisk, 0x38, 0x6A},
    {Qt::Key_Exclam, 0x31, 0},    {Qt::Key_At, 0x32, 0},        {Qt::Key_NumberSign, 0x33, 0},
    {Qt::Key_Dollar, 0x34, 0},    {Qt::Key_Percent, 0x35, 0},   {Qt::Key_AsciiCircum, 0x36, 0},
    {Qt::Key_Ampersand, 0x37, 0}, {Qt::Key_ParenLeft, 0x39, 0}, {Qt::Key_ParenRight, 0x30, 0},
    // media
    {Qt::Key_VolumeMute, 0xAD, 0}, {Qt::Key_VolumeDown, 0xAE, 0}, {Qt::Key_VolumeUp, 0xAF, 0},
    {Qt::Key_MediaNext, 0xB0, 0}, {Qt::Key_MediaPrevious, 0xB1, 0}, {Qt::Key_MediaStop, 0xB2, 0},
    {Qt::Key_MediaPlay, 0xB3, 0}, {Qt::Key_MediaTogglePlayPause, 0xB3, 0},
    {Qt::Key_LaunchMedia, 0xB5, 0}, {Qt::Key_Sleep, 0x5F, 0},
};
// clang-format on

constexpr uint8_t vkFromQtKey(int key, bool keypad)
{
    if (key >= Qt::Key_A && key <= Qt::Key_Z)
        return static_cast<uint8_t>(0x41 + (key - Qt::Key_A));
    if (key >= Qt::Key_0 && key <= Qt::Key_9)
        return static_cast<uint8_t>(keypad ? 0x60 + (key - Qt::Key_0) : 0x30 + (key - Qt::Key_0));
    if (key >= Qt::Key_F1 && key <= Qt::Key_F24)
        return static_cast<uint8_t>(0x70 + (key - Qt::Key_F1));
    for (const QtKeyToVk& e : kQtKeyToVk)
        if (e.key == key)
            return keypad && e.keypadVk ? e.keypadVk : e.vk;
    return 0;
}

static_assert(vkFromQtKey(Qt::Key_5, true) == 0x65 && vkFromQtKey(Qt::Key_Enter, true) == 0x6C);

}   // namespace orvane::hook
