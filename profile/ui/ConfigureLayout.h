#pragma once
// The profile panel's fixed layout, commands and texts as data: where its images and captions stand,
// the hit rectangles (first match wins), the context menu and every message with its two wordings.

#include <array>
#include <string_view>

namespace orvane::profile::ui {

inline constexpr int kDialogId = 136;
inline constexpr int kListId = 1016;

// Context-menu commands (resource "profile"); the two buttons run New and Delete.
inline constexpr int kCmdNew = 32785;
inline constexpr int kCmdCopy = 32817;
inline constexpr int kCmdSave = 32786;
inline constexpr int kCmdLoad = 32787;
inline constexpr int kCmdDelete = 32788;
inline constexpr int kCmdClose = 1;   // the close button (the panel ends with OK)
inline constexpr int kCmdNone = 0;

struct Point {
    int x, y;
};
struct Size {
    int width, height;
};

inline constexpr Point kListPos{1, 34};
inline constexpr Size kListSize{260, 540};
inline constexpr const char* kListFace = "Arial";
inline constexpr int kListFontPx = 15;
inline constexpr int kListShadowPx = 2;
// The panel stands one pixel left of and above the main window's top-left corner.
inline constexpr Point kPlacementOffset{-1, -1};

inline constexpr const char* kBackgroundImage = "Config/Config.png";
inline constexpr const char* kCloseImage = "Config/button-close-normal.png";
inline constexpr const char* kNewImage = "Config/New.png";
inline constexpr const char* kDeleteImage = "Config/Delete.png";

// What the panel paints over its background, in painting order.
struct ImageRow {
    const char* image;
    Point at;
};
inline constexpr std::array<ImageRow, 3> kImages{{
    {kCloseImage, {247, 10}},
    {kNewImage, {13, 575}},
    {kDeleteImage, {183, 575}},
}};

struct CaptionRow {
    const char* english;
    const char* chinese;
    Point at;
    int heightPx;
};
inline constexpr std::array<CaptionRow, 3> kCaptions{{
    {"Profile", "\xE9\x85\x8D\xE7\xBD\xAE", {10, 10}, 15},    // 配置
    {"New", "\xE6\x96\xB0\xE5\xBB\xBA", {30, 578}, 16},       // 新建
    {"Delete", "\xE5\x88\xA0\xE9\x99\xA4", {200, 578}, 16},   // 删除
}};

// Left-button release: inclusive ranges, tested in order.
struct HitRow {
    int left, top, right, bottom;
    int command;
};
inline constexpr std::array<HitRow, 3> kHits{{
    {248, 11, 262, 24, kCmdClose},
    {14, 576, 79, 624, kCmdNew},
    {184, 576, 249, 624, kCmdDelete},
}};

constexpr int hitTest(int x, int y)
{
    for (const HitRow& h : kHits)
        if (x >= h.left && x <= h.right && y >= h.top && y <= h.bottom)
            return h.command;
    return kCmdNone;
}

struct MenuRow {
    int command;
    const char* english;
    const char* chinese;
};
inline constexpr std::array<MenuRow, 5> kMenu{{
    {kCmdNew, "New", "\xE6\x96\xB0\xE5\xBB\xBA"},         // 新建
    {kCmdCopy, "Copy", "\xE5\xA4\x8D\xE5\x88\xB6"},       // 复制
    {kCmdSave, "Save", "\xE4\xBF\x9D\xE5\xAD\x98"},       // 保存
    {kCmdLoad, "Load", "\xE5\x8A\xA0\xE8\xBD\xBD"},       // 加载
    {kCmdDelete, "Delete", "\xE5\x88\xA0\xE9\x99\xA4"},   // 删除
}};

struct MessageText {
    const char* english;
    const char* englishTitle;
    const char* chinese;
    const char* chineseTitle;
};
inline constexpr const char* kTitleEnglish = "Profile";
inline constexpr const char* kTitleChinese = "\xE9\x85\x8D\xE7\xBD\xAE\xE7\xAE\xA1\xE7\x90\x86";   // 配置管理

namespace msg {
inline constexpr MessageText kSixProfiles{"Only Create Six Profile mostly\n", kTitleEnglish,
                                          "\xE6\x9C\x80\xE5\xA4\x9A\xE5\x8F\xAF\xE4\xBB\xA5\xE5\xAD\x98\xE5\x82\xA8"
                                          "6\xE4\xB8\xAA\xE9\x85\x8D\xE7\xBD\xAE\n",   // 最多可以存储6个配置
                                          kTitleChinese};
inline constexpr MessageText kSelectToSave{"Please select a profile to Save\n", kTitleEnglish,
                                           "\xE8\xAF\xB7\xE9\x80\x89\xE6\x8B\xA9\xE4\xB8\x80\xE4\xB8\xAA\xE9\x85\x8D"
                                           "\xE7\xBD\xAE\xE5\xAD\x98\xE5\x82\xA8",   // 请选择一个配置存储
                                           kTitleChinese};
inline constexpr MessageText kSelectToOpen{"Please select a profile to Open\n", kTitleEnglish,
                                           "\xE8\xAF\xB7\xE9\x80\x89\xE6\x8B\xA9\xE4\xB8\x80\xE4\xB8\xAA\xE9\x85\x8D"
                                           "\xE7\xBD\xAE\xE6\x89\x93\xE5\xBC\x80",   // 请选择一个配置打开
                                           kTitleChinese};
inline constexpr MessageText kKeepOne{
    "Please keep a profile\n", kTitleEnglish,
    "\xE8\xAF\xB7\xE8\x87\xB3\xE5\xB0\x91\xE4\xBF\x9D\xE7\x95\x99\xE4\xB8\x80\xE4"
    "\xB8\xAA\xE9\x85\x8D\xE7\xBD\xAE\xE6\x96\x87\xE4\xBB\xB6",   // 请至少保留一个配置文件
    kTitleChinese};
inline constexpr MessageText kSelectToDelete{"Please select a profile to delete\n", kTitleEnglish,
                                             "\xE8\xAF\xB7\xE9\x80\x89\xE6\x8B\xA9\xE4\xB8\x80\xE4\xB8\xAA\xE9\x85"
                                             "\x8D\xE7\xBD\xAE\xE5\x88\xA0\xE9\x99\xA4",   // 请选择一个配置删除
                                             kTitleChinese};
inline constexpr MessageText kSelectToCopy{"Please select a profile to copy\n", kTitleEnglish,
                                           "\xE8\xAF\xB7\xE9\x80\x89\xE6\x8B\xA9\xE4\xB8\x80\xE4\xB8\xAA\xE9\x85\x8D"
                                           "\xE7\xBD\xAE\xE6\x8B\xB7\xE8\xB4\x9D",   // 请选择一个配置拷贝
                                           kTitleChinese};
inline constexpr MessageText kConfirmDelete{"Delete current profile ?", "Profile",
                                            "\xE5\x88\xA0\xE9\x99\xA4\xE5\xBD\x93\xE5\x89\x8D\xE9\x85\x8D\xE7\xBD\xAE"
                                            "\xE6\x96\x87\xE4\xBB\xB6\xE5\x90\x97",   // 删除当前配置文件吗
                                            kTitleChinese};
inline constexpr MessageText kRenameFailed{"Fail", "", "Fail", ""};
// A typed name that would leave the profile folder or vanish from the list.
inline constexpr MessageText kUnsafeName{
    "A profile name cannot be empty, \".\" or \"..\", and cannot contain \"/\".\n", kTitleEnglish,
    "\xE9\x85\x8D\xE7\xBD\xAE\xE5\x90\x8D\xE7\xA7\xB0\xE4\xB8\x8D\xE8\x83\xBD\xE4\xB8\xBA\xE7\xA9\xBA\xE3\x80\x81"
    "\xE4\xB8\x8D\xE8\x83\xBD\xE6\x98\xAF\xE2\x80\x9C.\xE2\x80\x9D\xE6\x88\x96\xE2\x80\x9C..\xE2\x80\x9D\xEF\xBC\x8C"
    "\xE4\xB9\x9F\xE4\xB8\x8D\xE8\x83\xBD\xE5\x8C\x85\xE5\x90\xAB\xE2\x80\x9C/\xE2\x80\x9D\xE3\x80\x82\n",
    // 配置名称不能为空、不能是“.”或“..”，也不能包含“/”。
    kTitleChinese};
// A typed name, or the name a copy would get, whose file name passes 255 bytes.
inline constexpr MessageText kNameTooLong{
    "The profile name is too long: a profile's file name can have at most 255 bytes.\n", kTitleEnglish,
    "\xE9\x85\x8D\xE7\xBD\xAE\xE5\x90\x8D\xE7\xA7\xB0\xE5\xA4\xAA\xE9\x95\xBF\xEF\xBC\x9A"
    "\xE9\x85\x8D\xE7\xBD\xAE\xE6\x96\x87\xE4\xBB\xB6\xE5\x90\x8D\xE6\x9C\x80\xE5\xA4\x9A"
    " 255 \xE4\xB8\xAA\xE5\xAD\x97\xE8\x8A\x82\xE3\x80\x82\n",
    // 配置名称太长：配置文件名最多 255 个字节。
    kTitleChinese};
// Load of a file whose size is no profile's (MacroDefine.bin, say).
inline constexpr MessageText kNotAProfile{
    "This file is not a profile: a profile file has 10,056 or 206,916 bytes.\n", kTitleEnglish,
    "\xE6\xAD\xA4\xE6\x96\x87\xE4\xBB\xB6\xE4\xB8\x8D\xE6\x98\xAF\xE9\x85\x8D\xE7\xBD\xAE"
    "\xE6\x96\x87\xE4\xBB\xB6\xEF\xBC\x9A\xE9\x85\x8D\xE7\xBD\xAE\xE6\x96\x87\xE4\xBB\xB6"
    "\xE7\x9A\x84\xE5\xA4\xA7\xE5\xB0\x8F\xE4\xB8\xBA 10,056 \xE6\x88\x96 206,916 "
    "\xE5\xAD\x97\xE8\x8A\x82\xE3\x80\x82\n",
    // 此文件不是配置文件：配置文件的大小为 10,056 或 206,916 字节。
    kTitleChinese};
}   // namespace msg

// The file dialogs of Save and Load.
inline constexpr const char* kFileFilter = "bin Files(*.bin)";
inline constexpr const char* kFileSuffix = "bin";
inline constexpr const char* kFileNameStart = "*.bin";   // in the file name box when a dialog opens

}   // namespace orvane::profile::ui
