#pragma once

#include <QString>

// A note of the given size in characters: numbered lines of ordinary text.
inline QString noteOfSize(qsizetype bytes)
{
    QString text;
    text.reserve(bytes);
    for (int line = 0; text.size() < bytes; ++line)
        text += QStringLiteral("Zeile %1: Notizzettel mit etwas Text, damit sie breit ist.\n")
                    .arg(line, 7, 10, QLatin1Char('0'));
    text.truncate(bytes);
    return text;
}
