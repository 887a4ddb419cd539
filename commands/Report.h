#pragma once
// What list and show print: the interfaces of the keyboard family, and the configuration the
// session holds after reading the keyboard, as text for people and as JSON for scripts (the
// schema is the README's; fields are only ever added).

#include "commands/KeyNames.h"
#include "platform/hid/Transport.h"
#include "usecases/Session.h"

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace orvane::commands {

struct InterfaceEntry {
    std::string path;
    uint16_t vendorId = 0, productId = 0;
    int interfaceNumber = -1;
    std::string role;   // "command", "event", "lcd" or "other"
    bool accessible = false;
    std::string hint;   // when not accessible: the permission hint naming the udev rule
};

std::vector<InterfaceEntry> listInterfaces(hid::Backend& backend);
std::string listText(const std::vector<InterfaceEntry>& entries);
std::string listJson(const std::vector<InterfaceEntry>& entries);

struct MacroEventLine {
    std::string key;
    bool release = false;
    int delayMs = 0;   // before the event
};

struct MacroEntry {
    int number = 0;   // 1-based, the macro:N of an assignment
    std::string name;
    int loops = 1;
    std::vector<MacroEventLine> events;
};

struct KeyAssignmentLine {
    std::string key;
    std::string function;   // in the syntax of assign's FUNCTION
};

struct Configuration {
    uint8_t effect = 0;
    std::string effectName;   // empty for a code outside the effect list
    uint8_t speed = 0, brightness = 0, colour = 0, direction = 0;
    std::array<std::array<uint8_t, 3>, 7> colours{};
    bool gameMode = false, winLock = false;
    int responseTimeMs = 0;
    int reportRateHz = 0;
    std::string firmware;
    std::vector<KeyAssignmentLine> keys;
    std::vector<MacroEntry> macros;
    std::array<std::vector<std::string>, 5> lightMaps;
};

Configuration describeConfiguration(usecases::Session& session, const KeyNames& names);
// A key's function in assign's syntax, from its cell, its record and its enable bit.
std::string describeKey(const link::ConfigImage& image, const link::KeyExtRecord& record, std::size_t key,
                        const KeyNames& names);
std::vector<MacroEntry> describeMacros(const macro::MacroStore::Records& records, const KeyNames& names);

std::string configurationText(const Configuration& c);
std::string configurationJson(const Configuration& c);

}   // namespace orvane::commands
