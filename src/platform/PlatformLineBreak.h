#pragma once

#include <QString>

// The line break a note gets where the user types or pastes one: CRLF on
// Windows, LF elsewhere.
namespace PlatformLineBreak {
#ifdef Q_OS_WIN
inline const QString text = QStringLiteral("\r\n");
#else
inline const QString text = QStringLiteral("\n");
#endif
} // namespace PlatformLineBreak
