#pragma once
// The user's language choice, shared by both programs and written by neither:
// $XDG_CONFIG_HOME/PX840.conf (default ~/.config/PX840.conf), INI form, the line
// Language=chinese in the General section.

#include <string>

namespace orvane::platform {

class Settings {
public:
    // The settings file of this user (it may not exist).
    static std::string defaultPath();
    explicit Settings(std::string path = defaultPath()) : path_(std::move(path)) {}

    const std::string& path() const { return path_; }
    // True when the file selects Chinese: exactly "chinese". Anything else, a missing value or a
    // missing file is English (model::languageFor turns this into the programs' Language).
    bool chinese() const;

private:
    std::string path_;
};

}   // namespace orvane::platform
