#include "app/FailureReporter.h"

#include <cstdio>

void FailureReporter::report(const QString& message)
{
    if (m_told.contains(message))
        return;
    m_told.insert(message);
    m_last = message;
    ++m_toldCount;
    std::fprintf(stderr, "orbo: %s\n", message.toLocal8Bit().constData());
    std::fflush(stderr);
    if (m_sink)
        m_sink(message);
}
