// skyloom-host: the stand-in for the host client. Writes and shows session
// files, starts the tool and relays host commands to it.

#include "tools/host/DemoCommand.h"
#include "tools/host/PackageCommand.h"
#include "tools/host/SessionCommands.h"
#include "tools/host/ToolControl.h"

#include <QCoreApplication>
#include <iostream>

namespace {

void usage() {
    std::cerr << "usage:\n"
                 "  skyloom-host session write FILE [options]   write a session file (see 'session help')\n"
                 "  skyloom-host session show FILE ID          print the session as the tool reads it\n"
                 "  skyloom-host start SESSIONFILE ID [--tool PATH]\n"
                 "      start the tool and relay commands from standard input:\n"
                 "      reset close minimise restore front lost lock unlock active? or a number\n"
                 "  skyloom-host send ID CODE                  send one command to a running tool\n"
                 "  skyloom-host demo [--dir DIR] [--tool PATH] ...\n"
                 "      set up the demo installation, start the tool on it (options: 'demo --help')\n";
}

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication application(argc, argv);
    auto args = QCoreApplication::arguments().mid(1);
    if (args.isEmpty()) {
        usage();
        return 2;
    }
    const auto command = args.takeFirst();
    if (command == QLatin1String("session")) return runSessionCommand(args);
    if (command == QLatin1String("start")) return runStartCommand(args);
    if (command == QLatin1String("send")) return runSendCommand(args);
    if (command == QLatin1String("demo")) return runDemoCommand(args);
    if (command == QLatin1String("package")) return runPackageCommand(args);
    usage();
    return 2;
}
