#pragma once
// The command line of orvanectl, checked completely before anything reaches the keyboard or the
// data folder: a command that parses is one the tool can carry out as written; anything else is
// a usage error (exit code 2) with a message naming what is wrong.

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace orvane::commands {

enum class Command {
    Help,
    Version,
    Names,
    List,
    Show,
    Set,
    Reset,
    Assign,
    MacroList,
    MacroShow,
    MacroExport,
    MacroImport,
    MacroDelete,
    ProfileList,
    ProfileSave,
    ProfileLoad,
    LcdText,
    LcdLogo,
};

// What `assign KEY FUNCTION` gives the key.
struct AssignRequest {
    enum class Kind { Key, Combo, Function, Macro, Sound, Program, File, Folder, Disable, Enable, Default };
    std::size_t key = 0;   // key index 0..112
    Kind kind = Kind::Default;
    std::vector<uint8_t> vks;   // Key: one, Combo: two or three virtual-key codes
    std::size_t function = 0;   // Function: index into the function catalogue
    int macro = 0;              // Macro: 1-based macro number
    std::u16string path;        // Sound, Program, File, Folder: an absolute path
};

// The values of one `set`, already in the image's units.
struct SetValues {
    std::optional<uint8_t> effect;                                  // effect code of the effect list
    std::optional<uint8_t> speed;                                   // slider position 0..9
    std::optional<uint8_t> brightness;                              // 0..50
    std::optional<uint8_t> colour;                                  // colour index 1..8
    std::optional<uint8_t> direction;                               // 1..4
    std::array<std::optional<std::array<uint8_t, 3>>, 7> colours;   // entries 1..7, r g b
    std::optional<bool> gameMode;
    std::optional<bool> winLock;
    std::optional<uint8_t> responseTime;   // image value 1..10 (x 2 ms)
    std::optional<uint8_t> reportRate;     // slider position 0..3 (125 Hz << position)
};

struct Invocation {
    Command command = Command::Help;
    std::optional<Command> helpFor;   // --help after a command: that command's help
    bool json = false;
    bool dryRun = false;
    bool yes = false;   // reset --yes
    SetValues set;
    AssignRequest assign;
    int number = 0;     // macro show|export|import|delete N (1-based)
    std::string file;   // macro export|import FILE
    std::string name;   // profile save|load NAME; --list-names keys|functions|effects|settings
    // lcd text
    std::string text;
    std::string font;   // empty: the LCD program's default face
    int sizePt = 0;     // 0: the default size
    bool bold = false, italic = false, fit = false;
    std::string preview;   // write the picture there instead of sending it
};

struct ParseResult {
    std::optional<Invocation> invocation;
    std::string error;   // when there is no invocation: one line, without the program's name
};

// Relative paths (files, programs) are taken from `folder` (default: the current folder).
ParseResult parseArguments(const std::vector<std::string>& args, const std::string& folder = {});

// Parses FUNCTION of `assign` for `key`; an error message when it cannot be used.
std::string parseFunction(const std::string& text, AssignRequest& request, const std::string& folder = {});

// Help texts (the general one for Command::Help).
std::string helpText(Command command);
std::string versionText();
// The names the shell completion offers, one a line: keys, functions (function:NAME with '-' for
// blanks), effects or settings (NAME= of set).
std::string namesText(const std::string& which);

// Report rate in Hz of a slider position 0..3, and back (nothing for another rate).
constexpr int reportRateHz(uint8_t position)
{
    return 125 << (position & 3);
}
std::optional<uint8_t> reportRatePosition(int hz);

// "#rrggbb" of an entry.
std::string colourText(const std::array<uint8_t, 3>& rgb);

}   // namespace orvane::commands
