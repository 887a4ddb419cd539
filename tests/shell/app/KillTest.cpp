// Writes that survive a kill: a process saving keymap.bin, MacroDefine.bin and a
// profile with the program's own writers is killed with SIGKILL at random
// moments; after every kill each file is whole, its old or its new content, and
// loads. Then the main program starts on what the kills left. A reader beside a
// running writer never sees a torn file either.

#include <gtest/gtest.h>

#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QThread>

#include <chrono>
#include <csignal>
#include <filesystem>
#include <fstream>
#include <random>
#include <spawn.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

#include "tests/shell/app/KillVersions.h"
#include "tests/support/ProgramFolder.h"

extern char** environ;

namespace orvane::killtest {
namespace {

namespace fs = std::filesystem;
using Bytes = std::vector<uint8_t>;

const char* const kFiles[] = {"keymap.bin", "MacroDefine.bin", kProfileName};

Bytes readFile(const fs::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

fs::path writerProgram()
{
    return fs::read_symlink("/proc/self/exe").parent_path() / "orvane_kill_writer";
}

pid_t startWriter(const std::string& folder)
{
    const std::string program = writerProgram().string();
    char* argv[] = {const_cast<char*>(program.c_str()), const_cast<char*>(folder.c_str()), nullptr};
    pid_t pid = -1;
    EXPECT_EQ(::posix_spawn(&pid, program.c_str(), nullptr, nullptr, argv, environ), 0) << program;
    return pid;
}

void killWriter(pid_t pid)
{
    ::kill(pid, SIGKILL);
    int status = 0;
    ::waitpid(pid, &status, 0);
}

class KillTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        for (int v = 0; v < 2; ++v) {
            const fs::path ref = root_ / ("ref" + std::to_string(v));
            fs::create_directories(ref / "Configure");
            ASSERT_TRUE(saveVersion(ref.string() + "/", v));
            for (std::size_t f = 0; f < std::size(kFiles); ++f)
                versions_[f][v] = readFile(ref / kFiles[f]);
        }
        data_ = root_ / "data";
        fs::create_directories(data_ / "Configure");
        ASSERT_TRUE(saveVersion(folder(), 0));
    }

    std::string folder() const { return data_.string() + "/"; }

    // Every file is one of its two versions, whole; counts the files looked at.
    void expectWhole(const char* when)
    {
        for (std::size_t f = 0; f < std::size(kFiles); ++f) {
            const Bytes now = readFile(data_ / kFiles[f]);
            ++checked_;
            if (now != versions_[f][0] && now != versions_[f][1]) {
                ++torn_;
                ADD_FAILURE() << kFiles[f] << " torn " << when << " (" << now.size() << " bytes)";
            }
        }
    }

    // What a start reads: each file loads completely.
    void expectLoads()
    {
        link::ConfigStore store;
        store.setKeymapPath(folder() + "keymap.bin");
        EXPECT_EQ(store.LoadKeymapFile(), link::KeymapLoad::Loaded);
        macro::MacroStore macros;
        EXPECT_EQ(macros.load(folder() + "MacroDefine.bin"), macro::LoadResult::Loaded);
        link::ConfigImage image{};
        link::KeyExtTable ext{};
        EXPECT_TRUE(profile::readProfileInto(folder() + kProfileName, image, ext));
    }

    orvane::test::TempFolder temp_{"kill-test"};
    fs::path root_ = temp_.path(), data_;
    Bytes versions_[std::size(kFiles)][2];
    int checked_ = 0, torn_ = 0;
};

TEST_F(KillTest, EveryKilledSaveLeavesOldOrNewFilesThatLoad)
{
    ASSERT_TRUE(fs::exists(writerProgram())) << writerProgram();
    const unsigned seed = std::random_device{}();
    std::mt19937 random(seed);
    std::uniform_int_distribution<int> moment(0, 25'000);   // microseconds after the start
    constexpr int kKills = 240;
    for (int k = 0; k < kKills; ++k) {
        const pid_t writer = startWriter(folder());
        ASSERT_GT(writer, 0);
        std::this_thread::sleep_for(std::chrono::microseconds(moment(random)));
        killWriter(writer);
        expectWhole(("after kill " + std::to_string(k) + ", seed " + std::to_string(seed)).c_str());
        if (HasFailure())
            break;
        expectLoads();
    }
    int leftovers = 0;   // temporary files of saves cut short
    for (const fs::path& where : {data_, data_ / "Configure"})
        for (const fs::directory_entry& e : fs::directory_iterator(where))
            leftovers += e.is_regular_file() && e.path().filename() != "keymap.bin" &&
                e.path().filename() != "MacroDefine.bin" && e.path().filename() != "Kill.bin";
    std::printf("kills: %d, files checked: %d, torn: %d, temporary files left: %d (seed %u)\n", kKills, checked_, torn_,
                leftovers, seed);
    EXPECT_EQ(torn_, 0);
}

TEST_F(KillTest, AReaderBesideASavingProcessSeesOnlyWholeFiles)
{
    const pid_t writer = startWriter(folder());
    ASSERT_GT(writer, 0);
    // At least a second and a half and 20 reads, however slow a loaded machine makes each read
    // (the writer saves until it is killed); a minute at most.
    constexpr int kReads = 20;
    const auto start = std::chrono::steady_clock::now();
    const auto atLeast = start + std::chrono::milliseconds(1500), atMost = start + std::chrono::seconds(60);
    int reads = 0;
    for (auto now = start; (reads < kReads || now < atLeast) && now < atMost && !HasFailure();
         now = std::chrono::steady_clock::now()) {
        expectWhole("while the writer runs");
        ++reads;
    }
    killWriter(writer);
    std::printf("reads beside the writer: %d, torn: %d\n", reads, torn_);
    EXPECT_GE(reads, kReads);
}

TEST_F(KillTest, TheMainProgramStartsOnWhatAKillLeft)
{
    const QString program = orvane::test::programFolder() + "QX410-Orvane";
    ASSERT_TRUE(QFileInfo(program).isExecutable()) << "QX410-Orvane is not built";
    std::mt19937 random(12345);
    for (int k = 0; k < 5; ++k) {
        const pid_t writer = startWriter(folder());
        std::this_thread::sleep_for(std::chrono::microseconds(std::uniform_int_distribution<int>(0, 20'000)(random)));
        killWriter(writer);
    }
    expectWhole("before the start");

    const fs::path home = root_ / "home";
    fs::create_directories(home / "run");
    fs::permissions(home / "run", fs::perms::owner_all);
    QProcessEnvironment env;
    for (const char* keep : {"PATH", "LANG", "ASAN_OPTIONS", "UBSAN_OPTIONS", "LSAN_OPTIONS", "TSAN_OPTIONS"})
        if (qEnvironmentVariableIsSet(keep))
            env.insert(QLatin1String(keep), qEnvironmentVariable(keep));
    const QString homeDir = QString::fromStdString(home.string());
    env.insert("HOME", homeDir);
    env.insert("XDG_CONFIG_HOME", homeDir + "/config");
    env.insert("XDG_RUNTIME_DIR", homeDir + "/run");
    env.insert("ORVANE_HOME", QString::fromStdString(data_.string()));
    env.insert("QT_QPA_PLATFORM", "offscreen");
    env.insert("ORVANE_HID", "emulator");
    const QString trace = homeDir + "/trace";
    env.insert("ORVANE_HID_TRACE", trace);
    QProcess p;
    p.setProcessEnvironment(env);
    p.start(program, {});
    ASSERT_TRUE(p.waitForStarted(10000));
    // The start-up read-all ends with the light maps (command 0x92).
    const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(30);
    bool readAll = false;
    while (!readAll && std::chrono::steady_clock::now() < until && p.state() == QProcess::Running) {
        QThread::msleep(50);
        QFile f(trace);
        readAll = f.open(QIODevice::ReadOnly) && f.readAll().count(" SF 00 92 ") == 5;
    }
    EXPECT_TRUE(readAll) << p.readAllStandardError().toStdString();
    EXPECT_EQ(p.state(), QProcess::Running) << "the program ended by itself";
    p.terminate();
    if (!p.waitForFinished(10000))
        p.kill();
    p.waitForFinished(5000);
    expectLoads();
}

}   // namespace
}   // namespace orvane::killtest
