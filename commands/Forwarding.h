#pragma once
// orvanectl and a running QX410-Orvane: the main program holds the keyboard and its configuration,
// so a command that works through a session goes to it over its single-instance socket, and the
// main program carries it out on its own session and answers with the output and exit code.
//
//   request:  "orvanectl\n" {"args": [...], "cwd": "..."} "\n"        (one line of compact JSON)
//   answer:   {"code": N, "out": "...", "err": "..."}                   then the main program hangs up
//
// The main program carries out one forwarded command at a time, in the order they arrive.

#include "commands/Tool.h"

#include <QByteArray>
#include <QObject>
#include <QPointer>
#include <QString>

#include <deque>
#include <functional>
#include <optional>
#include <string>
#include <vector>

class QLocalSocket;

namespace orvane::usecases {
class Session;
}

namespace orvane::commands {

// The name of the main program's single-instance lock and server in the runtime folder (it
// starts with a space).
inline constexpr const char* kMainProgramInstance = " {57D1171D-1a34-0804-8A3A-65ABA215001F}";
inline constexpr QByteArrayView kForwardRequest = "orvanectl\n";
// How long the sender waits for the answer (a factory reset and its read-back take a few seconds).
inline constexpr int kForwardAnswerMs = 120000;

// Sends the command to a running main program; its exit code (with its output in `output`), or
// nothing when no main program answers on the socket.
std::optional<int> forwardToMainProgram(const std::vector<std::string>& args, Output& output);

// The main program's side.
class CommandServer : public QObject {
    Q_OBJECT
public:
    // `busy` says whether the window has a panel or message box open: a command then waits for
    // nothing and is refused, since the panel edits the same configuration.
    CommandServer(usecases::Session& session, std::string dataFolder, std::function<bool()> busy,
                  QObject* parent = nullptr);

    // A request's JSON line arrived on `socket`; the answer goes back on it.
    void handle(QLocalSocket* socket, const QByteArray& request);

private:
    void runQueue();
    QByteArray answer(const QByteArray& request);

    usecases::Session& session_;
    std::string dataFolder_;
    std::function<bool()> busy_;
    std::deque<std::pair<QPointer<QLocalSocket>, QByteArray>> queue_;
    bool running_ = false;
};

}   // namespace orvane::commands
