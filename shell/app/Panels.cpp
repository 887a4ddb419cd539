#include "shell/app/Panels.h"

#include "keymap/ui/KeyMapPanel.h"
#include "macro/ui/MacroManagerPanel.h"
#include "profile/ui/ProfilePanel.h"

namespace orvane::shell {

bool PanelHost::runKeyMap(QWidget*, const KeyMapRequest&, keymap::PendingAssignment&, uint8_t&) { return false; }

bool PanelHost::runMacroManager(QWidget*) { return false; }

void PanelHost::runProfile(QWidget*, const QRect&) {}

namespace {

// The panels of this build. Each panel, when it joins, becomes a member constructed from `env`
// and its function here runs it through env_.dialogs.runModal().
class BuiltPanels final : public PanelHost {
public:
    explicit BuiltPanels(PanelEnvironment& env) : env_(env) {}
    bool runKeyMap(QWidget* owner, const KeyMapRequest& r, keymap::PendingAssignment& result,
                   uint8_t& keyEnabled) override
    {
        return keyMap_.run(owner, r.key, r.vk, env_.store.extTable(), env_.macros.saved(), result, keyEnabled);
    }
    bool runMacroManager(QWidget* owner) override { return macroPanel_.run(owner); }
    void runProfile(QWidget* owner, const QRect& mainWindowRect) override { profile_.run(owner, mainWindowRect); }

private:
    [[maybe_unused]] PanelEnvironment& env_;
    macro::MacroManagerPanel macroPanel_{env_.macros, env_.names, env_.dialogs, env_.images,
                                         env_.language == keymap::Language::Chinese};
    keymap::KeyMapPanel keyMap_{env_.names, env_.images, env_.dialogs, env_.language, env_.dataFolder};
    profile::ui::ProfilePanel profile_{env_.store, env_.dialogs, env_.images, platform::Language(int(env_.language)),
                                       env_.configureFolder, env_.dataFolder};
};

} // namespace

std::unique_ptr<PanelHost> createPanelHost(PanelEnvironment& env) { return std::make_unique<BuiltPanels>(env); }

} // namespace orvane::shell
