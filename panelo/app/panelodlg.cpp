#include "panelo/app/panelodlg.h"

#include "panelo/img/SkinLayout.h"
#include "panelo/img/memdc.h"
#include "model/Language.h"
#include "platform/core/Settings.h"
#include "platform/ui/SkinImages.h"
#include "platform/ui/UserDialogs.h"

#include <QDesktopServices>
#include <QGuiApplication>
#include <QIcon>
#include <QKeyEvent>
#include <QPainter>
#include <QUrl>

#include <algorithm>

namespace orvane::panelo {

namespace {

constexpr int kPanelCut = kPanelWidth;
constexpr const char* kSectionButtons = "BUTTONINFO";
constexpr const char* kMissingRect = "1,1,1,1,x";
// The template's font for its controls (the text box): "宋体" 14 points.
constexpr int kTemplatePoints = 14;
constexpr int kLabelPoints = 11;
constexpr QRgb kLabelColour = 0xFFE0E0E0;   // RGB(224, 224, 224)
// Where the emblem lies in the artwork; the window icon is cut from it.
constexpr QRect kIconArea{33, 20, 44, 44};

const QString kLabelFace = QString::fromUtf16(u"宋体");

// What assistive technology calls each control, in English and Chinese: the caption the artwork
// shows where it shows one, so what is heard is what is seen. The description says what a press
// does where the caption alone does not.
struct ControlText {
    int id;
    const char* english;
    const char* chinese;
    const char* englishDescription = "";
    const char* chineseDescription = "";
};

constexpr std::array<ControlText, 10> kControlTexts{{
    {IDC_LOGO, "Web site", "官方网站", "Opens the maker's web site", "打开厂商的网站"},
    {IDC_MINIMIZE, "Minimise", "最小化"},
    {IDC_CLOSE, "Close", "关闭"},
    {IDC_PREVIEW_GROUP, "Preview", "预览"},
    {IDC_FONT_BTN, "Change Font...", "修改字体..."},
    {IDC_DISP_TEXT, "Display text", "显示的文字", "The text shown on the keyboard's LCD", "键盘液晶屏上显示的文字"},
    {IDC_AUTO_BTN, "Auto Adjust", "自动调整", "Fits the font size to the LCD", "调整字号以适合液晶屏"},
    // The version the artwork shows.
    {IDC_VER_INFO, "Version: V0.8", "版本：V0.8"},
    {IDC_DEFAULT_BTN, "Default logo", "默认标志", "Sends the built-in logo to the keyboard", "把内置标志下载到键盘"},
    {IDC_DOWN_BTN, "Download", "下载", "Sends the text to the keyboard's LCD", "把文字下载到键盘的液晶屏"},
}};

constexpr const char* kPreviewNameEnglish = "LCD preview: %1";
constexpr const char* kPreviewNameChinese = "LCD 预览：%1";
constexpr const char* kEmptyPreviewEnglish = "blank";
constexpr const char* kEmptyPreviewChinese = "空白";
constexpr const char* kFontInfoNameEnglish = "Display font: %1";
constexpr const char* kFontInfoNameChinese = "显示的字体：%1";

QString str(std::string_view s)
{
    return QString::fromUtf8(s.data(), qsizetype(s.size()));
}

// Centre a length of `cut` in [start, start + length) when longer, else keep it.
std::pair<int, int> centreCut(int start, int length, int cut)
{
    if (length > cut)
        return {start + (length - cut) / 2, cut};
    return {start, length};
}

bool keyboardCtrlAltHeld()
{
    const Qt::KeyboardModifiers m = QGuiApplication::queryKeyboardModifiers();
    return (m & Qt::ControlModifier) && (m & Qt::AltModifier);
}

}   // namespace

QRect PreviewPlacement(const QRect& frame)
{
    const auto [left, width] = centreCut(frame.left(), frame.width(), kPanelCut);
    const auto [top, height] = centreCut(frame.top(), frame.height(), kPanelHeight);
    return QRect(left, top, width, height);
}

QRect ParseSkinRect(const QString& value)
{
    const QStringList parts = value.split(u',');
    std::array<int, 4> v{};
    for (std::size_t i = 0; i < v.size(); ++i) {
        bool ok = false;
        v[i] = i < std::size_t(parts.size()) ? parts[qsizetype(i)].trimmed().toInt(&ok) : 0;
        if (!ok)
            return QRect(1, 1, 1, 1);
    }
    return QRect(v[0], v[1], v[2], v[3]);
}

QFont FontFromLogFont(const LogFont& lf)
{
    QFont font(QString::fromStdU16String(lf.faceName));
    if (lf.height != 0)
        font.setPixelSize(std::max(1, std::abs(lf.height)));
    font.setWeight(static_cast<QFont::Weight>(std::clamp(lf.weight == 0 ? 400 : lf.weight, 1, 1000)));
    font.setItalic(lf.italic);
    return font;
}

LogFont LogFontFromFont(const QFont& font, const LogFont& base, int dpiY)
{
    LogFont lf = base;
    lf.faceName = font.family().left(31).toStdU16String();
    if (font.pointSize() > 0)
        lf.height = -MulDiv(font.pointSize(), dpiY, 72);
    else if (font.pixelSize() > 0)
        lf.height = -font.pixelSize();
    lf.weight = font.weight();
    lf.italic = font.italic();
    // The chooser cannot hide its effects; the LCD has none, so they are not taken over.
    lf.underline = false;
    lf.strikeOut = false;
    return lf;
}

QString FitFontDescription(const QString& face, const QString& suffix, const QFontMetrics& metrics, int width)
{
    const QString whole = face + suffix;
    if (metrics.horizontalAdvance(whole) <= width)
        return whole;
    return metrics.elidedText(face, Qt::ElideRight, std::max(0, width - metrics.horizontalAdvance(suffix))) + suffix;
}

CPaneloDlg::CPaneloDlg(const PaneloServices& services, QWidget* parent)
    : CBaseDialog(m_skinIni, m_skinFolder, parent), m_services(services)
{
    setWindowFlag(Qt::WindowMinimizeButtonHint);
    setWindowFlag(Qt::WindowSystemMenuHint);
    setWindowTitle(QString::fromLatin1(kProgramTitle));
    if (!m_services.ctrlAltHeld)
        m_services.ctrlAltHeld = keyboardCtrlAltHeld;
    if (!m_services.openUrl)
        m_services.openUrl = [](const QString& url) { QDesktopServices::openUrl(QUrl(url)); };
    createControls();
    connectControls();
}

CPaneloDlg::~CPaneloDlg() = default;

void CPaneloDlg::createControls()
{
    auto button = [this](int id, const char* caption) {
        auto* b = new CPngButton(this);
        b->setObjectName(QString::number(id));
        b->setText(QString::fromUtf8(caption));
        return b;
    };
    // In reading order, which is the order assistive technology lists them in.
    m_btnLogo = button(IDC_LOGO, "LOGO");
    m_btnMinimize = button(IDC_MINIMIZE, "-");
    m_btnClose = button(IDC_CLOSE, "X");
    m_group = new QGroupBox(QString::fromUtf16(u"预览"), this);
    m_group->setObjectName(QString::number(IDC_PREVIEW_GROUP));
    m_group->hide();
    m_preview = button(IDC_PREVIEW, "P");
    m_preview->setEnabled(false);
    m_preview->SetAccessibleRole(QAccessible::Graphic);
    m_fontLabel = new QLabel(this);
    m_fontLabel->setObjectName(QString::number(IDC_FONT_LABEL));
    m_fontLabel->hide();
    m_fontInfo = button(IDC_FONT_INFO, "F");
    m_fontInfo->setEnabled(false);
    m_fontInfo->SetAccessibleRole(QAccessible::StaticText);
    m_btnFont = button(IDC_FONT_BTN, "修改字体...");
    m_edit = new QLineEdit(this);
    m_edit->setObjectName(QString::number(IDC_DISP_TEXT));
    m_btnAuto = button(IDC_AUTO_BTN, "自动调整");
    m_verInfo = button(IDC_VER_INFO, "版本：V0.8");
    m_verInfo->setEnabled(false);
    m_verInfo->SetAccessibleRole(QAccessible::StaticText);
    m_btnDefault = button(IDC_DEFAULT_BTN, "默认");
    m_btnDown = button(IDC_DOWN_BTN, "下载");
    for (CPngButton* shown : {m_preview, m_fontInfo, m_verInfo})
        shown->setFocusPolicy(Qt::NoFocus);
    chainTabOrder();

    QFont editFont(kLabelFace);
    editFont.setPixelSize(MulDivRound(kTemplatePoints, logicalDpiY(), 72));
    m_edit->setFont(editFont);
    // The field is part of the artwork: the box itself draws only its text and caret.
    m_edit->setFrame(false);
    m_edit->setStyleSheet(QStringLiteral("QLineEdit { background: transparent; border: none; color: rgb(224, 224, 224);"
                                         " padding: 0 4px; selection-background-color: rgb(226, 36, 48); }"));
}

// Row by row as the window reads, the text box in its row between the font and fit buttons.
void CPaneloDlg::chainTabOrder()
{
    const std::array<QWidget*, 8> order{m_btnLogo, m_btnMinimize, m_btnClose,   m_btnFont,
                                        m_edit,    m_btnAuto,     m_btnDefault, m_btnDown};
    for (std::size_t i = 1; i < order.size(); ++i)
        QWidget::setTabOrder(order[i - 1], order[i]);
}

void CPaneloDlg::nameControls()
{
    const model::Language language = model::languageFor(m_chinese);
    for (const ControlText& t : kControlTexts) {
        QWidget* control = Control(t.id);
        control->setAccessibleName(QString::fromUtf8(model::inLanguage(language, t.english, t.chinese)));
        control->setAccessibleDescription(
            QString::fromUtf8(model::inLanguage(language, t.englishDescription, t.chineseDescription)));
    }
    m_group->setTitle(m_group->accessibleName());
    m_preview->setAccessibleName(PreviewName());
}

QString CPaneloDlg::PreviewName() const
{
    const model::Language language = model::languageFor(m_chinese);
    const QString text = m_edit->text();
    const QString shown = text.isEmpty()
        ? QString::fromUtf8(model::inLanguage(language, kEmptyPreviewEnglish, kEmptyPreviewChinese))
        : text;
    return QString::fromUtf8(model::inLanguage(language, kPreviewNameEnglish, kPreviewNameChinese)).arg(shown);
}

QString CPaneloDlg::FontInfoName() const
{
    const model::Language language = model::languageFor(m_chinese);
    return QString::fromUtf8(model::inLanguage(language, kFontInfoNameEnglish, kFontInfoNameChinese))
        .arg(m_fontLabel->text());
}

void CPaneloDlg::closeLater()
{
    // Posted, as system commands are: the click finishes before the window goes.
    QMetaObject::invokeMethod(this, &QWidget::close, Qt::QueuedConnection);
}

void CPaneloDlg::keyPressEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier) {
        closeLater();
        return;
    }
    CBaseDialog::keyPressEvent(event);
}

void CPaneloDlg::connectControls()
{
    connect(m_edit, &QLineEdit::textChanged, this, [this](const QString& text) {
        // A new name is announced (setAccessibleName sends NameChanged while a screen reader listens).
        m_preview->setAccessibleName(PreviewName());
        if (!m_renderer)
            return;
        m_renderer->setText(text.toStdU16String());
        m_renderer->RenderText();
    });
    connect(m_btnFont, &QAbstractButton::clicked, this, &CPaneloDlg::onFontButton);
    connect(m_btnDown, &QAbstractButton::clicked, this, [this] {
        if (m_renderer)
            m_renderer->Download();
    });
    connect(m_btnAuto, &QAbstractButton::clicked, this, [this] {
        if (m_renderer)
            m_renderer->AutoAdjustFont();
    });
    connect(m_btnDefault, &QAbstractButton::clicked, this, [this] {
        if (m_renderer)
            m_renderer->Default();
    });
    // Posted, as system commands are: the click finishes before the window goes.
    connect(m_btnMinimize, &QAbstractButton::clicked, this,
            [this] { QMetaObject::invokeMethod(this, &QWidget::showMinimized, Qt::QueuedConnection); });
    connect(m_btnClose, &QAbstractButton::clicked, this, &CPaneloDlg::closeLater);
    connect(m_btnLogo, &QAbstractButton::clicked, this,
            [this] { m_services.openUrl(QString::fromLatin1(kMakerWebSite)); });
}

bool CPaneloDlg::extractSkin()
{
    std::string error;
    std::optional<std::string> runtime = m_services.runtimeFolder ? m_services.runtimeFolder(error) : std::nullopt;
    if (!runtime) {
        m_startError = QStringLiteral("no runtime folder for the skin: ") + QString::fromStdString(error);
        return false;
    }
    const SkinFileSet files = m_services.skinFiles ? m_services.skinFiles(m_chinese) : SkinFileSet{};
    if (files.empty()) {
        m_startError = QStringLiteral("the program carries no skin files");
        return false;
    }
    // What is in the folder when extraction is refused was not written by us: it is never read.
    if (!ExtractSkinFiles(*runtime, files, error)) {
        m_startError = QStringLiteral("cannot extract the skin: ") + QString::fromStdString(error);
        return false;
    }
    QStringList written;
    for (const SkinFile& file : files)
        written << file.name;
    SetSkinFileNames(written);
    m_fileDef = QString::fromStdString(*runtime) + QLatin1String(kFileDefFolder) + QLatin1Char('/');
    m_skinIni = m_fileDef + (m_chinese ? QStringLiteral("Skins/Main_CHN.ini") : QStringLiteral("Skins/Main_Eng.ini"));
    m_skinFolder = m_fileDef + QLatin1String(kSkinsFolder) + QLatin1Char('/');
    return true;
}

bool CPaneloDlg::loadStateImages()
{
    const SkinFileNames& names = SkinFilesFor(m_chinese);
    const std::array<std::string_view, 4> files{names.normal, names.over, names.down, names.disable};
    for (std::size_t i = 0; i < files.size(); ++i) {
        const std::optional<QString> path = SkinFilePath(m_skinFolder + str(files[i]), &m_startError);
        std::optional<QImage> image = path ? LoadPicture(*path, &m_startError) : std::nullopt;
        if (!image)
            return false;
        m_stateImages[i] = std::move(*image);
    }
    if (ui::SkinImages::screenScale() > 1)
        useDoubleStateImages(files);
    for (std::size_t i = 0; i < m_surfaces.size(); ++i)
        m_surfaces[i] = RenderStateSurface(m_stateImages[i], size());
    return true;
}

// On a high-density screen the state images (and the background, the normal state) at twice the
// pixels, each only where the program carries it at exactly twice its state's size.
void CPaneloDlg::useDoubleStateImages(const std::array<std::string_view, 4>& files)
{
    if (!m_services.doubleSkinPicture)
        return;
    for (std::size_t i = 0; i < files.size(); ++i) {
        QImage image = QImage::fromData(m_services.doubleSkinPicture(m_chinese, DoubleSkinName(files[i])));
        if (image.isNull() || image.size() != m_stateImages[i].size() * kSkinScale)
            continue;
        image.setDevicePixelRatio(kSkinScale);
        m_stateImages[i] = std::move(image);
    }
    if (m_stateImages[0].devicePixelRatio() > 1)
        SetBackground(m_stateImages[0]);   // the normal state is the background picture
}

bool CPaneloDlg::OnInitDialog()
{
    m_chinese = platform::Settings(m_services.settingsPath).chinese();
    nameControls();
    if (extractSkin()) {
        if (!CBaseDialog::OnInitDialog()) {
            m_startError = SkinError();
        } else if (loadStateImages()) {
            const qreal scale = m_stateImages[0].devicePixelRatio();
            setWindowIcon(QIcon(QPixmap::fromImage(
                m_stateImages[0].copy(QRect(kIconArea.topLeft() * scale, kIconArea.size() * scale)))));
            placeControls();
            m_renderer =
                std::make_unique<LcdRenderer>(*m_services.backend, *m_services.glyphs, logicalDpiY(), makeHooks());
            setFontLabels();
            m_edit->setText(QString::fromUtf16(kInitialText));
            m_verInfo->setText(QString());
            m_edit->setFocus();
            return true;
        }
    }
    hide();
    return false;
}

QRect CPaneloDlg::readSkinRect(const char* key) const
{
    CIniFile ini;
    if (const std::optional<QString> path = SkinFilePath(m_skinIni))
        ini.SetPath(*path);
    const QString value = ini.GetString(QLatin1String(kSectionButtons), QLatin1String(key), QLatin1String(kMissingRect))
                              .value_or(QString());
    return ParseSkinRect(value);
}

void CPaneloDlg::PlaceSkinButton(CPngButton* button, const char* key)
{
    const QRect r = readSkinRect(key);
    button->setGeometry(r);
    button->SetStateSurfaces(r.topLeft(),
                             {&m_surfaces[0], &m_surfaces[1], &m_surfaces[2], &m_surfaces[3], &m_surfaces[0]}, false);
    if (r.x() == 1 && r.y() == 1)
        button->setEnabled(false);
}

void CPaneloDlg::PlaceControl(QWidget* control, const char* key)
{
    control->setGeometry(readSkinRect(key));
}

void CPaneloDlg::placeControls()
{
    PlaceSkinButton(m_btnMinimize, "CONTROL_MINIMIZE");
    PlaceSkinButton(m_btnClose, "CONTROL_MAXIMIZE");
    PlaceSkinButton(m_btnFont, "CONTROL_FONT_BTN");
    PlaceSkinButton(m_btnAuto, "CONTROL_AUTO_BTN");
    PlaceSkinButton(m_btnDown, "CONTROL_DOWN_BTN");
    PlaceControl(m_group, "CONTROL_PREVIEW");
    PlaceControl(m_fontLabel, "CONTROL_FONT_INFO");
    PlaceSkinButton(m_fontInfo, "CONTROL_FONT_INFO");
    const Qt::Alignment labelAlignment = Qt::AlignLeft | Qt::AlignVCenter;
    m_fontInfo->SetTextStyle(true, kLabelPoints, kLabelFace, QColor::fromRgb(kLabelColour), labelAlignment);
    m_fontInfo->SetTextInsets({2, 0, 0, 0});
    PlaceControl(m_edit, "CONTROL_DISP_TEXT");
    PlaceSkinButton(m_verInfo, "CONTROL_VER_INFO");
    m_verInfo->SetTextStyle(true, kLabelPoints, kLabelFace, QColor::fromRgb(kLabelColour), labelAlignment);
    PlaceSkinButton(m_btnDefault, "CONTROL_DEFAULT_BTN");
    PlaceSkinButton(m_btnLogo, "CONTROL_LOGO");
    placePreview();
}

void CPaneloDlg::placePreview()
{
    m_preview->setGeometry(PreviewPlacement(m_group->geometry()));
}

PaneloHooks CPaneloDlg::makeHooks()
{
    PaneloHooks hooks;
    hooks.notify = [this](const std::u16string& text) {
        m_services.dialogs->message(this, QString::fromStdU16String(text), QString::fromLatin1(kProgramTitle),
                                    ui::MessageButtons::Ok, ui::MessageIcon::None);
    };
    hooks.repaint = [this] { update(); };
    hooks.fontLabels = [this](const std::u16string&) { setFontLabels(); };
    hooks.ctrlAltHeld = [this] { return m_services.ctrlAltHeld(); };
    return hooks;
}

void CPaneloDlg::setFontLabels()
{
    const LogFont& lf = m_renderer->logFont();
    const QString face = QString::fromStdU16String(lf.faceName);
    const QString suffix = QString::fromStdU16String(FontDescriptionSuffix(lf, m_renderer->dpiY()));
    m_fontLabel->setText(face + suffix);
    m_fontInfo->setAccessibleName(FontInfoName());
    // The size must stay in view however long the face name is.
    m_fontInfo->setText(FitFontDescription(face, suffix, QFontMetrics(m_fontInfo->TextFont(), m_fontInfo),
                                           m_fontInfo->TextRect().width()));
}

void CPaneloDlg::onFontButton()
{
    if (!m_renderer)
        return;
    const std::optional<QFont> chosen = m_services.dialogs->chooseFont(this, FontFromLogFont(m_renderer->logFont()));
    if (!chosen)
        return;
    m_renderer->setLogFont(LogFontFromFont(*chosen, m_renderer->logFont(), m_renderer->dpiY()));
    setFontLabels();
    m_renderer->RenderText();
}

QWidget* CPaneloDlg::Control(int id) const
{
    return findChild<QWidget*>(QString::number(id), Qt::FindDirectChildrenOnly);
}

CPngButton* CPaneloDlg::Button(int id) const
{
    return qobject_cast<CPngButton*>(Control(id));
}

QImage CPaneloDlg::PreviewImage(int scale) const
{
    scale = std::max(1, scale);
    QImage image(m_preview->size() * scale, QImage::Format_RGB32);
    const LcdPreviewBitmap empty{};
    const LcdPreviewBitmap& bmp = m_renderer ? m_renderer->previewBitmap() : empty;
    for (int y = 0; y < image.height(); ++y) {
        auto* row = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < image.width(); ++x)
            row[x] = PreviewPixel(bmp, x / scale, y / scale) ? kPreviewLit : kPreviewDark;
    }
    image.setDevicePixelRatio(scale);
    return image;
}

void CPaneloDlg::paintEvent(QPaintEvent* event)
{
    CBaseDialog::paintEvent(event);
    if (!m_renderer || Background().isNull())
        return;
    QPainter painter(this);
    const QRect surface = m_preview->geometry();
    painter.setClipRect(surface);
    // Each LCD pixel a block of whole device pixels: drawn at the screen's ratio rounded down, so
    // nothing is smoothed (an odd remainder of a fractional ratio is left to the nearest pixel).
    painter.setRenderHint(QPainter::SmoothPixmapTransform, false);
    painter.drawImage(surface.topLeft(), PreviewImage(int(devicePixelRatioF())));
}

}   // namespace orvane::panelo
