#include "platform/photos/PHPhotoLibrary.h"

#include <unistd.h>

#include <cstdio>
#include <cstdlib>

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

std::shared_ptr<PHPhotoLibrary> PHPhotoLibrary::openAt(const std::string& folder, NSErrorPtr* error,
                                                       Options options) {
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
        if (NSThread::isMainThread()) schedule(); else NSRunLoop::mainRunLoop().performBlock(schedule);
    }
    return library;
}

PHPhotoLibrary::~PHPhotoLibrary() {
    if (!pollTimer_) return;
    // Timers belong to the main thread; the last reference may go on the library's queue.
    if (NSThread::isMainThread()) pollTimer_->invalidate();
    else NSRunLoop::mainRunLoop().performBlock([timer = pollTimer_] { timer->invalidate(); });
}

int PHPhotoLibrary::authorizationStatus() {
    return AuthorizationStore::shared().status(AuthorizationService::Photos);
}

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

bool PHPhotoLibrary::commitOnQueue(const std::function<void()>& changeBlock, NSErrorPtr* error) {
    if (!hasAccess()) {
        *error = photos::PhotosError(photos::kPhotosErrorAccessUserDenied,
                                     "Tavorin is not allowed to change the photo library.");
        return false;
    }
    std::vector<std::shared_ptr<PHChangeRequest>> requests;
    std::vector<std::string> outputs;
    changeRequestsUnderWay = &requests;
    stagedOutputsUnderWay = &outputs;
    if (changeBlock) changeBlock();
    changeRequestsUnderWay = nullptr;
    stagedOutputsUnderWay = nullptr;

    photos::ChangeSet changes;
    for (auto& request : requests) request->record(changes);
    // The renders handed in are the library's own copies once the change ends, whatever its
    // end: the staged files go (also those of outputs made before the block).
    const std::string staging = store_->root() + "/staging/";
    for (auto& edit : changes.edits)
        if (edit.renderSource.rfind(staging, 0) == 0) outputs.push_back(edit.renderSource);
    struct Release {
        std::vector<std::string>& paths;
        ~Release() {
            for (auto& path : paths) ::unlink(path.c_str());
        }
    } release{outputs};
    std::function<bool(std::size_t)> confirm;
    {
        std::lock_guard lock(mutex_);
        confirm = confirmDelete_;
    }
    if (!changes.deletions.empty() && confirm && !confirm(changes.deletions.size())) {
        *error = photos::PhotosError(photos::kPhotosErrorUserCancelled, "The photos were not deleted.");
        return false;
    }
    if (!changes.empty() && !store_->commit(changes, error)) return false;
    notifyObservers();
    return true;
}

void PHPhotoLibrary::performChanges(std::function<void()> changeBlock, Completion completion) {
    auto self = shared_from_this();
    dispatch_async(queue_, [self, changeBlock = std::move(changeBlock), completion = std::move(completion)] {
        NSErrorPtr error;
        const bool ok = self->commitOnQueue(changeBlock, &error);
        if (completion) completion(ok, ok ? nullptr : error);
    });
}

bool PHPhotoLibrary::performChangesAndWait(std::function<void()> changeBlock, NSErrorPtr* error) {
    bool ok = false;
    NSErrorPtr failure;
    dispatch_sync(queue_, [&] { ok = commitOnQueue(changeBlock, &failure); });
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

void PHPhotoLibrary::setDeleteConfirmation(std::function<bool(std::size_t)> confirm) {
    std::lock_guard lock(mutex_);
    confirmDelete_ = std::move(confirm);
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
