#include "platform/core/AtomicFile.h"
#include "tests/support/Folders.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace fs = std::filesystem;
using orvane::platform::writeFileAtomically;

namespace {

class AtomicFileTest : public ::testing::Test {
protected:
    static std::vector<uint8_t> contents(const fs::path& p)
    {
        std::ifstream in(p, std::ios::binary);
        return {std::istreambuf_iterator<char>(in), {}};
    }
    std::size_t entries() const { return std::distance(fs::directory_iterator(dir), fs::directory_iterator()); }

    orvane::test::TempFolder folder{"atomicfile"};
    fs::path dir = folder.path();
};

TEST_F(AtomicFileTest, WritesThePartsInOrderAndReplacesTheOldFile)
{
    const fs::path file = dir / "keymap.bin";
    const std::vector<uint8_t> a{1, 2, 3}, b{}, c{4, 5};
    ASSERT_TRUE(writeFileAtomically(file, {a, b, c}));
    EXPECT_EQ(contents(file), (std::vector<uint8_t>{1, 2, 3, 4, 5}));

    const std::vector<uint8_t> shorter{9};
    ASSERT_TRUE(writeFileAtomically(file, {shorter}));
    EXPECT_EQ(contents(file), shorter);
    EXPECT_EQ(entries(), 1u) << "no temporary file may be left behind";
}

TEST_F(AtomicFileTest, KeepsThePermissionsOfTheFileItReplaces)
{
    const fs::path file = dir / "MacroDefine.bin";
    const std::vector<uint8_t> bytes{7};
    ASSERT_TRUE(writeFileAtomically(file, {bytes}));
    ASSERT_EQ(::chmod(file.c_str(), 0640), 0);
    ASSERT_TRUE(writeFileAtomically(file, {bytes}));
    struct stat st {};
    ASSERT_EQ(::stat(file.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0640u);
}

TEST_F(AtomicFileTest, FailureLeavesTheOldFileUntouched)
{
    const std::vector<uint8_t> old{1, 2}, next{3};
    // A folder in the way: rename cannot replace a non-empty folder by a file.
    const fs::path blocked = dir / "Configure";
    fs::create_directories(blocked / "inside");
    EXPECT_FALSE(writeFileAtomically(blocked, {next}));
    EXPECT_TRUE(fs::is_directory(blocked / "inside"));

    // A folder that does not exist.
    EXPECT_FALSE(writeFileAtomically(dir / "missing" / "file.bin", {next}));

    if (::geteuid() != 0) {   // root writes into read-only folders
        const fs::path file = dir / "ro" / "keymap.bin";
        fs::create_directories(file.parent_path());
        ASSERT_TRUE(writeFileAtomically(file, {old}));
        fs::permissions(file.parent_path(), fs::perms::owner_read | fs::perms::owner_exec);
        EXPECT_FALSE(writeFileAtomically(file, {next}));
        fs::permissions(file.parent_path(), fs::perms::owner_all);
        EXPECT_EQ(contents(file), old);
    }
    for (const auto& e : fs::recursive_directory_iterator(dir))
        EXPECT_EQ(e.path().filename().string().rfind(".orvane-", 0), std::string::npos) << e.path();
}

// The temporary name must not add to the file's own: every name the folder takes can be written,
// up to 255 bytes (a 242-character name plus ".bin"; 83 CJK characters are 249 bytes). A longer
// one is refused before anything is written.
TEST_F(AtomicFileTest, LongFileNamesUpTo255BytesCanBeWritten)
{
    std::string cjk;
    for (int i = 0; i < 83; ++i)
        cjk += "\xE9\x85\x8D";   // 配
    const std::vector<uint8_t> bytes{1, 2, 3};
    for (const std::string& name : {std::string(242, 'p') + ".bin", std::string(255, 'q'), cjk + ".bin"}) {
        ASSERT_LE(name.size(), 255u);
        EXPECT_TRUE(writeFileAtomically(dir / name, {bytes})) << name.size() << " bytes: " << std::strerror(errno);
        EXPECT_EQ(contents(dir / name), bytes);
        EXPECT_TRUE(writeFileAtomically(dir / name, {bytes})) << "replacing " << name.size();
    }
    EXPECT_EQ(entries(), 3u);
    errno = 0;
    EXPECT_FALSE(writeFileAtomically(dir / std::string(256, 'r'), {bytes}));
    EXPECT_EQ(errno, ENAMETOOLONG);
    EXPECT_EQ(entries(), 3u) << "nothing may be written for a name that cannot exist";
}

// Whatever else is in the folder (a name a temporary file of an older version or of another
// program would have), a failed or successful write removes only what it created itself.
TEST_F(AtomicFileTest, NeverRemovesANameItDidNotCreate)
{
    const fs::path file = dir / "keymap.bin";
    const std::vector<uint8_t> other{0xEE};
    std::vector<fs::path> foreign;
    for (int n = 0; n < 64; ++n)
        foreign.push_back(dir / ("keymap.bin.tmp." + std::to_string(::getpid()) + "." + std::to_string(n)));
    foreign.push_back(dir / ".orvane-XXXXXX");
    for (const fs::path& p : foreign)
        std::ofstream(p, std::ios::binary).put(char(0xEE));
    const std::vector<uint8_t> bytes{5};
    for (int i = 0; i < 8; ++i)
        EXPECT_TRUE(writeFileAtomically(file, {bytes})) << std::strerror(errno);
    fs::create_directories(dir / "blocked" / "inside");
    EXPECT_FALSE(writeFileAtomically(dir / "blocked", {bytes}));
    for (const fs::path& p : foreign)
        EXPECT_EQ(contents(p), other) << p;
    EXPECT_EQ(entries(), foreign.size() + 2);
}

TEST_F(AtomicFileTest, CreateNeverReplacesAnExistingEntry)
{
    const fs::path file = dir / "state.bin";
    const std::vector<uint8_t> first{1}, second{2};
    ASSERT_TRUE(orvane::platform::createFileAtomically(file, {first}));
    errno = 0;
    EXPECT_FALSE(orvane::platform::createFileAtomically(file, {second}));
    EXPECT_EQ(errno, EEXIST);
    EXPECT_EQ(contents(file), first);
    EXPECT_EQ(entries(), 1u);
}

}   // namespace
