#pragma once
// orvanectl's commands, carried out on the keyboard the environment names (ORVANE_HID and the
// rest, as for the other programs) through the main program's use cases. The caller runs a
// QCoreApplication; the result is the process exit code.

#include "cli/Arguments.h"

#include <string>

namespace orvane::cli {

enum ExitCode : int {
    kExitDone = 0,
    kExitKeyboardFailed = 1,
    kExitUsage = 2,
    kExitNoKeyboard = 3,
};

struct Output {
    std::string out;   // for stdout
    std::string err;   // for stderr, whole lines
};

// Reads a yes/no answer for the factory reset's confirmation; nothing when there is no one to ask.
using Confirm = bool (*)(const std::string& question, bool& answered);

int runInvocation(const Invocation& invocation, Output& output, Confirm confirm);

} // namespace orvane::cli
