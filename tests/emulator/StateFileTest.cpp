#include <gtest/gtest.h>

#include <QString>
#include <QtGlobal>

#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <thread>

#include "tests/emulator/EmulatorFixture.h"

namespace orvane::hid::test {
namespace {
namespace img = link::image;

// A program's view of a keyboard whose memory lives in a state file.
struct Program {
    explicit Program(const std::string& path)
    {
        std::string error;
        emulator = Emulator::withStateFile(path, error);
        EXPECT_TRUE(emulator) << error;
        if (emulator) {
            cmd = EmulatorBackend(emulator).open(kEmulatorCommandPath);
        }
    }
    void send(const CommandReport& r) { ASSERT_TRUE(cmd->setFeature(r)); }
    void write(std::span<const uint8_t> bytes)
    {
        for (std::size_t at = 0; at < bytes.size(); at += 64)
            ASSERT_TRUE(cmd->writeReport(dataReport(bytes.subspan(at, std::min<std::size_t>(64, bytes.size() - at)))));
    }
    std::shared_ptr<Emulator> emulator;
    std::unique_ptr<Device> cmd;
};

TEST(EmulatorStateFile, MissingFileIsCreatedInTheFactoryState)
{
    TempFolder dir;
    const std::string path = dir.file("keyboard.state");
    Program p(path);
    ASSERT_TRUE(p.emulator);
    const std::vector<uint8_t> file = TempFolder::read(path);
    ASSERT_EQ(file.size(), 10587u);
    const link::ConfigImage factory = factoryImage();
    EXPECT_TRUE(std::equal(factory.begin(), factory.end(), file.begin()));
    EXPECT_EQ(file[img::kSpeed], 5) << "the speed byte is the slider position";
    EXPECT_EQ(file[10056], 1);
    EXPECT_EQ(file[10057], 1);
    EXPECT_EQ(file[10058], 0xFF) << "no LCD image yet";
    EXPECT_TRUE(std::all_of(file.begin() + 10059, file.end(), [](uint8_t b) { return b == 0; }));
    EXPECT_EQ(p.emulator->statePath(), path);
}

TEST(EmulatorStateFile, WrongSizeIsRefusedAndLeftUnchanged)
{
    TempFolder dir;
    const std::string path = dir.file("keyboard.state");
    for (std::size_t size : {0u, 10586u, 10588u, 206916u}) {
        const std::vector<uint8_t> bytes(size, 0x5A);
        TempFolder::write(path, bytes);
        std::string error;
        EXPECT_EQ(Emulator::withStateFile(path, error), nullptr) << size;
        EXPECT_NE(error.find("10587"), std::string::npos) << error;
        EXPECT_NE(error.find(path), std::string::npos) << error;
        EXPECT_EQ(TempFolder::read(path), bytes) << size;
        std::string backendError;
        EXPECT_EQ(createBackend("emulator:" + path, backendError), nullptr);
        EXPECT_FALSE(backendError.empty());
    }
    std::string error;
    EXPECT_EQ(Emulator::withStateFile(dir.file("no-such-folder/state"), error), nullptr);
    EXPECT_FALSE(error.empty());
}

TEST(EmulatorStateFile, EveryWriteStepSurvivesIntoASecondProcess)
{
    TempFolder dir;
    const std::string path = dir.file("keyboard.state");
    std::vector<uint8_t> block(192), page(528);
    for (std::size_t i = 0; i < page.size(); ++i)
        page[i] = static_cast<uint8_t>(i * 3 + 1);
    std::fill(block.begin(), block.end(), 0x42);
    {
        Program first(path);
        first.send(command(0x01, 1));
        first.send(command(0x08, 2, 51, 8, 40, 2, 3));
        first.send(command(0x11, 0, 31, 3));
        first.write(block);
        first.send(command(0x15, 0, 9, 1));
        first.write(page);
        first.emulator->setFirmwareVersion({2, 7});
    }
    Program second(path);
    const link::ConfigImage im = second.emulator->image();
    EXPECT_EQ(im[img::kReportRate], 1);
    EXPECT_EQ(im[img::kEffect], 51);
    EXPECT_EQ(im[img::kSpeed], 2);
    EXPECT_EQ(im[img::kBrightness], 40);
    EXPECT_TRUE(std::equal(block.begin(), block.end(), im.begin() + img::macroBlock(31)));
    EXPECT_EQ(second.emulator->lcdMode(), 1);
    const LcdPage stored = second.emulator->lcdPage();
    EXPECT_TRUE(std::equal(page.begin(), page.end(), stored.begin()));
    EXPECT_EQ(second.emulator->firmwareVersion(), (FirmwareVersion{2, 7}));
    EXPECT_EQ(TempFolder::read(path).size(), 10587u);
}

TEST(EmulatorStateFile, TwoProcessesSharingTheFileNeverLoseEachOthersSteps)
{
    TempFolder dir;
    const std::string path = dir.file("shared.state");
    Program a(path), b(path);
    a.send(command(0x01, 0));
    b.send(command(0x04, 9));   // b re-reads the file first: a's step stays
    a.send(command(0x09, 1));
    EXPECT_EQ(a.emulator->image()[img::kResponseTime], 9) << "a sees b's step";
    const link::ConfigImage im = b.emulator->image();
    EXPECT_EQ(im[img::kReportRate], 0);
    EXPECT_EQ(im[img::kResponseTime], 9);
    EXPECT_EQ(im[img::kGameMode], 1);

    // Interleaved from two threads: every colour entry ends as its writer left it.
    auto writeColours = [](Program& p, uint8_t first) {
        for (int round = 0; round < 10; ++round)
            for (uint8_t i = first; i < 7; i += 2)
                p.send(command(0x14, 0, i, i, static_cast<uint8_t>(round), 0xC0));
    };
    std::thread ta([&] { writeColours(a, 0); });
    std::thread tb([&] { writeColours(b, 1); });
    ta.join();
    tb.join();
    const link::ConfigImage after = Program(path).emulator->image();
    for (std::size_t i = 0; i < 7; ++i) {
        EXPECT_EQ(after[img::colourEntry(i)], i);
        EXPECT_EQ(after[img::colourEntry(i) + 1], 9);
        EXPECT_EQ(after[img::colourEntry(i) + 2], 0xC0);
    }
    for (const auto& e : std::filesystem::directory_iterator(std::filesystem::path(path).parent_path()))
        EXPECT_EQ(e.path().filename(), "shared.state") << "no temporary file is left behind";
}

// The emulator's warnings, collected for one scope.
class Warnings {
public:
    Warnings() { previous_ = qInstallMessageHandler(&Warnings::collect); }
    ~Warnings() { qInstallMessageHandler(previous_); }
    static std::string all() { return text(); }

private:
    static std::string& text()
    {
        static std::string t;
        return t;
    }
    static void collect(QtMsgType, const QMessageLogContext&, const QString& message)
    {
        text() += message.toStdString() + "\n";
    }
    QtMessageHandler previous_;
};

TEST(EmulatorStateFile, AStepThatCannotBePersistedIsNotAcknowledged)
{
    TempFolder dir;
    const std::string path = dir.file("keyboard.state");
    Program p(path);
    auto evt = EmulatorBackend(p.emulator).open(kEmulatorEventPath);
    const std::vector<uint8_t> shortFile(10, 0x33);
    TempFolder::write(path, shortFile);   // replaced behind the keyboard's back
    Warnings warnings;
    p.send(command(0x01, 1));
    std::array<uint8_t, 4> e{};
    EXPECT_EQ(evt->readReport(e, Millis(0)), 0) << "acknowledged a step it could not keep";
    EXPECT_NE(Warnings::all().find("has 10 bytes"), std::string::npos) << Warnings::all();
    EXPECT_EQ(TempFolder::read(path), shortFile) << "a file of the wrong size is never overwritten";
    EXPECT_EQ(p.emulator->image()[img::kReportRate], 3) << "the step did not happen";
}

// A folder the keyboard's process cannot write into: the warning names why the file could not
// be replaced. Root writes anywhere, so the step runs in a child process that gives up root.
TEST(EmulatorStateFile, AFailedReplacementNamesItsOwnError)
{
    constexpr uid_t kNobody = 65534;
    TempFolder dir;
    const std::string path = dir.file("keyboard.state");
    {
        Program create(path);
    }
    const std::string folder = std::filesystem::path(path).parent_path().string();
    const bool asRoot = ::geteuid() == 0;
    ASSERT_EQ(::chmod(folder.c_str(), asRoot ? 0755 : 0555), 0);
    ASSERT_EQ(::chmod(path.c_str(), 0644), 0);
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        if (asRoot && (::setgid(kNobody) != 0 || ::setuid(kNobody) != 0))
            ::_exit(3);
        Warnings warnings;
        Program p(path);
        auto evt = EmulatorBackend(p.emulator).open(kEmulatorEventPath);
        p.cmd->setFeature(command(0x01, 1));
        std::array<uint8_t, 4> e{};
        const bool acknowledged = evt->readReport(e, Millis(0)) == 4;
        const std::string w = Warnings::all();
        std::fprintf(stderr, "%s", w.c_str());
        ::_exit(acknowledged ? 4 : w.find("Permission denied") == std::string::npos ? 5 : 0);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    ::chmod(folder.c_str(), 0755);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_NE(WEXITSTATUS(status), 3) << "could not give up root";
    EXPECT_NE(WEXITSTATUS(status), 4) << "the step was acknowledged";
    EXPECT_EQ(WEXITSTATUS(status), 0) << "the warning does not name the failed replacement's error";
    EXPECT_EQ(TempFolder::read(path)[img::kReportRate], 3);
}

TEST(EmulatorStateFile, BytesTheKeyboardDoesNotHoldStayZero)
{
    TempFolder dir;
    const std::string path = dir.file("keyboard.state");
    std::vector<uint8_t> bytes(10587, 0);
    const link::ConfigImage factory = factoryImage();
    std::copy(factory.begin(), factory.end(), bytes.begin());
    bytes[0] = 0x77;            // reserved
    bytes[img::kWinLock] = 1;   // not held by the keyboard
    bytes[10058] = 0xFF;
    TempFolder::write(path, bytes);
    Program p(path);
    EXPECT_EQ(p.emulator->image(), factory);
}

}   // namespace
}   // namespace orvane::hid::test
