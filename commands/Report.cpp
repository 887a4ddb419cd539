#include "commands/Report.h"

#include "commands/Arguments.h"
#include "keymap/logic/Assignment.h"
#include "keymap/logic/FunctionCatalogue.h"
#include "keymap/logic/KeyCodes.h"
#include "macro/MacroEvents.h"
#include "platform/hid/KeyboardIds.h"
#include "platform/hidraw/HidrawDevice.h"
#include "usecases/MainPanel.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QString>

#include <cstdio>
#include <unistd.h>

namespace orvane::commands {

namespace img = link::image;

namespace {

std::string utf8(std::u16string_view s)
{
    return QString::fromUtf16(s.data(), qsizetype(s.size())).toStdString();
}

QString q(const std::string& s)
{
    return QString::fromStdString(s);
}

std::string hex4(uint16_t v)
{
    char t[8];
    std::snprintf(t, sizeof t, "%04x", v);
    return t;
}

// The vk whose usage a single-key cell sends, preferring the keys of the picture.
std::optional<uint8_t> vkOfUsage(const KeyNames& names, uint8_t usage)
{
    if (usage == 0)
        return std::nullopt;
    for (const keymap::KeyLayout& k : keymap::KeyLayoutTable)
        if (names.table().usage(k.vk) == usage)
            return k.vk;
    for (int vk = 1; vk < 256; ++vk)
        if (names.table().usage(uint8_t(vk)) == usage)
            return uint8_t(vk);
    return std::nullopt;
}

std::string usageName(const KeyNames& names, uint8_t usage)
{
    const std::optional<uint8_t> vk = vkOfUsage(names, usage);
    if (vk)
        return names.vkName(*vk);
    char t[8];
    std::snprintf(t, sizeof t, "0x%02X", usage);
    return std::string("usage:") + t;
}

std::string cellCode(const keymap::KeyCodeCell& c)
{
    char t[24];
    std::snprintf(t, sizeof t, "code:%02x%02x%02x%02x", c.type, c.b1, c.b2, c.b3);
    return t;
}

// What the cell alone says (a keyboard configured elsewhere has no records here).
std::string describeCell(const keymap::KeyCodeCell& c, const KeyNames& names)
{
    if (c.type == keymap::kcMacro)
        return "macro:" + std::to_string(int(c.b2) + 1);
    if (const keymap::FunctionEntry* f = keymap::findFunctionByCode(c))
        return "function:" + utf8(f->english);
    if (c.type == keymap::kcKeys && c.b1 == 0 && c.b3 == 0 && vkOfUsage(names, c.b2))
        return "key:" + usageName(names, c.b2);
    if (c.type == keymap::kcKeys && c.b1 != 0) {
        std::string combo = "combo:" + usageName(names, c.b1);
        for (uint8_t u : {c.b2, c.b3})
            if (u != 0)
                combo += "+" + usageName(names, u);
        return combo;
    }
    return cellCode(c);
}

}   // namespace

// ---- list ------------------------------------------------------------------------------

std::vector<InterfaceEntry> listInterfaces(hid::Backend& backend)
{
    std::vector<InterfaceEntry> out;
    for (const hid::InterfaceInfo& info : backend.enumerate()) {
        if (!hid::usb::isKeyboardFamily(info.vendorId, info.productId))
            continue;
        InterfaceEntry e;
        e.path = info.path;
        e.vendorId = info.vendorId;
        e.productId = info.productId;
        e.interfaceNumber = info.interfaceNumber;
        e.role = link::MatchesInterface(info, link::LinkInterface::Command)   ? "command"
            : link::MatchesInterface(info, link::LinkInterface::Event)        ? "event"
            : hid::usb::listed(hid::usb::kLcdVariantProducts, info.productId) ? "lcd"
                                                                              : "other";
        // Nodes in /dev are opened for reading and writing; the emulated keyboard always opens.
        e.accessible = e.path.rfind("/dev/", 0) != 0 || ::access(e.path.c_str(), R_OK | W_OK) == 0;
        if (!e.accessible)
            e.hint = hidraw::permissionHint(info);
        out.push_back(std::move(e));
    }
    return out;
}

std::string listText(const std::vector<InterfaceEntry>& entries)
{
    std::string out;
    for (const InterfaceEntry& e : entries)
        out += e.path + "  " + hex4(e.vendorId) + ":" + hex4(e.productId) + "  interface " +
            std::to_string(e.interfaceNumber) + "  " + e.role + "  " + (e.accessible ? "accessible" : "no permission") +
            "\n";
    return out;
}

std::string listJson(const std::vector<InterfaceEntry>& entries)
{
    QJsonArray list;
    for (const InterfaceEntry& e : entries) {
        QJsonObject o{{"path", q(e.path)},
                      {"vendor_id", q(hex4(e.vendorId))},
                      {"product_id", q(hex4(e.productId))},
                      {"interface", e.interfaceNumber},
                      {"role", q(e.role)},
                      {"accessible", e.accessible}};
        if (!e.accessible)
            o.insert("hint", q(e.hint));
        list.append(o);
    }
    return QJsonDocument(QJsonObject{{"interfaces", list}}).toJson(QJsonDocument::Indented).toStdString();
}

// ---- show -----------------------------------------------------------------------------

std::string describeKey(const link::ConfigImage& image, const link::KeyExtRecord& record, std::size_t key,
                        const KeyNames& names)
{
    if (!keymap::keyEnabled(image, key))
        return "disable";
    const keymap::KeyCodeCell cell = keymap::keyCell(image, key);
    const auto keys = keymap::recordKeys(record);
    const uint8_t count = keymap::recordKeyCount(record);
    const std::string path = utf8(keymap::recordPath(record));
    switch (keymap::recordCategory(record)) {
    case keymap::acSingle:
        if (count == 1 && keys[0] != 0)
            return "key:" + names.vkName(keys[0]);
        break;
    case keymap::acCombine:
        if (count >= 1 && count <= 3) {
            std::string combo = "combo:";
            for (uint8_t i = 0; i < count; ++i)
                combo += (i ? "+" : "") + names.vkName(keys[i]);
            return combo;
        }
        break;
    case keymap::acFunction:
        if (const keymap::FunctionEntry* f = keymap::findFunctionByCode(keymap::recordCode(record)))
            return "function:" + utf8(f->english);
        break;
    case keymap::acPlaySound: return "sound:" + path;
    case keymap::acStartup: return "program:" + path;
    case keymap::acOpenFile: return "file:" + path;
    case keymap::acOpenFolder: return "folder:" + path;
    default: break;
    }
    return describeCell(cell, names);
}

std::vector<MacroEntry> describeMacros(const macro::MacroStore::Records& records, const KeyNames& names)
{
    std::vector<MacroEntry> out;
    const std::size_t count = std::min(macro::MacroStore::countInUse(records), macro::kMaxMacrosInUse);
    for (std::size_t n = 0; n < count; ++n) {
        MacroEntry m;
        m.number = int(n) + 1;
        m.name = utf8(macro::recordName(records[n]));
        m.loops = macro::loopCount(records[n]);
        for (const macro::MacroEvent& e : macro::parseEvents(macro::loadEvents(records[n])))
            m.events.push_back(
                {names.vkName(e.vk), e.release, e.isLong || e.delay > macro::kNoDelay ? int(e.delay) : 0});
        out.push_back(std::move(m));
    }
    return out;
}

// The macro blocks the keyboard plays (those holding events), named as MacroDefine.bin names them.
std::vector<MacroEntry> keyboardMacros(const link::ConfigImage& image, const macro::MacroStore::Records& saved,
                                       const KeyNames& names)
{
    std::vector<MacroEntry> out;
    const std::size_t named = macro::MacroStore::countInUse(saved);
    for (std::size_t n = 0; n < macro::kMaxMacrosInUse; ++n) {
        const std::size_t at = img::macroBlock(n);
        macro::EventArrays a;
        std::copy_n(image.begin() + at + macro::block::kEvents, macro::kEventBytes, a.device.begin());
        a.key = a.device;   // the same layout; the codes are read as usages below
        const std::vector<macro::MacroEvent> events = macro::parseEvents(a);
        if (events.empty())
            continue;
        MacroEntry m;
        m.number = int(n) + 1;
        m.name = n < named ? utf8(macro::recordName(saved[n])) : std::string();
        m.loops = std::max(1, image[at + macro::block::kLoopHigh] * 256 + image[at + macro::block::kLoopLow]);
        for (const macro::MacroEvent& e : events)
            m.events.push_back(
                {usageName(names, e.usage), e.release, e.isLong || e.delay > macro::kNoDelay ? int(e.delay) : 0});
        out.push_back(std::move(m));
    }
    return out;
}

Configuration describeConfiguration(usecases::Session& session, const KeyNames& names)
{
    const link::ConfigImage& image = session.store().image();
    const link::KeyExtTable& records = session.store().extTable();
    Configuration c;
    c.effect = image[img::kEffect];
    if (const usecases::EffectEntry* e = usecases::findEffect(c.effect))
        c.effectName = utf8(e->english);
    c.speed = image[img::kSpeed];
    c.brightness = image[img::kBrightness];
    c.colour = image[img::kColour];
    c.direction = image[img::kDirection];
    for (std::size_t i = 0; i < c.colours.size(); ++i)
        std::copy_n(image.begin() + img::colourEntry(i), 3, c.colours[i].begin());
    c.gameMode = image[img::kGameMode] != 0;
    c.winLock = image[img::kWinLock] == 1;
    c.responseTimeMs = 2 * image[img::kResponseTime];
    c.reportRateHz = reportRateHz(image[img::kReportRate]);
    const link::FirmwareVersion fw = session.keyboardLink().firmwareVersion();
    c.firmware = std::to_string(fw.major) + "." + std::to_string(fw.minor);
    keymap::ModifiedMarks marks{};
    keymap::RecomputeModifiedMarks(image, records, marks);
    for (std::size_t k = 0; k < keymap::kKeyCount; ++k) {
        if (!marks[k])
            continue;
        const std::string function = describeKey(image, records[k], k, names);
        // The left Windows key's enable bit is the Win Lock, shown as such.
        if (k == keymap::kKeyLeftWindows && c.winLock && function == "disable")
            continue;
        c.keys.push_back({names.keyName(k), function});
    }
    c.macros = keyboardMacros(image, session.macros().saved(), names);
    for (std::size_t m = 0; m < c.lightMaps.size(); ++m)
        for (std::size_t k = 0; k < keymap::kKeyCount; ++k)
            if (image[img::lightMap(m) + usecases::keyLightOffset(k) + 1] != 0)
                c.lightMaps[m].push_back(names.keyName(k));
    return c;
}

std::string configurationText(const Configuration& c)
{
    std::string out;
    auto line = [&](const std::string& name, const std::string& value) { out += name + ": " + value + "\n"; };
    line("effect", (c.effectName.empty() ? "unknown" : c.effectName) + " (" + std::to_string(c.effect) + ")");
    line("speed", std::to_string(c.speed));
    line("brightness", std::to_string(c.brightness));
    line("colour", std::to_string(c.colour));
    line("direction", std::to_string(c.direction));
    for (std::size_t i = 0; i < c.colours.size(); ++i)
        line("colour" + std::to_string(i + 1), colourText(c.colours[i]));
    line("game-mode", c.gameMode ? "on" : "off");
    line("win-lock", c.winLock ? "on" : "off");
    line("response-time", std::to_string(c.responseTimeMs) + " ms");
    line("report-rate", std::to_string(c.reportRateHz) + " Hz");
    line("firmware", c.firmware);
    out += "keys:" + std::string(c.keys.empty() ? " (factory setting)\n" : "\n");
    for (const KeyAssignmentLine& k : c.keys)
        out += "  " + k.key + " -> " + k.function + "\n";
    out += "macros:" + std::string(c.macros.empty() ? " (none)\n" : "\n");
    for (const MacroEntry& m : c.macros)
        out += "  " + std::to_string(m.number) + " \"" + m.name + "\" loops " + std::to_string(m.loops) + ", " +
            std::to_string(m.events.size()) + " events\n";
    out += "light maps:\n";
    for (std::size_t m = 0; m < c.lightMaps.size(); ++m) {
        out += "  DIY" + std::to_string(m + 1) + ":";
        if (c.lightMaps[m].empty())
            out += " (none lit)";
        for (const std::string& k : c.lightMaps[m])
            out += " " + k;
        out += "\n";
    }
    return out;
}

std::string configurationJson(const Configuration& c)
{
    QJsonArray colours;
    for (const auto& rgb : c.colours)
        colours.append(q(colourText(rgb)));
    QJsonArray keys;
    for (const KeyAssignmentLine& k : c.keys)
        keys.append(QJsonObject{{"key", q(k.key)}, {"function", q(k.function)}});
    QJsonArray macros;
    for (const MacroEntry& m : c.macros) {
        QJsonArray events;
        for (const MacroEventLine& e : m.events)
            events.append(
                QJsonObject{{"key", q(e.key)}, {"action", e.release ? "release" : "press"}, {"delay_ms", e.delayMs}});
        macros.append(QJsonObject{{"number", m.number}, {"name", q(m.name)}, {"loops", m.loops}, {"events", events}});
    }
    QJsonArray maps;
    for (std::size_t m = 0; m < c.lightMaps.size(); ++m) {
        QJsonArray lit;
        for (const std::string& k : c.lightMaps[m])
            lit.append(q(k));
        maps.append(QJsonObject{{"map", int(m) + 1}, {"keys", lit}});
    }
    const QJsonObject o{
        {"effect",
         QJsonObject{{"code", c.effect}, {"name", c.effectName.empty() ? QJsonValue() : QJsonValue(q(c.effectName))}}},
        {"speed", c.speed},
        {"brightness", c.brightness},
        {"colour", c.colour},
        {"direction", c.direction},
        {"colours", colours},
        {"game_mode", c.gameMode},
        {"win_lock", c.winLock},
        {"response_time_ms", c.responseTimeMs},
        {"report_rate_hz", c.reportRateHz},
        {"firmware", q(c.firmware)},
        {"keys", keys},
        {"macros", macros},
        {"light_maps", maps},
    };
    return QJsonDocument(o).toJson(QJsonDocument::Indented).toStdString();
}

}   // namespace orvane::commands
