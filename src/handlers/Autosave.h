#pragma once

#include <QObject>

class Timer;
struct HandlerContext;

// Saves the notes soon after the user types, so that a crash or a
// power cut loses at most about a second of typing. A timer starts at the
// first edit since the last save and is not restarted by later edits: the
// contents are written at most one interval after the last edit and at least
// once an interval while the user keeps typing. Edits cost only a flag check;
// the text is taken once per save, never per keystroke, and written by the
// store's worker while the user goes on typing.
//
// A box counts as saved only once its write has landed; while the store
// refuses, the save is tried again without waiting for another edit.
class Autosave : public QObject
{
    Q_OBJECT
public:
    // Well inside the promised second, leaving time for the write itself.
    static constexpr int intervalMs = 750;
    // After a failed write the contents are tried again this much later.
    static constexpr int retryMs = 2000;

    explicit Autosave(HandlerContext& ctx, QObject* parent = nullptr);

    // Shorter intervals for tests.
    void setIntervals(int saveMs, int retryAfterFailureMs)
    {
        m_intervalMs = saveMs;
        m_retryMs = retryAfterFailureMs;
    }

    // Another save failed (loss of focus, a close request): try again soon,
    // as after a failed autosave.
    void retrySoon();

    bool isPending() const;
    int saves() const { return m_saves; }

private:
    void onEdited();
    void save();

    HandlerContext& m_ctx;
    Timer* m_timer;
    int m_intervalMs = intervalMs;
    int m_retryMs = retryMs;
    bool m_inBackground = false;
    int m_saves = 0;
};
