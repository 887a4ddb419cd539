// orvanectl: the keyboard's configuration from the command line.
#include "commands/Arguments.h"
#include "commands/Tool.h"

#include <QCoreApplication>

#include <cstdio>
#include <iostream>
#include <string>
#include <unistd.h>

namespace {

bool askOnTerminal(const std::string& question, bool& answered)
{
    answered = false;
    if (!::isatty(STDIN_FILENO))
        return false;
    std::fputs(question.c_str(), stderr);
    std::fflush(stderr);
    std::string reply;
    if (!std::getline(std::cin, reply))
        return false;
    answered = true;
    return reply == "y" || reply == "Y" || reply == "yes";
}

}   // namespace

int main(int argc, char** argv)
{
    using namespace orvane::commands;
    const std::vector<std::string> args(argv + 1, argv + argc);
    const ParseResult parsed = parseArguments(args);
    if (!parsed.invocation) {
        std::fprintf(stderr, "orvanectl: %s\n", parsed.error.c_str());
        return kExitUsage;
    }
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("orvanectl"));
    Output output;
    const int code = runInvocation(*parsed.invocation, args, output, &askOnTerminal);
    std::fwrite(output.out.data(), 1, output.out.size(), stdout);
    std::fwrite(output.err.data(), 1, output.err.size(), stderr);
    return code;
}
