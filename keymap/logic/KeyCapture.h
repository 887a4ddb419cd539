#pragma once
// How the key map panel's Single and Combine boxes take keys from the keyboard hook.
//
// A box that the mouse focused takes every key for as long as it keeps the focus, each press
// replacing (Single) or extending (Combine) what it holds. A box reached with the keyboard first
// waits: Tab and Shift+Tab pass on, Escape closes the panel, Space or Enter (on its release) starts
// a capture. That capture also takes every key, Tab, Escape and the arrows included, and ends
// once every key pressed in it is up again, so a chord such as Ctrl+Alt+Del is one capture and
// the next Tab moves on. Keys are Qt key codes; auto-repeats are neither presses nor releases.

#include <set>

namespace orvane::keymap {

class KeyCapture {
public:
    enum class Mode {
        Waiting,   // the hook's reports change nothing
        Open,      // the mouse's capture: until the box loses the focus
        Keys,      // the keyboard's capture: until its keys are released
    };

    Mode mode() const { return mode_; }
    bool capturing() const { return mode_ != Mode::Waiting; }

    void stop() { reset(Mode::Waiting); }
    void openByMouse() { reset(Mode::Open); }
    void begin() { reset(Mode::Keys); }

    void pressed(int key, bool autoRepeat)
    {
        if (mode_ != Mode::Keys || autoRepeat)
            return;
        held_.insert(key);
        ++taken_;
    }
    // True when this release completed the keyboard's capture.
    bool released(int key, bool autoRepeat)
    {
        if (mode_ != Mode::Keys || autoRepeat)
            return false;
        held_.erase(key);
        return complete();
    }
    // The keyboard's capture has its keys and none is held.
    bool complete() const { return mode_ == Mode::Keys && taken_ > 0 && held_.empty(); }

private:
    void reset(Mode m)
    {
        mode_ = m;
        held_.clear();
        taken_ = 0;
    }

    Mode mode_ = Mode::Waiting;
    std::set<int> held_;
    int taken_ = 0;
};

}   // namespace orvane::keymap
