#pragma once

#include <QObject>
#include <QString>
#include <QTimer>
#include <functional>
#include <optional>

struct HandlerContext;

// Saves the three contents soon after the user types, so that a crash or a
// power cut loses at most about a second of typing. A timer starts at the
// first edit since the last save and is not restarted by later edits: the
// contents are written at most one interval after the last edit and at least
// once an interval while the user keeps typing. Edits cost only a flag check;
// the text is fetched once per save, never per keystroke.
class Autosave : public QObject
{
    Q_OBJECT
public:
    using Report = std::function<void(const std::optional<QString>& failure)>;

    // Well inside the promised second, leaving time for the write itself.
    static constexpr int intervalMs = 750;
    // After a failed write the contents are tried again this much later,
    // without waiting for the next edit.
    static constexpr int retryMs = 5000;
    // Where the store cannot write in the background, saving blocks the
    // event loop: with huge notes (a save of 50 MB takes over a second) the
    // interval then grows so that saving takes at most a quarter of the time
    // and typing stays possible.
    static constexpr int busyShareDivisor = 4;

    Autosave(HandlerContext& ctx, Report report, QObject* parent = nullptr);
    // Waits for a save still running in the background.
    ~Autosave() override;

    // Shorter intervals for tests.
    void setIntervals(int saveMs, int retryAfterFailureMs)
    {
        m_intervalMs = saveMs;
        m_retryMs = retryAfterFailureMs;
    }

    bool isPending() const { return m_timer.isActive(); }
    int saves() const { return m_saves; }
    // The interval the next edit starts.
    int currentIntervalMs() const;

private:
    void onEdited();
    void save();
    void finish(const std::optional<QString>& failure);
    bool anyBoxModified() const;

    HandlerContext& m_ctx;
    Report m_report;
    QTimer m_timer;
    int m_intervalMs = intervalMs;
    int m_retryMs = retryMs;
    bool m_failed = false;
    bool m_inBackground = false;
    int m_saves = 0;
    qint64 m_lastSaveMs = 0;
};
