#pragma once
// CBaseDialog: a frameless dialog whose whole face is an image. The skin INI names a background
// and a mask (section SCREEN, keys "Main" and "Mask"); the window takes the background's size,
// is cut to the mask's non-white pixels, paints the background unscaled without erasing, and is
// dragged by any point of its own surface.

#include "panelo/img/inifile.h"
#include "ui/WindowDrag.h"

#include <QDialog>
#include <QImage>
#include <QRegion>
#include <QStringList>

#include <optional>

namespace orvane::panelo {

class CBaseDialog : public QDialog {
    Q_OBJECT
public:
    // `skinIniPath` and `skinFolder` belong to the derived dialog, which fills them before
    // OnInitDialog() runs; they are read only when the skin is loaded. The folder ends with '/'.
    CBaseDialog(const QString& skinIniPath, const QString& skinFolder, QWidget* parent = nullptr);

    // Dialog initialisation: loads the skin. False when the background or the mask cannot be
    // loaded; SkinError() then names the file, and the caller ends the program.
    virtual bool OnInitDialog();

    // Reads the INI, loads both pictures, sizes, shows and shapes the window.
    bool LoadSkin();

    // The names of the files the skin folder was given (as written there). Once set, a skin file
    // (the INI, a picture the INI names) is only ever one of these, matched without regard to
    // case and opened by the name written; anything else in the folder is never read. Without
    // them, names match the folder's entries without regard to case (an exact match wins).
    void SetSkinFileNames(QStringList written) { m_skinFileNames = std::move(written); }

    // The file that `path` (skin folder or INI folder + a name) stands for, or none with `error`
    // set when the name is not a plain name of the skin folder (a separator, "..") or, once the
    // names are set, not one of them.
    std::optional<QString> SkinFilePath(const QString& path, QString* error = nullptr) const;
    const QString& SkinError() const { return m_skinError; }

    const QImage& Background() const { return m_background; }
    // The background as the same picture at a higher device-pixel ratio (a high-density screen).
    // Only a picture of the background's logical size is taken; returns whether it was.
    bool SetBackground(const QImage& picture);
    const QImage& MaskBitmap() const { return m_mask; }

    // Reads the file whole and decodes it by its content (BMP, JPEG, PNG, ...). None when the
    // file is missing, empty, unreadable, undecodable, not a regular file, a symbolic link or
    // larger than kMaxSkinFileBytes; `error` then says which and why.
    static std::optional<QImage> LoadPicture(const QString& path, QString* error = nullptr);

    // The union of the runs of pixels that are not `transparent` (each channel within
    // `tolerance` of it counts as transparent), row by row. None when the bitmap is empty or
    // every pixel is transparent, so that the window stays rectangular.
    static std::optional<QRegion> RegionFromBitmap(const QImage& bitmap, QRgb transparent, int tolerance);

    // Both release the skin bitmaps, then end the dialog.
    void accept() override;
    void reject() override;

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    bool loadSkinPicture(const QString& name, QImage& holder);
    void releaseBitmaps();

    const QString& m_skinIniPath;
    const QString& m_skinFolder;
    QStringList m_skinFileNames;
    QImage m_background;
    QImage m_mask;
    CIniFile m_ini;
    QString m_skinError;
    // Set while the window is moved by the mouse itself (no window manager to do it).
    ui::WindowDrag m_drag;
};

// The pixel-exact window mask of the LCD program's skin: white is transparent, no tolerance.
inline constexpr QRgb kMaskTransparent = 0xFFFFFFFF;

}   // namespace orvane::panelo
