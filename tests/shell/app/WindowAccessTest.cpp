// The main window to screen readers and the keyboard, offscreen on the emulated keyboard: the
// accessible tree in both languages, states and values, presses through the accessible actions
// that reach the keyboard, and the walk with Tab, the arrows, Space and Escape.

#include "keymap/logic/KeyCodes.h"
#include "shell/app/CVelkorDlg.h"
#include "tests/support/MainWindow.h"

#include <QAccessible>
#include <QApplication>
#include <QDialog>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

using namespace orvane;
using namespace orvane::shell;
namespace img = link::image;

namespace {

constexpr std::size_t kKeyQ = 42;
constexpr uint8_t kVkF5 = 0x74;

// The key map panel answers as a test says.
class ScriptedPanels final : public PanelHost {
public:
    std::function<bool(const KeyMapRequest&, keymap::PendingAssignment&, uint8_t&)> keyMap;
    bool runKeyMap(QWidget*, const KeyMapRequest& r, keymap::PendingAssignment& p, uint8_t& enabled) override
    {
        return keyMap ? keyMap(r, p, enabled) : false;
    }
    bool runMacroManager(QWidget*) override { return false; }
};

class WindowAccessTest : public ::testing::Test, protected test::EmulatedMainWindow {
protected:
    void SetUp() override { ASSERT_NO_FATAL_FAILURE(connectKeyboard()); }
    void TearDown() override { closeWindow(); }

    void start(model::Language language = model::Language::English)
    {
        ASSERT_TRUE(EmulatedMainWindow::start(context(language), [this](CVelkorDlg& w) {
            auto host = std::make_unique<ScriptedPanels>();
            panels = host.get();
            w.setPanelHost(std::move(host));
        }));
        window->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(window.get()));
    }

    ui::PaintedAccess& access() { return window->access(); }
    QAccessibleInterface* control(const QString& id) { return access().accessibleControl(id); }
    void act(const QString& id, const QString& action = QAccessibleActionInterface::pressAction())
    {
        QAccessibleInterface* c = control(id);
        ASSERT_NE(c, nullptr) << id.toStdString();
        ASSERT_TRUE(c->actionInterface()->actionNames().contains(action)) << id.toStdString();
        c->actionInterface()->doAction(action);
    }
    void key(int k, Qt::KeyboardModifiers m = Qt::NoModifier) { QTest::keyClick(window.get(), Qt::Key(k), m); }
    QString focusedName() const
    {
        const ui::PaintedControl* c = window->access().focused();
        return c ? c->name : QString();
    }
    ScriptedPanels* panels = nullptr;
};

class WindowAccessTreeTest : public WindowAccessTest, public ::testing::WithParamInterface<model::Language> {};

TEST_P(WindowAccessTreeTest, EveryControlHasItsRoleAndNameInTheWindowsLanguage)
{
    start(GetParam());
    const bool chinese = GetParam() == model::Language::Chinese;
    for (const char* id : {"light", "gameHeader", "responseHeader", "reportHeader"})
        act(QString::fromLatin1(id));
    struct Row {
        QAccessible::Role role;
        const char* english;
        const char* chinese;
    };
    const Row rows[] = {
        {QAccessible::Button, "Help", "帮助"},
        {QAccessible::Button, "Minimise", "最小化"},
        {QAccessible::Button, "Close", "关闭"},
        {QAccessible::Button, "Light", "灯光"},
        {QAccessible::ComboBox, "Effect: Static", "效果：全亮"},
        {QAccessible::RadioButton, "Colour 1", "颜色 1"},
        {QAccessible::RadioButton, "Colour 8", "颜色 8"},
        {QAccessible::Slider, "Brightness", "亮度"},
        {QAccessible::Button, "Macro Management", "宏管理器"},
        {QAccessible::Button, "Game Mode", "游戏模式"},
        {QAccessible::Button, "Win Lock", "Win Lock模式"},
        {QAccessible::RadioButton, "Game Mode on", "游戏模式 开启"},
        {QAccessible::RadioButton, "Win Lock off", "Win Lock模式 关闭"},
        {QAccessible::Button, "Response Time", "按键响应时间"},
        {QAccessible::ComboBox, "Response time: 2 ms", "按键响应时间：2 ms"},
        {QAccessible::Slider, "USB Report Rate", "USB报告率"},
        {QAccessible::Button, "Q", "Q"},
        {QAccessible::Button, "Esc", "Esc"},
        {QAccessible::Button, "M1", "M1"},
        {QAccessible::Button, "Profile", "配置"},
        {QAccessible::Button, "Return", "恢复"},
        {QAccessible::Button, "Cancel", "取消"},
        {QAccessible::Button, "Save", "保存"},
    };
    QAccessibleInterface* w = QAccessible::queryAccessibleInterface(window.get());
    for (const Row& row : rows) {
        const QString name = QString::fromUtf8(chinese ? row.chinese : row.english);
        bool found = false;
        for (int i = 0; i < w->childCount(); ++i)
            found = found || (w->child(i)->text(QAccessible::Name) == name && w->child(i)->role() == row.role);
        EXPECT_TRUE(found) << name.toStdString() << " as role " << int(row.role);
    }
    EXPECT_EQ(window->store().image()[img::kEffect], 1) << "the table's effect and response time";
    int keys = 0, sliders = 0;
    for (int i = 0; i < w->childCount(); ++i) {
        keys += w->child(i)->rect().intersects(
                    QRect(window->mapToGlobal(QPoint(kKeyboardLeft, kKeyboardTop)), QSize(640, 250))) &&
            w->child(i)->role() == QAccessible::Button;
        sliders += w->child(i)->role() == QAccessible::Slider;
        EXPECT_EQ(w->child(i)->object(), nullptr) << "a real child in the tree";
    }
    EXPECT_EQ(keys, int(keymap::kKeyCount));
    EXPECT_EQ(sliders, 2) << "the painted Brightness and USB Report Rate (Static has no speed); the real sliders stay "
                             "out";
}

INSTANTIATE_TEST_SUITE_P(Languages, WindowAccessTreeTest,
                         ::testing::Values(model::Language::English, model::Language::Chinese), [](const auto& info) {
                             return info.param == model::Language::Chinese ? "Chinese" : "English";
                         });

TEST_F(WindowAccessTest, StatesAndValuesFollowThePanel)
{
    start();
    QAccessibleInterface* light = control("light");
    EXPECT_TRUE(light->state().expandable && light->state().collapsed);
    EXPECT_EQ(control("brightness"), nullptr) << "a folded section's controls are not there";
    act("light");
    EXPECT_TRUE(light->state().expanded);
    QAccessibleInterface* brightness = control("brightness");
    ASSERT_NE(brightness, nullptr);
    EXPECT_EQ(brightness->valueInterface()->currentValue().toInt(), 50);
    EXPECT_EQ(brightness->valueInterface()->minimumValue().toInt(), 0);
    EXPECT_EQ(brightness->valueInterface()->maximumValue().toInt(), 50);
    EXPECT_EQ(brightness->text(QAccessible::Value), "50");
    const QRect real = window->slider(controls::kBrightnessSliderId).geometry();
    EXPECT_TRUE(brightness->rect().contains(real.translated(window->mapToGlobal(QPoint(0, 0)))))
        << "the painted slider lies over the real one";
    QAccessibleInterface* speed = control("speed");
    EXPECT_EQ(speed, nullptr) << "Static has no speed";

    act("reportHeader");
    QAccessibleInterface* rate = control("reportRate");
    ASSERT_NE(rate, nullptr);
    EXPECT_EQ(rate->valueInterface()->maximumValue().toInt(), 3);
    EXPECT_EQ(rate->text(QAccessible::Value),
              QStringLiteral("%1 Hz").arg(125 << window->store().image()[img::kReportRate]));

    act("gameHeader");
    const bool game = window->store().image()[img::kGameMode] != 0;
    EXPECT_EQ(control("gameOn")->state().checked, game);
    EXPECT_EQ(control("gameOff")->state().checked, !game);
    act(game ? "gameOff" : "gameOn", QAccessibleActionInterface::toggleAction());
    EXPECT_EQ(window->store().image()[img::kGameMode] != 0, !game);
    EXPECT_EQ(control("gameOn")->state().checked, !game);

    QAccessibleInterface* leftWindows = control(QStringLiteral("key:%1").arg(keymap::kKeyLeftWindows));
    EXPECT_TRUE(leftWindows->state().disabled) << "Keymap mode takes no click on it";
    EXPECT_TRUE(leftWindows->actionInterface()->actionNames().isEmpty());
    EXPECT_FALSE(control(QStringLiteral("key:%1").arg(kKeyQ))->state().disabled);

    // A light map: every key says whether it is lit, and a press lights it.
    act("effectBox");
    act("effect:13", QAccessibleActionInterface::toggleAction());   // DIY1
    ASSERT_TRUE(window->panel().diyMode());
    QAccessibleInterface* q = control(QStringLiteral("key:%1").arg(kKeyQ));
    EXPECT_EQ(q->text(QAccessible::Name), "Q, not lit");
    act(QStringLiteral("key:%1").arg(kKeyQ), QAccessibleActionInterface::toggleAction());
    EXPECT_TRUE(window->panel().keyLit(kKeyQ));
    EXPECT_EQ(q->text(QAccessible::Name), "Q, lit");
    EXPECT_TRUE(q->state().checked);
    EXPECT_FALSE(leftWindows->state().disabled) << "in a light map every key takes a click";
}

TEST_F(WindowAccessTest, ActionsDoTheCommandsOnTheKeyboard)
{
    start();
    act("light");
    EXPECT_FALSE(window->panel().lightCollapsed());
    act("effectBox");
    ASSERT_TRUE(window->panel().effectListOpen());
    QAccessibleInterface* wave = control("effect:2");
    ASSERT_NE(wave, nullptr);
    EXPECT_EQ(wave->text(QAccessible::Name), "Wave");
    EXPECT_EQ(wave->role(), QAccessible::ListItem);
    EXPECT_FALSE(wave->state().checked);
    EXPECT_EQ(control("brightness"), nullptr) << "the open list lies over the slider";
    act("effect:2", QAccessibleActionInterface::toggleAction());
    EXPECT_FALSE(window->panel().effectListOpen());
    EXPECT_EQ(window->store().image()[img::kEffect], 3);
    EXPECT_EQ(control("effectBox")->text(QAccessible::Name), "Effect: Wave");
    EXPECT_EQ(control("direction:0")->role(), QAccessible::RadioButton) << "Wave has directions";

    control("brightness")->valueInterface()->setCurrentValue(20);
    EXPECT_EQ(window->slider(controls::kBrightnessSliderId).value(), 20) << "the real slider moves";
    EXPECT_EQ(window->store().image()[img::kBrightness], 20);
    act("speed", QAccessibleActionInterface::increaseAction());
    EXPECT_EQ(window->store().image()[img::kSpeed], 6);

    act("save");
    window->keyboardLink().WaitForIdle();
    EXPECT_EQ(emulator->image()[img::kEffect], 3);
    EXPECT_EQ(emulator->image()[img::kBrightness], 20);
    EXPECT_EQ(emulator->image()[img::kSpeed], 6);
    EXPECT_EQ(window->store().image(), window->store().shadowImage());
}

TEST_F(WindowAccessTest, TabWalksInReadingOrderAndTheArrowsCrossTheKeyboard)
{
    start();
    QStringList stops;
    for (int i = 0; i < 15; ++i) {
        key(Qt::Key_Tab);
        stops << focusedName();
    }
    EXPECT_EQ(stops,
              QStringList({"Help", "Minimise", "Close", "Light", "Macro Management", "Game Mode", "Win Lock",
                           "Response Time", "USB Report Rate", "Esc", "Profile", "Return", "Cancel", "Save", "Help"}));
    EXPECT_TRUE(access().markShown());
    key(Qt::Key_Backtab);
    key(Qt::Key_Backtab);
    key(Qt::Key_Backtab);
    key(Qt::Key_Backtab);
    key(Qt::Key_Backtab);
    ASSERT_EQ(focusedName(), "Esc") << "the keyboard picture is one stop";
    const std::pair<int, const char*> walk[] = {
        {Qt::Key_Down, "`"},  {Qt::Key_Right, "1"}, {Qt::Key_Left, "`"},    {Qt::Key_Left, "M1"},
        {Qt::Key_Left, "M1"}, {Qt::Key_Down, "M2"}, {Qt::Key_Right, "Tab"}, {Qt::Key_Right, "Q"},
    };
    for (const auto& [k, name] : walk) {
        key(k);
        EXPECT_EQ(focusedName(), QString::fromLatin1(name)) << "after key " << k;
    }
    // Space on Q is the click on it: the key map panel, then Q's name says what it does.
    panels->keyMap = [](const KeyMapRequest& request, keymap::PendingAssignment& p, uint8_t&) {
        EXPECT_EQ(request.key, kKeyQ);
        p.category = keymap::acSingle;
        p.keys[0] = kVkF5;
        p.keyCount = 1;
        return true;
    };
    key(Qt::Key_Space);
    EXPECT_EQ(keymap::keyCell(window->store().image(), kKeyQ).b2, 0x3E) << "F5's usage";
    EXPECT_EQ(focusedName(), "Q, assigned to F5");
    QTest::mouseClick(window.get(), Qt::LeftButton, {}, QPoint(600, 40));
    EXPECT_FALSE(access().markShown()) << "the mouse hides the mark";
}

TEST_F(WindowAccessTest, ListsOpenIntoTheFocusAndEscapeClosesThem)
{
    start();
    key(Qt::Key_Tab);
    key(Qt::Key_Tab);
    key(Qt::Key_Tab);
    key(Qt::Key_Tab);
    ASSERT_EQ(focusedName(), "Light");
    key(Qt::Key_Return);
    EXPECT_FALSE(window->panel().lightCollapsed());
    key(Qt::Key_Tab);
    ASSERT_EQ(access().focusedId(), "effectBox");
    key(Qt::Key_Space);
    ASSERT_TRUE(window->panel().effectListOpen());
    EXPECT_EQ(focusedName(), "Static") << "the list opens at the current effect";
    key(Qt::Key_Down);
    key(Qt::Key_Down);
    EXPECT_EQ(focusedName(), "Wave");
    key(Qt::Key_Escape);
    EXPECT_FALSE(window->panel().effectListOpen());
    EXPECT_EQ(window->store().image()[img::kEffect], 1) << "Escape chooses nothing";
    EXPECT_EQ(access().focusedId(), "effectBox");
    EXPECT_TRUE(window->isVisible());
    key(Qt::Key_Space);
    key(Qt::Key_Down);
    key(Qt::Key_Down);
    key(Qt::Key_Return);
    EXPECT_EQ(window->store().image()[img::kEffect], 3);
    EXPECT_EQ(access().focusedId(), "effectBox") << "back on the box it was chosen from";

    // The help menu as well; Escape with nothing open leaves everything as it is.
    for (int i = 0; i < 40 && access().focusedId() != "help"; ++i)
        key(Qt::Key_Backtab);
    key(Qt::Key_Space);
    ASSERT_TRUE(window->panel().helpMenuOpen());
    EXPECT_EQ(access().focusedId(), "helpRow:0");
    key(Qt::Key_Escape);
    EXPECT_FALSE(window->panel().helpMenuOpen());
    EXPECT_EQ(access().focusedId(), "help");
    key(Qt::Key_Escape);
    EXPECT_TRUE(window->isVisible());
    EXPECT_FALSE(window->panel().lightCollapsed());
}

TEST_F(WindowAccessTest, SliderKeysAreOneUndoStepEachAndAnnounced)
{
    start();
    act("light");
    std::vector<std::pair<QAccessible::Event, QString>> events;
    ui::PaintedAccess::observeEvents([&](const QAccessibleEvent& e) {
        QAccessibleInterface* i = e.accessibleInterface();
        events.emplace_back(e.type(), i ? i->text(QAccessible::Name) : QString());
    });
    ASSERT_TRUE(access().focus("brightness"));
    key(Qt::Key_Left);
    key(Qt::Key_Left);
    EXPECT_EQ(window->store().image()[img::kBrightness], 48);
    key(Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(window->store().image()[img::kBrightness], 49);
    EXPECT_EQ(control("brightness")->valueInterface()->currentValue().toInt(), 49);
    ui::PaintedAccess::observeEvents(nullptr);
    EXPECT_EQ(
        std::count(events.begin(), events.end(), std::make_pair(QAccessible::ValueChanged, QString("Brightness"))), 3)
        << "two keys and the undo";
}

}   // namespace

namespace {

// From start-up with keys alone: open Light, choose Wave, set the brightness, assign F5 to Q in the
// key map panel (the real one, run modally by the window), Save; the keyboard then holds all of it.
class KeyboardWalkTest : public ::testing::Test, protected test::EmulatedMainWindow {
protected:
    void SetUp() override { ASSERT_NO_FATAL_FAILURE(connectKeyboard()); }
    void TearDown() override { closeWindow(); }

    // The key goes where a key press goes: the focused widget of the active window.
    static void key(int k)
    {
        QWidget* to = QApplication::focusWidget() ? QApplication::focusWidget() : QApplication::activeWindow();
        ASSERT_NE(to, nullptr);
        QTest::keyClick(to, Qt::Key(k));
        QCoreApplication::processEvents();   // what the key hook posts, and what the key queued
        QCoreApplication::processEvents();
    }
    static QString focusedIn(QWidget* w)
    {
        const ui::PaintedAccess* a = ui::PaintedAccess::of(w);
        return a ? a->focusedId() : QString();
    }
    // Tab until `id` has the focus (at most once round the window).
    static void tabTo(QWidget* w, const QString& id)
    {
        for (int i = 0; i < 200 && focusedIn(w) != id; ++i)
            key(Qt::Key_Tab);
        ASSERT_EQ(focusedIn(w), id);
    }
};

TEST_F(KeyboardWalkTest, LightWaveBrightnessF5OnQAndSaveWithKeysAlone)
{
    ASSERT_TRUE(start());
    window->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(window.get()));
    QWidget* w = window.get();

    tabTo(w, "light");
    key(Qt::Key_Return);
    tabTo(w, "effectBox");
    key(Qt::Key_Return);   // the list opens with the focus on the current effect
    const int wave = usecases::effectRow(usecases::kEffectWave);
    for (int i = 0; i < 30 && focusedIn(w) != QStringLiteral("effect:%1").arg(wave); ++i)
        key(wave > usecases::effectRow(window->store().image()[img::kEffect]) ? Qt::Key_Down : Qt::Key_Up);
    key(Qt::Key_Return);
    ASSERT_EQ(window->store().image()[img::kEffect], usecases::kEffectWave);

    tabTo(w, "brightness");
    key(Qt::Key_Home);
    for (int i = 0; i < 30; ++i)
        key(Qt::Key_Right);

    // The keyboard picture is one stop; the arrows cross it to Q (row 3, beside Tab).
    for (int i = 0; i < 200 && !focusedIn(w).startsWith("key:"); ++i)
        key(Qt::Key_Tab);
    const auto keyOf = [&] { return focusedIn(w).mid(4).toULong(); };
    const ui::PaintedAccess& access = *ui::PaintedAccess::of(w);
    const QPoint q = access.controls()[std::size_t(access.indexOf(QStringLiteral("key:%1").arg(kKeyQ)))].rect.center();
    for (int i = 0; i < 40 && keyOf() != kKeyQ; ++i) {
        const QPoint at = access.focused()->rect.center();
        key(std::abs(at.y() - q.y()) > 8 ? (at.y() < q.y() ? Qt::Key_Down : Qt::Key_Up)
                                         : (at.x() < q.x() ? Qt::Key_Right : Qt::Key_Left));
    }
    ASSERT_EQ(keyOf(), kKeyQ);

    // Space on Q opens the key map panel (shown, not run in a loop of its own, under the test's
    // dialog seam); inside it: Tab to the Single box, Space to capture, F5, Tab on to Save, Enter.
    bool panelSeen = false;
    dialogs.answerPanel([&](QDialog& panel) {
        panelSeen = true;
        panel.show();
        panel.activateWindow();
        EXPECT_TRUE(QTest::qWaitForWindowActive(&panel));
        key(Qt::Key_Tab);
        key(Qt::Key_Space);
        key(Qt::Key_F5);
        tabTo(&panel, "save");
        key(Qt::Key_Return);
        return panel.result();
    });
    key(Qt::Key_Space);
    ASSERT_TRUE(panelSeen) << "the key map panel did not open";
    window->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(window.get()));

    tabTo(w, "save");
    key(Qt::Key_Return);
    window->keyboardLink().WaitForIdle();
    QCoreApplication::processEvents();
    const link::ConfigImage kb = emulator->image();
    EXPECT_EQ(kb[img::kEffect], usecases::kEffectWave);
    EXPECT_EQ(kb[img::kBrightness], 30);
    EXPECT_EQ(keymap::keyCell(kb, kKeyQ).b2, 0x3E) << "F5's usage on Q";
}

}   // namespace
