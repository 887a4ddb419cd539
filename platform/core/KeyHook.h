#pragma once
// The keyboard-hook library (libVantrel.so) as the macro manager and the key map panel use it. An
// implementation reports the keys to the window it was made for (ui/VantrelKeyHook); tests script it.

namespace orvane::platform {

class KeyHook {
public:
    virtual ~KeyHook() = default;
    // Starts reporting keys: mode 0 reports presses only, mode 1 presses, repeats and releases.
    // False when nothing will be reported.
    virtual bool install(int mode) = 0;
    // Stops reporting at once; safe without a prior install.
    virtual void remove() = 0;
};

}   // namespace orvane::platform
