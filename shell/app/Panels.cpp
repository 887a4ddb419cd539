#include "shell/app/Panels.h"

#include "keymap/ui/KeyMapPanel.h"
#include "macro/ui/MacroManagerPanel.h"
#include "platform/ui/SkinImages.h"
#include "profile/ui/ProfilePanel.h"

namespace orvane::shell {

bool PanelHost::runKeyMap(QWidget*, const KeyMapRequest&, keymap::PendingAssignment&, uint8_t&)
{
    return false;
}

bool PanelHost::runMacroManager(QWidget*)
{
    return false;
}

void PanelHost::runProfile(QWidget*, const QRect&) {}

namespace {

// The panels of this build. Each panel is made from `env` when it opens and goes when it closes,
// and with it every image it decoded: a closed panel costs no memory.
class BuiltPanels final : public PanelHost {
public:
    explicit BuiltPanels(PanelEnvironment& env) : env_(env) {}
    bool runKeyMap(QWidget* owner, const KeyMapRequest& r, keymap::PendingAssignment& result,
                   uint8_t& keyEnabled) override
    {
        const ui::SkinImages::Scope images(env_.images);
        keymap::KeyMapPanel keyMap{env_.names, env_.images, env_.dialogs, env_.language, env_.dataFolder};
        return keyMap.run(owner, r.key, r.vk, env_.store.extTable(), env_.macros.saved(), result, keyEnabled);
    }
    bool runMacroManager(QWidget* owner) override
    {
        const ui::SkinImages::Scope images(env_.images);
        macro::MacroManagerPanel macroPanel{env_.macros, env_.names, env_.dialogs, env_.images,
                                            env_.language == model::Language::Chinese};
        return macroPanel.run(owner);
    }
    void runProfile(QWidget* owner, const QRect& mainWindowRect) override
    {
        const ui::SkinImages::Scope images(env_.images);
        profile::ui::ProfilePanel profile{env_.store,    env_.dialogs,         env_.images,
                                          env_.language, env_.configureFolder, env_.dataFolder};
        profile.setLoad(env_.loadProfile);
        profile.run(owner, mainWindowRect);
    }

private:
    PanelEnvironment& env_;
};

}   // namespace

std::unique_ptr<PanelHost> createPanelHost(PanelEnvironment& env)
{
    return std::make_unique<BuiltPanels>(env);
}

}   // namespace orvane::shell
