#include "handlers/AutostartCommand.h"

#include "platform/Autostart.h"

#include <QDir>
#include <QTextStream>
#include <cstring>

namespace AutostartCommand {

bool isRequested(int argc, char* argv[])
{
    return argc > 1 && std::strcmp(argv[1], "--autostart") == 0;
}

int run(const QStringList& arguments, const QString& program, QTextStream& out, QTextStream& err)
{
    const QString command = arguments.size() == 1 ? arguments.first() : QString();
    const QString entry = QDir::toNativeSeparators(Autostart::location());
    if (command == QLatin1String("status")) {
        if (Autostart::isEnabled()) {
            out << "Pindel starts at login (" << entry << ").\n";
            return 0;
        }
        out << "Pindel does not start at login.\n";
        return 1;
    }
    if (command != QLatin1String("enable") && command != QLatin1String("disable")) {
        err << "usage: orbo-autostart enable|disable|status\n";
        return 2;
    }
    const bool on = command == QLatin1String("enable");
    if (const auto failure = Autostart::setEnabled(on, program)) {
        err << *failure << '\n';
        return 1;
    }
    if (on)
        out << "Pindel now starts at login (" << entry << ").\n";
    else
        out << "Pindel no longer starts at login.\n";
    return 0;
}

} // namespace AutostartCommand
