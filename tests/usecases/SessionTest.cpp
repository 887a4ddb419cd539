// The main program's use cases without a window: the session on the emulated keyboard under a
// QCoreApplication, checked through the working and shadow pair, keymap.bin, MacroDefine.bin, the
// keyboard's own image, the HID trace and the session's signals.

#include "keymap/logic/KeyCodes.h"
#include "emulator/Emulator.h"
#include "emulator/EmulatorState.h"
#include "emulator/FaultPlan.h"
#include "platform/hid/Trace.h"
#include "profile/ProfileFolder.h"
#include "usecases/Commands.h"
#include "usecases/Session.h"
#include "tests/support/NoSleeper.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <fstream>

using namespace orvane;
using usecases::Session;
namespace img = link::image;

namespace {

using test::NoSleeper;

struct Levels {
    uint8_t brightness, speed, reportRate;
    bool operator==(const Levels&) const = default;
};

// Something else than the factory state, as a keymap.bin of an earlier run may hold.
link::ConfigImage earlierImage()
{
    link::ConfigImage im = hid::factoryImage();
    im[img::kEffect] = 3;
    im[img::kBrightness] = 20;
    im[img::kSpeed] = 7;
    im[img::kResponseTime] = 4;
    return im;
}

// A keyboard that sends no bulk input reports and no acknowledgements.
constexpr char kSilent[] = "read-stall@1x*,no-ack@1x*";
// The start-up read takes 145 bulk input reports; every later one stalls.
constexpr char kStallAfterStartUp[] = "read-stall@146x*";

class SessionTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        emulator = hid::Emulator::create();
        std::string error;
        sink = hid::TraceSink::open(dir.filePath("trace.txt").toStdString(), error);
        ASSERT_TRUE(sink) << error;
        backend = std::make_unique<hid::TraceBackend>(std::make_unique<hid::EmulatorBackend>(emulator), sink);
    }

    void plan(const char* faults)
    {
        std::string error;
        std::optional<hid::FaultPlan> p = hid::FaultPlan::parse(faults, error);
        ASSERT_TRUE(p) << error;
        emulator->setFaultPlan(std::move(*p));
    }

    void make()
    {
        session = std::make_unique<Session>(usecases::SessionContext{
            .backend = *backend,
            .sleeper = paced ? static_cast<link::Sleeper&>(realPace) : static_cast<link::Sleeper&>(sleeper),
            .dataFolder = dir.path().toStdString() + '/',
            .language = keymap::Language::English,
            .hotplugDelays = {0, 0, 0}});
        QObject::connect(session.get(), &Session::levelsChanged, [this](uint8_t b, uint8_t s, uint8_t r) {
            levels.push_back({b, s, r});
        });
        QObject::connect(session.get(), &Session::configurationApplied, [this](int l) { applied.push_back(l); });
        QObject::connect(session.get(), &Session::readFailed, [this] { ++readFailures; });
        QObject::connect(session.get(), &Session::keyboardMissing, [this] { ++missing; });
        QObject::connect(session.get(), &Session::saveFinished, [this](link::UploadResult r) { saves.push_back(r); });
        QObject::connect(session.get(), &Session::factoryResetFinished, [this](bool ok) { resets.push_back(ok); });
    }
    // The start-up as the main window runs it, up to the end of the keyboard's read.
    void start()
    {
        make();
        session->prepare();
        session->start();
        settle();
    }
    // Every link operation asked for has run and its result is applied.
    void settle()
    {
        session->keyboardLink().WaitForIdle();
        QCoreApplication::processEvents();
    }

    link::ConfigStore& store() { return session->store(); }

    QString keymapPath() const { return dir.filePath("keymap.bin"); }
    QByteArray keymapFile() const
    {
        QFile f(keymapPath());
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }
    void writeKeymapFile(const link::ConfigImage& image) const
    {
        QByteArray bytes(int(link::kKeymapFileSize), '\0');
        std::copy(image.begin(), image.end(), bytes.begin());
        QFile f(keymapPath());
        ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write(bytes);
    }
    QByteArray pairBytes(bool shadow)
    {
        const link::ConfigImage& image = shadow ? store().shadowImage() : store().image();
        const link::KeyExtTable& ext = shadow ? store().shadowExtTable() : store().extTable();
        QByteArray b(reinterpret_cast<const char*>(image.data()), int(image.size()));
        for (const link::KeyExtRecord& r : ext)
            b.append(reinterpret_cast<const char*>(r.data()), int(r.size()));
        return b;
    }

    // The command byte of each set-feature sent since the trace was last cleared, as hex.
    std::vector<std::string> sentCommands() const
    {
        std::vector<std::string> out;
        std::ifstream in(dir.filePath("trace.txt").toStdString());
        for (std::string line; std::getline(in, line);)
            if (const std::size_t at = line.find(" SF "); at != std::string::npos)
                out.push_back(line.substr(at + 7, 2));
        return out;
    }
    int countSent(const std::string& command) const
    {
        const std::vector<std::string> sent = sentCommands();
        return int(std::count(sent.begin(), sent.end(), command));
    }
    void clearTrace() const { QFile(dir.filePath("trace.txt")).resize(0); }

    QTemporaryDir dir;
    std::shared_ptr<hid::Emulator> emulator;
    std::shared_ptr<hid::TraceSink> sink;
    std::unique_ptr<hid::Backend> backend;
    NoSleeper sleeper;
    link::RealSleeper realPace;   // the protocol's own pauses: a read-all takes a few hundred ms
    bool paced = false;           // make() gives the session realPace instead of sleeper
    std::unique_ptr<Session> session;
    std::vector<Levels> levels;
    std::vector<int> applied;
    std::vector<link::UploadResult> saves;
    std::vector<bool> resets;
    int readFailures = 0, missing = 0;
};

TEST_F(SessionTest, StartUpPutsKeymapBinInTheShadowThenTheKeyboardsReadOnTop)
{
    writeKeymapFile(earlierImage());
    make();
    session->prepare();
    session->start();
    // keymap.bin is the working pair and the shadow before the keyboard's answers land.
    ASSERT_TRUE(session->awaitingStartupRead());
    EXPECT_EQ(store().image(), earlierImage());
    EXPECT_EQ(store().shadowImage(), earlierImage());
    ASSERT_EQ(levels.size(), 1u);
    EXPECT_EQ(levels[0], (Levels{20, 7, earlierImage()[img::kReportRate]}));
    session->setLevels(1, 2, 3);   // the sliders follow the read, they do not write into it yet
    EXPECT_EQ(store().image()[img::kSpeed], 7);

    settle();
    EXPECT_FALSE(session->awaitingStartupRead());
    EXPECT_EQ(applied, std::vector<int>{0});
    EXPECT_EQ(readFailures, 0);
    EXPECT_EQ(store().image(), emulator->image());
    EXPECT_EQ(store().image(), store().shadowImage());
    EXPECT_EQ(levels.back(), (Levels{50, 5, emulator->image()[img::kReportRate]}));
    EXPECT_EQ(countSent("88"), 2) << "the lighting is read once more after the read-all";
    EXPECT_EQ(keymapFile(), pairBytes(false));
    session->setLevels(2, 30, 1);
    EXPECT_EQ(store().image()[img::kBrightness], 30);
}

// The window thread goes on while the start-up read runs on the link thread: clicks write the
// working image (game mode, Win Lock, the colour rule of a paint), paints and the marks read it,
// the sliders move. Then the read's areas hold what the keyboard holds, in the working image and
// the shadow, and the slider moves made meanwhile are gone. Built with ORVANE_TSAN, this is where
// a link thread touching the image the window edits shows.
TEST_F(SessionTest, WindowThreadEditsDuringTheStartUpReadGiveWayToTheKeyboard)
{
    writeKeymapFile(earlierImage());
    paced = true;
    make();
    session->prepare();
    session->start();
    usecases::MainPanel& panel = session->panel();
    int edits = 0;
    while (session->awaitingStartupRead()) {
        panel.runStateCommand(edits % 2 ? usecases::cmd::kGameOn : usecases::cmd::kGameOff);
        panel.runStateCommand(edits % 3 ? usecases::cmd::kWinLockOn : usecases::cmd::kWinLockOff);
        panel.clampColour();
        panel.RecomputeModifiedMarks();
        (void)panel.speedSliderShown();
        session->setLevels(uint8_t(edits % 10), uint8_t(edits % 51), 3);
        ++edits;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 1);
    }
    settle();
    EXPECT_GT(edits, 1) << "the read must run while the window edits";
    EXPECT_EQ(applied, std::vector<int>{0});
    EXPECT_EQ(store().image(), emulator->image());
    EXPECT_EQ(store().shadowImage(), emulator->image());
    EXPECT_EQ(levels.back(), (Levels{50, 5, emulator->image()[img::kReportRate]}));
    EXPECT_EQ(keymapFile(), pairBytes(false));
}

// The start-up ends with a second read of the lighting. An edit made the moment the session says
// it has settled (a command forwarded by orvanectl waits for that) must not be overwritten by
// that read: the keyboard then gets it with the next Save.
TEST_F(SessionTest, AnEditRightAfterTheStartUpSurvivesItsLightingRead)
{
    make();
    session->prepare();
    session->start();
    for (int i = 0; i < 100000 && session->settling(); ++i)
        QCoreApplication::processEvents();
    ASSERT_FALSE(session->settling());
    const link::ConfigImage& im = store().image();
    session->setLevels(im[img::kSpeed], 10, im[img::kReportRate]);
    ASSERT_EQ(store().image()[img::kBrightness], 10);
    session->save();
    settle();
    EXPECT_EQ(saves, std::vector<link::UploadResult>{link::UploadResult::Uploaded});
    EXPECT_EQ(emulator->image()[img::kBrightness], 10);
    EXPECT_EQ(store().image()[img::kBrightness], 10);
}

TEST_F(SessionTest, StartUpOnASilentKeyboardKeepsKeymapBinAndTheShadow)
{
    writeKeymapFile(earlierImage());
    const QByteArray before = keymapFile();
    plan(kSilent);
    start();
    EXPECT_EQ(readFailures, 1);
    EXPECT_TRUE(applied.empty());
    EXPECT_FALSE(session->awaitingStartupRead());
    // The answers before the first stalled step are in the working image (the lighting comes by
    // feature report); the rest is what keymap.bin held.
    EXPECT_EQ(store().image()[img::kEffect], emulator->image()[img::kEffect]);
    EXPECT_EQ(store().image()[img::kKeyEnable], earlierImage()[img::kKeyEnable]);
    EXPECT_EQ(store().shadowImage(), earlierImage()) << "nothing was confirmed";
    EXPECT_EQ(keymapFile(), before);
}

TEST_F(SessionTest, StartWithoutKeyboardThenItsArrivalReadsIt)
{
    emulator->unplug();
    start();
    EXPECT_EQ(missing, 1);
    EXPECT_FALSE(session->awaitingStartupRead());
    EXPECT_TRUE(applied.empty());
    emulator->replug();
    for (int i = 0; i < 400 && applied.size() < 2; ++i) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        settle();
    }
    // One configuration-loaded message for each interface the arrival opened.
    EXPECT_EQ(applied, (std::vector<int>{0, 0}));
    EXPECT_TRUE(session->keyboardLink().commandOpen());
    EXPECT_EQ(store().image(), emulator->image());
    EXPECT_EQ(levels.back(), (Levels{50, 5, emulator->image()[img::kReportRate]}));
    EXPECT_EQ(keymapFile(), pairBytes(false));
}

TEST_F(SessionTest, SaveSendsOnlyTheChangedAreas)
{
    const struct {
        const char* what;
        void (*edit)(Session&);
        std::vector<std::string> sent;
    } cases[] = {
        {"brightness: the end report alone",
         [](Session& s) {
             const link::ConfigImage& im = s.store().image();
             s.setLevels(im[img::kSpeed], 33, im[img::kReportRate]);
         },
         {"08"}},
        {"effect: the end report alone", [](Session& s) { s.store().image()[img::kEffect] = 3; }, {"08"}},
        {"response time", [](Session& s) { s.store().image()[img::kResponseTime] = 6; }, {"08", "04", "08"}},
        {"game mode", [](Session& s) { s.store().image()[img::kGameMode] ^= 1; }, {"08", "09", "08"}},
        {"one macro block", [](Session& s) { s.store().image()[img::macroBlock(2) + 5] = 7; }, {"08", "11", "08"}},
        {"one light map", [](Session& s) { s.store().image()[img::lightMap(1) + 1] = 0xFF; }, {"08", "12", "08"}},
    };
    start();
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        saves.clear();
        c.edit(*session);
        const link::ConfigImage edited = store().image();
        clearTrace();
        session->save();
        settle();
        EXPECT_EQ(sentCommands(), c.sent);
        EXPECT_EQ(saves, std::vector<link::UploadResult>{link::UploadResult::Uploaded});
        EXPECT_EQ(store().shadowImage(), edited);
        EXPECT_EQ(emulator->image(), edited);
        EXPECT_EQ(keymapFile(), pairBytes(false));
    }
    // Nothing changed since: nothing is sent, and the records become the shadow's too.
    store().extTable()[7][0] ^= 1;
    saves.clear();
    clearTrace();
    session->save();
    settle();
    EXPECT_TRUE(sentCommands().empty());
    EXPECT_EQ(saves, std::vector<link::UploadResult>{link::UploadResult::NothingToSend});
    EXPECT_EQ(pairBytes(true), pairBytes(false));
}

// A command that sets the effect while a window shows the session (orvanectl through the main
// program) chooses it as the effect list does, colour rule included, and leaves the sections the
// window's user opened as they were.
TEST_F(SessionTest, ACommandsEffectChoiceKeepsTheOpenSections)
{
    start();
    usecases::MainPanel& panel = session->panel();
    panel.runStateCommand(usecases::cmd::kLightHeader);
    panel.runStateCommand(usecases::cmd::kResponseHeader);
    ASSERT_FALSE(panel.lightCollapsed());
    usecases::CommandRunner runner(*session);
    ASSERT_TRUE(runner.chooseEffect(usecases::kEffectWave));
    EXPECT_EQ(store().image()[img::kColour], 8);   // the wave's own colour
    EXPECT_FALSE(panel.lightCollapsed());
    EXPECT_FALSE(panel.responseCollapsed());
    EXPECT_FALSE(panel.effectListOpen());
    EXPECT_FALSE(runner.chooseEffect(200));
    EXPECT_EQ(store().image()[img::kEffect], usecases::kEffectWave);
}

TEST_F(SessionTest, SaveOnAKeyboardThatStopsAcknowledgingKeepsTheEditsForTheNextSave)
{
    start();
    plan("no-ack@1x*");
    store().image()[img::kResponseTime] = 9;
    session->save();
    settle();
    EXPECT_EQ(saves, std::vector<link::UploadResult>{link::UploadResult::TimedOut});
    EXPECT_EQ(store().shadowImage()[img::kResponseTime], 1) << "nothing was confirmed";
    EXPECT_EQ(store().image()[img::kResponseTime], 9);
    EXPECT_EQ(keymapFile(), pairBytes(false)) << "the edits are on disk";
    // The keyboard answers again: the next Save sends what is missing.
    plan("");
    saves.clear();
    session->save();
    settle();
    EXPECT_EQ(saves, std::vector<link::UploadResult>{link::UploadResult::Uploaded});
    EXPECT_EQ(emulator->image()[img::kResponseTime], 9);
}

TEST_F(SessionTest, CancelRestoresTheShadowPairAndKeymapBin)
{
    start();
    store().image()[img::kEffect] = 52;   // DIY2
    store().image()[img::kBrightness] = 7;
    store().extTable()[3][0] ^= 0x40;
    session->panel().setDiyMode(true);
    levels.clear();
    session->cancelEdits();
    EXPECT_EQ(pairBytes(false), pairBytes(true));
    EXPECT_EQ(keymapFile(), pairBytes(true));
    EXPECT_FALSE(session->panel().diyMode()) << "the DIY flag follows the restored effect";
    ASSERT_EQ(levels.size(), 1u) << "the sliders are told the restored values";
    EXPECT_EQ(levels[0].brightness, 50);
}

TEST_F(SessionTest, FactoryResetReadsTheKeyboardBackAsTheNewShadow)
{
    start();
    store().image()[img::kEffect] = 3;
    store().image()[img::kKeyEnable + 2] = 0x00;   // eight keys disabled
    session->save();
    settle();
    ASSERT_EQ(emulator->image()[img::kEffect], 3);
    store().extTable()[20][link::ext::kCategory] = keymap::acFunction;
    session->panel().runStateCommand(usecases::cmd::kLightHeader);
    session->panel().marks()[20] = 1;
    clearTrace();
    session->factoryReset();
    settle();
    EXPECT_EQ(resets, std::vector<bool>{true});
    EXPECT_EQ(countSent("13"), 1);
    const link::ConfigImage factory = hid::factoryImage();
    EXPECT_EQ(emulator->image()[img::kEffect], factory[img::kEffect]);
    EXPECT_TRUE(std::equal(factory.begin() + img::kKeyEnable, factory.begin() + img::kKeyEnable + img::kKeyEnableSize,
                           emulator->image().begin() + img::kKeyEnable));
    EXPECT_EQ(store().image(), emulator->image());
    EXPECT_EQ(pairBytes(false), pairBytes(true));
    link::KeyExtTable reset{};
    keymap::resetRecords(reset);
    EXPECT_EQ(store().extTable(), reset);
    EXPECT_TRUE(session->panel().lightCollapsed());
    EXPECT_EQ(session->panel().marks()[20], 0);
    EXPECT_EQ(keymapFile(), pairBytes(false));
}

// A reset the keyboard does not confirm (its read-back stalls, or the reset report itself fails)
// changes nothing: the working pair goes back to the shadow, the records of the assignments
// (programs, files, folders: held in keymap.bin alone) included, and keymap.bin keeps them.
class UnconfirmedResetTest : public SessionTest, public ::testing::WithParamInterface<bool> {};

TEST_P(UnconfirmedResetTest, KeepsThePairAndTheRecords)
{
    const bool stallReadBack = GetParam();
    if (stallReadBack)
        plan(kStallAfterStartUp);
    start();
    store().extTable()[20][link::ext::kCategory] = keymap::acStartup;   // an assignment, saved
    store().image()[img::kEffect] = 3;
    session->save();
    settle();
    const QByteArray saved = pairBytes(true);
    ASSERT_EQ(pairBytes(false), saved);
    if (!stallReadBack) {
        const std::string failFrom = "sf-fail@" + std::to_string(sentCommands().size() + 1) + "x*";
        plan(failFrom.c_str());
    }
    store().image()[img::kSpeed] = 1;   // an edit the reset was asked to drop
    session->factoryReset();
    settle();
    EXPECT_EQ(resets, std::vector<bool>{false});
    EXPECT_EQ(pairBytes(true), saved);
    EXPECT_EQ(pairBytes(false), saved);
    EXPECT_EQ(keymapFile(), saved);
}

INSTANTIATE_TEST_SUITE_P(SessionTest, UnconfirmedResetTest, ::testing::Values(true, false),
                         [](const ::testing::TestParamInfo<bool>& info) {
                             return info.param ? "ReadBackStalls" : "ResetReportFails";
                         });

TEST_F(SessionTest, KeyAssignmentReloadsTheRecordsThenCommitsCellEnableBitAndFile)
{
    start();
    const uint8_t key = 20;
    const link::KeyExtRecord onDisk = store().extTable()[key];
    store().extTable()[key][link::ext::kCategory] = keymap::acStartup;   // not in keymap.bin
    const usecases::KeyMapRequest request = session->beginKeyAssignment(key);
    EXPECT_EQ(request.key, key);
    EXPECT_EQ(request.vk, keymap::KeyLayoutTable[key].vk);
    EXPECT_EQ(request.usage, session->names().usage(request.vk));
    EXPECT_EQ(store().extTable()[key], onDisk) << "the records come from keymap.bin again";
    EXPECT_EQ(session->keyEnabled(), 1);

    keymap::PendingAssignment pending;
    pending.category = keymap::acFunction;
    pending.functionName = u"Mute";
    EXPECT_EQ(session->commitKeyAssignment(pending, 0), keymap::ApplyResult::Applied);
    EXPECT_EQ(keymap::keyCell(store().image(), key), (keymap::KeyCodeCell{3, 0x00, 0xE2, 0x00}));
    EXPECT_FALSE(keymap::keyEnabled(store().image(), key));
    EXPECT_EQ(session->panel().marks()[key], 1);
    EXPECT_EQ(keymapFile(), pairBytes(false));
    // Save then sends the key map and the enable bits.
    clearTrace();
    session->save();
    settle();
    EXPECT_EQ(sentCommands(), (std::vector<std::string>{"08", "0d", "0e", "08"}));
    EXPECT_EQ(keymap::keyCell(emulator->image(), key), (keymap::KeyCodeCell{3, 0x00, 0xE2, 0x00}));
}

TEST_F(SessionTest, MacroCommitPacksTheMacrosAndWritesBothFilesAndADroppedEditChangesNothing)
{
    start();
    session->beginMacroEdit();
    ASSERT_TRUE(macro::setRecordName(session->macros().working()[0], u"Combo"));
    macro::setLoopCount(session->macros().working()[0], 3);
    session->commitMacroEdit();
    EXPECT_EQ(store().image()[img::macroBlock(0) + macro::block::kLoopLow], 3);
    EXPECT_EQ(keymapFile(), pairBytes(false));
    macro::MacroStore reread;
    ASSERT_EQ(reread.load(session->macroFilePath()), macro::LoadResult::Loaded);
    EXPECT_EQ(macro::recordName(reread.saved()[0]), u"Combo");

    const QByteArray keymap = keymapFile();
    session->beginMacroEdit();
    ASSERT_TRUE(macro::setRecordName(session->macros().working()[0], u"Other"));
    session->dropMacroEdit();
    EXPECT_EQ(macro::recordName(session->macros().saved()[0]), u"Combo");
    EXPECT_EQ(keymapFile(), keymap);
    ASSERT_EQ(reread.load(session->macroFilePath()), macro::LoadResult::Loaded);
    EXPECT_EQ(macro::recordName(reread.saved()[0]), u"Combo");
}

TEST_F(SessionTest, ProfileLoadReplacesTheWorkingPairAndRunsTheProfileHandling)
{
    start();
    const QString configure = dir.filePath("Configure");
    ASSERT_TRUE(QDir().mkpath(configure));
    link::ConfigImage image = earlierImage();
    image[img::kEffect] = 52;   // DIY2
    link::KeyExtTable ext = store().extTable();
    ext[5][link::ext::kCategory] = keymap::acFunction;
    const std::string saved = (configure + "/Saved.bin").toStdString();
    ASSERT_TRUE(profile::writeProfile(saved, image, ext));
    profile::ProfileFolder folder(configure.toStdString(), sleeper);
    folder.Scan();
    ASSERT_EQ(folder.count(), 1);
    const link::ConfigImage shadow = store().shadowImage();

    EXPECT_EQ(session->loadProfile(folder, 0, saved), profile::ProfileFolder::LoadResult::Loaded);
    EXPECT_EQ(store().image(), image);
    EXPECT_EQ(store().extTable(), ext);
    EXPECT_EQ(store().shadowImage(), shadow) << "a profile is not on the keyboard until Save";
    EXPECT_EQ(applied, (std::vector<int>{0, 1}));
    EXPECT_TRUE(session->panel().diyMode());
    EXPECT_EQ(levels.back(), (Levels{20, 7, image[img::kReportRate]}));
    EXPECT_EQ(keymapFile(), pairBytes(false));

    // A file of another size is no profile: nothing changes.
    const std::string other = dir.filePath("other.bin").toStdString();
    std::ofstream(other) << "not a profile";
    EXPECT_EQ(session->loadProfile(folder, 0, other), profile::ProfileFolder::LoadResult::NotAProfile);
    EXPECT_EQ(store().image(), image);
    EXPECT_EQ(applied.size(), 2u);
}

TEST_F(SessionTest, ExitSavesTheShadowOnlyWhenAskedAndClosesTheLink)
{
    for (bool saveShadow : {true, false}) {
        SCOPED_TRACE(saveShadow ? "close button" : "tray Exit");
        start();
        store().image()[img::kEffect] = 4;
        store().SaveKeymapFile(link::KeymapSource::Working);   // keymap.bin with an unsaved edit
        const QByteArray before = keymapFile();
        session->exit(saveShadow);
        EXPECT_FALSE(session->keyboardLink().commandOpen());
        if (saveShadow)
            EXPECT_EQ(keymapFile(), pairBytes(true));
        else
            EXPECT_EQ(keymapFile(), before);
        session.reset();
    }
}

}   // namespace
