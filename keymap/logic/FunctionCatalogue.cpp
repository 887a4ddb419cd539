#include "keymap/logic/FunctionCatalogue.h"

#include <algorithm>

namespace orvane::keymap {


using G = FunctionGroup;

std::u16string_view functionGroupName(FunctionGroup group, Language lang)
{
    const bool zh = lang == Language::Chinese;
    switch (group) {
    case G::Media: return zh ? u"多媒体" : u"Media";
    case G::Shortcut: return zh ? u"快捷健" : u"Shortcut";
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

} // namespace orvane::keymap
