#include "macro/MacroStore.h"
#include "tests/support/Folders.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <unistd.h>

namespace fs = std::filesystem;
using namespace orvane::macro;

namespace {

class MacroFileTest : public ::testing::Test {
protected:
    void SetUp() override { path = (dir / "MacroDefine.bin").string(); }
    void writeFile(const std::vector<uint8_t>& bytes)
    {
        std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()), bytes.size());
    }
    orvane::test::TempFolder folder{"macro-store"};
    fs::path dir = folder.path();
    std::string path;
};

MacroRecord named(std::u16string_view name, uint16_t loops, uint8_t firstEventByte)
{
    MacroRecord r{};
    EXPECT_TRUE(setRecordName(r, name));
    setLoopCount(r, loops);
    r[rec::kDeviceEvents] = 0x01;
    r[rec::kDeviceEvents + 1] = firstEventByte;
    return r;
}

}   // namespace

TEST(MacroRecordTest, FieldsSitAtTheirOffsetsLittleEndian)
{
    MacroRecord r{};
    ASSERT_TRUE(setRecordName(r, u"Ab"));
    setLoopCount(r, 0x0123);
    setRecordDelay(r, true);
    EXPECT_EQ(r[0], 'A');
    EXPECT_EQ(r[1], 0);
    EXPECT_EQ(r[2], 'b');
    EXPECT_EQ(r[4], 0);   // terminator
    EXPECT_EQ(r[510], 0x23);
    EXPECT_EQ(r[511], 0x01);
    EXPECT_EQ(r[512], 0x01);
    EXPECT_EQ(recordName(r), u"Ab");
    EXPECT_TRUE(recordDelay(r));
}

TEST(MacroRecordTest, LoopCountZeroCountsAsOneAndSetterClamps)
{
    MacroRecord r{};
    EXPECT_EQ(storedLoopCount(r), 0);
    EXPECT_EQ(loopCount(r), 1);
    setLoopCount(r, 5000);
    EXPECT_EQ(loopCount(r), 999);
    setLoopCount(r, 0);
    EXPECT_EQ(loopCount(r), 1);
}

TEST(MacroRecordTest, RenameRefusesEmptyTooLongAndNul)
{
    MacroRecord r{};
    ASSERT_TRUE(setRecordName(r, u"Keep"));
    EXPECT_FALSE(setRecordName(r, u""));
    EXPECT_FALSE(setRecordName(r, std::u16string(255, u'x')));
    EXPECT_FALSE(setRecordName(r, std::u16string(u"a\0b", 3)));
    EXPECT_EQ(recordName(r), u"Keep");
    const std::u16string longest(254, u'名');
    ASSERT_TRUE(setRecordName(r, longest));
    EXPECT_EQ(recordName(r), longest);
    EXPECT_EQ(r[508], 0);   // the terminator still fits
    EXPECT_EQ(r[509], 0);

    MacroStore store;
    EXPECT_FALSE(store.renameWorking(0, u""));
    EXPECT_FALSE(store.renameWorking(190, u"x"));
    EXPECT_TRUE(store.renameWorking(3, u"x"));
    EXPECT_EQ(recordName(store.working()[3]), u"x");
}

TEST(MacroRecordTest, NameWithoutTerminatorIsCutAt254)
{
    MacroRecord r{};
    for (std::size_t i = 0; i < 255; ++i)
        r[2 * i] = 'z';
    EXPECT_EQ(recordName(r).size(), 254u);
}

TEST_F(MacroFileTest, MissingFileIsCreatedWithZeros)
{
    MacroStore store;
    EXPECT_EQ(store.load(path), LoadResult::Created);
    ASSERT_EQ(fs::file_size(path), kMacroStoreSize);
    std::ifstream in(path, std::ios::binary);
    std::vector<char> bytes(kMacroStoreSize);
    in.read(bytes.data(), bytes.size());
    EXPECT_TRUE(std::all_of(bytes.begin(), bytes.end(), [](char c) { return c == 0; }));
    EXPECT_EQ(MacroStore::countInUse(store.saved()), 0u);
}

TEST_F(MacroFileTest, UncreatableFileLeavesAnEmptyStore)
{
    MacroStore store;
    EXPECT_EQ(store.load((dir / "no-such-folder" / "MacroDefine.bin").string()), LoadResult::CreateFailed);
    EXPECT_EQ(MacroStore::countInUse(store.saved()), 0u);
}

TEST_F(MacroFileTest, ShortFileUsesWhatIsThere)
{
    MacroStore seed;
    seed.saved()[0] = named(u"one", 3, 0x04);
    std::vector<uint8_t> bytes = MacroStore::toBytes(seed.saved());
    bytes.resize(rec::kSize + 10);   // record 0 and the first bytes of record 1
    bytes[rec::kSize] = 'Q';
    writeFile(bytes);

    MacroStore store;
    store.saved()[5] = named(u"stale", 1, 0x05);   // replaced by the load
    EXPECT_EQ(store.load(path), LoadResult::ShortFile);
    EXPECT_EQ(recordName(store.saved()[0]), u"one");
    EXPECT_EQ(loopCount(store.saved()[0]), 3);
    EXPECT_EQ(recordName(store.saved()[1]), u"Q");
    EXPECT_TRUE(isFree(store.saved()[5]));
    EXPECT_EQ(MacroStore::countInUse(store.saved()), 2u);
}

TEST_F(MacroFileTest, SaveReplacesTheFileWholeAndRoundTrips)
{
    writeFile(std::vector<uint8_t>(kMacroStoreSize + 100, 0xAA));   // an older, longer file
    MacroStore store;
    EXPECT_EQ(store.load(path), LoadResult::Loaded);
    store.saved().assign(kMacroRecordCount, MacroRecord{});
    store.saved()[0] = named(u"m0", 7, 0x1E);
    store.saved()[189] = named(u"last", 2, 0x1F);
    ASSERT_TRUE(store.save(path));
    EXPECT_EQ(fs::file_size(path), kMacroStoreSize);
    EXPECT_EQ(std::distance(fs::directory_iterator(dir), fs::directory_iterator{}), 1);   // no temporary left

    MacroStore again;
    EXPECT_EQ(again.load(path), LoadResult::Loaded);
    EXPECT_EQ(again.saved(), store.saved());
}

TEST_F(MacroFileTest, FailedSaveKeepsTheOldFile)
{
    MacroStore store;
    EXPECT_FALSE(store.save((dir / "missing" / "MacroDefine.bin").string()));
}

TEST(MacroStoreTest, BeginEditCommitAndDrop)
{
    MacroStore store;
    store.saved()[0] = named(u"a", 1, 0x04);
    store.beginEdit();
    ASSERT_TRUE(store.renameWorking(0, u"b"));
    store.dropEdit();
    EXPECT_EQ(recordName(store.working()[0]), u"a");
    ASSERT_TRUE(store.renameWorking(0, u"c"));
    EXPECT_EQ(recordName(store.saved()[0]), u"a");
    store.commit();
    EXPECT_EQ(recordName(store.saved()[0]), u"c");
}

// A block whose macro is gone (deleted, or after the first free record, which the lists never
// show) must not keep playing: it is packed empty, playing once.
TEST(PackMacrosTest, WritesNamedMacrosAndEmptiesTheBlocksOfDeletedMacros)
{
    MacroStore::Records saved(kMacroRecordCount, MacroRecord{});
    saved[0] = named(u"zero", 0x0102, 0x04);
    saved[1] = named(u"one", 0, 0x05);   // stored 0 plays once
    saved[2] = named(u"two", 999, 0x06);
    saved[2][rec::kDeviceEvents + 189] = 0x77;   // last device byte travels too
    saved[2][rec::kKeyEvents + 1] = 0x41;        // the key form never does
    saved[4] = named(u"after the gap", 5, 0x07);

    orvane::link::ConfigImage image{};
    image.fill(0xCC);
    const auto blockAt = [&](std::size_t n) { return image.begin() + orvane::link::image::macroBlock(n); };
    std::fill(blockAt(31) + 2, blockAt(31) + 192, uint8_t{0});   // no events: plays nothing already
    PackMacros(saved, image);
    EXPECT_EQ(blockAt(0)[0], 0x01);
    EXPECT_EQ(blockAt(0)[1], 0x02);
    EXPECT_EQ(blockAt(0)[2], 0x01);
    EXPECT_EQ(blockAt(0)[3], 0x04);
    EXPECT_EQ(blockAt(0)[4], 0x00);
    EXPECT_EQ(blockAt(1)[0], 0x00);
    EXPECT_EQ(blockAt(1)[1], 0x01);
    EXPECT_EQ(blockAt(2)[0], 0x03);
    EXPECT_EQ(blockAt(2)[1], 0xE7);
    EXPECT_EQ(blockAt(2)[191], 0x77);
    for (std::size_t n = 3; n < 31; ++n) {
        EXPECT_EQ(blockAt(n)[0], 0x00) << n;
        EXPECT_EQ(blockAt(n)[1], 0x01) << n;
        EXPECT_TRUE(std::all_of(blockAt(n) + 2, blockAt(n) + 192, [](uint8_t b) { return b == 0; })) << n;
    }
    EXPECT_EQ(blockAt(31)[0], 0xCC);   // left alone: nothing to upload
    EXPECT_EQ(blockAt(31)[1], 0xCC);
    EXPECT_EQ(image[1303], 0xCC);
    EXPECT_EQ(image[7448], 0xCC);
}

TEST(PackMacrosTest, EmptySequenceGivesZeroEventBytesAndAtMost32Blocks)
{
    MacroStore::Records saved(kMacroRecordCount, MacroRecord{});
    for (std::size_t n = 0; n < 40; ++n)
        ASSERT_TRUE(setRecordName(saved[n], u"m"));
    orvane::link::ConfigImage image{};
    image.fill(0xCC);
    PackMacros(saved, image);
    const std::size_t first = orvane::link::image::macroBlock(0);
    EXPECT_EQ(image[first + 1], 1);
    EXPECT_TRUE(std::all_of(image.begin() + first + 2, image.begin() + first + 192, [](uint8_t b) { return b == 0; }));
    EXPECT_EQ(image[orvane::link::image::macroBlock(32)], 0xCC);   // byte 7448, past the blocks
}
