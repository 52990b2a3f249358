#pragma once

class QApplication;

// Process-wide settings made once at start.
namespace ProcessSetup {

// Files the program creates are the user's alone (umask 077 on Unix), and a
// write beyond the file size limit fails instead of ending the program.
void makeNewFilesPrivate();

// Names, icon and quit behaviour: closing the window never ends the program.
void describeApplication(QApplication& app);

} // namespace ProcessSetup
