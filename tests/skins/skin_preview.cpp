// Composes the main window from the generated skin images at their window positions (Light,
// Game Mode, Response Time and USB Report Rate open, a few keys highlighted, the help menu open
// in a second picture), with the captions the program draws, in both languages.
// Usage: orvane-skin-preview BIN_DIR OUT_FOLDER

#include "model/KeyTables.h"
#include "platform/ui/SkinImages.h"

#include <QApplication>
#include <QPainter>

using orvane::keymap::KeyLayoutTable;
using orvane::ui::SkinImages;

namespace {

struct Texts {
    bool zh;
    QString t(const char* en, const char* cn) const { return QString::fromUtf8(zh ? cn : en); }
};

QFont captionFont(bool zh, int px)
{
    QFont f(zh ? QStringLiteral("WenQuanYi Zen Hei") : QStringLiteral("Arial"));
    f.setPixelSize(px);
    f.setWeight(QFont::Light);
    return f;
}

void text(QPainter& p, bool zh, int px, int x, int y, const QString& s)
{
    p.setFont(captionFont(zh, px));
    p.setPen(Qt::white);
    p.drawText(QRect(x, y, 400, px + 6), Qt::AlignLeft | Qt::AlignTop, s);
}

void slider(QPainter& p, const SkinImages& img, int x, int y, int thumbX)
{
    const QImage& left = img.image("bitmap140.png");
    const QImage& right = img.image("bitmap139.png");
    p.drawImage(QRect(x, y, thumbX, left.height()), left, QRect(0, 0, thumbX, left.height()));
    p.drawImage(QRect(x + thumbX, y, right.width() - thumbX, right.height()), right,
                QRect(thumbX, 0, right.width() - thumbX, right.height()));
    p.drawImage(x + thumbX, y - 1 + 1, img.image("Thumb.png"));
}

void drawLeftColumn(QPainter& p, const SkinImages& img, const Texts& tx)
{
    const bool zh = tx.zh;
    p.drawImage(19, 110, img.image("light_BK.png"));
    text(p, zh, 15, 28, 111, tx.t("Light", "灯光"));
    p.drawImage(19, 130, img.image("LEDEffect_open.png"));
    text(p, zh, 15, 28, 137, tx.t("Effect", "效果"));
    p.drawImage(28, 158, img.image("Light_Item.png"));
    text(p, zh, 14, 34, 158, tx.t("Wave", "波浪"));
    text(p, zh, 15, 29, 177, tx.t("Direction", "方向"));
    p.drawImage(29, 197, img.image("Direction-T-Disable.png"));
    p.drawImage(79, 197, img.image("Direction-B-Disable.png"));
    p.drawImage(129, 197, img.image("Direction-R-Enable.png"));
    p.drawImage(179, 197, img.image("Direction-L-Disable.png"));
    p.drawImage(19, 245, img.image("freq.png"));
    text(p, zh, 15, 28, 247, tx.t("Brightness", "亮度"));
    slider(p, img, 28, 260, 150);
    text(p, zh, 13, 28, 274, tx.t("Dark", "黑"));
    text(p, zh, 13, 230, 274, tx.t("Bright", "亮"));
    text(p, zh, 15, 28, 290, tx.t("Speed", "速度"));
    slider(p, img, 28, 303, 114);
    text(p, zh, 13, 28, 317, tx.t("Slow", "慢"));
    text(p, zh, 13, 230, 317, tx.t("Fast", "快"));
    const int c = 225;
    p.drawImage(19, c + 110, img.image("MacroManagementBK.png"));
    p.drawImage(19, c + 120, img.image("macroButton3.png"));
    text(p, zh, 15, 60, c + 120, tx.t("Macro Management", "宏管理器"));
    const int g = c + 165;
    p.drawImage(19, g, img.image("gamemode_open.png"));
    text(p, zh, 15, 28, g + 1, tx.t("Game Mode", "游戏模式"));
    text(p, zh, 15, 158, g + 1, tx.t("Win Lock", "Win Lock模式"));
    p.drawImage(34, g + 32, img.image("Disable.png"));
    text(p, zh, 13, 49, g + 30, tx.t("ON", "开启"));
    p.drawImage(88, g + 32, img.image("Enable.png"));
    text(p, zh, 13, 103, g + 30, tx.t("OFF", "关闭"));
    p.drawImage(164, g + 32, img.image("Enable.png"));
    text(p, zh, 13, 179, g + 30, tx.t("ON", "开启"));
    p.drawImage(218, g + 32, img.image("Disable.png"));
    text(p, zh, 13, 233, g + 30, tx.t("OFF", "关闭"));
    const int e = c + 220;
    p.drawImage(19, e, img.image("responsetime_open.png"));
    text(p, zh, 15, 28, e + 1, tx.t("Response Time", "按键响应时间"));
    p.drawImage(28, e + 28, img.image("Light_Item.png"));
    text(p, zh, 14, 100, e + 28, QStringLiteral("2 ms"));
    const int f = e + 75;
    p.drawImage(19, f, img.image("reportrate_Open.png"));
    text(p, zh, 15, 28, f + 1, tx.t("USB Report Rate", "USB报告率"));
    slider(p, img, 28, f + 23, 205);
}

QImage compose(const SkinImages& img, bool zh, bool helpOpen)
{
    const Texts tx{zh};
    QImage out = img.image("main.png").convertToFormat(QImage::Format_ARGB32_Premultiplied);
    QPainter p(&out);
    p.setRenderHint(QPainter::TextAntialiasing);
    p.drawImage(936, 5, img.image("button-help-normal.png"));
    p.drawImage(957, 5, img.image("button-min-normal.png"));
    p.drawImage(978, 5, img.image(helpOpen ? "button-close-normal.png" : "button-close-over.png"));
    p.drawImage(19, 35, img.image("logo.png"));
    const QImage& kb = img.image("kb_BK.png");
    const QImage& hl = img.image("kb_hl.png");
    p.drawImage(311, 122, kb);
    for (std::size_t k : {0u, 43u, 63u, 64u, 65u, 98u, 108u}) {   // Esc, WASD-ish, Space, M1
        const auto& r = KeyLayoutTable[k].rect;
        const QRect src(r.left, r.top, r.right - r.left + 1, r.bottom - r.top + 1);
        p.drawImage(src.translated(311, 122), hl, src);
    }
    drawLeftColumn(p, img, tx);
    p.drawImage(17, 603, img.image("Config.png"));
    text(p, zh, 15, 45, 610, tx.t("Profile", "配置"));
    p.drawImage(800, 600, img.image("button-cancel-normal.png"));
    p.drawImage(862, 600, img.image("button-cancel-over.png"));
    p.drawImage(924, 600, img.image("button-save-normal.png"));
    text(p, zh, 16, 810, 607, tx.t("Return", "恢复"));
    text(p, zh, 16, 872, 607, tx.t("Cancel", "取消"));
    text(p, zh, 16, 934, 607, tx.t("Save", "保存"));
    if (helpOpen) {
        p.drawImage(830, 22, img.image("HelpWindow.png"));
        text(p, zh, 13, 850, 25, QStringLiteral("www.qx410.example"));
        text(p, zh, 13, 850, 50, tx.t("Update Firmware", "驱动更新"));
        text(p, zh, 13, 850, 75, tx.t("LCD Setting", "LCD设置"));
        text(p, zh, 13, 850, 100, QStringLiteral("Ver: 1.1"));
    }
    return out;
}

}   // namespace

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    if (argc < 3)
        return 2;
    const QString bin = QString::fromLocal8Bit(argv[1]);
    const QString out = QString::fromLocal8Bit(argv[2]);
    for (bool zh : {false, true}) {
        const SkinImages images(bin + (zh ? "/png/chinese" : "/png/english"));
        const QString lang = zh ? QStringLiteral("chinese") : QStringLiteral("english");
        if (!compose(images, zh, false).save(out + "/orvane-main-" + lang + ".png") ||
            !compose(images, zh, true).save(out + "/orvane-main-help-" + lang + ".png"))
            return 1;
    }
    return 0;
}
