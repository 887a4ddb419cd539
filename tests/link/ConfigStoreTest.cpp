// The working and shadow pairs, keymap.bin and the upload's change detection.

#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <cstdio>
#include <future>
#include <fcntl.h>
#include <filesystem>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>
#include <fstream>
#include <functional>
#include <vector>

#include "model/KeyTables.h"
#include "link/ConfigStore.h"
#include "tests/support/Folders.h"

namespace orvane::link {
namespace {

namespace fs = std::filesystem;

class KeymapFile : public ::testing::Test {
protected:
    void SetUp() override
    {
        store_ = std::make_unique<ConfigStore>();
        store_->setKeymapPath((dir_ / "keymap.bin").string());
    }

    static std::vector<uint8_t> pattern(std::size_t size, uint8_t seed)
    {
        std::vector<uint8_t> v(size);
        for (std::size_t i = 0; i < size; ++i)
            v[i] = static_cast<uint8_t>(i * 31 + seed + i / 251);
        return v;
    }
    void writeFile(const std::vector<uint8_t>& bytes)
    {
        std::ofstream(store_->keymapPath(), std::ios::binary)
            .write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    }
    std::vector<uint8_t> readFile() const
    {
        std::ifstream in(store_->keymapPath(), std::ios::binary);
        return {std::istreambuf_iterator<char>(in), {}};
    }
    // What a load must leave of `file`: byte 0 of records 0..112 from the key table.
    static std::vector<uint8_t> withKeyCodes(std::vector<uint8_t> file)
    {
        for (std::size_t k = 0; k < keymap::kKeyCount; ++k)
            file[kConfigImageSize + k * kKeyExtRecordSize] = keymap::KeyLayoutTable[k].vk;
        return file;
    }

    orvane::test::TempFolder folder_{"link-store"};
    fs::path dir_ = folder_.path();
    std::unique_ptr<ConfigStore> store_;
};

TEST_F(KeymapFile, RoundTripKeepsEveryByteButTheKeyCodes)
{
    const std::vector<uint8_t> original = pattern(kKeymapFileSize, 5);
    writeFile(original);
    ASSERT_EQ(store_->LoadKeymapFile(), KeymapLoad::Loaded);
    EXPECT_TRUE(std::equal(store_->image().begin(), store_->image().end(), original.begin()));
    EXPECT_EQ(store_->extTable()[200][5], original[kConfigImageSize + 200 * kKeyExtRecordSize + 5]);
    ASSERT_TRUE(store_->SaveKeymapFile());
    const std::vector<uint8_t> saved = readFile();
    EXPECT_EQ(saved, withKeyCodes(original));
    EXPECT_NE(saved, original) << "the pattern must differ from the key table somewhere";
}

TEST_F(KeymapFile, ShortFileFillsWhatItHolds)
{
    store_->image().fill(0xAA);
    for (KeyExtRecord& r : store_->extTable())
        r.fill(0xBB);
    // Part of the image only.
    writeFile(pattern(5000, 1));
    ASSERT_EQ(store_->LoadKeymapFile(), KeymapLoad::Loaded);
    EXPECT_EQ(store_->image()[4999], pattern(5000, 1)[4999]);
    EXPECT_EQ(store_->image()[5000], 0xAA);
    EXPECT_EQ(store_->extTable()[200][1], 0xBB);

    // The image and part of the table.
    const std::vector<uint8_t> partial = pattern(kConfigImageSize + 1000, 2);
    writeFile(partial);
    ASSERT_EQ(store_->LoadKeymapFile(), KeymapLoad::Loaded);
    EXPECT_EQ(store_->extTable()[1][1000 - kKeyExtRecordSize - 1], partial.back());
    EXPECT_EQ(store_->extTable()[1][1000 - kKeyExtRecordSize], 0xBB);
    EXPECT_EQ(store_->extTable()[0][0], keymap::KeyLayoutTable[0].vk);
}

TEST_F(KeymapFile, OversizedFileGivesItsFirstBytes)
{
    std::vector<uint8_t> big = pattern(kKeymapFileSize + 4096, 9);
    writeFile(big);
    ASSERT_EQ(store_->LoadKeymapFile(), KeymapLoad::Loaded);
    ASSERT_TRUE(store_->SaveKeymapFile());
    big.resize(kKeymapFileSize);
    EXPECT_EQ(readFile(), withKeyCodes(big));
}

TEST_F(KeymapFile, MissingFileIsCreatedFromTheWorkingImage)
{
    store_->image().fill(0x42);
    store_->extTable()[7].fill(0x99);
    ASSERT_EQ(store_->LoadKeymapFile(), KeymapLoad::Created);
    EXPECT_EQ(store_->extTable()[7][3], 0) << "the table starts empty";
    std::vector<uint8_t> expected(kKeymapFileSize, 0);
    std::fill_n(expected.begin(), kConfigImageSize, 0x42);
    EXPECT_EQ(readFile(), withKeyCodes(expected));
}

TEST_F(KeymapFile, UnwritablePlaceLosesNothing)
{
    store_->setKeymapPath((dir_ / "no-such-folder" / "keymap.bin").string());
    store_->image().fill(0x42);
    EXPECT_EQ(store_->LoadKeymapFile(), KeymapLoad::CreateFailed);
    EXPECT_FALSE(store_->SaveKeymapFile());
    EXPECT_EQ(store_->image()[100], 0x42);
}

// A save that fails half-way (the file size limit stops the write, as a full disk would; root
// too) or at once (a read-only folder, where the process's rights respect it) leaves the previous
// file whole and nothing else behind.
TEST_F(KeymapFile, FailedSaveLeavesThePreviousFileWhole)
{
    store_->setKeymapPath((dir_ / "keymap.bin").string());
    const std::vector<uint8_t> original = pattern(kKeymapFileSize, 3);
    const auto entries = [this] {
        std::vector<std::string> names;
        for (const auto& e : fs::directory_iterator(dir_))
            names.push_back(e.path().filename().string());
        return names;
    };

    writeFile(original);
    {
        struct rlimit old {};
        ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &old), 0);
        void (*oldHandler)(int) = std::signal(SIGXFSZ, SIG_IGN);
        struct rlimit small = old;
        small.rlim_cur = 4096;
        ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &small), 0);
        const bool saved = store_->SaveKeymapFile();
        ::setrlimit(RLIMIT_FSIZE, &old);
        std::signal(SIGXFSZ, oldHandler);
        EXPECT_FALSE(saved) << "a write cut short is a failed save";
    }
    EXPECT_EQ(readFile(), original);
    EXPECT_EQ(entries(), std::vector<std::string>{"keymap.bin"});

    fs::permissions(dir_, fs::perms::owner_read | fs::perms::owner_exec);
    if (::access(dir_.c_str(), W_OK) != 0) {   // root writes into a read-only folder all the same
        EXPECT_FALSE(store_->SaveKeymapFile());
        fs::permissions(dir_, fs::perms::owner_all);
        EXPECT_EQ(readFile(), original);
        EXPECT_EQ(entries(), std::vector<std::string>{"keymap.bin"});
    }
    fs::permissions(dir_, fs::perms::owner_all);
}

// A keymap.bin the program cannot read may hold the user's work: no save of the run replaces it.
TEST_F(KeymapFile, UnreadableOrSpecialFileIsLeftAloneForTheWholeRun)
{
    const std::string path = store_->keymapPath();
    const std::vector<uint8_t> work = pattern(kKeymapFileSize, 3);
    struct Case {
        const char* name;
        std::function<void()> make;
        std::function<bool()> unchanged;
    };
    std::vector<Case> cases = {
        {"a link that points at itself", [&] { fs::create_symlink("keymap.bin", path); },
         [&] { return fs::is_symlink(path) && fs::read_symlink(path) == "keymap.bin"; }},
        {"a folder", [&] { fs::create_directory(path); }, [&] { return fs::is_directory(path); }},
        // These would block the start (a FIFO until someone writes to it) or be replaced by a
        // regular file at the first save.
        {"a FIFO", [&] { ::mkfifo(path.c_str(), 0600); }, [&] { return fs::is_fifo(path); }},
        {"a link to a device", [&] { fs::create_symlink("/dev/null", path); },
         [&] { return fs::is_symlink(path) && fs::read_symlink(path) == "/dev/null"; }},
        {"a dangling link", [&] { fs::create_symlink("nowhere.bin", path); },
         [&] { return fs::is_symlink(path) && !fs::exists(path); }},
    };
    if (::geteuid() != 0)   // root reads any file
        cases.push_back({"a file without read permission",
                         [&] {
                             writeFile(work);
                             ::chmod(path.c_str(), 0200);
                         },
                         [&] {
                             ::chmod(path.c_str(), 0600);
                             return readFile() == work;
                         }});
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        fs::remove_all(path);
        store_ = std::make_unique<ConfigStore>();
        store_->setKeymapPath(path);
        c.make();
        store_->image()[5] = 0x77;
        // A load that blocks is released (a writer opens the FIFO) and counted as a failure.
        auto load = std::async(std::launch::async, [&] { return store_->LoadKeymapFile(); });
        if (load.wait_for(std::chrono::seconds(2)) == std::future_status::timeout) {
            ADD_FAILURE() << "the load blocked";
            const int fd = ::open(path.c_str(), O_WRONLY | O_NONBLOCK);
            if (fd >= 0)
                ::close(fd);
        }
        EXPECT_EQ(load.get(), KeymapLoad::Unreadable);
        EXPECT_TRUE(store_->keymapLeftAlone());
        EXPECT_NE(store_->keymapError(), 0);
        EXPECT_EQ(store_->image()[5], 0x77) << "nothing loaded";
        EXPECT_FALSE(store_->SaveKeymapFile(KeymapSource::Working));
        EXPECT_FALSE(store_->SaveKeymapFile(KeymapSource::Shadow));
        EXPECT_EQ(store_->LoadKeymapFile(), KeymapLoad::Unreadable);
        EXPECT_TRUE(c.unchanged());
    }
}

TEST_F(KeymapFile, SkipFlagKeepsTheImageForOneLoad)
{
    writeFile(pattern(kKeymapFileSize, 4));
    store_->image().fill(0x11);
    store_->setKeymapSkipImage(true);
    ASSERT_EQ(store_->LoadKeymapFile(), KeymapLoad::Loaded);
    EXPECT_EQ(store_->image()[20], 0x11);
    EXPECT_EQ(store_->extTable()[150][9], pattern(kKeymapFileSize, 4)[kConfigImageSize + 150 * kKeyExtRecordSize + 9]);
    EXPECT_FALSE(store_->keymapSkipImage());
    ASSERT_EQ(store_->LoadKeymapFile(), KeymapLoad::Loaded);
    EXPECT_EQ(store_->image()[20], pattern(kKeymapFileSize, 4)[20]);
}

TEST_F(KeymapFile, ShadowPairIsSavedOnRequestAndCopiesGoBothWays)
{
    store_->image().fill(1);
    store_->extTable()[0].fill(2);
    store_->CopyWorkingToShadow();
    store_->image().fill(3);
    store_->extTable()[0].fill(4);
    ASSERT_TRUE(store_->SaveKeymapFile(KeymapSource::Shadow));
    const std::vector<uint8_t> file = readFile();
    EXPECT_EQ(file[0], 1);
    EXPECT_EQ(file[kConfigImageSize + 1], 2);
    store_->CopyShadowToWorking();
    EXPECT_EQ(store_->image()[9], 1);
    EXPECT_EQ(store_->extTable()[0][9], 2);
}

TEST(ChangeDetection, FindsEachAreaOnItsOwn)
{
    struct Case {
        const char* name;
        std::size_t offset;
        std::function<bool(const ChangedAreas&)> flag;
    };
    const Case cases[] = {
        {"report rate", image::kReportRate, [](const ChangedAreas& c) { return c.reportRate; }},
        {"key map end", image::kKeyCodeBlock + 511, [](const ChangedAreas& c) { return c.keyMap; }},
        {"macro 0", image::macroBlock(0), [](const ChangedAreas& c) { return c.macroBlocks[0]; }},
        {"macro 31 end", image::macroBlock(31) + 191, [](const ChangedAreas& c) { return c.macroBlocks[31]; }},
        {"response time", image::kResponseTime, [](const ChangedAreas& c) { return c.responseTime; }},
        {"direction", image::kDirection, [](const ChangedAreas& c) { return c.lighting; }},
        {"effect", image::kEffect, [](const ChangedAreas& c) { return c.lighting; }},
        {"last colour byte", image::colourEntry(6) + 2, [](const ChangedAreas& c) { return c.colours; }},
        {"game mode", image::kGameMode, [](const ChangedAreas& c) { return c.gameMode; }},
        {"key enable end", image::kKeyEnable + 17, [](const ChangedAreas& c) { return c.keyEnable; }},
        {"light map 4 end", image::lightMap(4) + 511, [](const ChangedAreas& c) { return c.lightMaps[4]; }},
    };
    const ConfigImage shadow{};
    for (const Case& c : cases) {
        ConfigImage working{};
        working[c.offset] = 1;
        const ChangedAreas changed = DetectChanges(working, shadow);
        EXPECT_TRUE(c.flag(changed)) << c.name;
        EXPECT_EQ(changed.anyStep(), !changed.lighting) << c.name << ": exactly one area";
        int flags = changed.colours + changed.gameMode + changed.reportRate + changed.responseTime + changed.keyMap +
            changed.keyEnable + changed.lighting;
        for (bool b : changed.macroBlocks)
            flags += b;
        for (bool b : changed.lightMaps)
            flags += b;
        EXPECT_EQ(flags, 1) << c.name;
    }
    for (std::size_t reserved :
         {std::size_t{0}, std::size_t{12}, std::size_t{791}, std::size_t{7448}, image::kWinLock}) {
        ConfigImage working{};
        working[reserved] = 1;
        EXPECT_FALSE(DetectChanges(working, shadow).any()) << "reserved byte " << reserved;
    }
}

}   // namespace
}   // namespace orvane::link
