#include "panelo/img/basedialog.h"

#include "panelo/img/skinfile.h"

#include <QGuiApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QScreen>

#include <cstdlib>
#include <vector>

namespace orvane::panelo {

namespace {

const QString kSectionScreen = QStringLiteral("SCREEN");
const QString kKeyMain = QStringLiteral("Main");
const QString kKeyMask = QStringLiteral("Mask");

// Runs are handed to the region in batches, as the region data buffer is flushed.
constexpr std::size_t kRectBatch = 2000;

bool channelClose(int a, int b, int tolerance)
{
    return std::abs(a - b) <= tolerance;
}

bool isTransparent(QRgb pixel, QRgb transparent, int tolerance)
{
    return channelClose(qRed(pixel), qRed(transparent), tolerance) &&
        channelClose(qGreen(pixel), qGreen(transparent), tolerance) &&
        channelClose(qBlue(pixel), qBlue(transparent), tolerance);
}

void appendRowRuns(const QImage& image, int y, QRgb transparent, int tolerance, std::vector<QRect>& out)
{
    const auto* row = reinterpret_cast<const QRgb*>(image.constScanLine(y));
    const int width = image.width();
    for (int x = 0; x < width;) {
        if (isTransparent(row[x], transparent, tolerance)) {
            ++x;
            continue;
        }
        const int start = x;
        while (x < width && !isTransparent(row[x], transparent, tolerance))
            ++x;
        out.emplace_back(start, y, x - start, 1);
    }
}

QRegion regionOf(const std::vector<QRect>& rects)
{
    QRegion region;
    // Runs come top to bottom and left to right, one row per band: the order setRects needs.
    region.setRects(rects.data(), static_cast<int>(rects.size()));
    return region;
}

}   // namespace

CBaseDialog::CBaseDialog(const QString& skinIniPath, const QString& skinFolder, QWidget* parent)
    : QDialog(parent, Qt::Window | Qt::FramelessWindowHint), m_skinIniPath(skinIniPath), m_skinFolder(skinFolder)
{
    // The background image is the only fill: no erase before painting, so nothing flickers.
    setAttribute(Qt::WA_OpaquePaintEvent);
    setAttribute(Qt::WA_NoSystemBackground);
}

bool CBaseDialog::OnInitDialog()
{
    return LoadSkin();
}

std::optional<QImage> CBaseDialog::LoadPicture(const QString& path, QString* error)
{
    auto fail = [&](const QString& why) -> std::optional<QImage> {
        if (error)
            *error = QStringLiteral("cannot load skin image %1: %2").arg(path, why);
        return std::nullopt;
    };
    QString why;
    const std::optional<QByteArray> bytes = ReadSkinFile(path, kMaxSkinFileBytes, &why);
    if (!bytes)
        return fail(why);
    if (bytes->isEmpty())
        return fail(QStringLiteral("empty"));
    QImage image = QImage::fromData(*bytes);
    if (image.isNull())
        return fail(QStringLiteral("not a picture that can be decoded"));
    return image;
}

std::optional<QRegion> CBaseDialog::RegionFromBitmap(const QImage& bitmap, QRgb transparent, int tolerance)
{
    if (bitmap.isNull())
        return std::nullopt;
    const QImage image = bitmap.convertToFormat(QImage::Format_RGB32);
    QRegion result;
    std::vector<QRect> batch;
    batch.reserve(kRectBatch);
    for (int y = 0; y < image.height(); ++y) {
        appendRowRuns(image, y, transparent, tolerance, batch);
        if (batch.size() >= kRectBatch) {
            result += regionOf(batch);
            batch.clear();
        }
    }
    if (!batch.empty())
        result += regionOf(batch);
    if (result.isEmpty())
        return std::nullopt;
    return result;
}

std::optional<QString> CBaseDialog::SkinFilePath(const QString& path, QString* error) const
{
    const qsizetype slash = path.lastIndexOf(u'/');
    const QString folder = path.first(slash + 1);
    const QString name = path.sliced(slash + 1);
    // The folder part is the program's own; a name from the INI must not carry one of its own.
    const QString given = path.startsWith(m_skinFolder) ? path.sliced(m_skinFolder.size()) : name;
    auto refuse = [&](const QString& why) -> std::optional<QString> {
        if (error)
            *error = QStringLiteral("cannot load skin file %1: %2").arg(path, why);
        return std::nullopt;
    };
    if (!IsPlainSkinFileName(given))
        return refuse(QStringLiteral("not a plain file name of the skin folder"));
    if (m_skinFileNames.isEmpty())
        return ResolveSkinFile(path);
    if (m_skinFileNames.contains(name))
        return path;
    for (const QString& written : m_skinFileNames)
        if (written.compare(name, Qt::CaseInsensitive) == 0)
            return folder + written;
    return refuse(QStringLiteral("not one of the skin's files"));
}

bool CBaseDialog::loadSkinPicture(const QString& name, QImage& holder)
{
    const std::optional<QString> path = SkinFilePath(m_skinFolder + name, &m_skinError);
    if (!path)
        return false;
    std::optional<QImage> picture = LoadPicture(*path, &m_skinError);
    if (!picture)
        return false;
    holder = std::move(*picture);
    return true;
}

bool CBaseDialog::LoadSkin()
{
    const std::optional<QString> ini = SkinFilePath(m_skinIniPath, &m_skinError);
    if (!ini)
        return false;
    m_ini.SetPath(*ini);
    const QString main = m_ini.GetString(kSectionScreen, kKeyMain, QString()).value_or(QString());
    const QString mask = m_ini.GetString(kSectionScreen, kKeyMask, main).value_or(QString());
    if (!loadSkinPicture(main, m_background) || !loadSkinPicture(mask, m_mask))
        return false;

    setFixedSize(m_background.size());
    if (const QScreen* screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());
    show();
    raise();
    if (std::optional<QRegion> region = RegionFromBitmap(m_mask, kMaskTransparent, 0)) {
        setMask(*region);
        update();
    }
    return true;
}

bool CBaseDialog::SetBackground(const QImage& picture)
{
    if (picture.isNull() || m_background.isNull() ||
        picture.deviceIndependentSize() != m_background.deviceIndependentSize())
        return false;
    m_background = picture;
    update();
    return true;
}

void CBaseDialog::releaseBitmaps()
{
    m_background = QImage();
    m_mask = QImage();
}

void CBaseDialog::accept()
{
    releaseBitmaps();
    QDialog::accept();
}

void CBaseDialog::reject()
{
    releaseBitmaps();
    QDialog::reject();
}

void CBaseDialog::paintEvent(QPaintEvent*)
{
    if (m_background.isNull())
        return;
    QPainter painter(this);
    painter.drawImage(QPoint(0, 0), m_background);
}

void CBaseDialog::mousePressEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton) {
        QDialog::mousePressEvent(event);
        return;
    }
    // Like a press on a title bar: the window manager moves the window with the mouse. Without
    // one, the window follows the mouse itself.
    m_drag.press(*this, *event);
    m_drag.start(*this);
    event->accept();
}

void CBaseDialog::mouseMoveEvent(QMouseEvent* event)
{
    if (m_drag.follow(*this, *event)) {
        event->accept();
        return;
    }
    QDialog::mouseMoveEvent(event);
}

void CBaseDialog::mouseReleaseEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton)
        m_drag.release();
    QDialog::mouseReleaseEvent(event);
}

void CBaseDialog::keyPressEvent(QKeyEvent* event)
{
    const bool plain = event->modifiers() == Qt::NoModifier ||
        (event->modifiers() == Qt::KeypadModifier && event->key() == Qt::Key_Enter);
    if (plain && (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter)) {
        accept();
        return;
    }
    QDialog::keyPressEvent(event);
}

}   // namespace orvane::panelo
