#pragma once

#include <QString>

// Finding a word in a note, not case-sensitive.
namespace TextSearch {

// Where the next occurrence of needle begins after `after` (backward: the
// previous one ending at or before `before`), going round the end (the start)
// of the text when there is none; -1 when the text holds none at all.
qsizetype next(const QString& text, const QString& needle, qsizetype before, qsizetype after, bool backward);

} // namespace TextSearch
