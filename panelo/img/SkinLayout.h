#pragma once
// The LCD window's skin: the six files per language that the program carries, and the control
// rectangles that its skin INI holds (section BUTTONINFO). The artwork generator draws the state
// images from the same rectangles, so picture and controls always agree.

#include <array>
#include <string_view>

namespace orvane::panelo {

inline constexpr int kSkinWidth = 500;
inline constexpr int kSkinHeight = 320;

struct SkinControl {
    std::string_view key;
    int x, y, w, h;
    std::string_view label;   // written after the rectangle; not read by the program
};

// In the order the skin INI lists them.
inline constexpr std::array<SkinControl, 11> kSkinControls{{
    {"CONTROL_MINIMIZE", 452, 9, 17, 16, "Minimize"},
    {"CONTROL_MAXIMIZE", 473, 9, 17, 16, "Maximize"},
    {"CONTROL_PREVIEW", 35, 78, 430, 83, "Preview"},
    {"CONTROL_FONT_INFO", 148, 180, 190, 26, "Font Info"},
    {"CONTROL_FONT_BTN", 357, 177, 110, 32, "Font Button"},
    {"CONTROL_DISP_TEXT", 148, 226, 190, 26, "Display Text"},
    {"CONTROL_AUTO_BTN", 357, 223, 110, 32, "Auto Button"},
    {"CONTROL_DOWN_BTN", 357, 267, 110, 32, "Download Button"},
    {"CONTROL_VER_INFO", 40, 268, 172, 32, "Version Info"},
    {"CONTROL_DEFAULT_BTN", 230, 267, 110, 32, "Default Button"},
    {"CONTROL_LOGO", 31, 17, 195, 50, "LOGO"},
}};

constexpr const SkinControl* FindSkinControl(std::string_view key)
{
    for (const SkinControl& c : kSkinControls)
        if (c.key == key)
            return &c;
    return nullptr;
}

// The six files of one language, in the order they are extracted.
struct SkinFileNames {
    std::string_view ini, normal, over, down, disable, mask;
};

inline constexpr SkinFileNames kEnglishSkinFiles{"main_Eng.ini",      "main_normal_Eng.jpg",  "main_over_Eng.jpg",
                                                 "main_down_Eng.jpg", "main_disable_Eng.jpg", "main_mask_Eng.bmp"};
inline constexpr SkinFileNames kChineseSkinFiles{"main_CHN.ini",      "main_normal_CHN.jpg",  "main_over_CHN.jpg",
                                                 "main_down_CHN.jpg", "main_disable_CHN.jpg", "main_mask_CHN.bmp"};

constexpr const SkinFileNames& SkinFilesFor(bool chinese)
{
    return chinese ? kChineseSkinFiles : kEnglishSkinFiles;
}

// For high-density screens the program also carries each state image at twice the pixels, under
// the state file's name with "@2x" before the suffix ("main_normal_Eng@2x.jpg"). These stay in the
// resources (they are not part of the extracted skin) and are read only at a device-pixel ratio
// above 1.
inline constexpr int kSkinScale = 2;

}   // namespace orvane::panelo

#include <QByteArray>
#include <QString>

namespace orvane::panelo {

// "main_normal_Eng@2x.jpg" for "main_normal_Eng.jpg".
QString DoubleSkinName(std::string_view stateFile);

// The skin INI of one language as the program carries it: UTF-16 LE with byte-order mark,
// section SCREEN naming the normal image and the mask in lower case, then BUTTONINFO.
QByteArray SkinIniBytes(bool chinese);

}   // namespace orvane::panelo
