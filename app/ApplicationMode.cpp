#include "app/ApplicationMode.h"

#include <filesystem>
#include <map>
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

namespace {

// The application's options that take a value, and the flag.
const std::map<std::string, std::string Options::*> kValueOptions = {
    {"--device", &Options::device},
    {"--shortcut", &Options::shortcut},
    {"--script", &Options::script},
    {"--screenshots", &Options::screenshots},
};

}  // namespace

Command Parse(const std::vector<std::string>& arguments) {
    Options options;
    std::vector<std::string> rest;
    bool application = false, sample = false;
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        const std::string& argument = arguments[i];
        const auto value = kValueOptions.find(argument);
        if (value != kValueOptions.end() || argument == "--camera") {
            if (i + 1 >= arguments.size()) return UsageError{argument + " needs a value"};
            application = true;
            if (argument == "--camera") options.camera = arguments[++i];
            else options.*(value->second) = arguments[++i];
        } else if (argument == "--headless") {
            application = options.headless = true;
        } else if (argument == "--no-force-touch") {
            application = true;
            options.forceTouch = false;
        } else if (argument == "--sample") {
            sample = true;
        } else {
            rest.push_back(argument);
        }
    }
    if (application && (sample || !rest.empty()))
        return UsageError{"the application's options do not go with a render (" + (sample ? "--sample" : rest.front()) +
                          ")"};
    if (!application && (sample || !rest.empty())) return RenderArguments{std::move(rest), sample};
    if (options.device != "phone" && options.device != "pad")
        return UsageError{"--device is phone or pad, not \"" + options.device + "\""};
    if (options.headless && options.script.empty()) return UsageError{"--headless needs --script FILE"};
    if (!options.headless && (!options.script.empty() || !options.screenshots.empty()))
        return UsageError{"--script and --screenshots go with --headless"};
    return options;
}

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
