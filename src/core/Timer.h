#pragma once

#include <QObject>

// A timer taken from the clock (see Clock): single-shot or repeating, with
// the part of QTimer the program uses. Tests move a clock of their own by
// hand, so nothing that waits on a timer needs to wait in real time.
class Timer : public QObject
{
    Q_OBJECT
public:
    Timer(bool singleShot, QObject* parent) : QObject(parent), m_singleShot(singleShot) {}

    bool isSingleShot() const { return m_singleShot; }
    int interval() const { return m_interval; }
    void setInterval(int ms) { m_interval = ms; }

    // Starts, or starts again from now: timeout() follows after the interval.
    void start() { schedule(m_interval); }
    void start(int ms)
    {
        m_interval = ms;
        schedule(ms);
    }
    virtual void stop() = 0;
    virtual bool isActive() const = 0;

signals:
    void timeout();

protected:
    virtual void schedule(int ms) = 0;

private:
    bool m_singleShot;
    int m_interval = 0;
};
