#include "keymap/logic/FunctionCatalogue.h"

#include <algorithm>

namespace orvane::keymap {

using G = FunctionGroup;

std::u16string_view functionGroupName(FunctionGroup group, Language lang)
{
    using Text = std::u16string_view;
    switch (group) {
    case G::Media: return model::inLanguage<Text>(lang, u"Media", u"多媒体");
    case G::Shortcut: return model::inLanguage<Text>(lang, u"Shortcut", u"快捷健");
    case G::Windows: return u"Windows";
    case G::TopLevel: break;
    }
    return {};
}

const FunctionEntry* findFunctionByName(std::u16string_view name, Language lang)
{
    const auto it = std::find_if(FunctionCatalogue.begin(), FunctionCatalogue.end(),
                                 [&](const FunctionEntry& f) { return f.name(lang) == name; });
    return it == FunctionCatalogue.end() ? nullptr : &*it;
}

const FunctionEntry* findFunctionByCode(const KeyCodeCell& code)
{
    const auto it = std::find_if(FunctionCatalogue.begin(), FunctionCatalogue.end(),
                                 [&](const FunctionEntry& f) { return f.cell == code; });
    return it == FunctionCatalogue.end() ? nullptr : &*it;
}

}   // namespace orvane::keymap
