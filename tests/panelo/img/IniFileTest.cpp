#include "panelo/img/inifile.h"

#include <QFile>
#include <QStringEncoder>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using orvane::panelo::CIniFile;

namespace {

const char16_t* const kSkinIni = u"[SCREEN]\r\n"
                                 u"Main=main_normal_eng.jpg\r\n"
                                 u"\r\n"
                                 u"[BUTTONINFO]\r\n"
                                 u"; the label after the rectangle is not read\r\n"
                                 u"CONTROL_MINIMIZE=452,9,17,16,\"Minimize\"\r\n"
                                 u"  control_preview = 35,78,430,83,\"预览\"  \r\n"
                                 u"[OTHER]\r\n"
                                 u"Mask=elsewhere.bmp\r\n";

QByteArray utf16LeWithBom(const QString& text)
{
    QStringEncoder encode(QStringConverter::Utf16LE);
    return QByteArray("\xFF\xFE", 2) + QByteArray(encode(text));
}

struct Encoding {
    const char* name;
    QByteArray (*encode)(const QString&);
};

const Encoding kEncodings[] = {
    {"utf16le_bom", utf16LeWithBom},
    {"utf16le", [](const QString& t) { return utf16LeWithBom(t).mid(2); }},
    {"utf8", [](const QString& t) { return t.toUtf8(); }},
    {"utf8_bom", [](const QString& t) { return QByteArray("\xEF\xBB\xBF") + t.toUtf8(); }},
};

class IniFileEncodings : public ::testing::TestWithParam<Encoding> {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(dir.isValid());
        QFile file(dir.filePath("skin.ini"));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(GetParam().encode(QString::fromUtf16(kSkinIni)));
        file.close();
        ASSERT_TRUE(ini.SetPath(file.fileName()));
    }
    QTemporaryDir dir;
    CIniFile ini;
};

TEST_P(IniFileEncodings, ReadsValuesOfTheRightSection)
{
    EXPECT_EQ(ini.GetString("SCREEN", "Main", "x"), QString("main_normal_eng.jpg"));
    // Section and key names match without regard to case; the value is trimmed, not cut at commas.
    EXPECT_EQ(ini.GetString("buttoninfo", "Control_Minimize", "x"), QString("452,9,17,16,\"Minimize\""));
    EXPECT_EQ(ini.GetString("BUTTONINFO", "CONTROL_PREVIEW", "x"), QString::fromUtf16(u"35,78,430,83,\"预览\""));
}

TEST_P(IniFileEncodings, MissingKeyGivesTheDefault)
{
    // "Mask" exists only in another section: the default (the "Main" name) is used.
    const QString main = *ini.GetString("SCREEN", "Main", "");
    EXPECT_EQ(ini.GetString("SCREEN", "Mask", main), main);
    EXPECT_EQ(ini.GetString("BUTTONINFO", "CONTROL_LOGO", "1,1,1,1,x"), QString("1,1,1,1,x"));
    EXPECT_EQ(ini.GetString("NOSECTION", "Main", "d"), QString("d"));
    // An empty result is none.
    EXPECT_EQ(ini.GetString("BUTTONINFO", "CONTROL_LOGO", ""), std::nullopt);
}

INSTANTIATE_TEST_SUITE_P(All, IniFileEncodings, ::testing::ValuesIn(kEncodings),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(IniFile, MissingFileOrNoPathGivesDefaults)
{
    CIniFile ini;
    EXPECT_EQ(ini.GetString("SCREEN", "Main", "fallback"), QString("fallback"));
    ASSERT_TRUE(ini.SetPath("/nonexistent/folder/skin.ini"));
    EXPECT_EQ(ini.GetString("SCREEN", "Main", "fallback"), QString("fallback"));
    EXPECT_EQ(ini.GetString("SCREEN", "Main", ""), std::nullopt);
}

TEST(IniFile, RefusesAPathTooLongForItsBufferInsteadOfCuttingIt)
{
    QTemporaryDir dir;
    CIniFile ini;
    ASSERT_TRUE(ini.SetPath(dir.filePath("a.ini")));
    const QString longPath = QString(CIniFile::kMaxPathUnits + 1, u'a');
    EXPECT_FALSE(ini.SetPath(longPath));
    EXPECT_FALSE(ini.Path().has_value());
    EXPECT_TRUE(ini.SetPath(QString(CIniFile::kMaxPathUnits, u'a')));
}

TEST(IniFile, ValuesAreCutTo2047Units)
{
    const QString text = "[S]\nK=" + QString(3000, u'v') + "\n";
    QTemporaryDir dir;
    QFile file(dir.filePath("long.ini"));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(text.toUtf8());
    file.close();
    CIniFile ini;
    ini.SetPath(file.fileName());
    EXPECT_EQ(ini.GetString("S", "K", "")->size(), CIniFile::kMaxValueUnits);
}

TEST(IniText, QuotedValueLosesOnePairOfQuotes)
{
    EXPECT_EQ(orvane::panelo::FindIniValue("[a]\nk=\"v w\"\n", "a", "k"), QString("v w"));
    EXPECT_EQ(orvane::panelo::FindIniValue("[a]\nk=\"v\n", "a", "k"), QString("\"v"));
    EXPECT_EQ(orvane::panelo::FindIniValue("[a]\nk=\n", "a", "k"), QString(""));
}

}   // namespace
