// The profile folder on a real temporary folder: scan, create, save, load, copy, delete and rename,
// the pauses of a rename, and names that would leave the folder.

#include "profile/ProfileFolder.h"
#include "tests/support/Folders.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <vector>

using namespace orvane;
using namespace orvane::profile;
namespace fs = std::filesystem;

namespace {

class RecordingSleeper final : public link::Sleeper {
public:
    void sleep(int ms) override { pauses.push_back(ms); }
    void yield() override {}
    std::vector<int> pauses;
};

std::vector<uint8_t> readBytes(const fs::path& p)
{
    std::ifstream in(p, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void writeBytes(const fs::path& p, const std::vector<uint8_t>& bytes)
{
    std::ofstream out(p, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
}

// A live configuration whose every byte says where it is.
struct LivePair {
    std::unique_ptr<link::ConfigImage> image = std::make_unique<link::ConfigImage>();
    std::unique_ptr<link::KeyExtTable> ext = std::make_unique<link::KeyExtTable>();
    explicit LivePair(uint8_t seed = 0)
    {
        for (std::size_t i = 0; i < image->size(); ++i)
            (*image)[i] = uint8_t(i * 7 + seed);
        for (std::size_t r = 0; r < ext->size(); ++r)
            for (std::size_t i = 0; i < (*ext)[r].size(); ++i)
                (*ext)[r][i] = uint8_t(r + i * 3 + seed);
    }
    std::vector<uint8_t> bytes() const
    {
        std::vector<uint8_t> b(image->begin(), image->end());
        for (const link::KeyExtRecord& r : *ext)
            b.insert(b.end(), r.begin(), r.end());
        return b;
    }
};

class ProfileFolderTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        folder = root / "Configure";
        fs::create_directories(folder);
        profiles = std::make_unique<ProfileFolder>(folder.string() + "/", sleeper);
    }

    void file(const std::string& name, std::size_t size = kProfileFileSize, uint8_t fill = 0x5A)
    {
        writeBytes(folder / name, std::vector<uint8_t>(size, fill));
    }
    std::vector<std::string> filesInFolder() const
    {
        std::vector<std::string> names;
        for (const auto& e : fs::directory_iterator(folder))
            names.push_back(e.path().filename().string());
        std::sort(names.begin(), names.end());
        return names;
    }
    std::vector<std::string> filesAround() const
    {
        std::vector<std::string> names;
        for (const auto& e : fs::recursive_directory_iterator(root))
            names.push_back(fs::relative(e.path(), root).string());
        std::sort(names.begin(), names.end());
        return names;
    }

    orvane::test::TempFolder temp{"profile-test"};
    fs::path root = temp.path(), folder;
    RecordingSleeper sleeper;
    std::unique_ptr<ProfileFolder> profiles;
};

using Names = std::vector<std::string>;

TEST_F(ProfileFolderTest, ScanListsBinFilesSortedWithTheirRealPaths)
{
    file("b.bin");
    file("A.BIN");
    file("notes.txt");
    file(".bin");   // no name: never listed
    fs::create_directory(folder / "dir.bin");
    profiles->Scan();
    EXPECT_EQ(profiles->names(), (Names{"A", "b"}));
    EXPECT_EQ(profiles->paths(), (Names{(folder / "A.BIN").string(), (folder / "b.bin").string()}));
    EXPECT_EQ(profiles->foundCount(), 2);
}

TEST_F(ProfileFolderTest, MissingFolderGivesAnEmptyListAndCreateAddsNothing)
{
    fs::remove_all(folder);
    profiles->Scan();
    EXPECT_EQ(profiles->count(), 0);
    EXPECT_EQ(profiles->Create(), std::nullopt);
    EXPECT_FALSE(fs::exists(folder));
}

TEST_F(ProfileFolderTest, CreateTakesTheFirstFreeNumberAndWritesTheImagePartAsZeros)
{
    file("Profile_1.bin");
    file("Profile_3.bin");
    profiles->Scan();
    EXPECT_EQ(profiles->Create(), "Profile_2");
    EXPECT_EQ(profiles->names(), (Names{"Profile_1", "Profile_2", "Profile_3"}));
    EXPECT_EQ(readBytes(folder / "Profile_2.bin"), std::vector<uint8_t>(kProfileImageSize, 0));
}

TEST_F(ProfileFolderTest, CreateThenSaveGivesTheWholeLivePair)
{
    profiles->Scan();
    ASSERT_EQ(profiles->Create(), "Profile_1");
    EXPECT_EQ(fs::file_size(folder / "Profile_1.bin"), 10056u);
    const LivePair live(3);
    const fs::path exported = root / "exported.bin";
    EXPECT_TRUE(profiles->Save(0, *live.image, *live.ext, exported.string()));
    EXPECT_EQ(fs::file_size(folder / "Profile_1.bin"), 206916u);
    EXPECT_EQ(readBytes(folder / "Profile_1.bin"), live.bytes());
    EXPECT_EQ(readBytes(exported), live.bytes());
}

TEST_F(ProfileFolderTest, SaveWithoutAChosenFileWritesOnlyTheProfile)
{
    file("Mine.bin", kProfileImageSize);
    profiles->Scan();
    const LivePair live(9);
    EXPECT_TRUE(profiles->Save(0, *live.image, *live.ext, ""));
    EXPECT_EQ(readBytes(folder / "Mine.bin"), live.bytes());
    EXPECT_EQ(filesInFolder(), (Names{"Mine.bin"}));
}

struct LoadCase {
    const char* label;
    std::size_t fileSize;
};

class ProfileLoadTest : public ProfileFolderTest, public ::testing::WithParamInterface<LoadCase> {};

// A profile's file (image only, as Create writes it, or whole) replaces what it holds; the profile
// then holds the whole live pair. A file of any other size (MacroDefine.bin, keymap.bin cut short,
// an empty file) is no profile: refused, and neither the live pair nor the profile changes.
TEST_P(ProfileLoadTest, LoadTakesOnlyFilesOfAProfilesSize)
{
    file("Target.bin", kProfileImageSize, 0);
    profiles->Scan();
    const LivePair other(100);
    std::vector<uint8_t> source = other.bytes();
    source.resize(GetParam().fileSize, 0x33);
    writeBytes(root / "source.bin", source);

    LivePair live(1);
    const std::vector<uint8_t> before = live.bytes();
    const bool profile = GetParam().fileSize == kProfileFileSize || GetParam().fileSize == kProfileImageSize;
    EXPECT_EQ(profiles->Load(0, (root / "source.bin").string(), *live.image, *live.ext),
              profile ? ProfileFolder::LoadResult::Loaded : ProfileFolder::LoadResult::NotAProfile);
    std::vector<uint8_t> expected = before;
    if (profile)
        std::copy(source.begin(), source.end(), expected.begin());
    EXPECT_EQ(live.bytes(), expected);
    EXPECT_EQ(readBytes(folder / "Target.bin"), profile ? expected : std::vector<uint8_t>(kProfileImageSize, 0));
}

INSTANTIATE_TEST_SUITE_P(Sizes, ProfileLoadTest,
                         ::testing::Values(LoadCase{"Full", kProfileFileSize}, LoadCase{"ImageOnly", kProfileImageSize},
                                           LoadCase{"HalfImage", 5000}, LoadCase{"ImageAndTwoRecords", 10056 + 1544},
                                           LoadCase{"MacroDefine", 169860},
                                           LoadCase{"OneByteMore", kProfileFileSize + 1}, LoadCase{"Empty", 0}),
                         [](const auto& info) { return std::string(info.param.label); });

TEST_F(ProfileFolderTest, LoadFromAFileThatCannotBeReadKeepsTheConfiguration)
{
    file("Target.bin", kProfileImageSize, 0);
    fs::create_directory(root / "folder.bin");
    profiles->Scan();
    LivePair live(1);
    const std::vector<uint8_t> before = live.bytes();
    for (const fs::path& from : {root / "missing.bin", root / "folder.bin"}) {
        EXPECT_EQ(profiles->Load(0, from.string(), *live.image, *live.ext), ProfileFolder::LoadResult::ReadFailed)
            << from;
        EXPECT_EQ(live.bytes(), before);
    }
    // Without a chosen file the profile still receives the live pair.
    EXPECT_EQ(profiles->Load(0, "", *live.image, *live.ext), ProfileFolder::LoadResult::Loaded);
    EXPECT_EQ(readBytes(folder / "Target.bin"), before);
}

struct CopyCase {
    model::Language language;
    const char* first;
    const char* second;
};

class ProfileCopyTest : public ProfileFolderTest, public ::testing::WithParamInterface<CopyCase> {};

TEST_P(ProfileCopyTest, CopyTwiceNumbersTheSecondCopy)
{
    const LivePair live(5);
    writeBytes(folder / "Game.bin", live.bytes());
    profiles->Scan();
    EXPECT_EQ(profiles->Copy(0, GetParam().language), GetParam().first);
    ASSERT_TRUE(profiles->lineOf("Game"));
    EXPECT_EQ(profiles->Copy(*profiles->lineOf("Game"), GetParam().language), GetParam().second);
    EXPECT_EQ(readBytes(folder / (std::string(GetParam().first) + ".bin")), live.bytes());
    EXPECT_EQ(readBytes(folder / (std::string(GetParam().second) + ".bin")), live.bytes());
    EXPECT_EQ(profiles->count(), 3);
}

INSTANTIATE_TEST_SUITE_P(Languages, ProfileCopyTest,
                         ::testing::Values(CopyCase{model::Language::English, "Copy of ? Game", "Copy of ? Game 1"},
                                           CopyCase{model::Language::Chinese, "\xE5\xA4\x8D\xE5\x88\xB6  Game",
                                                    "\xE5\xA4\x8D\xE5\x88\xB6  Game 1"}),
                         [](const auto& info) {
                             return info.param.language == model::Language::English ? "English" : "Chinese";
                         });

TEST_F(ProfileFolderTest, CopyOfAnImageOnlyOrVanishedProfileFillsZeros)
{
    std::vector<uint8_t> imageOnly(kProfileImageSize, 0x77);
    writeBytes(folder / "Short.bin", imageOnly);
    profiles->Scan();

    ASSERT_TRUE(profiles->Copy(*profiles->lineOf("Short"), model::Language::English));
    std::vector<uint8_t> expected = imageOnly;
    expected.resize(kProfileFileSize, 0);
    EXPECT_EQ(readBytes(folder / "Copy of ? Short.bin"), expected);

    file("Gone.bin");
    profiles->Scan();
    const int gone = *profiles->lineOf("Gone");
    fs::remove(folder / "Gone.bin");
    ASSERT_TRUE(profiles->Copy(gone, model::Language::English));
    EXPECT_EQ(readBytes(folder / "Copy of ? Gone.bin"), std::vector<uint8_t>(kProfileFileSize, 0));
}

TEST_F(ProfileFolderTest, EightFilesListTheFirstSixByNameAndRefuseMore)
{
    for (const char* n : {"h", "c", "a", "g", "e", "b", "f", "d"})
        file(std::string(n) + ".bin");
    profiles->Scan();
    EXPECT_EQ(profiles->names(), (Names{"a", "b", "c", "d", "e", "f"}));
    EXPECT_EQ(profiles->foundCount(), 7);
    EXPECT_TRUE(profiles->isFull());
    EXPECT_EQ(profiles->Create(), std::nullopt);
    EXPECT_EQ(profiles->Copy(0, model::Language::English), std::nullopt);
    EXPECT_EQ(filesInFolder().size(), 8u);
}

TEST_F(ProfileFolderTest, DeleteRemovesTheFileAndRescans)
{
    file("One.bin");
    file("Two.bin");
    profiles->Scan();
    EXPECT_TRUE(profiles->Delete(*profiles->lineOf("One")));
    EXPECT_EQ(profiles->names(), (Names{"Two"}));
    EXPECT_EQ(filesInFolder(), (Names{"Two.bin"}));
}

TEST_F(ProfileFolderTest, DeleteOfAFileAlreadyGoneReportsItAndRescans)
{
    file("One.bin");
    file("Two.bin");
    profiles->Scan();
    fs::remove(folder / "One.bin");
    EXPECT_FALSE(profiles->Delete(0));
    EXPECT_EQ(profiles->names(), (Names{"Two"}));
}

TEST_F(ProfileFolderTest, RenameMovesTheFileWithThePauses)
{
    const LivePair live(2);
    writeBytes(folder / "Old.bin", live.bytes());
    file("Zed.bin");
    profiles->Scan();
    EXPECT_EQ(profiles->Rename(0, "New"), RenameResult::Renamed);
    EXPECT_EQ(profiles->names(), (Names{"New", "Zed"}));
    EXPECT_EQ(readBytes(folder / "New.bin"), live.bytes());
    EXPECT_FALSE(fs::exists(folder / "Old.bin"));
    EXPECT_EQ(sleeper.pauses, (std::vector<int>{100, 200, 300}));
}

// A huge source file (sparse here, so the test stays cheap) was read whole into memory on the
// window thread; the rename carries over what a profile holds and nothing more.
TEST_F(ProfileFolderTest, RenameOfAHugeFileReadsOnlyAProfileSizedPart)
{
    const LivePair live(4);
    writeBytes(folder / "Big.bin", live.bytes());
    fs::resize_file(folder / "Big.bin", std::uintmax_t(64) << 20);
    profiles->Scan();
    EXPECT_EQ(profiles->Rename(0, "Small"), RenameResult::Renamed);
    EXPECT_EQ(readBytes(folder / "Small.bin"), live.bytes());
    EXPECT_FALSE(fs::exists(folder / "Big.bin"));
}

TEST_F(ProfileFolderTest, RenameToATextEndingInBinAddsNoSecondSuffix)
{
    file("Old.bin");
    profiles->Scan();
    EXPECT_EQ(profiles->Rename(0, "Fresh.bin"), RenameResult::Renamed);
    EXPECT_EQ(filesInFolder(), (Names{"Fresh.bin"}));
    EXPECT_EQ(profiles->names(), (Names{"Fresh"}));
}

TEST_F(ProfileFolderTest, RenameInAFolderWhosePathHoldsBinStillAppendsTheSuffix)
{
    folder = root / "saved.bin.d" / "Configure";
    fs::create_directories(folder);
    profiles = std::make_unique<ProfileFolder>(folder.string(), sleeper);
    file("Old.bin");
    profiles->Scan();
    EXPECT_EQ(profiles->Rename(0, "New"), RenameResult::Renamed);
    EXPECT_EQ(filesInFolder(), (Names{"New.bin"}));
}

TEST_F(ProfileFolderTest, RenameOntoAnExistingNameIsRefusedAndTheListRebuilt)
{
    file("Alpha.bin", kProfileFileSize, 1);
    file("Beta.bin", kProfileFileSize, 2);
    for (const char* n : {"c", "d", "e", "f", "g"})   // g is the seventh: counted, not listed
        file(std::string(n) + ".bin");
    fs::create_directory(folder / "Dir.bin");
    profiles->Scan();
    for (const char* target : {"Beta", "Beta.bin", "Alpha", "g", "Dir"}) {
        sleeper.pauses.clear();
        EXPECT_EQ(profiles->Rename(0, target), RenameResult::Exists) << target;
        EXPECT_EQ(sleeper.pauses, (std::vector<int>{300})) << target;
    }
    EXPECT_EQ(readBytes(folder / "Alpha.bin"), std::vector<uint8_t>(kProfileFileSize, 1));
    EXPECT_EQ(readBytes(folder / "Beta.bin"), std::vector<uint8_t>(kProfileFileSize, 2));
    EXPECT_EQ(profiles->names(), (Names{"Alpha", "Beta", "c", "d", "e", "f"}));
}

TEST_F(ProfileFolderTest, UnsafeNamesAreRefusedAndNothingOutsideTheFolderChanges)
{
    file("Keep.bin");
    fs::create_directories(root / "elsewhere");
    profiles->Scan();
    const std::vector<std::string> before = filesAround();
    const std::vector<std::pair<std::string, NameProblem>> cases = {
        {"../escape", NameProblem::Separator},
        {"a/b", NameProblem::Separator},
        {"/tmp/x", NameProblem::Separator},
        {"..", NameProblem::DotName},
        {".", NameProblem::DotName},
        {"...bin", NameProblem::DotName},
        {"", NameProblem::Empty},
        {".bin", NameProblem::Empty},
        {std::string("a\0b", 3), NameProblem::Nul},
    };
    for (const auto& [text, problem] : cases) {
        EXPECT_EQ(checkProfileName(text), problem) << text;
        EXPECT_EQ(profiles->Rename(0, text), RenameResult::Unsafe) << text;
        EXPECT_EQ(filesAround(), before) << text;
        EXPECT_EQ(profiles->names(), (Names{"Keep"}));
    }
    EXPECT_EQ(checkProfileName("..x"), NameProblem::None);
    EXPECT_EQ(checkProfileName("Copy of ? A"), NameProblem::None);
}

TEST_F(ProfileFolderTest, FileNamesOver255BytesAreRefusedBeforeAnythingIsWritten)
{
    EXPECT_EQ(checkProfileName(std::string(251, 'a')), NameProblem::None);   // 255 bytes with ".bin"
    EXPECT_EQ(checkProfileName(std::string(251, 'a') + ".bin"), NameProblem::None);
    EXPECT_EQ(checkProfileName(std::string(252, 'a')), NameProblem::TooLong);
    file("Keep.bin");
    profiles->Scan();
    const std::vector<std::string> before = filesAround();
    EXPECT_EQ(profiles->Rename(0, std::string(252, 'a')), RenameResult::TooLong);
    EXPECT_EQ(filesAround(), before);
    EXPECT_EQ(profiles->Rename(0, std::string(251, 'a')), RenameResult::Renamed);
    NameProblem refused = NameProblem::None;
    EXPECT_EQ(profiles->Copy(0, model::Language::English, &refused), std::nullopt);
    EXPECT_EQ(refused, NameProblem::TooLong);
    EXPECT_EQ(filesInFolder(), (Names{std::string(251, 'a') + ".bin"}));
}

TEST(ProfileNames, SuffixAndOrder)
{
    EXPECT_EQ(profileFileName("a"), "a.bin");
    EXPECT_EQ(profileFileName("a.bin"), "a.bin");
    EXPECT_EQ(profileFileName("a.binary"), "a.binary.bin");
    EXPECT_EQ(profileNameOf("my.binary.bin"), "my.binary");
    EXPECT_EQ(profileNameOf("X.BIN"), "X");
    EXPECT_TRUE(profileNameLess("alpha", "Beta"));
    EXPECT_TRUE(profileNameLess("Beta", "beta"));
    EXPECT_FALSE(profileNameLess("beta", "Beta"));
    EXPECT_TRUE(profileNameLess("Profile_1", "Profile_2"));
}

}   // namespace
