#pragma once
// CPaneloApp: the LCD program. It runs its one window, CPaneloDlg, modally; the program ends
// when the window closes. The skin travels inside the program and is written to the user's
// runtime folder at every start (ExtractSkinFiles).

#include <QByteArray>
#include <QString>

#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace orvane::hid {
class Backend;
}
namespace orvane::ui {
class UserDialogs;
}

namespace orvane::panelo {

class GlyphSource;

// The program's title: the caption of its message boxes.
inline constexpr const char* kProgramTitle = "Lumetra";
// Below the runtime folder: FileDef20151212/Skins/.
inline constexpr const char* kFileDefFolder = "FileDef20151212";
inline constexpr const char* kSkinsFolder = "Skins";

struct SkinFile {
    QString name;
    QByteArray bytes;
};
using SkinFileSet = std::vector<SkinFile>;

// The six files of one language carried in the program's resources. Empty when the resources
// were not linked in.
SkinFileSet EmbeddedSkinFiles(bool chinese);

// A state image at twice the pixels ("main_normal_Eng@2x.jpg") from the program's resources, for
// high-density screens; empty when it is not carried.
QByteArray EmbeddedDoubleSkinPicture(bool chinese, const QString& name);

// Creates <runtimeFolder>/FileDef20151212/Skins/ (0700, no symbolic link followed) and writes
// every file of `files` into it whole, replacing what was there. Returns the FileDef20151212
// folder (ending in '/'), or none with `error` set at the first failure; files before it stay.
// A file is written only into a regular file of ours: a link, FIFO or device left under its
// name is a failure, and is left in place.
std::optional<std::string> ExtractSkinFiles(const std::string& runtimeFolder, const SkinFileSet& files,
                                            std::string& error);

// Everything the window needs from outside; the program fills it from the process, tests
// replace the parts they drive.
struct PaneloServices {
    hid::Backend* backend = nullptr;
    ui::UserDialogs* dialogs = nullptr;
    GlyphSource* glyphs = nullptr;
    std::string settingsPath;   // PX840.conf
    // The user's runtime folder ending in '/', none with the reason when it cannot be used.
    std::function<std::optional<std::string>(std::string& error)> runtimeFolder;
    std::function<SkinFileSet(bool chinese)> skinFiles = EmbeddedSkinFiles;
    std::function<QByteArray(bool chinese, const QString& name)> doubleSkinPicture = EmbeddedDoubleSkinPicture;
    std::function<bool()> ctrlAltHeld;             // default: the keyboard's modifiers right now
    std::function<void(const QString&)> openUrl;   // default: the desktop's browser
};

class CPaneloApp {
public:
    explicit CPaneloApp(PaneloServices services) : m_services(std::move(services)) {}

    // Shows the window and runs it until it closes. Returns the exit code: 0 after a normal end,
    // 1 when the skin cannot be extracted or loaded (one line on stderr names the file).
    int InitInstance();

private:
    PaneloServices m_services;
};

// The whole program: the HID backend from the environment, the real dialogs and glyphs. An
// unusable ORVANE_HID is one line on stderr and exit code 2.
int RunLumetra();

}   // namespace orvane::panelo
