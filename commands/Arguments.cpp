#include "commands/Arguments.h"

#include "commands/KeyNames.h"
#include "keymap/logic/FunctionCatalogue.h"
#include "macro/MacroStore.h"
#include "profile/ProfileFolder.h"
#include "usecases/MainPanel.h"

#include <QDir>

#include <QString>

#include <charconv>
#include <cstdio>
#include <span>

namespace orvane::commands {

namespace {

struct CommandName {
    const char* name;
    Command command;
};
constexpr CommandName kCommands[] = {
    {"list", Command::List},           {"show", Command::Show},       {"set", Command::Set}, {"reset", Command::Reset},
    {"assign", Command::Assign},       {"macro", Command::MacroList},   // a group: its sub-command follows
    {"profile", Command::ProfileList},                                  // a group
    {"lcd", Command::LcdText},                                          // a group
};
constexpr CommandName kLcdCommands[] = {
    {"text", Command::LcdText},
    {"logo", Command::LcdLogo},
};
constexpr CommandName kMacroCommands[] = {
    {"list", Command::MacroList},     {"show", Command::MacroShow},     {"export", Command::MacroExport},
    {"import", Command::MacroImport}, {"delete", Command::MacroDelete},
};
constexpr CommandName kProfileCommands[] = {
    {"list", Command::ProfileList},
    {"save", Command::ProfileSave},
    {"load", Command::ProfileLoad},
};

bool takesJson(Command c)
{
    return c == Command::List || c == Command::Show || c == Command::MacroList || c == Command::MacroShow ||
        c == Command::ProfileList;
}
bool sends(Command c)
{
    return c == Command::Set || c == Command::Reset || c == Command::Assign || c == Command::MacroImport ||
        c == Command::MacroDelete || c == Command::ProfileLoad || c == Command::LcdText || c == Command::LcdLogo;
}

std::string nameOf(Command c)
{
    for (const CommandName& n : kMacroCommands)
        if (n.command == c)
            return std::string("macro ") + n.name;
    for (const CommandName& n : kProfileCommands)
        if (n.command == c)
            return std::string("profile ") + n.name;
    for (const CommandName& n : kLcdCommands)
        if (n.command == c)
            return std::string("lcd ") + n.name;
    for (const CommandName& n : kCommands)
        if (n.command == c)
            return n.name;
    return "";
}

const KeyNames& keyNames()
{
    static const KeyNames names;
    return names;
}

// `path` from `folder` (the current folder when empty), without "." and ".." steps.
std::string absolutePath(const std::string& path, const std::string& folder)
{
    const QDir base(folder.empty() ? QDir::currentPath() : QString::fromStdString(folder));
    return QDir::cleanPath(base.absoluteFilePath(QString::fromStdString(path))).toStdString();
}

ParseResult fail(std::string message)
{
    return {std::nullopt, std::move(message)};
}

// A whole decimal number, nothing else.
std::optional<int> number(const std::string& text)
{
    int v = 0;
    const char* end = text.data() + text.size();
    const auto [at, ec] = std::from_chars(text.data(), end, v);
    if (text.empty() || ec != std::errc() || at != end)
        return std::nullopt;
    return v;
}

std::optional<uint8_t> inRange(const std::string& text, int low, int high)
{
    const std::optional<int> v = number(text);
    if (!v || *v < low || *v > high)
        return std::nullopt;
    return uint8_t(*v);
}

std::optional<bool> onOff(const std::string& text)
{
    if (text == "on")
        return true;
    if (text == "off")
        return false;
    return std::nullopt;
}

// Letters without case, blanks, '-' and '_' left out: "waterrun-mode" is "WaterRun Mode".
std::string folded(const std::string& text)
{
    std::string out;
    for (char c : text) {
        if (c == ' ' || c == '-' || c == '_')
            continue;
        out += c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c;
    }
    return out;
}

std::optional<uint8_t> effectCode(const std::string& text)
{
    if (const std::optional<int> code = number(text)) {
        if (*code >= 0 && *code <= 255 && usecases::findEffect(uint8_t(*code)))
            return uint8_t(*code);
        return std::nullopt;
    }
    for (const usecases::EffectEntry& e : usecases::kEffectList) {
        const QString english = QString::fromUtf16(e.english.data(), qsizetype(e.english.size()));
        const QString chinese = QString::fromUtf16(e.chinese.data(), qsizetype(e.chinese.size()));
        if (folded(english.toStdString()) == folded(text) || chinese.toStdString() == text)
            return e.code;
    }
    return std::nullopt;
}

std::optional<std::array<uint8_t, 3>> rgb(const std::string& text)
{
    if (text.size() != 7 || text[0] != '#')
        return std::nullopt;
    std::array<uint8_t, 3> out{};
    for (std::size_t i = 0; i < 3; ++i) {
        const char* from = text.data() + 1 + 2 * i;
        unsigned v = 0;
        const auto [at, ec] = std::from_chars(from, from + 2, v, 16);
        if (ec != std::errc() || at != from + 2)
            return std::nullopt;
        out[i] = uint8_t(v);
    }
    return out;
}

std::string effectNames()
{
    std::string names;
    for (const usecases::EffectEntry& e : usecases::kEffectList) {
        if (!names.empty())
            names += ", ";
        names += QString::fromUtf16(e.english.data(), qsizetype(e.english.size())).toStdString();
    }
    return names;
}

// One NAME=VALUE of `set` into `values`; an error message when it cannot be used.
std::string setValue(const std::string& item, SetValues& values)
{
    const std::size_t eq = item.find('=');
    if (eq == std::string::npos || eq == 0)
        return "set: '" + item + "' is not NAME=VALUE";
    const std::string name = item.substr(0, eq), value = item.substr(eq + 1);
    auto put = [&](auto& slot, auto parsed, const std::string& expected) -> std::string {
        if (slot)
            return "set: " + name + " is given twice";
        if (!parsed)
            return "set: " + name + "=" + value + ": " + expected;
        slot = *parsed;
        return {};
    };
    if (name == "effect")
        return put(values.effect, effectCode(value), "expected an effect name or code (" + effectNames() + ")");
    if (name == "speed")
        return put(values.speed, inRange(value, 0, 9), "expected 0..9");
    if (name == "brightness")
        return put(values.brightness, inRange(value, 0, 50), "expected 0..50");
    if (name == "colour" || name == "color")
        return put(values.colour, inRange(value, 1, 8), "expected 1..8");
    if (name == "direction")
        return put(values.direction, inRange(value, 1, 4), "expected 1..4");
    if (name == "game-mode")
        return put(values.gameMode, onOff(value), "expected on or off");
    if (name == "win-lock")
        return put(values.winLock, onOff(value), "expected on or off");
    if (name == "response-time") {
        std::optional<uint8_t> raw;
        if (const std::optional<uint8_t> ms = inRange(value, 2, 20); ms && *ms % 2 == 0)
            raw = uint8_t(*ms / 2);
        return put(values.responseTime, raw, "expected an even number of milliseconds, 2..20");
    }
    if (name == "report-rate") {
        const std::optional<int> hz = number(value);
        return put(values.reportRate, hz ? reportRatePosition(*hz) : std::nullopt, "expected 125, 250, 500 or 1000");
    }
    for (std::size_t i = 0; i < values.colours.size(); ++i) {
        const std::string n = std::to_string(i + 1);
        if (name == "colour" + n || name == "color" + n)
            return put(values.colours[i], rgb(value), "expected #rrggbb");
    }
    return "set: unknown setting '" + name + "' (see orvanectl set --help)";
}

// A key for key: or combo:, which the keyboard must be able to send (it has a usage).
std::optional<uint8_t> sendableKey(const std::string& name)
{
    const std::optional<uint8_t> vk = keyNames().vkOf(name);
    if (!vk || keyNames().table().usage(*vk) == 0)
        return std::nullopt;
    return vk;
}

}   // namespace

std::string parseFunction(const std::string& text, AssignRequest& request, const std::string& folder)
{
    using Kind = AssignRequest::Kind;
    if (text == "disable" || text == "enable" || text == "default") {
        request.kind = text == "disable" ? Kind::Disable : text == "enable" ? Kind::Enable : Kind::Default;
        return {};
    }
    const std::size_t colon = text.find(':');
    const std::string kind = colon == std::string::npos ? text : text.substr(0, colon);
    const std::string value = colon == std::string::npos ? std::string() : text.substr(colon + 1);
    if (colon == std::string::npos)
        return "'" + text +
            "' is not a function (key:, combo:, function:, macro:, program:, file:, folder:, "
            "disable, enable or default)";
    if (kind == "key") {
        const std::optional<uint8_t> vk = sendableKey(value);
        if (!vk)
            return "unknown key '" + value + "'";
        request.kind = Kind::Key;
        request.vks = {*vk};
        return {};
    }
    if (kind == "combo") {
        request.vks.clear();
        std::size_t from = 0;
        while (from <= value.size()) {
            const std::size_t plus = value.find('+', from);
            const std::string part = value.substr(from, plus == std::string::npos ? std::string::npos : plus - from);
            const std::optional<uint8_t> vk = sendableKey(part);
            if (!vk)
                return "unknown key '" + part + "' in combo:" + value;
            request.vks.push_back(*vk);
            if (plus == std::string::npos)
                break;
            from = plus + 1;
        }
        if (request.vks.size() < 2 || request.vks.size() > 3)
            return "combo: takes two or three keys joined with '+'";
        request.kind = Kind::Combo;
        return {};
    }
    if (kind == "function") {
        for (std::size_t i = 0; i < keymap::FunctionCatalogue.size(); ++i) {
            const keymap::FunctionEntry& f = keymap::FunctionCatalogue[i];
            const std::string english = QString::fromUtf16(f.english.data(), qsizetype(f.english.size())).toStdString();
            const std::string chinese = QString::fromUtf16(f.chinese.data(), qsizetype(f.chinese.size())).toStdString();
            if (folded(english) == folded(value) || chinese == value) {
                request.kind = Kind::Function;
                request.function = i;
                return {};
            }
        }
        return "unknown function '" + value + "' (see orvanectl assign --help)";
    }
    if (kind == "macro") {
        const std::optional<uint8_t> n = inRange(value, 1, int(macro::kMaxMacrosInUse));
        if (!n)
            return "'" + value + "' is not a macro number 1.." + std::to_string(macro::kMaxMacrosInUse);
        request.kind = Kind::Macro;
        request.macro = *n;
        return {};
    }
    const Kind launch = kind == "sound" ? Kind::Sound
        : kind == "program"             ? Kind::Program
        : kind == "file"                ? Kind::File
        : kind == "folder"              ? Kind::Folder
                                        : Kind::Default;
    if (launch == Kind::Default)
        return "'" + kind + ":' is not a kind of function (key:, combo:, function:, macro:, program:, file:, folder:)";
    if (value.empty())
        return kind + ": needs a path";
    // The key opens what the path names when it is pressed, wherever the program then runs.
    const std::u16string path = QString::fromStdString(absolutePath(value, folder)).toStdU16String();
    if (path.size() > keymap::extrec::kMaxPathUnits)
        return "the path is longer than " + std::to_string(keymap::extrec::kMaxPathUnits) + " characters";
    request.kind = launch;
    request.path = path;
    return {};
}

std::optional<uint8_t> reportRatePosition(int hz)
{
    for (uint8_t p = 0; p < 4; ++p)
        if (reportRateHz(p) == hz)
            return p;
    return std::nullopt;
}

std::string colourText(const std::array<uint8_t, 3>& c)
{
    char text[8];
    std::snprintf(text, sizeof text, "#%02x%02x%02x", c[0], c[1], c[2]);
    return text;
}

ParseResult parseArguments(const std::vector<std::string>& args, const std::string& folder)
{
    Invocation inv;
    std::optional<Command> command;
    bool help = false, version = false;
    std::vector<std::string> operands;
    std::string group;   // "macro" or "profile" until its sub-command has come
    bool optionsEnd = false;
    bool lcdOption = false;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        if (!optionsEnd && a.size() > 1 && a[0] == '-') {
            if (a == "--")
                optionsEnd = true;
            else if (a == "--help" || a == "-h")
                help = true;
            else if (a == "--version")
                version = true;
            else if (a == "--list-names") {
                if (i + 1 >= args.size() || namesText(args[i + 1]).empty())
                    return fail("--list-names: expected keys, functions, effects or settings");
                inv.command = Command::Names;
                inv.name = args[i + 1];
                return {inv, {}};
            } else if (a == "--json")
                inv.json = true;
            else if (a == "--dry-run")
                inv.dryRun = true;
            else if (a == "--yes" || a == "-y")
                inv.yes = true;
            else if (a == "--bold")
                inv.bold = lcdOption = true;
            else if (a == "--italic")
                inv.italic = lcdOption = true;
            else if (a == "--fit")
                inv.fit = lcdOption = true;
            else if (a == "--font" || a == "--size" || a == "--preview") {
                if (i + 1 >= args.size())
                    return fail(a + " needs a value");
                const std::string& value = args[++i];
                lcdOption = true;
                if (a == "--font") {
                    if (value.empty() || QString::fromStdString(value).size() > 31)
                        return fail("--font: a family name of 1..31 characters");
                    inv.font = value;
                } else if (a == "--size") {
                    const std::optional<uint8_t> pt = inRange(value, 1, 255);
                    if (!pt)
                        return fail("--size: expected 1..255 points");
                    inv.sizePt = *pt;
                } else {
                    if (value.empty())
                        return fail("--preview: the file name is empty");
                    inv.preview = value;   // made absolute below, with the folder
                }
            } else
                return fail("unknown option '" + a + "' (see orvanectl --help)");
            continue;
        }
        if (!command) {
            for (const CommandName& n : kCommands)
                if (a == n.name)
                    command = n.command;
            if (!command)
                return fail("unknown command '" + a + "' (see orvanectl --help)");
            group = a == "macro" || a == "profile" || a == "lcd" ? a : "";
            continue;
        }
        if (!group.empty()) {
            bool found = false;
            const std::span<const CommandName> subs = group == "macro" ? std::span<const CommandName>(kMacroCommands)
                : group == "profile"                                   ? std::span<const CommandName>(kProfileCommands)
                                                                       : std::span<const CommandName>(kLcdCommands);
            for (const CommandName& n : subs)
                if (a == n.name) {
                    command = n.command;
                    found = true;
                }
            if (!found)
                return fail(group + ": unknown sub-command '" + a + "' (see orvanectl " + group + " --help)");
            group.clear();
            continue;
        }
        operands.push_back(a);
    }
    if (help) {
        inv.command = Command::Help;
        inv.helpFor = command;
        return {inv, {}};
    }
    if (version) {
        inv.command = Command::Version;
        return {inv, {}};
    }
    if (!command)
        return fail("no command given (see orvanectl --help)");
    if (!group.empty())
        return fail(group + ": no sub-command given (see orvanectl " + group + " --help)");
    inv.command = *command;
    const std::string name = nameOf(*command);
    if (inv.json && !takesJson(*command))
        return fail("--json is for list, show, macro list|show and profile list, not " + name);
    if (inv.dryRun && !sends(*command))
        return fail("--dry-run is for commands that change the keyboard, not " + name);
    if (!inv.preview.empty())
        inv.preview = absolutePath(inv.preview, folder);
    if (lcdOption && *command != Command::LcdText)
        return fail("--font, --size, --bold, --italic, --fit and --preview are for lcd text, not " + name);
    if (inv.dryRun && !inv.preview.empty())
        return fail("lcd text: --preview sends nothing already; leave out --dry-run");
    if (inv.yes && *command != Command::Reset)
        return fail("--yes is for reset, not " + name);
    switch (*command) {
    case Command::Set:
        if (operands.empty())
            return fail("set: nothing to set (NAME=VALUE...; see orvanectl set --help)");
        for (const std::string& item : operands)
            if (std::string error = setValue(item, inv.set); !error.empty())
                return fail(error);
        break;
    case Command::Assign: {
        if (operands.size() != 2)
            return fail("assign: expected KEY FUNCTION (see orvanectl assign --help)");
        const std::optional<std::size_t> key = keyNames().keyIndex(operands[0]);
        if (!key)
            return fail("assign: unknown key '" + operands[0] + "' (see orvanectl assign --help)");
        if (*key == keymap::kKeyLeftWindows || *key == keymap::kKeyFn)
            return fail("assign: the " + keyNames().keyName(*key) + " key cannot be assigned");
        inv.assign.key = *key;
        if (std::string error = parseFunction(operands[1], inv.assign, folder); !error.empty())
            return fail("assign: " + error);
        break;
    }
    case Command::MacroShow:
    case Command::MacroExport:
    case Command::MacroImport:
    case Command::MacroDelete: {
        const bool withFile = *command == Command::MacroExport || *command == Command::MacroImport;
        if (operands.size() != (withFile ? 2u : 1u))
            return fail(name + ": expected N" + (withFile ? " FILE" : "") + " (see orvanectl macro --help)");
        const std::optional<uint8_t> n = inRange(operands[0], 1, int(macro::kMaxMacrosInUse));
        if (!n)
            return fail(name + ": '" + operands[0] + "' is not a macro number 1.." +
                        std::to_string(macro::kMaxMacrosInUse));
        inv.number = *n;
        if (withFile) {
            if (operands[1].empty())
                return fail(name + ": the file name is empty");
            inv.file = absolutePath(operands[1], folder);
        }
        break;
    }
    case Command::LcdText:
        if (operands.size() != 1)
            return fail("lcd text: expected one TEXT (quote a text with blanks)");
        if (QString::fromStdString(operands[0]).size() > 255)
            return fail("lcd text: the text is longer than 255 characters");
        inv.text = operands[0];
        break;
    case Command::ProfileSave:
    case Command::ProfileLoad: {
        if (operands.size() != 1)
            return fail(name + ": expected NAME (see orvanectl profile --help)");
        switch (profile::checkProfileName(operands[0])) {
        case profile::NameProblem::None: break;
        case profile::NameProblem::TooLong: return fail(name + ": the name is too long for a file name");
        default: return fail(name + ": '" + operands[0] + "' cannot be a profile's name");
        }
        inv.name = profile::profileNameOf(profile::profileFileName(operands[0]));
        break;
    }
    default:
        if (!operands.empty())
            return fail(name + ": unexpected '" + operands.front() + "'");
        break;
    }
    return {inv, {}};
}

std::string namesText(const std::string& which)
{
    auto dashed = [](std::u16string_view name) {
        return QString::fromUtf16(name.data(), qsizetype(name.size())).replace(u' ', u'-').toStdString();
    };
    std::string out;
    if (which == "keys") {
        for (const std::string& k : keyNames().allKeyNames())
            out += k + "\n";
    } else if (which == "functions") {
        for (const keymap::FunctionEntry& f : keymap::FunctionCatalogue)
            out += "function:" + dashed(f.english) + "\n";
    } else if (which == "effects") {
        for (const usecases::EffectEntry& e : usecases::kEffectList)
            out += dashed(e.english) + "\n";
    } else if (which == "settings") {
        out = "effect=\nspeed=\nbrightness=\ncolour=\ndirection=\ngame-mode=\nwin-lock=\nresponse-time=\n"
              "report-rate=\n";
        for (int i = 1; i <= 7; ++i)
            out += "colour" + std::to_string(i) + "=\n";
    }
    return out;
}

std::string versionText()
{
    return "orvanectl " ORVANE_VERSION "\n";
}

std::string helpText(Command command)
{
    switch (command) {
    case Command::List:
        return "Usage: orvanectl list [--json]\n"
               "The keyboards of the family that are present: each interface's node, product id, USB interface\n"
               "number and whether this user may open it (if not, how to get access).\n";
    case Command::Show:
        return "Usage: orvanectl show [--json]\n"
               "Reads the keyboard and prints its configuration: lighting, the seven colours, game mode, Win Lock,\n"
               "response time, report rate, firmware version, the keys assigned otherwise than at the factory,\n"
               "the macros on the keyboard and the lit keys of each light map.\n";
    case Command::Set:
        return "Usage: orvanectl set [--dry-run] NAME=VALUE...\n"
               "Changes settings of the keyboard in one upload. NAME=VALUE is one of:\n"
               "  effect=NAME|CODE      " +
            effectNames() +
            "\n"
            "  speed=0..9  brightness=0..50  colour=1..8  direction=1..4\n"
            "  colour1..colour7=#rrggbb\n"
            "  game-mode=on|off  win-lock=on|off\n"
            "  response-time=2..20   (milliseconds, even)\n"
            "  report-rate=125|250|500|1000   (Hz)\n";
    case Command::Reset:
        return "Usage: orvanectl reset [--yes] [--dry-run]\n"
               "Returns the keyboard to its factory settings and reads it back. Asks for confirmation unless\n"
               "--yes is given; without a terminal, --yes is required.\n";
    case Command::Assign: {
        std::string functions;
        for (const keymap::FunctionEntry& f : keymap::FunctionCatalogue)
            functions += (functions.empty() ? "" : ", ") +
                QString::fromUtf16(f.english.data(), qsizetype(f.english.size())).toStdString();
        return "Usage: orvanectl assign [--dry-run] KEY FUNCTION\n"
               "Gives KEY (its name: A, F5, Esc, LShift, 0-num, KPEnter, M1..M5 ...) one of:\n"
               "  key:NAME                 another key\n"
               "  combo:NAME+NAME[+NAME]   a combination of two or three keys\n"
               "  function:NAME            " +
            functions +
            "\n"
            "                           (the Chinese names too)\n"
            "  macro:N                  macro N (orvanectl macro list)\n"
            "  program:PATH  file:PATH  folder:PATH   start or open it when the key is pressed\n"
            "  disable  enable          switch the key off or on\n"
            "  default                  the factory setting, enabled\n"
            "The left Windows key and Fn cannot be assigned.\n";
    }
    case Command::MacroList:
    case Command::MacroShow:
    case Command::MacroExport:
    case Command::MacroImport:
    case Command::MacroDelete:
        return "Usage: orvanectl macro list [--json]\n"
               "       orvanectl macro show N [--json]\n"
               "       orvanectl macro export N FILE\n"
               "       orvanectl macro import [--dry-run] N FILE\n"
               "       orvanectl macro delete [--dry-run] N\n"
               "The macros of this computer (MacroDefine.bin), numbered from 1 as macro:N assigns them; the\n"
               "first 32 go to the keyboard. export writes one as JSON (name, loops, events with key, action\n"
               "press or release, delay_ms); import replaces macro N with such a file, or adds it when N is one\n"
               "more than the last, and refuses a macro that does not fit its 190 bytes.\n";
    case Command::ProfileList:
    case Command::ProfileSave:
    case Command::ProfileLoad:
        return "Usage: orvanectl profile list [--json]\n"
               "       orvanectl profile save NAME\n"
               "       orvanectl profile load [--dry-run] NAME\n"
               "The profiles of Configure/ in the data folder (at most six). save writes the keyboard's\n"
               "configuration into the profile NAME, creating it when there is room; load sends the\n"
               "profile's configuration to the keyboard.\n";
    case Command::LcdText:
    case Command::LcdLogo:
        return "Usage: orvanectl lcd text [--dry-run] TEXT [--font FAMILY] [--size PT] [--bold] [--italic] [--fit]\n"
               "                         [--preview FILE]\n"
               "       orvanectl lcd logo [--dry-run]\n"
               "text renders TEXT into the LCD's 132 x 32 picture as the LCD program does (default face and\n"
               "24 points; --fit finds the largest size that fits) and sends it; --preview FILE writes the\n"
               "picture as a PBM image instead of sending it. logo sends the built-in logo.\n";
    default: break;
    }
    return "Usage: orvanectl [--json] [--dry-run] COMMAND [ARGUMENTS]\n"
           "Configures the QX410 keyboard from the command line.\n"
           "\n"
           "Commands:\n"
           "  list                 the keyboards that are present\n"
           "  show                 the keyboard's configuration\n"
           "  set NAME=VALUE...    change settings (one upload)\n"
           "  assign KEY FUNCTION  give a key another function\n"
           "  macro list|show N|export N FILE|import N FILE|delete N\n"
           "  profile list|save NAME|load NAME\n"
           "  lcd text TEXT [--font FAMILY] [--size PT] [--bold] [--italic] [--fit] [--preview FILE]\n"
           "  lcd logo             the LCD's text, or its built-in logo\n"
           "  reset [--yes]        factory settings\n"
           "\n"
           "Options:\n"
           "  --json               machine-readable output (list, show, macro list|show, profile list)\n"
           "  --dry-run            do everything but send; print the reports that would go\n"
           "  --help               this help, or a command's help after the command\n"
           "  --version            the version\n"
           "\n"
           "Exit codes: 0 done, 1 the keyboard failed, 2 usage, 3 no keyboard or no permission.\n"
           "Environment: ORVANE_HID, ORVANE_HID_TRACE, ORVANE_HOME, ORVANE_EMULATOR_FAULTS.\n";
}

}   // namespace orvane::commands
