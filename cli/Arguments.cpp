#include "cli/Arguments.h"

#include "usecases/MainPanel.h"

#include <QString>

#include <charconv>
#include <cstdio>

namespace orvane::cli {

namespace {

struct CommandName {
    const char* name;
    Command command;
};
constexpr CommandName kCommands[] = {
    {"list", Command::List},
    {"show", Command::Show},
    {"set", Command::Set},
    {"reset", Command::Reset},
};

bool takesJson(Command c) { return c == Command::List || c == Command::Show; }
bool sends(Command c) { return c == Command::Set || c == Command::Reset; }

const char* nameOf(Command c)
{
    for (const CommandName& n : kCommands)
        if (n.command == c)
            return n.name;
    return "";
}

ParseResult fail(std::string message) { return {std::nullopt, std::move(message)}; }

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

} // namespace

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

ParseResult parseArguments(const std::vector<std::string>& args)
{
    Invocation inv;
    std::optional<Command> command;
    bool help = false, version = false;
    std::vector<std::string> operands;
    bool optionsEnd = false;
    for (const std::string& a : args) {
        if (!optionsEnd && a.size() > 1 && a[0] == '-') {
            if (a == "--")
                optionsEnd = true;
            else if (a == "--help" || a == "-h")
                help = true;
            else if (a == "--version")
                version = true;
            else if (a == "--json")
                inv.json = true;
            else if (a == "--dry-run")
                inv.dryRun = true;
            else if (a == "--yes" || a == "-y")
                inv.yes = true;
            else
                return fail("unknown option '" + a + "' (see orvanectl --help)");
            continue;
        }
        if (!command) {
            for (const CommandName& n : kCommands)
                if (a == n.name)
                    command = n.command;
            if (!command)
                return fail("unknown command '" + a + "' (see orvanectl --help)");
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
    inv.command = *command;
    const std::string name = nameOf(*command);
    if (inv.json && !takesJson(*command))
        return fail("--json is for list and show, not " + name);
    if (inv.dryRun && !sends(*command))
        return fail("--dry-run is for commands that change the keyboard, not " + name);
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
    default:
        if (!operands.empty())
            return fail(name + ": unexpected '" + operands.front() + "'");
        break;
    }
    return {inv, {}};
}

std::string versionText() { return "orvanectl " ORVANE_VERSION "\n"; }

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
               "  effect=NAME|CODE      " + effectNames() + "\n"
               "  speed=0..9  brightness=0..50  colour=1..8  direction=1..4\n"
               "  colour1..colour7=#rrggbb\n"
               "  game-mode=on|off  win-lock=on|off\n"
               "  response-time=2..20   (milliseconds, even)\n"
               "  report-rate=125|250|500|1000   (Hz)\n";
    case Command::Reset:
        return "Usage: orvanectl reset [--yes] [--dry-run]\n"
               "Returns the keyboard to its factory settings and reads it back. Asks for confirmation unless\n"
               "--yes is given; without a terminal, --yes is required.\n";
    default:
        break;
    }
    return "Usage: orvanectl [--json] [--dry-run] COMMAND [ARGUMENTS]\n"
           "Configures the QX410 keyboard from the command line.\n"
           "\n"
           "Commands:\n"
           "  list                 the keyboards that are present\n"
           "  show                 the keyboard's configuration\n"
           "  set NAME=VALUE...    change settings (one upload)\n"
           "  reset [--yes]        factory settings\n"
           "\n"
           "Options:\n"
           "  --json               machine-readable output (list, show)\n"
           "  --dry-run            do everything but send; print the reports that would go\n"
           "  --help               this help, or a command's help after the command\n"
           "  --version            the version\n"
           "\n"
           "Exit codes: 0 done, 1 the keyboard failed, 2 usage, 3 no keyboard or no permission.\n"
           "Environment: ORVANE_HID, ORVANE_HID_TRACE, ORVANE_HOME, ORVANE_EMULATOR_FAULTS.\n";
}

} // namespace orvane::cli
