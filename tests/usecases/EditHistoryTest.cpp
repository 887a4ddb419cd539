// Undo and redo of the session's edits on the emulated keyboard: every kind of step restores the
// working pair (and the macro store) byte for byte, a drag is one step, undo after Save is sent by
// the next Save, Cancel is undone, and a long random run agrees with a model of full copies.

#include "emulator/Emulator.h"
#include "emulator/EmulatorState.h"
#include "keymap/logic/KeyCodes.h"
#include "platform/hid/Trace.h"
#include "profile/ProfileFolder.h"
#include "link/Sleeper.h"
#include "usecases/Session.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <fstream>
#include <functional>
#include <random>

using namespace orvane;
using usecases::Session;
namespace img = link::image;
namespace cmd = usecases::cmd;

namespace {

// The link's pauses skipped.
class NoSleeper final : public link::Sleeper {
public:
    void sleep(int) override {}
    void yield() override {}
};

class EditHistoryTest : public ::testing::Test {
public:   // the cases below are lambdas on the fixture
    void SetUp() override
    {
        emulator = hid::Emulator::create();
        std::string error;
        sink = hid::TraceSink::open(dir.filePath("trace.txt").toStdString(), error);
        ASSERT_TRUE(sink) << error;
        backend = std::make_unique<hid::TraceBackend>(std::make_unique<hid::EmulatorBackend>(emulator), sink);
        session = std::make_unique<Session>(usecases::SessionContext{.backend = *backend,
                                                                     .sleeper = sleeper,
                                                                     .dataFolder = dir.path().toStdString() + '/',
                                                                     .language = keymap::Language::English,
                                                                     .hotplugDelays = {0, 0, 0}});
        QObject::connect(session.get(), &Session::historyApplied, [this] { ++followed; });
        session->prepare();
        session->start();
        settle();
        ASSERT_FALSE(session->awaitingStartupRead());
    }
    void settle()
    {
        session->keyboardLink().WaitForIdle();
        QCoreApplication::processEvents();
    }
    link::ConfigStore& store() { return session->store(); }
    usecases::MainPanel& panel() { return session->panel(); }

    // The working pair as keymap.bin holds it.
    QByteArray pair()
    {
        QByteArray b(reinterpret_cast<const char*>(store().image().data()), int(store().image().size()));
        for (const link::KeyExtRecord& r : store().extTable())
            b.append(reinterpret_cast<const char*>(r.data()), int(r.size()));
        return b;
    }
    static QByteArray file(const QString& path)
    {
        QFile f(path);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }
    QByteArray keymapFile() const { return file(dir.filePath("keymap.bin")); }
    QByteArray macroFile() const { return file(dir.filePath("MacroDefine.bin")); }

    std::vector<std::string> sentCommands() const
    {
        std::vector<std::string> out;
        std::ifstream in(dir.filePath("trace.txt").toStdString());
        for (std::string line; std::getline(in, line);)
            if (const std::size_t at = line.find(" SF "); at != std::string::npos)
                out.push_back(line.substr(at + 7, 2));
        return out;
    }
    void clearTrace() const { QFile(dir.filePath("trace.txt")).resize(0); }
    void save()
    {
        session->save();
        settle();
    }

    // Clicks a row of the effect list or of the response time list, opening it first.
    void chooseEffectRow(int row)
    {
        if (panel().lightCollapsed())
            panel().runStateCommand(cmd::kLightHeader);
        panel().runStateCommand(cmd::kEffectBox);
        panel().OnClick(100, usecases::kEffectListTop + row * usecases::kListRowHeight + 5);
    }
    void chooseResponseRow(int row)
    {
        panel().runStateCommand(cmd::kResponseBox);
        panel().OnClick(100, panel().responseListTop() + row * usecases::kListRowHeight + 5);
    }
    void setBrightness(uint8_t b)
    {
        const link::ConfigImage& im = store().image();
        session->setLevels(im[img::kSpeed], b, im[img::kReportRate]);
    }
    std::string profilePath(const link::ConfigImage& image, const link::KeyExtTable& ext)
    {
        const QString configure = dir.filePath("Configure");
        EXPECT_TRUE(QDir().mkpath(configure));
        const std::string path = (configure + "/Saved.bin").toStdString();
        EXPECT_TRUE(profile::writeProfile(path, image, ext));
        return path;
    }

    QTemporaryDir dir;
    std::shared_ptr<hid::Emulator> emulator;
    std::shared_ptr<hid::TraceSink> sink;
    std::unique_ptr<hid::Backend> backend;
    NoSleeper sleeper;
    std::unique_ptr<Session> session;
    int followed = 0;
};

TEST_F(EditHistoryTest, EveryKindOfStepUndoesAndRedoesToTheSameBytes)
{
    struct Case {
        const char* name;
        const char* chinese;
        std::function<void(EditHistoryTest&)> edit;
        bool files;                                         // keymap.bin follows the undo and redo
        std::function<void(EditHistoryTest&)> setup = {};   // before the edit, a step of its own
    };
    const std::vector<Case> cases = {
        {"Speed", "速度",
         [](EditHistoryTest& t) {
             const link::ConfigImage& im = t.store().image();
             t.session->setLevels(2, im[img::kBrightness], im[img::kReportRate]);
         },
         false},
        {"Brightness", "亮度", [](EditHistoryTest& t) { t.setBrightness(12); }, false},
        {"Report Rate", "回报率",
         [](EditHistoryTest& t) {
             const link::ConfigImage& im = t.store().image();
             t.session->setLevels(im[img::kSpeed], im[img::kBrightness], uint8_t(im[img::kReportRate] ^ 2));
         },
         false},
        {"Effect", "灯效", [](EditHistoryTest& t) { t.chooseEffectRow(2); }, false},   // Wave: colour 8 too
        {"Direction", "方向", [](EditHistoryTest& t) { t.panel().runStateCommand(cmd::kDirL); }, false},
        {"Game Mode", "游戏模式",
         [](EditHistoryTest& t) {
             t.panel().runStateCommand(t.store().image()[img::kGameMode] ? cmd::kGameOff : cmd::kGameOn);
         },
         false},
        {"Win Lock", "Win 键锁定", [](EditHistoryTest& t) { t.panel().runStateCommand(cmd::kWinLockOn); }, false},
        {"Response Time", "响应时间", [](EditHistoryTest& t) { t.chooseResponseRow(6); }, false},
        {"DIY Key Light", "DIY 按键灯光", [](EditHistoryTest& t) { t.panel().toggleKeyLight(30); }, false,
         [](EditHistoryTest& t) { t.chooseEffectRow(14); }},   // DIY2
        {"Key Assignment", "按键设置",
         [](EditHistoryTest& t) {
             t.session->beginKeyAssignment(20);
             keymap::PendingAssignment pending;
             pending.category = keymap::acFunction;
             pending.functionName = u"Mute";
             ASSERT_EQ(t.session->commitKeyAssignment(pending, 0), keymap::ApplyResult::Applied);
         },
         true},
        {"Macro Edit", "宏编辑",
         [](EditHistoryTest& t) {
             t.session->beginMacroEdit();
             ASSERT_TRUE(macro::setRecordName(t.session->macros().working()[0], u"Combo"));
             macro::setLoopCount(t.session->macros().working()[0], 3);
             t.session->commitMacroEdit();
         },
         true},
        {"Profile Load", "载入配置",
         [](EditHistoryTest& t) {
             link::ConfigImage image = t.store().image();
             image[img::kEffect] = 53;
             image[img::kBrightness] = 9;
             link::KeyExtTable ext = t.store().extTable();
             ext[5][link::ext::kCategory] = keymap::acFunction;
             const std::string path = t.profilePath(image, ext);
             profile::ProfileFolder folder(QFileInfo(QString::fromStdString(path)).path().toStdString(), t.sleeper);
             folder.Scan();
             ASSERT_EQ(t.session->loadProfile(folder, 0, path), profile::ProfileFolder::LoadResult::Loaded);
         },
         true},
        {"Cancel", "取消", [](EditHistoryTest& t) { t.session->cancelEdits(); }, true},
        {"Factory Setting", "出厂设置",
         [](EditHistoryTest& t) {
             t.session->factoryReset();
             EXPECT_FALSE(t.session->undo()) << "nothing is undone while the reset runs";
             t.settle();
         },
         true,
         [](EditHistoryTest& t) {
             t.chooseEffectRow(2);
             t.save();
         }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        if (c.setup)
            c.setup(*this);
        session->history().seal();
        const QByteArray before = pair();
        const auto macrosBefore = session->macros().saved();
        const QByteArray macroFileBefore = macroFile();
        c.edit(*this);
        const QByteArray after = pair();
        const auto macrosAfter = session->macros().saved();
        const QByteArray macroFileAfter = macroFile();
        ASSERT_NE(before, after) << "the edit changed nothing";
        EXPECT_EQ(session->history().undoName(false), QString::fromUtf8(c.name));
        EXPECT_EQ(session->history().undoName(true), QString::fromUtf8(c.chinese));
        const int count = session->history().stack().index();

        followed = 0;
        ASSERT_TRUE(session->undo());
        EXPECT_EQ(pair(), before);
        EXPECT_EQ(session->macros().saved(), macrosBefore);
        EXPECT_EQ(session->macros().working(), macrosBefore);
        EXPECT_EQ(session->history().redoName(false), QString::fromUtf8(c.name));
        if (c.files) {
            EXPECT_EQ(keymapFile(), before);
        }
        EXPECT_EQ(macroFile(), macroFileBefore);
        ASSERT_TRUE(session->redo());
        EXPECT_EQ(pair(), after);
        EXPECT_EQ(session->macros().saved(), macrosAfter);
        EXPECT_EQ(macroFile(), macroFileAfter);
        if (c.files) {
            EXPECT_EQ(keymapFile(), after);
        }
        EXPECT_EQ(followed, 2);
        EXPECT_EQ(session->history().stack().index(), count) << "undo and redo push nothing";
        EXPECT_FALSE(session->history().canRedo());
    }
}

TEST_F(EditHistoryTest, UndoFollowsWithMarksDiyFlagAndLevels)
{
    std::vector<uint8_t> brightness;
    QObject::connect(session.get(), &Session::levelsChanged,
                     [&](uint8_t b, uint8_t, uint8_t) { brightness.push_back(b); });
    chooseEffectRow(13);   // DIY1
    ASSERT_TRUE(panel().diyMode());
    setBrightness(7);
    session->beginKeyAssignment(20);
    keymap::PendingAssignment pending;
    pending.category = keymap::acFunction;
    pending.functionName = u"Mute";
    ASSERT_EQ(session->commitKeyAssignment(pending, 1), keymap::ApplyResult::Applied);
    ASSERT_EQ(panel().marks()[20], 1);

    ASSERT_TRUE(session->undo());
    EXPECT_EQ(panel().marks()[20], 0);
    ASSERT_TRUE(session->undo());
    EXPECT_EQ(brightness.back(), 50) << "the sliders are told the restored level";
    ASSERT_TRUE(session->undo());
    EXPECT_FALSE(panel().diyMode()) << "the DIY flag follows the restored effect";
    ASSERT_TRUE(session->redo());
    EXPECT_TRUE(panel().diyMode());
    ASSERT_TRUE(session->redo());
    ASSERT_TRUE(session->redo());
    EXPECT_EQ(panel().marks()[20], 1);
    EXPECT_FALSE(session->redo());
}

TEST_F(EditHistoryTest, ADragIsOneStepAndADragBackToItsStartIsNone)
{
    const uint8_t start = store().image()[img::kBrightness];
    for (uint8_t b = 40; b >= 10; --b)
        setBrightness(b);
    session->history().seal();   // released
    for (uint8_t b = 11; b <= 20; ++b)
        setBrightness(b);
    session->history().seal();
    EXPECT_EQ(session->history().stack().count(), 2);

    // Another level does not merge into a brightness drag.
    const link::ConfigImage& im = store().image();
    session->setLevels(3, im[img::kBrightness], im[img::kReportRate]);
    session->setLevels(4, im[img::kBrightness], im[img::kReportRate]);
    EXPECT_EQ(session->history().stack().count(), 3);
    session->history().seal();

    ASSERT_TRUE(session->undo());
    ASSERT_TRUE(session->undo());
    EXPECT_EQ(store().image()[img::kBrightness], 10);
    ASSERT_TRUE(session->undo());
    EXPECT_EQ(store().image()[img::kBrightness], start);
    EXPECT_FALSE(session->history().canUndo());

    // A drag after an undo starts its own step; one back to where it began leaves none.
    ASSERT_TRUE(session->redo());
    setBrightness(33);
    setBrightness(10);
    EXPECT_EQ(session->history().stack().count(), 1);
    EXPECT_FALSE(session->history().canRedo());
}

TEST_F(EditHistoryTest, SaveClearsNothingAndTheNextSaveSendsTheUndoneAreas)
{
    const link::ConfigImage keyboard = emulator->image();
    chooseResponseRow(5);
    panel().runStateCommand(keyboard[img::kGameMode] ? cmd::kGameOff : cmd::kGameOn);
    panel().toggleKeyLight(30);   // not a custom effect: no map, no step
    EXPECT_EQ(session->history().stack().count(), 2);
    save();
    ASSERT_EQ(emulator->image(), store().image());

    ASSERT_TRUE(session->undo());   // game mode
    clearTrace();
    save();
    EXPECT_EQ(sentCommands(), (std::vector<std::string>{"08", "09", "08"})) << "the game-mode step alone";
    EXPECT_EQ(emulator->image()[img::kGameMode], keyboard[img::kGameMode]);
    EXPECT_EQ(emulator->image()[img::kResponseTime], 6);

    ASSERT_TRUE(session->undo());   // response time
    ASSERT_TRUE(session->redo());
    ASSERT_TRUE(session->undo());
    clearTrace();
    save();
    EXPECT_EQ(sentCommands(), (std::vector<std::string>{"08", "04", "08"}));
    EXPECT_EQ(emulator->image(), keyboard);
    EXPECT_EQ(keymapFile(), pair());
}

TEST_F(EditHistoryTest, UndoOfCancelGivesTheEditsBackForTheNextSave)
{
    chooseEffectRow(1);
    setBrightness(22);
    session->beginKeyAssignment(20);
    keymap::PendingAssignment pending;
    pending.category = keymap::acFunction;
    pending.functionName = u"Mute";
    ASSERT_EQ(session->commitKeyAssignment(pending, 0), keymap::ApplyResult::Applied);
    const QByteArray edited = pair();
    session->cancelEdits();
    ASSERT_NE(pair(), edited);
    EXPECT_EQ(session->history().undoName(false), QStringLiteral("Cancel"));

    ASSERT_TRUE(session->undo());
    EXPECT_EQ(pair(), edited);
    EXPECT_EQ(keymapFile(), edited);
    EXPECT_EQ(panel().marks()[20], 1);
    save();
    EXPECT_EQ(emulator->image(), store().image());
    EXPECT_EQ(keymap::keyCell(emulator->image(), 20), (keymap::KeyCodeCell{3, 0x00, 0xE2, 0x00}));
}

// A long random run of edits, undos, redos and Saves against a model that keeps a full copy of
// the working pair after every step. Save writes the Win Lock flag into the key-enable bit of the
// left Windows key (the bit is derived from the flag at every upload), so that one bit is left out.
TEST_F(EditHistoryTest, RandomRunAgreesWithAModelOfFullCopies)
{
    const auto pair = [this] {
        QByteArray b = this->pair();
        b[int(img::kKeyEnable)] = char(uint8_t(b[int(img::kKeyEnable)]) | 0x02);
        return b;
    };
    std::mt19937 random(20261211);
    auto pick = [&](int n) { return int(random() % unsigned(n)); };
    std::vector<QByteArray> model{pair()};
    std::size_t at = 0;
    chooseEffectRow(13);   // DIY1, so key lights toggle
    session->history().seal();
    model.push_back(pair());
    at = 1;

    for (int i = 0; i < 600; ++i) {
        SCOPED_TRACE(i);
        const int what = pick(12);
        const QByteArray was = pair();
        bool edit = true;
        switch (what) {
        case 0:
            session->undo() ? void(--at) : void();
            edit = false;
            break;
        case 1:
            session->redo() ? void(++at) : void();
            edit = false;
            break;
        case 2:
            if (pick(4) == 0)
                save();
            edit = false;
            break;
        case 3: {   // a drag of several positions
            const int steps = 1 + pick(5);
            for (int s = 0; s < steps; ++s)
                setBrightness(uint8_t(pick(51)));
            break;
        }
        case 4: chooseEffectRow(13 + pick(5)); break;
        case 5: panel().runStateCommand(cmd::kGameOn + pick(2)); break;
        case 6: panel().runStateCommand(cmd::kWinLockOn + pick(2)); break;
        case 7: chooseResponseRow(pick(10)); break;
        case 8: panel().toggleKeyLight(std::size_t(pick(int(keymap::kKeyCount)))); break;
        case 9: {
            session->beginKeyAssignment(uint8_t(pick(int(keymap::kKeyCount))));
            keymap::PendingAssignment pending;
            pending.category = keymap::acFunction;
            pending.functionName = pick(2) ? u"Mute" : u"Play/Pause";
            session->commitKeyAssignment(pending, uint8_t(pick(2)));
            break;
        }
        case 10:
            if (pick(6) == 0)
                session->cancelEdits();
            else
                panel().runStateCommand(cmd::kDirT + pick(4));
            break;
        default: {
            const link::ConfigImage& im = store().image();
            session->setLevels(uint8_t(pick(10)), im[img::kBrightness], uint8_t(pick(4)));
            break;
        }
        }
        session->history().seal();
        if (edit && pair() != was) {
            model.resize(at + 1);
            model.push_back(pair());
            ++at;
        }
        ASSERT_EQ(session->history().stack().index(), int(at));
        ASSERT_EQ(session->history().stack().count(), int(model.size()) - 1);
        ASSERT_TRUE(pair() == model[at]);
    }
    // Down to the start and back to the end.
    while (session->undo())
        ASSERT_TRUE(pair() == model[--at]);
    EXPECT_EQ(at, 0u);
    while (session->redo())
        ASSERT_TRUE(pair() == model[++at]);
    EXPECT_EQ(at, model.size() - 1);
}

}   // namespace
