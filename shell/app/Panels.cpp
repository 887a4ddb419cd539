#include "shell/app/Panels.h"

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

private:
    [[maybe_unused]] PanelEnvironment& env_;
};

} // namespace

std::unique_ptr<PanelHost> createPanelHost(PanelEnvironment& env) { return std::make_unique<BuiltPanels>(env); }

} // namespace orvane::shell
