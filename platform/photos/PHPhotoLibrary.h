#pragma once
// The photo library: the shared one at $TAVORIN_PHOTO_LIBRARY, else
// $XDG_DATA_HOME/tavorin/PhotoLibrary, or one opened at a folder.
//
// Changes are made inside a change block: the change requests created in it are recorded,
// validated and committed as one (see PhotoStore). Every change block and completion runs on
// the library's serial queue; a change's notification reaches every observer (held weakly)
// before that change's completion. Commits of other processes are found by polling the index
// once a second on the main run loop and notified the same way.
//
// What opening found and did to the library on disk (an index rebuilt, files adopted) is in
// `store().sweepReport().notices()`, for the person to be told. Staging files that the change block's edit outputs were given are removed when the change
// ends, whether it committed or not.
//
// Access comes from the shared authorization store: without it, fetches are empty and changes
// fail. A library opened for a tool of the user's own (the importer) may skip the check.
//
// A change that puts a photo back to its original or deletes photos first has the person's
// leave: the library asks (the shared library with its own alert, see
// PHPhotoLibrary+Questions.cpp) once the change block has recorded it, and commits only when
// allowed; refused, the change fails (kPhotosErrorUserCancelled) and nothing is altered.
// Changes performed meanwhile wait behind the question, in order. A change waited for on the
// caller's thread (`performChangesAndWait`, the person's own tools) asks no one: the question
// needs the main loop, which may be the one waiting.
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "platform/foundation/Dispatch.h"
#include "platform/foundation/NSError.h"
#include "platform/photos/PhotoStore.h"

class NSTimer;
class PHChange;
class PHChangeRequest;
class ThumbnailCache;

class PHPhotoLibraryChangeObserver {
public:
    virtual ~PHPhotoLibraryChangeObserver() = default;
    virtual void photoLibraryDidChange(const PHChange& change) = 0;
};

enum PHAuthorizationStatus : int {
    PHAuthorizationStatusNotDetermined = 0,
    PHAuthorizationStatusRestricted = 1,
    PHAuthorizationStatusDenied = 2,
    PHAuthorizationStatusAuthorized = 3,
};

class PHPhotoLibrary : public std::enable_shared_from_this<PHPhotoLibrary> {
public:
    struct Options {
        bool requiresAuthorization = true;
        bool pollsOtherProcesses = true;  // the 1 s timer on the main run loop
    };
    using Completion = std::function<void(bool success, NSErrorPtr error)>;

    // The library at the default place, opened on first use; null when it cannot be opened,
    // with the reason in `error` and on stderr (once for each new reason: every later call
    // tries again, so a library that has been mended opens).
    static std::shared_ptr<PHPhotoLibrary> sharedPhotoLibrary(NSErrorPtr* error = nullptr);
    static void resetSharedPhotoLibrary();
    static std::string defaultLibraryPath();
    static std::shared_ptr<PHPhotoLibrary> openAt(const std::string& folder, NSErrorPtr* error, Options options);
    static std::shared_ptr<PHPhotoLibrary> openAt(const std::string& folder, NSErrorPtr* error) {
        return openAt(folder, error, Options{});
    }

    static int authorizationStatus();
    // Asks for access; the handler gets the status on the access store's background queue.
    static void requestAuthorization(std::function<void(int status)> handler);

    ~PHPhotoLibrary();

    void performChanges(std::function<void()> changeBlock, Completion completion);
    // Waits for the change on the calling thread (never the library's queue).
    bool performChangesAndWait(std::function<void()> changeBlock, NSErrorPtr* error);

    void registerChangeObserver(const std::shared_ptr<PHPhotoLibraryChangeObserver>& observer);
    void unregisterChangeObserver(const PHPhotoLibraryChangeObserver* observer);
    // Looks for commits of other processes now (the timer calls it).
    void pollForChanges();

    // What a change needs the person's leave for, and for how many photos.
    struct Question {
        enum class Kind { Revert, Delete };
        Kind kind = Kind::Delete;
        std::size_t count = 0;
    };
    // Asks the question and calls `answer` once, from any thread; an answer function dropped
    // uncalled (an alert that went away unanswered) answers "not allowed".
    using Asker = std::function<void(const Question& question, std::function<void(bool allowed)> answer)>;
    // Who is asked (null: nobody, every change goes through). The shared library asks with
    // `askWithAlert`; a library opened at a folder asks nobody until told.
    void setAsker(Asker asker);
    // The platform's own alert over the key window, on the main queue: the title, "Don't Allow"
    // and the change's button; its buttons take touches while the application ignores them.
    static void askWithAlert(const Question& question, std::function<void(bool allowed)> answer);
    // The alert's title for the question (the program's name from the main bundle).
    static std::string questionTitle(const Question& question);
    static std::string allowButtonTitle(const Question& question);
    static constexpr const char* kDontAllowButtonTitle = "Don't Allow";

    bool hasAccess() const;
    photos::PhotoStore& store() { return *store_; }
    const dispatch_queue_t& queue() const { return queue_; }
    ThumbnailCache& thumbnails() { return *thumbnails_; }

    // Simulated remote assets (tests): requests for the asset report these progress steps on
    // the library's queue before answering, and need network access; afterwards the library
    // notifies an empty change, as a finished download does.
    void setRemoteAsset(const std::string& uuid, std::vector<double> progressSteps);
    std::vector<double> remoteProgressSteps(const std::string& uuid) const;
    void finishRemoteDownload(const std::string& uuid);

    // The change requests of the change block under way on this thread (null outside one).
    static std::vector<std::shared_ptr<PHChangeRequest>>* currentChangeRequests();
    // A fresh path in staging/ for an edit's render; made in a change block, it is removed
    // when that change ends.
    std::string stagingPathForOutput();

private:
    struct Recorded;
    PHPhotoLibrary() = default;
    // On the library's queue: the change block run and its requests recorded (null without
    // access, with the reason).
    std::shared_ptr<Recorded> recordOnQueue(const std::function<void()>& changeBlock, NSErrorPtr* error);
    // On the library's queue: validation, commit, notification.
    bool commitOnQueue(const Recorded& recorded, NSErrorPtr* error);
    // On the library's queue: a performed change, asked about first when it needs leave.
    void performOnQueue(const std::function<void()>& changeBlock, const Completion& completion);
    // Asks the questions from the first on; all allowed commits.
    void askOnQueue(std::shared_ptr<Recorded> recorded, std::vector<Question> questions, std::size_t next,
                    Completion completion);
    // On the library's queue: runs the changes that waited behind an answered question.
    void resumeOnQueue();
    void notifyObservers();

    std::unique_ptr<photos::PhotoStore> store_;
    std::unique_ptr<ThumbnailCache> thumbnails_;
    Options options_;
    dispatch_queue_t queue_;
    mutable std::mutex mutex_;
    std::vector<std::weak_ptr<PHPhotoLibraryChangeObserver>> observers_;
    Asker asker_;
    // Queue-confined: a question is out, and the changes performed meanwhile.
    bool asking_ = false;
    std::deque<std::function<void()>> waiting_;
    std::int64_t dataVersion_ = 0;
    std::shared_ptr<NSTimer> pollTimer_;
    std::vector<std::pair<std::string, std::vector<double>>> remote_;
};
