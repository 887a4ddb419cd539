#pragma once
// The two contents the writer under test alternates between: every save of a
// version writes keymap.bin, MacroDefine.bin and one profile with the program's
// own writers, so a check can tell an old file, a new file and a torn one apart.

#include <cstdint>
#include <string>

#include "link/ConfigStore.h"
#include "macro/MacroStore.h"
#include "profile/ProfileFolder.h"

namespace orvane::killtest {

inline const char* const kProfileName = "Configure/Kill.bin";

inline uint8_t patternByte(int version, std::size_t i)
{
    return static_cast<uint8_t>((version ? 0xA5 : 0x3C) ^ (i * 7 + (i >> 8)));
}

// Saves version 0 or 1 of the three files into `folder` (ending in '/');
// false when a save failed.
inline bool saveVersion(const std::string& folder, int version)
{
    static link::ConfigStore store;
    static macro::MacroStore macros;
    for (std::size_t i = 0; i < store.image().size(); ++i)
        store.image()[i] = patternByte(version, i);
    std::size_t n = 0;
    for (link::KeyExtRecord& r : store.extTable())
        for (uint8_t& b : r)
            b = patternByte(version, n++);
    for (std::size_t r = 0; r < macros.saved().size(); ++r)
        for (std::size_t i = 0; i < macros.saved()[r].size(); ++i)
            macros.saved()[r][i] = patternByte(version, r * 1000 + i);
    store.setKeymapPath(folder + "keymap.bin");
    return store.SaveKeymapFile() && macros.save(folder + "MacroDefine.bin") &&
        profile::writeProfile(folder + kProfileName, store.image(), store.extTable());
}

}   // namespace orvane::killtest
