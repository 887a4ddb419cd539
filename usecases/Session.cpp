#include "usecases/Session.h"

#include "keymap/logic/KeyCodes.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>

namespace orvane::usecases {

namespace img = link::image;

Session::Session(SessionContext ctx, QObject* parent)
    : QObject(parent), ctx_(std::move(ctx)), macroPath_(ctx_.dataFolder + "MacroDefine.bin"),
      names_(keymap::BuildKeyNameTable())
{
    link::LinkObserver& observer = *this;
    link_ = std::make_unique<link::KeyboardLink>(ctx_.backend, observer, ctx_.sleeper);
    link_->setHotplugDelays(ctx_.hotplugDelays);
    panel_ = std::make_unique<MainPanel>(store().image(), store().extTable());
    history_ = std::make_unique<EditHistory>(store(), macros_);
    history_->setOnApplied([this](const StepApplied& what) { followHistory(what); });
    panel_->setHistory(history_.get());
}

Session::~Session()
{
    link_->Close();
    resetStep_.reset();
}

// ---- Start-up ---------------------------------------------------------------

void Session::prepare()
{
    panel_->marks().fill(0);
    panel_->ClearHover();
    link_->RegisterForDeviceChanges();
    panel_->resetSections();
}

void Session::loadKeymapFile()
{
    const bool leftAlone = store().keymapLeftAlone();
    store().LoadKeymapFile();
    keymap::initRecordVks(store().extTable());
    if (store().keymapLeftAlone() && !leftAlone) {
        const int error = store().keymapError();
        std::fprintf(stderr, "QX410-Orvane: %s cannot be read (%s); it is left as it is and not saved for this run\n",
                     store().keymapPath().c_str(),
                     error == ENODEV       ? "not a regular file"
                         : error == ENOENT ? "a link to nothing"
                                           : std::strerror(error));
    }
}

void Session::start()
{
    macros_.load(macroPath_);
    macros_.beginEdit();
    // The working pair comes from keymap.bin and becomes the shadow before the link starts its
    // start-up read, whose results must land on top of it.
    store().setKeymapPath(ctx_.dataFolder + "keymap.bin");
    store().extTable() = {};
    store().setKeymapSkipImage(false);
    loadKeymapFile();
    store().CopyWorkingToShadow();
    // The sliders write their positions into the image; without a keyboard read they must start
    // from what keymap.bin holds.
    reportLevels();
    link_->StartUp();
    awaitingStartupRead_ = link_->commandOpen();
}

void Session::reportLevels()
{
    const link::ConfigImage& image = store().image();
    emit levelsChanged(image[img::kBrightness], image[img::kSpeed], image[img::kReportRate]);
}

// ---- What the link reports -------------------------------------------------

void Session::hideMainWindow()
{
    emit keyboardMissing();
}

void Session::setSlidersFromImage(uint8_t brightness, uint8_t speed, uint8_t reportRate)
{
    emit levelsChanged(brightness, speed, reportRate);
}

void Session::deviceNotificationRegistrationFailed()
{
    emit monitorUnavailable();
}

void Session::configurationLoaded(int lParam)
{
    awaitingStartupRead_ = false;
    reportLevels();
    panel_->RecomputeModifiedMarks();
    if (lParam == 1) {
        panel_->syncDiyFromEffect();
        finishConfigurationLoaded(lParam);
        return;
    }
    // After a keyboard read the lighting is read once more and the levels follow it; the rest
    // waits for that answer, which the link thread brings. Until then the configuration is still
    // settling: a change made meanwhile would be overwritten by the lighting it brings.
    lightingReadPending_ = true;
    link_->ReadLightingAsync([this](bool) {
        lightingReadPending_ = false;
        reportLevels();
        finishConfigurationLoaded(0);
    });
}

void Session::finishConfigurationLoaded(int lParam)
{
    store().SaveKeymapFile(link::KeymapSource::Working);
    emit configurationApplied(lParam);
}

void Session::keyboardReadFailed()
{
    // The pair keeps what keymap.bin gave it, with the areas read before the keyboard stopped
    // answering; nothing is confirmed, so keymap.bin and the shadow stay as they were.
    awaitingStartupRead_ = false;
    reportLevels();
    panel_->RecomputeModifiedMarks();
    emit readFailed();
}

void Session::keyNotification(uint8_t keyCode)
{
    const link::KeyExtRecord* record = keymap::findLaunchRecord(store().extTable(), keyCode);
    if (!record)
        return;
    emit hostAction(QString::fromStdU16String(keymap::recordPath(*record)),
                    keymap::recordCategory(*record) == keymap::acStartup);
}

// ---- Commands -----------------------------------------------------------------

void Session::setLevels(uint8_t speed, uint8_t brightness, uint8_t reportRate)
{
    // During the start-up read the keyboard's values are still arriving; the levels are set from
    // them once the read and its lighting read are done.
    if (settling())
        return;
    link::ConfigImage& image = store().image();
    // One level moves at a time; its drag is one step (merged by the level's offset).
    const bool speedMoves = image[img::kSpeed] != speed, brightnessMoves = image[img::kBrightness] != brightness;
    const StepName name = speedMoves ? step::kSpeed : brightnessMoves ? step::kBrightness : step::kReportRate;
    const std::size_t level = speedMoves ? img::kSpeed : brightnessMoves ? img::kBrightness : img::kReportRate;
    EditHistory::Recording recording(history_.get(), name, {.mergeId = int(level)});
    image[img::kSpeed] = speed;
    image[img::kBrightness] = brightness;
    image[img::kReportRate] = reportRate;
}

void Session::save()
{
    link_->UploadChangesAsync([this](link::UploadResult result) {
        if (result == link::UploadResult::NothingToSend)
            store().CopyWorkingToShadow();   // the records may differ where the image does not
        store().SaveKeymapFile(link::KeymapSource::Working);
        emit saveFinished(result);
    });
}

void Session::cancelEdits()
{
    // A step of its own: its undo gives the edits back.
    EditHistory::Recording recording(history_.get(), step::kCancel, {.files = true});
    store().CopyShadowToWorking();
    panel_->RecomputeModifiedMarks();
    panel_->syncDiyFromEffect();
    // The sliders write their positions into the image: they must show the restored values.
    reportLevels();
    store().SaveKeymapFile(link::KeymapSource::Working);
}

void Session::factoryReset()
{
    // The step runs to the read-back; until then nothing can be undone and what is edited
    // meanwhile belongs to it.
    if (!resetStep_)
        resetStep_ = std::make_unique<EditHistory::Recording>(history_.get(), step::kFactoryReset,
                                                              EditHistory::Options{.files = true});
    panel_->resetSections();
    link::ConfigImage& image = store().image();
    std::fill_n(image.begin() + img::kKeyEnable, img::kKeyEnableSize, uint8_t(0xFF));
    // The factory reset reads the keyboard back, key-enable bitmap included, on the link thread.
    link_->FactoryResetAsync([this](bool ok) {
        if (ok) {
            panel_->marks().fill(0);
            keymap::resetRecords(store().extTable());
            store().CopyWorkingToShadow();
        } else {
            // A reset the keyboard did not confirm changes nothing: the pair goes back to what the
            // keyboard held, with the records of its assignments (keymap.bin alone holds their
            // programs, files and folders). A keyboard that did reset is read again at its next start.
            store().CopyShadowToWorking();
            panel_->RecomputeModifiedMarks();
            panel_->syncDiyFromEffect();
        }
        reportLevels();
        store().SaveKeymapFile(link::KeymapSource::Working);
        resetStep_.reset();
        emit factoryResetFinished(ok);
    });
}

KeyMapRequest Session::beginKeyAssignment(uint8_t key)
{
    selectedKey_ = key;
    const uint8_t vk = keymap::KeyLayoutTable[key].vk;
    store().setKeymapSkipImage(true);
    loadKeymapFile();
    keyEnabled_ = keymap::keyEnabled(store().image(), key) ? 1 : 0;
    return {key, vk, names_.usage(vk)};
}

keymap::ApplyResult Session::commitKeyAssignment(const keymap::PendingAssignment& pending, uint8_t keyEnabled)
{
    EditHistory::Recording recording(history_.get(), step::kKeyAssignment, {.files = true});
    keyEnabled_ = keyEnabled;
    panel_->marks()[selectedKey_] = 0;
    keymap::AssignmentContext actx{store().image(), store().extTable(), panel_->marks(), selectedKey_,
                                   keyEnabled_,     ctx_.language,      macros_.saved(), names_};
    const keymap::ApplyResult result = keymap::ApplyAssignment(pending, actx);
    if (result != keymap::ApplyResult::Applied)
        return result;
    keymap::ApplyEnableState(actx);
    store().SaveKeymapFile(link::KeymapSource::Working);
    return result;
}

void Session::commitMacroEdit()
{
    EditHistory::Recording recording(history_.get(), step::kMacros, {.macros = true, .files = true});
    macros_.commit();
    macro::PackMacros(macros_.saved(), store().image());
    store().SaveKeymapFile(link::KeymapSource::Working);
    macros_.save(macroPath_);
}

profile::ProfileFolder::LoadResult Session::loadProfile(profile::ProfileFolder& folder, int line,
                                                        const std::string& from)
{
    EditHistory::Recording recording(history_.get(), step::kProfileLoad, {.files = true});
    const auto result = folder.Load(line, from, store().image(), store().extTable());
    if (result == profile::ProfileFolder::LoadResult::Loaded)
        configurationLoaded(1);
    return result;
}

void Session::followHistory(const StepApplied& what)
{
    panel_->RecomputeModifiedMarks();
    if (what.effect)
        panel_->syncDiyFromEffect();
    // The sliders write their positions into the image: they must show the restored values.
    reportLevels();
    if (what.files || what.records)
        store().SaveKeymapFile(link::KeymapSource::Working);
    if (what.macros)
        macros_.save(macroPath_);
    emit historyApplied();
}

void Session::exit(bool saveShadow)
{
    if (saveShadow)
        store().SaveKeymapFile(link::KeymapSource::Shadow);
    link_->Close();
}

}   // namespace orvane::usecases
