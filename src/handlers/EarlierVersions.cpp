#include "handlers/EarlierVersions.h"

#include "core/CardTable.h"
#include "core/HandlerSteps.h"
#include "core/StepFailure.h"
#include "handlers/HandlerContext.h"
#include "handlers/TitlePanel.h"
#include "store/SerializedStore.h"
#include "ui/ContentBox.h"
#include "ui/MainWindow.h"
#include "ui/TabStrip.h"
#include "ui/TitleBox.h"
#include "ui/VersionsWindow.h"

namespace EarlierVersions {

namespace {

const QString kGone = QStringLiteral("Diese Fassung ist nicht mehr aufbewahrt.");

QStringList cardTitles(MainWindow& w)
{
    QStringList titles;
    for (int card = 0; card < kCardCount; ++card) {
        const QString title = w.card(card).titleBox->text();
        titles << (title.isEmpty() ? cardName(card) : title);
    }
    return titles;
}

std::vector<VersionsWindow::Entry> entries(const std::vector<NoteVersion>& versions)
{
    std::vector<VersionsWindow::Entry> rows;
    rows.reserve(versions.size());
    for (const NoteVersion& v : versions)
        rows.push_back({v.id, v.savedAt, v.length, v.firstLine});
    return rows;
}

void preview(HandlerContext& ctx, VersionsWindow& view)
{
    const auto id = view.currentVersion();
    if (!id)
        return;
    const auto text = ctx.store.versionText(*id);
    view.setPreview(text);
    view.setStatus(text ? QString() : kGone);
}

std::optional<QString> shown(VersionsWindow& view, const std::optional<QString>& failure)
{
    if (failure)
        view.setStatus(*failure);
    return failure;
}

// The chosen card's versions, newest first and previewed. An old list is
// gone before the store is asked, so a refusal never leaves another card's
// versions on show.
std::optional<QString> list(HandlerContext& ctx, VersionsWindow& view)
{
    view.setVersions({});
    view.setStatus({});
    const int card = view.currentCard();
    const CardDefinition& def = kCards.at(size_t(card));
    const QString& key = view.showsTitles() ? def.titleKey : def.contentKey;
    const auto failure = HandlerSteps::stopAtFirstFailure({
        [&] { view.setVersions(entries(ctx.store.versions(key))); },
        [&] { preview(ctx, view); },
    });
    if (!failure)
        return std::nullopt;
    return shown(view, QStringLiteral("Die früheren Fassungen von %1 sind nicht zu lesen: %2")
                           .arg(cardName(card), *failure));
}

// After a restore: the list read again (what was replaced is its newest
// version now) and what was done said in the window.
std::optional<QString> relisted(HandlerContext& ctx, VersionsWindow& view, const QString& done)
{
    if (const auto listed = list(ctx, view))
        return listed;
    view.setStatus(done);
    return std::nullopt;
}

// A title version goes back as "OK" stores a title, after the title in use
// (and one typed on the open panel but not yet taken) is kept as a version,
// so that the restore can itself be undone.
std::optional<QString> restoreTitle(HandlerContext& ctx, VersionsWindow& view)
{
    const int card = view.currentCard();
    const std::optional<qint64> id = view.currentVersion();
    const CardDefinition& def = kCards.at(size_t(card));
    std::optional<QString> title;
    QString replaced;
    auto failure = HandlerSteps::stopAtFirstFailure({
        [&] {
            if (!id)
                throw StepFailure(QStringLiteral("Es ist keine Fassung gewählt."));
            title = ctx.store.versionText(*id);
            if (!title)
                throw StepFailure(kGone);
        },
        [&] {
            const CardControls& c = ctx.window.card(card);
            if (c.panel->isVisible() && c.titleBox->text() != ctx.window.tabStrip()->caption(card))
                ctx.store.keepVersion(def.titleKey, c.titleBox->text());
            replaced = ctx.window.tabStrip()->caption(card);
            ctx.store.keepVersion(def.titleKey, replaced);
        },
    });
    if (!failure)
        failure = TitlePanel::adopt(ctx, card, *title);
    if (failure) {
        return shown(view, QStringLiteral("Die Überschrift von %1 bleibt unverändert, die Fassung wurde "
                                          "nicht wiederhergestellt: %2")
                               .arg(cardName(card), *failure));
    }
    HandlerSteps::tryStep([&] { ctx.window.tabStrip()->tabRow()->setCurrentIndex(card); });
    view.setCards(cardTitles(ctx.window));
    QString done = QStringLiteral("Die Fassung ist wieder die Überschrift von %1.").arg(cardName(card));
    if (!replaced.isEmpty())
        done += QStringLiteral(" Die Überschrift, die sie ersetzt hat, ist als neueste Fassung aufbewahrt.");
    return relisted(ctx, view, done);
}

} // namespace

std::optional<QString> open(HandlerContext& ctx, VersionsWindow& view)
{
    view.setCards(cardTitles(ctx.window));
    view.setCurrentCard(ctx.window.tabStrip()->currentIndex());
    view.present();
    return list(ctx, view);
}

std::optional<QString> cardChosen(HandlerContext& ctx, VersionsWindow& view)
{
    return list(ctx, view);
}

std::optional<QString> kindChosen(HandlerContext& ctx, VersionsWindow& view)
{
    return list(ctx, view);
}

std::optional<QString> versionChosen(HandlerContext& ctx, VersionsWindow& view)
{
    const auto failure = HandlerSteps::tryStep([&] { preview(ctx, view); });
    return shown(view, failure);
}

std::optional<QString> restoreVersion(HandlerContext& ctx, VersionsWindow& view)
{
    if (view.showsTitles())
        return restoreTitle(ctx, view);
    const int card = view.currentCard();
    const std::optional<qint64> id = view.currentVersion();
    ContentBox* box = nullptr;
    std::optional<QString> text;
    QString replaced;
    const auto failure = HandlerSteps::stopAtFirstFailure({
        [&] {
            box = ctx.window.contentBox(card);
            if (!id)
                throw StepFailure(QStringLiteral("Es ist keine Fassung gewählt."));
        },
        [&] {
            // A note that could not be read is locked: what it holds in the
            // store is unknown, so nothing may be put over it.
            if (!box->isLoaded())
                throw StepFailure(QStringLiteral("Die Notiz der Karte konnte nicht gelesen werden und ist "
                                                 "gesperrt, bis sie beim nächsten Öffnen des Fensters "
                                                 "gelesen wird."));
        },
        [&] {
            text = ctx.store.versionText(*id);
            if (!text)
                throw StepFailure(kGone);
        },
        [&] {
            replaced = box->text();
            ctx.store.keepVersion(kCards.at(size_t(card)).contentKey, replaced);
        },
        [&] { box->replaceAsTyped(*text); },
        [&] { ctx.window.tabStrip()->tabRow()->setCurrentIndex(card); },
    });
    if (failure) {
        return shown(view, QStringLiteral("%1 bleibt unverändert, die Fassung wurde nicht "
                                          "wiederhergestellt: %2")
                               .arg(cardName(card), *failure));
    }
    // The store keeps no empty text: there is nothing to go back to.
    QString done = QStringLiteral("Die Fassung steht wieder in %1.").arg(cardName(card));
    if (!replaced.isEmpty())
        done += QStringLiteral(" Der Text, den sie ersetzt hat, ist als neueste Fassung aufbewahrt.");
    return relisted(ctx, view, done);
}

} // namespace EarlierVersions
