#pragma once
// orvanectl's commands, carried out on the keyboard the environment names (ORVANE_HID and the
// rest, as for the other programs) through the main program's use cases. The caller runs a
// QCoreApplication; the result is the process exit code.

#include "commands/Arguments.h"

#include <string>
#include <vector>

namespace orvane::usecases {
class Session;
}

namespace orvane::commands {

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

// `args` as given (a command that works through a session is sent to a running main program).
int runInvocation(const Invocation& invocation, const std::vector<std::string>& args, Output& output, Confirm confirm);

// Whether the command works through a session on the keyboard (and so goes to a running main
// program instead of opening the keyboard itself).
bool usesSession(Command command);

// A command forwarded by another orvanectl, carried out on the main program's own session: its
// working pair is edited and saved as its Save would (a reset's confirmation was the sender's).
int runOnMainProgramSession(const Invocation& invocation, usecases::Session& session, const std::string& dataFolder,
                            Output& output);

}   // namespace orvane::commands
