#pragma once
// CPaneloDlg: the LCD program's window. A 500 x 320 skin with the LCD preview, the font
// description, the text box and the buttons for the font chooser, fitting, download, the
// default logo, the web site, minimise and close. Rendering and downloading are LcdRenderer's;
// this class places the controls from the skin INI, paints the preview and routes the clicks.
// Every control carries a name in the window's language for assistive technology (the preview's
// names the text it shows); Tab and Shift+Tab go through the controls in reading order, and
// Escape closes the window as the close button does.

#include "panelo/app/panelo.h"
#include "panelo/img/basedialog.h"
#include "panelo/img/pngbutton.h"
#include "panelo/lcd/LcdRenderer.h"

#include <QFontMetrics>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPixmap>

#include <array>
#include <memory>
#include <string_view>

namespace orvane::panelo {

// Control ids of the window (dialog template 102).
enum ControlId : int {
    IDC_PREVIEW_GROUP = 1000,
    IDC_DISP_TEXT = 1001,
    IDC_FONT_BTN = 1003,
    IDC_FONT_LABEL = 1004,
    IDC_DOWN_BTN = 1005,
    IDC_AUTO_BTN = 1006,
    IDC_MINIMIZE = 1007,
    IDC_CLOSE = 1008,
    IDC_VER_INFO = 1009,
    IDC_FONT_INFO = 1010,
    IDC_PREVIEW = 1011,
    IDC_DEFAULT_BTN = 1012,
    IDC_LOGO = 1013,
};

inline constexpr const char16_t* kInitialText = u"KAVIR";
inline constexpr QRgb kPreviewLit = 0xFFF29871;    // RGB(242, 152, 113)
inline constexpr QRgb kPreviewDark = 0xFF404040;   // RGB(64, 64, 64)
inline constexpr const char* kMakerWebSite = "https://example.com/";

// The rectangle the preview surface gets inside the preview frame: centred and cut to 132 x 32
// when larger, the frame's own edge and size when not.
QRect PreviewPlacement(const QRect& frame);

// "x,y,w,h,..." as read from BUTTONINFO; (1, 1, 1, 1) for what cannot be read.
QRect ParseSkinRect(const QString& value);

// LOGFONT and QFont: face, size (a negative height is the pixel em size), weight and italics.
QFont FontFromLogFont(const LogFont& lf);
LogFont LogFontFromFont(const QFont& font, const LogFont& base, int dpiY);

// The font description as it fits in `width` pixels of `metrics`: the face name gives way
// (shortened with an ellipsis), the style and the size after it stay whole.
QString FitFontDescription(const QString& face, const QString& suffix, const QFontMetrics& metrics, int width);

class CPaneloDlg : public CBaseDialog {
    Q_OBJECT
public:
    explicit CPaneloDlg(const PaneloServices& services, QWidget* parent = nullptr);
    ~CPaneloDlg() override;

    // The start-up sequence: language, skin extraction, skin, state surfaces, controls, font,
    // initial text. False when the skin cannot be loaded; StartError() says why.
    bool OnInitDialog() override;
    const QString& StartError() const { return m_startError; }

    bool Chinese() const { return m_chinese; }
    const QString& SkinIniPath() const { return m_skinIni; }
    const QString& SkinFolder() const { return m_skinFolder; }
    // The FileDef20151212 folder the skin went to, empty when extraction failed (the start then
    // ends with the reason).
    const QString& FileDefFolder() const { return m_fileDef; }
    LcdRenderer* Renderer() const { return m_renderer.get(); }
    // The controls by their ids (tests and the screenshots drive them).
    QWidget* Control(int id) const;
    CPngButton* Button(int id) const;
    QLineEdit* TextBox() const { return m_edit; }
    const QLabel* FontLabel() const { return m_fontLabel; }
    // The preview as painted: the surface's size, lit pixels orange, dark ones grey; at `scale`
    // (a whole number) each LCD pixel is a block of scale x scale pixels, device-pixel ratio scale.
    QImage PreviewImage(int scale = 1) const;

protected:
    void paintEvent(QPaintEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    bool extractSkin();
    bool loadStateImages();
    void useDoubleStateImages(const std::array<std::string_view, 4>& files);
    void createControls();
    void connectControls();
    void nameControls();
    // The names assistive technology reads that follow what the window shows.
    QString PreviewName() const;
    QString FontInfoName() const;
    void chainTabOrder();
    void closeLater();
    void placeControls();
    QRect readSkinRect(const char* key) const;
    void PlaceSkinButton(CPngButton* button, const char* key);
    void PlaceControl(QWidget* control, const char* key);
    void placePreview();
    void setFontLabels();
    void onFontButton();
    PaneloHooks makeHooks();

    PaneloServices m_services;
    QString m_skinIni;
    QString m_skinFolder;
    QString m_fileDef;
    QString m_startError;
    bool m_chinese = false;
    std::array<QImage, 4> m_stateImages;
    std::array<QPixmap, 4> m_surfaces;
    std::unique_ptr<LcdRenderer> m_renderer;

    // Children (owned by the window).
    CPngButton* m_btnLogo = nullptr;
    CPngButton* m_btnDefault = nullptr;
    CPngButton* m_preview = nullptr;
    CPngButton* m_fontInfo = nullptr;
    CPngButton* m_verInfo = nullptr;
    CPngButton* m_btnAuto = nullptr;
    CPngButton* m_btnClose = nullptr;
    CPngButton* m_btnMinimize = nullptr;
    QGroupBox* m_group = nullptr;
    QLabel* m_fontLabel = nullptr;
    QLineEdit* m_edit = nullptr;
    CPngButton* m_btnFont = nullptr;
    CPngButton* m_btnDown = nullptr;
};

}   // namespace orvane::panelo
