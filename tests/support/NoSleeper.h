#pragma once
// The link's pauses skipped: a test runs the keyboard's protocol without its waits.

#include "link/Sleeper.h"

namespace orvane::test {

class NoSleeper final : public link::Sleeper {
public:
    void sleep(int) override {}
    void yield() override {}
};

}   // namespace orvane::test
