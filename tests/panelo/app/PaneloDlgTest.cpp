#include "panelo/img/SkinLayout.h"
#include "panelo/app/panelo.h"
#include "panelo/app/panelodlg.h"
#include "panelo/lcd/FreeTypeGlyphSource.h"
#include "emulator/Emulator.h"
#include "platform/ui/UserDialogs.h"
#include "tests/support/ProgramFolder.h"
#include "tests/panelo/app/PaneloFixture.h"

#include <QApplication>
#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QFontMetrics>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>

using namespace orvane::panelo;
using namespace orvane::panelo::test;
namespace fs = std::filesystem;

namespace {

struct LanguageCase {
    const char* value;
    bool chinese;
};

class LanguageChoice : public PaneloFixture, public ::testing::WithParamInterface<LanguageCase> {};

TEST_P(LanguageChoice, OnlyExactlyChineseSelectsChinese)
{
    if (GetParam().value)
        setLanguage(GetParam().value);
    auto dialog = start();
    EXPECT_EQ(dialog->Chinese(), GetParam().chinese);
    EXPECT_TRUE(dialog->SkinIniPath().endsWith(GetParam().chinese ? "Skins/Main_CHN.ini" : "Skins/Main_Eng.ini"));
    const SkinFileNames& names = SkinFilesFor(GetParam().chinese);
    EXPECT_TRUE(QFile::exists(skinsFolder() + QString::fromUtf8(names.ini.data(), qsizetype(names.ini.size()))));
}

INSTANTIATE_TEST_SUITE_P(All, LanguageChoice,
                         ::testing::Values(LanguageCase{"chinese", true}, LanguageCase{"Chinese", false},
                                           LanguageCase{"CHINESE", false}, LanguageCase{"english", false},
                                           LanguageCase{nullptr, false}));

TEST_F(PaneloFixture, StartShowsKavirInHeiti24WithEveryControlInItsSkinRectangle)
{
    auto dialog = start();
    EXPECT_EQ(dialog->size(), QSize(kSkinWidth, kSkinHeight));
    EXPECT_EQ(dialog->TextBox()->text(), "KAVIR");
    EXPECT_EQ(dialog->FontLabel()->text(), QString::fromUtf16(u"黑体, 24"));
    EXPECT_EQ(dialog->Button(IDC_FONT_INFO)->text(), QString::fromUtf16(u"黑体, 24"));
    EXPECT_EQ(dialog->Button(IDC_VER_INFO)->text(), QString());
    EXPECT_GT(litPixels(dialog->PreviewImage()), 50);

    const std::pair<int, const char*> placed[] = {
        {IDC_MINIMIZE, "CONTROL_MINIMIZE"},       {IDC_CLOSE, "CONTROL_MAXIMIZE"},
        {IDC_FONT_BTN, "CONTROL_FONT_BTN"},       {IDC_AUTO_BTN, "CONTROL_AUTO_BTN"},
        {IDC_DOWN_BTN, "CONTROL_DOWN_BTN"},       {IDC_PREVIEW_GROUP, "CONTROL_PREVIEW"},
        {IDC_FONT_LABEL, "CONTROL_FONT_INFO"},    {IDC_FONT_INFO, "CONTROL_FONT_INFO"},
        {IDC_DISP_TEXT, "CONTROL_DISP_TEXT"},     {IDC_VER_INFO, "CONTROL_VER_INFO"},
        {IDC_DEFAULT_BTN, "CONTROL_DEFAULT_BTN"}, {IDC_LOGO, "CONTROL_LOGO"}};
    for (const auto& [id, key] : placed) {
        const SkinControl* c = FindSkinControl(key);
        EXPECT_EQ(dialog->Control(id)->geometry(), QRect(c->x, c->y, c->w, c->h)) << key;
    }
    // Each button copies its own place out of the state images.
    EXPECT_EQ(dialog->Button(IDC_DOWN_BTN)->SourceOffset(), QPoint(357, 267));
    EXPECT_TRUE(dialog->Button(IDC_DOWN_BTN)->isEnabled());
    EXPECT_EQ(dialog->Control(IDC_PREVIEW)->geometry(), QRect(184, 103, 132, 32));
}

TEST_F(PaneloFixture, TypingRendersAtOnceAndAnEmptyTextIsDark)
{
    auto dialog = start();
    const QImage kavir = dialog->PreviewImage();
    dialog->TextBox()->setText("W");
    const QImage w = dialog->PreviewImage();
    EXPECT_NE(w, kavir);
    EXPECT_GT(litPixels(w), 10);
    dialog->TextBox()->clear();
    EXPECT_EQ(litPixels(dialog->PreviewImage()), 0);
}

TEST_F(PaneloFixture, MissingButtonInfoKeyLeavesTheControlAtOneOneAndDisablesItsButton)
{
    services.skinFiles = [](bool chinese) {
        SkinFileSet files = plainSkin(chinese);
        QString ini = QString::fromUtf16(reinterpret_cast<const char16_t*>(files[0].bytes.constData() + 2),
                                         (files[0].bytes.size() - 2) / 2);
        ini.remove(QRegularExpression("CONTROL_AUTO_BTN=[^\r\n]*\r\n"));
        ini.remove(QRegularExpression("CONTROL_DISP_TEXT=[^\r\n]*\r\n"));
        files[0].bytes =
            QByteArray("\xFF\xFE", 2) + QByteArray(reinterpret_cast<const char*>(ini.utf16()), ini.size() * 2);
        return files;
    };
    auto dialog = start();
    EXPECT_EQ(dialog->Control(IDC_AUTO_BTN)->geometry(), QRect(1, 1, 1, 1));
    EXPECT_FALSE(dialog->Control(IDC_AUTO_BTN)->isEnabled());
    EXPECT_EQ(dialog->Control(IDC_DISP_TEXT)->geometry(), QRect(1, 1, 1, 1));
    EXPECT_TRUE(dialog->Control(IDC_FONT_BTN)->isEnabled());
}

TEST(PreviewPlacement, CentredAndCutWhenLargerOwnEdgeWhenNarrower)
{
    EXPECT_EQ(PreviewPlacement({35, 78, 430, 83}), QRect(184, 103, 132, 32));
    EXPECT_EQ(PreviewPlacement({10, 20, 100, 30}), QRect(10, 20, 100, 30));
    EXPECT_EQ(PreviewPlacement({10, 20, 133, 32}), QRect(10, 20, 132, 32));
    EXPECT_EQ(PreviewPlacement({0, 0, 135, 20}), QRect(1, 0, 132, 20));
}

TEST(ParseSkinRect, ReadsFourIntegersAndFallsBackToOneOne)
{
    EXPECT_EQ(ParseSkinRect("452,9,17,16,\"Minimize\""), QRect(452, 9, 17, 16));
    EXPECT_EQ(ParseSkinRect("1,1,1,1,x"), QRect(1, 1, 1, 1));
    EXPECT_EQ(ParseSkinRect("5,6"), QRect(1, 1, 1, 1));
    EXPECT_EQ(ParseSkinRect("a,b,c,d"), QRect(1, 1, 1, 1));
}

TEST_F(PaneloFixture, NarrowPreviewFrameKeepsItsEdgeAndHidesTheRightColumns)
{
    services.skinFiles = [](bool chinese) {
        SkinFileSet files = plainSkin(chinese);
        QString ini = QString::fromUtf16(reinterpret_cast<const char16_t*>(files[0].bytes.constData() + 2),
                                         (files[0].bytes.size() - 2) / 2);
        ini.replace("CONTROL_PREVIEW=35,78,430,83", "CONTROL_PREVIEW=40,90,100,20");
        files[0].bytes =
            QByteArray("\xFF\xFE", 2) + QByteArray(reinterpret_cast<const char*>(ini.utf16()), ini.size() * 2);
        return files;
    };
    auto dialog = start();
    EXPECT_EQ(dialog->Control(IDC_PREVIEW)->geometry(), QRect(40, 90, 100, 20));
    EXPECT_EQ(dialog->PreviewImage().size(), QSize(100, 20));
}

TEST_F(PaneloFixture, DeletedSkinsFolderIsWrittenAgainAtTheNextStart)
{
    services.skinFiles = EmbeddedSkinFiles;
    ASSERT_EQ(EmbeddedSkinFiles(false).size(), 6u) << "the skin resources are not linked in";
    start();
    ASSERT_TRUE(QDir(skinsFolder()).removeRecursively());
    QFile::remove(runtime.path() + "/FileDef20151212/LcdPixel.txt");
    auto dialog = start();
    for (const SkinFile& file : EmbeddedSkinFiles(false)) {
        QFile copy(skinsFolder() + file.name);
        ASSERT_TRUE(copy.open(QIODevice::ReadOnly)) << file.name.toStdString();
        EXPECT_EQ(copy.readAll(), file.bytes) << file.name.toStdString();
    }
    // Folders we make in the runtime folder are the user's alone.
    EXPECT_EQ(fs::status(skinsFolder().toStdString()).permissions() & fs::perms::all, fs::perms::owner_all);
    EXPECT_EQ(fs::status((runtime.path() + "/FileDef20151212").toStdString()).permissions() & fs::perms::all,
              fs::perms::owner_all);
}

TEST_F(PaneloFixture, EmbeddedSkinIsTheSixFilesOfTheTable)
{
    for (bool chinese : {false, true}) {
        const SkinFileSet files = EmbeddedSkinFiles(chinese);
        ASSERT_EQ(files.size(), 6u);
        EXPECT_EQ(files[0].bytes, SkinIniBytes(chinese));
        for (std::size_t i = 1; i < 5; ++i)
            EXPECT_EQ(QImage::fromData(files[i].bytes).size(), QSize(kSkinWidth, kSkinHeight))
                << files[i].name.toStdString();
        const QImage mask = QImage::fromData(files[5].bytes, "BMP");
        ASSERT_EQ(mask.size(), QSize(kSkinWidth, kSkinHeight));
        EXPECT_EQ(mask.depth(), 32);   // decoded; the file itself is 24-bit
        EXPECT_EQ(uint8_t(files[5].bytes[28]), 24);
        EXPECT_EQ(mask.pixel(0, 0), qRgb(0, 0, 0));
        EXPECT_EQ(mask.pixel(499, 319), qRgb(0, 0, 0));
        // The disabled look is the normal one.
        EXPECT_EQ(files[4].bytes, files[1].bytes);
    }
}

// A complete skin of other colours, as someone who planted links would offer it.
void writeSkin(const QString& folder, const SkinFileSet& files)
{
    ASSERT_TRUE(QDir().mkpath(folder));
    for (const SkinFile& f : files) {
        QFile file(folder + "/" + f.name);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(f.bytes);
    }
}

TEST_F(PaneloFixture, ExtractionNeverFollowsALinkItDidNotMake)
{
    QTemporaryDir elsewhere;
    writeSkin(elsewhere.path() + "/Skins", plainSkin(false));
    ASSERT_TRUE(QFile::link(elsewhere.path(), runtime.path() + "/FileDef20151212"));
    std::string error;
    EXPECT_FALSE(ExtractSkinFiles(runtime.path().toStdString() + "/", plainSkin(false), error));
    EXPECT_FALSE(error.empty());
    // A refused extraction ends the start with its message, even though a whole skin lies behind the link.
    CPaneloDlg dialog(services);
    EXPECT_FALSE(dialog.OnInitDialog());
    EXPECT_TRUE(dialog.StartError().contains("FileDef20151212")) << dialog.StartError().toStdString();
    EXPECT_TRUE(dialog.Background().isNull());
    EXPECT_TRUE(QFileInfo(runtime.path() + "/FileDef20151212").isSymLink()) << "the link is left in place";
}

TEST_F(PaneloFixture, LinkPlantedAtASkinFileEndsTheStartAndIsNotRead)
{
    QTemporaryDir elsewhere;
    writeSkin(elsewhere.path(), plainSkin(false));
    ASSERT_TRUE(QDir().mkpath(skinsFolder()));
    // The last file written: every other one is in place, and the link leads to a good mask.
    ASSERT_TRUE(QFile::link(elsewhere.path() + "/main_mask_Eng.bmp", skinsFolder() + "main_mask_Eng.bmp"));
    CPaneloDlg dialog(services);
    EXPECT_FALSE(dialog.OnInitDialog());
    EXPECT_TRUE(dialog.StartError().contains("main_mask_Eng.bmp")) << dialog.StartError().toStdString();
    EXPECT_TRUE(dialog.MaskBitmap().isNull());
}

TEST_F(PaneloFixture, PlantedExactCaseIniDoesNotReplaceTheWrittenOne)
{
    // The planted INI moves the logo and names a background of its own.
    ASSERT_TRUE(QDir().mkpath(skinsFolder()));
    QFile planted(skinsFolder() + "Main_Eng.ini");
    ASSERT_TRUE(planted.open(QIODevice::WriteOnly));
    planted.write("[SCREEN]\r\nMain=evil.bmp\r\nMask=evil.bmp\r\n[BUTTONINFO]\r\nCONTROL_LOGO=5,5,5,5,\"x\"\r\n");
    planted.close();
    QImage evil(60, 40, QImage::Format_RGB32);
    evil.fill(Qt::red);
    ASSERT_TRUE(evil.save(skinsFolder() + "evil.bmp", "BMP"));

    auto dialog = start();
    EXPECT_EQ(dialog->size(), QSize(kSkinWidth, kSkinHeight));
    EXPECT_EQ(dialog->Control(IDC_LOGO)->geometry(), QRect(31, 17, 195, 50));
    EXPECT_TRUE(QFile::exists(skinsFolder() + "Main_Eng.ini")) << "what we did not write is left alone";
}

TEST_F(PaneloFixture, IniNamingAFileOutsideTheSkinIsRefused)
{
    for (const char* name : {"../../../../../../dev/zero", "../FileDef20151212/Skins/main_normal_Eng.jpg", "/dev/zero",
                             "main_normal_Eng.jpg/..", "other.jpg"}) {
        services.skinFiles = [name](bool chinese) {
            SkinFileSet files = plainSkin(chinese);
            files[0].bytes = QByteArray("[SCREEN]\r\nMain=") + name + "\r\nMask=main_mask_eng.bmp\r\n";
            return files;
        };
        CPaneloDlg dialog(services);
        EXPECT_FALSE(dialog.OnInitDialog()) << name;
        EXPECT_TRUE(dialog.StartError().contains(QString::fromUtf8(name))) << dialog.StartError().toStdString();
    }
}

// The program itself, as a user starts it, with a link planted in its runtime folder.
TEST_F(PaneloFixture, ProgramWithAPlantedLinkEndsWithTheExtractionMessage)
{
    const QString program = orvane::test::programFolder() + "Lumetra";
    ASSERT_TRUE(QFileInfo(program).isExecutable()) << "Lumetra is not built";
    QTemporaryDir elsewhere;
    writeSkin(elsewhere.path() + "/Skins", EmbeddedSkinFiles(false));
    ASSERT_TRUE(QFile::link(elsewhere.path(), runtime.path() + "/FileDef20151212"));

    QProcess lumetra;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("XDG_RUNTIME_DIR", runtime.path());
    env.insert("XDG_CONFIG_HOME", runtime.path());
    env.insert("QT_QPA_PLATFORM", "offscreen");
    env.insert("ORVANE_HID", "emulator");
    lumetra.setProcessEnvironment(env);
    lumetra.start(program, {});
    ASSERT_TRUE(lumetra.waitForStarted());
    const bool ended = lumetra.waitForFinished(10000);
    if (!ended) {
        lumetra.kill();
        lumetra.waitForFinished();
    }
    ASSERT_TRUE(ended) << "Lumetra started with the skin behind the link";
    EXPECT_NE(lumetra.exitCode(), 0);
    const QString err = QString::fromUtf8(lumetra.readAllStandardError());
    EXPECT_TRUE(err.contains("FileDef20151212")) << err.toStdString();
}

// The index is into plainSkin(): 1 normal (also the background), 2 over, 3 down, 4 disable, 5 mask.
class UndecodableSkin : public PaneloFixture, public ::testing::WithParamInterface<int> {};

TEST_P(UndecodableSkin, EndsTheProgramWithANonZeroCodeNamingTheFile)
{
    const int index = GetParam();
    services.skinFiles = [index](bool chinese) {
        SkinFileSet files = plainSkin(chinese);
        files[std::size_t(index)].bytes = "not a picture";
        return files;
    };
    const QString name = plainSkin(false)[std::size_t(index)].name;
    {
        CPaneloDlg dialog(services);
        EXPECT_FALSE(dialog.OnInitDialog());
        EXPECT_TRUE(dialog.StartError().contains(name)) << dialog.StartError().toStdString();
    }
    EXPECT_NE(CPaneloApp(services).InitInstance(), 0);
}

INSTANTIATE_TEST_SUITE_P(All, UndecodableSkin, ::testing::Values(1, 2, 3, 4, 5));

TEST_F(PaneloFixture, DownloadSendsThePreviewAndDefaultSendsTheLogo)
{
    auto dialog = start();
    dialog->TextBox()->setText("QX");
    dialogs.answerMessage(orvane::ui::MessageResult::Ok);
    dialog->Button(IDC_DOWN_BTN)->click();
    ASSERT_EQ(dialogs.asked().size(), 1u);
    EXPECT_EQ(dialogs.asked()[0].text, QString::fromUtf16(u"下载成功"));
    EXPECT_EQ(dialogs.asked()[0].caption, "Lumetra");
    EXPECT_EQ(emulator->lcdMode(), 1);
    const LcdPageImage sent = PreviewToPageImage(dialog->Renderer()->previewBitmap());
    EXPECT_TRUE(std::equal(sent.begin(), sent.end(), emulator->lcdPage().begin()));
    EXPECT_NE(std::count(sent.begin(), sent.end(), 0), int(sent.size()));

    dialogs.answerMessage(orvane::ui::MessageResult::Ok);
    dialog->Button(IDC_DEFAULT_BTN)->click();
    EXPECT_EQ(emulator->lcdMode(), 0);
    EXPECT_EQ(dialogs.asked().back().text, QString::fromUtf16(u"下载成功"));
}

// Two characters side by side in a 132 x 32 picture, each drawn with strokes: a good number of
// pixels lit well inside its box (the missing-glyph symbol is a hollow rectangle), and not the
// same picture twice.
void expectTwoHanCharacters(const std::function<bool(int, int)>& lit)
{
    int first = -1, last = -1;
    for (int x = 0; x < kPanelWidth; ++x)
        for (int y = 0; y < kPanelHeight; ++y)
            if (lit(x, y)) {
                first = first < 0 ? x : first;
                last = x;
            }
    ASSERT_GE(first, 0) << "nothing lit";
    const int middle = (first + last + 1) / 2;
    std::vector<std::vector<bool>> glyphs;
    for (auto [from, to] : {std::pair{first, middle}, std::pair{middle, last + 1}}) {
        int x0 = kPanelWidth, x1 = -1, y0 = kPanelHeight, y1 = -1;
        for (int x = from; x < to; ++x)
            for (int y = 0; y < kPanelHeight; ++y)
                if (lit(x, y)) {
                    x0 = std::min(x0, x), x1 = std::max(x1, x), y0 = std::min(y0, y), y1 = std::max(y1, y);
                }
        ASSERT_GE(x1, 0) << "a character is missing";
        EXPECT_GE(y1 - y0, 15) << "not a full-height character";
        int inside = 0;
        std::vector<bool> bits;
        for (int y = y0; y <= y1; ++y)
            for (int x = x0; x <= x1; ++x) {
                bits.push_back(lit(x, y));
                inside += lit(x, y) && x >= x0 + 3 && x <= x1 - 3 && y >= y0 + 3 && y <= y1 - 3;
            }
        EXPECT_GE(inside, 20) << "an empty box, not a character";
        glyphs.push_back(std::move(bits));
    }
    EXPECT_NE(glyphs[0], glyphs[1]) << "the same symbol twice";
}

TEST_F(PaneloFixture, HanTextInTheDefaultHeitiReachesTheKeyboardAsStrokesNotMissingGlyphBoxes)
{
    auto dialog = start();
    dialog->TextBox()->setText(QString::fromUtf16(u"你好"));
    dialogs.answerMessage(orvane::ui::MessageResult::Ok);
    dialog->Button(IDC_DOWN_BTN)->click();
    EXPECT_EQ(emulator->lcdMode(), 1);
    const auto page = emulator->lcdPage();
    LcdPageImage stored{};
    std::copy(page.begin(), page.end(), stored.begin());
    expectTwoHanCharacters([&](int x, int y) { return PagePixel(stored, x, y); });

    QFile dump(runtime.filePath("LcdPixel.txt"));
    ASSERT_TRUE(dump.open(QIODevice::ReadOnly));
    const QList<QByteArray> rows = dump.readAll().split('\n');
    ASSERT_EQ(rows.size(), 33);
    expectTwoHanCharacters([&](int x, int y) { return rows[y].at(x) == '1'; });
}

TEST_F(PaneloFixture, FontChooserConfirmedChangesFontLabelsAndPreviewCancelChangesNothing)
{
    auto dialog = start();
    const QImage before = dialog->PreviewImage();
    dialogs.answerFont(std::nullopt);
    dialog->Button(IDC_FONT_BTN)->click();
    EXPECT_EQ(dialog->FontLabel()->text(), QString::fromUtf16(u"黑体, 24"));
    EXPECT_EQ(dialogs.asked().back().font.family(), QString::fromUtf16(u"黑体"));

    QFont chosen("DejaVu Sans");
    chosen.setPointSize(12);
    chosen.setBold(true);
    chosen.setItalic(true);
    dialogs.answerFont(chosen);
    dialog->Button(IDC_FONT_BTN)->click();
    EXPECT_EQ(dialog->FontLabel()->text(), QString::fromUtf16(u"DejaVu Sans,粗体,倾斜, 12"));
    EXPECT_TRUE(dialog->Button(IDC_FONT_INFO)->text().endsWith(QString::fromUtf16(u",粗体,倾斜, 12")));
    EXPECT_NE(dialog->PreviewImage(), before);
}

// The font description label as painted: the text within the label's text rectangle (with room
// to spare at its right edge), ending with the point size.
void expectWholeSizeInFontInfo(CPaneloDlg& dialog, const QString& suffix)
{
    CPngButton* info = dialog.Button(IDC_FONT_INFO);
    const QString shown = info->text();
    EXPECT_TRUE(shown.endsWith(suffix)) << shown.toStdString();
    EXPECT_LE(QFontMetrics(info->TextFont(), info).horizontalAdvance(shown), info->TextRect().width())
        << shown.toStdString();
    const QImage painted = info->grab().toImage();
    int right = -1;
    for (int x = 0; x < painted.width(); ++x)
        for (int y = 0; y < painted.height(); ++y)
            if (qGray(painted.pixel(x, y)) > 140)
                right = std::max(right, x);
    EXPECT_GT(right, painted.width() / 2) << "no text painted";
    EXPECT_LT(right, painted.width() - 1) << shown.toStdString() << " runs into the label's edge";
}

TEST_F(PaneloFixture, LongFaceNameIsShortenedButTheSizeNeverCutOffTheFontLabel)
{
    for (const char* language : {"english", "chinese"}) {
        setLanguage(language);
        auto dialog = start();
        QFont chosen("Liberation Serif");
        chosen.setPointSize(24);
        chosen.setBold(true);
        chosen.setItalic(true);
        dialogs.answerFont(chosen);
        dialog->Button(IDC_FONT_BTN)->click();
        EXPECT_EQ(dialog->FontLabel()->text(), QString::fromUtf16(u"Liberation Serif,粗体,倾斜, 24"));
        const QString shown = dialog->Button(IDC_FONT_INFO)->text();
        EXPECT_TRUE(shown.startsWith("Lib")) << shown.toStdString();
        expectWholeSizeInFontInfo(*dialog, QString::fromUtf16(u",粗体,倾斜, 24"));

        // Fitting changes the size: the new one is shown whole as well.
        dialog->TextBox()->setText("QX410 LCD");
        dialog->Button(IDC_AUTO_BTN)->click();
        const int points = PointSize(dialog->Renderer()->logFont(), dialog->Renderer()->dpiY());
        EXPECT_NE(points, 24);
        expectWholeSizeInFontInfo(*dialog, QString::fromUtf16(u",粗体,倾斜, ") + QString::number(points));

        // A name that fits is shown as it is.
        QFont shortName("DejaVu Sans");
        shortName.setPointSize(9);
        dialogs.answerFont(shortName);
        dialog->Button(IDC_FONT_BTN)->click();
        EXPECT_EQ(dialog->Button(IDC_FONT_INFO)->text(), "DejaVu Sans, 9");
    }
}

TEST(FitFontDescription, GivesWayInTheFaceNameOnly)
{
    const QFontMetrics metrics(QFont("DejaVu Sans", 11));
    const QString suffix = QString::fromUtf16(u",粗体, 24");
    const int suffixWidth = metrics.horizontalAdvance(suffix);
    EXPECT_EQ(FitFontDescription("Face", suffix, metrics, 1000), "Face" + suffix);
    const QString cut = FitFontDescription("A rather long face name", suffix, metrics, suffixWidth + 40);
    EXPECT_TRUE(cut.endsWith(QChar(0x2026) + suffix)) << cut.toStdString();
    EXPECT_LE(metrics.horizontalAdvance(cut), suffixWidth + 40);
    // No room at all for the face: the style and size are still all there.
    EXPECT_TRUE(FitFontDescription("Face", suffix, metrics, 3).endsWith(suffix));
}

TEST_F(PaneloFixture, LogoOpensTheWebSiteCloseEndsTheDialogAndReleasesTheSkin)
{
    auto dialog = start();
    dialog->Button(IDC_LOGO)->click();
    EXPECT_EQ(opened, QStringList{kMakerWebSite});
    dialog->Button(IDC_CLOSE)->click();
    EXPECT_TRUE(dialog->isVisible());   // posted: the click finishes first
    QApplication::processEvents();
    EXPECT_FALSE(dialog->isVisible());
    EXPECT_EQ(dialog->result(), QDialog::Rejected);
    EXPECT_TRUE(dialog->Background().isNull());
}

}   // namespace
