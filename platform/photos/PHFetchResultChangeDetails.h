#pragma once
// What a change did to a fetch result: the indexes removed (in the old result), inserted and
// changed (in the new one), and the moves. Past kMaxIncrementalChanges the details are not
// incremental: only the results before and after are given.
#include <cstddef>
#include <functional>
#include <memory>
#include <set>
#include <utility>
#include <vector>

#include "platform/photos/PHFetchResult.h"

inline constexpr std::size_t kMaxIncrementalChanges = 1000;

// The difference of two snapshots; `incremental` false when it is past the limit. `moves`
// are (old index, new index) of objects that changed their order.
struct PHSnapshotDiff {
    bool incremental = true;
    std::set<std::size_t> removed, inserted, changed;
    std::vector<std::pair<std::size_t, std::size_t>> moves;
    bool empty() const { return removed.empty() && inserted.empty() && changed.empty() && moves.empty(); }
};
PHSnapshotDiff PHDiffSnapshots(const std::vector<PHFetchSnapshotEntry>& before,
                               const std::vector<PHFetchSnapshotEntry>& after);

template <class T>
class PHFetchResultChangeDetails {
public:
    using Result = std::shared_ptr<PHFetchResult<T>>;

    // Null when the fetch came out the same.
    static std::shared_ptr<PHFetchResultChangeDetails> between(Result before, Result after) {
        const auto oldSnapshot = before->snapshot(), newSnapshot = after->snapshot();
        if (oldSnapshot == newSnapshot) return nullptr;
        auto details = std::make_shared<PHFetchResultChangeDetails>();
        details->before_ = std::move(before);
        details->after_ = std::move(after);
        details->diff_ = PHDiffSnapshots(oldSnapshot, newSnapshot);
        return details;
    }

    const Result& fetchResultBeforeChanges() const { return before_; }
    const Result& fetchResultAfterChanges() const { return after_; }
    bool hasIncrementalChanges() const { return diff_.incremental; }
    const std::set<std::size_t>& removedIndexes() const { return diff_.removed; }
    const std::set<std::size_t>& insertedIndexes() const { return diff_.inserted; }
    const std::set<std::size_t>& changedIndexes() const { return diff_.changed; }
    bool hasMoves() const { return !diff_.moves.empty(); }
    void enumerateMovesWithBlock(const std::function<void(std::size_t from, std::size_t to)>& block) const {
        for (auto& [from, to] : diff_.moves) block(from, to);
    }
    std::vector<std::shared_ptr<T>> removedObjects() const { return pick(*before_, diff_.removed); }
    std::vector<std::shared_ptr<T>> insertedObjects() const { return pick(*after_, diff_.inserted); }
    std::vector<std::shared_ptr<T>> changedObjects() const { return pick(*after_, diff_.changed); }

private:
    static std::vector<std::shared_ptr<T>> pick(const PHFetchResult<T>& r, const std::set<std::size_t>& indexes) {
        std::vector<std::shared_ptr<T>> out;
        for (auto i : indexes) out.push_back(r.objectAtIndex(i));
        return out;
    }
    Result before_, after_;
    PHSnapshotDiff diff_;
};
