// The main window's painting table: each step draws one row of it from the skin images and the
// panel state, straight into the window's backing store, which reaches the screen in one step.

#include "shell/app/CVelkorDlg.h"

#include "model/KeyTables.h"
#include "platform/ui/FramedText.h"

#include <QPainter>
#include <QSignalBlocker>
#include <QUrl>

namespace orvane::shell {

namespace img = link::image;
using controls::kBrightnessSliderId;
using controls::kReportRateSliderId;
using controls::kSpeedSliderId;

namespace {

// Pixel sizes of the texts; each fits the frames it is drawn in (the fit check measures them).
constexpr int kCaptionPx = 14, kSliderLabelPx = 12, kEffectNamePx = 12, kBottomPx = 14, kListPx = 14, kHelpPx = 13;
constexpr int kRadioLabelPx = 11;   // Win Lock's OFF has 29 px up to the panel's edge
constexpr int kRightAlign = Qt::AlignRight | Qt::AlignVCenter | Qt::TextSingleLine;
constexpr int kCentred = Qt::AlignCenter | Qt::TextSingleLine;
// Frames of the left column's artwork (window coordinates): a header strip's text room runs
// from its accent mark to its chevron; Game Mode's header is split by a divider at x 147.
constexpr int kHeaderTextLeft = 25, kHeaderTextWidth = 216, kHeaderHeight = 20;
constexpr int kPanelTextLeft = 25, kPanelTextWidth = 232;   // inside the open panels (x 19..260)
constexpr QRect kGameModeTitle{25, 0, 121, 20}, kWinLockTitle{149, 0, 110, 20};
constexpr int kItemBoxLeft = 28, kItemBoxTextWidth = 203, kItemBoxHeight = 16;   // the box's arrow starts at x 231
constexpr QColor kListHighlight{80, 0, 0};
constexpr QColor kListRow{59, 59, 59};
constexpr QColor kColourMark{255, 255, 255};
// The colour legend of the open Light panel: eight cells of 21 px, 25 px apart.
constexpr int kColourLegendLeft = 28, kColourLegendTop = 223, kColourLegendStep = 25, kColourLegendCell = 21;
constexpr uint8_t kColourLegendCount = 8;

QRect keyRect(std::size_t k)
{
    const keymap::KeyRect& r = keymap::KeyLayoutTable[k].rect;
    return QRect(r.left, r.top, r.right - r.left + 1, r.bottom - r.top + 1);
}

}   // namespace

QFont CVelkorDlg::textFont(int px)
{
    QFont f;
    // "Arial" resolves to Liberation Sans; Chinese glyphs come from WenQuanYi Zen Hei.
    f.setFamilies({QStringLiteral("Arial"), QStringLiteral("Liberation Sans"), QStringLiteral("WenQuanYi Zen Hei")});
    f.setPixelSize(px);
    f.setWeight(QFont::Light);
    return f;
}

const QPixmap& CVelkorDlg::pix(const char* name) const
{
    return images_.pixmap(QString::fromLatin1(name));
}

void CVelkorDlg::text(QPainter& p, int px, const QRect& frame, const QString& s, int flags)
{
    // A label that an open list lies over is not drawn: pieces of it would show beside the list.
    const ui::FramedText t{frame, s, textFont(px), flags};
    if (coveredByList_.intersects(ui::measuredRect(t)))
        return;
    p.setPen(Qt::white);
    ui::drawFramed(p, t, &painted_);
}

void CVelkorDlg::paintEvent(QPaintEvent*)
{
    if (!panel_->lightCollapsed())
        panel_->clampColour();   // the open Light panel holds the colour within 1..8
    painted_.clear();
    coveredByList_ = openListArea();
    // The window's backing store is the back buffer (at the screen's pixel ratio, so texts and
    // @2x images stay sharp); the screen sees only the finished picture.
    QPainter p(this);
    p.fillRect(rect(), Qt::black);
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
    access_->paintFocus(p);
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
    const QPixmap* lit = nullptr;   // decoded when the first key is lit, not before
    const int hover = panel_->hoverKey();
    const bool diyMap = panel_->diyMode() && isCustomEffect(store().image()[img::kEffect]);
    for (std::size_t k = 0; k < keymap::kKeyCount; ++k) {
        const bool under = int(k) == hover;
        const bool show =
            diyMap ? (panel_->keyLit(k) || under) : (under || (panel_->marks()[k] && k != keymap::kKeyLeftWindows));
        if (!show)
            continue;
        // The highlighted picture carries every key's caption, so a lit key shows its name.
        if (!lit)
            lit = &pix("kb_hl.png");
        const QRect r = keyRect(k);
        const qreal scale = lit->devicePixelRatio();   // the source rectangle is in the picture's pixels
        p.drawPixmap(QRectF(r.translated(kKeyboardLeft, kKeyboardTop)), *lit,
                     QRectF(r.x() * scale, r.y() * scale, r.width() * scale, r.height() * scale));
    }
}

void CVelkorDlg::paintLight(QPainter& p)
{
    const QRect title(kHeaderTextLeft, 110, kHeaderTextWidth, kHeaderHeight);
    if (panel_->lightCollapsed()) {
        p.drawPixmap(19, 110, pix("itemBK.png"));
        text(p, kCaptionPx, title, tr2("Light", "灯光"));
        return;
    }
    p.drawPixmap(19, 110, pix("light_BK.png"));
    text(p, kCaptionPx, title, tr2("Light", "灯光"));
    const uint8_t effect = store().image()[img::kEffect];
    p.drawPixmap(19, 130, pix("LEDEffect_open.png"));
    text(p, kCaptionPx, QRect(kPanelTextLeft, 134, kPanelTextWidth, 22), tr2("Effect", "效果"));
    p.drawPixmap(28, 158, pix("Light_Item.png"));
    text(p, kEffectNamePx, QRect(kItemBoxLeft, 158, kItemBoxTextWidth, kItemBoxHeight), effectName(effect));
    paintDirection(p);
    if (isCustomEffect(effect)) {
        p.drawPixmap(28, 199, pix(panel_->diyMode() ? "Disable.png" : "Enable.png"));
        p.drawPixmap(130, 199, pix(panel_->diyMode() ? "Enable.png" : "Disable.png"));
        text(p, kCaptionPx, QRect(41, 196, 86, 18), QStringLiteral("Keymap"));
        text(p, kCaptionPx, QRect(143, 196, 86, 18), QStringLiteral("DIY"));
    }
    paintColourLegend(p);
    const bool speed = effect != kEffectStatic && effect < 50;
    if (speed) {
        p.drawPixmap(19, 245, pix("freq.png"));
        // Rows of the speed group: from its rule to the slider, and below the slider's ticks.
        text(p, kCaptionPx, QRect(kPanelTextLeft, 286, kPanelTextWidth, 20), tr2("Speed", "速度"));
        text(p, kSliderLabelPx, QRect(kPanelTextLeft, 315, 110, 16), tr2("Slow", "慢"));
        text(p, kSliderLabelPx, QRect(147, 315, 110, 16), tr2("Fast", "快"), kRightAlign);
        RedrawSlider(kSpeedSliderId, &p);
    }
    text(p, kCaptionPx, QRect(kPanelTextLeft, 245, kPanelTextWidth, 20), tr2("Brightness", "亮度"));
    text(p, kSliderLabelPx, QRect(kPanelTextLeft, 272, 110, 16), tr2("Dark", "黑"));
    text(p, kSliderLabelPx, QRect(147, 272, 110, 16), tr2("Bright", "亮"), kRightAlign);
    RedrawSlider(kBrightnessSliderId, &p);
}

void CVelkorDlg::paintColourLegend(QPainter& p)
{
    // The colour legend's chips have no command; the colour the keyboard uses now is marked.
    const uint8_t colour = store().image()[img::kColour];
    if (colour < 1 || colour > kColourLegendCount)
        return;
    const QRectF cell(kColourLegendLeft + kColourLegendStep * (colour - 1), kColourLegendTop, kColourLegendCell,
                      kColourLegendCell);
    p.save();
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(kColourMark, 2));
    p.setBrush(Qt::NoBrush);
    p.drawRoundedRect(cell.adjusted(1, 1, -1, -1), 3, 3);
    p.restore();
}

QString CVelkorDlg::effectName(uint8_t effect) const
{
    if (const EffectEntry* e = findEffect(effect))
        return QString::fromStdU16String(std::u16string(chinese() ? e->chinese : e->english));
    // A code outside the list (set by another program) is shown as it is.
    return QString::number(effect);
}

void CVelkorDlg::paintDirection(QPainter& p)
{
    const uint8_t effect = store().image()[img::kEffect];
    const uint8_t direction = store().image()[img::kDirection];
    const auto shown = directionButtons(effect);
    if (shown[0] == DirectionButton::None)
        return;
    text(p, kCaptionPx, QRect(kPanelTextLeft, 176, kPanelTextWidth, 19), tr2("Direction", "方向"));
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
    // The button's face runs from its record dot to its arrow.
    text(p, kCaptionPx, QRect(38, y + 10, 201, 19), tr2("Macro Management", "宏管理器"), kCentred);
}

void CVelkorDlg::paintGameMode(QPainter& p)
{
    const int g = panel_->gameY();
    p.drawPixmap(19, g, pix(panel_->gameCollapsed() ? "gamemode_Close.png" : "gamemode_open.png"));
    text(p, kCaptionPx, kGameModeTitle.translated(0, g), tr2("Game Mode", "游戏模式"));
    text(p, kCaptionPx, kWinLockTitle.translated(0, g), tr2("Win Lock", "Win Lock模式"));
    if (panel_->gameCollapsed())
        return;
    const bool game = store().image()[img::kGameMode] != 0;
    const bool winLock = store().image()[img::kWinLock] == 1;
    // A radio's label runs from the radio to the next radio (or the divider, or the panel's edge).
    const auto radio = [&](const Rect& r, bool on, const QString& label, int roomRight) {
        p.drawPixmap(r.left, r.top - 1, pix(on ? "Enable.png" : "Disable.png"));
        text(p, kRadioLabelPx, QRect(QPoint(r.left + 12, r.top - 4), QPoint(roomRight, r.top + 11)), label);
    };
    radio(panel_->gameOnRadio(), game, tr2("ON", "开启"), panel_->gameOffRadio().left - 2);
    radio(panel_->gameOffRadio(), !game, tr2("OFF", "关闭"), 146);
    radio(panel_->winLockOnRadio(), winLock, tr2("ON", "开启"), panel_->winLockOffRadio().left - 2);
    radio(panel_->winLockOffRadio(), !winLock, tr2("OFF", "关闭"), 258);
}

void CVelkorDlg::paintResponse(QPainter& p)
{
    const int e = panel_->responseY();
    p.drawPixmap(19, e, pix(panel_->responseCollapsed() ? "responsetime_close.png" : "responsetime_open.png"));
    text(p, kCaptionPx, QRect(kHeaderTextLeft, e, kHeaderTextWidth, kHeaderHeight),
         tr2("Response Time", "按键响应时间"));
    if (panel_->responseCollapsed())
        return;
    p.drawPixmap(28, e + 28, pix("Light_Item.png"));
    text(p, kEffectNamePx, QRect(kItemBoxLeft, e + 28, kItemBoxTextWidth, kItemBoxHeight),
         QStringLiteral("%1 ms").arg(int(store().image()[img::kResponseTime]) * 2), kCentred);
}

void CVelkorDlg::paintReportRate(QPainter& p)
{
    const int f = panel_->reportY();
    p.drawPixmap(19, f, pix(panel_->reportCollapsed() ? "reportrate_Close.png" : "reportrate_Open.png"));
    text(p, kCaptionPx, QRect(kHeaderTextLeft, f, kHeaderTextWidth, kHeaderHeight),
         tr2("USB Report Rate", "USB报告率"));
    if (!panel_->reportCollapsed())
        RedrawSlider(kReportRateSliderId, &p);
}

void CVelkorDlg::paintBottom(QPainter& p)
{
    p.drawPixmap(17, 603, pix("Config.png"));
    // Right of the button's layers icon.
    text(p, kBottomPx, QRect(44, 605, 46, 29), tr2("Profile", "配置"), kCentred);
    const int hover = panel_->hoverButton();
    const auto frame = [&](int command, int x, const char* normal, const char* over, const QString& caption) {
        p.drawPixmap(x, 600, pix(hover == command ? over : normal));
        // The face is the button's hit rectangle: 58 x 31 from y 605.
        text(p, kBottomPx, QRect(x, 605, 58, 31), caption, kCentred);
    };
    frame(cmd::kReturn, 800, "button-cancel-normal.png", "button-cancel-over.png", tr2("Return", "恢复"));
    frame(cmd::kCancel, 862, "button-cancel-normal.png", "button-cancel-over.png", tr2("Cancel", "取消"));
    frame(cmd::kSave, 924, "button-save-normal.png", "button-save-over.png", tr2("Save", "保存"));
}

QRect CVelkorDlg::openListArea() const
{
    if (panel_->effectListOpen())
        return QRect(QPoint(28, kEffectListTop), QPoint(248, kEffectListTop + kListRowHeight * int(kEffectCount) - 1));
    if (panel_->responseListOpen())
        return QRect(QPoint(27, panel_->responseListTop()),
                     QPoint(247, panel_->responseListTop() + kListRowHeight * int(kResponseRows) - 1));
    return {};
}

void CVelkorDlg::paintLists(QPainter& p)
{
    coveredByList_ = {};   // the lists themselves are drawn
    const auto rows = [&](int left, int right, int top, std::size_t count, uint8_t highlight, auto label) {
        for (std::size_t k = 0; k < count; ++k) {
            const QRect r(left, top + kListRowHeight * int(k), right - left + 1, kListRowHeight);
            p.fillRect(r, k == highlight ? kListHighlight : kListRow);
            text(p, kListPx, r.adjusted(3, 0, 0, 0), label(k));
        }
    };
    if (panel_->effectListOpen())
        rows(28, 248, kEffectListTop, kEffectCount, panel_->effectHighlight(), [&](std::size_t k) {
            return QString::fromStdU16String(
                std::u16string(chinese() ? kEffectList[k].chinese : kEffectList[k].english));
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
    const QString rows[] = {host, tr2("Update Firmware", "驱动更新"), tr2("LCD Setting", "LCD设置"),
                            QStringLiteral("Ver: 1.1")};
    for (int row = 0; row < 4; ++row)
        text(p, kHelpPx, QRect(847, 22 + kHelpRowHeight * row, 147, kHelpRowHeight),
             rows[row]);   // right of the row's dot
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

}   // namespace orvane::shell
