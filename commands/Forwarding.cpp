#include "commands/Forwarding.h"

#include "commands/Arguments.h"
#include "platform/core/Folders.h"

#include <QDir>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLocalSocket>

namespace orvane::commands {

std::optional<int> forwardToMainProgram(const std::vector<std::string>& args, Output& output)
{
    std::string error;
    const std::optional<std::string> runtime = platform::runtimeFolder(error);
    if (!runtime)
        return std::nullopt;
    QLocalSocket socket;
    socket.connectToServer(QString::fromStdString(*runtime) + QString::fromLatin1(kMainProgramInstance));
    if (!socket.waitForConnected(1000))
        return std::nullopt;   // no main program (or one that does not listen): the tool works alone
    QJsonArray list;
    for (const std::string& a : args)
        list.append(QString::fromStdString(a));
    QByteArray request(kForwardRequest.data(), kForwardRequest.size());
    request += QJsonDocument(QJsonObject{{"args", list}, {"cwd", QDir::currentPath()}}).toJson(QJsonDocument::Compact);
    request += '\n';
    socket.write(request);
    socket.waitForBytesWritten(5000);
    QByteArray answer;
    while (socket.state() == QLocalSocket::ConnectedState && socket.waitForReadyRead(kForwardAnswerMs))
        answer += socket.readAll();
    answer += socket.readAll();
    const QJsonObject o = QJsonDocument::fromJson(answer).object();
    if (!o.contains("code")) {
        output.err += "orvanectl: QX410-Orvane is running but did not carry out the command; close it and try again\n";
        return kExitKeyboardFailed;
    }
    output.out += o.value("out").toString().toStdString();
    output.err += o.value("err").toString().toStdString();
    return o.value("code").toInt(kExitKeyboardFailed);
}

CommandServer::CommandServer(usecases::Session& session, std::string dataFolder, std::function<bool()> busy,
                             QObject* parent)
    : QObject(parent), session_(session), dataFolder_(std::move(dataFolder)), busy_(std::move(busy))
{}

void CommandServer::handle(QLocalSocket* socket, const QByteArray& request)
{
    queue_.emplace_back(QPointer<QLocalSocket>(socket), request);
    // A command waits for the keyboard inside its own event loop; one that arrives meanwhile
    // waits its turn here.
    if (!running_)
        runQueue();
}

void CommandServer::runQueue()
{
    running_ = true;
    while (!queue_.empty()) {
        auto [socket, request] = queue_.front();
        queue_.pop_front();
        if (!socket)
            continue;   // the sender gave up
        const QByteArray reply = answer(request);
        if (socket) {
            socket->write(reply);
            socket->flush();
            socket->disconnectFromServer();
        }
    }
    running_ = false;
}

QByteArray CommandServer::answer(const QByteArray& request)
{
    Output output;
    int code = kExitUsage;
    const QJsonObject o = QJsonDocument::fromJson(request).object();
    std::vector<std::string> args;
    for (const QJsonValue& v : o.value("args").toArray())
        args.push_back(v.toString().toStdString());
    const ParseResult parsed = parseArguments(args, o.value("cwd").toString().toStdString());
    if (!parsed.invocation) {
        output.err = "orvanectl: " + parsed.error + "\n";
    } else if (busy_ && busy_()) {
        output.err = "orvanectl: QX410-Orvane has a panel or message open; close it and try again\n";
        code = kExitKeyboardFailed;
    } else {
        code = runOnMainProgramSession(*parsed.invocation, session_, dataFolder_, output);
    }
    return QJsonDocument(QJsonObject{{"code", code},
                                     {"out", QString::fromStdString(output.out)},
                                     {"err", QString::fromStdString(output.err)}})
        .toJson(QJsonDocument::Compact);
}

}   // namespace orvane::commands
