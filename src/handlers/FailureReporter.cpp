#include "handlers/FailureReporter.h"

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

void FailureReporter::reportEachTime(const QString& message)
{
    m_told.remove(message);
    report(message);
}

void FailureReporter::saveOutcome(const std::optional<QString>& failure)
{
    if (failure) {
        m_saveFailing = true;
        report(*failure);
        return;
    }
    clear();
    if (m_saveFailing) {
        m_saveFailing = false;
        report(savingAgain);
        m_told.remove(savingAgain);
    }
}
