#pragma once
// Where the programs find what they ship and keep what they write.
// Install folder: the folder of the running executable (what the build ships).
// Data folder: $ORVANE_HOME when set; else the install folder when writable;
// else $XDG_DATA_HOME/QX410-Orvane/ (default ~/.local/share/QX410-Orvane/).
// The data folder and its Configure/ are created when missing. Every folder
// name ends in '/'.

#include <optional>
#include <string>

namespace orvane::platform {

// What the folder choice depends on; fromProcess() reads the real values,
// tests fill it in.
struct FolderInputs {
    std::string installFolder;                // ends in '/'
    std::optional<std::string> orvaneHome;    // $ORVANE_HOME
    std::optional<std::string> xdgDataHome;   // $XDG_DATA_HOME
    std::optional<std::string> home;          // $HOME
    static FolderInputs fromProcess();
};

class Folders {
public:
    // Resolves and creates the data folder; nullopt with `error` set when no
    // usable data folder can be made.
    static std::optional<Folders> resolve(const FolderInputs& inputs, std::string& error);

    const std::string& installFolder() const { return install_; }
    const std::string& dataFolder() const { return data_; }
    std::string configureFolder() const { return data_ + "Configure/"; }
    // VER.bin of the data folder when present, else the install folder's (which
    // may not exist either).
    std::string verBinPath() const;
    // Removes what writers killed in the middle of a save left in the data folder and Configure/
    // (see removeStaleTemporaryFiles); how many files went.
    int removeStaleTemporaryFiles() const;

private:
    Folders(std::string install, std::string data) : install_(std::move(install)), data_(std::move(data)) {}
    std::string install_;
    std::string data_;
};

// The folder of /proc/self/exe, ending in '/'.
std::string installFolderOfThisProgram();

// The per-user runtime folder (QStandardPaths::RuntimeLocation) with '/' at the
// end, after checking that it belongs to us and has mode 0700; nullopt with
// `error` set otherwise.
std::optional<std::string> runtimeFolder(std::string& error);

// Creates (or accepts) the 0700 folder `name` inside `parent`. An existing entry
// is accepted only when it is a real folder (never a symbolic link), owned by us;
// its mode is then set to 0700. Returns the folder with '/' at the end.
std::optional<std::string> makePrivateFolder(const std::string& parent, const std::string& name, std::string& error);

}   // namespace orvane::platform
