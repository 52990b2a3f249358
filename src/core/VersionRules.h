#pragma once

#include <QString>
#include <QtGlobal>
#include <optional>
#include <vector>

// Which earlier versions of a note or title are kept, and for how long.
//
// A save keeps the text it replaces: at most once every five minutes while
// the user types, and always when it removes much at once (more than half of
// the text, or more than 1,000 characters), as a wipe or a paste over the
// note does. Over time the versions are thinned: every one of the last 24
// hours stays, then one an hour for a week, then one a day for 90 days; and
// all of them together stay under a cap, the oldest (in the order they were
// kept) going first. The newest 20 versions of each key stay whatever their
// times, and the newest one even under the cap: a clock that is wrong, now or
// when a version was kept, must not make versions look old that are not.
namespace VersionRules {

constexpr qint64 minuteMs = 60 * 1000;
constexpr qint64 hourMs = 60 * minuteMs;
constexpr qint64 dayMs = 24 * hourMs;

constexpr qint64 typingSpacingMs = 5 * minuteMs;
constexpr qsizetype largeRemoval = 1000;
constexpr qint64 everyVersionFor = dayMs;
constexpr qint64 hourlyFor = 7 * dayMs;
constexpr qint64 dailyFor = 90 * dayMs;
constexpr qint64 capBytes = 100 * 1000 * 1000;
constexpr int newestKept = 20;

// How many characters a change from before to after takes away: all of
// before that is not part of the start and the end both share.
qsizetype removedBy(const QString& before, const QString& after);

// Whether a save of after over before keeps before as a version, given how
// long ago the newest version of the key was kept (nothing: none is kept).
bool keepsReplaced(const QString& before, const QString& after, std::optional<qint64> sinceNewestMs);

// One kept version as the thinning sees it: its id (ids only grow, so they
// give the order of keeping whatever the clock said), when it was kept
// (nothing when the store holds no readable time) and its size in bytes.
// Keys are compared as given; callers fold them.
struct Kept
{
    qint64 id = 0;
    QString key;
    std::optional<qint64> savedAtMs;
    qint64 bytes = 0;
};

// The ids of the versions to remove at nowMs. Within an hour (or a day) the
// longest version stays: after a wipe that is the text before it, which is
// what a user comes back for. A version's age is known only when its time is
// readable, not later than nowMs and not earlier than that of a version with
// a known age kept before it (a clock set back or ahead, now or then, breaks
// the order); a version of unknown age is thinned by count only, once 20
// newer ones of its key are kept.
std::vector<qint64> toRemove(const std::vector<Kept>& kept, qint64 nowMs, qint64 cap = capBytes);

} // namespace VersionRules
