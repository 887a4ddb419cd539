#pragma once
// The texts of the skinned windows: each is written in both languages beside the place that shows
// it, and the window's language picks one.

#include <QString>

#include "model/Language.h"

namespace orvane::ui {

// `english` or `chinese` (both UTF-8) for `language`.
inline QString text(model::Language language, const char* english, const char* chinese)
{
    return QString::fromUtf8(model::inLanguage(language, english, chinese));
}

}   // namespace orvane::ui
