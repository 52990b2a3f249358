#pragma once

#include <QSet>
#include <QString>
#include <functional>
#include <optional>

// Tells the user about a failure that ended a handler: on stderr and where the
// user sees it (a tray message while the icon shows, otherwise a notice on the
// window). Each distinct failure is told once until the cause is gone.
class FailureReporter
{
public:
    using Sink = std::function<void(const QString& message)>;

    void setUserSink(Sink sink) { m_sink = std::move(sink); }

    void report(const QString& message);
    // Told even when the same failure was told before: each attempt the user
    // makes (a click on "Karte drucken") deserves its own answer.
    void reportEachTime(const QString& message);
    // The cause is gone (a later write went through): the same failure is
    // told again should it come back.
    void clear() { m_told.clear(); }

    // How a save went: a failure is told once, and once a save lands again
    // after one failed, that is told too.
    void saveOutcome(const std::optional<QString>& failure);
    static inline const QString savingAgain =
        QStringLiteral("Die Notizen werden wieder gespeichert; nichts ging verloren.");

    int toldCount() const { return m_toldCount; }
    QString lastMessage() const { return m_last; }

private:
    Sink m_sink;
    QSet<QString> m_told;
    QString m_last;
    int m_toldCount = 0;
    bool m_saveFailing = false;
};
