#pragma once
// The help menu's companions and the firmware check, behind one interface that the main window
// calls; createCompanions() is the single place that builds the program's implementation.
//
// The companions: the firmware updater and the LCD program, both started from the install
// folder as separate programs without arguments and not waited for, and the maker's web page in
// the desktop's default browser. How they are started goes through CompanionStarter, so tests
// see the paths without launching anything.

#include <QString>

#include <array>
#include <cstdint>
#include <memory>

class QWidget;

namespace orvane::ui {
class UserDialogs;
}

namespace orvane::shell {

using VersionBytes = std::array<uint8_t, 4>;   // major, minor, 0, 0

// File names in the install folder, and the maker's web page (the help menu's first row shows
// its host name).
inline constexpr const char* kUpdaterProgram = "QX410-Orvane_Update";
inline constexpr const char* kLcdProgram = "Lumetra";
inline constexpr const char* kMakerWebPage = "https://www.qx410-orvane.example/";

struct CompanionEnvironment {
    ui::UserDialogs& dialogs;
    QString installFolder;   // ends in '/'
    bool chinese = false;
};

class Companions {
public:
    virtual ~Companions() = default;
    virtual void openWebPage() {}     // help row 0: the maker's web page
    virtual void startUpdater() {}    // help row 1: the firmware updater
    virtual void startLcdTool() {}    // help row 2: the LCD program
    // After a keyboard read (configuration loaded, lParam 0): offer an update when the shipped
    // firmware (VER.bin) is newer than the keyboard's.
    virtual void checkFirmware(QWidget* /*owner*/, VersionBytes /*keyboard*/, VersionBytes /*shipped*/) {}
};

// Starting a companion. Results are not looked at: a missing program or browser changes nothing
// for the main window.
class CompanionStarter {
public:
    virtual ~CompanionStarter() = default;
    // Starts `program` as its own process with no arguments; never through a shell.
    virtual void startProgram(const QString& program) = 0;
    // Opens a web address in the default browser.
    virtual void openUrl(const QString& url) = 0;
};

class DesktopCompanionStarter final : public CompanionStarter {
public:
    void startProgram(const QString& program) override;
    void openUrl(const QString& url) override;
};

enum class Companion { WebPage, Updater, LcdTool };

class DesktopCompanions final : public Companions {
public:
    DesktopCompanions(const CompanionEnvironment& env, std::unique_ptr<CompanionStarter> starter);

    void StartCompanion(Companion which);
    // The full path of a companion program in the install folder.
    QString programPath(Companion which) const;

    void openWebPage() override { StartCompanion(Companion::WebPage); }
    void startUpdater() override { StartCompanion(Companion::Updater); }
    void startLcdTool() override { StartCompanion(Companion::LcdTool); }
    void checkFirmware(QWidget* owner, VersionBytes keyboard, VersionBytes shipped) override;

private:
    ui::UserDialogs& dialogs_;
    QString installFolder_;
    bool chinese_;
    std::unique_ptr<CompanionStarter> starter_;
    bool promptOpen_ = false;
};

std::unique_ptr<Companions> createCompanions(const CompanionEnvironment& env);
// The same with another starter (tests).
std::unique_ptr<Companions> createCompanions(const CompanionEnvironment& env, std::unique_ptr<CompanionStarter> starter);

} // namespace orvane::shell
