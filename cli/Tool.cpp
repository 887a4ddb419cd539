#include "cli/Tool.h"

#include "cli/KeyNames.h"
#include "cli/Report.h"
#include "emulator/Backend.h"
#include "link/Sleeper.h"
#include "platform/core/Folders.h"
#include "platform/core/Settings.h"
#include "platform/hid/KeyboardIds.h"
#include "platform/hid/Trace.h"
#include "platform/hotplug/Monitor.h"
#include "platform/hidraw/HidrawDevice.h"
#include "usecases/Commands.h"

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>

#include <atomic>
#include <chrono>
#include <memory>
#include <mutex>
#include <unistd.h>

namespace orvane::cli {

namespace img = link::image;

namespace {

// ---- Messages ----------------------------------------------------------------------

constexpr char kNoKeyboard[] =
    "no keyboard found: connect the keyboard (orvanectl list shows what is present and whether it may be opened)";
constexpr char kReadFailed[] =
    "the keyboard did not answer while its settings were being read; check that it is connected, then unplug it "
    "and plug it in again";
constexpr char kSaveFailed[] =
    "the settings could not be saved to the keyboard; nothing was changed on this computer. Check that the "
    "keyboard is connected and try again";
constexpr char kResetFailed[] =
    "the keyboard did not complete the factory reset; check that it is connected and try again";

std::string uploadFailure(link::UploadResult r)
{
    switch (r) {
    case link::UploadResult::NoKeyboard: return std::string(kSaveFailed) + " (the keyboard is not there)";
    case link::UploadResult::TimedOut: return std::string(kSaveFailed) + " (no acknowledgement)";
    case link::UploadResult::TransferFailed: return std::string(kSaveFailed) + " (a transfer failed)";
    default: return kSaveFailed;
    }
}

// ---- Dry run -----------------------------------------------------------------------

// The reports a command would send, printed in the HID trace's line format instead of reaching
// the keyboard: the sequence runs against an emulated keyboard in memory, and each set-feature
// and output report it sends becomes one line under the real keyboard's node.
class Printer {
public:
    Printer(std::string commandPath, std::string& out)
        : commandPath_(std::move(commandPath)), out_(out), start_(std::chrono::steady_clock::now())
    {
    }
    void record(const std::string& path, const char* op, std::span<const uint8_t> bytes)
    {
        if (!on.load())
            return;
        const double ms = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start_).count();
        const std::string& shown = path == hid::kEmulatorCommandPath ? commandPath_ : path;
        std::lock_guard lock(mutex_);
        out_ += hid::formatTraceLine(ms, shown, op, bytes) + "\n";
    }
    std::atomic<bool> on{false};

private:
    std::string commandPath_;
    std::string& out_;
    std::mutex mutex_;
    std::chrono::steady_clock::time_point start_;
};

class PrintingDevice final : public hid::Device {
public:
    PrintingDevice(std::unique_ptr<hid::Device> inner, Printer& printer) : inner_(std::move(inner)), printer_(printer) {}
    const hid::InterfaceInfo& info() const override { return inner_->info(); }
    bool setFeature(std::span<const uint8_t> r, hid::Millis t) override
    {
        const bool ok = inner_->setFeature(r, t);
        if (ok)
            printer_.record(info().path, "SF", r);
        return ok;
    }
    bool getFeature(std::span<uint8_t> r, hid::Millis t) override { return inner_->getFeature(r, t); }
    bool writeReport(std::span<const uint8_t> r, hid::Millis t) override
    {
        const bool ok = inner_->writeReport(r, t);
        if (ok)
            printer_.record(info().path, "W", r);
        return ok;
    }
    int readReport(std::span<uint8_t> b, hid::Millis t) override { return inner_->readReport(b, t); }
    void drainInput() override { inner_->drainInput(); }
    void interruptRead() override { inner_->interruptRead(); }

private:
    std::unique_ptr<hid::Device> inner_;
    Printer& printer_;
};

class PrintingBackend final : public hid::Backend {
public:
    PrintingBackend(std::shared_ptr<hid::Emulator> emulator, Printer& printer)
        : inner_(std::move(emulator)), printer_(printer)
    {
    }
    std::vector<hid::InterfaceInfo> enumerate() override { return inner_.enumerate(); }
    std::unique_ptr<hid::Device> open(const std::string& path) override
    {
        std::unique_ptr<hid::Device> d = inner_.open(path);
        return d ? std::make_unique<PrintingDevice>(std::move(d), printer_) : nullptr;
    }
    std::unique_ptr<hotplug::Monitor> createMonitor() override { return nullptr; }

private:
    hid::EmulatorBackend inner_;
    Printer& printer_;
};

class QuietObserver final : public link::LinkObserver {
public:
    void hideMainWindow() override {}
    void setSlidersFromImage(uint8_t, uint8_t, uint8_t) override {}
    void configurationLoaded(int) override {}
    void keyboardReadFailed() override {}
    void keyNotification(uint8_t) override {}
    void deviceNotificationRegistrationFailed() override {}
};

// A keyboard link to an emulated keyboard, holding the session's pair: what an upload or a
// factory reset sends from there is what it would send to the real keyboard.
struct DryRun {
    DryRun(usecases::Session& session, std::string& out)
        : printer(session.keyboardLink().FindInterface(link::LinkInterface::Command), out),
          backend(hid::Emulator::create(), printer),
          link(backend, observer, sleeper)
    {
        link.StartUp();
        link.WaitForIdle();
        link::ConfigStore& from = session.store();
        link.store().image() = from.image();
        link.store().shadowImage() = from.shadowImage();
        link.store().extTable() = from.extTable();
        link.store().shadowExtTable() = from.shadowExtTable();
        printer.on = true;
    }
    ~DryRun() { link.Close(); }

    Printer printer;
    PrintingBackend backend;
    QuietObserver observer;
    link::RealSleeper sleeper;
    link::KeyboardLink link;
};

// ---- The keyboard and the data folder ----------------------------------------------

struct Environment {
    std::unique_ptr<hid::Backend> backend;
    std::optional<platform::Folders> folders;
    std::unique_ptr<QTemporaryDir> scratch;   // a dry run's copy of the data folder
    std::string dataFolder;
};

// The backend and folders, as the main program resolves them; an exit code when they cannot be had.
std::optional<int> openEnvironment(Environment& env, bool dryRun, Output& output)
{
    std::string error;
    env.backend = hid::createBackendFromEnvironment(error);
    if (!env.backend) {
        output.err += "orvanectl: " + error + "\n";
        return kExitUsage;
    }
    env.folders = platform::Folders::resolve(platform::FolderInputs::fromProcess(), error);
    if (!env.folders) {
        output.err += "orvanectl: " + error + "\n";
        return kExitKeyboardFailed;
    }
    env.dataFolder = env.folders->dataFolder();
    if (dryRun) {
        // A dry run writes nothing: the session works on a copy of the files it would write.
        env.scratch = std::make_unique<QTemporaryDir>();
        if (!env.scratch->isValid()) {
            output.err += "orvanectl: cannot make a temporary folder for the dry run\n";
            return kExitKeyboardFailed;
        }
        const QString to = env.scratch->path() + QLatin1Char('/');
        for (const char* name : {"keymap.bin", "MacroDefine.bin"}) {
            const QString from = QString::fromStdString(env.dataFolder) + QLatin1String(name);
            if (QFile::exists(from) && !QFile::copy(from, to + QLatin1String(name))) {
                output.err += "orvanectl: cannot copy " + from.toStdString() + " for the dry run\n";
                return kExitKeyboardFailed;
            }
        }
        env.dataFolder = to.toStdString();
    }
    return std::nullopt;
}

usecases::SessionContext sessionContext(Environment& env, link::Sleeper& sleeper)
{
    const platform::Language language = platform::Settings().language();
    return {.backend = *env.backend,
            .sleeper = sleeper,
            .dataFolder = env.dataFolder,
            .language = language == platform::Language::Chinese ? keymap::Language::Chinese : keymap::Language::English,
            .hotplugDelays = {}};
}

// The start-up read; an exit code when the keyboard is not there or did not answer.
std::optional<int> readKeyboard(usecases::CommandRunner& runner, Output& output)
{
    switch (runner.startAndRead()) {
    case usecases::ReadOutcome::Read: return std::nullopt;
    case usecases::ReadOutcome::NoKeyboard: output.err += std::string("orvanectl: ") + kNoKeyboard + "\n"; return kExitNoKeyboard;
    case usecases::ReadOutcome::ReadFailed: output.err += std::string("orvanectl: ") + kReadFailed + "\n"; return kExitKeyboardFailed;
    }
    return kExitKeyboardFailed;
}

// ---- Commands ----------------------------------------------------------------------

int runList(bool json, Output& output)
{
    Environment env;
    if (const std::optional<int> code = openEnvironment(env, false, output))
        return *code;
    const std::vector<InterfaceEntry> entries = listInterfaces(*env.backend);
    output.out += json ? listJson(entries) : listText(entries);
    bool usable = false;
    for (const InterfaceEntry& e : entries) {
        usable = usable || e.accessible;
        if (!e.accessible && !json)
            output.err += e.hint + "\n";
    }
    if (entries.empty())
        output.err += "orvanectl: no keyboard of the family is present\n";
    return usable ? kExitDone : kExitNoKeyboard;
}

void applySettings(usecases::CommandRunner& runner, const SetValues& v)
{
    link::ConfigImage& image = runner.session().store().image();
    // The effect first, as the effect list chooses it (its colour rule included); an explicit
    // colour then overrides what the rule chose.
    if (v.effect)
        runner.chooseEffect(*v.effect);
    if (v.speed)
        image[img::kSpeed] = *v.speed;
    if (v.brightness)
        image[img::kBrightness] = *v.brightness;
    if (v.colour)
        image[img::kColour] = *v.colour;
    if (v.direction)
        image[img::kDirection] = *v.direction;
    for (std::size_t i = 0; i < v.colours.size(); ++i)
        if (v.colours[i])
            std::copy(v.colours[i]->begin(), v.colours[i]->end(), image.begin() + img::colourEntry(i));
    if (v.gameMode)
        image[img::kGameMode] = *v.gameMode ? 1 : 0;
    if (v.winLock)
        image[img::kWinLock] = *v.winLock ? 1 : 0;
    if (v.responseTime)
        image[img::kResponseTime] = *v.responseTime;
    if (v.reportRate)
        image[img::kReportRate] = *v.reportRate;
}

// The edit is made by `edit`; then the upload, or its reports in a dry run.
template <typename Edit>
int changeAndSave(const Invocation& inv, Output& output, Edit&& edit)
{
    Environment env;
    if (const std::optional<int> code = openEnvironment(env, inv.dryRun, output))
        return *code;
    link::RealSleeper sleeper;
    usecases::Session session(sessionContext(env, sleeper));
    usecases::CommandRunner runner(session);
    if (const std::optional<int> code = readKeyboard(runner, output)) {
        runner.finish();
        return *code;
    }
    if (const std::optional<int> code = edit(runner)) {
        runner.finish();
        return *code;
    }
    if (inv.dryRun) {
        DryRun dry(session, output.out);
        dry.link.UploadChanges();
        runner.finish();
        return kExitDone;
    }
    const link::UploadResult result = runner.saveOrRevert();
    runner.finish();
    if (!usecases::uploadSucceeded(result)) {
        output.err += "orvanectl: " + uploadFailure(result) + "\n";
        return kExitKeyboardFailed;
    }
    return kExitDone;
}

int runShow(bool json, Output& output)
{
    Environment env;
    if (const std::optional<int> code = openEnvironment(env, false, output))
        return *code;
    link::RealSleeper sleeper;
    usecases::Session session(sessionContext(env, sleeper));
    usecases::CommandRunner runner(session);
    if (const std::optional<int> code = readKeyboard(runner, output)) {
        runner.finish();
        return *code;
    }
    const KeyNames names;
    const Configuration config = describeConfiguration(session, names);
    runner.finish();
    output.out += json ? configurationJson(config) : configurationText(config);
    return kExitDone;
}

int runReset(const Invocation& inv, Output& output, Confirm confirm)
{
    if (!inv.yes) {
        bool answered = false;
        const bool ok = confirm && confirm("Return the keyboard to its factory settings? [y/N] ", answered);
        if (!answered) {
            output.err += "orvanectl: reset: confirm with --yes (there is no terminal to ask)\n";
            return kExitUsage;
        }
        if (!ok) {
            output.err += "orvanectl: reset: not confirmed; nothing was changed\n";
            return kExitDone;
        }
    }
    Environment env;
    if (const std::optional<int> code = openEnvironment(env, inv.dryRun, output))
        return *code;
    link::RealSleeper sleeper;
    usecases::Session session(sessionContext(env, sleeper));
    usecases::CommandRunner runner(session);
    if (const std::optional<int> code = readKeyboard(runner, output)) {
        runner.finish();
        return *code;
    }
    if (inv.dryRun) {
        DryRun dry(session, output.out);
        dry.link.FactoryResetKeyboard();
        runner.finish();
        return kExitDone;
    }
    const bool ok = runner.factoryReset();
    runner.finish();
    if (!ok) {
        output.err += std::string("orvanectl: ") + kResetFailed + "\n";
        return kExitKeyboardFailed;
    }
    return kExitDone;
}

} // namespace

int runInvocation(const Invocation& inv, Output& output, Confirm confirm)
{
    switch (inv.command) {
    case Command::Help: output.out += helpText(inv.helpFor.value_or(Command::Help)); return kExitDone;
    case Command::Version: output.out += versionText(); return kExitDone;
    case Command::List: return runList(inv.json, output);
    case Command::Show: return runShow(inv.json, output);
    case Command::Set:
        return changeAndSave(inv, output, [&](usecases::CommandRunner& runner) -> std::optional<int> {
            applySettings(runner, inv.set);
            return std::nullopt;
        });
    case Command::Reset: return runReset(inv, output, confirm);
    }
    return kExitUsage;
}

} // namespace orvane::cli
