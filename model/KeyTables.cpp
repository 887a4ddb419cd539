#include "model/KeyTables.h"

namespace orvane::keymap {

// clang-format off
const std::array<KeyLayout, kKeyCount> KeyLayoutTable = {{
    {0x1B, 5,  0, { 38,  84,  62, 109}}, //   0 Esc
    {0x70, 5,  2, { 89,  84, 113, 109}}, //   1 F1
    {0x71, 5,  3, {116,  84, 140, 109}}, //   2 F2
    {0x72, 5,  4, {142,  84, 166, 109}}, //   3 F3
    {0x73, 5,  5, {169,  84, 193, 109}}, //   4 F4
    {0x74, 5,  6, {208,  84, 232, 109}}, //   5 F5
    {0x75, 5,  7, {235,  84, 259, 109}}, //   6 F6
    {0x76, 5,  8, {261,  84, 285, 109}}, //   7 F7
    {0x77, 5,  9, {288,  84, 312, 109}}, //   8 F8
    {0x78, 5, 10, {326,  84, 350, 109}}, //   9 F9
    {0x79, 5, 11, {353,  84, 377, 109}}, //  10 F10
    {0x7A, 5, 12, {379,  84, 403, 109}}, //  11 F11
    {0x7B, 5, 13, {406,  84, 430, 109}}, //  12 F12
    {0x2C, 5, 14, {439,  84, 463, 109}}, //  13 Print Screen
    {0x91, 5, 15, {466,  84, 491, 109}}, //  14 Scroll Lock
    {0x13, 5, 16, {492,  84, 516, 109}}, //  15 Pause
    {0xAE, 5, 17, {525,  84, 549, 109}}, //  16 Volume down
    {0xB5, 5, 18, {552,  84, 576, 109}}, //  17 Media
    {0xB3, 5, 19, {578,  84, 602, 109}}, //  18 Play/Pause
    {0xAF, 5, 20, {604,  84, 628, 109}}, //  19 Volume up
    {0xC0, 4,  0, { 38, 117,  62, 142}}, //  20 grave accent
    {0x31, 4,  1, { 64, 117,  88, 142}}, //  21 1
    {0x32, 4,  2, { 90, 117, 114, 142}}, //  22 2
    {0x33, 4,  3, {116, 117, 140, 142}}, //  23 3
    {0x34, 4,  4, {142, 117, 166, 142}}, //  24 4
    {0x35, 4,  5, {168, 117, 192, 142}}, //  25 5
    {0x36, 4,  6, {195, 117, 219, 142}}, //  26 6
    {0x37, 4,  7, {221, 117, 245, 142}}, //  27 7
    {0x38, 4,  8, {247, 117, 271, 142}}, //  28 8
    {0x39, 4,  9, {273, 117, 297, 142}}, //  29 9
    {0x30, 4, 10, {299, 117, 323, 142}}, //  30 0
    {0xBD, 4, 11, {325, 117, 349, 142}}, //  31 minus
    {0xBB, 4, 12, {351, 117, 375, 142}}, //  32 equals
    {0x08, 4, 13, {377, 117, 429, 142}}, //  33 Backspace
    {0x2D, 4, 14, {439, 117, 463, 142}}, //  34 Insert
    {0x24, 4, 15, {466, 117, 490, 142}}, //  35 Home
    {0x21, 4, 16, {492, 117, 516, 142}}, //  36 Page Up
    {0x90, 4, 17, {525, 117, 549, 142}}, //  37 Num Lock
    {0x6F, 4, 18, {552, 117, 576, 142}}, //  38 keypad slash
    {0x6A, 4, 19, {578, 117, 602, 142}}, //  39 keypad asterisk
    {0x6D, 4, 20, {604, 117, 628, 142}}, //  40 keypad minus
    {0x09, 3,  0, { 38, 143,  74, 168}}, //  41 Tab
    {0x51, 3,  1, { 76, 143, 100, 168}}, //  42 Q
    {0x57, 3,  2, {102, 143, 126, 168}}, //  43 W
    {0x45, 3,  3, {128, 143, 152, 168}}, //  44 E
    {0x52, 3,  4, {154, 143, 178, 168}}, //  45 R
    {0x54, 3,  5, {180, 143, 204, 168}}, //  46 T
    {0x59, 3,  6, {206, 143, 230, 168}}, //  47 Y
    {0x55, 3,  7, {233, 143, 257, 168}}, //  48 U
    {0x49, 3,  8, {259, 143, 283, 168}}, //  49 I
    {0x4F, 3,  9, {285, 143, 309, 168}}, //  50 O
    {0x50, 3, 10, {311, 143, 335, 168}}, //  51 P
    {0xDB, 3, 11, {337, 143, 361, 168}}, //  52 left bracket
    {0xDD, 3, 12, {363, 143, 387, 168}}, //  53 right bracket
    {0xDC, 3, 13, {389, 143, 429, 168}}, //  54 backslash
    {0x2E, 3, 14, {439, 143, 463, 168}}, //  55 Delete
    {0x23, 3, 15, {466, 143, 490, 168}}, //  56 End
    {0x22, 3, 16, {492, 143, 516, 168}}, //  57 Page Down
    {0x67, 3, 17, {525, 143, 549, 168}}, //  58 keypad 7
    {0x68, 3, 18, {552, 143, 576, 168}}, //  59 keypad 8
    {0x69, 3, 19, {578, 143, 602, 168}}, //  60 keypad 9
    {0x6B, 2, 20, {604, 143, 628, 194}}, //  61 keypad plus
    {0x14, 2,  0, { 38, 169,  79, 194}}, //  62 Caps Lock
    {0x41, 2,  1, { 82, 169, 106, 194}}, //  63 A
    {0x53, 2,  2, {108, 169, 132, 194}}, //  64 S
    {0x44, 2,  3, {134, 169, 158, 194}}, //  65 D
    {0x46, 2,  4, {161, 169, 185, 194}}, //  66 F
    {0x47, 2,  5, {187, 169, 211, 194}}, //  67 G
    {0x48, 2,  6, {213, 169, 237, 194}}, //  68 H
    {0x4A, 2,  7, {239, 169, 263, 194}}, //  69 J
    {0x4B, 2,  8, {265, 169, 289, 194}}, //  70 K
    {0x4C, 2,  9, {292, 169, 316, 194}}, //  71 L
    {0xBA, 2, 10, {318, 169, 342, 194}}, //  72 semicolon
    {0xDE, 2, 11, {344, 169, 368, 194}}, //  73 apostrophe
    {0x0D, 2, 13, {370, 169, 429, 194}}, //  74 Enter
    {0x64, 2, 17, {525, 169, 549, 194}}, //  75 keypad 4
    {0x65, 2, 18, {552, 169, 576, 194}}, //  76 keypad 5
    {0x66, 2, 19, {578, 169, 602, 194}}, //  77 keypad 6
    {0xA0, 1,  0, { 38, 195,  94, 220}}, //  78 left Shift
    {0x5A, 1,  1, { 96, 195, 120, 220}}, //  79 Z
    {0x58, 1,  2, {122, 195, 146, 220}}, //  80 X
    {0x43, 1,  3, {149, 195, 173, 220}}, //  81 C
    {0x56, 1,  4, {175, 195, 199, 220}}, //  82 V
    {0x42, 1,  5, {202, 195, 226, 220}}, //  83 B
    {0x4E, 1,  6, {228, 195, 252, 220}}, //  84 N
    {0x4D, 1,  7, {255, 195, 279, 220}}, //  85 M
    {0xBC, 1,  8, {281, 195, 305, 220}}, //  86 comma
    {0xBE, 1,  9, {308, 195, 332, 220}}, //  87 full stop
    {0xBF, 1, 10, {334, 195, 358, 220}}, //  88 slash
    {0xA1, 1, 12, {361, 195, 429, 220}}, //  89 right Shift
    {0x26, 1, 15, {465, 195, 489, 220}}, //  90 Up
    {0x61, 1, 17, {525, 195, 549, 220}}, //  91 keypad 1
    {0x62, 1, 18, {552, 195, 576, 220}}, //  92 keypad 2
    {0x63, 1, 19, {578, 195, 602, 220}}, //  93 keypad 3
    {0x6C, 0, 20, {604, 195, 628, 246}}, //  94 keypad Enter
    {0xA2, 0,  0, { 38, 221,  70, 246}}, //  95 left Ctrl
    {0x5B, 0,  1, { 71, 221, 103, 246}}, //  96 left Windows
    {0xA4, 0,  2, {104, 221, 136, 246}}, //  97 left Alt
    {0x20, 0,  5, {137, 221, 297, 246}}, //  98 Space
    {0xA5, 0,  9, {298, 221, 330, 246}}, //  99 right Alt
    {0x5D, 0, 10, {331, 221, 363, 246}}, // 100 Fn
    {0x5D, 0, 11, {364, 221, 396, 246}}, // 101 Application
    {0xA3, 0, 13, {397, 221, 429, 246}}, // 102 right Ctrl
    {0x25, 0, 14, {439, 221, 463, 246}}, // 103 Left
    {0x28, 0, 15, {465, 221, 489, 246}}, // 104 Down
    {0x27, 0, 16, {492, 221, 516, 246}}, // 105 Right
    {0x60, 0, 17, {525, 221, 576, 246}}, // 106 keypad 0
    {0x6E, 0, 19, {578, 221, 602, 246}}, // 107 keypad full stop
    {0xE9, 1, 11, {  4, 117,  28, 142}}, // 108 macro key 1
    {0xEA, 2, 12, {  4, 143,  28, 168}}, // 109 macro key 2
    {0xEB, 0, 12, {  4, 169,  28, 194}}, // 110 macro key 3
    {0xEC, 1, 13, {  4, 195,  28, 220}}, // 111 macro key 4
    {0xED, 1, 14, {  4, 221,  28, 246}}, // 112 macro key 5
}};
// clang-format on

std::size_t enableBit(std::size_t key)
{
    if (key == 112)
        return 37;
    const KeyLayout& k = KeyLayoutTable[key];
    return k.row * 24 + k.column;
}

namespace {

struct NamedKey {
    uint8_t vk;
    uint8_t usage;
    std::u16string_view name;
};

// clang-format off
constexpr NamedKey kNamedKeys[] = {
    {0x08, 0x2A, u"Back "},   {0x09, 0x2B, u"Tab "},    {0x0D, 0x28, u"Enter "},
    {0x13, 0x48, u"Pause "},  {0x14, 0x39, u"Caps "},   {0x1B, 0x29, u"Esc "},
    {0x20, 0x2C, u"Space "},  {0x21, 0x4B, u"PgUp "},   {0x22, 0x4E, u"PgDn "},
    {0x23, 0x4D, u"End "},    {0x24, 0x4A, u"Home "},   {0x25, 0x50, u"Left "},
    {0x26, 0x52, u"Up "},     {0x27, 0x4F, u"Right "},  {0x28, 0x51, u"Down "},
    {0x2C, 0x46, u"Prscr "},  {0x2D, 0x49, u"Inst "},   {0x2E, 0x4C, u"Del "},
    {0x5B, 0xE3, u"LWin "},   {0x5C, 0xE7, u"RWin "},   {0x5D, 0x65, u"Apps "},
    {0x60, 0x62, u"0-num "},  {0x61, 0x59, u"1-num "},  {0x62, 0x5A, u"2-num "},
    {0x63, 0x5B, u"3-num "},  {0x64, 0x5C, u"4-num "},  {0x65, 0x5D, u"5-num "},
    {0x66, 0x5E, u"6-num "},  {0x67, 0x5F, u"7-num "},  {0x68, 0x60, u"8-num "},
    {0x69, 0x61, u"9-num "},
    {0x6A, 0x55, u"* "},      {0x6B, 0x57, u"+ "},      {0x6C, 0x58, u"Enter "},
    {0x6D, 0x56, u"- "},      {0x6E, 0x63, u". "},      {0x6F, 0x54, u"/ "},
    {0x90, 0x53, u"Num "},    {0x91, 0x47, u"Scrol "},
    {0xA0, 0xE1, u"LShift "}, {0xA1, 0xE5, u"RShift "}, {0xA2, 0xE0, u"LCtrl "},
    {0xA3, 0xE4, u"RCtrl "},  {0xA4, 0xE2, u"LAlt "},   {0xA5, 0xE6, u"RAlt "},
    {0xAE, 0xEA, u"Volume DOWN "}, {0xAF, 0xE9, u"Volume UP "},
    {0xB3, 0xCD, u"Play/Pause"},   {0xB5, 0x83, u"Media "},
    {0xBA, 0x33, u"; "},      {0xBB, 0x2E, u"= "},      {0xBC, 0x36, u", "},
    {0xBD, 0x2D, u"- "},      {0xBE, 0x37, u". "},      {0xBF, 0x38, u"/ "},
    {0xC0, 0x35, u"` "},      {0xDB, 0x2F, u"[ "},      {0xDC, 0x32, u"\\ "},
    {0xDD, 0x30, u"] "},      {0xDE, 0x34, u"' "},
    {0xF0, 0xF0, u"MsLB"},    {0xF1, 0xF1, u"MsRB"},    {0xF2, 0xF2, u"MsMB"},
    {0xF3, 0xF3, u""},        {0xF4, 0xF4, u""},
    {0xF5, 0xF5, u"Mouse Pointer Right"}, {0xF6, 0xF6, u"Mouse Pointer Up"},
    {0xF7, 0xF7, u"Mouse pointer Down"},  {0xF8, 0xF8, u"Mouse Wheel Up"},
    {0xF9, 0xF9, u"Mouse Wheel Down"},
};
// clang-format on

constexpr std::array<uint8_t, 256> buildUsages()
{
    std::array<uint8_t, 256> u{};
    for (int vk = 0x41; vk <= 0x5A; ++vk)
        u[vk] = static_cast<uint8_t>(vk - 0x3D);
    for (int vk = 0x31; vk <= 0x39; ++vk)
        u[vk] = static_cast<uint8_t>(vk - 0x13);
    u[0x30] = 0x27;
    for (int vk = 0x70; vk <= 0x7B; ++vk)
        u[vk] = static_cast<uint8_t>(vk - 0x36);
    for (const NamedKey& k : kNamedKeys)
        u[k.vk] = k.usage;
    return u;
}

constexpr std::array<uint8_t, 256> kUsages = buildUsages();
static_assert(kUsages[0x41] == 0x04 && kUsages[0x5A] == 0x1D && kUsages[0x7B] == 0x45);
static_assert(kUsages[0x6C] == 0x58 && kUsages[0xDC] == 0x32 && kUsages[0x07] == 0);

std::u16string ascii(std::string_view s)
{
    return std::u16string(s.begin(), s.end());
}

}   // namespace

uint8_t usageOf(uint8_t vk)
{
    return kUsages[vk];
}

KeyNameTable BuildKeyNameTable()
{
    KeyNameTable t;
    for (int i = 0; i < 256; ++i)
        t.entries_[i].vk = static_cast<uint8_t>(i);
    for (int vk = 0x41; vk <= 0x5A; ++vk)
        t.entries_[vk].name = ascii(std::string(1, static_cast<char>(vk)) + " ");
    for (int vk = 0x31; vk <= 0x39; ++vk)
        t.entries_[vk].name = ascii(std::string(1, static_cast<char>(vk)) + " ");
    t.entries_[0x30].name = std::u16string(1, u'0');   // the one digit without a blank
    for (int vk = 0x70; vk <= 0x7B; ++vk)
        t.entries_[vk].name = ascii("F" + std::to_string(vk - 0x6F) + " ");
    for (const NamedKey& k : kNamedKeys)
        t.entries_[k.vk].name = std::u16string(k.name);
    for (int i = 0; i < 256; ++i)
        t.entries_[i].usage = kUsages[i];
    return t;
}

std::u16string FormatKeyList(const KeyNameTable& names, uint8_t category, const uint8_t* keys, std::size_t count)
{
    auto keyAt = [&](std::size_t i) -> uint8_t { return i < count && keys ? keys[i] : 0; };
    if (category == 0)
        return names.name(keyAt(0));
    if (category != 1)
        return {};
    std::u16string text;
    if (keyAt(0) != 0)
        text = names.name(keyAt(0));
    for (std::size_t i = 1; i < 3; ++i) {
        if (keyAt(i) != 0)
            text += u"+ " + names.name(keyAt(i));
    }
    return text;
}

namespace {

std::array<KeyCodeCell, kMatrixCells> buildFactoryKeyCodes()
{
    std::array<KeyCodeCell, kMatrixCells> cells{};
    auto at = [&](int row, int column) -> KeyCodeCell& { return cells[column * kMatrixRows + row]; };
    for (const KeyLayout& k : KeyLayoutTable)
        at(k.row, k.column) = {0, 0, kUsages[k.vk], 0};
    auto key = [&](std::size_t index) -> KeyCodeCell& {
        return at(KeyLayoutTable[index].row, KeyLayoutTable[index].column);
    };
    key(16) = {3, 0, 0xEA, 0};    // Volume down
    key(17) = {3, 0, 0x83, 1};    // Media
    key(18) = {3, 0, 0xCD, 0};    // Play/Pause
    key(19) = {3, 0, 0xE9, 0};    // Volume up
    key(54) = {0, 0, 0x31, 0};    // backslash: the keyboard's own code differs from the name table's
    key(100) = {2, 0, 0, 0};      // Fn
    key(111) = {0, 0, 0x28, 0};   // macro key 4
    // Matrix positions without a key of the picture.
    at(5, 1) = {0, 0, 0x32, 0};
    at(0, 3) = {0, 0, 0x91, 0};
    at(0, 8) = {0, 0, 0x90, 0};
    return cells;
}

}   // namespace

const std::array<KeyCodeCell, kMatrixCells> FactoryKeyCodes = buildFactoryKeyCodes();

std::array<uint8_t, 512> factoryKeyCodeBlock()
{
    std::array<uint8_t, 512> block{};
    for (std::size_t row = 0; row < kMatrixRows; ++row) {
        for (std::size_t column = 0; column < kMatrixColumns; ++column) {
            const KeyCodeCell& c = FactoryKeyCodes[column * kMatrixRows + row];
            std::size_t at = 4 * (row * kMatrixColumns + column);
            block[at] = c.type;
            block[at + 1] = c.b1;
            block[at + 2] = c.b2;
            block[at + 3] = c.b3;
        }
    }
    return block;
}

}   // namespace orvane::keymap
