// The main window's painting table: each step draws one row of it from the skin images and the
// panel state, into one back buffer that is then copied to the window in one step.

#include "shell/app/CVelkorDlg.h"

#include "keymap/KeyTables.h"

#include <QPainter>
#include <QSignalBlocker>
#include <QUrl>

namespace orvane::shell {

namespace img = link::image;
using controls::kBrightnessSliderId;
using controls::kReportRateSliderId;
using controls::kSpeedSliderId;

namespace {

constexpr int kCaptionPx = 15, kSliderLabelPx = 13, kEffectNamePx = 14, kBottomPx = 16, kListPx = 18;
constexpr QColor kListHighlight{80, 0, 0};
constexpr QColor kListRow{59, 59, 59};

QFont textFont(int px)
{
    QFont f;
    // "Arial" resolves to Liberation Sans; Chinese glyphs come from WenQuanYi Zen Hei.
    f.setFamilies({QStringLiteral("Arial"), QStringLiteral("Liberation Sans"), QStringLiteral("WenQuanYi Zen Hei")});
    f.setPixelSize(px);
    f.setWeight(QFont::Light);
    return f;
}

QRect keyRect(std::size_t k)
{
    const keymap::KeyRect& r = keymap::KeyLayoutTable[k].rect;
    return QRect(r.left, r.top, r.right - r.left + 1, r.bottom - r.top + 1);
}

} // namespace

const QPixmap& CVelkorDlg::pix(const char* name) const { return images_.pixmap(QString::fromLatin1(name)); }

void CVelkorDlg::text(QPainter& p, int px, int x, int y, const QString& s, int width) const
{
    p.setFont(textFont(px));
    p.setPen(Qt::white);
    p.drawText(QRect(x, y, width, px + 8), Qt::AlignLeft | Qt::AlignTop, s);
}

void CVelkorDlg::paintEvent(QPaintEvent*)
{
    if (!panel_->lightCollapsed())
        panel_->clampColour();   // the open Light panel holds the colour within 1..8
    QPixmap buffer(size());
    buffer.fill(Qt::black);
    {
        QPainter p(&buffer);
        p.setRenderHint(QPainter::TextAntialiasing);
        paintFrame(p);
        paintKeys(p);
        paintLight(p);
        paintMacroBar(p);
        paintGameMode(p);
        paintResponse(p);
        paintReportRate(p);
        paintBottom(p);
        paintLists(p);
        paintHelpMenu(p);
    }
    QPainter(this).drawPixmap(0, 0, buffer);
}

void CVelkorDlg::paintFrame(QPainter& p)
{
    p.drawPixmap(0, 0, pix("main.png"));
    const auto& buttons = panel_->buttons();
    for (int row = cmd::kHelp; row <= cmd::kClose; ++row) {
        const ImageButton& b = buttons[std::size_t(row)];
        p.drawPixmap(b.rect.left, b.rect.top, pix(panel_->hoverButton() == row ? b.hover : b.normal));
    }
    p.drawPixmap(19, 35, pix("logo.png"));
    p.drawPixmap(kKeyboardLeft, kKeyboardTop, pix("kb_BK.png"));
}

void CVelkorDlg::paintKeys(QPainter& p)
{
    const QPixmap& lit = pix("kb_hl.png");
    const int hover = panel_->hoverKey();
    const bool diyMap = panel_->diyMode() && isCustomEffect(store().image()[img::kEffect]);
    for (std::size_t k = 0; k < keymap::kKeyCount; ++k) {
        const bool under = int(k) == hover;
        const bool show = diyMap ? (panel_->keyLit(k) || under)
                                 : (under || (panel_->marks()[k] && k != keymap::kKeyLeftWindows));
        if (!show)
            continue;
        // The highlighted picture carries every key's caption, so a lit key shows its name.
        const QRect r = keyRect(k);
        p.drawPixmap(r.translated(kKeyboardLeft, kKeyboardTop), lit, r);
    }
}

void CVelkorDlg::paintLight(QPainter& p)
{
    if (panel_->lightCollapsed()) {
        p.drawPixmap(19, 110, pix("itemBK.png"));
        text(p, kCaptionPx, 28, 111, tr2("Light", "灯光"));
        return;
    }
    p.drawPixmap(19, 110, pix("light_BK.png"));
    text(p, kCaptionPx, 28, 111, tr2("Light", "灯光"));
    const uint8_t effect = store().image()[img::kEffect];
    p.drawPixmap(19, 130, pix("LEDEffect_open.png"));
    text(p, kCaptionPx, 28, 137, tr2("Effect", "效果"));
    p.drawPixmap(28, 158, pix("Light_Item.png"));
    if (const EffectEntry* e = findEffect(effect))
        text(p, kEffectNamePx, 34, 158, QString::fromStdU16String(std::u16string(chinese() ? e->chinese : e->english)));
    paintDirection(p);
    if (isCustomEffect(effect)) {
        p.drawPixmap(28, 199, pix(panel_->diyMode() ? "Disable.png" : "Enable.png"));
        p.drawPixmap(130, 199, pix(panel_->diyMode() ? "Enable.png" : "Disable.png"));
        text(p, kCaptionPx, 45, 197, QStringLiteral("Keymap"));
        text(p, kCaptionPx, 147, 197, QStringLiteral("DIY"));
    }
    const bool speed = effect != kEffectStatic && effect < 50;
    if (speed) {
        p.drawPixmap(19, 245, pix("freq.png"));
        text(p, kCaptionPx, 28, 290, tr2("Speed", "速度"));
        text(p, kSliderLabelPx, 28, 317, tr2("Slow", "慢"));
        text(p, kSliderLabelPx, 230, 317, tr2("Fast", "快"));
        RedrawSlider(kSpeedSliderId, &p);
    }
    text(p, kCaptionPx, 28, 247, tr2("Brightness", "亮度"));
    text(p, kSliderLabelPx, 28, 274, tr2("Dark", "黑"));
    text(p, kSliderLabelPx, 230, 274, tr2("Bright", "亮"));
    RedrawSlider(kBrightnessSliderId, &p);
}

void CVelkorDlg::paintDirection(QPainter& p)
{
    const uint8_t effect = store().image()[img::kEffect];
    const uint8_t direction = store().image()[img::kDirection];
    const auto shown = directionButtons(effect);
    if (shown[0] == DirectionButton::None)
        return;
    text(p, kCaptionPx, 29, 177, tr2("Direction", "方向"));
    static constexpr const char* kLetters = " TBLR";
    for (std::size_t i = 0; i < shown.size(); ++i) {
        if (shown[i] == DirectionButton::None)
            continue;
        const QString name = QStringLiteral("Direction-%1-%2.png")
                                 .arg(QChar::fromLatin1(kLetters[std::size_t(shown[i])]))
                                 .arg(directionButtonLit(effect, direction, shown[i]) ? QStringLiteral("Enable")
                                                                                      : QStringLiteral("Disable"));
        p.drawPixmap(29 + 50 * int(i), 197, images_.pixmap(name));
    }
}

void CVelkorDlg::paintMacroBar(QPainter& p)
{
    const int y = panel_->macroBarY();
    p.drawPixmap(19, y, pix("MacroManagementBK.png"));
    p.drawPixmap(19, y + 10, pix("MacroButton3.png"));
    text(p, kCaptionPx, 60, y + 10, tr2("Macro Management", "宏管理器"));
}

void CVelkorDlg::paintGameMode(QPainter& p)
{
    const int g = panel_->gameY();
    p.drawPixmap(19, g, pix(panel_->gameCollapsed() ? "gamemode_Close.png" : "gamemode_open.png"));
    text(p, kCaptionPx, 28, g + 1, tr2("Game Mode", "游戏模式"));
    text(p, kCaptionPx, 158, g + 1, tr2("Win Lock", "Win Lock模式"));
    if (panel_->gameCollapsed())
        return;
    const bool game = store().image()[img::kGameMode] != 0;
    const bool winLock = store().image()[img::kWinLock] == 1;
    const auto radio = [&](const Rect& r, bool on, const QString& label) {
        p.drawPixmap(r.left, r.top - 1, pix(on ? "Enable.png" : "Disable.png"));
        text(p, kSliderLabelPx, r.left + 15, r.top - 3, label);
    };
    radio(panel_->gameOnRadio(), game, tr2("ON", "开启"));
    radio(panel_->gameOffRadio(), !game, tr2("OFF", "关闭"));
    radio(panel_->winLockOnRadio(), winLock, tr2("ON", "开启"));
    radio(panel_->winLockOffRadio(), !winLock, tr2("OFF", "关闭"));
}

void CVelkorDlg::paintResponse(QPainter& p)
{
    const int e = panel_->responseY();
    p.drawPixmap(19, e, pix(panel_->responseCollapsed() ? "responsetime_close.png" : "responsetime_open.png"));
    text(p, kCaptionPx, 28, e + 1, tr2("Response Time", "按键响应时间"));
    if (panel_->responseCollapsed())
        return;
    p.drawPixmap(28, e + 28, pix("Light_Item.png"));
    text(p, kEffectNamePx, 100, e + 28, QStringLiteral("%1 ms").arg(int(store().image()[img::kResponseTime]) * 2));
}

void CVelkorDlg::paintReportRate(QPainter& p)
{
    const int f = panel_->reportY();
    p.drawPixmap(19, f, pix(panel_->reportCollapsed() ? "reportrate_Close.png" : "reportrate_Open.png"));
    text(p, kCaptionPx, 28, f + 1, tr2("USB Report Rate", "USB报告率"));
    if (!panel_->reportCollapsed())
        RedrawSlider(kReportRateSliderId, &p);
}

void CVelkorDlg::paintBottom(QPainter& p)
{
    p.drawPixmap(17, 603, pix("Config.png"));
    text(p, kCaptionPx, 45, 610, tr2("Profile", "配置"));
    const int hover = panel_->hoverButton();
    const auto frame = [&](int command, int x, const char* normal, const char* over, const QString& caption) {
        p.drawPixmap(x, 600, pix(hover == command ? over : normal));
        text(p, kBottomPx, x + 10, 607, caption);
    };
    frame(cmd::kReturn, 800, "button-cancel-normal.png", "button-cancel-over.png", tr2("Return", "恢复"));
    frame(cmd::kCancel, 862, "button-cancel-normal.png", "button-cancel-over.png", tr2("Cancel", "取消"));
    frame(cmd::kSave, 924, "button-save-normal.png", "button-save-over.png", tr2("Save", "保存"));
}

void CVelkorDlg::paintLists(QPainter& p)
{
    const auto rows = [&](int left, int right, int top, std::size_t count, uint8_t highlight, auto label) {
        for (std::size_t k = 0; k < count; ++k) {
            const QRect r(left, top + kListRowHeight * int(k), right - left + 1, kListRowHeight);
            p.fillRect(r, k == highlight ? kListHighlight : kListRow);
            p.setFont(textFont(kListPx));
            p.setPen(Qt::white);
            p.drawText(r.adjusted(6, 0, 0, 0), Qt::AlignLeft | Qt::AlignVCenter, label(k));
        }
    };
    if (panel_->effectListOpen())
        rows(28, 248, kEffectListTop, kEffectCount, panel_->effectHighlight(), [&](std::size_t k) {
            return QString::fromStdU16String(std::u16string(chinese() ? kEffectList[k].chinese : kEffectList[k].english));
        });
    if (panel_->responseListOpen())
        rows(27, 247, panel_->responseListTop(), kResponseRows, panel_->responseHighlight(),
             [](std::size_t k) { return QStringLiteral("%1ms").arg(2 * int(k + 1)); });
}

void CVelkorDlg::paintHelpMenu(QPainter& p)
{
    if (!panel_->helpMenuOpen())
        return;
    p.drawPixmap(830, 22, pix("HelpWindow.png"));
    QString host = QUrl(QString::fromLatin1(kMakerWebPage)).host();
    if (host.startsWith(QLatin1String("www.")))
        host.remove(0, 4);   // the menu row is 146 px wide
    text(p, kSliderLabelPx, 850, 25, host, 146);
    text(p, kSliderLabelPx, 850, 50, tr2("Update Firmware", "驱动更新"), 140);
    text(p, kSliderLabelPx, 850, 75, tr2("LCD Setting", "LCD设置"), 140);
    text(p, kSliderLabelPx, 850, 100, QStringLiteral("Ver: 1.1"), 140);
}

void CVelkorDlg::RedrawSlider(int id, QPainter* painter)
{
    controls::CBitSlider& s = slider(id);
    const std::size_t i = id == kSpeedSliderId ? 0 : id == kBrightnessSliderId ? 1 : 2;
    {
        // The control's notification is for moves outside painting; here it would ask for this paint again.
        const QSignalBlocker quiet(&s);
        s.recomputeThumb();
    }
    drawnThumbs_[i] = s.thumbPos();
    if (painter)
        controls::drawBitSlider(*painter, s.pos(), s, sliderImages_);
    storeSliderPositions();
}

} // namespace orvane::shell
