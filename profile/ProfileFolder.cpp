#include "profile/ProfileFolder.h"

#include "platform/core/AtomicFile.h"
#include "platform/core/RegularFile.h"

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <span>
#include <system_error>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace orvane::profile {

namespace fs = std::filesystem;

namespace {

// A bound on the candidates a generated name tries (the list never holds more than six).
constexpr int kNameCandidates = 10000;

std::span<uint8_t> bytesOf(link::KeyExtTable& table)
{
    return {table.front().data(), kProfileExtSize};
}
std::span<const uint8_t> bytesOf(const link::KeyExtTable& table)
{
    return {table.front().data(), kProfileExtSize};
}

char lowerAscii(char c)
{
    return c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c;
}

bool endsWithBin(std::string_view s, bool anyCase)
{
    if (s.size() < kProfileSuffix.size())
        return false;
    const std::string_view tail = s.substr(s.size() - kProfileSuffix.size());
    if (!anyCase)
        return tail == kProfileSuffix;
    return std::equal(tail.begin(), tail.end(), kProfileSuffix.begin(),
                      [](char a, char b) { return lowerAscii(a) == b; });
}

// Whether anything at all (file, folder, dangling link) has this name.
bool entryExists(const std::string& path)
{
    struct stat st {};
    return ::lstat(path.c_str(), &st) == 0;
}

bool isRegularFile(const std::string& path)
{
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

// The first `limit` bytes of a regular file (all of it when shorter), opened without blocking.
std::optional<std::vector<uint8_t>> readFileStart(const std::string& path, std::size_t limit)
{
    platform::FileRead file = platform::readRegularFile(path, limit);
    if (!file.ok())
        return std::nullopt;
    return std::move(file.bytes);
}

struct ScannedFile {
    std::string name;
    std::string path;
};

}   // namespace

NameProblem checkProfileName(std::string_view text)
{
    if (text.find('/') != std::string_view::npos)
        return NameProblem::Separator;
    if (text.find('\0') != std::string_view::npos)
        return NameProblem::Nul;
    if (text == "." || text == "..")
        return NameProblem::DotName;
    const std::string name = profileNameOf(profileFileName(text));
    if (name.empty())
        return NameProblem::Empty;
    if (name == "." || name == "..")
        return NameProblem::DotName;
    if (profileFileName(text).size() > platform::kMaxFileNameBytes)
        return NameProblem::TooLong;
    return NameProblem::None;
}

std::string profileFileName(std::string_view text)
{
    std::string file(text);
    if (!endsWithBin(text, false))
        file += kProfileSuffix;
    return file;
}

std::string profileNameOf(std::string_view fileName)
{
    if (!endsWithBin(fileName, true))
        return std::string(fileName);
    return std::string(fileName.substr(0, fileName.size() - kProfileSuffix.size()));
}

bool profileNameLess(std::string_view a, std::string_view b)
{
    const auto folded = std::lexicographical_compare(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
        return uint8_t(lowerAscii(x)) < uint8_t(lowerAscii(y));
    });
    const auto foldedReverse = std::lexicographical_compare(b.begin(), b.end(), a.begin(), a.end(), [](char x, char y) {
        return uint8_t(lowerAscii(x)) < uint8_t(lowerAscii(y));
    });
    if (folded || foldedReverse)
        return folded;
    return std::lexicographical_compare(a.begin(), a.end(), b.begin(), b.end(),
                                        [](char x, char y) { return uint8_t(x) < uint8_t(y); });
}

bool hasProfileSize(const std::string& path)
{
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode))
        return false;
    return std::size_t(st.st_size) == kProfileImageSize || std::size_t(st.st_size) == kProfileFileSize;
}

bool readProfileInto(const std::string& path, link::ConfigImage& image, link::KeyExtTable& ext)
{
    // A folder, FIFO or device is no profile (a FIFO would also block the panel); nothing past a
    // profile's size is read. A read error leaves both parts as they were.
    const std::optional<std::vector<uint8_t>> bytes = readFileStart(path, kProfileFileSize);
    if (!bytes)
        return false;
    const std::size_t got = std::min(bytes->size(), image.size());
    std::copy_n(bytes->begin(), got, image.begin());
    if (bytes->size() > image.size())
        std::copy(bytes->begin() + std::ptrdiff_t(image.size()), bytes->end(), bytesOf(ext).begin());
    return true;
}

bool writeProfile(const std::string& path, const link::ConfigImage& image, const link::KeyExtTable& ext)
{
    return platform::writeFileAtomically(path, {std::span<const uint8_t>(image), bytesOf(ext)});
}

// ---- ProfileFolder ------------------------------------------------------------------------------

ProfileFolder::ProfileFolder(std::string folder, link::Sleeper& sleeper) : folder_(std::move(folder)), sleeper_(sleeper)
{
    while (folder_.size() > 1 && folder_.back() == '/')
        folder_.pop_back();
}

std::string ProfileFolder::pathFor(const std::string& fileName) const
{
    return folder_ + '/' + fileName;
}

void ProfileFolder::Scan()
{
    names_.clear();
    paths_.clear();
    scannedPaths_.clear();
    found_ = 0;
    std::vector<ScannedFile> files;
    std::error_code ec;
    for (fs::directory_iterator it(folder_, fs::directory_options::skip_permission_denied, ec), end; !ec && it != end;
         it.increment(ec)) {
        const std::string fileName = it->path().filename().string();
        if (!endsWithBin(fileName, true) || !isRegularFile(it->path().string()))
            continue;
        std::string name = profileNameOf(fileName);
        if (!name.empty())
            files.push_back({std::move(name), it->path().string()});
    }
    // Sorted before the six are taken, so the same six are offered whatever order the folder has.
    std::sort(files.begin(), files.end(),
              [](const ScannedFile& a, const ScannedFile& b) { return profileNameLess(a.name, b.name); });
    for (const ScannedFile& f : files) {
        if (found_ == kMaxScanned)
            break;
        scannedPaths_.push_back(f.path);
        ++found_;
        if (found_ <= kMaxProfiles) {
            names_.push_back(f.name);
            paths_.push_back(f.path);
        }
    }
}

std::optional<int> ProfileFolder::lineOf(std::string_view name) const
{
    const auto it = std::find(names_.begin(), names_.end(), name);
    if (it == names_.end())
        return std::nullopt;
    return int(it - names_.begin());
}

bool ProfileFolder::taken(const std::string& name) const
{
    return lineOf(name).has_value() || entryExists(pathFor(profileFileName(name)));
}

std::optional<std::string> ProfileFolder::Create()
{
    if (isFull())
        return std::nullopt;
    std::optional<std::string> made;
    for (int n = 1; n < kNameCandidates && !made; ++n) {
        const std::string name = std::string(kCreatePattern) + std::to_string(n);
        if (taken(name))
            continue;
        static const link::ConfigImage kZeros{};
        if (platform::writeFileAtomically(pathFor(profileFileName(name)), {std::span<const uint8_t>(kZeros)}))
            made = name;
        break;
    }
    Scan();
    return made;
}

bool ProfileFolder::Save(int line, const link::ConfigImage& image, const link::KeyExtTable& ext,
                         const std::string& alsoTo)
{
    if (!validLine(line))
        return false;
    bool ok = writeProfile(paths_[std::size_t(line)], image, ext);
    if (!alsoTo.empty())
        ok = writeProfile(alsoTo, image, ext) && ok;
    return ok;
}

ProfileFolder::LoadResult ProfileFolder::Load(int line, const std::string& from, link::ConfigImage& image,
                                              link::KeyExtTable& ext)
{
    if (!validLine(line))
        return LoadResult::WriteFailed;
    if (!from.empty() && isRegularFile(from) && !hasProfileSize(from))
        return LoadResult::NotAProfile;
    const bool read = from.empty() || readProfileInto(from, image, ext);
    const bool written = writeProfile(paths_[std::size_t(line)], image, ext);
    return !read ? LoadResult::ReadFailed : written ? LoadResult::Loaded : LoadResult::WriteFailed;
}

std::optional<std::string> ProfileFolder::Copy(int line, model::Language language, NameProblem* refused)
{
    if (refused)
        *refused = NameProblem::None;
    if (!validLine(line) || isFull())
        return std::nullopt;
    // Zeros wherever the source has nothing to give (a created profile holds only the image).
    auto image = std::make_unique<link::ConfigImage>();
    auto ext = std::make_unique<link::KeyExtTable>();
    readProfileInto(paths_[std::size_t(line)], *image, *ext);
    const std::string prefix(model::inLanguage(language, kCopyPrefixEnglish, kCopyPrefixChinese));
    const std::string base = prefix + ' ' + names_[std::size_t(line)];
    std::optional<std::string> made;
    for (int k = 0; k < kNameCandidates; ++k) {
        const std::string name = k == 0 ? base : base + ' ' + std::to_string(k);
        if (taken(name))
            continue;
        const NameProblem problem = checkProfileName(name);
        if (problem == NameProblem::None && writeProfile(pathFor(profileFileName(name)), *image, *ext))
            made = name;
        else if (refused)
            *refused = problem;
        break;
    }
    Scan();
    return made;
}

bool ProfileFolder::Delete(int line)
{
    if (!validLine(line))
        return false;
    const std::string path = paths_[std::size_t(line)];
    bool gone = false;
    for (;;) {
        // unlink, not remove: a folder that took a profile's name is never deleted.
        if (::unlink(path.c_str()) == 0) {
            gone = true;
            break;
        }
        if (errno != ENOENT || deleteRetries_ >= kDeleteRetries)
            break;
        ++deleteRetries_;
    }
    Scan();
    return gone;
}

RenameResult ProfileFolder::Rename(int oldLine, const std::string& text)
{
    if (!validLine(oldLine)) {
        Scan();
        return RenameResult::NoSuchLine;
    }
    if (const NameProblem problem = checkProfileName(text); problem != NameProblem::None) {
        Scan();
        return problem == NameProblem::TooLong ? RenameResult::TooLong : RenameResult::Unsafe;
    }
    const std::string newPath = pathFor(profileFileName(text));
    const bool inTable = std::find(scannedPaths_.begin(), scannedPaths_.end(), newPath) != scannedPaths_.end();
    // Also a file the list does not show (a seventh one, a folder): a rename never replaces anything.
    if (inTable || entryExists(newPath)) {
        Scan();
        sleeper_.sleep(kRenameRefusedWaitMs);
        return RenameResult::Exists;
    }
    const std::string oldPath = paths_[std::size_t(oldLine)];
    // The copy appears whole or not at all. It carries what a profile holds: a larger file is
    // never read whole (Load and Copy read no more either).
    const std::optional<std::vector<uint8_t>> bytes = readFileStart(oldPath, kProfileFileSize);
    if (!bytes || !platform::writeFileAtomically(newPath, {std::span<const uint8_t>(*bytes)})) {
        Scan();
        return RenameResult::CopyFailed;
    }
    sleeper_.sleep(kRenameCopiedWaitMs);
    ::unlink(oldPath.c_str());
    paths_[std::size_t(oldLine)] = newPath;
    sleeper_.sleep(kRenameDeletedWaitMs);
    Scan();
    sleeper_.sleep(kRenameRescannedWaitMs);
    return RenameResult::Renamed;
}

}   // namespace orvane::profile
