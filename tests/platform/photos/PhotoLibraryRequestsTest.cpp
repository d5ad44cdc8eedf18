// Requests for pictures, data and edit inputs: each answers exactly once, on the main queue
// (or the caller's thread when synchronous), with progress first for remote assets, and with
// no result plus a reason when cancelled, trashed, unreadable or not downloaded.
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <cstdlib>
#include <mutex>
#include <thread>

#include "PhotoLibraryFixture.h"
#include "platform/foundation/Dispatch.h"
#include "platform/photos/PHImageManager.h"
#include "platform/photos/PhotoRequests.h"

namespace phototest {
namespace {

struct Answer {
    std::mutex mutex;
    std::vector<std::string> events;  // "progress", then "answer"
    int answers = 0;
    bool result = false, cancelled = false, error = false, inCloud = false, onMain = false, progressOnMain = false;
    void progress() {
        std::lock_guard lock(mutex);
        events.push_back("progress");
        progressOnMain = progressOnMain || NSThread::isMainThread();
    }
    void answer(bool r, bool c, bool e, bool cloud) {
        std::lock_guard lock(mutex);
        events.push_back("answer");
        ++answers, result = r, cancelled = c, error = e, inCloud = cloud, onMain = NSThread::isMainThread();
    }
};

struct Kind {
    const char* name;
    bool synchronous;
    // Starts the request; its identifier and the way to cancel it.
    std::function<std::function<void()>(const PHAsset&, bool network, Answer&)> start;
};

PHImageRequestOptions imageOptions(bool network, bool synchronous, Answer& a) {
    PHImageRequestOptions o;
    o.deliveryMode = PHImageRequestOptionsDeliveryModeHighQualityFormat;
    o.networkAccessAllowed = network;
    o.synchronous = synchronous;
    o.progressHandler = [&a](double, bool*) { a.progress(); };
    return o;
}

std::function<std::function<void()>(const PHAsset&, bool, Answer&)> image(CGSize size, bool synchronous) {
    return [size, synchronous](const PHAsset& asset, bool network, Answer& a) {
        auto& m = PHImageManager::defaultManager();
        const auto id =
            m.requestImageForAsset(asset, size, PHImageContentModeAspectFit, imageOptions(network, synchronous, a),
                                   [&a](UIImagePtr img, const PHImageInfo& info) {
                                       a.answer(img != nullptr, info.cancelled, info.error != nullptr, info.inCloud);
                                   });
        return std::function<void()>([id] { PHImageManager::defaultManager().cancelImageRequest(id); });
    };
}

const Kind kKinds[] = {
    {"thumbnail", false, image({20, 20}, false)},
    {"synchronous thumbnail", true, image({20, 20}, true)},
    {"full size", false, image(PHImageManagerMaximumSize, false)},
    {"data", false,
     [](const PHAsset& asset, bool network, Answer& a) {
         const auto id = PHImageManager::defaultManager().requestImageDataForAsset(
             asset, imageOptions(network, false, a), [&a](auto data, const std::string&, int, const PHImageInfo& info) {
                 a.answer(data && !data->empty(), info.cancelled, info.error != nullptr, info.inCloud);
             });
         return std::function<void()>([id] { PHImageManager::defaultManager().cancelImageRequest(id); });
     }},
    {"edit input", false,
     [](const PHAsset& asset, bool network, Answer& a) {
         PHContentEditingInputRequestOptions o;
         o.networkAccessAllowed = network;
         o.progressHandler = [&a](double, bool*) { a.progress(); };
         const auto id =
             asset.requestContentEditingInputWithOptions(o, [&a](auto input, const PHContentEditingInfo& info) {
                 a.answer(input && input->displaySizeImage, info.cancelled, info.error != nullptr, info.inCloud);
             });
         auto copy = std::make_shared<PHAsset>(asset);
         return std::function<void()>([copy, id] { copy->cancelContentEditingInputRequest(id); });
     }},
};

enum class Situation { Plain, Cancelled, Trashed, FileGone, Remote, RemoteWithoutNetwork };

class PhotoLibraryRequestsTest : public PhotoLibraryFixture {};

TEST_F(PhotoLibraryRequestsTest, EveryRequestAnswersOnceWithTheRightOutcome) {
    const Situation situations[] = {Situation::Plain,    Situation::Cancelled, Situation::Trashed,
                                    Situation::FileGone, Situation::Remote,    Situation::RemoteWithoutNetwork};
    const std::string id = addNew(40, 30, 50);
    for (const Kind& kind : kKinds) {
        for (Situation situation : situations) {
            if (kind.synchronous && situation == Situation::Cancelled) continue;
            SCOPED_TRACE(std::string(kind.name) + " / situation " + std::to_string(int(situation)));
            const std::string target =
                situation == Situation::Trashed || situation == Situation::FileGone ? addNew(30, 30, 9) : id;
            auto asset = this->asset(target);
            if (situation == Situation::Trashed) {
                ASSERT_TRUE(
                    library->performChangesAndWait([&] { PHAssetChangeRequest::deleteAssets({asset}); }, nullptr));
            }
            if (situation == Situation::FileGone)
                fs::remove(library->store().absolutePath(asset->record().originalPath));
            const bool remote = situation == Situation::Remote || situation == Situation::RemoteWithoutNetwork;
            if (remote) library->setRemoteAsset(target, {0.25, 0.5, 1.0});

            // Holding the library's queue makes the cancel come before any work.
            auto gate = dispatch_semaphore_create(0);
            if (situation == Situation::Cancelled)
                dispatch_async(library->queue(), [gate] { dispatch_semaphore_wait(gate, DISPATCH_TIME_FOREVER); });
            Answer a;
            auto cancel = kind.start(*asset, situation != Situation::RemoteWithoutNetwork, a);
            if (situation == Situation::Cancelled) {
                cancel();
                dispatch_semaphore_signal(gate);
            }
            ASSERT_TRUE(PumpUntil([&] { return a.answers > 0; }));
            dispatch_sync(library->queue(), [] {});
            PumpUntil([] { return true; });

            EXPECT_EQ(a.answers, 1);
            EXPECT_EQ(a.onMain, true);  // the test runs on the main thread, so synchronous answers land there too
            EXPECT_FALSE(a.progressOnMain);
            const bool succeeds = situation == Situation::Plain || situation == Situation::Remote;
            EXPECT_EQ(a.result, succeeds);
            EXPECT_EQ(a.cancelled, situation == Situation::Cancelled);
            EXPECT_EQ(a.error, !succeeds && situation != Situation::Cancelled);
            EXPECT_EQ(a.inCloud, remote);
            const std::size_t progress = situation == Situation::Remote ? 3 : 0;
            ASSERT_EQ(a.events.size(), progress + 1);
            EXPECT_EQ(a.events.back(), "answer");
            library->setRemoteAsset(target, {});
        }
    }
}

TEST_F(PhotoLibraryRequestsTest, ASynchronousRequestAnswersOnTheCallersThread) {
    auto a = asset(addNew(32, 32, 70));
    std::thread::id answeredOn;
    std::thread caller([&] {
        PHImageRequestOptions o;
        o.synchronous = true;
        PHImageManager::defaultManager().requestImageForAsset(
            *a, {8, 8}, PHImageContentModeAspectFit, o,
            [&](UIImagePtr, const PHImageInfo&) { answeredOn = std::this_thread::get_id(); });
        EXPECT_EQ(answeredOn, std::this_thread::get_id());  // answered before the call returned
    });
    caller.join();
    EXPECT_NE(answeredOn, std::thread::id());
}

TEST_F(PhotoLibraryRequestsTest, EditInputFollowsWhetherTheEditorCanContinueTheEdit) {
    platform::ImageProperties turned;
    turned["Orientation"] = 6;
    const std::string id = add(WriteImage(file("turned.jpg"), 40, 20, 10, platform::ImageFileType::JPEG, turned));
    auto a = asset(id);
    ASSERT_TRUE(save(*a, *output(*a, 220, "mine")));
    a = asset(id);
    for (bool canHandle : {true, false}) {
        SCOPED_TRACE(canHandle);
        PHContentEditingInputRequestOptions o;
        o.canHandleAdjustmentData = [canHandle](const PHAdjustmentData& d) {
            return canHandle && d.formatIdentifier == "com.tavorin.state";
        };
        auto in = input(*a, o);
        ASSERT_TRUE(in);
        EXPECT_EQ(static_cast<bool>(in->adjustmentData), canHandle);
        EXPECT_EQ(in->fullSizeImageOrientation, canHandle ? 6 : 1);
        auto full = platform::DecodeImageFile(in->fullSizeImageURL);
        ASSERT_TRUE(full);
        EXPECT_EQ(full->bitmap.pixel(0, 0)[0] > 160, !canHandle);  // the render, or the original
        // The display picture is upright either way.
        EXPECT_EQ(in->displaySizeImage->size().width, 20);
        EXPECT_EQ(in->displaySizeImage->size().height, 40);
    }
}

// A request whose work runs on a worker thread may finish while the program exits, after the
// exit's clean-up of what was made at run time: the registry of pending requests is still
// there for it (it used to be destroyed first, and the late finish read freed memory).
TEST(PhotoRequestsTest, ARequestFinishingDuringTheExitStillFindsItsRegistry) {
    int channel[2];
    ASSERT_EQ(::pipe(channel), 0);
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        ::dup2(channel[1], STDERR_FILENO);
        ::close(channel[0]);
        static photos::PhotoRequests::Ticket ticket;
        // Registered before the registry is first used, so it runs after everything made later
        // has been cleaned up, as a worker thread's late finish would.
        std::atexit([] { photos::PhotoRequests::shared().finish(ticket); });
        ticket = photos::PhotoRequests::shared().add({});
        std::exit(0);
    }
    ::close(channel[1]);
    std::string said;
    char buffer[512];
    for (ssize_t n; (n = ::read(channel[0], buffer, sizeof buffer)) > 0;)
        said.append(buffer, static_cast<std::size_t>(n));
    ::close(channel[0]);
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    EXPECT_EQ(said.find("use-after-free"), std::string::npos) << said;
    EXPECT_TRUE(WIFEXITED(status)) << "the child ended by signal " << WTERMSIG(status);
}

}  // namespace
}  // namespace phototest
