#pragma once
// The working and shadow copies of the configuration image and of the extension
// table, keymap.bin, and the comparison that decides what an upload sends.

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>

#include "model/ConfigImage.h"

namespace orvane::link {

// Areas of the image that differ between working and shadow copy, in the
// upload's granularity.
struct ChangedAreas {
    bool colours = false;
    bool gameMode = false;
    bool reportRate = false;
    bool responseTime = false;
    bool keyMap = false;
    bool keyEnable = false;
    std::array<bool, image::kMacroBlockCount> macroBlocks{};
    std::array<bool, image::kLightMapCount> lightMaps{};
    bool lighting = false;   // the five lighting bytes together

    bool any() const;
    // Any area that needs its own acknowledged step (all but the lighting bytes).
    bool anyStep() const;
};

ChangedAreas DetectChanges(const ConfigImage& working, const ConfigImage& shadow);

enum class KeymapLoad {
    Loaded,         // read (possibly short: what the file held)
    Created,        // there was no file: created from the working pair and an empty table
    CreateFailed,   // there was no file and none could be written
    Unreadable,     // the file exists but cannot be read; it is left alone
};

enum class KeymapSource { Working, Shadow };

class ConfigStore {
public:
    ConfigStore();

    ConfigImage& image() { return image_; }
    const ConfigImage& image() const { return image_; }
    ConfigImage& shadowImage() { return shadowImage_; }
    const ConfigImage& shadowImage() const { return shadowImage_; }
    KeyExtTable& extTable() { return ext_; }
    const KeyExtTable& extTable() const { return ext_; }
    KeyExtTable& shadowExtTable() { return shadowExt_; }
    const KeyExtTable& shadowExtTable() const { return shadowExt_; }

    // keymap.bin's full path (the data folder's "keymap.bin").
    void setKeymapPath(std::string path) { keymapPath_ = std::move(path); }
    const std::string& keymapPath() const { return keymapPath_; }

    // g_keymapSkipImage: the next load reads the extension table only.
    void setKeymapSkipImage(bool skip) { keymapSkipImage_ = skip; }
    bool keymapSkipImage() const { return keymapSkipImage_; }

    KeymapLoad LoadKeymapFile();
    // Writes the working or the shadow pair atomically; false when it could not, and
    // always once a load found keymap.bin unreadable: a file the program cannot read
    // may hold work it must not destroy, so it is left alone for the rest of the run.
    bool SaveKeymapFile(KeymapSource source = KeymapSource::Working) const;
    bool keymapLeftAlone() const { return keymapLeftAlone_; }
    // errno of the load that found keymap.bin unreadable (ENODEV: not a regular file; ENOENT: a
    // link to nothing).
    int keymapError() const { return keymapError_; }

    void CopyWorkingToShadow();
    void CopyShadowToWorking();
    // The image alone (a completed read-all or upload).
    void CopyImageToShadow() { shadowImage_ = image_; }

private:
    void resetKeyCodes();
    KeymapLoad unreadable(int error);

    ConfigImage image_{};
    ConfigImage shadowImage_{};
    KeyExtTable ext_{};
    KeyExtTable shadowExt_{};
    std::string keymapPath_;
    bool keymapSkipImage_ = false;
    bool keymapLeftAlone_ = false;
    int keymapError_ = 0;
};

}   // namespace orvane::link
