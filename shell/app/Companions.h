#pragma once
// The help menu's companions and the firmware check, behind one interface that the main window
// calls; createCompanions() is the single place that builds the program's implementation.
//
// The companions: the firmware updater and the LCD program, both started from the install
// folder as separate programs without arguments and not waited for, and the maker's web page in
// the desktop's default browser. How they are started goes through CompanionStarter, so tests
// see the paths without launching anything.

#include <QString>

#include "platform/core/FirmwareVersion.h"

#include <array>
#include <cstdint>
#include <memory>

class QWidget;

namespace orvane::ui {
class UserDialogs;
}

namespace orvane::shell {

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
    // The help menu's rows; what cannot be started is said in a message box over `owner`.
    virtual void openWebPage(QWidget* /*owner*/) {}    // row 0: the maker's web page
    virtual void startUpdater(QWidget* /*owner*/) {}   // row 1: the firmware updater
    virtual void startLcdTool(QWidget* /*owner*/) {}   // row 2: the LCD program
    // After a keyboard read (configuration loaded, lParam 0): offer an update when the shipped
    // firmware (VER.bin) is newer than the keyboard's.
    virtual void checkFirmware(QWidget* /*owner*/, platform::FirmwareVersion /*keyboard*/,
                               platform::FirmwareVersion /*shipped*/)
    {}
};

enum class Companion { WebPage, Updater, LcdTool };

// Starting a companion; false when it could not be started (no such program, not runnable, no
// browser). The main window is not changed by a failure; the user is told what is missing.
class CompanionStarter {
public:
    virtual ~CompanionStarter() = default;
    // Starts `program` as its own process with no arguments; never through a shell.
    virtual bool startProgram(const QString& program) = 0;
    // Opens a web address in the default browser.
    virtual bool openUrl(const QString& url) = 0;
};

class DesktopCompanionStarter final : public CompanionStarter {
public:
    bool startProgram(const QString& program) override;
    bool openUrl(const QString& url) override;
};

// What the help menu says when a companion could not be started, in the window's language.
QString companionFailureText(Companion which, const QString& target, bool missing, bool chinese);

class DesktopCompanions final : public Companions {
public:
    DesktopCompanions(const CompanionEnvironment& env, std::unique_ptr<CompanionStarter> starter);

    // Starts a companion; a failure is reported in a message box over `owner`.
    void StartCompanion(Companion which, QWidget* owner = nullptr);
    // The full path of a companion program in the install folder.
    QString programPath(Companion which) const;

    void openWebPage(QWidget* owner) override { StartCompanion(Companion::WebPage, owner); }
    void startUpdater(QWidget* owner) override { StartCompanion(Companion::Updater, owner); }
    void startLcdTool(QWidget* owner) override { StartCompanion(Companion::LcdTool, owner); }
    void checkFirmware(QWidget* owner, platform::FirmwareVersion keyboard, platform::FirmwareVersion shipped) override;

private:
    ui::UserDialogs& dialogs_;
    QString installFolder_;
    bool chinese_;
    std::unique_ptr<CompanionStarter> starter_;
    bool promptOpen_ = false;
};

std::unique_ptr<Companions> createCompanions(const CompanionEnvironment& env);
// The same with another starter (tests).
std::unique_ptr<Companions> createCompanions(const CompanionEnvironment& env,
                                             std::unique_ptr<CompanionStarter> starter);

}   // namespace orvane::shell
