#pragma once

#include <QStringList>

class QTextStream;

// `orbo --autostart enable|disable|status`: starting at login switched from
// the command line (the orbo-autostart helper calls it), before any window,
// tray icon or display exists.
namespace AutostartCommand {

// True when the command line asks for it: --autostart as the first argument.
bool isRequested(int argc, char* argv[]);

// Runs the command given by the arguments after --autostart for program (a
// full path, named by the entry). Tells the outcome on out, a failure on err;
// returns the exit status: 0 on success and for status when Pindel starts at
// login, 1 when it does not or the entry cannot be changed, 2 for a wrong
// command.
int run(const QStringList& arguments, const QString& program, QTextStream& out, QTextStream& err);

} // namespace AutostartCommand
