#include "app/Autosave.h"

#include "app/HandlerContext.h"
#include "window/ClosingHandlers.h"
#include "window/ContentBox.h"
#include "window/MainWindow.h"

#include <QElapsedTimer>
#include <QTextDocument>
#include <algorithm>

Autosave::Autosave(HandlerContext& ctx, Report report, QObject* parent)
    : QObject(parent), m_ctx(ctx), m_report(std::move(report))
{
    m_timer.setSingleShot(true);
    connect(&m_timer, &QTimer::timeout, this, &Autosave::save);
    for (int card = 0; card < 3; ++card)
        connect(ctx.window.contentBox(card), &QPlainTextEdit::textChanged, this, &Autosave::onEdited);
}

void Autosave::onEdited()
{
    // Filling a box from the store raises this too; the box is marked
    // unmodified right after, so save() then finds nothing to write.
    if (!m_timer.isActive())
        m_timer.start(currentIntervalMs());
}

int Autosave::currentIntervalMs() const
{
    return int(std::max<qint64>(m_intervalMs, (busyShareDivisor - 1) * m_lastSaveMs));
}

bool Autosave::anyBoxModified() const
{
    for (int card = 0; card < 3; ++card) {
        if (m_ctx.window.contentBox(card)->document()->isModified())
            return true;
    }
    return false;
}

void Autosave::save()
{
    // Already saved by a close request or loss of focus since the edit.
    if (!m_failed && !anyBoxModified())
        return;
    QElapsedTimer clock;
    clock.start();
    const auto failure = Closing::focusLoss(m_ctx);
    m_lastSaveMs = clock.elapsed();
    ++m_saves;
    m_failed = failure.has_value();
    m_report(failure);
    if (m_failed)
        m_timer.start(m_retryMs);
}
