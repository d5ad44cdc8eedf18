#include "platform/photos/PHPhotoLibrary.h"

#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <utility>

#include "platform/authorization/AuthorizationStore.h"
#include "platform/foundation/NSPathUtilities.h"
#include "platform/foundation/NSRunLoop.h"
#include "platform/photos/PHChange.h"
#include "platform/photos/PHChangeRequest.h"
#include "platform/photos/ThumbnailCache.h"

namespace {

std::mutex sharedMutex;
std::shared_ptr<PHPhotoLibrary> sharedLibrary;
// Why the last try to open the shared library failed (null after a success).
NSErrorPtr sharedFailure;

thread_local std::vector<std::shared_ptr<PHChangeRequest>>* changeRequestsUnderWay = nullptr;

}  // namespace

std::string PHPhotoLibrary::defaultLibraryPath() {
    if (const char* path = std::getenv("TAVORIN_PHOTO_LIBRARY"); path && path[0]) return path;
    return NSSearchPathForDirectory(NSSearchPathDirectory::ApplicationSupport) + "/PhotoLibrary";
}

std::shared_ptr<PHPhotoLibrary> PHPhotoLibrary::sharedPhotoLibrary(NSErrorPtr* error) {
    std::lock_guard lock(sharedMutex);
    if (!sharedLibrary) {
        NSErrorPtr failure;
        sharedLibrary = openAt(defaultLibraryPath(), &failure);
        if (sharedLibrary) {
            // The application's library: the person is asked before photos are reverted or deleted.
            sharedLibrary->setAsker(askWithAlert);
            sharedFailure = nullptr;
        } else {
            if (!failure)
                failure = photos::PhotosError(photos::kPhotosErrorInternal, "The photo library could not be opened.",
                                              defaultLibraryPath());
            // Said once: a library that stays broken is asked for again at every turn.
            const bool repeated = sharedFailure &&
                                  sharedFailure->localizedDescription() == failure->localizedDescription() &&
                                  sharedFailure->localizedFailureReason() == failure->localizedFailureReason();
            if (!repeated)
                std::fprintf(stderr, "tavorin: %s (%s)\n", failure->localizedDescription().c_str(),
                             failure->localizedFailureReason().c_str());
            sharedFailure = failure;
        }
    }
    if (error) *error = sharedLibrary ? nullptr : sharedFailure;
    return sharedLibrary;
}

void PHPhotoLibrary::resetSharedPhotoLibrary() {
    std::lock_guard lock(sharedMutex);
    sharedLibrary.reset();
    sharedFailure = nullptr;
}

std::shared_ptr<PHPhotoLibrary> PHPhotoLibrary::openAt(const std::string& folder, NSErrorPtr* error, Options options) {
    NSErrorPtr ignored;
    if (!error) error = &ignored;
    auto store = photos::PhotoStore::open(folder, error);
    if (!store) return nullptr;
    std::shared_ptr<PHPhotoLibrary> library(new PHPhotoLibrary);
    library->store_ = std::move(store);
    library->thumbnails_ = std::make_unique<ThumbnailCache>(ThumbnailCache::standardFolder());
    library->options_ = options;
    library->queue_ = dispatch_queue_create("tavorin.photolibrary");
    library->dataVersion_ = library->store_->dataVersion();
    if (options.pollsOtherProcesses) {
        std::weak_ptr<PHPhotoLibrary> weak = library;
        auto schedule = [weak] {
            if (auto self = weak.lock()) {
                self->pollTimer_ = NSTimer::scheduledTimerWithTimeInterval(1.0, true, [weak](NSTimer&) {
                    if (auto l = weak.lock()) l->pollForChanges();
                });
            }
        };
        if (NSThread::isMainThread()) schedule();
        else NSRunLoop::mainRunLoop().performBlock(schedule);
    }
    return library;
}

PHPhotoLibrary::~PHPhotoLibrary() {
    if (!pollTimer_) return;
    // Timers belong to the main thread; the last reference may go on the library's queue.
    if (NSThread::isMainThread()) pollTimer_->invalidate();
    else NSRunLoop::mainRunLoop().performBlock([timer = pollTimer_] { timer->invalidate(); });
}

int PHPhotoLibrary::authorizationStatus() { return AuthorizationStore::shared().status(AuthorizationService::Photos); }

void PHPhotoLibrary::requestAuthorization(std::function<void(int)> handler) {
    AuthorizationStore::shared().requestAccessAsync(AuthorizationService::Photos, std::move(handler));
}

bool PHPhotoLibrary::hasAccess() const {
    return !options_.requiresAuthorization || authorizationStatus() == PHAuthorizationStatusAuthorized;
}

std::vector<std::shared_ptr<PHChangeRequest>>* PHPhotoLibrary::currentChangeRequests() {
    return changeRequestsUnderWay;
}

namespace {
thread_local std::vector<std::string>* stagedOutputsUnderWay = nullptr;
}  // namespace

std::string PHPhotoLibrary::stagingPathForOutput() {
    std::string path = store_->stagingPath("jpg");
    if (stagedOutputsUnderWay) stagedOutputsUnderWay->push_back(path);
    return path;
}

bool PHChangeRequest::enlist(const std::shared_ptr<PHChangeRequest>& request) {
    if (!changeRequestsUnderWay) {
        std::fprintf(stderr, "tavorin: a photo library change request was made outside a change block\n");
        return false;
    }
    changeRequestsUnderWay->push_back(request);
    return true;
}

// What a change block recorded, and the staged renders it was given: those are the library's
// own once the change ends, whatever its end, so they go with the record.
struct PHPhotoLibrary::Recorded {
    photos::ChangeSet changes;
    std::vector<std::string> outputs;
    // Before the change answers, so that its caller finds them gone.
    void release() {
        for (auto& path : outputs) ::unlink(path.c_str());
        outputs.clear();
    }
    ~Recorded() { release(); }
};

std::shared_ptr<PHPhotoLibrary::Recorded> PHPhotoLibrary::recordOnQueue(const std::function<void()>& changeBlock,
                                                                        NSErrorPtr* error) {
    if (!hasAccess()) {
        *error = photos::PhotosError(photos::kPhotosErrorAccessUserDenied,
                                     "Tavorin is not allowed to change the photo library.");
        return nullptr;
    }
    auto recorded = std::make_shared<Recorded>();
    std::vector<std::shared_ptr<PHChangeRequest>> requests;
    changeRequestsUnderWay = &requests;
    stagedOutputsUnderWay = &recorded->outputs;
    if (changeBlock) changeBlock();
    changeRequestsUnderWay = nullptr;
    stagedOutputsUnderWay = nullptr;

    for (auto& request : requests) request->record(recorded->changes);
    // Also the staged renders of outputs made before the block.
    const std::string staging = store_->root() + "/staging/";
    for (auto& edit : recorded->changes.edits)
        if (edit.renderSource.rfind(staging, 0) == 0) recorded->outputs.push_back(edit.renderSource);
    return recorded;
}

bool PHPhotoLibrary::commitOnQueue(const Recorded& recorded, NSErrorPtr* error) {
    if (!recorded.changes.empty() && !store_->commit(recorded.changes, error)) return false;
    notifyObservers();
    return true;
}

namespace {

// The questions a change raises, deletions first.
std::vector<PHPhotoLibrary::Question> questionsFor(const photos::ChangeSet& changes) {
    std::vector<PHPhotoLibrary::Question> questions;
    if (!changes.deletions.empty())
        questions.push_back({PHPhotoLibrary::Question::Kind::Delete, changes.deletions.size()});
    const auto reverts = static_cast<std::size_t>(
        std::count_if(changes.edits.begin(), changes.edits.end(),
                      [](const photos::AssetEdit& edit) { return edit.kind == photos::AssetEdit::Kind::Revert; }));
    if (reverts > 0) questions.push_back({PHPhotoLibrary::Question::Kind::Revert, reverts});
    return questions;
}

NSErrorPtr notAllowed(const PHPhotoLibrary::Question& question) {
    const bool one = question.count == 1;
    const bool deletes = question.kind == PHPhotoLibrary::Question::Kind::Delete;
    return photos::PhotosError(
        photos::kPhotosErrorUserCancelled,
        std::string(one ? "The photo was not " : "The photos were not ") + (deletes ? "deleted." : "reverted."),
        "It was not allowed.");
}

// Calls the answer once: the first call, or "not allowed" when dropped uncalled.
class OnceAnswer {
public:
    explicit OnceAnswer(std::function<void(bool)> answer) : answer_(std::move(answer)) {}
    ~OnceAnswer() { give(false); }
    void give(bool allowed) {
        if (std::exchange(given_, true)) return;
        if (answer_) answer_(allowed);
        answer_ = nullptr;
    }

private:
    std::function<void(bool)> answer_;
    bool given_ = false;
};

}  // namespace

void PHPhotoLibrary::performOnQueue(const std::function<void()>& changeBlock, const Completion& completion) {
    NSErrorPtr error;
    auto recorded = recordOnQueue(changeBlock, &error);
    if (!recorded) {
        if (completion) completion(false, error);
        return;
    }
    auto questions = questionsFor(recorded->changes);
    askOnQueue(std::move(recorded), std::move(questions), 0, completion);
}

void PHPhotoLibrary::askOnQueue(std::shared_ptr<Recorded> recorded, std::vector<Question> questions, std::size_t next,
                                Completion completion) {
    Asker asker;
    {
        std::lock_guard lock(mutex_);
        asker = asker_;
    }
    if (next >= questions.size() || !asker) {
        NSErrorPtr error;
        const bool ok = commitOnQueue(*recorded, &error);
        recorded->release();
        if (completion) completion(ok, ok ? nullptr : error);
        return;
    }
    asking_ = true;
    const Question question = questions[next];
    auto self = shared_from_this();
    auto once = std::make_shared<OnceAnswer>([self, recorded, questions, next, completion](bool allowed) {
        dispatch_async(self->queue_, [self, recorded, questions, next, completion, allowed] {
            self->asking_ = false;
            if (allowed) self->askOnQueue(recorded, questions, next + 1, completion);
            else {
                recorded->release();
                if (completion) completion(false, notAllowed(questions[next]));
            }
            // A later question of the same change keeps the others waiting.
            if (!self->asking_) self->resumeOnQueue();
        });
    });
    asker(question, [once](bool allowed) { once->give(allowed); });
}

void PHPhotoLibrary::resumeOnQueue() {
    asking_ = false;
    while (!asking_ && !waiting_.empty()) {
        auto change = std::move(waiting_.front());
        waiting_.pop_front();
        change();
    }
}

void PHPhotoLibrary::performChanges(std::function<void()> changeBlock, Completion completion) {
    auto self = shared_from_this();
    dispatch_async(queue_, [self, changeBlock = std::move(changeBlock), completion = std::move(completion)] {
        auto change = [self, changeBlock, completion] { self->performOnQueue(changeBlock, completion); };
        if (self->asking_) self->waiting_.push_back(std::move(change));
        else change();
    });
}

bool PHPhotoLibrary::performChangesAndWait(std::function<void()> changeBlock, NSErrorPtr* error) {
    bool ok = false;
    NSErrorPtr failure;
    dispatch_sync(queue_, [&] {
        auto recorded = recordOnQueue(changeBlock, &failure);
        ok = recorded && commitOnQueue(*recorded, &failure);
        if (recorded) recorded->release();
    });
    if (error) *error = ok ? nullptr : failure;
    return ok;
}

void PHPhotoLibrary::registerChangeObserver(const std::shared_ptr<PHPhotoLibraryChangeObserver>& observer) {
    std::lock_guard lock(mutex_);
    observers_.push_back(observer);
}

void PHPhotoLibrary::unregisterChangeObserver(const PHPhotoLibraryChangeObserver* observer) {
    std::lock_guard lock(mutex_);
    std::erase_if(observers_, [observer](const auto& weak) {
        auto strong = weak.lock();
        return !strong || strong.get() == observer;
    });
}

void PHPhotoLibrary::notifyObservers() {
    std::vector<std::shared_ptr<PHPhotoLibraryChangeObserver>> live;
    {
        std::lock_guard lock(mutex_);
        std::erase_if(observers_, [](const auto& weak) { return weak.expired(); });
        for (auto& weak : observers_)
            if (auto strong = weak.lock()) live.push_back(strong);
    }
    const PHChange change(shared_from_this());
    for (auto& observer : live) observer->photoLibraryDidChange(change);
}

void PHPhotoLibrary::pollForChanges() {
    const std::int64_t version = store_->dataVersion();
    {
        std::lock_guard lock(mutex_);
        if (version == dataVersion_) return;
        dataVersion_ = version;
    }
    auto self = shared_from_this();
    dispatch_async(queue_, [self] { self->notifyObservers(); });
}

void PHPhotoLibrary::setAsker(Asker asker) {
    std::lock_guard lock(mutex_);
    asker_ = std::move(asker);
}

void PHPhotoLibrary::setRemoteAsset(const std::string& uuid, std::vector<double> progressSteps) {
    std::lock_guard lock(mutex_);
    std::erase_if(remote_, [&](const auto& r) { return r.first == uuid; });
    remote_.emplace_back(uuid, std::move(progressSteps));
}

std::vector<double> PHPhotoLibrary::remoteProgressSteps(const std::string& uuid) const {
    std::lock_guard lock(mutex_);
    for (auto& [id, steps] : remote_)
        if (id == uuid) return steps;
    return {};
}

void PHPhotoLibrary::finishRemoteDownload(const std::string& uuid) {
    {
        std::lock_guard lock(mutex_);
        std::erase_if(remote_, [&](const auto& r) { return r.first == uuid; });
    }
    auto self = shared_from_this();
    dispatch_async(queue_, [self] { self->notifyObservers(); });
}
