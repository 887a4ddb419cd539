#include "platform/core/Folders.h"
#include "platform/core/Settings.h"
#include "tests/support/Folders.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sys/stat.h>
#include <unistd.h>

namespace fs = std::filesystem;
namespace orvane::platform {
namespace {

class FoldersTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_FALSE(folder.path().empty());
        root = folder.str() + "/";
        fs::create_directories(root + "install");
        inputs.installFolder = root + "install/";
        inputs.home = root + "home";
    }
    static mode_t modeOf(const std::string& p)
    {
        struct stat st {};
        return ::lstat(p.c_str(), &st) == 0 ? st.st_mode & 07777 : 0;
    }

    orvane::test::TempFolder folder{"folders"};
    std::string root;
    FolderInputs inputs;
};

TEST_F(FoldersTest, InstallFolderIsTheFolderOfThisProgram)
{
    const std::string folder = installFolderOfThisProgram();
    ASSERT_FALSE(folder.empty());
    EXPECT_EQ(folder.back(), '/');
    EXPECT_TRUE(fs::exists(folder + "platform_folders_test"));
}

TEST_F(FoldersTest, OrvaneHomeWinsAndGetsItsConfigureFolder)
{
    inputs.orvaneHome = root + "portable";   // without the final '/'
    std::string error;
    const std::optional<Folders> f = Folders::resolve(inputs, error);
    ASSERT_TRUE(f) << error;
    EXPECT_EQ(f->dataFolder(), root + "portable/");
    EXPECT_EQ(f->installFolder(), root + "install/");
    EXPECT_EQ(f->configureFolder(), root + "portable/Configure/");
    EXPECT_TRUE(fs::is_directory(f->configureFolder()));
}

TEST_F(FoldersTest, WritableInstallFolderIsTheDataFolder)
{
    std::string error;
    const std::optional<Folders> f = Folders::resolve(inputs, error);
    ASSERT_TRUE(f) << error;
    EXPECT_EQ(f->dataFolder(), root + "install/");
    EXPECT_TRUE(fs::is_directory(root + "install/Configure"));
}

TEST_F(FoldersTest, ReadOnlyInstallFolderFallsBackToTheUsersDataFolder)
{
    // A folder nobody can write into, root included: one that is not there.
    inputs.installFolder = root + "gone/";
    std::string error;
    std::optional<Folders> f = Folders::resolve(inputs, error);
    ASSERT_TRUE(f) << error;
    EXPECT_EQ(f->dataFolder(), root + "home/.local/share/QX410-Orvane/");
    EXPECT_TRUE(fs::is_directory(f->configureFolder()));
    EXPECT_FALSE(fs::exists(root + "gone"));

    inputs.xdgDataHome = root + "xdg";
    f = Folders::resolve(inputs, error);
    ASSERT_TRUE(f) << error;
    EXPECT_EQ(f->dataFolder(), root + "xdg/QX410-Orvane/");

    inputs.xdgDataHome = "relative/xdg";   // not absolute: ignored
    f = Folders::resolve(inputs, error);
    ASSERT_TRUE(f) << error;
    EXPECT_EQ(f->dataFolder(), root + "home/.local/share/QX410-Orvane/");
}

TEST_F(FoldersTest, DataFolderThatCannotBeMadeIsAnError)
{
    std::ofstream(root + "file") << "x";
    inputs.orvaneHome = root + "file/sub";
    std::string error;
    EXPECT_FALSE(Folders::resolve(inputs, error));
    EXPECT_FALSE(error.empty());
}

TEST_F(FoldersTest, VerBinIsLookedUpInTheDataFolderFirst)
{
    inputs.orvaneHome = root + "data";
    std::string error;
    const std::optional<Folders> f = Folders::resolve(inputs, error);
    ASSERT_TRUE(f) << error;
    EXPECT_EQ(f->verBinPath(), root + "install/VER.bin");
    std::ofstream(root + "data/VER.bin") << "1.2";
    EXPECT_EQ(f->verBinPath(), root + "data/VER.bin");
}

TEST_F(FoldersTest, PrivateFolderIsCreatedWithMode0700AndNeverThroughALink)
{
    std::string error;
    const std::optional<std::string> made = makePrivateFolder(root, "FileDef20151212", error);
    ASSERT_TRUE(made) << error;
    EXPECT_EQ(*made, root + "FileDef20151212/");
    EXPECT_EQ(modeOf(root + "FileDef20151212"), 0700u);

    fs::permissions(root + "FileDef20151212", fs::perms::owner_all | fs::perms::group_all);
    ASSERT_TRUE(makePrivateFolder(root, "FileDef20151212", error)) << "an existing folder of ours is accepted";
    EXPECT_EQ(modeOf(root + "FileDef20151212"), 0700u) << "and made private again";

    fs::create_directories(root + "elsewhere");
    fs::create_directory_symlink(root + "elsewhere", root + "planted");
    EXPECT_FALSE(makePrivateFolder(root, "planted", error));
    EXPECT_EQ(modeOf(root + "elsewhere"), modeOf(root + "install")) << "the link's target is untouched";

    std::ofstream(root + "plain") << "x";
    EXPECT_FALSE(makePrivateFolder(root, "plain", error));
    EXPECT_FALSE(makePrivateFolder(root, "../escape", error));
    EXPECT_FALSE(makePrivateFolder(root, "..", error));
}

TEST_F(FoldersTest, RuntimeFolderMustBePrivate)
{
    const char* old = std::getenv("XDG_RUNTIME_DIR");
    const std::string saved = old ? old : "";
    fs::create_directories(root + "run");
    fs::permissions(root + "run", fs::perms::owner_all, fs::perm_options::replace);
    ::setenv("XDG_RUNTIME_DIR", (root + "run").c_str(), 1);
    std::string error;
    EXPECT_EQ(runtimeFolder(error), std::optional<std::string>(root + "run/")) << error;
    old ? ::setenv("XDG_RUNTIME_DIR", saved.c_str(), 1) : ::unsetenv("XDG_RUNTIME_DIR");
}

// ---- Language ----------------------------------------------------------------

class LanguageTest : public FoldersTest {
protected:
    bool chineseIn(const std::string& contents)
    {
        std::ofstream(root + "PX840.conf") << contents;
        return Settings(root + "PX840.conf").chinese();
    }
};

TEST_F(LanguageTest, OnlyExactlyChineseSelectsChinese)
{
    EXPECT_TRUE(chineseIn("Language=chinese\n"));
    EXPECT_TRUE(chineseIn("[General]\nLanguage=chinese\n"));
    EXPECT_FALSE(chineseIn("Language=Chinese\n"));
    EXPECT_FALSE(chineseIn("Language=chinese2\n"));
    EXPECT_FALSE(chineseIn("Language=english\n"));
    EXPECT_FALSE(chineseIn("[Other]\nLanguage=chinese\n"));
    EXPECT_FALSE(chineseIn(""));
    EXPECT_FALSE(Settings(root + "missing.conf").chinese());
}

TEST_F(LanguageTest, FileIsFoundThroughXdgConfigHome)
{
    const char* old = std::getenv("XDG_CONFIG_HOME");
    const std::string saved = old ? old : "";
    ::setenv("XDG_CONFIG_HOME", (root + "cfg").c_str(), 1);
    EXPECT_EQ(Settings::defaultPath(), root + "cfg/PX840.conf");
    ::unsetenv("XDG_CONFIG_HOME");
    const char* home = std::getenv("HOME");
    EXPECT_EQ(Settings::defaultPath(), std::string(home ? home : "") + "/.config/PX840.conf");
    if (old)
        ::setenv("XDG_CONFIG_HOME", saved.c_str(), 1);
}

TEST_F(LanguageTest, ReadingNeverWritesTheFile)
{
    const std::string path = root + "PX840.conf";
    chineseIn("# the user's own comment\nLanguage=chinese\n");
    {
        Settings s(path);
        (void)s.chinese();
    }
    std::ifstream in(path);
    const std::string contents((std::istreambuf_iterator<char>(in)), {});
    EXPECT_EQ(contents, "# the user's own comment\nLanguage=chinese\n");
    EXPECT_FALSE(fs::exists(root + "missing.conf")) << "a missing file is not created";
    (void)Settings(root + "missing.conf").chinese();
    EXPECT_FALSE(fs::exists(root + "missing.conf"));
}

}   // namespace
}   // namespace orvane::platform
