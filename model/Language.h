#pragma once
// The programs' two languages. The values are the programs' language codes: stored files and the
// key tables' name columns rely on them.

#include <cstdint>

namespace orvane::model {

enum class Language : uint8_t { Chinese = 4, English = 9 };

// The language that the settings' "chinese" choice selects (platform::Settings::chinese()).
constexpr Language languageFor(bool chinese)
{
    return chinese ? Language::Chinese : Language::English;
}

// The text of a language pair: `chinese` in Chinese, `english` otherwise.
template <typename Text>
constexpr Text inLanguage(Language language, Text english, Text chinese)
{
    return language == Language::Chinese ? chinese : english;
}

}   // namespace orvane::model
