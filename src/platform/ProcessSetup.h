#pragma once

class QApplication;
class QLocale;
class QTranslator;

// Process-wide settings made once at start.
namespace ProcessSetup {

// Files the program creates are the user's alone (umask 077 on Unix), and a
// write beyond the file size limit fails instead of ending the program.
void makeNewFilesPrivate();

// Blocks of a megabyte and more (the copies a save of a long note takes) go
// back to the system once freed, so that what the process holds follows
// what it uses.
void returnLargeBlocksWhenFreed();

// Names, icon and quit behaviour: closing the window never ends the program.
void describeApplication(QApplication& app);

// Qt's own texts (the text boxes' context menus: undo, cut, paste...) in the
// language of locale, when Qt's translations for it are installed. The
// translator belongs to the application; nullptr when there is none.
QTranslator* translateQtTexts(const QLocale& locale);

} // namespace ProcessSetup
