#pragma once
// CTransparentListBox: a list whose lines are drawn over a captured background (no window colour),
// each text with an optional drop shadow, macro event lines with a press, release or delay icon, and
// an in-place editor (CEditHelper) opened by a double-click on the selected line.
//
// Edit modes: 0 free text, 1 delay values (only lines holding neither "dn" nor "up" open an editor;
// the value is limited to 2..60000 and shown "%d ms"), 2 file names that must end in ".bin",
// 3 file names with the background taken from the parent window's own painting under the list.
// Modes 0..2 take their background from the list background image (kListBackImage) at (7, 22).
//
// Signals keep the names of the owner's messages:
//   WM_LISTEDITBEGIN()                   an in-place edit opens (before the editor exists)
//   WM_LISTEDITDONE(wParam, lParam)      mode 1: (line, value), sent on every commit, changed or not,
//                                        before the list changes; when the receiver puts lines into
//                                        the list meanwhile (it reloaded what it stored), those stay
//                                        as they are; modes 2, 3: (start index, new index) after a
//                                        changed text
//   WM_LISTITEMRENAMED(index, text)      after a changed text, when the notify style is on
// Each line carries, as its accessible text, what the line shows with its icon put in words.
// Scrolling, the wheel and a resize commit an open edit. Scrolling repaints the whole list (no blit of
// the transparent lines).

#include <QColor>
#include <QFont>
#include <QImage>
#include <QLineEdit>
#include <QListWidget>
#include <QPixmap>

namespace orvane::ui {
class SkinImages;
}

namespace orvane::macro {

// Skin images the list uses (in the language folder).
inline constexpr const char* kListBackImage = "MacroManagement/ListBack.png";      // 127 x 305
inline constexpr const char* kPressIconImage = "MacroManagement/EventDown.png";    // 10 x 14
inline constexpr const char* kReleaseIconImage = "MacroManagement/EventUp.png";    // 10 x 14
inline constexpr const char* kDelayIconImage = "MacroManagement/EventDelay.png";   // 14 x 14
inline constexpr int kListBackOriginX = 7;
inline constexpr int kListBackOriginY = 22;
inline constexpr int kIconInset = 20;   // icon at the line's right edge minus this

// The single-line editor of an in-place edit. Enter (commit) and Escape (cancel) on key release,
// and losing the focus (commit), end the edit through WM_ENDLISTEDIT.
class CEditHelper : public QLineEdit {
    Q_OBJECT
public:
    explicit CEditHelper(QWidget* parent);

signals:
    void WM_ENDLISTEDIT(int commit);

protected:
    void keyPressEvent(QKeyEvent* e) override;
    void keyReleaseEvent(QKeyEvent* e) override;
    void focusOutEvent(QFocusEvent* e) override;
};

class CTransparentListBox : public QListWidget {
    Q_OBJECT
public:
    enum EditMode { FreeText = 0, DelayValues = 1, BinFileNames = 2, FileNamesOverParent = 3 };

    explicit CTransparentListBox(QWidget* parent = nullptr);
    ~CTransparentListBox() override;

    void setEditMode(int mode);
    int editMode() const { return m_nEditMode; }
    // Bold (weight 700) face at a pixel height; the line height becomes the height of "XYZ".
    void setListFont(const QString& face, int pixelHeight);
    void setTextColours(const QColor& normal, const QColor& selected);
    void setShadow(bool on, const QColor& colour = Qt::black, int offset = 3);
    void setSorted(bool sorted) { m_sorted = sorted; }
    bool isSorted() const { return m_sorted; }
    void setNotify(bool notify) { m_notify = notify; }
    // Where the list background and the event icons come from (kept by reference; may be null).
    void setSkin(const ui::SkinImages* skin);

    // Appends (or places by sorting for a sorted list); returns the line's index.
    int addLine(const QString& text, qulonglong value = 0);
    int insertLine(int index, const QString& text, qulonglong value = 0);
    void setLines(const QStringList& lines);
    QString lineText(int index) const;
    qulonglong lineValue(int index) const;
    int lineHeight() const { return m_lineHeight; }

    int itemBeingEdited() const { return m_iItemBeingEdited; }
    CEditHelper* editor() const { return m_editor; }
    // Opens the in-place edit on the selected line as a double-click at `pos` (viewport
    // coordinates) would; false when nothing opened.
    bool beginEdit(const QPoint& pos);
    // Ends an open edit (commit or cancel); nothing when no edit is open.
    void endEdit(bool commit);

    // Takes the background again (after the parent's look changed).
    void captureBackground();
    const QImage& background() const { return m_background; }
    // The text and icon a line is drawn with (mode 1 strips "dn"/"up" and picks an icon).
    enum class Icon { None, Press, Release, Delay };
    struct LineLook {
        QString text;
        Icon icon = Icon::None;
    };
    LineLook lookOf(const QString& text) const;
    // What assistive technology reads for a line (its Qt::AccessibleTextRole): in mode 1 the text
    // with the word for its icon ("A pressed", "A released", "Delay 30 ms"; %1 is the shown text),
    // else the text itself. English until the owner gives its language's words.
    struct IconWords {
        QString press = QStringLiteral("%1 pressed");
        QString release = QStringLiteral("%1 released");
        QString delay = QStringLiteral("Delay %1");
    };
    void setIconWords(const IconWords& words);
    QString spokenText(const QString& text) const;

signals:
    void WM_LISTEDITBEGIN();
    void WM_LISTEDITDONE(int wParam, int lParam);
    void WM_LISTITEMRENAMED(int index, const QString& text);

protected:
    void paintEvent(QPaintEvent* e) override;
    void mouseDoubleClickEvent(QMouseEvent* e) override;
    void wheelEvent(QWheelEvent* e) override;
    void resizeEvent(QResizeEvent* e) override;
    void moveEvent(QMoveEvent* e) override;
    void showEvent(QShowEvent* e) override;
    void changeEvent(QEvent* e) override;
    void scrollContentsBy(int dx, int dy) override;

private:
    void applyLineHeight();
    void drawLine(QPainter& p, const QRect& r, const QString& text, bool selected) const;
    const QPixmap* iconPixmap(Icon icon) const;
    QString committedText(const QString& typed, int* value) const;
    void replaceLine(int index, const QString& text);

    CEditHelper* m_editor = nullptr;
    int m_iItemBeingEdited = -1;
    int m_iEditStartIndex = -1;
    int m_nEditMode = FreeText;
    QColor m_normalColour;
    QColor m_selectedColour;
    QColor m_shadowColour = Qt::black;
    QFont m_font;
    QImage m_background;
    bool m_backgroundCaptured = false;
    int m_shadowOffset = 3;
    bool m_shadow = false;
    int m_fontHeight = 16;
    int m_lineHeight = 16;
    bool m_sorted = false;
    bool m_notify = true;
    quint64 m_linesPut = 0;   // counts lines put in through insertLine/setLines
    const ui::SkinImages* m_skin = nullptr;
    IconWords m_iconWords;
};

}   // namespace orvane::macro
