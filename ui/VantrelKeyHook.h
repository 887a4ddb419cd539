#pragma once
// The keyboard hook of the programs: libVantrel.so reporting the keys to one window.

#include "platform/core/KeyHook.h"

class QObject;

namespace orvane::ui {

class VantrelKeyHook final : public platform::KeyHook {
public:
    explicit VantrelKeyHook(QObject* window) : window_(window) {}
    bool install(int mode) override;
    void remove() override;

private:
    QObject* window_;
};

}   // namespace orvane::ui
