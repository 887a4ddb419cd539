// The main window on the emulated keyboard, offscreen: clicks at the window's coordinates, the
// configuration image, keymap.bin and the HID trace.

#include "keymap/logic/KeyCodes.h"
#include "platform/core/Settings.h"
#include "emulator/Emulator.h"
#include "platform/hid/Trace.h"
#include "platform/hotplug/Monitor.h"
#include "platform/ui/FramedText.h"
#include "platform/ui/UserDialogs.h"
#include "shell/app/CVelkorApp.h"
#include "shell/app/CVelkorDlg.h"
#include "shell/app/Launcher.h"
#include "tests/support/MainWindow.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

#include <fstream>
#include <thread>

using namespace orvane;
using namespace orvane::shell;
namespace img = link::image;

namespace {

// Panels that answer as a test says.
class ScriptedPanels final : public PanelHost {
public:
    std::function<bool(const KeyMapRequest&, keymap::PendingAssignment&, uint8_t&)> keyMap;
    std::function<bool()> macroManager;
    int keyMapRuns = 0;
    bool runKeyMap(QWidget*, const KeyMapRequest& r, keymap::PendingAssignment& p, uint8_t& enabled) override
    {
        ++keyMapRuns;
        return keyMap ? keyMap(r, p, enabled) : false;
    }
    bool runMacroManager(QWidget*) override { return macroManager ? macroManager() : false; }
};

class WindowTest : public ::testing::Test, protected test::EmulatedMainWindow {
protected:
    void SetUp() override
    {
        launcherInUse = &launcher;
        ASSERT_NO_FATAL_FAILURE(connectKeyboard());
    }

    void TearDown() override { closeWindow(); }

    QString keymapPath() const { return dir.filePath("keymap.bin"); }

    void start(model::Language language = model::Language::English)
    {
        ShellContext ctx = context(language);
        ctx.useTray = useTray;
        ctx.trayAvailable = [this] { return trayNow; };
        shown = EmulatedMainWindow::start(ctx, [this](CVelkorDlg& w) {
            auto host = std::make_unique<ScriptedPanels>();
            panels = host.get();
            w.setPanelHost(std::move(host));
        });
    }

    void click(int x, int y) { QTest::mouseClick(window.get(), Qt::LeftButton, {}, QPoint(x, y)); }
    // A click on Save or Return: the operation runs on the link thread; its result is applied.
    void clickAndWait(int x, int y)
    {
        click(x, y);
        window->keyboardLink().WaitForIdle();
    }
    void chooseEffect(int row)
    {
        if (window->panel().lightCollapsed())
            click(100, 118);
        click(100, 165);
        click(100, kEffectListTop + 20 * row + 5);
    }

    std::vector<std::string> trace() const
    {
        std::vector<std::string> lines;
        std::ifstream in(tracePath().toStdString());
        for (std::string line; std::getline(in, line);)
            lines.push_back(line.substr(line.find(' ') + 1));
        return lines;
    }
    void clearTrace() const { QFile(tracePath()).resize(0); }
    int countSent(const std::string& prefix) const
    {
        int n = 0;
        for (const std::string& l : trace())
            if (l.rfind("emulator:cmd SF " + prefix, 0) == 0)
                ++n;
        return n;
    }
    QByteArray keymapFile() const
    {
        QFile f(keymapPath());
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }
    QByteArray pairBytes(bool shadow)
    {
        link::ConfigStore& s = window->store();
        const link::ConfigImage& image = shadow ? s.shadowImage() : s.image();
        const link::KeyExtTable& ext = shadow ? s.shadowExtTable() : s.extTable();
        QByteArray b(reinterpret_cast<const char*>(image.data()), int(image.size()));
        for (const link::KeyExtRecord& r : ext)
            b.append(reinterpret_cast<const char*>(r.data()), int(r.size()));
        return b;
    }

    test::RecordingLauncher launcher;
    ScriptedPanels* panels = nullptr;
    bool shown = false;
    bool useTray = false;   // a tray icon of ours, and whether the desktop has a tray now
    bool trayNow = false;
};

constexpr char kEndConfigWrite[] = "00 08 02";

TEST_F(WindowTest, StartsOnTheKeyboardWithItsState)
{
    start();
    EXPECT_TRUE(shown);
    EXPECT_EQ(window->windowTitle(), QStringLiteral("QX410-Orvane"));
    EXPECT_EQ(window->size(), window->images().size("main.png"));
    EXPECT_EQ(window->store().image(), window->store().shadowImage());
    EXPECT_EQ(window->store().image()[img::kSpeed], 5);
    EXPECT_EQ(window->slider(controls::kSpeedSliderId).value(), 5);
    EXPECT_EQ(window->slider(controls::kBrightnessSliderId).value(), 50);
    EXPECT_EQ(keymapFile(), pairBytes(false));
}

// After a keyboard read the configuration-loaded handling asks for the lighting once more and
// sets the sliders from that answer.
TEST_F(WindowTest, ConfigurationLoadedReadsTheLightingAgainAndTheSlidersFollow)
{
    start();
    std::vector<std::string> t = trace();
    const auto lighting = [](const std::string& l) { return l == "emulator:cmd SF 00 88 00 00 00 00 00 00 77"; };
    ASSERT_EQ(std::count_if(t.begin(), t.end(), lighting), 2);
    const auto lastRead =
        std::find_if(t.rbegin(), t.rend(), [](const std::string& l) { return l.rfind("emulator:cmd R ", 0) == 0; });
    EXPECT_TRUE(std::any_of(t.rbegin(), lastRead, lighting)) << "the second read comes after the read-all";

    // The keyboard's lighting changes behind the program's back (its own keys, another program).
    auto other = hid::EmulatorBackend(emulator).open(hid::kEmulatorCommandPath);
    const hid::CommandReport end{0, 0x08, 2, 1, 10 - 3, 12, 1, 1, 0};
    hid::CommandReport report = end;
    report[8] = hid::reportChecksum(report);
    ASSERT_TRUE(other->setFeature(report));
    clearTrace();
    window->configurationLoaded(0);
    window->keyboardLink().WaitForIdle();
    t = trace();
    EXPECT_EQ(std::count_if(t.begin(), t.end(), lighting), 1);
    EXPECT_EQ(window->store().image()[img::kBrightness], 12);
    EXPECT_EQ(window->store().image()[img::kSpeed], 3);
    EXPECT_EQ(window->slider(controls::kBrightnessSliderId).value(), 12);
    EXPECT_EQ(window->slider(controls::kSpeedSliderId).value(), 3);
    EXPECT_EQ(keymapFile(), pairBytes(false)) << "then keymap.bin is saved";
}

TEST_F(WindowTest, SaveAfterAnEffectSendsOneEndConfigWrite)
{
    start();
    chooseEffect(2);   // Wave
    ASSERT_EQ(window->store().image()[img::kEffect], 3);
    clearTrace();
    clickAndWait(950, 620);
    EXPECT_EQ(countSent(kEndConfigWrite), 1);
    EXPECT_EQ(emulator->image()[img::kEffect], 3);
    EXPECT_EQ(emulator->image()[img::kColour], 8);
    EXPECT_EQ(window->store().image(), window->store().shadowImage());
    EXPECT_EQ(keymapFile(), pairBytes(false));
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
}

TEST_F(WindowTest, CancelRestoresWorkingShadowAndFileSlidersIncluded)
{
    start();
    chooseEffect(1);   // Breathing shows the speed slider
    window->slider(controls::kBrightnessSliderId).setValue(7);
    window->slider(controls::kSpeedSliderId).setValue(2);
    ASSERT_EQ(window->store().image()[img::kBrightness], 7);
    click(880, 620);
    EXPECT_TRUE(window->isMinimized()) << "no tray offscreen: Cancel minimises";
    (void)window->grab();   // a paint stores the slider positions into the image
    EXPECT_EQ(window->store().image()[img::kBrightness], 50);
    EXPECT_EQ(window->store().image()[img::kSpeed], 5);
    EXPECT_EQ(pairBytes(false), pairBytes(true));
    EXPECT_EQ(keymapFile(), pairBytes(true));
}

TEST_F(WindowTest, ReturnThenSaveSendsNothingWhenTheKeyboardReadsBackUnchanged)
{
    start();
    dialogs.answerMessage(ui::MessageResult::Ok);
    clickAndWait(820, 620);
    ASSERT_EQ(dialogs.asked().size(), 1u);
    EXPECT_EQ(dialogs.asked()[0].text, QStringLiteral("Confirm to return Factory Setting?"));
    EXPECT_EQ(dialogs.asked()[0].caption, QStringLiteral("Factory Setting"));
    EXPECT_TRUE(window->panel().lightCollapsed());
    clearTrace();
    clickAndWait(950, 620);
    EXPECT_EQ(countSent(""), 0) << "Save sent reports after a factory reset";
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
}

TEST_F(WindowTest, ReturnCancelledChangesNothing)
{
    start();
    chooseEffect(2);
    dialogs.answerMessage(ui::MessageResult::Cancel);
    clearTrace();
    clickAndWait(820, 620);
    EXPECT_EQ(window->store().image()[img::kEffect], 3);
    EXPECT_TRUE(trace().empty());
}

TEST_F(WindowTest, CloseButtonAfterUnsavedEditsKeepsTheUploadedState)
{
    start();
    chooseEffect(2);
    QSignalSpy ended(window.get(), &CVelkorDlg::exitRequested);
    click(990, 10);
    EXPECT_EQ(ended.count(), 1);
    const QByteArray file = keymapFile();
    ASSERT_EQ(file.size(), int(link::kKeymapFileSize));
    EXPECT_EQ(uint8_t(file[int(img::kEffect)]), 1);
    EXPECT_EQ(file, pairBytes(true));
}

TEST_F(WindowTest, TrayExitWritesNothing)
{
    start();
    chooseEffect(2);
    QFile::remove(keymapPath());
    window->exitFromTray();
    EXPECT_FALSE(QFile::exists(keymapPath()));
}

TEST_F(WindowTest, FailedUploadKeepsEditsAndShadow)
{
    start();
    chooseEffect(2);
    window->store().image()[img::kResponseTime] = 6;   // an area with its own acknowledged step
    emulator->failNextSetFeature(1);
    dialogs.answerMessage(ui::MessageResult::Ok);
    clickAndWait(950, 620);
    ASSERT_EQ(dialogs.asked().size(), 1u);
    EXPECT_EQ(dialogs.asked()[0].caption, QStringLiteral("Save"));
    EXPECT_EQ(window->store().image()[img::kEffect], 3);
    EXPECT_EQ(window->store().shadowImage()[img::kEffect], 1);
    EXPECT_EQ(window->store().shadowImage()[img::kResponseTime], 1);
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
    // The next Save sends what is still missing.
    clickAndWait(950, 620);
    EXPECT_EQ(emulator->image()[img::kEffect], 3);
    EXPECT_EQ(window->store().shadowImage(), window->store().image());
}

TEST_F(WindowTest, KeyNotificationOpensOnlyHostActions)
{
    start();
    link::KeyExtTable& ext = window->store().extTable();
    const uint8_t vkA = keymap::KeyLayoutTable[40].vk;
    const uint8_t vkB = keymap::KeyLayoutTable[41].vk;
    const uint8_t vkC = keymap::KeyLayoutTable[42].vk;
    ext[40][link::ext::kCategory] = keymap::acFunction;   // kind 3: nothing
    ASSERT_TRUE(keymap::setRecordPath(ext[40], u"/usr/bin/true"));
    ext[41][link::ext::kCategory] = keymap::acStartup;
    ASSERT_TRUE(keymap::setRecordPath(ext[41], u"/opt/tools/run me"));
    ext[42][link::ext::kCategory] = keymap::acOpenFile;
    ASSERT_TRUE(keymap::setRecordPath(ext[42], u"notes.txt"));   // no folder: opens nothing
    window->keyNotification(vkA);
    window->keyNotification(vkC);
    EXPECT_TRUE(launcher.opened.isEmpty());
    EXPECT_TRUE(launcher.started.isEmpty());
    window->keyNotification(vkB);
    EXPECT_EQ(launcher.started, QStringList{QStringLiteral("/opt/tools/run me in /opt/tools")});
    ext[42][link::ext::kCategory] = keymap::acOpenFolder;
    ASSERT_TRUE(keymap::setRecordPath(ext[42], u"/home/user/Music"));
    window->keyNotification(vkC);
    EXPECT_EQ(launcher.opened, QStringList{QStringLiteral("/home/user/Music")});
}

TEST_F(WindowTest, KeyNotificationFromTheKeyboard)
{
    start();
    link::KeyExtTable& ext = window->store().extTable();
    ext[10][link::ext::kCategory] = keymap::acOpenFile;
    ASSERT_TRUE(keymap::setRecordPath(ext[10], u"/tmp/a.txt"));
    emulator->pressHostActionKey(keymap::KeyLayoutTable[10].vk);
    for (int i = 0; i < 100 && launcher.opened.isEmpty(); ++i)
        QTest::qWait(10);
    EXPECT_EQ(launcher.opened, QStringList{QStringLiteral("/tmp/a.txt")});
}

TEST_F(WindowTest, StartWithoutKeyboardStaysHiddenAndTheTrayShowsTheNotice)
{
    emulator->unplug();
    dialogs.answerMessage(ui::MessageResult::Ok);   // the start's notice (no tray offscreen)
    start();
    EXPECT_FALSE(shown);
    EXPECT_TRUE(window->isVisible() && window->isMinimized()) << "without a tray the window waits minimised";
    // keymap.bin's values stay, although no keyboard read sets the sliders.
    (void)window->grab();
    for (std::size_t i = 0; i < link::kConfigImageSize; ++i)
        EXPECT_EQ(window->store().image()[i], window->store().shadowImage()[i]) << "image byte " << i;
    dialogs.answerMessage(ui::MessageResult::Ok);
    dialogs.answerMessage(ui::MessageResult::Ok);
    window->trayActivated(QSystemTrayIcon::DoubleClick);
    window->trayActivated(QSystemTrayIcon::Trigger);
    window->trayActivated(QSystemTrayIcon::Context);   // not an activation of the window
    EXPECT_TRUE(window->isMinimized());
    ASSERT_EQ(dialogs.asked().size(), 3u);
    EXPECT_EQ(dialogs.asked()[2].text, QStringLiteral("No Gaming Keyboard Detected!"));
    EXPECT_EQ(dialogs.asked()[2].caption, QStringLiteral("Warning"));
}

TEST_F(WindowTest, TrayDoubleClickShowsTheWindowWithTheKeyboard)
{
    useTray = trayNow = true;
    start();
    click(960, 10);   // minimise to the tray
    EXPECT_FALSE(window->isVisible());
    window->trayActivated(QSystemTrayIcon::DoubleClick);
    EXPECT_TRUE(window->isVisible());
}

// Minimise and Cancel put the window into the tray only while the desktop has one (asked at
// each hide); without one the window is minimised, never withdrawn, and restores from the task bar.
TEST_F(WindowTest, HidingWithoutATrayMinimisesInsteadOfLosingTheWindow)
{
    struct Case {
        const char* what;
        bool trayAtStart, trayAtHide;
        QPoint click;
        bool hidden;   // withdrawn into the tray; otherwise minimised and still mapped
    };
    const Case cases[] = {
        {"minimise, tray", true, true, {960, 10}, true},
        {"minimise, no tray", false, false, {960, 10}, false},
        {"minimise, tray gone since the start", true, false, {960, 10}, false},
        {"minimise, tray appeared since the start", false, true, {960, 10}, true},
        {"cancel, tray", true, true, {880, 620}, true},
        {"cancel, no tray", false, false, {880, 620}, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        useTray = true;
        trayNow = c.trayAtStart;
        start();
        ASSERT_TRUE(shown);
        EXPECT_EQ(window->trayIcon() != nullptr, c.trayAtStart);
        trayNow = c.trayAtHide;
        click(c.click.x(), c.click.y());
        if (c.hidden) {
            EXPECT_FALSE(window->isVisible());
            ASSERT_NE(window->trayIcon(), nullptr);
            EXPECT_TRUE(window->trayIcon()->isVisible());
        } else {
            EXPECT_TRUE(window->isVisible()) << "the window was withdrawn with no tray to bring it back";
            EXPECT_TRUE(window->isMinimized());
        }
        window->showFromOtherInstance();
        EXPECT_TRUE(window->isVisible());
        EXPECT_FALSE(window->isMinimized());
        window.reset();
    }
}

TEST_F(WindowTest, KeymapClickAppliesTheAssignmentAndSaves)
{
    start();
    const std::size_t key = 20;
    const auto& r = keymap::KeyLayoutTable[key].rect;
    panels->keyMap = [&](const KeyMapRequest& req, keymap::PendingAssignment& p, uint8_t& enabled) {
        EXPECT_EQ(req.key, key);
        EXPECT_EQ(req.vk, keymap::KeyLayoutTable[key].vk);
        p.category = keymap::acFunction;
        p.functionName = u"Mute";
        enabled = 0;
        return true;
    };
    click(kKeyboardLeft + (r.left + r.right) / 2, kKeyboardTop + (r.top + r.bottom) / 2);
    ASSERT_EQ(panels->keyMapRuns, 1);
    const keymap::KeyCodeCell cell = keymap::keyCell(window->store().image(), key);
    EXPECT_EQ(cell, (keymap::KeyCodeCell{3, 0x00, 0xE2, 0x00}));
    EXPECT_FALSE(keymap::keyEnabled(window->store().image(), key));
    EXPECT_EQ(window->panel().marks()[key], 1);
    EXPECT_EQ(keymapFile(), pairBytes(false));
    // Keymap mode never opens the panel for the left Windows key or Fn.
    const auto& w = keymap::KeyLayoutTable[keymap::kKeyLeftWindows].rect;
    click(kKeyboardLeft + (w.left + w.right) / 2, kKeyboardTop + (w.top + w.bottom) / 2);
    EXPECT_EQ(panels->keyMapRuns, 1);
}

TEST_F(WindowTest, MacroManagerOkPacksAndWritesBothFiles)
{
    start();
    panels->macroManager = [&] {
        macro::MacroRecord& r = window->macros().working()[0];
        EXPECT_TRUE(macro::setRecordName(r, u"Combo"));
        macro::setLoopCount(r, 3);
        return true;
    };
    click(100, 155);   // the macro bar with Light collapsed
    EXPECT_EQ(window->store().image()[img::macroBlock(0) + macro::block::kLoopLow], 3);
    EXPECT_EQ(keymapFile(), pairBytes(false));
    macro::MacroStore reread;
    EXPECT_EQ(reread.load(dir.filePath("MacroDefine.bin").toStdString()), macro::LoadResult::Loaded);
    EXPECT_EQ(macro::recordName(reread.saved()[0]), u"Combo");
    // Not OK: nothing changes.
    panels->macroManager = [&] {
        macro::setRecordName(window->macros().working()[0], u"Other");
        return false;
    };
    click(100, 155);
    EXPECT_EQ(macro::recordName(window->macros().saved()[0]), u"Combo");
}

TEST_F(WindowTest, DiyKeyClicksDrawTheLightMap)
{
    start();
    chooseEffect(13);   // DIY1
    ASSERT_TRUE(window->panel().diyMode());
    const auto& r = keymap::KeyLayoutTable[30].rect;
    click(kKeyboardLeft + (r.left + r.right) / 2, kKeyboardTop + (r.top + r.bottom) / 2);
    EXPECT_TRUE(window->panel().keyLit(30));
    EXPECT_EQ(panels->keyMapRuns, 0);
    clearTrace();
    clickAndWait(950, 620);
    EXPECT_EQ(countSent("00 12 "), 1) << "one light map written";
    EXPECT_EQ(emulator->image()[img::lightMap(0) + keyLightOffset(30) + 1], 0xFF);
}

TEST_F(WindowTest, ChineseWindowPaints)
{
    start(model::Language::Chinese);
    EXPECT_TRUE(window->chinese());
    const QImage shot = window->grab().toImage();
    EXPECT_EQ(shot.size(), window->size());
}

std::string describe(const ui::FramedText& t)
{
    const QRect m = ui::measuredRect(t), r = t.room();
    return "\"" + t.text.toStdString() + "\" at " + std::to_string(t.font.pixelSize()) + " px measures " +
        std::to_string(m.x()) + "," + std::to_string(m.y()) + " " + std::to_string(m.width()) + "x" +
        std::to_string(m.height()) + " in the room " + std::to_string(r.x()) + "," + std::to_string(r.y()) + " " +
        std::to_string(r.width()) + "x" + std::to_string(r.height());
}

// The fit check over the main window's painting table: in both languages and every state of
// the sections, lists and help menu, each text the paint draws, measured with the font it was
// drawn in, lies inside its frame with the margin; beside an open list no piece of a label
// underneath shows.
TEST_F(WindowTest, EveryPaintedTextFitsItsFrame)
{
    for (model::Language lang : {model::Language::English, model::Language::Chinese}) {
        start(lang);
        std::size_t checked = 0;
        const auto check = [&](const char* state) {
            SCOPED_TRACE(state);
            (void)window->grab();
            QRect list;
            if (window->panel().effectListOpen())
                list = QRect(28, kEffectListTop, 221, 20 * int(kEffectCount));
            if (window->panel().responseListOpen())
                list = QRect(27, window->panel().responseListTop(), 221, 20 * int(kResponseRows));
            EXPECT_FALSE(window->paintedTexts().empty());
            for (const ui::FramedText& t : window->paintedTexts()) {
                ++checked;
                EXPECT_TRUE(ui::fitsItsFrame(t)) << describe(t);
                EXPECT_TRUE(window->rect().contains(t.frame)) << describe(t);
                if (list.intersects(ui::measuredRect(t))) {
                    EXPECT_TRUE(list.contains(ui::measuredRect(t)))
                        << "a label shows beside the open list: " << describe(t);
                }
            }
        };
        check("all closed");
        chooseEffect(1);   // Breathing: direction, speed and brightness
        check("Light open, Breathing");
        click(100, 400);   // Game Mode
        click(100, 455);   // Response Time
        click(100, 525);   // USB Report Rate
        check("every section open");
        click(100, 165);
        check("effect list");
        click(100, 165);
        click(100, 480);
        check("response list");
        click(100, 100);
        chooseEffect(13);   // DIY1: the Keymap and DIY radios
        check("custom effect");
        click(940, 10);
        check("help menu");
        click(940, 10);
        EXPECT_GT(checked, 60u);
        window.reset();
    }
}

// The eight colour chips are a legend: the colour the keyboard uses now is marked, clicking or
// hovering a chip changes nothing.
TEST_F(WindowTest, ColourLegendMarksTheCurrentColourWithoutAHoverLook)
{
    start();
    chooseEffect(0);   // Static
    const auto markedCells = [&] {
        const QImage shot = window->grab().toImage();
        std::vector<int> cells;
        for (int k = 0; k < 8; ++k) {
            // The mark runs round the cell; the chip itself is inset by three pixels.
            const QPoint edge(28 + 25 * k + 1, 223 + 10);
            if (shot.pixelColor(edge) == QColor(255, 255, 255))
                cells.push_back(k);
        }
        return cells;
    };
    for (uint8_t colour : {1, 3, 8}) {
        window->store().image()[img::kColour] = colour;
        EXPECT_EQ(markedCells(), std::vector<int>{colour - 1}) << int(colour);
    }
    const QImage before = window->grab().toImage();
    QTest::mouseMove(window.get(), QPoint(28 + 25 * 2 + 10, 233));
    EXPECT_EQ(window->grab().toImage(), before) << "a chip has a hover look";
    click(28 + 25 * 2 + 10, 233);
    EXPECT_EQ(window->store().image()[img::kColour], 8) << "a chip is not a button";
}

// An effect code the list does not have (another program set it) shows its number.
TEST_F(WindowTest, UnknownEffectCodeShowsItsNumber)
{
    start();
    click(100, 118);   // Light
    window->store().image()[img::kEffect] = 7;
    (void)window->grab();
    bool shown = false;
    for (const ui::FramedText& t : window->paintedTexts())
        shown = shown || (t.text == QStringLiteral("7") && t.frame.top() == 158);
    EXPECT_TRUE(shown);
}

TEST_F(WindowTest, OpenResponseListCoversTheSlidersBeneathIt)
{
    start();
    chooseEffect(1);   // Breathing: brightness and speed sliders shown
    click(100, 455);   // Response Time header (e = 445)
    ASSERT_NE(window->childAt(100, 308), nullptr) << "the speed slider is where the list will be";
    click(100, 480);   // its item box opens the list over the Light panel
    ASSERT_TRUE(window->panel().responseListOpen());
    EXPECT_EQ(window->childAt(100, 308), nullptr);
    EXPECT_EQ(window->childAt(100, 273), nullptr);
    click(100, 308);   // row (308 - 272) / 20 = 1
    EXPECT_EQ(window->store().image()[img::kResponseTime], 2);
    EXPECT_NE(window->childAt(100, 308), nullptr);
}

TEST_F(WindowTest, DragOnEmptySurfaceMovesTheWindowWhereTheSystemCannot)
{
    start();
    const QPoint start = window->pos();
    const auto send = [&](QEvent::Type type, QPoint local, Qt::MouseButtons buttons, Qt::MouseButton button) {
        QMouseEvent e(type, QPointF(local), QPointF(window->mapToGlobal(local)), button, buttons, Qt::NoModifier);
        QCoreApplication::sendEvent(window.get(), &e);
    };
    // The offscreen platform has no system move: the window follows the mouse itself.
    send(QEvent::MouseButtonPress, {600, 480}, Qt::LeftButton, Qt::LeftButton);
    send(QEvent::MouseMove, {640, 500}, Qt::LeftButton, Qt::NoButton);
    EXPECT_EQ(window->pos(), start + QPoint(40, 20));
    send(QEvent::MouseButtonRelease, {640, 500}, Qt::NoButton, Qt::LeftButton);
    const QPoint moved = window->pos();
    send(QEvent::MouseMove, {700, 520}, Qt::NoButton, Qt::NoButton);
    EXPECT_EQ(window->pos(), moved);
    // A press on a button or a key never drags.
    send(QEvent::MouseButtonPress, {950, 620}, Qt::LeftButton, Qt::LeftButton);
    send(QEvent::MouseMove, {900, 600}, Qt::LeftButton, Qt::NoButton);
    EXPECT_EQ(window->pos(), moved);
}

// Clicks and paints while the start-up read runs on the link thread, the keyboard at the protocol's
// own pace (a few hundred ms): the Light section folds and unfolds, the effect list is opened and
// Static (the keyboard's own effect) chosen, the window paints at once. Then the window shows the
// keyboard's configuration: the working image and the shadow are the keyboard's, the sliders its
// levels. Built with ORVANE_TSAN, this is where a link thread touching the image the window paints
// and edits shows.
TEST_F(WindowTest, ClicksAndPaintsDuringTheStartUpReadGiveWayToTheKeyboard)
{
    QByteArray keymap(int(link::kKeymapFileSize), '\0');   // an earlier run on this keyboard
    const link::ConfigImage earlier = emulator->image();     // by value: one copy for both ends
    std::copy(earlier.begin(), earlier.end(), keymap.begin());
    QFile file(keymapPath());
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(keymap);
    file.close();

    link::RealSleeper pace;
    const ShellContext base = context();
    const ShellContext ctx{.backend = base.backend,
                           .dialogs = base.dialogs,
                           .sleeper = pace,
                           .launcher = base.launcher,
                           .installFolder = base.installFolder,
                           .dataFolder = base.dataFolder,
                           .verBinPath = base.verBinPath,
                           .showSplash = false,
                           .useTray = false,
                           .hotplugDelays = {0, 0, 0}};
    window = std::make_unique<CVelkorDlg>(ctx);
    ASSERT_TRUE(window->initialise());
    window->show();
    int turns = 0;
    while (window->session().awaitingStartupRead()) {
        chooseEffect(0);     // unfolds the Light section when folded, opens the list, picks Static
        window->repaint();   // reads the image and holds the colour in range
        click(100, 118);     // folds or unfolds the Light section
        ++turns;
        QCoreApplication::processEvents();
    }
    window->keyboardLink().WaitForIdle();
    QCoreApplication::processEvents();
    EXPECT_GT(turns, 1) << "the read must run while the window is used";
    const link::ConfigImage keyboard = emulator->image();   // the read-all sets game mode 1 first
    for (std::size_t i = 0; i < keyboard.size(); ++i) {
        ASSERT_EQ(window->store().image()[i], keyboard[i]) << "working image byte " << i;
        ASSERT_EQ(window->store().shadowImage()[i], keyboard[i]) << "shadow byte " << i;
    }
    EXPECT_EQ(window->slider(controls::kBrightnessSliderId).value(), keyboard[img::kBrightness]);
    EXPECT_EQ(window->slider(controls::kSpeedSliderId).value(), keyboard[img::kSpeed]);
    window.reset();   // before `pace`, which its link holds
}

TEST_F(WindowTest, KeyboardPluggedInLaterIsReadAndTheTrayThenShowsTheWindow)
{
    emulator->unplug();
    dialogs.answerMessage(ui::MessageResult::Ok);   // the start's notice
    start();
    ASSERT_FALSE(shown);
    emulator->replug();
    for (int i = 0; i < 200 && !window->keyboardLink().commandOpen(); ++i)
        QTest::qWait(5);
    ASSERT_TRUE(window->keyboardLink().commandOpen());
    // The arrival's read runs on the link thread (a fixed wait was too short under a sanitizer);
    // its result, then the lighting read the configuration-loaded handling asks for.
    window->keyboardLink().WaitForIdle();
    QCoreApplication::processEvents();
    EXPECT_EQ(window->slider(controls::kSpeedSliderId).value(), 5);
    EXPECT_EQ(window->store().image()[img::kBrightness], 50);
    window->trayActivated(QSystemTrayIcon::DoubleClick);
    EXPECT_TRUE(window->isVisible());
}

// A backend whose hot-plug monitor cannot be made.
class NoMonitorBackend final : public hid::Backend {
public:
    explicit NoMonitorBackend(hid::Backend& inner) : inner_(inner) {}
    std::vector<hid::InterfaceInfo> enumerate() override { return inner_.enumerate(); }
    std::unique_ptr<hid::Device> open(const std::string& path) override { return inner_.open(path); }
    std::unique_ptr<hotplug::Monitor> createMonitor() override { return nullptr; }

private:
    hid::Backend& inner_;
};

TEST_F(WindowTest, MonitorRegistrationFailureIsReportedAndStartUpGoesOn)
{
    auto inner = std::move(backend);
    backend = std::make_unique<NoMonitorBackend>(*inner);
    dialogs.answerMessage(ui::MessageResult::Ok);
    start();
    ASSERT_EQ(dialogs.asked().size(), 1u);
    EXPECT_EQ(dialogs.asked()[0].text, QStringLiteral("Cannot register for Wdm2 class device notification"));
    EXPECT_TRUE(shown);
    EXPECT_TRUE(window->keyboardLink().commandOpen());
    window.reset();
}

TEST(ShellSettings, LanguageValueIsCaseSensitive)
{
    QTemporaryDir dir;
    const struct {
        const char* value;
        bool chinese;
    } cases[] = {
        {"chinese", true},
        {"Chinese", false},
        {"english", false},
    };
    for (const auto& c : cases) {
        // One file per case: QSettings caches a file it read in the same second at the same size.
        const QString path = dir.filePath(QStringLiteral("%1/PX840.conf").arg(c.value));
        ASSERT_TRUE(QDir().mkpath(dir.filePath(c.value)));
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write(QByteArray("[General]\nLanguage=") + c.value + "\n");
        f.close();
        EXPECT_EQ(platform::Settings(path.toStdString()).chinese(), c.chinese) << c.value;
    }
}

TEST(ShellVerBin, DigitsAtFiveAndSeven)
{
    QTemporaryDir dir;
    const QString path = dir.filePath("VER.bin");
    EXPECT_EQ(ReadVerBin(path), (platform::FirmwareVersion{0, 0}));
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write("V0000102xxxx");
    f.close();
    EXPECT_EQ(ReadVerBin(path), (platform::FirmwareVersion{1, 2}));
}

TEST(ShellSingleInstance, SecondCopyAsksTheFirstToShow)
{
    QTemporaryDir dir;
    SingleInstance first(dir.path() + u'/');
    ASSERT_TRUE(first.acquire());
    QSignalSpy shown(&first, &SingleInstance::showRequested);
    SingleInstance second(dir.path() + u'/');
    EXPECT_FALSE(second.acquire());
    // The second copy blocks while it asks; the first answers from its event loop on another thread.
    std::thread asker([&] {
        SingleInstance third(dir.path() + u'/');
        EXPECT_TRUE(third.askFirstToShow(2000));
    });
    for (int i = 0; i < 200 && shown.count() == 0; ++i)
        QTest::qWait(10);
    asker.join();
    EXPECT_EQ(shown.count(), 1);
}

}   // namespace
