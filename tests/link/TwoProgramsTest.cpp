// Two programs on one keyboard: the main program uploading while the LCD
// program downloads, each with its own emulated keyboard on the same state file
// (as two processes would be), both seen through one HID trace.

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <atomic>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <sys/file.h>
#include <sys/stat.h>
#include <fcntl.h>
#include <thread>
#include <unistd.h>

#include "link/KeyboardLink.h"
#include "panelo/lcd/LcdDevice.h"
#include "platform/core/ExchangeLock.h"
#include "platform/core/Folders.h"
#include "emulator/Emulator.h"
#include "platform/hid/Trace.h"
#include "tests/support/Folders.h"

namespace orvane::link {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

class QuietObserver final : public LinkObserver {
public:
    void hideMainWindow() override {}
    void setSlidersFromImage(uint8_t, uint8_t, uint8_t) override {}
    void configurationLoaded(int) override { ++loaded; }
    void keyboardReadFailed() override { ++failed; }
    void keyNotification(uint8_t) override {}
    void deviceNotificationRegistrationFailed() override {}
    std::atomic<int> loaded{0}, failed{0};
};

class NoPauses final : public Sleeper {
public:
    void sleep(int) override {}
    void yield() override {}
};

struct TraceLine {
    std::string op;
    std::vector<uint8_t> bytes;
};

class TwoPrograms : public ::testing::Test {
protected:
    void SetUp() override
    {
        fs::create_directories(dir_ / "run");
        ::chmod((dir_ / "run").c_str(), 0700);
        ::setenv("XDG_RUNTIME_DIR", (dir_ / "run").c_str(), 1);
        ::setenv("LUMETRA_DUMP_DIR", dir_.c_str(), 1);
        state_ = (dir_ / "state.bin").string();
        std::string error;
        sink_ = hid::TraceSink::open((dir_ / "trace").string(), error);
        ASSERT_TRUE(sink_) << error;
    }
    void TearDown() override { ::unsetenv("LUMETRA_DUMP_DIR"); }

    std::unique_ptr<hid::Backend> program()
    {
        std::string error;
        std::shared_ptr<hid::Emulator> emu = hid::Emulator::withStateFile(state_, error);
        EXPECT_TRUE(emu) << error;
        return std::make_unique<hid::TraceBackend>(std::make_unique<hid::EmulatorBackend>(emu), sink_);
    }

    std::vector<TraceLine> trace() const
    {
        std::ifstream in(dir_ / "trace");
        std::vector<TraceLine> lines;
        for (std::string line; std::getline(in, line);) {
            std::istringstream fields(line);
            std::string time, path;
            TraceLine t;
            fields >> time >> path >> t.op;
            for (std::string b; fields >> b;)
                t.bytes.push_back(static_cast<uint8_t>(std::stoul(b, nullptr, 16)));
            if (t.op != "EV")
                lines.push_back(std::move(t));
        }
        return lines;
    }

    std::vector<uint8_t> stateBytes() const
    {
        std::ifstream in(state_, std::ios::binary);
        return {std::istreambuf_iterator<char>(in), {}};
    }

    orvane::test::TempFolder folder_{"two-programs"};
    fs::path dir_ = folder_.path();
    std::string state_;
    std::shared_ptr<hid::TraceSink> sink_;
};

constexpr uint8_t kLcdCommand = 0x15;
constexpr std::size_t kLcdReports = 9;
constexpr std::size_t kLcdPageAt = 10'059;

bool isCommand(const TraceLine& l, uint8_t code)
{
    return l.op == "SF" && l.bytes.size() > 1 && l.bytes[1] == code;
}

TEST(ExchangeLockTest, HeldLockKeepsOthersOutUntilReleased)
{
    const orvane::test::TempFolder folder("exchange-lock");
    const fs::path run = folder.path() / "run";
    fs::create_directories(run);
    ::chmod(run.c_str(), 0700);
    ::setenv("XDG_RUNTIME_DIR", run.c_str(), 1);
    std::string error;
    auto first = platform::ExchangeLock::acquire("emulator:/some/state", 0ms, error);
    ASSERT_TRUE(first) << error;
    EXPECT_TRUE(error.empty()) << error;

    const auto start = std::chrono::steady_clock::now();
    EXPECT_FALSE(platform::ExchangeLock::acquire("emulator:/some/state", 50ms, error));
    EXPECT_GE(std::chrono::steady_clock::now() - start, 50ms);
    EXPECT_EQ(error, "another program is using the keyboard");

    error.clear();
    EXPECT_TRUE(platform::ExchangeLock::acquire("emulator:/other/state", 0ms, error)) << "another keyboard";
    EXPECT_TRUE(platform::ExchangeLock::acquire("", 0ms, error)) << "a keyboard only this program reaches";

    std::thread later([&] {
        std::this_thread::sleep_for(30ms);
        first.reset();
    });
    std::string waited;
    EXPECT_TRUE(platform::ExchangeLock::acquire("emulator:/some/state", 2000ms, waited)) << waited;
    later.join();
    fs::remove_all(run);
}

TEST_F(TwoPrograms, LcdDownloadsNeverLandInsideAnUploadAndBothReachTheKeyboard)
{
    std::unique_ptr<hid::Backend> mainProgram = program();
    std::unique_ptr<hid::Backend> lcdProgram = program();
    QuietObserver observer;
    NoPauses sleeper;
    KeyboardLink link(*mainProgram, observer, sleeper);
    link.setAckTimeout(500ms);
    link.store().setKeymapPath((dir_ / "keymap.bin").string());
    link.store().CopyWorkingToShadow();
    ASSERT_TRUE(link.RegisterForDeviceChanges());
    link.StartUp();
    link.WaitForStartupRead();
    const auto deadline = std::chrono::steady_clock::now() + 5s;
    while (observer.loaded == 0 && std::chrono::steady_clock::now() < deadline)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    ASSERT_EQ(observer.loaded, 1);

    // An upload of many steps: every macro block and light map changes.
    ConfigImage& img = link.store().image();
    for (std::size_t b = 0; b < image::kMacroBlockCount; ++b)
        img[image::macroBlock(b) + 2] = static_cast<uint8_t>(b + 1);
    for (std::size_t m = 0; m < image::kLightMapCount; ++m)
        img[image::lightMap(m)] = static_cast<uint8_t>(0x10 + m);
    const ConfigImage sent = img;

    std::atomic<bool> stop{false};
    std::atomic<int> downloads{0}, failures{0};
    panelo::LcdPageImage page{};
    std::thread lcd([&] {
        while (!stop) {
            page.fill(static_cast<uint8_t>(downloads + 1));
            panelo::DownloadLcdImage(
                *lcdProgram, page, [] { return uint8_t{1}; },
                [&](const std::u16string& t) { (t == panelo::kMsgDownloadOk ? downloads : failures)++; });
        }
    });
    std::this_thread::sleep_for(20ms);
    const UploadResult result = link.UploadChanges();
    std::this_thread::sleep_for(20ms);
    stop = true;
    lcd.join();
    ASSERT_EQ(result, UploadResult::Uploaded);
    EXPECT_EQ(failures, 0);
    ASSERT_GT(downloads, 1);

    // Every LCD command is followed by its nine data reports, and none comes
    // between the upload's begin and end reports.
    const std::vector<TraceLine> lines = trace();
    std::size_t begin = lines.size(), end = 0;
    for (std::size_t i = 0; i < lines.size(); ++i)
        if (isCommand(lines[i], command::kConfigWrite)) {
            begin = std::min(begin, i);
            end = i;
        }
    ASSERT_LT(begin, end);
    for (std::size_t i = 0; i < lines.size(); ++i) {
        if (!isCommand(lines[i], kLcdCommand))
            continue;
        EXPECT_FALSE(i > begin && i < end)
            << "LCD command at line " << i << " inside the upload " << begin << ".." << end;
        ASSERT_LE(i + kLcdReports, lines.size() - 1 + 1);
        for (std::size_t k = 1; k <= kLcdReports && i + k < lines.size(); ++k)
            EXPECT_EQ(lines[i + k].op, "W") << "line " << i + k << " of the download at " << i;
    }

    // The keyboard holds both programs' last words.
    const std::vector<uint8_t> state = stateBytes();
    ASSERT_EQ(state.size(), 10'587u);
    for (std::size_t b = 0; b < image::kMacroBlockCount; ++b)
        EXPECT_EQ(state[image::macroBlock(b) + 2], sent[image::macroBlock(b) + 2]) << "macro block " << b;
    page.fill(static_cast<uint8_t>(downloads));
    EXPECT_TRUE(std::equal(page.begin(), page.end(), state.begin() + kLcdPageAt));
}

TEST_F(TwoPrograms, AnOperationGivesUpWhileAnotherProgramKeepsTheKeyboard)
{
    std::unique_ptr<hid::Backend> mainProgram = program();
    const std::string key = mainProgram->enumerate().at(0).deviceKey;
    ASSERT_FALSE(key.empty());
    std::string error;
    auto other = platform::ExchangeLock::acquire(key, 0ms, error);
    ASSERT_TRUE(other) << error;

    QuietObserver observer;
    NoPauses sleeper;
    KeyboardLink link(*mainProgram, observer, sleeper);
    link.store().setKeymapPath((dir_ / "keymap.bin").string());
    ASSERT_TRUE(link.OpenCommandInterface());
    const auto start = std::chrono::steady_clock::now();
    EXPECT_FALSE(link.RefreshFromKeyboard());
    EXPECT_LT(std::chrono::steady_clock::now() - start, kKeyboardHoldWait + 500ms);
    EXPECT_TRUE(trace().empty()) << "nothing sent while the other program holds the keyboard";

    other.reset();
    EXPECT_TRUE(link.RefreshFromKeyboard());
}

}   // namespace
}   // namespace orvane::link
