// What stands at the name of a file the programs read may be no file at all: a FIFO (which would
// hold a plain open until someone writes into it), a device that never ends, a folder, a link that
// leads nowhere. Each reader of the programs is run here over each of them, and over a regular
// file as the control: none waits, none takes the thing for the file, each treats it as a missing
// file without creating one, and the thing is left where it was.

#include <gtest/gtest.h>

#include <QGuiApplication>
#include <QImage>
#include <QString>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <condition_variable>
#include <mutex>
#include <thread>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "emulator/EmulatorState.h"
#include "link/ConfigStore.h"
#include "macro/MacroStore.h"
#include "panelo/img/inifile.h"
#include "panelo/img/skinfile.h"
#include "panelo/lcd/Dumps.h"
#include "platform/core/RegularFile.h"
#include "platform/core/Settings.h"
#include "platform/core/VersionFile.h"
#include "platform/ui/SkinImages.h"
#include "profile/ProfileFolder.h"

namespace orvane {
namespace {

namespace fs = std::filesystem;
using Bytes = std::vector<uint8_t>;

enum class Kind { Regular, Fifo, Device, Folder, DanglingLink };

struct KindCase {
    Kind kind;
    const char* name;
    const char* said;   // what the stderr line says it is
};

// The device is reached through a link, as a file a user could plant would reach it.
const KindCase kKinds[] = {
    {Kind::Regular, "regular file", ""},
    {Kind::Fifo, "FIFO", "a FIFO, not a regular file"},
    {Kind::Device, "link to /dev/zero", "a character device, not a regular file"},
    {Kind::Folder, "folder", "a folder, not a regular file"},
    {Kind::DanglingLink, "link to nothing", "a link to nothing"},
};

Bytes readAll(const fs::path& p)
{
    std::ifstream in(p, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

void writeAll(const fs::path& p, const Bytes& bytes)
{
    std::ofstream(p, std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
}

// What kind of entry the name has now (the entry itself, links not followed), and where a link leads.
std::string entryOf(const fs::path& p)
{
    struct stat st {};
    if (::lstat(p.c_str(), &st) != 0)
        return "nothing";
    if (S_ISLNK(st.st_mode))
        return "link to " + fs::read_symlink(p).string();
    if (S_ISFIFO(st.st_mode))
        return "FIFO";
    if (S_ISDIR(st.st_mode))
        return "folder";
    return S_ISREG(st.st_mode) ? "regular file" : "other";
}

class SpecialFiles : public ::testing::Test {
protected:
    void SetUp() override
    {
        std::string pattern = (fs::temp_directory_path() / "special-files-XXXXXX").string();
        ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
        root_ = pattern;
    }
    void TearDown() override { fs::remove_all(root_); }

    // Puts `kind` at `path`; a regular file holds `regular`.
    static void make(const fs::path& path, Kind kind, const Bytes& regular)
    {
        fs::remove_all(path);
        switch (kind) {
        case Kind::Regular: writeAll(path, regular); break;
        case Kind::Fifo: ASSERT_EQ(::mkfifo(path.c_str(), 0600), 0); break;
        case Kind::Device: fs::create_symlink("/dev/zero", path); break;
        case Kind::Folder: fs::create_directories(path / "inside"); break;
        case Kind::DanglingLink: fs::create_symlink(path.string() + ".gone", path); break;
        }
    }

    // Runs `read` as the program would (on this thread: the skin images need the GUI thread), with
    // a watchdog that gives up on it after a few seconds: a reader waiting on the FIFO is freed by
    // opening the FIFO's other end, and the case fails. Returns what the reader wrote to stderr.
    static std::string runWithoutWaiting(const fs::path& path, const std::function<void()>& read)
    {
        std::mutex m;
        std::condition_variable cv;
        bool done = false, waited = false;
        std::thread watchdog([&] {
            std::unique_lock lock(m);
            if (cv.wait_for(lock, std::chrono::seconds(5), [&] { return done; }))
                return;
            waited = true;
            const int writer = ::open(path.c_str(), O_WRONLY | O_NONBLOCK | O_CLOEXEC);
            if (writer >= 0)
                ::close(writer);   // end of file for the waiting reader
        });
        ::testing::internal::CaptureStderr();
        read();
        const std::string err = ::testing::internal::GetCapturedStderr();
        {
            std::lock_guard lock(m);
            done = true;
        }
        cv.notify_one();
        watchdog.join();
        EXPECT_FALSE(waited) << path << ": the reader was still waiting after 5 s";
        return err;
    }

    static void SetUpTestSuite()
    {
        static int argc = 1;
        static char name[] = "platform_special_files_test";
        static char* argv[] = {name, nullptr};
        if (!qGuiApp)
            app_ = new QGuiApplication(argc, argv);   // skin images are pixmaps too
    }
    static inline QGuiApplication* app_ = nullptr;

    // Checks what every special case shares: the thing is where it was, and when the reader is one
    // that says so, one stderr line names the file and what it is.
    static void expectLeftInPlace(const fs::path& path, const KindCase& c, const std::string& before,
                                  const std::string& err, bool saysSo)
    {
        EXPECT_EQ(entryOf(path), before) << c.name;
        if (!saysSo)
            return;
        if (c.kind == Kind::Regular) {
            EXPECT_EQ(err, "") << c.name;
            return;
        }
        EXPECT_EQ(std::count(err.begin(), err.end(), '\n'), 1) << c.name << ": " << err;
        EXPECT_NE(err.find(path.string()), std::string::npos) << err;
        EXPECT_NE(err.find(c.said), std::string::npos) << c.name << ": " << err;
    }

    fs::path root_;
};

TEST_F(SpecialFiles, KeymapBin)
{
    const fs::path path = root_ / "keymap.bin";
    Bytes regular(link::kKeymapFileSize, 0);
    regular[link::image::kBrightness] = 33;
    for (const KindCase& c : kKinds) {
        make(path, c.kind, regular);
        const std::string before = entryOf(path);
        auto store = std::make_unique<link::ConfigStore>();
        store->setKeymapPath(path.string());
        link::KeymapLoad result{};
        const std::string err = runWithoutWaiting(path, [&] { result = store->LoadKeymapFile(); });
        if (c.kind == Kind::Regular) {
            EXPECT_EQ(result, link::KeymapLoad::Loaded);
            EXPECT_EQ(store->image()[link::image::kBrightness], 33);
            continue;
        }
        EXPECT_EQ(result, link::KeymapLoad::Unreadable) << c.name;
        EXPECT_TRUE(store->keymapLeftAlone()) << c.name;
        EXPECT_FALSE(store->SaveKeymapFile()) << c.name << ": a later save must not replace it";
        expectLeftInPlace(path, c, before, err, false);   // the start-up says it (Session)
    }
}

TEST_F(SpecialFiles, MacroDefineBin)
{
    const fs::path path = root_ / "MacroDefine.bin";
    macro::MacroStore named;
    ASSERT_TRUE(macro::setRecordName(named.saved()[0], u"Kept"));
    const Bytes regular = macro::MacroStore::toBytes(named.saved());
    for (const KindCase& c : kKinds) {
        make(path, c.kind, regular);
        const std::string before = entryOf(path);
        macro::MacroStore store;
        macro::LoadResult result{};
        const std::string err = runWithoutWaiting(path, [&] { result = store.load(path.string()); });
        if (c.kind == Kind::Regular) {
            EXPECT_EQ(result, macro::LoadResult::Loaded);
            EXPECT_EQ(macro::recordName(store.saved()[0]), u"Kept");
            EXPECT_TRUE(store.save(path.string()));
            continue;
        }
        EXPECT_EQ(result, macro::LoadResult::Unreadable) << c.name;
        EXPECT_EQ(macro::MacroStore::countInUse(store.saved()), 0u) << c.name << ": as with no file";
        EXPECT_TRUE(store.leftAlone());
        // The macro manager's OK saves: the thing stays for the whole run.
        ASSERT_TRUE(macro::setRecordName(store.saved()[0], u"New"));
        EXPECT_FALSE(store.save(path.string())) << c.name;
        expectLeftInPlace(path, c, before, err, true);
    }
}

TEST_F(SpecialFiles, VerBin)
{
    const fs::path path = root_ / "VER.bin";
    const Bytes regular{'V', 'E', 'R', ' ', 'v', '2', '.', '7', '\n'};
    for (const KindCase& c : kKinds) {
        make(path, c.kind, regular);
        const std::string before = entryOf(path);
        platform::FirmwareVersion version{9, 9};
        const std::string err = runWithoutWaiting(path, [&] { version = platform::ReadVersionFile(path.string()); });
        EXPECT_EQ(version, (c.kind == Kind::Regular ? platform::FirmwareVersion{2, 7} : platform::FirmwareVersion{}))
            << c.name;
        expectLeftInPlace(path, c, before, err, true);
    }
}

TEST_F(SpecialFiles, SettingsFile)
{
    const fs::path path = root_ / "PX840.conf";
    const std::string text = "[General]\nLanguage=chinese\n";
    for (const KindCase& c : kKinds) {
        make(path, c.kind, Bytes(text.begin(), text.end()));
        const std::string before = entryOf(path);
        bool chinese = false;
        const std::string err = runWithoutWaiting(path, [&] { chinese = platform::Settings(path.string()).chinese(); });
        EXPECT_EQ(chinese, c.kind == Kind::Regular) << c.name;
        expectLeftInPlace(path, c, before, err, true);
    }
}

TEST_F(SpecialFiles, Profiles)
{
    const fs::path folder = root_ / "Configure";
    fs::create_directories(folder);
    const fs::path path = folder / "Game.bin";
    Bytes regular(profile::kProfileFileSize, 0x11);
    for (const KindCase& c : kKinds) {
        make(path, c.kind, regular);
        const std::string before = entryOf(path);
        auto image = std::make_unique<link::ConfigImage>();
        auto ext = std::make_unique<link::KeyExtTable>();
        (*image)[0] = 0x55;
        bool read = false;
        link::RealSleeper sleeper;
        profile::ProfileFolder profiles(folder.string(), sleeper);
        const std::string err = runWithoutWaiting(path, [&] {
            read = profile::readProfileInto(path.string(), *image, *ext);
            profiles.Scan();
        });
        EXPECT_EQ(read, c.kind == Kind::Regular) << c.name;
        EXPECT_EQ((*image)[0], c.kind == Kind::Regular ? 0x11 : 0x55) << c.name << ": the image as it was";
        EXPECT_EQ(profiles.count(), c.kind == Kind::Regular ? 1 : 0) << c.name << ": listed only as a file";
        expectLeftInPlace(path, c, before, err, false);   // the panel says it in its own message
    }
}

TEST_F(SpecialFiles, EmulatorStateFile)
{
    const fs::path path = root_ / "emulator.bin";
    const hid::StateBytes bytes = hid::encodeState(hid::factoryState());
    for (const KindCase& c : kKinds) {
        make(path, c.kind, Bytes(bytes.begin(), bytes.end()));
        const std::string before = entryOf(path);
        std::unique_ptr<hid::StateFile> file;
        std::string error;
        const std::string err = runWithoutWaiting(path, [&] { file = hid::StateFile::open(path.string(), error); });
        if (c.kind == Kind::Regular) {
            EXPECT_NE(file, nullptr) << error;
            continue;
        }
        // The program ends with this one line (a state file of the wrong size is refused the same way).
        EXPECT_EQ(file, nullptr) << c.name;
        EXPECT_NE(error.find(path.string()), std::string::npos) << error;
        EXPECT_NE(error.find(c.said), std::string::npos) << c.name << ": " << error;
        expectLeftInPlace(path, c, before, err, false);
    }
}

TEST_F(SpecialFiles, SkinImages)
{
    const fs::path path = root_ / "Back.png";
    QImage red(4, 3, QImage::Format_RGB32);
    red.fill(Qt::red);
    ASSERT_TRUE(red.save(QString::fromStdString((root_ / "red.png").string()), "PNG"));
    const Bytes png = readAll(root_ / "red.png");
    for (const KindCase& c : kKinds) {
        make(path, c.kind, png);
        const std::string before = entryOf(path);
        QImage image;
        QSize size;
        const std::string err = runWithoutWaiting(path, [&] {
            const ui::SkinImages images(QString::fromStdString(root_.string()), 1);
            size = images.size(QStringLiteral("back.png"));
            image = images.image(QStringLiteral("back.png"));
        });
        EXPECT_EQ(image.isNull(), c.kind != Kind::Regular) << c.name;
        EXPECT_EQ(image.size(), c.kind == Kind::Regular ? QSize(4, 3) : QSize(0, 0)) << c.name;
        EXPECT_EQ(size, c.kind == Kind::Regular ? QSize(4, 3) : QSize(0, 0)) << c.name;
        expectLeftInPlace(path, c, before, err, true);
    }
}

// Lumetra's skin INI (and every skin file) is read only from a regular file of at most 1 MiB, never
// through a link: what it wrote itself.
TEST_F(SpecialFiles, LumetraSkinIni)
{
    const fs::path path = root_ / "main_Eng.ini";
    const std::string text = "[SCREEN]\r\nMain=main_normal_Eng.jpg\r\n";
    const auto mainOf = [&] {
        panelo::CIniFile ini;
        EXPECT_TRUE(ini.SetPath(QString::fromStdString(path.string())));
        return ini.GetString("SCREEN", "Main", "none").value_or("");
    };
    for (const KindCase& c : kKinds) {
        make(path, c.kind, Bytes(text.begin(), text.end()));
        const std::string before = entryOf(path);
        QString main;
        const std::string err = runWithoutWaiting(path, [&] { main = mainOf(); });
        EXPECT_EQ(main, c.kind == Kind::Regular ? "main_normal_Eng.jpg" : "none") << c.name;
        expectLeftInPlace(path, c, before, err, false);   // the dialog names the file it could not load
    }
    // A link to a good INI is no INI of ours.
    fs::remove(path);
    writeAll(root_ / "elsewhere.ini", Bytes(text.begin(), text.end()));
    fs::create_symlink(root_ / "elsewhere.ini", path);
    EXPECT_EQ(mainOf(), "none");
    // Past the limit nothing is read, though the key is in the first bytes.
    fs::remove(path);
    writeAll(path, Bytes(text.begin(), text.end()));
    fs::resize_file(path, (1 << 20) + 1);
    EXPECT_EQ(mainOf(), "none");
    fs::resize_file(path, 1 << 20);
    EXPECT_EQ(mainOf(), "main_normal_Eng.jpg");
}

// Lumetra's dumps are written, not read, and never said: a dump must not change what it records.
TEST_F(SpecialFiles, LumetraDumps)
{
    ::setenv("LUMETRA_DUMP_DIR", root_.c_str(), 1);
    const fs::path path = root_ / "McuPixel.bin";
    const Bytes dump{1, 2, 3};
    for (const KindCase& c : kKinds) {
        make(path, c.kind, Bytes{9, 9, 9, 9, 9});
        const std::string before = entryOf(path);
        const std::string err = runWithoutWaiting(path, [&] { panelo::WriteDump("McuPixel.bin", dump); });
        if (c.kind == Kind::Regular) {
            EXPECT_EQ(readAll(path), dump);
            continue;
        }
        expectLeftInPlace(path, c, before, err, false);
        EXPECT_FALSE(fs::exists(path.string() + ".gone")) << "nothing written through the link";
    }
    ::unsetenv("LUMETRA_DUMP_DIR");
}

// The shared reader itself: a limit is a limit, and the buffer follows what is there.
TEST_F(SpecialFiles, ReaderStopsAtItsLimit)
{
    const fs::path path = root_ / "big";
    writeAll(path, Bytes(1000, 7));
    const platform::FileRead whole = platform::readRegularFile(path.string(), 1000);
    EXPECT_TRUE(whole.ok());
    EXPECT_EQ(whole.bytes.size(), 1000u);
    EXPECT_FALSE(whole.truncated);
    const platform::FileRead cut = platform::readRegularFile(path.string(), 999);
    EXPECT_EQ(cut.bytes.size(), 999u);
    EXPECT_TRUE(cut.truncated);
    EXPECT_EQ(platform::readRegularFile((root_ / "none").string(), 10).status, platform::FileStatus::Missing);
    fs::create_symlink(path, root_ / "link");
    EXPECT_EQ(platform::readRegularFile((root_ / "link").string(), 10, platform::FollowLinks::No).status,
              platform::FileStatus::Link);
    EXPECT_EQ(platform::readRegularFile((root_ / "link").string(), 10).bytes.size(), 10u);
}

}   // namespace
}   // namespace orvane
