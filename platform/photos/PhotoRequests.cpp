#include "platform/photos/PhotoRequests.h"

namespace photos {

PhotoRequests& PhotoRequests::shared() {
    // Never destroyed: a request's work on a worker thread may finish while the program exits,
    // after the exit has destroyed what static storage holds.
    static PhotoRequests* const requests = new PhotoRequests;
    return *requests;
}

PhotoRequests::Ticket PhotoRequests::add(std::function<void()> answerCancelled) {
    std::lock_guard lock(mutex_);
    Ticket t{++next_, std::make_shared<std::atomic<bool>>(false)};
    pending_[t.id] = {t.answered, std::move(answerCancelled)};
    return t;
}

bool PhotoRequests::finish(const Ticket& ticket) {
    {
        std::lock_guard lock(mutex_);
        pending_.erase(ticket.id);
    }
    return ticket.claim();
}

void PhotoRequests::cancel(ID id) {
    std::shared_ptr<std::atomic<bool>> answered;
    std::function<void()> answer;
    {
        std::lock_guard lock(mutex_);
        auto it = pending_.find(id);
        if (it == pending_.end()) return;
        answered = it->second.first;
        answer = std::move(it->second.second);
        pending_.erase(it);
    }
    if (!answered->exchange(true) && answer) answer();
}

}  // namespace photos
