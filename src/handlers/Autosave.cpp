#include "handlers/Autosave.h"

#include "core/CardTable.h"
#include "core/Clock.h"
#include "core/Timer.h"
#include "handlers/HandlerContext.h"
#include "handlers/SaveNotes.h"
#include "ui/ContentBox.h"
#include "ui/MainWindow.h"

Autosave::Autosave(HandlerContext& ctx, QObject* parent)
    : QObject(parent), m_ctx(ctx), m_timer(Clock::current().singleShotTimer(this))
{
    connect(m_timer, &Timer::timeout, this, &Autosave::save);
    for (int card = 0; card < kCardCount; ++card)
        connect(ctx.window.contentBox(card), &ContentBox::textChanged, this, &Autosave::onEdited);
}

void Autosave::onEdited()
{
    // Refilling a box from the store may raise this too; nothing is unsaved
    // then, so save() finds nothing to write.
    if (!m_timer->isActive())
        m_timer->start(m_intervalMs);
}

void Autosave::save()
{
    if (m_inBackground) {
        // The last save is still being written; the next one follows it.
        m_timer->start(m_intervalMs);
        return;
    }
    // Already saved by a close request or loss of focus since the edit.
    if (!SaveNotes::anyUnsaved(m_ctx))
        return;
    m_inBackground = true;
    SaveNotes::inBackground(m_ctx, this, [this](const std::optional<QString>& failure) {
        m_inBackground = false;
        ++m_saves;
        if (failure)
            m_timer->start(m_retryMs);
        else if (SaveNotes::anyUnsaved(m_ctx) && !m_timer->isActive())
            m_timer->start(m_intervalMs);
    });
}

void Autosave::retrySoon()
{
    if (!m_timer->isActive())
        m_timer->start(m_retryMs);
}

bool Autosave::isPending() const
{
    return m_timer->isActive();
}
