#pragma once
// The application launched as the program launches it, for tests: a device profile, fresh
// XDG folders holding the chosen settings and access answers, a temporary photo library of
// generated photos (one of them with a stored edit and crop), the simulated camera, and the
// manual clock. Input goes through the application's own input driver; reads give the view
// tree (through the controller), screenshot regions, the engine's parameters by name, the
// library's photos with their adjustment data decoded, and the settings file.
//
//     AppHarness app;                                   // launched, start-up finished
//     app.tap(187.5, 618);                              // the shutter
//     app.advance(3);
//     EXPECT_EQ(app.photos().size(), 1u);
#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "app/AmbrelAppDelegate.h"
#include "app/AmbrelViewController.h"
#include "app/StartupScreens.h"
#include "camera/capture/CameraController.h"
#include "engine/view/GraphicsView.h"
#include "library/browser/PhotoCollectionView.h"
#include "model/AmbrelAppSettings.h"
#include "model/DeviceUtility.h"
#include "model/State.h"
#include "model/Type.h"
#include "platform/authorization/AuthorizationStore.h"
#include "platform/avfoundation/CaptureRig.h"
#include "platform/foundation/Dispatch.h"
#include "platform/foundation/NSRunLoop.h"
#include "platform/foundation/UserDefaults.h"
#include "platform/photos/PHPhotoLibrary.h"
#include "platform/uikit/UIApplicationMain.h"
#include "platform/uikit/UIInputDriver.h"
#include "platform/uikit/UIScreen.h"
#include "support/ImageRegions.h"

struct AppLaunch {
    UIDeviceProfile profile = UIDeviceProfile::phone();
    bool cameraAccess = true;
    bool photoAccess = true;
    // Settings saved before the launch (the rest at their defaults, but for the introduction,
    // shown before, as on any launch after the first).
    std::function<void(AmbrelAppSettings&)> settings;
    // Generated photos in the library, oldest first; with `editedPhoto` one more carries an
    // edit with a crop in its stored editing state.
    int photos = 0;
    bool editedPhoto = false;
    platform::SimulatedRigOptions camera = smallCamera();
    // Launch at once (else call `launch`).
    bool launch = true;

    static platform::SimulatedRigOptions smallCamera() {
        platform::SimulatedRigOptions options;
        options.backSensor = {320, 240};
        options.frontSensor = {160, 120};
        return options;
    }
};

class AppHarness {
public:
    // The shutter in window points: the middle of the bottom bar on a phone.
    static CGPoint phoneShutter() { return {187.5, 667 - AppConstants::defaultToolbarHeight() / 2}; }

    explicit AppHarness(AppLaunch options = {}) : options_(std::move(options)) {
        loop().useManualClock(1000);
        // The GL driver keeps its shader cache under the first test's folder, removed after it.
        ::setenv("MESA_SHADER_CACHE_DISABLE", "true", 1);
        UIDeviceProfile profile = options_.profile;
        if (profile.machine.empty())
            profile.machine = profile.idiom == UIUserInterfaceIdiom::Pad ? "iPad5,3" : "iPhone7,2";
        UIDeviceProfile::setCurrent(profile);
        DeviceUtility::resetCaches();
        AppConstants::resetCaches();

        std::string pattern = (std::filesystem::temp_directory_path() / "tavorin-app-XXXXXX").string();
        if (!::mkdtemp(pattern.data())) ADD_FAILURE() << "no temporary folder";
        root = pattern;
        for (const char* var : {"XDG_DATA_HOME", "XDG_CACHE_HOME", "XDG_CONFIG_HOME"}) {
            std::filesystem::create_directories(root / var);
            ::setenv(var, (root / var).c_str(), 1);
        }
        ::unsetenv("TAVORIN_PHOTO_LIBRARY");
        UserDefaults::resetStandardUserDefaults();
        AuthorizationStore::resetShared();
        PHPhotoLibrary::resetSharedPhotoLibrary();

        AmbrelAppSettings& settings = AmbrelAppSettings::sharedInstance();
        settings.loadSettings();
        // The first-run introduction waits for taps; tests of a first launch ask for it.
        settings.setIntroductionShown(true);
        // The editing help waits for a tap on its first expand; tests of it ask for it.
        settings.setHelpShownEdit(true);
        if (options_.settings) options_.settings(settings);
        settings.saveSettings();

        AuthorizationStore& access = AuthorizationStore::shared();
        access.setStatus(AuthorizationService::Photos, kAuthorizationAuthorized);
        addPhotos();
        access.setStatus(AuthorizationService::Camera, options_.cameraAccess ? kAuthorizationAuthorized : 0);
        access.setStatus(AuthorizationService::Photos, options_.photoAccess ? kAuthorizationAuthorized : 0);
        // A request made on the access screen stays unanswered unless a test answers it.
        access.setPolicy(AuthorizationPolicy::NeverAnswer);

        platform::CaptureRig::shared().configureSimulated(options_.camera);
        DeviceUtility::setHasCameraConnection(true);
        CameraController::installInGraphicsViews();
        // The splash covers the screen for its first second and a half; screen tests start
        // under it (the splash's own tests and the first-launch run show it).
        StartupScreens::current().presentSplash = [](const std::shared_ptr<UIView>&, bool,
                                                     StartupScreens::Completion done) { done(); };
        if (options_.launch) launch();
    }

    ~AppHarness() {
        settle();
        UIApplication& application = UIApplication::sharedApplication();
        application.setDelegate(nullptr);
        application.transitionToState(UIApplicationState::Inactive);
        driver.reset();
        delegate.reset();
        settle();
        StartupScreens::current() = StartupScreens::defaults();
        PHPhotoLibrary::resetSharedPhotoLibrary();
        AuthorizationStore::resetShared();
        UserDefaults::resetStandardUserDefaults();
        AmbrelAppSettings::sharedInstance().loadSettings();
        UIDeviceProfile::setCurrent(UIDeviceProfile::phone());
        DeviceUtility::resetCaches();
        AppConstants::resetCaches();
        std::error_code ignored;
        std::filesystem::remove_all(root, ignored);
    }

    static NSRunLoop& loop() { return NSRunLoop::mainRunLoop(); }

    // Launches as the program does and lets start-up run: the splash gone, the camera's
    // first frames in.
    void launch() {
        delegate = std::make_unique<AmbrelAppDelegate>();
        ASSERT_TRUE(UIApplicationLaunch(*delegate));
        addEditedPhoto();
        driver = std::make_unique<UIInputDriver>(delegate->window());
        advance(kStartUp);
    }
    // A later launch's start-up: the splash gives way after 0.6 s and fades for 1 s.
    static constexpr double kStartUp = 1.8;

    AmbrelViewController& controller() const { return *delegate->viewController(); }

    // Runs the main loop until nothing is due, the library's writes have ended and the album
    // button's pictures have been made (these finish on other threads); lays the window out.
    void settle() {
        const auto giveUp = std::chrono::steady_clock::now() + std::chrono::seconds(60);
        for (int quiet = 0; quiet < 3;) {
            loop().runUntilIdle();
            // As the shown window does before each picture.
            if (delegate && delegate->window()) delegate->window()->layoutIfNeeded();
            if (auto library = PHPhotoLibrary::sharedPhotoLibrary()) dispatch_sync(library->queue(), [] {});
            if (AmbrelViewController::thumbnailsInFlight() > 0) {
                quiet = 0;
                if (std::chrono::steady_clock::now() > giveUp) {
                    ADD_FAILURE() << "background work did not end";
                    return;
                }
                std::this_thread::sleep_for(std::chrono::milliseconds(1));
            } else {
                ++quiet;
            }
        }
    }
    // Lets the clock run in display frames, settling after each step.
    void advance(double seconds) {
        const double step = 1.0 / 30;
        for (double left = seconds; left > 1e-9; left -= step) {
            driver->wait(std::min(step, left));
            settle();
        }
    }

    void tap(CGPoint point) {
        driver->tap(point);
        settle();
    }
    void drag(CGPoint from, CGPoint to, double seconds = 0.3) {
        driver->drag(from, to, seconds);
        settle();
    }
    void key(const std::string& name) {
        auto press = UIKeyPress::named(name);
        ASSERT_TRUE(press) << name;
        driver->key(*press);
        settle();
    }

    CGImageRef screenshot() const { return driver->screenshot(); }
    // The mean colour of a rectangle of the composed screen (window points).
    CGColor meanColor(CGRect points) const {
        return meanColorInPoints(screenshot(), points, UIScreen::mainScreen().scale());
    }

    // An engine parameter by name, as the picture's view reads it back.
    static float parameter(const std::string& name) { return GraphicsView::sharedInstance()->getAdjustment(name); }

    struct LibraryPhoto {
        photos::AssetRecord record;
        // The stored editing state, when the photo carries this program's adjustment data.
        std::optional<State> state;
        std::filesystem::path original, render;  // the render empty without an edit
    };
    // The library's photos, oldest first.
    std::vector<LibraryPhoto> photos() const {
        std::vector<LibraryPhoto> out;
        auto library = PHPhotoLibrary::sharedPhotoLibrary();
        if (!library) return out;
        const std::filesystem::path folder = PHPhotoLibrary::defaultLibraryPath();
        for (const photos::AssetRecord& record : library->store().assets()) {
            LibraryPhoto photo{record, std::nullopt, folder / record.originalPath, {}};
            if (record.edit) {
                photo.render = folder / record.edit->renderPath;
                if (record.edit->formatIdentifier == State::kFormatIdentifier)
                    photo.state = State::stateFromData(std::string_view(
                        reinterpret_cast<const char*>(record.edit->data.data()), record.edit->data.size()));
            }
            out.push_back(std::move(photo));
        }
        return out;
    }

    // The settings document as written.
    static std::string settingsFile() {
        std::ifstream in(UserDefaults::standardStorePath(), std::ios::binary);
        return {std::istreambuf_iterator<char>(in), {}};
    }

    // A photo of one colour with a lighter band across its middle, as the camera's stills are.
    static UIImagePtr generatedPhoto(std::uint8_t red, std::uint8_t green, std::uint8_t blue, int width = 320,
                                     int height = 240) {
        std::vector<std::uint8_t> pixels(static_cast<std::size_t>(width) * height * 4, 255);
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < width; ++x) {
                std::uint8_t* p = &pixels[(static_cast<std::size_t>(y) * width + x) * 4];
                const bool band = y > height / 3 && y < 2 * height / 3;
                p[0] = band ? std::min(255, red + 60) : red;
                p[1] = band ? std::min(255, green + 60) : green;
                p[2] = band ? std::min(255, blue + 60) : blue;
            }
        return UIImage::imageWithCGImage(CGImageCreate(width, height, 8, 32, width * 4, CGColorSpaceCreateDeviceRGB(),
                                                       kCGImageAlphaNoneSkipLast, std::move(pixels)));
    }

    std::unique_ptr<AmbrelAppDelegate> delegate;
    std::unique_ptr<UIInputDriver> driver;
    std::filesystem::path root;

private:
    static std::string said(const NSErrorPtr& error) {
        return error ? error->localizedDescription() + " " + error->localizedFailureReason() : "";
    }
    void addPhotos() {
        if (options_.photos == 0) return;
        auto collection = std::make_shared<PhotoCollectionView>();
        int pending = 0;
        auto saved = [&pending](bool ok, const NSErrorPtr& error) {
            EXPECT_TRUE(ok) << "a generated photo was not saved: " << said(error);
            --pending;
        };
        for (int i = 0; i < options_.photos; ++i) {
            ++pending;
            collection->saveNewAssetWithImage(generatedPhoto(40 + 30 * (i % 6), 90, 160 - 20 * (i % 6)), {}, saved);
            waitFor([&pending] { return pending == 0; });
        }
    }
    // Saved once the screen has made the editing lists against its render view, as they are
    // made in the program (lists made earlier would read no engine), and before the album is.
    void addEditedPhoto() {
        if (!options_.editedPhoto) return;
        // The default state was recorded with the lists: it does not hold this photo's crop.
        TypeConstants& constants = TypeConstants::sharedInstance();
        const CGRect before = constants.cropAdjustmentRelativeCropRect;
        constants.cropAdjustmentRelativeCropRect = CGRectMake(0.25, 0.25, 0.5, 0.5);
        const std::string data = State::currentState().data();
        constants.cropAdjustmentRelativeCropRect = before;
        bool pending = true;
        std::make_shared<PhotoCollectionView>()->saveNewAssetWithImage(
            generatedPhoto(200, 120, 40), generatedPhoto(150, 90, 30), data, {},
            [&pending](bool ok, const NSErrorPtr& error) {
                EXPECT_TRUE(ok) << "the edited photo was not saved: " << said(error);
                pending = false;
            });
        waitFor([&pending] { return !pending; });
    }
    template <typename Done>
    void waitFor(Done done) {
        const auto giveUp = std::chrono::steady_clock::now() + std::chrono::seconds(60);
        while (!done() && std::chrono::steady_clock::now() < giveUp) {
            loop().runUntilIdle();
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
        EXPECT_TRUE(done()) << "the library did not answer";
    }

    AppLaunch options_;
};
