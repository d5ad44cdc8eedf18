#include "platform/photos/PHFetchResultChangeDetails.h"

#include <algorithm>
#include <unordered_map>

PHSnapshotDiff PHDiffSnapshots(const std::vector<PHFetchSnapshotEntry>& before,
                               const std::vector<PHFetchSnapshotEntry>& after) {
    PHSnapshotDiff diff;
    std::unordered_map<std::int64_t, std::size_t> oldIndex, newIndex;
    for (std::size_t i = 0; i < before.size(); ++i) oldIndex[before[i].identity] = i;
    for (std::size_t i = 0; i < after.size(); ++i) newIndex[after[i].identity] = i;
    for (std::size_t i = 0; i < before.size(); ++i)
        if (!newIndex.count(before[i].identity)) diff.removed.insert(i);
    // Old indexes of the kept objects, in their new order.
    std::vector<std::size_t> kept, keptNew;
    for (std::size_t i = 0; i < after.size(); ++i) {
        auto it = oldIndex.find(after[i].identity);
        if (it == oldIndex.end()) {
            diff.inserted.insert(i);
            continue;
        }
        if (before[it->second].revision != after[i].revision) diff.changed.insert(i);
        kept.push_back(it->second);
        keptNew.push_back(i);
    }
    // The objects outside a longest increasing run of old indexes are the ones that moved.
    std::vector<std::size_t> tails, previous(kept.size(), SIZE_MAX);
    for (std::size_t i = 0; i < kept.size(); ++i) {
        auto pos = std::lower_bound(tails.begin(), tails.end(), kept[i],
                                    [&](std::size_t t, std::size_t v) { return kept[t] < v; }) -
                   tails.begin();
        if (pos > 0) previous[i] = tails[pos - 1];
        if (static_cast<std::size_t>(pos) == tails.size()) tails.push_back(i);
        else tails[pos] = i;
    }
    std::vector<bool> stays(kept.size(), false);
    for (std::size_t i = tails.empty() ? SIZE_MAX : tails.back(); i != SIZE_MAX; i = previous[i]) stays[i] = true;
    for (std::size_t i = 0; i < kept.size(); ++i)
        if (!stays[i]) diff.moves.emplace_back(kept[i], keptNew[i]);
    const std::size_t total = diff.removed.size() + diff.inserted.size() + diff.changed.size() + diff.moves.size();
    if (total > kMaxIncrementalChanges) diff = PHSnapshotDiff{false, {}, {}, {}, {}};
    return diff;
}
