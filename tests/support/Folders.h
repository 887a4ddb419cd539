#pragma once
// The folders a test works with: the build's program folder, the source tree, and private
// temporary folders.

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <system_error>
#include <vector>

namespace orvane::test {

namespace detail {
inline std::string folderFrom(const char* variable, const char* built)
{
    const char* set = std::getenv(variable);
    std::string folder = set && *set ? set : built;
    if (!folder.empty() && folder.back() != '/')
        folder += '/';
    return folder;
}
}   // namespace detail

// The program folder of this build (both programs, libVantrel.so, the skins), ending in '/':
// ORVANE_BIN_DIR, as CTest sets it, or the folder the test was built for.
inline std::string binFolder()
{
    return detail::folderFrom("ORVANE_BIN_DIR", ORVANE_TEST_BIN_DIR);
}

// The project's source folder, ending in '/': ORVANE_SOURCE_DIR or the one the test was built from.
inline std::string sourceFolder()
{
    return detail::folderFrom("ORVANE_SOURCE_DIR", ORVANE_TEST_SOURCE_DIR);
}

// A fresh folder of its own under the system's temporary folder ($TMPDIR or /tmp), made with
// mkdtemp (mode 0700, a name nobody could have prepared) and removed with everything in it at the
// end, folders the test left read-only included.
class TempFolder {
public:
    explicit TempFolder(const std::string& prefix = "orvane-test")
    {
        std::string pattern = (std::filesystem::temp_directory_path() / (prefix + "-XXXXXX")).string();
        if (::mkdtemp(pattern.data()))
            path_ = pattern;
        else
            ADD_FAILURE() << "cannot make a temporary folder from " << pattern;
    }
    ~TempFolder()
    {
        if (path_.empty())
            return;
        std::error_code ec;
        std::filesystem::permissions(path_, std::filesystem::perms::owner_all, std::filesystem::perm_options::add, ec);
        for (auto it = std::filesystem::recursive_directory_iterator(path_, ec);
             !ec && it != std::filesystem::recursive_directory_iterator(); it.increment(ec))
            if (it->is_directory(ec) && !it->is_symlink(ec))
                std::filesystem::permissions(it->path(), std::filesystem::perms::owner_all,
                                             std::filesystem::perm_options::add, ec);
        std::filesystem::remove_all(path_, ec);
    }
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    const std::filesystem::path& path() const { return path_; }
    std::string str() const { return path_.string(); }
    std::string file(const std::string& name) const { return (path_ / name).string(); }

    static std::vector<uint8_t> read(const std::string& path)
    {
        std::ifstream in(path, std::ios::binary);
        return {std::istreambuf_iterator<char>(in), {}};
    }
    static void write(const std::string& path, const std::vector<uint8_t>& bytes)
    {
        std::ofstream(path, std::ios::binary)
            .write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    }

private:
    std::filesystem::path path_;
};

}   // namespace orvane::test
