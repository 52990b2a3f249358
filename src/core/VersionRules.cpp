#include "core/VersionRules.h"

#include <QHash>
#include <algorithm>
#include <cstdlib>
#include <set>
#include <tuple>

namespace VersionRules {

qsizetype removedBy(const QString& before, const QString& after)
{
    const qsizetype shorter = std::min(before.size(), after.size());
    qsizetype start = 0;
    while (start < shorter && before[start] == after[start])
        ++start;
    qsizetype end = 0;
    while (end < shorter - start && before[before.size() - 1 - end] == after[after.size() - 1 - end])
        ++end;
    return before.size() - start - end;
}

bool keepsReplaced(const QString& before, const QString& after, std::optional<qint64> sinceNewestMs)
{
    if (before.isEmpty() || before == after)
        return false;
    const qsizetype removed = removedBy(before, after);
    if (removed > largeRemoval || removed * 2 > before.size())
        return true;
    // A clock set back counts as time gone by: versions must not stop for
    // as long as it is behind.
    return !sinceNewestMs || std::llabs(*sinceNewestMs) >= typingSpacingMs;
}

std::vector<qint64> toRemove(const std::vector<Kept>& kept, qint64 nowMs, qint64 cap)
{
    // In the order of keeping, which no clock can disturb.
    std::vector<const Kept*> order;
    order.reserve(kept.size());
    for (const Kept& k : kept)
        order.push_back(&k);
    std::sort(order.begin(), order.end(), [](const Kept* a, const Kept* b) { return a->id < b->id; });

    // How many versions of its key were kept after each one.
    QHash<qint64, int> newer;
    QHash<QString, int> seen;
    for (auto it = order.rbegin(); it != order.rend(); ++it)
        newer.insert((*it)->id, seen[(*it)->key]++);

    // The ages that can be trusted: a time later than now, or earlier than
    // one trusted before it, was told by a clock that was wrong then or is
    // wrong now, and which of them is cannot be known.
    QHash<qint64, qint64> ageOf;
    std::optional<qint64> latest;
    for (const Kept* k : order) {
        if (!k->savedAtMs || *k->savedAtMs > nowMs || (latest && *k->savedAtMs < *latest))
            continue;
        latest = k->savedAtMs;
        ageOf.insert(k->id, nowMs - *k->savedAtMs);
    }

    // Per key and hour (or day) of the versions older than a day: the
    // longest, the later of equals, stays.
    QHash<QString, const Kept*> longest;
    auto bucketOf = [&](const Kept* k) {
        const qint64 span = ageOf.value(k->id) < hourlyFor ? hourMs : dayMs;
        const qint64 t = *k->savedAtMs;
        return QStringLiteral("%1/%2/%3").arg(k->key).arg(span).arg(t / span - (t % span < 0 ? 1 : 0));
    };
    auto inBuckets = [&](const Kept* k) {
        const auto age = ageOf.constFind(k->id);
        return age != ageOf.cend() && *age >= everyVersionFor && *age < dailyFor;
    };
    for (const Kept* k : order) {
        if (!inBuckets(k))
            continue;
        const Kept*& best = longest[bucketOf(k)];
        if (!best || std::tie(k->bytes, k->id) >= std::tie(best->bytes, best->id))
            best = k;
    }

    std::set<qint64> removed;
    for (const Kept* k : order) {
        if (newer.value(k->id) < newestKept)
            continue;
        const auto age = ageOf.constFind(k->id);
        if (age == ageOf.cend())
            removed.insert(k->id); // an unknown age: by count
        else if (*age >= dailyFor || (inBuckets(k) && longest.value(bucketOf(k)) != k))
            removed.insert(k->id);
    }

    qint64 total = 0;
    for (const Kept* k : order) {
        if (!removed.count(k->id))
            total += k->bytes;
    }
    for (const Kept* k : order) {
        if (total <= cap)
            break;
        if (removed.count(k->id) || newer.value(k->id) == 0)
            continue;
        removed.insert(k->id);
        total -= k->bytes;
    }
    return {removed.begin(), removed.end()};
}

} // namespace VersionRules
