// The main window's painted controls for screen readers and the keyboard: what each skinned
// control is, in the order a reader takes them (title strip, the left column from top to bottom,
// the keyboard picture, the bottom buttons). Built afresh from the panel's state whenever asked;
// a press is the click the mouse would give at the control, so both go the same way.

#include "shell/app/CVelkorDlg.h"

#include "keymap/logic/KeyDescription.h"
#include "model/KeyTables.h"

#include <QFontMetrics>
#include <QUrl>

#include <algorithm>

namespace orvane::shell {

namespace img = link::image;
using controls::kBrightnessSliderId;
using controls::kReportRateSliderId;
using controls::kSpeedSliderId;
using ui::PaintedControl;

namespace {

constexpr int kRadioLabelPx = 11;    // as painted
constexpr int kRadioLabelGap = 12;   // from a radio's left edge to its label
// The custom effects' radios: their hit rectangles and the labels' right ends.
constexpr QRect kKeymapRadio{QPoint(28, 200), QPoint(42, 214)};
constexpr QRect kDiyRadio{QPoint(130, 200), QPoint(144, 214)};
constexpr int kKeymapLabelRight = 127, kDiyLabelRight = 229;
constexpr int kColourLeft = 28, kColourTop = 223, kColourStep = 25, kColourCell = 21, kColourCount = 8;
constexpr int kGameDivider = 147;   // Game Mode's and Win Lock's halves of their header
constexpr int kHelpMenuLeft = 831, kHelpMenuWidth = 164;
// The Light panel's sliders with their captions above and their end labels below: the caption
// lies close over the track, so a mark around the track alone would cut through it.
constexpr QRect kBrightnessGroup{QPoint(22, 246), QPoint(258, 288)};
constexpr QRect kSpeedGroup{QPoint(22, 288), QPoint(258, 331)};

// The layout table counts rows from the bottom (0) to the function keys (5); the picture is read
// from the top. The macro keys stand in a column of their own left of the main block, one on
// each row from the number row down.
constexpr int kTopRow = 5;

QRect rectOf(const Rect& r)
{
    return QRect(QPoint(r.left, r.top), QPoint(r.right, r.bottom));
}

QRect keyRectOf(std::size_t key)
{
    const keymap::KeyRect& r = keymap::KeyLayoutTable[key].rect;
    return QRect(QPoint(r.left, r.top), QPoint(r.right, r.bottom)).translated(kKeyboardLeft, kKeyboardTop);
}

QString fromU16(std::u16string_view s)
{
    return QString::fromUtf16(s.data(), qsizetype(s.size()));
}

// One radio of a pair: the arrows move along its group by column.
PaintedControl radioOf(PaintedControl c, const QString& group, int column, bool checked)
{
    c.role = QAccessible::RadioButton;
    c.group = group;
    c.column = column;
    c.checkable = true;
    c.checked = checked;
    return c;
}

}   // namespace

PaintedControl CVelkorDlg::clickable(const QString& id, const QString& name, const QRect& rect, QPoint at)
{
    PaintedControl c;
    c.id = id;
    c.name = name;
    c.rect = rect;
    c.press = [this, at] {
        const bool keyboard = access_->markShown();
        const QString opener = openListOpener();
        clickAt(at);
        focusAfterPress(keyboard, opener);
    };
    return c;
}

std::vector<PaintedControl> CVelkorDlg::describeControls()
{
    std::vector<PaintedControl> out;
    describeTitleStrip(out);
    describeLight(out);
    describeLowerSections(out);
    describeKeys(out);
    describeBottom(out);
    // An open list lies over the controls beneath it: the mouse cannot reach them, nor can the
    // keyboard.
    if (const QRect list = openListArea(); !list.isEmpty())
        out.erase(std::remove_if(out.begin(), out.end(),
                                 [&](const PaintedControl& c) {
                                     return c.group != QLatin1String("effects") &&
                                         c.group != QLatin1String("responses") && c.rect.intersects(list);
                                 }),
                  out.end());
    return out;
}

void CVelkorDlg::describeTitleStrip(std::vector<PaintedControl>& out)
{
    const auto& b = panel_->buttons();
    PaintedControl help = clickable(QStringLiteral("help"), tr2("Help", "帮助"), rectOf(b[cmd::kHelp].rect),
                                    rectOf(b[cmd::kHelp].rect).center());
    help.expandable = true;
    help.expanded = panel_->helpMenuOpen();
    out.push_back(help);
    if (panel_->helpMenuOpen()) {
        QString host = QUrl(QString::fromLatin1(kMakerWebPage)).host();
        if (host.startsWith(QLatin1String("www.")))
            host.remove(0, 4);
        const QString rows[kHelpRows] = {host, tr2("Update Firmware", "驱动更新"), tr2("LCD Setting", "LCD设置")};
        for (int row = 0; row < kHelpRows; ++row) {
            const QRect r(kHelpMenuLeft, kHelpMenuArea.top + kHelpRowHeight * row, kHelpMenuWidth, kHelpRowHeight);
            PaintedControl item = clickable(QStringLiteral("helpRow:%1").arg(row), rows[row], r, r.center());
            item.role = QAccessible::MenuItem;
            item.group = QStringLiteral("help");
            item.row = row;
            out.push_back(item);
        }
    }
    out.push_back(clickable(QStringLiteral("minimise"), tr2("Minimise", "最小化"), rectOf(b[cmd::kMinimise].rect),
                            rectOf(b[cmd::kMinimise].rect).center()));
    out.push_back(clickable(QStringLiteral("close"), tr2("Close", "关闭"), rectOf(b[cmd::kClose].rect),
                            rectOf(b[cmd::kClose].rect).center()));
}

void CVelkorDlg::describeLight(std::vector<PaintedControl>& out)
{
    const auto& b = panel_->buttons();
    const QRect header = rectOf(b[cmd::kLightHeader].rect);
    PaintedControl light = clickable(QStringLiteral("light"), tr2("Light", "灯光"), header, header.center());
    light.expandable = true;
    light.expanded = !panel_->lightCollapsed();
    out.push_back(light);
    if (!panel_->lightCollapsed()) {
        const uint8_t effect = store().image()[img::kEffect];
        const QRect box = rectOf(b[cmd::kEffectBox].rect);
        PaintedControl list = clickable(QStringLiteral("effectBox"),
                                        tr2("Effect: %1", "效果：%1").arg(effectName(effect)), box, box.center());
        list.role = QAccessible::ComboBox;
        list.valueText = effectName(effect);
        list.expandable = true;
        list.expanded = panel_->effectListOpen();
        out.push_back(list);
        if (panel_->effectListOpen())
            for (std::size_t k = 0; k < kEffectCount; ++k) {
                const QRect r(28, kEffectListTop + kListRowHeight * int(k), 221, kListRowHeight);
                PaintedControl item =
                    clickable(QStringLiteral("effect:%1").arg(k),
                              fromU16(chinese() ? kEffectList[k].chinese : kEffectList[k].english), r, r.center());
                item.role = QAccessible::ListItem;
                item.group = QStringLiteral("effects");
                item.row = int(k);
                item.checkable = true;
                item.checked = kEffectList[k].code == effect;
                out.push_back(item);
            }
        describeLightOptions(out, effect);
    }
    const QRect macro = rectOf(b[cmd::kMacro].rect);
    out.push_back(clickable(QStringLiteral("macro"), tr2("Macro Management", "宏管理器"), macro, macro.center()));
}

void CVelkorDlg::describeLightOptions(std::vector<PaintedControl>& out, uint8_t effect)
{
    const auto& b = panel_->buttons();
    const auto radio = [&](const QString& id, const QString& name, const QString& group, int column, bool checked,
                           QRect rect, QPoint at) {
        out.push_back(radioOf(clickable(id, name, rect, at), group, column, checked));
    };
    const uint8_t direction = store().image()[img::kDirection];
    const auto shown = directionButtons(effect);
    for (std::size_t i = 0; i < shown.size(); ++i) {
        if (shown[i] == DirectionButton::None)
            continue;
        static const char* const kEnglish[] = {"", "Direction up", "Direction down", "Direction left",
                                               "Direction right"};
        static const char* const kChinese[] = {"", "方向 上", "方向 下", "方向 左", "方向 右"};
        const std::size_t d = std::size_t(shown[i]);
        const QRect r = rectOf(b[std::size_t(cmd::kDirT) + i].rect);
        radio(QStringLiteral("direction:%1").arg(i), tr2(kEnglish[d], kChinese[d]), QStringLiteral("direction"), int(i),
              directionButtonLit(effect, direction, shown[i]), r, r.center());
    }
    if (isCustomEffect(effect)) {
        // The labels are painted in English in both languages.
        radio(QStringLiteral("keymapMode"), QStringLiteral("Keymap"), QStringLiteral("lightMode"), 0,
              !panel_->diyMode(), kKeymapRadio.united(QRect(QPoint(41, 199), QPoint(kKeymapLabelRight, 214))),
              kKeymapRadio.center());
        radio(QStringLiteral("diyMode"), QStringLiteral("DIY"), QStringLiteral("lightMode"), 1, panel_->diyMode(),
              kDiyRadio.united(QRect(QPoint(143, 199), QPoint(kDiyLabelRight, 214))), kDiyRadio.center());
    }
    // The colour legend: a click on it changes nothing, so it says which colour is in use.
    const uint8_t colour = store().image()[img::kColour];
    for (int k = 0; k < kColourCount; ++k) {
        PaintedControl c;
        c.id = QStringLiteral("colour:%1").arg(k + 1);
        c.role = QAccessible::RadioButton;
        c.name = tr2("Colour %1", "颜色 %1").arg(k + 1);
        c.rect = QRect(kColourLeft + kColourStep * k, kColourTop, kColourCell, kColourCell);
        c.group = QStringLiteral("colours");
        c.column = k;
        c.checkable = true;
        c.checked = colour == k + 1;
        out.push_back(c);
    }
    if (panel_->brightnessSliderShown())
        out.push_back(describeSlider(kBrightnessSliderId, tr2("Brightness", "亮度"),
                                     QString::number(brightness_->value()), kBrightnessGroup));
    if (panel_->speedSliderShown())
        out.push_back(
            describeSlider(kSpeedSliderId, tr2("Speed", "速度"), QString::number(speed_->value()), kSpeedGroup));
}

PaintedControl CVelkorDlg::describeSlider(int id, const QString& name, const QString& valueText, QRect rect)
{
    controls::CBitSlider& s = slider(id);
    PaintedControl c;
    c.id = id == kBrightnessSliderId ? QStringLiteral("brightness")
        : id == kSpeedSliderId       ? QStringLiteral("speed")
                                     : QStringLiteral("reportRate");
    c.role = QAccessible::Slider;
    c.name = name;
    c.rect = rect.isNull() ? s.geometry() : rect;
    c.value = s.value();
    c.minimum = s.minimum();
    c.maximum = s.maximum();
    c.step = std::max(1, s.singleStep());
    c.valueText = valueText;
    // As a key on the slider moves it: the image follows through valueChanged, one undo step.
    c.setValue = [this, id](int v) { slider(id).setValue(v); };
    return c;
}

void CVelkorDlg::describeLowerSections(std::vector<PaintedControl>& out)
{
    const auto& b = panel_->buttons();
    const QRect game = rectOf(b[cmd::kGameHeader].rect);
    for (const bool winLock : {false, true}) {
        const QRect half = winLock ? QRect(QPoint(kGameDivider, game.top()), game.bottomRight())
                                   : QRect(game.topLeft(), QPoint(kGameDivider - 1, game.bottom()));
        PaintedControl h =
            clickable(winLock ? QStringLiteral("winLockHeader") : QStringLiteral("gameHeader"),
                      winLock ? tr2("Win Lock", "Win Lock模式") : tr2("Game Mode", "游戏模式"), half, half.center());
        h.expandable = true;
        h.expanded = !panel_->gameCollapsed();
        out.push_back(h);
    }
    if (!panel_->gameCollapsed()) {
        const bool gameOn = store().image()[img::kGameMode] != 0, winLockOn = store().image()[img::kWinLock] == 1;
        const QFontMetrics metrics(textFont(kRadioLabelPx));
        const auto radio = [&](const QString& id, const QString& group, const QString& name, const QString& label,
                               int column, bool checked, const Rect& hit) {
            const QRect r = rectOf(hit);
            const QRect marked(r.left() - 2, r.top() - 3,
                               std::max(r.width(), kRadioLabelGap + metrics.horizontalAdvance(label) + 5), 16);
            out.push_back(radioOf(clickable(id, name, marked, r.center()), group, column, checked));
        };
        const QString on = tr2("ON", "开启"), off = tr2("OFF", "关闭");
        const QString game = QStringLiteral("gameMode"), lock = QStringLiteral("winLock");
        radio(QStringLiteral("gameOn"), game, tr2("Game Mode on", "游戏模式 开启"), on, 0, gameOn,
              panel_->gameOnRadio());
        radio(QStringLiteral("gameOff"), game, tr2("Game Mode off", "游戏模式 关闭"), off, 1, !gameOn,
              panel_->gameOffRadio());
        radio(QStringLiteral("winLockOn"), lock, tr2("Win Lock on", "Win Lock模式 开启"), on, 0, winLockOn,
              panel_->winLockOnRadio());
        radio(QStringLiteral("winLockOff"), lock, tr2("Win Lock off", "Win Lock模式 关闭"), off, 1, !winLockOn,
              panel_->winLockOffRadio());
    }
    const QRect response = rectOf(b[cmd::kResponseHeader].rect);
    PaintedControl r =
        clickable(QStringLiteral("responseHeader"), tr2("Response Time", "按键响应时间"), response, response.center());
    r.expandable = true;
    r.expanded = !panel_->responseCollapsed();
    out.push_back(r);
    if (!panel_->responseCollapsed()) {
        const uint8_t time = store().image()[img::kResponseTime];
        const QString ms = QStringLiteral("%1 ms").arg(int(time) * 2);
        const QRect box = rectOf(panel_->responseBox());
        PaintedControl c = clickable(QStringLiteral("responseBox"),
                                     tr2("Response time: %1", "按键响应时间：%1").arg(ms), box, box.center());
        c.role = QAccessible::ComboBox;
        c.valueText = ms;
        c.expandable = true;
        c.expanded = panel_->responseListOpen();
        out.push_back(c);
        if (panel_->responseListOpen())
            for (std::size_t k = 0; k < kResponseRows; ++k) {
                const QRect row(27, panel_->responseListTop() + kListRowHeight * int(k), 221, kListRowHeight);
                PaintedControl item = clickable(QStringLiteral("response:%1").arg(k),
                                                QStringLiteral("%1 ms").arg(2 * int(k + 1)), row, row.center());
                item.role = QAccessible::ListItem;
                item.group = QStringLiteral("responses");
                item.row = int(k);
                item.checkable = true;
                item.checked = time == k + 1;
                out.push_back(item);
            }
    }
    const QRect report = rectOf(b[cmd::kReportHeader].rect);
    PaintedControl h =
        clickable(QStringLiteral("reportHeader"), tr2("USB Report Rate", "USB报告率"), report, report.center());
    h.expandable = true;
    h.expanded = !panel_->reportCollapsed();
    out.push_back(h);
    if (panel_->reportSliderShown())
        out.push_back(describeSlider(kReportRateSliderId, tr2("USB Report Rate", "USB报告率"),
                                     QStringLiteral("%1 Hz").arg(reportRateHz(uint8_t(reportRate_->value())))));
}

void CVelkorDlg::describeKeys(std::vector<PaintedControl>& out)
{
    const link::ConfigImage& image = store().image();
    const bool diyMap = panel_->diyMode() && isCustomEffect(image[img::kEffect]);
    for (std::size_t k = 0; k < keymap::kKeyCount; ++k) {
        const keymap::KeyLayout& layout = keymap::KeyLayoutTable[k];
        const QRect r = keyRectOf(k);
        QString name = fromU16(keymap::keyCaption(session_.names(), k));
        PaintedControl c = clickable(QStringLiteral("key:%1").arg(k), name, r, r.center());
        if (diyMap) {
            c.checkable = true;
            c.checked = panel_->keyLit(k);
            c.name = c.checked ? tr2("%1, lit", "%1，亮").arg(name) : tr2("%1, not lit", "%1，不亮").arg(name);
        } else if (panel_->marks()[k]) {
            const std::u16string function =
                keymap::keyFunctionText(image, store().extTable()[k], k, session_.names(), session_.language());
            if (!function.empty())
                c.name = tr2("%1, assigned to %2", "%1，已设为 %2").arg(name, fromU16(function));
        }
        // Outside a light map the left Windows key and Fn take no click.
        c.disabled = !panel_->diyMode() && (k == keymap::kKeyLeftWindows || k == keymap::kKeyFn);
        c.group = QStringLiteral("keys");
        if (k >= keymap::kFirstMacroKey) {
            c.row = 1 + int(k - keymap::kFirstMacroKey);
            c.column = -1;
        } else {
            c.row = kTopRow - layout.row;
            c.column = layout.column;
        }
        out.push_back(c);
    }
}

void CVelkorDlg::describeBottom(std::vector<PaintedControl>& out)
{
    const auto& b = panel_->buttons();
    const std::pair<int, QString> buttons[] = {{cmd::kProfile, tr2("Profile", "配置")},
                                               {cmd::kReturn, tr2("Return", "恢复")},
                                               {cmd::kCancel, tr2("Cancel", "取消")},
                                               {cmd::kSave, tr2("Save", "保存")}};
    static const char* const kIds[] = {"profile", "return", "cancel", "save"};
    for (std::size_t i = 0; i < std::size(buttons); ++i) {
        const QRect r = rectOf(b[std::size_t(buttons[i].first)].rect);
        out.push_back(clickable(QString::fromLatin1(kIds[i]), buttons[i].second, r, r.center()));
    }
}

QString CVelkorDlg::openListOpener() const
{
    if (panel_->effectListOpen())
        return QStringLiteral("effectBox");
    if (panel_->responseListOpen())
        return QStringLiteral("responseBox");
    return panel_->helpMenuOpen() ? QStringLiteral("help") : QString();
}

void CVelkorDlg::focusAfterPress(bool fromKeyboard, const QString& openerBefore)
{
    if (exiting_)
        return;
    access_->refresh();
    const link::ConfigImage& image = store().image();
    QString to;
    if (panel_->effectListOpen())
        to = QStringLiteral("effect:%1").arg(std::max(0, effectRow(image[img::kEffect])));
    else if (panel_->responseListOpen())
        to = QStringLiteral("response:%1")
                 .arg(std::clamp(int(image[img::kResponseTime]) - 1, 0, int(kResponseRows) - 1));
    else if (panel_->helpMenuOpen())
        to = QStringLiteral("helpRow:0");
    else if (!access_->focused())
        to = openerBefore;   // the list closed under the focus
    const PaintedControl* now = access_->focused();
    const PaintedControl* target = nullptr;
    for (const PaintedControl& c : access_->controls())
        if (c.id == to)
            target = &c;
    // Into an open list once; moving within it is the arrows'.
    if (target && !(now && !now->group.isEmpty() && now->group == target->group))
        access_->focus(to, fromKeyboard);
}

bool CVelkorDlg::closeOpenList()
{
    if (openListOpener().isEmpty())
        return false;
    const QString opener = openListOpener();
    clickAt(QPoint(0, 0));   // beside every list and the menu
    access_->refresh();
    access_->focus(opener, true);
    return true;
}

}   // namespace orvane::shell
