#include "commands/MacroFile.h"

#include "macro/MacroEvents.h"
#include "platform/core/RegularFile.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

namespace orvane::commands {

std::string macroJson(const MacroEntry& m, bool withNumber)
{
    QJsonArray events;
    for (const MacroEventLine& e : m.events)
        events.append(QJsonObject{{"key", QString::fromStdString(e.key)},
                                  {"action", e.release ? "release" : "press"},
                                  {"delay_ms", e.delayMs}});
    QJsonObject o{{"name", QString::fromStdString(m.name)}, {"loops", m.loops}, {"events", events}};
    if (withNumber)
        o.insert("number", m.number);
    return QJsonDocument(o).toJson(QJsonDocument::Indented).toStdString();
}

std::string macroFromJson(const std::vector<uint8_t>& bytes, const KeyNames& names, macro::MacroRecord& record)
{
    QJsonParseError error{};
    const QJsonDocument doc = QJsonDocument::fromJson(
        QByteArray(reinterpret_cast<const char*>(bytes.data()), qsizetype(bytes.size())), &error);
    if (error.error != QJsonParseError::NoError)
        return "not a macro file: " + error.errorString().toStdString() + " at byte " + std::to_string(error.offset);
    if (!doc.isObject())
        return "not a macro file: expected a JSON object";
    const QJsonObject o = doc.object();
    const QJsonValue name = o.value("name"), loops = o.value("loops"), events = o.value("events");
    if (!name.isString() || name.toString().isEmpty())
        return "the macro needs a name";
    const std::u16string name16 = name.toString().toStdU16String();
    if (name16.size() > macro::rec::kMaxNameChars)
        return "the macro's name is longer than " + std::to_string(macro::rec::kMaxNameChars) + " characters";
    if (name16.find(u'\0') != std::u16string::npos)
        return "the macro's name holds a NUL character";
    if (!loops.isDouble() || loops.toDouble() != double(loops.toInt()) || loops.toInt() < macro::kMinLoopCount ||
        loops.toInt() > macro::kMaxLoopCount)
        return "loops must be a whole number 1..999";
    if (!events.isArray())
        return "the macro needs a list of events";

    macro::EventArrays a;
    bool anyDelay = false;
    int index = 0;
    for (const QJsonValue& v : events.toArray()) {
        ++index;
        const std::string at = "event " + std::to_string(index) + ": ";
        if (!v.isObject())
            return at + "expected an object";
        const QJsonObject e = v.toObject();
        const std::string key = e.value("key").toString().toStdString();
        const std::optional<uint8_t> vk = names.vkOf(key);
        if (!vk || names.table().usage(*vk) == 0)
            return at + "unknown key '" + key + "'";
        const QString action = e.value("action").toString();
        if (action != "press" && action != "release")
            return at + "action must be press or release";
        const QJsonValue delayValue = e.value("delay_ms");
        const double delay = delayValue.isUndefined() ? 0 : delayValue.toDouble(-1);
        if (delay < 0 || delay > macro::kMaxDelay || delay != double(int(delay)))
            return at + "delay_ms must be a whole number 0..60000";
        if (index == 1 && delay > 0)
            return at + "the first event cannot have a delay";
        if (!macro::insertEvent(a, macro::appendPosition(a), *vk, action == "release", names.table()))
            return at + "does not fit: a macro holds " + std::to_string(macro::kEventBytes) + " bytes of events";
        // A delay byte of 1 is the format's "no delay": 1 ms is stored as none, and exported so.
        if (delay > macro::kNoDelay) {
            const std::size_t keyLine = macro::eventLines(a, names.table()).size() - 1;
            if (!macro::setDelay(a, keyLine, uint32_t(delay)))
                return at + "its delay does not fit: a macro holds " + std::to_string(macro::kEventBytes) +
                    " bytes of events";
            anyDelay = true;
        }
    }
    record = macro::MacroRecord{};
    macro::setRecordName(record, name16);
    macro::setLoopCount(record, uint16_t(loops.toInt()));
    macro::setRecordDelay(record, anyDelay);
    macro::setEvents(record, a.device, a.key);
    return {};
}

std::string readMacroFile(const std::string& path, macro::MacroStore::Records& records)
{
    records.assign(macro::kMacroRecordCount, macro::MacroRecord{});
    const platform::FileRead read = platform::readRegularFile(path, macro::kMacroStoreSize);
    if (read.status == platform::FileStatus::Missing)
        return {};
    if (!read.ok())
        return path + " cannot be read (" + read.describe() + ")";
    macro::MacroStore::fromBytes(records, read.bytes.data(), read.bytes.size());
    return {};
}

}   // namespace orvane::commands
