#include "shell/app/Firmware.h"

#include "platform/ui/UserDialogs.h"

namespace orvane::shell {

FirmwarePrompt firmwarePrompt(bool chinese)
{
    if (chinese)
        return {QString::fromUtf8(kFirmwarePromptChinese), QString::fromUtf8(kFirmwareCaptionChinese)};
    return {QString::fromUtf8(kFirmwarePromptEnglish), QString::fromUtf8(kFirmwareCaptionEnglish)};
}

bool firmwareUpdateOffered(platform::FirmwareVersion keyboard, platform::FirmwareVersion shipped)
{
    return shipped > keyboard;
}

bool CheckFirmware(ui::UserDialogs& dialogs, QWidget* owner, bool chinese, platform::FirmwareVersion keyboard,
                   platform::FirmwareVersion shipped)
{
    if (!firmwareUpdateOffered(keyboard, shipped))
        return false;
    const FirmwarePrompt prompt = firmwarePrompt(chinese);
    return dialogs.message(owner, prompt.text, prompt.caption, ui::MessageButtons::OkCancel, ui::MessageIcon::None) ==
        ui::MessageResult::Ok;
}

}   // namespace orvane::shell
