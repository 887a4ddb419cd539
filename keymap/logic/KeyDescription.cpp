#include "keymap/logic/KeyDescription.h"

#include "keymap/logic/FunctionCatalogue.h"
#include "keymap/logic/KeyCodes.h"

namespace orvane::keymap {

namespace {

std::u16string trimmed(std::u16string s)
{
    while (!s.empty() && s.back() == u' ')
        s.pop_back();
    return s;
}

// The keypad's keys read as such: its operators share their display names with keys of the main
// block, and its digits are named for the keypad as the rest of it is.
std::u16string keypadName(uint8_t vk)
{
    if (vk >= 0x60 && vk <= 0x69)   // the table's "0-num" .. "9-num"
        return std::u16string(u"Num ") + char16_t(u'0' + (vk - 0x60));
    switch (vk) {
    case 0x6A: return u"Num *";
    case 0x6B: return u"Num +";
    case 0x6C: return u"Num Enter";
    case 0x6D: return u"Num -";
    case 0x6E: return u"Num .";
    case 0x6F: return u"Num /";
    default: return {};
    }
}

std::u16string vkText(const KeyNameTable& names, uint8_t vk)
{
    if (std::u16string kp = keypadName(vk); !kp.empty())
        return kp;
    std::u16string name = trimmed(names.name(vk));
    if (name.empty()) {
        static constexpr char16_t kHex[] = u"0123456789ABCDEF";
        return std::u16string(u"0x") + kHex[vk >> 4] + kHex[vk & 15];
    }
    return name;
}

// The name of the key whose code a cell sends, preferring the keys of the picture.
std::u16string usageText(const KeyNameTable& names, uint8_t usage)
{
    for (const KeyLayout& k : KeyLayoutTable)
        if (names.usage(k.vk) == usage)
            return vkText(names, k.vk);
    for (int vk = 1; vk < 256; ++vk)
        if (names.usage(uint8_t(vk)) == usage && !names.name(uint8_t(vk)).empty())
            return vkText(names, uint8_t(vk));
    static constexpr char16_t kHex[] = u"0123456789ABCDEF";
    return std::u16string(u"0x") + kHex[usage >> 4] + kHex[usage & 15];
}

std::u16string joined(const std::u16string& a, const std::u16string& b)
{
    return a.empty() ? b : a + u"+" + b;
}

std::u16string macroText(uint8_t number, model::Language language)
{
    std::u16string text(model::inLanguage<std::u16string_view>(language, u"Macro ", u"宏 "));
    for (char digit : std::to_string(int(number) + 1))
        text += char16_t(digit);
    return text;
}

// What the cell alone says.
std::u16string cellText(const KeyCodeCell& c, const KeyNameTable& names, model::Language language)
{
    if (c.type == kcMacro)
        return macroText(c.b2, language);
    if (const FunctionEntry* f = findFunctionByCode(c))
        return std::u16string(f->name(language));
    if (c.type == kcKeys) {
        std::u16string text;
        for (uint8_t usage : {c.b1, c.b2, c.b3})
            if (usage != 0)
                text = joined(text, usageText(names, usage));
        return text;
    }
    return {};
}

std::u16string launchText(uint8_t category, const std::u16string& path, model::Language language)
{
    using model::inLanguage;
    std::u16string_view what;
    switch (category) {
    case acPlaySound: what = inLanguage<std::u16string_view>(language, u"Play sound ", u"播放声音 "); break;
    case acStartup: what = inLanguage<std::u16string_view>(language, u"Start program ", u"启动程序 "); break;
    case acOpenFile: what = inLanguage<std::u16string_view>(language, u"Open file ", u"打开文件 "); break;
    default: what = inLanguage<std::u16string_view>(language, u"Open folder ", u"打开文件夹 "); break;
    }
    return std::u16string(what) + path;
}

bool sendsOwnCode(const link::ConfigImage& image, const link::KeyExtRecord& record, std::size_t key)
{
    const KeyLayout& k = KeyLayoutTable[key];
    const KeyCodeCell cell = keyCell(image, key);
    const uint8_t category = recordCategory(record);
    if (category != acOwnKey && category != acSingle && category != acNothing)
        return false;
    if (category == acSingle && recordKeyCount(record) == 1 && recordKeys(record)[0] != recordVk(record))
        return false;
    return cell == FactoryKeyCodes[k.column * kMatrixRows + k.row];   // column-major
}

}   // namespace

std::u16string keyCaption(const KeyNameTable& names, std::size_t key)
{
    if (key == kKeyFn)
        return u"Fn";
    if (key >= kFirstMacroKey)
        return std::u16string(u"M") + char16_t(u'1' + (key - kFirstMacroKey));
    return vkText(names, KeyLayoutTable[key].vk);
}

std::u16string keyFunctionText(const link::ConfigImage& image, const link::KeyExtRecord& record, std::size_t key,
                               const KeyNameTable& names, model::Language language)
{
    if (!keyEnabled(image, key))
        return std::u16string(model::inLanguage<std::u16string_view>(language, u"Disabled", u"已禁用"));
    if (sendsOwnCode(image, record, key))
        return {};
    const auto keys = recordKeys(record);
    const uint8_t count = recordKeyCount(record);
    switch (recordCategory(record)) {
    case acSingle:
        if (count == 1 && keys[0] != 0)
            return vkText(names, keys[0]);
        break;
    case acCombine:
        if (count >= 1 && count <= 3) {
            std::u16string text;
            for (uint8_t i = 0; i < count; ++i)
                if (keys[i] != 0)
                    text = joined(text, vkText(names, keys[i]));
            return text;
        }
        break;
    case acFunction:
        if (const FunctionEntry* f = findFunctionByCode(recordCode(record)))
            return std::u16string(f->name(language));
        break;
    case acPlaySound:
    case acStartup:
    case acOpenFile:
    case acOpenFolder: return launchText(recordCategory(record), recordPath(record), language);
    default: break;
    }
    return cellText(keyCell(image, key), names, language);
}

}   // namespace orvane::keymap
