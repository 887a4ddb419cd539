#pragma once
// The session's sequences for a front end that runs one command and waits for each result (the
// command-line tool): the same start-up, Save, factory reset and effect choice as the main window,
// each run to its end on the calling thread's event loop.

#include "usecases/Session.h"

#include <cstdint>
#include <memory>

namespace orvane::usecases {

enum class ReadOutcome {
    Read,         // the keyboard's configuration is in the working pair and the shadow
    NoKeyboard,   // an interface of the keyboard is not there (or cannot be opened)
    ReadFailed,   // the keyboard stopped answering; nothing was saved
};

class CommandRunner {
public:
    explicit CommandRunner(Session& session) : session_(session) {}

    Session& session() { return session_; }

    // The main window's start-up: MacroDefine.bin, keymap.bin, the keyboard's read-all and the
    // configuration-loaded handling (keymap.bin saved with what the keyboard holds).
    ReadOutcome startAndRead();

    // Before a command edits the working pair: what it holds now, for saveOrRevert.
    void beginChange();
    // Save: the changed areas to the keyboard, keymap.bin after them. When the keyboard fails,
    // the working pair goes back to what it held at beginChange() (edits made in the main window
    // before stay), keymap.bin with it, so a failed command leaves the data folder as it found it.
    link::UploadResult saveOrRevert();

    // Return: the keyboard's factory reset and read-back; keymap.bin follows. When the keyboard
    // fails, the pair and keymap.bin go back to what the keyboard held before.
    bool factoryReset();

    // The effect list's choice of `code` in the main panel (its colour rule included); false when
    // the code is not in the list.
    bool chooseEffect(uint8_t code);

    // The end of the run: the link closes; keymap.bin stays as the last step left it.
    void finish() { session_.exit(false); }

private:
    Session& session_;
    std::unique_ptr<link::ConfigImage> imageBefore_;
    std::unique_ptr<link::KeyExtTable> recordsBefore_;
};

// Whether an upload result means the keyboard holds the working image.
constexpr bool uploadSucceeded(link::UploadResult r)
{
    return r == link::UploadResult::Uploaded || r == link::UploadResult::NothingToSend;
}

}   // namespace orvane::usecases
