#pragma once
// The firmware prompt after a keyboard read: the firmware shipped beside the program (VER.bin)
// against the version the keyboard reported in its device information.

#include "shell/app/Companions.h"

#include <QString>

class QWidget;

namespace orvane::ui {
class UserDialogs;
}

namespace orvane::shell {

// The prompt's texts; the question mark is the full-width U+FF1F in both languages.
inline constexpr const char* kFirmwarePromptEnglish = "Update new firmware\uFF1F";
inline constexpr const char* kFirmwareCaptionEnglish = "Firmware Update";
inline constexpr const char* kFirmwarePromptChinese = "更新到新的固件吗\uFF1F";
inline constexpr const char* kFirmwareCaptionChinese = "固件更新";

struct FirmwarePrompt {
    QString text;
    QString caption;
};
FirmwarePrompt firmwarePrompt(bool chinese);

// True when the shipped firmware is newer: a greater major, or the same major and a greater
// minor. A keyboard that never answered reports 0.0, so any non-zero file version is newer; a
// missing VER.bin reads as 0.0 and is never newer.
bool firmwareUpdateOffered(platform::FirmwareVersion keyboard, platform::FirmwareVersion shipped);

// Shows the OK/Cancel prompt, owned by `owner`, when an update is offered. True only when the
// user chose OK: the caller then starts the updater.
bool CheckFirmware(ui::UserDialogs& dialogs, QWidget* owner, bool chinese, platform::FirmwareVersion keyboard,
                   platform::FirmwareVersion shipped);

}   // namespace orvane::shell
