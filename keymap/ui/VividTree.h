#pragma once
// VividTree: a tree that paints itself completely for dark skins. A background (bitmap, gradient or
// solid colour) under white item texts, its own plus/minus glyphs on items with children and a
// coloured bar under the selected item. Items, selection, expansion, scrolling and keys are the
// standard QTreeWidget's; only the drawing is replaced. The whole viewport is drawn into one pixmap
// and copied in one step, and the background is never erased separately, so nothing flickers.

#include <QColor>
#include <QIcon>
#include <QImage>
#include <QPixmap>
#include <QTreeWidget>

namespace orvane::ui {
class SkinImages;
}

namespace orvane::keymap {

inline constexpr const char* kTreeBackgroundImage = "bitmap131.png";   // 10 x 14
inline constexpr const char* kTreeCollapsedImage = "bitmap133.png";    // 9 x 9, box with plus
inline constexpr const char* kTreeExpandedImage = "bitmap134.png";     // 9 x 9, box with minus

class VividTree : public QTreeWidget {
public:
    enum BkMode { BkBitmap = 0, BkGradient = 1, BkSolid = 2 };

    static constexpr QRgb kSolidBackground = qRgb(30, 30, 30);
    static constexpr QRgb kSelectionBar = qRgb(102, 46, 47);
    static constexpr QRgb kTextColour = qRgb(255, 255, 255);
    static constexpr int kTextShift = 7;   // the item text rectangle is moved right by this
    static constexpr int kGlyphGap = 2;    // between the glyph's right edge and the text
    static constexpr int kGlyphTop = 4;    // glyph top below the text rectangle's top

    explicit VividTree(QWidget* parent = nullptr);

    // Releases the bitmaps held and loads 131, 133 and 134 from the skin folder. Returns false
    // when one is missing (that one is then not drawn: no glyph, or the gradient for 131).
    bool SetBitmaps(const orvane::ui::SkinImages& images);
    void SetBitmaps(const QImage& background, const QImage& collapsed, const QImage& expanded);

    // Stored for the owner; the drawing does not use it.
    void SetItemIcon(const QIcon& icon) { m_icon = icon; }
    QIcon GetItemIcon() const { return m_icon; }

    // Plain settings of the owner; each repaints.
    void setBkMode(int mode);
    int bkMode() const { return m_nBkMode; }
    void setGradient(const QColor& from, const QColor& to, bool horizontal);
    QColor gradientFrom() const { return m_crGradientFrom; }
    QColor gradientTo() const { return m_crGradientTo; }
    bool gradientHorizontal() const { return m_bGradientHorizontal; }
    void setTile(bool tile);
    bool tile() const { return m_bTile; }
    // The bar shows while the tree has the focus, or always with this style.
    void setShowSelectionAlways(bool on);
    bool showSelectionAlways() const { return m_bShowSelAlways; }

    // The rectangle of the item text as drawn (viewport coordinates), moved right by kTextShift.
    QRect itemTextRect(const QTreeWidgetItem* item) const;
    // Where the plus/minus glyph of an item with children is drawn (viewport coordinates); empty
    // for an item without children or without a glyph bitmap.
    QRect glyphRect(const QTreeWidgetItem* item) const;

protected:
    void paintEvent(QPaintEvent* event) override;
    void scrollContentsBy(int dx, int dy) override;
    // The glyph is drawn right of the standard branch area: a press anywhere on it opens or
    // closes its item, like a press on the branch area.
    void mousePressEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;

private:
    struct Area {
        int x, y, width, height;
    };
    Area drawingArea() const;
    void drawBackground(QPainter& p, const Area& area) const;
    void drawBitmapBackground(QPainter& p, const Area& area) const;
    void drawGradient(QPainter& p, const Area& area) const;
    void drawItems(QPainter& p, const Area& area) const;
    void drawItem(QPainter& p, const Area& area, const QModelIndex& index) const;
    bool selectionShown() const { return hasFocus() || m_bShowSelAlways; }
    // The item whose glyph lies under a viewport point, or null.
    QTreeWidgetItem* itemWithGlyphAt(const QPoint& pos) const;

    QPixmap m_bmpCollapsed;
    QPixmap m_bmpExpanded;
    QColor m_crGradientFrom{255, 255, 255};
    QColor m_crGradientTo{213, 213, 224};
    QColor m_crUnused{128, 160, 255};   // kept with the others; not used in drawing
    bool m_bGradientHorizontal = true;
    int m_nBkMode = BkGradient;
    QPixmap m_bmpBackground;
    bool m_bTile = false;
    bool m_bShowSelAlways = false;
    QIcon m_icon;
};

}   // namespace orvane::keymap
