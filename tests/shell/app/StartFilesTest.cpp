// The main program as built, started on a data folder whose files are not what they should be:
// a FIFO, a device, a folder or a link to nothing at keymap.bin, MacroDefine.bin, VER.bin and
// PX840.conf; a special emulator state file; the temporary files of saves killed before their
// rename. The program starts and reads the keyboard, says once what it leaves alone, and leaves it.

#include <gtest/gtest.h>

#include <QFile>
#include <QProcess>
#include <QThread>

#include <chrono>
#include <csignal>
#include <filesystem>
#include <fstream>
#include <random>
#include <spawn.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

extern char** environ;

namespace orvane {
namespace {

namespace fs = std::filesystem;

enum class Kind { Fifo, Device, Folder, DanglingLink };

struct KindCase {
    Kind kind;
    const char* name;
};

const KindCase kKinds[] = {
    {Kind::Fifo, "FIFO"},
    {Kind::Device, "link to /dev/zero"},
    {Kind::Folder, "folder"},
    {Kind::DanglingLink, "link to nothing"},
};

void make(const fs::path& path, Kind kind)
{
    switch (kind) {
    case Kind::Fifo: ASSERT_EQ(::mkfifo(path.c_str(), 0600), 0); break;
    case Kind::Device: fs::create_symlink("/dev/zero", path); break;
    case Kind::Folder: fs::create_directories(path / "inside"); break;
    case Kind::DanglingLink: fs::create_symlink(path.string() + ".gone", path); break;
    }
}

bool stillThere(const fs::path& path, Kind kind)
{
    struct stat st {};
    if (::lstat(path.c_str(), &st) != 0)
        return false;
    switch (kind) {
    case Kind::Fifo: return S_ISFIFO(st.st_mode);
    case Kind::Device: return S_ISLNK(st.st_mode) && fs::read_symlink(path) == "/dev/zero";
    case Kind::Folder: return S_ISDIR(st.st_mode) && fs::exists(path / "inside");
    case Kind::DanglingLink: return S_ISLNK(st.st_mode) && !fs::exists(path.string() + ".gone");
    }
    return false;
}

int countOf(const QByteArray& text, const QByteArray& what)
{
    return int(text.count(what));
}

class StartFiles : public ::testing::Test {
protected:
    void SetUp() override
    {
        const QByteArray bin = qgetenv("ORVANE_BIN_DIR");
        program_ = QString::fromLocal8Bit(bin) + "/QX410-Orvane";
        // CTest builds the program before its tests: a missing one is a broken build, not a skip.
        ASSERT_FALSE(bin.isEmpty() || !QFile::exists(program_))
            << "QX410-Orvane is not built: " << program_.toStdString();
        std::string pattern = (fs::temp_directory_path() / "start-files-XXXXXX").string();
        ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
        root_ = pattern;
        fs::create_directories(data() / "Configure");
        fs::create_directories(root_ / "config");
        fs::create_directories(root_ / "run");
        fs::permissions(root_ / "run", fs::perms::owner_all);
    }
    void TearDown() override
    {
        if (!root_.empty())
            fs::remove_all(root_);
    }

    fs::path data() const { return root_ / "data"; }
    QString trace() const { return QString::fromStdString((root_ / "trace").string()); }

    QProcessEnvironment environment(const QString& hid) const
    {
        QProcessEnvironment env;
        for (const char* keep : {"PATH", "LANG", "ASAN_OPTIONS", "UBSAN_OPTIONS", "LSAN_OPTIONS"})
            if (qEnvironmentVariableIsSet(keep))
                env.insert(QLatin1String(keep), qEnvironmentVariable(keep));
        const QString root = QString::fromStdString(root_.string());
        env.insert("HOME", root);
        env.insert("XDG_CONFIG_HOME", root + "/config");
        env.insert("XDG_RUNTIME_DIR", root + "/run");
        env.insert("ORVANE_HOME", QString::fromStdString(data().string()));
        env.insert("QT_QPA_PLATFORM", "offscreen");
        env.insert("ORVANE_HID", hid);
        env.insert("ORVANE_HID_TRACE", trace());
        return env;
    }

    // Starts the program and waits until its start-up read of the keyboard is done (it ends with the
    // five light maps, command 0x92) and `stderrLines` lines are out; true when both came in time.
    bool startAndRead(QProcess& p, int stderrLines, QByteArray& err)
    {
        p.setProcessEnvironment(environment("emulator"));
        p.start(program_, {});
        if (!p.waitForStarted(10000))
            return false;
        const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(30);
        bool readAll = false;
        while (std::chrono::steady_clock::now() < until && p.state() == QProcess::Running) {
            p.waitForReadyRead(50);   // also takes in what arrived on stderr
            err += p.readAllStandardError();
            QFile f(trace());
            readAll = f.open(QIODevice::ReadOnly) && countOf(f.readAll(), " SF 00 92 ") >= 5;
            if (readAll && countOf(err, "\n") >= stderrLines)
                return true;
        }
        return false;
    }

    static void stop(QProcess& p)
    {
        p.terminate();
        if (!p.waitForFinished(10000))
            p.kill();
        p.waitForFinished(5000);
    }

    QString program_;
    fs::path root_;
};

// Every file the start reads at once, as each kind of thing: the start is not held, reads the
// keyboard, writes one line for each of the four and leaves them in place.
TEST_F(StartFiles, SpecialFilesNeitherHoldNorMisleadTheStart)
{
    const fs::path files[] = {data() / "keymap.bin", data() / "MacroDefine.bin", data() / "VER.bin",
                              root_ / "config" / "PX840.conf"};
    for (const KindCase& c : kKinds) {
        SCOPED_TRACE(c.name);
        for (const fs::path& f : files) {
            fs::remove_all(f);
            make(f, c.kind);
        }
        fs::remove(root_ / "trace");
        QProcess p;
        QByteArray err;
        const bool started = startAndRead(p, int(std::size(files)), err);
        const bool running = p.state() == QProcess::Running;
        stop(p);
        err += p.readAllStandardError();
        QFile traced(trace());
        EXPECT_TRUE(started) << "no complete start-up read, or fewer lines than files:\n"
                             << err.toStdString() << "trace:\n"
                             << (traced.open(QIODevice::ReadOnly) ? traced.readAll().right(2000).toStdString()
                                                                  : "none");
        EXPECT_TRUE(running) << "the program ended by itself:\n" << err.toStdString();
        for (const fs::path& f : files) {
            EXPECT_EQ(countOf(err, QByteArray::fromStdString(f.string() + " cannot be read")), 1) << f << "\n"
                                                                                                  << err.toStdString();
            EXPECT_TRUE(stillThere(f, c.kind)) << f << " was not left as it was";
        }
    }
}

// ORVANE_HID=emulator:PATH with such a thing at PATH: the program ends at once with one line and
// leaves it (a state file of the wrong size is refused the same way).
TEST_F(StartFiles, SpecialEmulatorStateFileEndsTheStartInOneLine)
{
    const fs::path state = root_ / "emulator.bin";
    for (const KindCase& c : kKinds) {
        SCOPED_TRACE(c.name);
        fs::remove_all(state);
        make(state, c.kind);
        QProcess p;
        p.setProcessEnvironment(environment("emulator:" + QString::fromStdString(state.string())));
        p.start(program_, {});
        ASSERT_TRUE(p.waitForStarted(10000));
        const bool ended = p.waitForFinished(15000);
        if (!ended)
            stop(p);
        const QByteArray err = p.readAllStandardError();
        EXPECT_TRUE(ended) << "still running";
        EXPECT_NE(p.exitCode(), 0);
        EXPECT_EQ(countOf(err, "\n"), 1) << err.toStdString();
        EXPECT_TRUE(err.contains(QByteArray::fromStdString(state.string()))) << err.toStdString();
        EXPECT_TRUE(stillThere(state, c.kind));
    }
}

// The temporary files of saves killed before their rename go at the next start; a name the writer
// would not make, a link, a FIFO, another user's file and a file a writer still holds stay.
TEST_F(StartFiles, TheStartRemovesWhatKilledSavesLeftAndNothingElse)
{
    const std::string writer = (fs::read_symlink("/proc/self/exe").parent_path() / "orvane_kill_writer").string();
    ASSERT_TRUE(fs::exists(writer)) << writer;
    const auto temporaries = [&] {
        std::vector<fs::path> found;
        for (const fs::path& where : {data(), data() / "Configure"})
            for (const fs::directory_entry& e : fs::directory_iterator(where)) {
                const std::string name = e.path().filename().string();
                if (name.size() == 14 && name.rfind(".orvane-", 0) == 0 && e.is_regular_file() && !e.is_symlink() &&
                    fs::file_size(e.path()) > 0)
                    found.push_back(e.path());
            }
        return found;
    };
    // Saves killed at random moments until some left their temporary file.
    std::mt19937 random(2024);
    const std::string folder = data().string() + "/";
    for (int k = 0; k < 400 && temporaries().size() < 2; ++k) {
        char* argv[] = {const_cast<char*>(writer.c_str()), const_cast<char*>(folder.c_str()), nullptr};
        pid_t pid = -1;
        ASSERT_EQ(::posix_spawn(&pid, writer.c_str(), nullptr, nullptr, argv, environ), 0);
        std::this_thread::sleep_for(std::chrono::microseconds(std::uniform_int_distribution<int>(0, 20'000)(random)));
        ::kill(pid, SIGKILL);
        int status = 0;
        ::waitpid(pid, &status, 0);
    }
    const std::vector<fs::path> leftovers = temporaries();
    ASSERT_FALSE(leftovers.empty()) << "no kill left a temporary file";

    const auto plant = [&](const fs::path& p) {
        std::ofstream(p, std::ios::binary) << "not ours";
        return p;
    };
    const fs::path outside = plant(root_ / "outside");
    std::vector<fs::path> kept{plant(data() / ".orvane-abcde"), plant(data() / ".orvane-abcdefg"),
                               plant(data() / "Configure" / "orvane-abcdef")};
    fs::create_symlink(outside, data() / ".orvane-Link00");
    kept.push_back(data() / ".orvane-Link00");
    ASSERT_EQ(::mkfifo((data() / "Configure" / ".orvane-Fifo00").c_str(), 0600), 0);
    kept.push_back(data() / "Configure" / ".orvane-Fifo00");
    const fs::path held = plant(data() / "Configure" / ".orvane-Held00");
    kept.push_back(held);
    const int holder = ::open(held.c_str(), O_RDONLY | O_CLOEXEC);
    ASSERT_EQ(::flock(holder, LOCK_EX), 0);   // as a writer at work holds it
    if (::geteuid() == 0) {
        const fs::path other = plant(data() / ".orvane-Other0");
        ASSERT_EQ(::chown(other.c_str(), 65534, 65534), 0);
        kept.push_back(other);
    }

    QProcess p;
    QByteArray err;
    EXPECT_TRUE(startAndRead(p, 0, err)) << err.toStdString();
    stop(p);
    ::close(holder);
    for (const fs::path& t : leftovers)
        EXPECT_FALSE(fs::exists(fs::symlink_status(t))) << t << " left by a killed save is still there";
    for (const fs::path& k : kept)
        EXPECT_TRUE(fs::exists(fs::symlink_status(k))) << k << " must be left";
    EXPECT_TRUE(fs::exists(outside));
    std::printf("temporary files left by kills and removed: %zu\n", leftovers.size());
}

}   // namespace
}   // namespace orvane
