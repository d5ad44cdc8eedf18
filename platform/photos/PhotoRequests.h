#pragma once
// Pending requests that must be answered exactly once, whether they finish or are cancelled
// first: whoever claims a request answers it; the other side finds it claimed and does nothing.
#include <atomic>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <mutex>

namespace photos {

class PhotoRequests {
public:
    using ID = std::uint64_t;
    struct Ticket {
        ID id = 0;
        std::shared_ptr<std::atomic<bool>> answered;
        bool claim() const { return !answered->exchange(true); }
        bool claimed() const { return answered->load(); }
    };

    static PhotoRequests& shared();

    // A new request; `answerCancelled` posts the cancelled answer when a cancel claims it.
    Ticket add(std::function<void()> answerCancelled);
    // Forgets the request; true when the caller claimed it and must answer.
    bool finish(const Ticket& ticket);
    void cancel(ID id);

private:
    std::mutex mutex_;
    ID next_ = 0;
    std::map<ID, std::pair<std::shared_ptr<std::atomic<bool>>, std::function<void()>>> pending_;
};

}  // namespace photos
