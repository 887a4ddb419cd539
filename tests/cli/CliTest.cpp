// orvanectl as built on the emulated keyboard: each command's effect on the keyboard's memory,
// the data folder and the HID trace; bad input and a failing keyboard leave every byte alone.

#include "tests/cli/CliRun.h"

#include "model/ConfigImage.h"
#include "model/KeyTables.h"

#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>

using namespace orvane;
using clitest::CliFixture;
using clitest::CliResult;
namespace img = link::image;

namespace {

QJsonObject json(const CliResult& r)
{
    QJsonParseError error{};
    const QJsonDocument doc = QJsonDocument::fromJson(r.out.toUtf8(), &error);
    EXPECT_EQ(error.error, QJsonParseError::NoError) << r.out.toStdString();
    return doc.object();
}

// A macro file as export writes it.
const QByteArray kMacro = R"({"name": "Hello", "loops": 3, "events": [
    {"key": "H", "action": "press", "delay_ms": 0},
    {"key": "H", "action": "release", "delay_ms": 30},
    {"key": "I", "action": "press", "delay_ms": 200},
    {"key": "I", "action": "release", "delay_ms": 0}]})";

class CliTest : public CliFixture {
protected:
    void writeFile(const QString& name, const QByteArray& bytes)
    {
        QFile f(path(name));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write(bytes);
    }

    // A first run creates the keyboard's state file and the data folder's files.
    void start()
    {
        const CliResult r = run({"show"});
        ASSERT_EQ(r.code, 0) << r.err.toStdString();
    }

    QByteArray keymapBin() const
    {
        QFile f(dataFolder() + "/keymap.bin");
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }
};

TEST_F(CliTest, SetIsOneUploadAndShowGivesBackWhatWasSet)
{
    start();
    const int beginsBefore = int(traceLines({"SF"}).filter(QRegularExpression("SF 00 08 01 ")).size());
    const CliResult set = run({"set", "effect=wave", "speed=3", "brightness=20", "direction=2", "colour3=#102030",
                               "game-mode=on", "win-lock=on", "response-time=6", "report-rate=250"});
    ASSERT_EQ(set.code, 0) << set.err.toStdString();
    EXPECT_TRUE(set.out.isEmpty());

    // One upload: one begin of a configuration write for all nine values.
    const int begins = int(traceLines({"SF"}).filter(QRegularExpression("SF 00 08 01 ")).size());
    EXPECT_EQ(begins - beginsBefore, 1);

    EXPECT_EQ(stateByte(img::kEffect), 3);
    EXPECT_EQ(stateByte(img::kSpeed), 3);
    EXPECT_EQ(stateByte(img::kBrightness), 20);
    EXPECT_EQ(stateByte(img::kColour), 8);   // the effect list's rule for Wave
    EXPECT_EQ(stateByte(img::kDirection), 2);
    EXPECT_EQ(stateByte(img::colourEntry(2)), 0x10);
    EXPECT_EQ(stateByte(img::colourEntry(2) + 1), 0x20);
    EXPECT_EQ(stateByte(img::colourEntry(2) + 2), 0x30);
    EXPECT_EQ(stateByte(img::kResponseTime), 3);
    EXPECT_EQ(stateByte(img::kReportRate), 1);
    EXPECT_EQ(stateByte(img::kKeyEnable) & 0x02, 0);   // Win Lock: the left Windows key is off
    // keymap.bin holds what the keyboard holds.
    EXPECT_EQ(keymapBin().left(int(img::kWinLock)), state().left(int(img::kWinLock)));

    const CliResult show = run({"--json", "show"});
    ASSERT_EQ(show.code, 0) << show.err.toStdString();
    const QJsonObject o = json(show);
    EXPECT_EQ(o["effect"].toObject()["code"].toInt(), 3);
    EXPECT_EQ(o["effect"].toObject()["name"].toString(), "Wave");
    EXPECT_EQ(o["speed"].toInt(), 3);
    EXPECT_EQ(o["brightness"].toInt(), 20);
    EXPECT_EQ(o["colour"].toInt(), 8);
    EXPECT_EQ(o["direction"].toInt(), 2);
    EXPECT_EQ(o["colours"].toArray()[2].toString(), "#102030");
    EXPECT_EQ(o["colours"].toArray()[0].toString(), "#ff0000");
    EXPECT_TRUE(o["game_mode"].toBool());
    EXPECT_TRUE(o["win_lock"].toBool());
    EXPECT_EQ(o["response_time_ms"].toInt(), 6);
    EXPECT_EQ(o["report_rate_hz"].toInt(), 250);
    EXPECT_EQ(o["firmware"].toString(), "1.1");
    EXPECT_TRUE(o["keys"].toArray().isEmpty());
    EXPECT_EQ(o["light_maps"].toArray().size(), 5);

    // An explicit colour overrides the effect's rule; the text form says the same.
    ASSERT_EQ(run({"set", "effect=static", "colour=5", "win-lock=off"}).code, 0);
    const CliResult text = run({"show"});
    EXPECT_TRUE(text.out.contains("effect: Static (1)\n")) << text.out.toStdString();
    EXPECT_TRUE(text.out.contains("colour: 5\n"));
    EXPECT_TRUE(text.out.contains("colour3: #102030\n"));
    EXPECT_TRUE(text.out.contains("win-lock: off\n"));
    EXPECT_TRUE(text.out.contains("report-rate: 250 Hz\n"));
}

TEST_F(CliTest, DryRunPrintsTheReportsTheRealRunSendsAndChangesNothing)
{
    start();
    const QMap<QString, QByteArray> before = snapshot();
    const QStringList args{"set", "colour1=#010203", "response-time=8", "brightness=7"};
    const CliResult dry = run(QStringList{"--dry-run"} + args);
    ASSERT_EQ(dry.code, 0) << dry.err.toStdString();
    EXPECT_EQ(snapshot(), before);

    const QRegularExpression line("^\\d+\\.\\d{3} emulator:cmd (SF|W)( [0-9a-f]{2})+$");
    QStringList printed;
    for (const QString& l : dry.out.split(u'\n', Qt::SkipEmptyParts)) {
        EXPECT_TRUE(line.match(l).hasMatch()) << l.toStdString();
        printed << l.section(u' ', 1);
    }
    ASSERT_FALSE(printed.isEmpty());

    const int tracedBefore = int(traceLines({"SF", "W"}).size());
    ASSERT_EQ(run(args).code, 0);
    const QStringList sent = traceLines({"SF", "W"}).mid(tracedBefore);
    // The real run reads the keyboard first; what it then sends is what the dry run printed.
    ASSERT_GE(sent.size(), printed.size());
    EXPECT_EQ(sent.mid(sent.size() - printed.size()), printed);
    EXPECT_EQ(stateByte(img::colourEntry(0) + 2), 0x03);

    // A dry run of the reset leaves the keyboard as it is too.
    const QMap<QString, QByteArray> after = snapshot();
    const CliResult reset = run({"reset", "--yes", "--dry-run"});
    ASSERT_EQ(reset.code, 0) << reset.err.toStdString();
    EXPECT_TRUE(reset.out.contains("SF 00 13 ")) << reset.out.toStdString();
    EXPECT_EQ(snapshot(), after);
}

TEST_F(CliTest, ResetReturnsTheFactoryState)
{
    start();
    // The factory state as this keyboard reads back, from a second keyboard never changed.
    const QString other = path("other.bin");
    ASSERT_EQ(run({"show"}, {{"ORVANE_HID", "emulator:" + other}, {"ORVANE_HOME", path("other-home")}}).code, 0);
    QFile otherFile(other);
    ASSERT_TRUE(otherFile.open(QIODevice::ReadOnly));
    const QByteArray factory = otherFile.readAll().left(int(link::kConfigImageSize));

    ASSERT_EQ(run({"set", "effect=radar", "brightness=3", "colour7=#123456", "response-time=12"}).code, 0);
    ASSERT_NE(state().left(int(link::kConfigImageSize)), factory);

    // Without a terminal the reset wants --yes; nothing happens without it.
    const QMap<QString, QByteArray> before = snapshot();
    const CliResult unconfirmed = run({"reset"});
    EXPECT_EQ(unconfirmed.code, 2);
    EXPECT_TRUE(unconfirmed.err.contains("--yes"));
    EXPECT_EQ(snapshot(), before);

    const CliResult reset = run({"reset", "--yes"});
    ASSERT_EQ(reset.code, 0) << reset.err.toStdString();
    EXPECT_EQ(state().left(int(link::kConfigImageSize)), factory);
    EXPECT_EQ(keymapBin().left(int(img::kWinLock)), factory.left(int(img::kWinLock)));
    const QJsonObject o = json(run({"show", "--json"}));
    EXPECT_EQ(o["effect"].toObject()["code"].toInt(), 1);
    EXPECT_EQ(o["brightness"].toInt(), 50);
    EXPECT_EQ(o["colours"].toArray()[6].toString(), "#8000ff");
}

TEST_F(CliTest, BadInputIsExitTwoAndTouchesNothing)
{
    start();
    const QMap<QString, QByteArray> before = snapshot();
    const std::vector<QStringList> cases = {
        {},
        {"sh0w"},
        {"show", "--frob"},
        {"set"},
        {"set", "brightness=51"},
        {"set", "brightness=20", "speed=11"},   // nothing of a partly good set goes
        {"set", "colour2=red"},
        {"set", "effect=nope"},
        {"set", "report-rate=300"},
        {"reset", "now"},
        {"list", "--dry-run"},
    };
    for (const QStringList& args : cases) {
        const CliResult r = run(args);
        EXPECT_EQ(r.code, 2) << args.join(' ').toStdString();
        EXPECT_TRUE(r.err.startsWith("orvanectl: ")) << r.err.toStdString();
        EXPECT_TRUE(r.out.isEmpty()) << args.join(' ').toStdString();
    }
    // A wrong environment is a usage error too, as for the other programs.
    const CliResult plan = run({"set", "brightness=3"}, {{"ORVANE_EMULATOR_FAULTS", "no-ack@0"}});
    EXPECT_EQ(plan.code, 2);
    EXPECT_TRUE(plan.err.contains("no-ack@0")) << plan.err.toStdString();
    EXPECT_EQ(run({"show"}, {{"ORVANE_HID", "usb"}}).code, 2);
    EXPECT_EQ(snapshot(), before);
}

TEST_F(CliTest, AFailingKeyboardIsExitOneAndLeavesThingsAsTheyWere)
{
    start();
    ASSERT_EQ(run({"set", "brightness=30"}).code, 0);
    ASSERT_EQ(run({"assign", "A", "function:Copy"}).code, 0);   // a record in keymap.bin to keep
    const QMap<QString, QByteArray> before = snapshot();

    // No acknowledgement for the upload's first step.
    const CliResult noAck =
        run({"set", "colour1=#010203", "game-mode=on", "brightness=10"}, {{"ORVANE_EMULATOR_FAULTS", "no-ack@1x*"}});
    EXPECT_EQ(noAck.code, 1);
    EXPECT_TRUE(noAck.err.contains("could not be saved to the keyboard")) << noAck.err.toStdString();
    EXPECT_EQ(snapshot(), before);

    // The keyboard stops answering during the read.
    const CliResult stall = run({"set", "brightness=10"}, {{"ORVANE_EMULATOR_FAULTS", "read-stall@20x*"}});
    EXPECT_EQ(stall.code, 1);
    EXPECT_TRUE(stall.err.contains("did not answer")) << stall.err.toStdString();
    EXPECT_EQ(snapshot(), before);

    // The factory reset's own command fails: it comes right after the set-features of a read,
    // which a show counts.
    const int tracedBefore = int(traceLines({"SF"}).size());
    ASSERT_EQ(run({"show"}).code, 0);
    const int readSetFeatures = int(traceLines({"SF"}).size()) - tracedBefore;
    const CliResult reset =
        run({"reset", "--yes"}, {{"ORVANE_EMULATOR_FAULTS", QStringLiteral("sf-fail@%1").arg(readSetFeatures + 1)}});
    EXPECT_EQ(reset.code, 1) << reset.err.toStdString();
    EXPECT_TRUE(reset.err.contains("did not complete the factory reset")) << reset.err.toStdString();
    EXPECT_EQ(snapshot(), before);
}

TEST_F(CliTest, AssignEveryKindOfFunctionAndShowSaysIt)
{
    start();
    writeFile("macro.json", kMacro);
    ASSERT_EQ(run({"macro", "import", "1", path("macro.json")}).code, 0);
    const std::vector<std::pair<QStringList, QString>> cases = {
        {{"A", "function:Copy"}, "function:Copy"},
        {{"S", "function:复制"}, "function:Copy"},   // the Chinese name of the same function
        {{"B", "combo:LCtrl+LShift+Esc"}, "combo:LCtrl+LShift+Esc"},
        {{"C", "key:Z"}, "key:Z"},
        {{"KPEnter", "key:F13"}, ""},   // no such key: refused below, not here
        {{"D", "program:/usr/bin/true"}, "program:/usr/bin/true"},
        {{"E", "file:/etc/hostname"}, "file:/etc/hostname"},
        {{"f", "folder:/tmp"}, "folder:/tmp"},   // key names without regard to case
        {{"G", "disable"}, "disable"},
        {{"F5", "macro:1"}, "macro:1"},
    };
    QMap<QString, QString> expected;
    for (const auto& [args, shown] : cases) {
        if (shown.isEmpty())
            continue;
        const CliResult r = run(QStringList{"assign"} + args);
        ASSERT_EQ(r.code, 0) << args.join(' ').toStdString() << ": " << r.err.toStdString();
        expected.insert(args[0].toUpper(), shown);
    }
    QMap<QString, QString> keys;
    for (const QJsonValue& v : json(run({"show", "--json"}))["keys"].toArray())
        keys.insert(v.toObject()["key"].toString(), v.toObject()["function"].toString());
    EXPECT_EQ(keys, expected);
    // The keyboard plays macro 1 (block 0) on F5.
    for (const keymap::KeyLayout& k : keymap::KeyLayoutTable)
        if (k.vk == 0x74) {
            const std::size_t cell = img::kKeyCodeBlock + 4 * keymap::cellIndex(k);
            EXPECT_EQ(stateByte(cell), 4);
            EXPECT_EQ(stateByte(cell + 1), 1);
            EXPECT_EQ(stateByte(cell + 2), 0);
        }

    // default and enable take keys back to their factory function.
    ASSERT_EQ(run({"assign", "A", "default"}).code, 0);
    ASSERT_EQ(run({"assign", "G", "enable"}).code, 0);
    keys.clear();
    for (const QJsonValue& v : json(run({"show", "--json"}))["keys"].toArray())
        keys.insert(v.toObject()["key"].toString(), v.toObject()["function"].toString());
    expected.remove("A");
    expected.remove("G");
    EXPECT_EQ(keys, expected);
}

TEST_F(CliTest, MacroImportExportAndDelete)
{
    start();
    writeFile("macro.json", kMacro);
    const CliResult imported = run({"macro", "import", "1", path("macro.json")});
    ASSERT_EQ(imported.code, 0) << imported.err.toStdString();
    // The keyboard holds the macro in block 0: loop count 3, then H press first.
    EXPECT_EQ(stateByte(img::macroBlock(0) + 1), 3);
    EXPECT_EQ(stateByte(img::macroBlock(0) + 3), 0x0b);   // usage of H

    ASSERT_EQ(run({"macro", "export", "1", path("out.json")}).code, 0);
    QFile out(path("out.json"));
    ASSERT_TRUE(out.open(QIODevice::ReadOnly));
    const QJsonObject exported = QJsonDocument::fromJson(out.readAll()).object();
    EXPECT_EQ(exported, QJsonDocument::fromJson(kMacro).object());

    const QJsonArray macros = json(run({"show", "--json"}))["macros"].toArray();
    ASSERT_EQ(macros.size(), 1);
    QJsonObject shown = macros[0].toObject();
    EXPECT_EQ(shown.take("number").toInt(), 1);
    EXPECT_EQ(shown, exported);
    EXPECT_EQ(json(run({"macro", "list", "--json"}))["macros"].toArray().size(), 1);

    // What export wrote imports again, as the next macro; a second macro of the same name does not.
    ASSERT_EQ(run({"macro", "import", "2", path("out.json")}).code, 2);
    QJsonObject renamed = exported;
    renamed["name"] = "Second";
    writeFile("second.json", QJsonDocument(renamed).toJson());
    ASSERT_EQ(run({"macro", "import", "2", path("second.json")}).code, 0);
    EXPECT_EQ(json(run({"macro", "show", "2", "--json"}))["name"].toString(), "Second");

    ASSERT_EQ(run({"macro", "delete", "1"}).code, 0);
    const QJsonArray left = json(run({"macro", "list", "--json"}))["macros"].toArray();
    ASSERT_EQ(left.size(), 1);
    EXPECT_EQ(left[0].toObject()["name"].toString(), "Second");
    // The keyboard plays what the list holds: the second block is empty now.
    EXPECT_EQ(stateByte(img::macroBlock(1) + 3), 0);
}

TEST_F(CliTest, MacroImportRefusesWhatDoesNotFit)
{
    start();
    writeFile("macro.json", kMacro);
    ASSERT_EQ(run({"macro", "import", "1", path("macro.json")}).code, 0);
    const QMap<QString, QByteArray> before = snapshot();

    // 48 presses and releases of two bytes each: 192 bytes, two more than a macro holds.
    QJsonArray events;
    for (int i = 0; i < 48; ++i)
        for (const char* action : {"press", "release"})
            events.append(QJsonObject{{"key", "A"}, {"action", action}, {"delay_ms", 0}});
    writeFile("big.json", QJsonDocument(QJsonObject{{"name", "Big"}, {"loops", 1}, {"events", events}}).toJson());
    events.removeLast();
    events.removeLast();
    events.removeLast();
    events.removeLast();   // 184 bytes fit, but a delay of 127 ms or more takes two bytes more
    events.replace(1, QJsonObject{{"key", "A"}, {"action", "release"}, {"delay_ms", 500}});
    events.replace(3, QJsonObject{{"key", "A"}, {"action", "release"}, {"delay_ms", 500}});
    events.replace(5, QJsonObject{{"key", "A"}, {"action", "release"}, {"delay_ms", 500}});
    events.replace(7, QJsonObject{{"key", "A"}, {"action", "release"}, {"delay_ms", 500}});   // 192 bytes
    writeFile("delays.json", QJsonDocument(QJsonObject{{"name", "Delays"}, {"loops", 1}, {"events", events}}).toJson());

    const std::vector<std::pair<QStringList, QString>> cases = {
        {{"import", "2", path("big.json")}, "does not fit"},
        {{"import", "2", path("delays.json")}, "does not fit"},
        {{"import", "3", path("macro.json")}, "beyond"},
        {{"import", "2", path("missing.json")}, "cannot be read"},
        {{"import", "2", path("run")}, "cannot be read"},   // a folder
        {{"show", "2"}, "no macro 2"},
        {{"delete", "2"}, "no macro 2"},
        {{"export", "5", path("x.json")}, "no macro 5"},
        {{"show", "33"}, "1..32"},
    };
    for (const auto& [args, message] : cases) {
        const CliResult r = run(QStringList{"macro"} + args);
        EXPECT_EQ(r.code, 2) << args.join(' ').toStdString();
        EXPECT_TRUE(r.err.contains(message)) << args.join(' ').toStdString() << ": " << r.err.toStdString();
    }
    for (
        const QByteArray& bad : std::vector<QByteArray>{
            "not json", "[]", R"({"loops":1,"events":[]})", R"({"name":"x","loops":0,"events":[]})",
            R"({"name":"x","loops":1,"events":[{"key":"NoSuchKey","action":"press"}]})",
            R"({"name":"x","loops":1,"events":[{"key":"A","action":"hold"}]})",
            R"({"name":"x","loops":1,"events":[{"key":"A","action":"press","delay_ms":5}]})",
            R"({"name":"x","loops":1,"events":[{"key":"A","action":"press"},{"key":"A","action":"release","delay_ms":60001}]})"}) {
        writeFile("bad.json", bad);
        const CliResult r = run({"macro", "import", "2", path("bad.json")});
        EXPECT_EQ(r.code, 2) << bad.toStdString();
        EXPECT_TRUE(r.err.startsWith("orvanectl: macro import: ")) << r.err.toStdString();
    }
    EXPECT_EQ(snapshot(), before);

    // A keyboard that does not take the macro leaves MacroDefine.bin and keymap.bin as they were.
    const CliResult failed = run({"macro", "delete", "1"}, {{"ORVANE_EMULATOR_FAULTS", "no-ack@1x*"}});
    EXPECT_EQ(failed.code, 1) << failed.err.toStdString();
    EXPECT_EQ(snapshot(), before);
}

TEST_F(CliTest, ProfileSaveAndLoad)
{
    start();
    ASSERT_EQ(run({"set", "effect=breathing", "brightness=12", "colour2=#abcdef"}).code, 0);
    ASSERT_EQ(run({"assign", "Q", "function:Mute"}).code, 0);
    const CliResult saved = run({"profile", "save", "racing"});
    ASSERT_EQ(saved.code, 0) << saved.err.toStdString();
    EXPECT_EQ(QFileInfo(dataFolder() + "/Configure/racing.bin").size(), 206916);
    const QByteArray configured = state().left(int(link::kConfigImageSize));

    ASSERT_EQ(run({"reset", "--yes"}).code, 0);
    ASSERT_NE(state().left(int(link::kConfigImageSize)), configured);
    const QMap<QString, QByteArray> before = snapshot();
    for (const QStringList& args : std::vector<QStringList>{
             {"load", "nothing"}, {"load", "../racing"}, {"load"}, {"save", ""}, {"rename", "x"}}) {
        const CliResult r = run(QStringList{"profile"} + args);
        EXPECT_EQ(r.code, 2) << args.join(' ').toStdString();
    }
    EXPECT_EQ(snapshot(), before);

    const int tracedBefore = int(traceLines({"SF"}).size());
    const CliResult loaded = run({"profile", "load", "racing"});
    ASSERT_EQ(loaded.code, 0) << loaded.err.toStdString();
    EXPECT_GT(traceLines({"SF"}).size(), tracedBefore);
    EXPECT_EQ(state().left(int(link::kConfigImageSize)), configured);
    const QJsonObject o = json(run({"show", "--json"}));
    EXPECT_EQ(o["effect"].toObject()["name"].toString(), "Breathing");
    EXPECT_EQ(o["brightness"].toInt(), 12);
    EXPECT_EQ(o["colours"].toArray()[1].toString(), "#abcdef");
    ASSERT_EQ(o["keys"].toArray().size(), 1);
    EXPECT_EQ(o["keys"].toArray()[0].toObject()["function"].toString(), "function:Mute");

    const QJsonArray profiles = json(run({"profile", "list", "--json"}))["profiles"].toArray();
    ASSERT_EQ(profiles.size(), 1);
    EXPECT_EQ(profiles[0].toObject()["name"].toString(), "racing");
}

TEST_F(CliTest, BadAssignmentsAreExitTwoAndTouchNothing)
{
    start();
    const QMap<QString, QByteArray> before = snapshot();
    const std::vector<QStringList> cases = {
        {"Nope", "key:A"},
        {"Fn", "key:A"},
        {"LWin", "key:A"},
        {"A", "key:Nope"},
        {"A", "combo:LCtrl"},
        {"A", "combo:A+B+C+D"},
        {"A", "function:Sing"},
        {"A", "macro:1"},
        {"A", "macro:0"},
        {"A", "program:"},
        {"A", "launch:/x"},
        {"A", "keyA"},
        {"A"},
        {"A", "key:A", "x"},
    };
    for (const QStringList& args : cases) {
        const CliResult r = run(QStringList{"assign"} + args);
        EXPECT_EQ(r.code, 2) << args.join(' ').toStdString();
        EXPECT_TRUE(r.err.startsWith("orvanectl: assign")) << r.err.toStdString();
    }
    EXPECT_EQ(snapshot(), before);
}

// The emulator keeps the last LCD download after the image: its mode byte, then the page image.
constexpr int kLcdModeOffset = 10058, kLcdPageOffset = 10059, kLcdPageBytes = 528;

TEST_F(CliTest, LcdTextSendsThePictureThePreviewShows)
{
    const CliResult preview = run({"lcd", "text", "Hi 42", "--bold", "--size", "18", "--preview", path("p.pbm")});
    ASSERT_EQ(preview.code, 0) << preview.err.toStdString();
    EXPECT_FALSE(QFile::exists(statePath()) && stateByte(kLcdModeOffset) != 0xFF);   // the preview sent nothing
    QFile pbm(path("p.pbm"));
    ASSERT_TRUE(pbm.open(QIODevice::ReadOnly));
    const QByteArray picture = pbm.readAll();
    ASSERT_TRUE(picture.startsWith("P4\n132 32\n"));
    const QByteArray rows = picture.mid(10);
    ASSERT_EQ(rows.size(), 17 * 32);
    // The keyboard's layout of the same picture: four pages of 8 rows, a byte per column.
    QByteArray expected(kLcdPageBytes, '\0');
    int lit = 0;
    for (int y = 0; y < 32; ++y)
        for (int x = 0; x < 132; ++x)
            if (uint8_t(rows[17 * y + x / 8]) & (0x80 >> (x % 8))) {
                expected[132 * (y / 8) + x] = char(uint8_t(expected[132 * (y / 8) + x]) | (1 << (y % 8)));
                ++lit;
            }
    EXPECT_GT(lit, 20);

    const CliResult sent = run({"lcd", "text", "Hi 42", "--bold", "--size", "18"});
    ASSERT_EQ(sent.code, 0) << sent.err.toStdString();
    EXPECT_EQ(stateByte(kLcdModeOffset), 1);
    EXPECT_EQ(state().mid(kLcdPageOffset, kLcdPageBytes), expected);
    EXPECT_EQ(traceLines({"SF"}).filter(QRegularExpression("SF 00 15 00 09 01 ")).size(), 1);
    EXPECT_EQ(traceLines({"W"}).size(), 9);

    // A dry run prints the same ten reports and leaves the keyboard alone.
    const QByteArray before = state();
    const CliResult dry = run({"--dry-run", "lcd", "text", "other", "--fit"});
    ASSERT_EQ(dry.code, 0) << dry.err.toStdString();
    EXPECT_EQ(dry.out.count(" emulator:cmd SF 00 15 00 09 01 "), 1) << dry.out.toStdString();
    EXPECT_EQ(dry.out.count(" emulator:cmd W "), 9);
    EXPECT_EQ(state(), before);

    // The logo goes with mode 0.
    ASSERT_EQ(run({"lcd", "logo"}).code, 0);
    EXPECT_EQ(stateByte(kLcdModeOffset), 0);
    EXPECT_NE(state().mid(kLcdPageOffset, kLcdPageBytes), expected);
}

TEST_F(CliTest, LcdMistakesAndAFailingKeyboard)
{
    ASSERT_EQ(run({"lcd", "logo"}).code, 0);
    const QByteArray before = state();
    for (const QStringList& args :
         std::vector<QStringList>{{"lcd"},
                                  {"lcd", "text"},
                                  {"lcd", "text", "a", "b"},
                                  {"lcd", "text", "a", "--size", "0"},
                                  {"lcd", "text", "a", "--size"},
                                  {"lcd", "text", "a", "--font", QString(40, u'x')},
                                  {"lcd", "logo", "--bold"},
                                  {"set", "brightness=3", "--fit"},
                                  {"lcd", "blink"},
                                  {"lcd", "text", QString(300, u'x')},
                                  {"--dry-run", "lcd", "text", "a", "--preview", path("x.pbm")}}) {
        const CliResult r = run(args);
        EXPECT_EQ(r.code, 2) << args.join(' ').toStdString();
    }
    EXPECT_EQ(state(), before);

    const CliResult failed = run({"lcd", "text", "x"}, {{"ORVANE_EMULATOR_FAULTS", "write-fail@1x*"}});
    EXPECT_EQ(failed.code, 1);
    EXPECT_TRUE(failed.err.contains("下载失败")) << failed.err.toStdString();
    EXPECT_EQ(state().mid(kLcdModeOffset), before.mid(kLcdModeOffset));
}

TEST_F(CliTest, ListNamesTheInterfacesAndNoKeyboardIsExitThree)
{
    const CliResult list = run({"list", "--json"});
    ASSERT_EQ(list.code, 0) << list.err.toStdString();
    const QJsonArray interfaces = json(list)["interfaces"].toArray();
    ASSERT_EQ(interfaces.size(), 2);
    const QJsonObject cmd = interfaces[0].toObject();
    EXPECT_EQ(cmd["path"].toString(), "emulator:cmd");
    EXPECT_EQ(cmd["product_id"].toString(), "a12c");
    EXPECT_EQ(cmd["interface"].toInt(), 3);
    EXPECT_EQ(cmd["role"].toString(), "command");
    EXPECT_TRUE(cmd["accessible"].toBool());
    EXPECT_EQ(interfaces[1].toObject()["role"].toString(), "event");

    // The real devices of a machine without the keyboard.
    const CliResult none = run({"list"}, {{"ORVANE_HID", "hidraw"}});
    if (none.code == 0)
        GTEST_SKIP() << "a keyboard of the family is connected to this machine";
    EXPECT_EQ(none.code, 3);
    EXPECT_TRUE(none.err.contains("no keyboard")) << none.err.toStdString();
    const QMap<QString, QByteArray> before = snapshot();
    for (const QStringList& args : std::vector<QStringList>{{"set", "brightness=5"}, {"show"}, {"lcd", "logo"}}) {
        const CliResult r = run(args, {{"ORVANE_HID", "hidraw"}});
        EXPECT_EQ(r.code, 3) << args.join(' ').toStdString();
        EXPECT_TRUE(r.err.contains("no keyboard")) << r.err.toStdString();
    }
    EXPECT_EQ(snapshot(), before);
}

TEST_F(CliTest, TwoCopiesAtOnceBothArrive)
{
    start();
    for (int round = 0; round < 3; ++round) {
        const int brightness = 10 + round;
        QProcess a, b;
        for (QProcess* p : {&a, &b})
            p->setProcessEnvironment(environment());
        a.start(clitest::binFolder() + "orvanectl", {"set", QStringLiteral("brightness=%1").arg(brightness)});
        b.start(clitest::binFolder() + "orvanectl",
                {"set", QStringLiteral("colour2=#0000%1").arg(round + 1, 2, 10, QLatin1Char('0'))});
        ASSERT_TRUE(a.waitForFinished(60000) && b.waitForFinished(60000));
        EXPECT_EQ(a.exitCode(), 0) << a.readAllStandardError().toStdString();
        EXPECT_EQ(b.exitCode(), 0) << b.readAllStandardError().toStdString();
        // Neither upload carried the other's out-of-date values.
        EXPECT_EQ(stateByte(img::kBrightness), brightness);
        EXPECT_EQ(stateByte(img::colourEntry(1) + 2), round + 1);
    }
}

TEST_F(CliTest, HelpAndVersion)
{
    const CliResult help = run({"--help"});
    EXPECT_EQ(help.code, 0);
    for (const char* command : {"list", "show", "set", "assign", "macro", "profile", "lcd", "reset"})
        EXPECT_TRUE(help.out.contains(QStringLiteral("  %1").arg(command))) << command;
    const CliResult setHelp = run({"set", "--help"});
    EXPECT_EQ(setHelp.code, 0);
    EXPECT_TRUE(setHelp.out.startsWith("Usage: orvanectl set"));
    const CliResult version = run({"--version"});
    EXPECT_EQ(version.code, 0);
    EXPECT_TRUE(version.out.startsWith("orvanectl ")) << version.out.toStdString();
    EXPECT_FALSE(QFile::exists(statePath()));   // none of these opened the keyboard
}

}   // namespace
