// The application mode's usage and its run: the device profile, the camera, then the application.
#include "app/ApplicationMode.h"

#include <filesystem>
#include <ostream>

#include "app/AmbrelAppDelegate.h"
#include "camera/capture/CameraController.h"
#include "model/DeviceUtility.h"
#include "platform/avfoundation/CaptureRig.h"
#include "platform/foundation/HeapReuse.h"
#include "platform/opengles/EAGLContext.h"
#include "platform/uikit/UIApplicationMain.h"
#include "platform/uikit/UIScreen.h"

namespace ApplicationMode {

void PrintUsage(std::ostream& out) {
    out << "The application (no photo and no render option):\n"
           "  tavorin [--device phone|pad] [--no-force-touch] [--camera SOURCE] [--shortcut TYPE]\n"
           "          [--headless --script FILE [--screenshots DIR]]\n"
           "  SOURCE: simulated, v4l2[:/dev/videoN], lavfi:GRAPH or none (default: the first webcam,\n"
           "  else the simulated camera). A script has one command a line: tap X Y, drag X0 Y0 X1 Y1 S,\n"
           "  key NAME, wait S, shot NAME.png.\n"
           "  tavorin --sample [render options]   renders the sample photograph\n";
}

int Run(const Options& options, std::ostream& err) {
    platform::EAGLContext::prepareDriver();  // before any thread starts
    HeapReuse::KeepFreedBuffers();
    UIDeviceProfile profile = options.device == "pad" ? UIDeviceProfile::pad() : UIDeviceProfile::phone();
    if (!options.forceTouch) profile.forceTouchCapability = UIForceTouchCapability::Unavailable;
    UIDeviceProfile::setCurrent(profile);
    DeviceUtility::resetCaches();
    std::string error;
    if (!platform::CaptureRig::shared().configure(options.camera.value_or(platform::CaptureRig::defaultSources()),
                                                  &error)) {
        err << "--camera: " << error << "\n";
        return kExitUsage;
    }
    if (options.headless) {
        std::error_code missing;
        if (!std::filesystem::is_regular_file(options.script, missing)) {
            err << options.script << ": no such script\n";
            return kExitUsage;
        }
        if (!options.screenshots.empty()) std::filesystem::create_directories(options.screenshots, missing);
    }
    // Said once, so a person knows whether the GPU or software draws (and why it is slow).
    const std::string renderer = platform::EAGLContext::rendererDescription();
    err << "tavorin: rendering with " << renderer << "\n";
    CameraController::installInGraphicsViews();
    UIApplicationRunOptions run;
    run.headless = options.headless;
    run.script = options.script;
    run.screenshots = options.screenshots;
    run.shortcut = options.shortcut;
    run.title = "Tavorin";
    return UIApplicationMain(run, std::make_unique<AmbrelAppDelegate>(), err);
}

}  // namespace ApplicationMode
