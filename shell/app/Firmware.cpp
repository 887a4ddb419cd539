#include "shell/app/Firmware.h"

#include "platform/ui/UserDialogs.h"

namespace orvane::shell {

namespace {
constexpr std::size_t kMajor = 0, kMinor = 1;
} // namespace

FirmwarePrompt firmwarePrompt(bool chinese)
{
    if (chinese)
        return {QString::fromUtf8(kFirmwarePromptChinese), QString::fromUtf8(kFirmwareCaptionChinese)};
    return {QString::fromUtf8(kFirmwarePromptEnglish), QString::fromUtf8(kFirmwareCaptionEnglish)};
}

bool firmwareUpdateOffered(VersionBytes keyboard, VersionBytes shipped)
{
    if (shipped[kMajor] != keyboard[kMajor])
        return shipped[kMajor] > keyboard[kMajor];
    return shipped[kMinor] > keyboard[kMinor];
}

bool CheckFirmware(ui::UserDialogs& dialogs, QWidget* owner, bool chinese, VersionBytes keyboard, VersionBytes shipped)
{
    if (!firmwareUpdateOffered(keyboard, shipped))
        return false;
    const FirmwarePrompt prompt = firmwarePrompt(chinese);
    return dialogs.message(owner, prompt.text, prompt.caption, ui::MessageButtons::OkCancel,
                           ui::MessageIcon::None) == ui::MessageResult::Ok;
}

} // namespace orvane::shell
