#include "profile/ui/ProfilePanel.h"

namespace orvane::profile::ui {

ProfilePanel::ProfilePanel(link::ConfigStore& store, orvane::ui::UserDialogs& dialogs,
                           const orvane::ui::SkinImages& images, model::Language language, QString configureFolder,
                           QString fileDialogFolder, link::Sleeper* sleeper)
    : store_(store), dialogs_(dialogs), images_(images), language_(language),
      configureFolder_(std::move(configureFolder)), fileDialogFolder_(std::move(fileDialogFolder)),
      sleeper_(sleeper ? *sleeper : realSleeper_)
{}

ProfilePanel::~ProfilePanel()
{
    // A panel whose owner went first is already gone (the pointer is then null).
    delete dialog_.data();
}

CConfigureDlg& ProfilePanel::dialog(QWidget* owner)
{
    if (!dialog_) {
        dialog_ = new CConfigureDlg(
            {store_, dialogs_, images_, language_, configureFolder_, fileDialogFolder_, sleeper_, load_}, owner);
    }
    return *dialog_;
}

int ProfilePanel::run(QWidget* owner, const QRect& mainWindowRect)
{
    return dialog(owner).run(mainWindowRect);
}

}   // namespace orvane::profile::ui
