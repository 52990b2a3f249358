#pragma once

#include <QString>

// Notes keep their line breaks as stored: CRLF pairs, lone CRs (card 1's
// hint at start) and lone LFs. The printer and the text widgets know one
// kind of line end (see KeptLineBreaks for the way back).
namespace LineBreaks {

// Text as shown: every kind of line break becomes one line end ('\n').
QString forDisplay(const QString& text);

} // namespace LineBreaks
