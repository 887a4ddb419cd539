// The atomic writer's temporary files left by saves killed before their rename, and their removal.

#include "platform/core/AtomicFile.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cerrno>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <thread>
#include <vector>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace fs = std::filesystem;
using orvane::platform::writeFileAtomically;

namespace {

class StaleTemporaryFiles : public ::testing::Test {
protected:
    void SetUp() override
    {
        std::string pattern = (fs::temp_directory_path() / "stale-temporary-XXXXXX").string();
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

// What a writer killed before its rename leaves is removed at the next start; nothing else is: not
// a name the writer would not make, not a link (nor what it leads to), not a FIFO or folder, not
// another user's file, not a file a writer still holds, not an empty one that may be a writer's
// between its creation and its lock.
TEST_F(StaleTemporaryFiles, StaleTemporaryFilesOfOursAreRemovedAndNothingElse)
{
    const auto plant = [&](const std::string& name, std::size_t bytes) {
        std::ofstream(dir / name, std::ios::binary) << std::string(bytes, 'x');
        return dir / name;
    };
    const std::vector<fs::path> stale{plant(".orvane-Ab12Cd", 100), plant(".orvane-000000", 1)};
    const fs::path oldEmpty = plant(".orvane-OldEmp", 0);
    const struct timespec anHourAgo[2] = {{::time(nullptr) - 3600, 0}, {::time(nullptr) - 3600, 0}};
    ASSERT_EQ(::utimensat(AT_FDCWD, oldEmpty.c_str(), anHourAgo, 0), 0);

    std::vector<fs::path> kept{plant(".orvane-abc", 5),    plant(".orvane-abcdefg", 5), plant("x.orvane-abcdef", 5),
                               plant(".orvane-ab_cd!", 5), plant(".Orvane-abcdef", 5),  plant("keymap.bin", 5),
                               plant(".orvane-NewEmp", 0)};
    const fs::path target = plant("target", 7);
    fs::create_symlink(target, dir / ".orvane-Link00");
    kept.push_back(dir / ".orvane-Link00");
    ASSERT_EQ(::mkfifo((dir / ".orvane-Fifo00").c_str(), 0600), 0);
    kept.push_back(dir / ".orvane-Fifo00");
    fs::create_directories(dir / ".orvane-Dir000" / "inside");
    kept.push_back(dir / ".orvane-Dir000");
    // A writer at work holds its file's lock until the rename.
    const fs::path held = plant(".orvane-Held00", 50);
    kept.push_back(held);
    const int holder = ::open(held.c_str(), O_RDONLY | O_CLOEXEC);
    ASSERT_GE(holder, 0);
    ASSERT_EQ(::flock(holder, LOCK_EX), 0);
    if (::geteuid() == 0) {   // only root can give a file away
        const fs::path other = plant(".orvane-Other0", 9);
        ASSERT_EQ(::chown(other.c_str(), 65534, 65534), 0);
        kept.push_back(other);
    }

    EXPECT_EQ(orvane::platform::removeStaleTemporaryFiles(dir.string()), int(stale.size()) + 1);
    for (const fs::path& p : stale)
        EXPECT_FALSE(fs::exists(fs::symlink_status(p))) << p;
    EXPECT_FALSE(fs::exists(oldEmpty));
    for (const fs::path& p : kept)
        EXPECT_TRUE(fs::exists(fs::symlink_status(p))) << p << " must be left";
    EXPECT_EQ(contents(target), (std::vector<uint8_t>(7, 'x')));
    EXPECT_TRUE(fs::is_symlink(dir / ".orvane-Link00"));

    ::close(holder);   // the writer is gone: its file is stale now
    EXPECT_EQ(orvane::platform::removeStaleTemporaryFiles(dir.string()), 1);
    EXPECT_FALSE(fs::exists(held));
    EXPECT_EQ(orvane::platform::removeStaleTemporaryFiles((dir / "missing").string()), 0);
}

// The writer's temporary file is locked for as long as its name exists: a clean-up running beside
// writers never takes a file from under one of them.
TEST_F(StaleTemporaryFiles, CleanUpBesideRunningWritersNeverBreaksASave)
{
    std::atomic<bool> stop{false};
    std::atomic<int> removed{0};
    std::thread cleaner([&] {
        while (!stop)
            removed += orvane::platform::removeStaleTemporaryFiles(dir.string());
    });
    const std::vector<uint8_t> bytes(64 * 1024, 0x5A);
    int failed = 0;
    for (int i = 0; i < 300; ++i)
        failed += !writeFileAtomically(dir / "keymap.bin", {bytes});
    stop = true;
    cleaner.join();
    EXPECT_EQ(failed, 0);
    EXPECT_EQ(removed, 0);
    EXPECT_EQ(contents(dir / "keymap.bin"), bytes);
    EXPECT_EQ(entries(), 1u);
}

}   // namespace
