#include "platform/core/AtomicFile.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sys/stat.h>
#include <vector>

namespace fs = std::filesystem;
using orvane::platform::writeFileAtomically;

namespace {

class AtomicFileTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        std::string pattern = (fs::temp_directory_path() / "atomicfile-XXXXXX").string();
        ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
        dir = pattern;
    }
    void TearDown() override { fs::remove_all(dir); }

    static std::vector<uint8_t> contents(const fs::path& p)
    {
        std::ifstream in(p, std::ios::binary);
        return {std::istreambuf_iterator<char>(in), {}};
    }
    std::size_t entries() const { return std::distance(fs::directory_iterator(dir), fs::directory_iterator()); }

    fs::path dir;
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
        EXPECT_EQ(e.path().filename().string().find(".tmp."), std::string::npos) << e.path();
}

} // namespace
