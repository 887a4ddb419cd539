#pragma once
// The profile panel as the main window runs it: one CConfigureDlg for the whole run, made at its first
// opening as a window of the owner, with the real clock for its pauses unless a sleeper is given.

#include "profile/ui/CConfigureDlg.h"

#include <QPointer>

#include <memory>

namespace orvane::profile::ui {

class ProfilePanel {
public:
    ProfilePanel(link::ConfigStore& store, orvane::ui::UserDialogs& dialogs, const orvane::ui::SkinImages& images,
                 model::Language language, QString configureFolder, QString fileDialogFolder,
                 link::Sleeper* sleeper = nullptr);
    ~ProfilePanel();
    ProfilePanel(const ProfilePanel&) = delete;
    ProfilePanel& operator=(const ProfilePanel&) = delete;

    // Opens the panel modally beside the main window's rectangle; the panel's result code.
    int run(QWidget* owner, const QRect& mainWindowRect);
    // The panel (made on first use).
    CConfigureDlg& dialog(QWidget* owner = nullptr);
    // What the panel's Load runs (see ConfigureEnvironment::load); before the first opening.
    void setLoad(std::function<ProfileFolder::LoadResult(ProfileFolder&, int line, const std::string& from)> load)
    {
        load_ = std::move(load);
    }

private:
    link::ConfigStore& store_;
    orvane::ui::UserDialogs& dialogs_;
    const orvane::ui::SkinImages& images_;
    model::Language language_;
    QString configureFolder_;
    QString fileDialogFolder_;
    link::RealSleeper realSleeper_;
    link::Sleeper& sleeper_;
    QPointer<CConfigureDlg> dialog_;
    std::function<ProfileFolder::LoadResult(ProfileFolder&, int line, const std::string& from)> load_;
};

}   // namespace orvane::profile::ui
