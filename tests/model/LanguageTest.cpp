// The language codes that stored files and the key tables rely on, and the pick of a text pair.

#include <gtest/gtest.h>

#include <string_view>

#include "model/Language.h"

namespace orvane::model {
namespace {

TEST(Language, TheSettingsChoiceGivesTheProgramsLanguageCodes)
{
    EXPECT_EQ(static_cast<int>(languageFor(true)), 4);
    EXPECT_EQ(static_cast<int>(languageFor(false)), 9);
}

TEST(Language, InLanguagePicksTheTextOfTheLanguage)
{
    using Text = std::u16string_view;
    EXPECT_EQ(inLanguage<Text>(Language::English, u"Media", u"多媒体"), u"Media");
    EXPECT_EQ(inLanguage<Text>(Language::Chinese, u"Media", u"多媒体"), u"多媒体");
}

}   // namespace
}   // namespace orvane::model
