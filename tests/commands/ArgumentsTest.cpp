// orvanectl's command line without a keyboard: what parses and into which values, and every
// mistake refused with a message before anything could be sent.

#include "commands/Arguments.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace orvane::commands;

namespace {

ParseResult parse(std::vector<std::string> args)
{
    return parseArguments(args);
}

TEST(ArgumentsTest, SetTakesEveryValueInTheImagesUnits)
{
    const ParseResult r =
        parse({"set", "effect=waterrun-mode", "speed=0", "brightness=50", "colour=8", "direction=4", "colour3=#0a0B0c",
               "game-mode=off", "win-lock=on", "response-time=20", "report-rate=250"});
    ASSERT_TRUE(r.invocation) << r.error;
    const SetValues& v = r.invocation->set;
    EXPECT_EQ(r.invocation->command, Command::Set);
    EXPECT_EQ(v.effect, 14);
    EXPECT_EQ(v.speed, 0);
    EXPECT_EQ(v.brightness, 50);
    EXPECT_EQ(v.colour, 8);
    EXPECT_EQ(v.direction, 4);
    ASSERT_TRUE(v.colours[2]);
    EXPECT_EQ(*v.colours[2], (std::array<uint8_t, 3>{0x0a, 0x0b, 0x0c}));
    EXPECT_FALSE(v.colours[0]);
    EXPECT_EQ(v.gameMode, false);
    EXPECT_EQ(v.winLock, true);
    EXPECT_EQ(v.responseTime, 10);
    EXPECT_EQ(v.reportRate, 1);
}

TEST(ArgumentsTest, EffectsByEnglishOrChineseNameOrCode)
{
    for (const auto& [text, code] : std::vector<std::pair<std::string, int>>{
             {"Static", 1}, {"wave", 3}, {"DIY5", 55}, {"shade_mold", 16}, {"呼吸", 2}, {"13", 13}}) {
        const ParseResult r = parse({"set", "effect=" + text});
        ASSERT_TRUE(r.invocation) << text << ": " << r.error;
        EXPECT_EQ(r.invocation->set.effect, code) << text;
    }
}

TEST(ArgumentsTest, GlobalOptionsAndHelp)
{
    ParseResult r = parse({"--json", "show"});
    ASSERT_TRUE(r.invocation);
    EXPECT_TRUE(r.invocation->json);
    EXPECT_EQ(r.invocation->command, Command::Show);

    r = parse({"reset", "--yes", "--dry-run"});
    ASSERT_TRUE(r.invocation);
    EXPECT_TRUE(r.invocation->yes && r.invocation->dryRun);

    r = parse({"set", "--help"});   // help wins over a set without values
    ASSERT_TRUE(r.invocation);
    EXPECT_EQ(r.invocation->command, Command::Help);
    EXPECT_EQ(r.invocation->helpFor, Command::Set);
    EXPECT_NE(helpText(Command::Set).find("report-rate=125|250|500|1000"), std::string::npos);

    r = parse({"--version"});
    ASSERT_TRUE(r.invocation);
    EXPECT_EQ(r.invocation->command, Command::Version);
}

TEST(ArgumentsTest, MistakesAreRefusedWithAMessageNamingThem)
{
    const std::vector<std::pair<std::vector<std::string>, std::string>> cases = {
        {{}, "no command"},
        {{"frobnicate"}, "'frobnicate'"},
        {{"--colour"}, "'--colour'"},
        {{"show", "extra"}, "'extra'"},
        {{"list", "--dry-run"}, "--dry-run"},
        {{"set", "--json", "speed=1"}, "--json"},
        {{"show", "--yes"}, "--yes"},
        {{"set"}, "nothing to set"},
        {{"set", "speed"}, "'speed' is not NAME=VALUE"},
        {{"set", "=3"}, "not NAME=VALUE"},
        {{"set", "speed=10"}, "speed=10"},
        {{"set", "speed=-1"}, "speed=-1"},
        {{"set", "speed=1x"}, "speed=1x"},
        {{"set", "speed="}, "speed="},
        {{"set", "brightness=51"}, "brightness=51"},
        {{"set", "colour=0"}, "colour=0"},
        {{"set", "colour=9"}, "colour=9"},
        {{"set", "direction=5"}, "direction=5"},
        {{"set", "colour8=#000000"}, "unknown setting 'colour8'"},
        {{"set", "colour1=#00000"}, "colour1=#00000"},
        {{"set", "colour1=00000000"}, "colour1"},
        {{"set", "colour1=#gg0000"}, "colour1"},
        {{"set", "game-mode=yes"}, "game-mode=yes"},
        {{"set", "win-lock=1"}, "win-lock=1"},
        {{"set", "response-time=3"}, "even"},
        {{"set", "response-time=22"}, "response-time=22"},
        {{"set", "response-time=0"}, "response-time=0"},
        {{"set", "report-rate=2000"}, "report-rate=2000"},
        {{"set", "effect=7"}, "effect=7"},
        {{"set", "effect=sparkle"}, "Static, Breathing"},
        {{"set", "speed=1", "speed=2"}, "given twice"},
        {{"set", "volume=3"}, "unknown setting 'volume'"},
    };
    for (const auto& [args, fragment] : cases) {
        const ParseResult r = parse(args);
        std::string joined;
        for (const std::string& a : args)
            joined += a + " ";
        EXPECT_FALSE(r.invocation) << joined;
        EXPECT_NE(r.error.find(fragment), std::string::npos) << joined << "-> " << r.error;
        EXPECT_EQ(r.error.find('\n'), std::string::npos) << joined;
    }
}

}   // namespace

namespace {

TEST(ArgumentsTest, AssignFunctionsAndTheOtherCommandsOperands)
{
    using Kind = AssignRequest::Kind;
    const std::vector<std::tuple<std::string, Kind, std::size_t>> functions = {
        {"key:Z", Kind::Key, 1},
        {"key:kpenter", Kind::Key, 1},
        {"combo:LCtrl+LAlt+Del", Kind::Combo, 3},
        {"combo:LShift+F5", Kind::Combo, 2},
        {"function:vol+", Kind::Function, 0},
        {"function:静音", Kind::Function, 0},
        {"macro:32", Kind::Macro, 0},
        {"folder:/tmp", Kind::Folder, 0},
        {"disable", Kind::Disable, 0},
        {"default", Kind::Default, 0},
    };
    for (const auto& [text, kind, keys] : functions) {
        const ParseResult r = parse({"assign", "M1", text});
        ASSERT_TRUE(r.invocation) << text << ": " << r.error;
        EXPECT_EQ(r.invocation->assign.key, 108u);
        EXPECT_EQ(r.invocation->assign.kind, kind) << text;
        EXPECT_EQ(r.invocation->assign.vks.size(), keys) << text;
    }
    ParseResult r = parse({"assign", "A", "function:Vol+"});
    ASSERT_TRUE(r.invocation);
    EXPECT_EQ(r.invocation->assign.function, 7u);   // "Vol+" in the catalogue's order
    r = parse({"assign", "A", "program:relative/tool"});
    ASSERT_TRUE(r.invocation);
    EXPECT_EQ(r.invocation->assign.path.front(), u'/');   // made absolute
    EXPECT_FALSE(parse({"assign", "A", "program:/" + std::string(300, 'x')}).invocation);

    // Relative paths are the sender's: a forwarded command names its folder.
    r = parseArguments({"macro", "import", "3", "sub/../m.json"}, "/home/u/work");
    ASSERT_TRUE(r.invocation);
    EXPECT_EQ(r.invocation->command, Command::MacroImport);
    EXPECT_EQ(r.invocation->number, 3);
    EXPECT_EQ(r.invocation->file, "/home/u/work/m.json");
    r = parseArguments({"assign", "A", "file:notes.txt"}, "/home/u");
    ASSERT_TRUE(r.invocation);
    EXPECT_EQ(r.invocation->assign.path, u"/home/u/notes.txt");

    r = parse({"profile", "load", "racing.bin"});
    ASSERT_TRUE(r.invocation);
    EXPECT_EQ(r.invocation->name, "racing");

    r = parse({"lcd", "text", "--font", "DejaVu Sans", "--", "-5 C"});
    ASSERT_TRUE(r.invocation) << r.error;
    EXPECT_EQ(r.invocation->text, "-5 C");
    r = parse({"lcd", "text", "x", "--font", "DejaVu Sans", "--size", "12", "--italic", "--fit"});
    ASSERT_TRUE(r.invocation) << r.error;
    EXPECT_EQ(r.invocation->font, "DejaVu Sans");
    EXPECT_EQ(r.invocation->sizePt, 12);
    EXPECT_TRUE(r.invocation->italic && r.invocation->fit && !r.invocation->bold);

    for (const std::vector<std::string>& bad : std::vector<std::vector<std::string>>{{"macro"},
                                                                                     {"macro", "list", "1"},
                                                                                     {"macro", "show"},
                                                                                     {"macro", "export", "1"},
                                                                                     {"macro", "show", "0"},
                                                                                     {"profile", "save", "a/b"},
                                                                                     {"profile", "save", ".."},
                                                                                     {"profile", "load", "a", "b"},
                                                                                     {"profile", "list", "--dry-run"},
                                                                                     {"assign", "A", "combo:A+B+C+D"},
                                                                                     {"assign", "LWin", "key:A"}}) {
        EXPECT_FALSE(parse(bad).invocation) << bad.size();
    }
}

}   // namespace
