#include "commands/KeyNames.h"

#include <QString>

#include <cstdio>

namespace orvane::commands {

namespace {

std::string trimmed(const std::u16string& name)
{
    std::string s = QString::fromStdU16String(name).trimmed().toStdString();
    return s;
}

// The keypad's operators share their names with keys of the main block.
std::string keypadName(uint8_t vk)
{
    switch (vk) {
    case 0x6A: return "KP*";
    case 0x6B: return "KP+";
    case 0x6C: return "KPEnter";
    case 0x6D: return "KP-";
    case 0x6E: return "KP.";
    case 0x6F: return "KP/";
    default: return {};
    }
}

char lower(char c)
{
    return c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c;
}

}   // namespace

bool sameName(std::string_view a, std::string_view b)
{
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (lower(a[i]) != lower(b[i]))
            return false;
    return true;
}

KeyNames::KeyNames() : table_(keymap::BuildKeyNameTable())
{
    keys_.reserve(keymap::kKeyCount);
    for (std::size_t k = 0; k < keymap::kKeyCount; ++k) {
        const uint8_t vk = keymap::KeyLayoutTable[k].vk;
        if (k == keymap::kKeyFn)
            keys_.push_back("Fn");
        else if (k >= keymap::kFirstMacroKey)
            keys_.push_back("M" + std::to_string(k - keymap::kFirstMacroKey + 1));
        else if (std::string kp = keypadName(vk); !kp.empty())
            keys_.push_back(kp);
        else
            keys_.push_back(vkName(vk));
    }
}

std::optional<std::size_t> KeyNames::keyIndex(std::string_view name) const
{
    for (std::size_t k = 0; k < keys_.size(); ++k)
        if (sameName(keys_[k], name))
            return k;
    return std::nullopt;
}

std::string KeyNames::vkName(uint8_t vk) const
{
    if (std::string kp = keypadName(vk); !kp.empty())
        return kp;
    std::string name = trimmed(table_.name(vk));
    if (name.empty()) {
        char hex[8];
        std::snprintf(hex, sizeof hex, "0x%02X", vk);
        return hex;
    }
    return name;
}

std::optional<uint8_t> KeyNames::vkOf(std::string_view name) const
{
    if (const std::optional<std::size_t> key = keyIndex(name);
        key && *key != keymap::kKeyFn && *key < keymap::kFirstMacroKey)
        return keymap::KeyLayoutTable[*key].vk;
    for (int vk = 1; vk < 256; ++vk)
        if (!table_.name(uint8_t(vk)).empty() && sameName(vkName(uint8_t(vk)), name))
            return uint8_t(vk);
    if (name.size() == 4 && name[0] == '0' && (name[1] == 'x' || name[1] == 'X')) {
        bool ok = false;
        const int v = QString::fromLatin1(name.substr(2).data(), 2).toInt(&ok, 16);
        if (ok && v > 0)
            return uint8_t(v);
    }
    return std::nullopt;
}

}   // namespace orvane::commands
