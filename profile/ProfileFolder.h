#pragma once
// The profile folder (Configure/ in the data folder) and the operations of the profile panel on it.
//
// A profile file is the configuration image followed by the 255 key extension records, exactly as
// keymap.bin holds them (206,916 bytes); a newly created one holds only the image part, as zeros.
// The profile's name is its file name without the trailing ".bin"; every line of the list keeps the
// real path of its file, so a name and its file can never disagree.
//
// Every operation works on names and paths inside the folder only: a name that could reach outside it
// is refused, and every write goes through a temporary file and a rename, so a failed write leaves the
// old file whole.

#include "model/ConfigImage.h"
#include "link/Sleeper.h"
#include "model/Language.h"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace orvane::profile {

inline constexpr int kMaxProfiles = 6;      // lines offered in the list
inline constexpr int kMaxScanned = 7;       // the scan stops counting files here
inline constexpr int kDeleteRetries = 10;   // "file not found" repeats over the whole run
inline constexpr std::size_t kProfileImageSize = link::kConfigImageSize;
inline constexpr std::size_t kProfileExtSize = link::kKeyExtRecordSize * link::kKeyExtRecordCount;
inline constexpr std::size_t kProfileFileSize = link::kKeymapFileSize;
static_assert(kProfileImageSize + kProfileExtSize == kProfileFileSize);

// The pauses of a rename, in milliseconds, in the order they happen.
inline constexpr int kRenameRefusedWaitMs = 300;
inline constexpr int kRenameCopiedWaitMs = 100;
inline constexpr int kRenameDeletedWaitMs = 200;
inline constexpr int kRenameRescannedWaitMs = 300;

inline constexpr std::string_view kProfileSuffix = ".bin";
inline constexpr std::string_view kCreatePattern = "Profile_";
// The prefixes of a copy's name, as the panel has always written them.
inline constexpr std::string_view kCopyPrefixEnglish = "Copy of ?";
inline constexpr std::string_view kCopyPrefixChinese = "\xE5\xA4\x8D\xE5\x88\xB6 ";   // "复制 "

// Why a name typed for a profile cannot be used.
enum class NameProblem {
    None,
    Empty,       // nothing left once ".bin" is taken off: the file would be hidden and never listed
    Separator,   // contains '/' (would leave the folder)
    Nul,         // contains a NUL character
    DotName,     // "." or ".."
    TooLong,     // the file name (with ".bin") is longer than the 255 bytes a file system takes
};
NameProblem checkProfileName(std::string_view text);

// The file name a typed text gives: the text, with ".bin" appended unless it already ends in it.
std::string profileFileName(std::string_view text);

// The name a file name gives in the list: the file name without its trailing ".bin" (any case).
std::string profileNameOf(std::string_view fileName);

// The order of the list: letters compared without regard to ASCII case, then byte by byte.
bool profileNameLess(std::string_view a, std::string_view b);

enum class RenameResult {
    Renamed,
    Exists,       // the name is taken (or unchanged): nothing changed, the list was rebuilt
    Unsafe,       // the name was refused (see checkProfileName): nothing changed, the list was rebuilt
    TooLong,      // the file name would pass 255 bytes: nothing changed, the list was rebuilt
    CopyFailed,   // the new file could not be written: both files are as they were
    NoSuchLine,   // the old line index is not a line of the list
};

class ProfileFolder {
public:
    // `folder` is Configure/ of the data folder (a '/' at its end is optional).
    ProfileFolder(std::string folder, link::Sleeper& sleeper);

    const std::string& folder() const { return folder_; }

    // Rebuilds the list: the folder's "*.bin" files (regular files only), sorted by name; the first
    // six are listed. A missing folder gives an empty list.
    void Scan();

    // List lines (profile names) in list order, and the path of each line's file.
    const std::vector<std::string>& names() const { return names_; }
    const std::vector<std::string>& paths() const { return paths_; }
    int count() const { return int(names_.size()); }
    // Files counted by the last scan (at most seven).
    int foundCount() const { return found_; }
    bool isFull() const { return count() >= kMaxProfiles; }
    bool validLine(int line) const { return line >= 0 && line < count(); }
    std::optional<int> lineOf(std::string_view name) const;

    // Algorithm: Create. The smallest free "Profile_%d", 10,056 zero bytes; rescans. The new name,
    // or nothing when the list is full or the file cannot be written.
    std::optional<std::string> Create();

    // Save: the live pair into the line's file and, when `alsoTo` is not empty, into that file too.
    // No rescan. False when a write failed (the old files are then whole).
    bool Save(int line, const link::ConfigImage& image, const link::KeyExtTable& ext, const std::string& alsoTo);

    // Load: when `from` is not empty, its 10,056 bytes into the image and then its 196,860 bytes (if it
    // has them) into the records; then the live pair into the line's file. No rescan. A file of another
    // size is no profile (another file of the program, say): it is refused and nothing changes.
    enum class LoadResult { Loaded, NotAProfile, ReadFailed, WriteFailed };
    LoadResult Load(int line, const std::string& from, link::ConfigImage& image, link::KeyExtTable& ext);

    // Copy: the line's file under the first free name "<prefix> <name>", "<prefix> <name> 1", ...;
    // rescans. What the file lacks (or all of it, when it cannot be read) becomes zeros. The new name,
    // or nothing when the list is full, the line is not valid, the copy's name cannot be used (its
    // problem then goes to `refused`) or the copy cannot be written.
    std::optional<std::string> Copy(int line, model::Language language, NameProblem* refused = nullptr);

    // Delete: removes the line's file (never a folder); rescans. False when it is still there.
    bool Delete(int line);

    // Rename after an in-place edit of line `oldLine` to `text`, with the pauses of the system
    // (through the sleeper); the list is rebuilt in every case.
    RenameResult Rename(int oldLine, const std::string& text);

private:
    std::string pathFor(const std::string& fileName) const;
    bool taken(const std::string& name) const;

    std::string folder_;   // without the trailing '/'
    link::Sleeper& sleeper_;
    std::vector<std::string> names_;
    std::vector<std::string> paths_;
    std::vector<std::string> scannedPaths_;   // every file counted by the scan (up to seven)
    int found_ = 0;
    int deleteRetries_ = 0;   // over the life of the folder object (the whole run)
};

// Whether `path` is a regular file of a profile's size: the image alone (as Create writes it) or the
// image and the records.
bool hasProfileSize(const std::string& path);

// Reads up to image.size() bytes of `path` into `image` and then up to the records' size into `ext`,
// never past the end of the file; the bytes the file lacks are left as they were. Only regular files
// are read. False when the file cannot be opened.
bool readProfileInto(const std::string& path, link::ConfigImage& image, link::KeyExtTable& ext);

// Writes image and records to `path` through a temporary file and a rename.
bool writeProfile(const std::string& path, const link::ConfigImage& image, const link::KeyExtTable& ext);

}   // namespace orvane::profile
