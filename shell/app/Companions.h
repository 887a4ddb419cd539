#pragma once
// The help menu's companions and the firmware check, behind one interface that the companion
// programs' code fills (createCompanions() in shell/app/Companions.cpp is the single place that
// builds it). The base class does nothing.

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

std::unique_ptr<Companions> createCompanions(const CompanionEnvironment& env);

} // namespace orvane::shell
