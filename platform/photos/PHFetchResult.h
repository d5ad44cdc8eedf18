#pragma once
// The result of a fetch: the objects in order, and a snapshot of what each was when fetched
// (its identity and a revision that moves with every change of it), from which change details
// are worked out. The fetch itself is kept so the result can be taken again after a change.
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

struct PHFetchSnapshotEntry {
    std::int64_t identity = 0;
    std::uint64_t revision = 0;
    friend bool operator==(const PHFetchSnapshotEntry&, const PHFetchSnapshotEntry&) = default;
};

template <class T>
class PHFetchResult {
public:
    using ObjectPtr = std::shared_ptr<T>;
    using Fetch = std::function<std::vector<ObjectPtr>()>;

    explicit PHFetchResult(Fetch fetch) : fetch_(std::move(fetch)) {
        if (fetch_) objects_ = fetch_();
    }
    // The same fetch, run again now.
    std::shared_ptr<PHFetchResult> refetched() const { return std::make_shared<PHFetchResult>(fetch_); }

    std::size_t count() const { return objects_.size(); }
    const ObjectPtr& objectAtIndex(std::size_t i) const { return objects_.at(i); }
    ObjectPtr firstObject() const { return objects_.empty() ? nullptr : objects_.front(); }
    ObjectPtr lastObject() const { return objects_.empty() ? nullptr : objects_.back(); }
    const std::vector<ObjectPtr>& objects() const { return objects_; }
    auto begin() const { return objects_.begin(); }
    auto end() const { return objects_.end(); }
    // The index of an object with the same identity, or count() when there is none.
    std::size_t indexOfObject(const T& object) const {
        for (std::size_t i = 0; i < objects_.size(); ++i)
            if (objects_[i]->fetchIdentity() == object.fetchIdentity()) return i;
        return objects_.size();
    }
    bool containsObject(const T& object) const { return indexOfObject(object) < objects_.size(); }

    std::vector<PHFetchSnapshotEntry> snapshot() const {
        std::vector<PHFetchSnapshotEntry> s;
        s.reserve(objects_.size());
        for (auto& o : objects_) s.push_back({o->fetchIdentity(), o->fetchRevision()});
        return s;
    }

private:
    Fetch fetch_;
    std::vector<ObjectPtr> objects_;
};
