#pragma once

#include <QString>

// Notes keep their line breaks as stored: CRLF pairs, lone CRs (card 1's
// hint at start) and lone LFs. The text widgets and the printer know one
// kind of line end; these convert between the two.
namespace LineBreaks {

// Text as shown: every kind of line break becomes one line end ('\n').
QString forDisplay(const QString& text);

// Text as the user typed it: each line end becomes lineBreak (the
// platform's line break).
QString fromDisplay(const QString& shown, const QString& lineBreak);

} // namespace LineBreaks
