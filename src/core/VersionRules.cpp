#include "core/VersionRules.h"

#include <QHash>
#include <algorithm>
#include <cstdlib>
#include <limits>
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
    QHash<QString, qint64> newest; // by key: the id of the version kept last
    for (const Kept& k : kept) {
        auto it = newest.find(k.key);
        if (it == newest.end() || *it < k.id)
            newest.insert(k.key, k.id);
    }
    auto isNewest = [&](const Kept& k) { return newest.value(k.key) == k.id; };

    std::set<qint64> removed;
    // Per key and hour (or day): the one that stays so far.
    QHash<QString, const Kept*> stays;
    for (const Kept& k : kept) {
        if (!k.savedAtMs || isNewest(k))
            continue;
        const qint64 age = nowMs - *k.savedAtMs;
        if (age < everyVersionFor)
            continue;
        if (age >= dailyFor) {
            removed.insert(k.id);
            continue;
        }
        const qint64 span = age < hourlyFor ? hourMs : dayMs;
        const QString bucket = QStringLiteral("%1/%2/%3")
                                   .arg(k.key)
                                   .arg(span)
                                   .arg(*k.savedAtMs / span - (*k.savedAtMs % span < 0 ? 1 : 0));
        const Kept*& best = stays[bucket];
        if (!best) {
            best = &k;
            continue;
        }
        const bool better = std::tie(k.bytes, k.id) > std::tie(best->bytes, best->id);
        removed.insert(better ? best->id : k.id);
        if (better)
            best = &k;
    }

    qint64 total = 0;
    std::vector<const Kept*> byAge;
    for (const Kept& k : kept) {
        if (removed.count(k.id))
            continue;
        total += k.bytes;
        if (!isNewest(k))
            byAge.push_back(&k);
    }
    std::sort(byAge.begin(), byAge.end(), [](const Kept* a, const Kept* b) {
        const qint64 ta = a->savedAtMs.value_or(std::numeric_limits<qint64>::min());
        const qint64 tb = b->savedAtMs.value_or(std::numeric_limits<qint64>::min());
        return std::tie(ta, a->id) < std::tie(tb, b->id);
    });
    for (const Kept* k : byAge) {
        if (total <= cap)
            break;
        removed.insert(k->id);
        total -= k->bytes;
    }
    return {removed.begin(), removed.end()};
}

} // namespace VersionRules
