// libFuzzer target: the LCD program's skin INI with any bytes (UTF-16 LE with or without its mark,
// UTF-8 with or without one, or neither), through the file reader and the lookups the window
// makes: the two image names of SCREEN (which must be refused unless they are plain names of the
// skin folder) and the rectangle of every control in BUTTONINFO, each placed as a skinned button
// in a window of the skin's size and painted there.
//
// Input layout: byte 0 picks how the text is framed (as it is, behind a UTF-16 mark, behind a
// UTF-8 mark), the rest is the file.

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <string>

#include <QApplication>
#include <QByteArray>
#include <QImage>
#include <QPainter>
#include <QWidget>

#include "panelo/img/SkinLayout.h"
#include "panelo/app/panelodlg.h"
#include "panelo/img/inifile.h"
#include "panelo/img/memdc.h"
#include "panelo/img/pngbutton.h"
#include "panelo/img/skinfile.h"
#include "tests/fuzz/FuzzSupport.h"

using orvane::fuzz::check;
using namespace orvane;
using namespace orvane::panelo;

namespace {

struct Window {
    QWidget window;
    QPixmap surface;
    CPngButton* buttons[kSkinControls.size()]{};
    Window()
    {
        window.setFixedSize(kSkinWidth, kSkinHeight);
        QImage art(kSkinWidth, kSkinHeight, QImage::Format_RGB32);
        art.fill(Qt::darkCyan);
        surface = RenderStateSurface(art, window.size());
        for (CPngButton*& b : buttons)
            b = new CPngButton(&window);
    }
};

}   // namespace

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv)
{
    ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
    static QApplication app(*argc, *argv);
    return 0;
}

// The fonts of the controls come through fontconfig, which keeps what it loads once to the end of
// the process and drops its last pointer to 288 bytes of it: no leak of the skin reader.
extern "C" const char* __lsan_default_suppressions()
{
    return "leak:libfontconfig.so\n";
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size)
{
    if (size < 1)
        return 0;
    QByteArray bytes;
    switch (data[0] % 3) {
    case 1: bytes = QByteArray("\xFF\xFE", 2); break;
    case 2: bytes = QByteArray("\xEF\xBB\xBF", 3); break;
    default: break;
    }
    bytes.append(reinterpret_cast<const char*>(data + 1), qsizetype(size - 1));
    const QString path = QString::fromStdString(fuzz::scratchFolder()) + QStringLiteral("/main_Eng.ini");
    fuzz::writeFile(path.toStdString(), reinterpret_cast<const uint8_t*>(bytes.constData()), std::size_t(bytes.size()));

    // The reader and the decoder agree on what the file says.
    const QString text = DecodeIniText(bytes);
    CIniFile ini;
    check(ini.SetPath(path));
    const std::optional<QString> main = ini.GetString(QStringLiteral("SCREEN"), QStringLiteral("Main"), QString());
    const QString found = FindIniValue(text, QStringLiteral("SCREEN"), QStringLiteral("Main")).value_or(QString());
    check(main.value_or(QString()) == found.left(CIniFile::kMaxValueUnits));
    const std::optional<QString> mask =
        ini.GetString(QStringLiteral("SCREEN"), QStringLiteral("Mask"), main.value_or(QString()));
    // An image name the window would read: one plain name of the skin folder, never a way out of it.
    for (const std::optional<QString>& name : {main, mask})
        if (name && IsPlainSkinFileName(*name))
            check(!name->contains(u'/') && !name->contains(u'\\') && *name != QLatin1String("..") &&
                  *name != QLatin1String("."));

    static Window w;
    for (std::size_t i = 0; i < kSkinControls.size(); ++i) {
        const QString key = QString::fromUtf8(kSkinControls[i].key.data(), qsizetype(kSkinControls[i].key.size()));
        const QString value =
            ini.GetString(QStringLiteral("BUTTONINFO"), key, QStringLiteral("1,1,1,1,x")).value_or(QString());
        const QRect r = ParseSkinRect(value);
        CPngButton* b = w.buttons[i];
        b->setGeometry(r);
        b->SetStateSurfaces(r.topLeft(), {&w.surface, &w.surface, &w.surface, &w.surface, &w.surface}, false);
        b->SetTextStyle(i % 2 == 0, 9, QStringLiteral("Arial"), Qt::white, Qt::AlignLeft | Qt::AlignVCenter);
        b->setText(value.left(64));
    }
    QImage shot(kSkinWidth, kSkinHeight, QImage::Format_ARGB32);
    shot.fill(0);
    QPainter painter(&shot);
    w.window.render(&painter);
    return 0;
}
