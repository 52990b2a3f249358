#include "app/Autosave.h"

#include "app/HandlerContext.h"
#include "store/SerializedStore.h"
#include "window/ClosingHandlers.h"
#include "window/ContentBox.h"
#include "window/MainWindow.h"

#include <QElapsedTimer>
#include <algorithm>

Autosave::Autosave(HandlerContext& ctx, Report report, QObject* parent)
    : QObject(parent), m_ctx(ctx), m_report(std::move(report))
{
    m_timer.setSingleShot(true);
    connect(&m_timer, &QTimer::timeout, this, &Autosave::save);
    for (int card = 0; card < 3; ++card)
        connect(ctx.window.contentBox(card), &ContentBox::textChanged, this, &Autosave::onEdited);
}

Autosave::~Autosave()
{
    if (auto* serialized = dynamic_cast<SerializedStore*>(&m_ctx.store))
        serialized->waitUntilIdle();
}

void Autosave::onEdited()
{
    // Refilling a box from the store may raise this too; the box is marked
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
        if (m_ctx.window.contentBox(card)->isModified())
            return true;
    }
    return false;
}

void Autosave::save()
{
    if (m_inBackground) {
        // The last save is still being written; the next one follows it.
        m_timer.start(m_intervalMs);
        return;
    }
    // Already saved by a close request or loss of focus since the edit.
    if (!m_failed && !anyBoxModified())
        return;
    if (auto* serialized = dynamic_cast<SerializedStore*>(&m_ctx.store)) {
        // The texts are taken now; writing them, the slow part with huge
        // notes, runs off the event loop, queued with every other access.
        m_inBackground = true;
        serialized->writeInBackground(Closing::contentWrites(m_ctx), this,
                                      [this](const std::optional<QString>& failure) {
                                          m_inBackground = false;
                                          finish(failure);
                                      });
        return;
    }
    QElapsedTimer clock;
    clock.start();
    const auto failure = Closing::focusLoss(m_ctx);
    m_lastSaveMs = clock.elapsed();
    finish(failure);
}

void Autosave::finish(const std::optional<QString>& failure)
{
    ++m_saves;
    m_failed = failure.has_value();
    m_report(failure);
    if (m_failed)
        m_timer.start(m_retryMs);
}
