#include "commands/Tool.h"

#include "commands/Forwarding.h"
#include "commands/KeyNames.h"
#include "commands/MacroFile.h"
#include "commands/Report.h"
#include "keymap/logic/FunctionCatalogue.h"
#include "macro/MacroManager.h"
#include "platform/core/AtomicFile.h"
#include "platform/core/RegularFile.h"
#include "panelo/lcd/FreeTypeGlyphSource.h"
#include "panelo/lcd/LcdRenderer.h"
#include "profile/ProfileFolder.h"
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
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>
#include <QTimer>
#include <QEventLoop>

#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <functional>
#include <memory>
#include <mutex>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

namespace orvane::commands {

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

std::string macroNameUtf8(const std::u16string& name)
{
    return QString::fromStdU16String(name).toStdString();
}

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
    {}
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
    PrintingDevice(std::unique_ptr<hid::Device> inner, Printer& printer) : inner_(std::move(inner)), printer_(printer)
    {}
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
    {}
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
          backend(hid::Emulator::create(), printer), link(backend, observer, sleeper)
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
        // Loading a profile writes the live pair back into its file: the dry run's profiles are copies.
        const QDir configure(QString::fromStdString(env.folders->configureFolder()));
        QDir().mkpath(to + QStringLiteral("Configure"));
        for (const QFileInfo& f : configure.entryInfoList(QDir::Files | QDir::Hidden))
            if (f.isFile() && !QFile::copy(f.absoluteFilePath(), to + QStringLiteral("Configure/") + f.fileName())) {
                output.err += "orvanectl: cannot copy " + f.absoluteFilePath().toStdString() + " for the dry run\n";
                return kExitKeyboardFailed;
            }
        env.dataFolder = to.toStdString();
    }
    return std::nullopt;
}

usecases::SessionContext sessionContext(Environment& env, link::Sleeper& sleeper)
{
    return {.backend = *env.backend,
            .sleeper = sleeper,
            .dataFolder = env.dataFolder,
            .language = model::languageFor(platform::Settings().chinese()),
            .hotplugDelays = {}};
}

// Whether the keyboard's two interfaces are listed: without them nothing is started, and the data
// folder is not touched.
std::optional<int> requireKeyboard(Environment& env, Output& output)
{
    bool command = false, event = false;
    for (const hid::InterfaceInfo& info : env.backend->enumerate()) {
        command = command || link::MatchesInterface(info, link::LinkInterface::Command);
        event = event || link::MatchesInterface(info, link::LinkInterface::Event);
    }
    if (command && event)
        return std::nullopt;
    output.err += std::string("orvanectl: ") + kNoKeyboard + "\n";
    return kExitNoKeyboard;
}

// The start-up read; an exit code when the keyboard is not there or did not answer.
std::optional<int> readKeyboard(usecases::CommandRunner& runner, Output& output)
{
    switch (runner.startAndRead()) {
    case usecases::ReadOutcome::Read: return std::nullopt;
    case usecases::ReadOutcome::NoKeyboard:
        output.err += std::string("orvanectl: ") + kNoKeyboard + "\n";
        return kExitNoKeyboard;
    case usecases::ReadOutcome::ReadFailed:
        output.err += std::string("orvanectl: ") + kReadFailed + "\n";
        return kExitKeyboardFailed;
    }
    return kExitKeyboardFailed;
}

// ---- Where a command runs --------------------------------------------------------

using Check = std::function<std::optional<int>(const std::string& dataFolder, Output&)>;

// The session a command runs on: one of its own that reads the keyboard first, or the main
// program's, which has read it already.
class Host {
public:
    virtual ~Host() = default;
    // `check` (what can be checked against the data folder) first, then the keyboard; an exit
    // code when the command cannot go on.
    virtual std::optional<int> open(bool dryRun, const Check& check, Output& output) = 0;
    virtual usecases::CommandRunner& runner() = 0;
    usecases::Session& session() { return runner().session(); }
    virtual std::string dataFolder() const = 0;
    // A change reached the keyboard: whoever shows the configuration follows it.
    virtual void changed() {}
};

class OwnSession final : public Host {
public:
    ~OwnSession() override
    {
        if (runner_)
            runner_->finish();
    }
    std::optional<int> open(bool dryRun, const Check& check, Output& output) override
    {
        if (const std::optional<int> code = openEnvironment(env_, dryRun, output))
            return code;
        lockOutOtherCopies();
        if (check)
            if (const std::optional<int> code = check(env_.dataFolder, output))
                return code;
        if (const std::optional<int> code = requireKeyboard(env_, output))
            return code;
        session_ = std::make_unique<usecases::Session>(sessionContext(env_, sleeper_));
        runner_ = std::make_unique<usecases::CommandRunner>(*session_);
        return readKeyboard(*runner_, output);
    }
    usecases::CommandRunner& runner() override { return *runner_; }
    std::string dataFolder() const override { return env_.dataFolder; }

private:
    // One orvanectl at a time from its read to its last step: another one's read in between
    // would be out of date by the time it saves (the lighting goes whole with every upload).
    void lockOutOtherCopies()
    {
        std::string error;
        const std::optional<std::string> runtime = platform::runtimeFolder(error);
        if (!runtime)
            return;   // no private runtime folder: each operation still holds the keyboard alone
        lock_ = ::open((*runtime + "orvanectl.lock").c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
        if (lock_ >= 0)
            while (::flock(lock_, LOCK_EX) != 0 && errno == EINTR) {}
    }

    struct Descriptor {
        int fd = -1;
        Descriptor& operator=(int f)
        {
            fd = f;
            return *this;
        }
        bool operator>=(int v) const { return fd >= v; }
        operator int() const { return fd; }
        ~Descriptor()
        {
            if (fd >= 0)
                ::close(fd);
        }
    };
    Descriptor lock_;   // closed (and so released) after the session has finished
    Environment env_;
    link::RealSleeper sleeper_;
    std::unique_ptr<usecases::Session> session_;
    std::unique_ptr<usecases::CommandRunner> runner_;
};

// How long a forwarded command waits for the main program's start-up read.
constexpr int kStartupReadWaitMs = 5000;

class SharedSession final : public Host {
public:
    SharedSession(usecases::Session& session, std::string dataFolder)
        : runner_(session), dataFolder_(std::move(dataFolder))
    {}
    std::optional<int> open(bool dryRun, const Check& check, Output& output) override
    {
        if (dryRun) {
            // A dry run would edit the window's own pair and files; it needs a session of its own.
            output.err += "orvanectl: --dry-run does not run while QX410-Orvane is running; close it first\n";
            return kExitUsage;
        }
        if (check)
            if (const std::optional<int> code = check(dataFolder_, output))
                return code;
        link::KeyboardLink& link = runner_.session().keyboardLink();
        for (int waited = 0; runner_.session().settling() && waited < kStartupReadWaitMs; waited += 50) {
            QEventLoop loop;
            QTimer::singleShot(50, &loop, &QEventLoop::quit);
            loop.exec();
        }
        if (!link.commandOpen() || !link.eventOpen()) {
            output.err += std::string("orvanectl: ") + kNoKeyboard + "\n";
            return kExitNoKeyboard;
        }
        if (runner_.session().settling()) {
            output.err += std::string("orvanectl: ") + kReadFailed + "\n";
            return kExitKeyboardFailed;
        }
        return std::nullopt;
    }
    usecases::CommandRunner& runner() override { return runner_; }
    std::string dataFolder() const override { return dataFolder_; }
    void changed() override { runner_.session().configurationLoaded(1); }

private:
    usecases::CommandRunner runner_;
    std::string dataFolder_;
};

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

// One change of the keyboard's configuration: checked against the data folder before anything is
// opened or written, made in the session's working pair after the keyboard was read, then
// uploaded (or, in a dry run, printed).
struct Change {
    Check check;
    std::function<std::optional<int>(usecases::CommandRunner&, Output&)> edit;
    // After a failed upload, beyond Cancel (which puts the pair and keymap.bin back).
    std::function<void(usecases::Session&)> revert;
};

int changeAndSave(Host& host, const Invocation& inv, Output& output, const Change& change)
{
    if (const std::optional<int> code = host.open(inv.dryRun, change.check, output))
        return *code;
    usecases::CommandRunner& runner = host.runner();
    runner.beginChange();
    if (const std::optional<int> code = change.edit(runner, output))
        return *code;
    if (inv.dryRun) {
        DryRun dry(host.session(), output.out);
        dry.link.UploadChanges();
        return kExitDone;
    }
    const link::UploadResult result = runner.saveOrRevert();
    if (!usecases::uploadSucceeded(result)) {
        if (change.revert)
            change.revert(host.session());
        output.err += "orvanectl: " + uploadFailure(result) + "\n";
        return kExitKeyboardFailed;
    }
    host.changed();
    return kExitDone;
}

std::optional<int> usage(Output& output, const std::string& message)
{
    output.err += "orvanectl: " + message + "\n";
    return kExitUsage;
}

// ---- assign ------------------------------------------------------------------------------

std::size_t macrosInUse(const macro::MacroStore::Records& records)
{
    return std::min(macro::MacroStore::countInUse(records), macro::kMaxMacrosInUse);
}

int runAssign(Host& host, const Invocation& inv, Output& output)
{
    const AssignRequest& request = inv.assign;
    Change change;
    change.check = [&](const std::string& dataFolder, Output& out) -> std::optional<int> {
        if (request.kind != AssignRequest::Kind::Macro)
            return std::nullopt;
        macro::MacroStore::Records records;
        if (const std::string error = readMacroFile(dataFolder + "MacroDefine.bin", records); !error.empty()) {
            out.err += "orvanectl: " + error + "\n";
            return kExitKeyboardFailed;
        }
        if (std::size_t(request.macro) > macrosInUse(records))
            return usage(out, "assign: there is no macro " + std::to_string(request.macro) + " (orvanectl macro list)");
        return std::nullopt;
    };
    change.edit = [&](usecases::CommandRunner& runner, Output& out) -> std::optional<int> {
        using Kind = AssignRequest::Kind;
        usecases::Session& session = runner.session();
        session.beginKeyAssignment(uint8_t(request.key));
        keymap::PendingAssignment p;
        uint8_t enabled = session.keyEnabled();
        switch (request.kind) {
        case Kind::Key:
        case Kind::Combo:
            p.category = request.kind == Kind::Key ? keymap::acSingle : keymap::acCombine;
            std::copy(request.vks.begin(), request.vks.end(), p.keys.begin());
            p.keyCount = uint8_t(request.vks.size());
            break;
        case Kind::Function:
            p.category = keymap::acFunction;
            p.functionName = std::u16string(keymap::FunctionCatalogue[request.function].name(session.language()));
            break;
        case Kind::Macro:
            p.category = keymap::acMacro;
            p.macroIndex = request.macro - 1;
            break;
        case Kind::Sound:
            p.category = keymap::acPlaySound;
            p.path = request.path;
            break;
        case Kind::Program:
            p.category = keymap::acStartup;
            p.path = request.path;
            break;
        case Kind::File:
            p.category = keymap::acOpenFile;
            p.path = request.path;
            break;
        case Kind::Folder:
            p.category = keymap::acOpenFolder;
            p.path = request.path;
            break;
        case Kind::Disable: enabled = 0; break;
        case Kind::Enable: enabled = 1; break;
        case Kind::Default: p.keyCount = keymap::kResetToDefault; break;
        }
        if (session.commitKeyAssignment(p, enabled) != keymap::ApplyResult::Applied) {
            out.err += "orvanectl: assign: the assignment could not be made\n";
            return kExitUsage;
        }
        return std::nullopt;
    };
    return changeAndSave(host, inv, output, change);
}

// ---- macro -------------------------------------------------------------------------------

class NoKeyHook final : public macro::KeyHook {
public:
    bool install(int) override { return false; }
    void remove() override {}
};

// The saved macros of the data folder, without opening the keyboard.
std::optional<int> loadMacros(const std::string& dataFolder, macro::MacroStore::Records& records, Output& output)
{
    if (const std::string error = readMacroFile(dataFolder + "MacroDefine.bin", records); !error.empty()) {
        output.err += "orvanectl: " + error + "\n";
        return kExitKeyboardFailed;
    }
    return std::nullopt;
}

int runMacroRead(const Invocation& inv, Output& output)
{
    Environment env;
    if (const std::optional<int> code = openEnvironment(env, false, output))
        return *code;
    macro::MacroStore::Records records;
    if (const std::optional<int> code = loadMacros(env.dataFolder, records, output))
        return *code;
    const KeyNames names;
    const std::vector<MacroEntry> macros = describeMacros(records, names);
    if (inv.command == Command::MacroList) {
        if (inv.json) {
            QJsonArray array;
            for (const MacroEntry& m : macros)
                array.append(QJsonDocument::fromJson(QByteArray::fromStdString(macroJson(m, true))).object());
            output.out += QJsonDocument(QJsonObject{{"macros", array}}).toJson(QJsonDocument::Indented).toStdString();
        } else {
            for (const MacroEntry& m : macros)
                output.out += std::to_string(m.number) + "  " + m.name + "  (loops " + std::to_string(m.loops) + ", " +
                    std::to_string(m.events.size()) + " events)\n";
        }
        return kExitDone;
    }
    if (std::size_t(inv.number) > macros.size())
        return *usage(output,
                      "macro: there is no macro " + std::to_string(inv.number) + " (" + std::to_string(macros.size()) +
                          " macros)");
    const MacroEntry& m = macros[std::size_t(inv.number - 1)];
    if (inv.command == Command::MacroExport) {
        const std::string text = macroJson(m, false);
        const std::span<const uint8_t> bytes(reinterpret_cast<const uint8_t*>(text.data()), text.size());
        if (!platform::writeFileAtomically(inv.file, {bytes})) {
            output.err += "orvanectl: macro export: cannot write " + inv.file + ": " + std::strerror(errno) + "\n";
            return kExitKeyboardFailed;
        }
        return kExitDone;
    }
    if (inv.json) {
        output.out += macroJson(m, true);
        return kExitDone;
    }
    output.out += std::to_string(m.number) + "  " + m.name + "\nloops: " + std::to_string(m.loops) + "\nevents:\n";
    for (const MacroEventLine& e : m.events) {
        if (e.delayMs > 0)
            output.out += "  " + std::to_string(e.delayMs) + " ms\n";
        output.out += "  " + e.key + (e.release ? " release\n" : " press\n");
    }
    return kExitDone;
}

int runMacroChange(Host& host, const Invocation& inv, Output& output)
{
    const KeyNames names;
    macro::MacroRecord imported{};
    macro::MacroStore::Records before;
    std::string macroPath;
    Change change;
    change.check = [&](const std::string& dataFolder, Output& out) -> std::optional<int> {
        if (const std::optional<int> code = loadMacros(dataFolder, before, out))
            return code;
        const std::size_t count = macrosInUse(before);
        const std::size_t n = std::size_t(inv.number);
        if (inv.command == Command::MacroDelete) {
            if (n > count)
                return usage(out, "macro delete: there is no macro " + std::to_string(n));
            return std::nullopt;
        }
        if (n > count + 1)
            return usage(out,
                         "macro import: " + std::to_string(n) + " is beyond the next free number " +
                             std::to_string(count + 1));
        const platform::FileRead file = platform::readRegularFile(inv.file, 1 << 20);
        if (!file.ok())
            return usage(out, "macro import: " + inv.file + " cannot be read (" + file.describe() + ")");
        if (file.truncated)
            return usage(out, "macro import: " + inv.file + " is too large for a macro file");
        if (const std::string error = macroFromJson(file.bytes, names, imported); !error.empty())
            return usage(out, "macro import: " + inv.file + ": " + error);
        const std::u16string name = macro::recordName(imported);
        for (std::size_t i = 0; i < count; ++i)
            if (i != n - 1 && macro::recordName(before[i]) == name)
                return usage(out,
                             "macro import: macro " + std::to_string(i + 1) + " already has the name '" +
                                 macroNameUtf8(name) + "'");
        return std::nullopt;
    };
    change.edit = [&](usecases::CommandRunner& runner, Output&) -> std::optional<int> {
        usecases::Session& session = runner.session();
        macroPath = session.macroFilePath();
        before = session.macros().saved();
        session.beginMacroEdit();
        if (inv.command == Command::MacroImport) {
            session.macros().working()[std::size_t(inv.number - 1)] = imported;
        } else {
            // The macro manager's delete, as the panel runs it.
            NoKeyHook hook;
            macro::SteadyTickClock clock;
            macro::MacroManager manager(session.macros(), names.table(), hook, clock);
            manager.open();
            manager.selectMacro(inv.number - 1);
            manager.deleteMacro();
            manager.ok();
        }
        session.commitMacroEdit();
        return std::nullopt;
    };
    change.revert = [&](usecases::Session& session) {
        // MacroDefine.bin goes back with keymap.bin: the keyboard did not take the change.
        session.macros().saved() = before;
        session.macros().save(macroPath);
    };
    return changeAndSave(host, inv, output, change);
}

// ---- profile -----------------------------------------------------------------------------

int runProfileList(const Invocation& inv, Output& output)
{
    Environment env;
    if (const std::optional<int> code = openEnvironment(env, false, output))
        return *code;
    link::RealSleeper sleeper;
    profile::ProfileFolder folder(env.folders->configureFolder(), sleeper);
    folder.Scan();
    if (inv.json) {
        QJsonArray list;
        for (int i = 0; i < folder.count(); ++i)
            list.append(QJsonObject{{"name", QString::fromStdString(folder.names()[std::size_t(i)])},
                                    {"path", QString::fromStdString(folder.paths()[std::size_t(i)])}});
        output.out += QJsonDocument(QJsonObject{{"profiles", list}}).toJson(QJsonDocument::Indented).toStdString();
    } else {
        for (const std::string& name : folder.names())
            output.out += name + "\n";
    }
    return kExitDone;
}

int runProfileSave(Host& host, const Invocation& inv, Output& output)
{
    link::RealSleeper sleeper;
    std::unique_ptr<profile::ProfileFolder> folder;
    std::optional<int> line;
    const Check check = [&](const std::string& dataFolder, Output& out) -> std::optional<int> {
        folder = std::make_unique<profile::ProfileFolder>(dataFolder + "Configure", sleeper);
        folder->Scan();
        line = folder->lineOf(inv.name);
        if (!line && folder->isFull())
            return usage(out, "profile save: there are six profiles already; save into one of them");
        return std::nullopt;
    };
    if (const std::optional<int> code = host.open(false, check, output))
        return *code;
    const link::ConfigStore& store = host.session().store();
    const std::string path =
        line ? folder->paths()[std::size_t(*line)] : folder->folder() + "/" + profile::profileFileName(inv.name);
    const bool ok = line ? folder->Save(*line, store.image(), store.extTable(), "")
                         : profile::writeProfile(path, store.image(), store.extTable());
    if (!ok) {
        output.err += "orvanectl: profile save: cannot write " + path + "\n";
        return kExitKeyboardFailed;
    }
    return kExitDone;
}

int runProfileLoad(Host& host, const Invocation& inv, Output& output)
{
    link::RealSleeper sleeper;
    std::unique_ptr<profile::ProfileFolder> folder;
    int line = -1;
    Change change;
    change.check = [&](const std::string& dataFolder, Output& out) -> std::optional<int> {
        folder = std::make_unique<profile::ProfileFolder>(dataFolder + "Configure", sleeper);
        folder->Scan();
        const std::optional<int> found = folder->lineOf(inv.name);
        if (!found)
            return usage(out, "profile load: there is no profile '" + inv.name + "' (orvanectl profile list)");
        line = *found;
        if (!profile::hasProfileSize(folder->paths()[std::size_t(line)]))
            return usage(out, "profile load: " + folder->paths()[std::size_t(line)] + " is not a profile");
        return std::nullopt;
    };
    change.edit = [&](usecases::CommandRunner& runner, Output& out) -> std::optional<int> {
        const std::string path = folder->paths()[std::size_t(line)];
        if (runner.session().loadProfile(*folder, line, path) != profile::ProfileFolder::LoadResult::Loaded) {
            out.err += "orvanectl: profile load: " + path + " cannot be read\n";
            return kExitKeyboardFailed;
        }
        return std::nullopt;
    };
    return changeAndSave(host, inv, output, change);
}

int runShow(Host& host, bool json, Output& output)
{
    if (const std::optional<int> code = host.open(false, {}, output))
        return *code;
    const KeyNames names;
    const Configuration config = describeConfiguration(host.session(), names);
    output.out += json ? configurationJson(config) : configurationText(config);
    return kExitDone;
}

int runReset(Host& host, const Invocation& inv, Output& output)
{
    if (const std::optional<int> code = host.open(inv.dryRun, {}, output))
        return *code;
    if (inv.dryRun) {
        DryRun dry(host.session(), output.out);
        dry.link.FactoryResetKeyboard();
        return kExitDone;
    }
    if (!host.runner().factoryReset()) {
        output.err += std::string("orvanectl: ") + kResetFailed + "\n";
        return kExitKeyboardFailed;
    }
    host.changed();
    return kExitDone;
}

// The confirmation of a reset without --yes; an exit code when it is not given.
std::optional<int> confirmReset(const Invocation& inv, Output& output, Confirm confirm)
{
    if (inv.yes)
        return std::nullopt;
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
    return std::nullopt;
}

// The commands that work on the keyboard's configuration through a session.
int runOnHost(Host& host, const Invocation& inv, Output& output)
{
    switch (inv.command) {
    case Command::Show: return runShow(host, inv.json, output);
    case Command::Set: {
        Change change;
        change.edit = [&](usecases::CommandRunner& runner, Output&) -> std::optional<int> {
            applySettings(runner, inv.set);
            return std::nullopt;
        };
        return changeAndSave(host, inv, output, change);
    }
    case Command::Reset: return runReset(host, inv, output);
    case Command::Assign: return runAssign(host, inv, output);
    case Command::MacroImport:
    case Command::MacroDelete: return runMacroChange(host, inv, output);
    case Command::ProfileSave: return runProfileSave(host, inv, output);
    case Command::ProfileLoad: return runProfileLoad(host, inv, output);
    default: return kExitUsage;
    }
}

// ---- lcd ---------------------------------------------------------------------------------

// Pixels per inch for point sizes: the common desktop value (there is no screen to ask).
constexpr int kLcdDpiY = 96;

// The picture as a binary PBM: 132 x 32, a lit pixel black. The preview's rows are already
// 17 bytes, most significant bit leftmost, with the padding bits clear.
bool writePreview(const std::string& path, const panelo::LcdPreviewBitmap& bmp)
{
    const std::string header =
        "P4\n" + std::to_string(panelo::kPanelWidth) + " " + std::to_string(panelo::kPanelHeight) + "\n";
    return platform::writeFileAtomically(
        path, {std::span(reinterpret_cast<const uint8_t*>(header.data()), header.size()), std::span(bmp)});
}

// The first interface of the LCD's kind among those listed, as the download picks it.
std::string lcdPath(hid::Backend& backend)
{
    for (const hid::InterfaceInfo& info : backend.enumerate())
        if (panelo::PassesLcdPathFilter(info.vendorId, info.productId) && panelo::IsLcdInterface(info))
            return info.path;
    return {};
}

int runLcd(const Invocation& inv, Output& output)
{
    Environment env;
    if (const std::optional<int> code = openEnvironment(env, false, output))
        return *code;
    const std::string path = lcdPath(*env.backend);
    if (path.empty() && inv.preview.empty()) {
        output.err += "orvanectl: 请先插入设备！ (no keyboard with an LCD found: connect the keyboard)\n";
        return kExitNoKeyboard;
    }
    // A dry run downloads to an emulated keyboard and prints what went, under the real node.
    Printer printer(path, output.out);
    PrintingBackend dryBackend(hid::Emulator::create(), printer);
    printer.on = inv.dryRun;
    hid::Backend& backend = inv.dryRun ? static_cast<hid::Backend&>(dryBackend) : *env.backend;

    std::u16string message;
    panelo::PaneloHooks hooks;
    hooks.notify = [&](const std::u16string& text) { message = text; };
    panelo::FreeTypeGlyphSource glyphs;
    panelo::LcdRenderer renderer(backend, glyphs, kLcdDpiY, hooks);
    if (inv.command == Command::LcdLogo) {
        renderer.Default();
    } else {
        panelo::LogFont lf = panelo::InitialLogFont(kLcdDpiY);
        if (!inv.font.empty())
            lf.faceName = QString::fromStdString(inv.font).toStdU16String();
        if (inv.sizePt > 0)
            lf.height = -panelo::MulDiv(inv.sizePt, kLcdDpiY, 72);
        lf.weight = inv.bold ? panelo::kWeightBold : 0;
        lf.italic = inv.italic;
        renderer.setLogFont(lf);
        renderer.setText(QString::fromStdString(inv.text).toStdU16String());
        renderer.RenderText();
        if (inv.fit)
            renderer.AutoAdjustFont();
        if (!inv.preview.empty()) {
            renderer.RenderText();
            if (!writePreview(inv.preview, renderer.previewBitmap())) {
                output.err += "orvanectl: lcd text: cannot write " + inv.preview + ": " + std::strerror(errno) + "\n";
                return kExitKeyboardFailed;
            }
            return kExitDone;
        }
        renderer.Download();
    }
    const std::string said = QString::fromStdU16String(message).toStdString();
    if (message == panelo::kMsgDownloadOk)
        return kExitDone;
    if (message == panelo::kMsgNoDevice) {
        output.err += "orvanectl: " + said + " (no keyboard with an LCD found: connect the keyboard)\n";
        return kExitNoKeyboard;
    }
    output.err += "orvanectl: " + said + " (the keyboard did not take the picture; check that it is connected)\n";
    return kExitKeyboardFailed;
}

}   // namespace

bool usesSession(Command c)
{
    switch (c) {
    case Command::Show:
    case Command::Set:
    case Command::Reset:
    case Command::Assign:
    case Command::MacroImport:
    case Command::MacroDelete:
    case Command::ProfileSave:
    case Command::ProfileLoad: return true;
    default: return false;
    }
}

int runInvocation(const Invocation& inv, const std::vector<std::string>& args, Output& output, Confirm confirm)
{
    if (inv.command == Command::Reset)
        if (const std::optional<int> code = confirmReset(inv, output, confirm))
            return *code;
    if (usesSession(inv.command)) {
        // While the main program runs, it holds the keyboard and the configuration: it carries
        // the command out (a reset confirmed here goes with --yes).
        std::vector<std::string> sent = args;
        if (inv.command == Command::Reset && !inv.yes)
            sent.push_back("--yes");
        if (const std::optional<int> code = forwardToMainProgram(sent, output))
            return *code;
        OwnSession host;
        return runOnHost(host, inv, output);
    }
    switch (inv.command) {
    case Command::Help: output.out += helpText(inv.helpFor.value_or(Command::Help)); return kExitDone;
    case Command::Version: output.out += versionText(); return kExitDone;
    case Command::Names: output.out += namesText(inv.name); return kExitDone;
    case Command::List: return runList(inv.json, output);
    case Command::MacroList:
    case Command::MacroShow:
    case Command::MacroExport: return runMacroRead(inv, output);
    case Command::ProfileList: return runProfileList(inv, output);
    case Command::LcdText:
    case Command::LcdLogo: return runLcd(inv, output);
    default: return kExitUsage;
    }
}

int runOnMainProgramSession(const Invocation& inv, usecases::Session& session, const std::string& dataFolder,
                            Output& output)
{
    if (!usesSession(inv.command))
        return runInvocation(inv, {}, output, nullptr);
    SharedSession host(session, dataFolder);
    return runOnHost(host, inv, output);
}

}   // namespace orvane::commands
