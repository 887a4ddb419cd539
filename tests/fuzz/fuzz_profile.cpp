// libFuzzer target: profile files of any content and size in a profile folder, through the
// folder's scan, Load, Copy and Rename (with any typed name). Checked: Load of a file of a
// profile's size takes exactly what the file holds and writes the whole live pair, a file of
// any other size is refused and changes nothing; a copy is the source's profile part with zeros
// where it has none; a rename carries the profile part over and removes the old file, or changes
// nothing; nothing is ever written outside the folder.
//
// Input layout: byte 0 chooses the operations and the language; then three files, each a 3-byte
// little-endian length followed by its bytes (cut to what is left): two profiles "A.bin" and
// "b.bin" in the folder and a file outside it to load from; whatever follows is the new name.

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "profile/ProfileFolder.h"
#include "tests/fuzz/FuzzSupport.h"

using orvane::fuzz::check;
using namespace orvane;
using namespace orvane::profile;
namespace fs = std::filesystem;

namespace {

class NoSleep final : public link::Sleeper {
public:
    void sleep(int) override {}
    void yield() override {}
};

using Bytes = std::vector<uint8_t>;

// The file's profile part as a whole profile: what it holds up to 206,916 bytes, zeros after.
Bytes profilePart(const Bytes& file)
{
    Bytes p(file.begin(), file.begin() + std::ptrdiff_t(std::min(file.size(), kProfileFileSize)));
    p.resize(kProfileFileSize, 0);
    return p;
}

std::vector<std::string> listing(const std::string& folder)
{
    std::vector<std::string> names;
    std::error_code ec;
    for (const auto& e : fs::recursive_directory_iterator(folder, ec))
        names.push_back(e.path().string());
    std::sort(names.begin(), names.end());
    return names;
}

}   // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size)
{
    if (size < 1)
        return 0;
    const uint8_t ops = data[0];
    std::size_t at = 1;
    const auto nextFile = [&] {
        std::size_t len = 0;
        for (int i = 0; i < 3; ++i)
            len |= std::size_t(at < size ? data[at++] : 0) << (8 * i);
        len = std::min(len, size - at);
        Bytes b(data + at, data + at + len);
        at += len;
        return b;
    };
    const Bytes a = nextFile(), b = nextFile(), from = nextFile();
    const std::string text(reinterpret_cast<const char*>(data + at), size - at);

    const std::string root = fuzz::scratchFolder() + "/profile";
    const std::string folder = root + "/Configure";
    std::error_code ec;
    fs::remove_all(root, ec);
    fs::create_directories(folder);
    fuzz::writeFile(folder + "/A.bin", a.data(), a.size());
    fuzz::writeFile(folder + "/b.bin", b.data(), b.size());
    fuzz::writeFile(root + "/from.bin", from.data(), from.size());
    const std::vector<std::string> outside = [&] {
        std::vector<std::string> l = listing(root);
        l.erase(std::remove_if(l.begin(), l.end(), [&](const std::string& p) { return p.rfind(folder, 0) == 0; }),
                l.end());
        return l;
    }();

    NoSleep sleeper;
    ProfileFolder profiles(folder + "/", sleeper);
    profiles.Scan();
    check(profiles.count() == 2 && profiles.names()[0] == "A" && profiles.names()[1] == "b");

    if (ops & 1) {
        // Load the outside file into a live pair whose every byte says where it is.
        auto image = std::make_unique<link::ConfigImage>();
        auto ext = std::make_unique<link::KeyExtTable>();
        for (std::size_t i = 0; i < image->size(); ++i)
            (*image)[i] = uint8_t(i * 5 + 1);
        for (auto& r : *ext)
            r.fill(0xC3);
        Bytes expected(image->begin(), image->end());
        for (const auto& r : *ext)
            expected.insert(expected.end(), r.begin(), r.end());
        const std::size_t imageBytes = std::min(from.size(), kProfileImageSize);
        std::copy_n(from.begin(), imageBytes, expected.begin());
        if (from.size() >= kProfileImageSize) {
            const std::size_t extBytes = std::min(from.size() - kProfileImageSize, kProfileExtSize);
            std::copy_n(from.begin() + std::ptrdiff_t(kProfileImageSize), extBytes,
                        expected.begin() + std::ptrdiff_t(kProfileImageSize));
        }
        const int line = (ops >> 1) & 1;
        const std::string target = profiles.paths()[std::size_t(line)];
        const Bytes targetBefore = fuzz::readFile(target);
        const Bytes live(image->begin(), image->end());
        const ProfileFolder::LoadResult r = profiles.Load(line, root + "/from.bin", *image, *ext);
        if (from.size() == kProfileImageSize || from.size() == kProfileFileSize) {
            check(r == ProfileFolder::LoadResult::Loaded);
            check(std::memcmp(image->data(), expected.data(), kProfileImageSize) == 0);
            check(std::memcmp(ext->front().data(), expected.data() + kProfileImageSize, kProfileExtSize) == 0);
            check(fuzz::readFile(target) == expected);
        } else {
            // Not a profile's size: refused, and neither the live pair nor the line's file changes.
            check(r == ProfileFolder::LoadResult::NotAProfile);
            check(std::equal(live.begin(), live.end(), image->begin()));
            check(fuzz::readFile(target) == targetBefore);
        }
    }
    if (ops & 4) {
        const std::string source = profiles.paths()[0];
        const Bytes before = fuzz::readFile(source);
        const std::optional<std::string> made =
            profiles.Copy(0, (ops & 8) ? model::Language::Chinese : model::Language::English);
        check(made.has_value());
        const std::optional<int> line = profiles.lineOf(*made);
        check(line.has_value());
        check(fuzz::readFile(profiles.paths()[std::size_t(*line)]) == profilePart(before));
    }
    if (ops & 16) {
        const int line = (ops >> 5) & 1;
        const std::vector<std::string> pathsBefore = profiles.paths();
        const std::string oldPath = pathsBefore[std::size_t(line)];
        const Bytes old = fuzz::readFile(oldPath);
        const std::vector<std::string> listed = listing(folder);
        const RenameResult r = profiles.Rename(line, text);
        if (r == RenameResult::Renamed) {
            check(checkProfileName(text) == NameProblem::None);
            const std::string newPath = folder + "/" + profileFileName(text);
            check(!fs::exists(oldPath));
            Bytes part(old.begin(), old.begin() + std::ptrdiff_t(std::min(old.size(), kProfileFileSize)));
            check(fuzz::readFile(newPath) == part);
        } else {
            check(listing(folder) == listed && fuzz::readFile(oldPath) == old);
        }
    }
    // Whatever the names, nothing outside the folder appeared or went.
    std::vector<std::string> after = listing(root);
    after.erase(
        std::remove_if(after.begin(), after.end(), [&](const std::string& p) { return p.rfind(folder, 0) == 0; }),
        after.end());
    check(after == outside);
    return 0;
}
