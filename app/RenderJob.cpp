#include "app/RenderJob.h"

#include <algorithm>
#include <cctype>
#include <chrono>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <iomanip>
#include <memory>
#include <ostream>
#include <sstream>

#include "engine/AmbrelGraphicsController.h"
#include "engine/view/GraphicsView.h"
#include "engine/view/GraphicsViewLinks.h"
#include "engine/ParameterTable.h"
#include "engine/ParameterValues.h"
#include "gpu/Device.h"
#include "model/CollectionObject.h"
#include "model/DeviceUtility.h"
#include "model/Type.h"
#include "platform/coregraphics/CGImage.h"
#include "platform/imageio/ImageIO.h"
#include "platform/uikit/UIImage.h"

namespace fs = std::filesystem;

namespace RenderJob {

namespace {

std::string Lower(std::string text)
{
    std::transform(text.begin(), text.end(), text.begin(), [](unsigned char c) { return std::tolower(c); });
    return text;
}

std::string Trim(const std::string& text)
{
    const size_t first = text.find_first_not_of(" \t");
    if (first == std::string::npos)
        return {};
    return text.substr(first, text.find_last_not_of(" \t") - first + 1);
}

// The parameters that can be set and read back, in the engine's order.
std::vector<std::string> ParameterNames()
{
    std::vector<std::string> names;
    for (const auto& [name, categories] : AmbrelGraphicsController::AdjustmentCategories())
        names.push_back(name);
    return names;
}

bool IsParameter(const std::string& name)
{
    const std::vector<std::string> names = ParameterNames();
    return std::find(names.begin(), names.end(), name) != names.end();
}

// Up to five parameter names that contain the text or one of its words, case ignored.
std::string Suggestions(const std::string& text)
{
    std::vector<std::string> words;
    std::istringstream split(Lower(text));
    for (std::string word; split >> word;)
        if (word.size() > 2)
            words.push_back(word);
    std::vector<std::string> found;
    for (const std::string& name : ParameterNames()) {
        const std::string lower = Lower(name);
        bool match = lower.find(Lower(text)) != std::string::npos;
        for (const std::string& word : words)
            match = match || lower.find(word) != std::string::npos;
        if (match && found.size() < 5)
            found.push_back(name);
    }
    if (found.empty())
        return "";
    std::string list = " (did you mean";
    for (size_t i = 0; i < found.size(); ++i)
        list += (i ? ", \"" : " \"") + found[i] + "\"";
    return list + "?)";
}

std::optional<platform::ImageFileType> OutputType(const std::string& path)
{
    const std::string extension = Lower(fs::path(path).extension().string());
    if (extension == ".jpg" || extension == ".jpeg")
        return platform::ImageFileType::JPEG;
    if (extension == ".png")
        return platform::ImageFileType::PNG;
    if (extension == ".tif" || extension == ".tiff")
        return platform::ImageFileType::TIFF;
    return std::nullopt;
}

// The modes of the mode picker, by shown name.
std::vector<std::shared_ptr<CollectionObject>> Modes()
{
    std::vector<std::shared_ptr<CollectionObject>> modes;
    for (const auto& item : TypeController::modes())
        if (!item->category() && item->name())
            modes.push_back(item);
    return modes;
}

std::shared_ptr<CollectionObject> FindMode(const std::string& name)
{
    for (const auto& mode : Modes())
        if (Lower(*mode->name()) == Lower(name))
            return mode;
    return nullptr;
}

std::string ModeList()
{
    std::string list;
    std::string group;
    for (const auto& mode : Modes()) {
        const std::string name = mode->name().value_or("");
        const std::string title = name.substr(0, name.find_last_of(' '));
        // One line per group.
        if (title == group)
            list.append(", ");
        else
            list.append(group.empty() ? "  " : "\n  ");
        list.append(name);
        group = title;
    }
    return list;
}

Command Fail(std::string message) { return UsageError{std::move(message)}; }

} // namespace

std::variant<float, std::string> ParameterValue(const std::string& name, const std::string& text)
{
    if (!IsParameter(name))
        return "unknown parameter \"" + name + "\"" + Suggestions(name) + "; 'tavorin --list-parameters' lists them";
    const std::string value = Trim(text);
    const EngineParameters::sEnumeration* choices = EngineParameters::FindEnumeration(name);
    if (choices) {
        for (std::string_view choice : choices->names)
            if (Lower(std::string(choice)) == Lower(value))
                return AmbrelGraphicsController::AdjustmentValueFromString(name, std::string(choice));
    }
    char* end = nullptr;
    const double number = value.empty() ? NAN : std::strtod(value.c_str(), &end);
    if (end && *end == '\0' && std::isfinite(number) && number >= 0.0 && number <= 1.0)
        return static_cast<float>(number);
    if (choices) {
        std::string list;
        for (size_t i = 0; i < choices->names.size(); ++i)
            list += (i ? ", " : "") + std::string(choices->names[i]);
        return "\"" + value + "\" is not a value of \"" + name + "\"; it takes " + list + " (or a number from 0 to 1)";
    }
    return "\"" + value + "\" is not a value of \"" + name + "\": give a number from 0 to 1";
}

Command Parse(const std::vector<std::string>& arguments)
{
    Options options;
    std::vector<std::string> positional;
    bool optionsEnded = false;
    for (size_t i = 0; i < arguments.size(); ++i) {
        const std::string& argument = arguments[i];
        if (optionsEnded || argument.empty() || argument[0] != '-' || argument == "-") {
            positional.push_back(argument);
            continue;
        }
        // "--name=value" or "--name value".
        std::string option = argument, inlineValue;
        bool hasInlineValue = false;
        if (argument.rfind("--", 0) == 0) {
            if (const size_t equals = argument.find('='); equals != std::string::npos) {
                option = argument.substr(0, equals);
                inlineValue = argument.substr(equals + 1);
                hasInlineValue = true;
            }
        }
        const auto takeValue = [&](std::string& into) -> bool {
            if (hasInlineValue) {
                into = inlineValue;
                return true;
            }
            if (i + 1 >= arguments.size())
                return false;
            into = arguments[++i];
            return true;
        };

        if (argument == "--") {
            optionsEnded = true;
        } else if (option == "-h" || option == "--help") {
            return Help{};
        } else if (option == "--list-parameters") {
            return ListParameters{};
        } else if (option == "-q" || option == "--quiet") {
            options.quiet = true;
        } else if (option == "-o" || option == "--output") {
            if (!takeValue(options.output) || options.output.empty())
                return Fail(option + " needs a file name");
        } else if (option == "-m" || option == "--mode") {
            if (!takeValue(options.mode) || options.mode.empty())
                return Fail(option + " needs a mode name such as \"Enhance 1\"");
            if (!FindMode(options.mode))
                return Fail("unknown mode \"" + options.mode + "\"; the modes are:\n" + ModeList());
        } else if (option == "-s" || option == "--set") {
            std::string setting;
            if (!takeValue(setting))
                return Fail(option + " needs NAME=VALUE, for example --set \"CA Saturation Strength=0.7\"");
            const size_t equals = setting.find('=');
            if (equals == std::string::npos)
                return Fail("\"" + setting + "\" is not NAME=VALUE");
            const std::string name = Trim(setting.substr(0, equals));
            const auto value = ParameterValue(name, setting.substr(equals + 1));
            if (const std::string* error = std::get_if<std::string>(&value))
                return Fail(*error);
            options.parameters.emplace_back(name, std::get<float>(value));
        } else {
            return Fail("unknown option " + option);
        }
    }
    if (positional.size() > 2)
        return Fail("too many file names: give a photo and at most one output");
    if (!positional.empty())
        options.input = positional[0];
    if (positional.size() == 2) {
        if (!options.output.empty())
            return Fail("the output is given twice");
        options.output = positional[1];
    }
    if (!options.output.empty() && !OutputType(options.output))
        return Fail("cannot tell the image type of \"" + options.output + "\": end it in .jpg, .png or .tiff");
    return options;
}

void PrintUsage(std::ostream& out)
{
    out << "Usage: tavorin [options] [PHOTO [OUTPUT]]\n"
           "\n"
           "Renders PHOTO (JPEG, PNG or TIFF) at full resolution through the enhancement engine and\n"
           "writes the result as JPEG (quality 0.9), PNG or TIFF, chosen by OUTPUT's extension, with\n"
           "the photo's orientation and metadata. Without a photo a sample photograph from\n"
           << kSampleFolder
           << " is used; without an output the result goes to\n"
              "PHOTO-NAME-tavorin.jpg in the current folder. The output's path is printed.\n"
              "\n"
              "Options:\n"
              "  -s, --set \"NAME=VALUE\"  set an engine parameter; VALUE is a number from 0 to 1 or,\n"
              "                          for a parameter with named values, one of those names.\n"
              "                          May be repeated; applied in order, after the mode.\n"
              "  -m, --mode NAME         apply a mode by its shown name, e.g. \"Enhance 1\", \"Fog 3\"\n"
              "  -o, --output FILE       where to write (.jpg, .jpeg, .png, .tif, .tiff)\n"
              "  -q, --quiet             no progress messages\n"
              "      --list-parameters   list the parameters with their defaults and values\n"
              "  -h, --help              show this help\n"
              "\n"
              "Examples:\n"
              "  tavorin photo.jpg\n"
              "  tavorin --set \"Luminance Style=None with Color Adjustments\" --set \"CA Tone Map=Amaro\" \\\n"
              "          --set \"CA Saturation Strength=0.7\" photo.jpg out.png\n"
              "  tavorin --mode \"Dramatic 2\" photo.jpg\n"
              "\n"
              "Exit status: 0 done, 1 the photo could not be read, rendered or written, 2 a mistake\n"
              "on the command line (unknown option, parameter or value).\n";
}

void PrintParameters(std::ostream& out)
{
    for (const std::string& name : ParameterNames()) {
        out << name;
        if (const EngineParameters::sEnumeration* choices = EngineParameters::FindEnumeration(name)) {
            out << ": ";
            for (size_t i = 0; i < choices->names.size(); ++i)
                out << (i ? " | " : "") << choices->names[i];
        } else {
            out << ": 0 to 1";
        }
        if (const EngineParameters::sParameter* parameter = EngineParameters::FindParameter(name))
            out << " (default " << EngineParameters::DescribeValue(name, EngineParameters::DefaultValue(*parameter))
                << ")";
        out << '\n';
    }
}

std::string DefaultPhoto(const std::string& folder)
{
    std::error_code error;
    std::vector<fs::path> files;
    for (const fs::directory_entry& entry : fs::directory_iterator(folder, error))
        if (entry.is_regular_file(error))
            files.push_back(entry.path());
    std::sort(files.begin(), files.end());
    std::string largest;
    uint64_t largestPixels = 0;
    for (const fs::path& file : files) {
        const auto source = platform::ImageSource::createWithFile(file.string());
        if (!source || source->count() == 0)
            continue;
        const uint64_t pixels = uint64_t{source->pixelWidth()} * source->pixelHeight();
        if (pixels > 12'000'000)
            return file.string();
        if (pixels > largestPixels) {
            largestPixels = pixels;
            largest = file.string();
        }
    }
    return largest;
}

std::string DefaultOutput(const std::string& input)
{
    return (fs::current_path() / (fs::path(input).stem().string() + "-tavorin.jpg")).string();
}

namespace {

// Progress in steps of a tenth, so that a log stays short.
class ProgressPrinter {
public:
    ProgressPrinter(std::ostream& err, bool quiet, int32_t width, int32_t height)
        : err_(err), quiet_(quiet), width_(width), height_(height)
    {
    }
    void operator()(double progress)
    {
        const int tenth = static_cast<int>(std::floor(progress * 10.0 + 1e-9));
        if (quiet_ || tenth <= last_)
            return;
        last_ = tenth;
        err_ << "rendering " << width_ << " x " << height_ << ": " << tenth * 10 << "%" << std::endl;
    }

private:
    std::ostream& err_;
    bool quiet_;
    int32_t width_, height_;
    int last_ = -1;
};

platform::ImageProperties OutputProperties(const platform::ImageProperties& source, platform::ImageFileType type,
                                           int64_t orientation)
{
    platform::ImageProperties properties;
    // The photo's metadata travels with the result.
    for (const char* group : {platform::kCGImagePropertyExifDictionary, platform::kCGImagePropertyTIFFDictionary,
                              platform::kCGImagePropertyGPSDictionary, platform::kCGImagePropertyIPTCDictionary})
        if (const platform::ImageProperties* found = platform::ImagePropertyGroup(source, group))
            properties[group] = *found;
    properties[platform::kCGImagePropertyOrientation] =
        platform::EXIFOrientationFromImageOrientation(static_cast<int>(orientation));
    if (type == platform::ImageFileType::JPEG)
        properties[platform::kCGImageDestinationLossyCompressionQuality] = 0.9;
    return properties;
}

} // namespace

std::shared_ptr<GraphicsView> MakeView()
{
    // The frame is in points: kPreviewSize pixels at the screen's scale.
    const CGFloat side = kPreviewSize / AppConstants::defaultContentScale();
    auto view = std::make_shared<GraphicsView>(CGRectMake(0, 0, side, side));
    AmbrelGraphicsController* engine = view->graphicsController();
    if (!view->device() || !engine)
        return nullptr;
    GraphicsViewModelLink::install();
    return view;
}

UIImagePtr PhotoImage(platform::ImageBitmap photo, int64_t orientation)
{
    const size_t width = photo.width, height = photo.height;
    if (width == 0 || height == 0 || photo.pixels.size() < width * height * 4)
        return nullptr;
    return UIImage::imageWithCGImage(CGImageCreate(width, height, 8, 32, width * 4, CGColorSpaceCreateDeviceRGB(),
                                                   kCGImageAlphaLast, std::move(photo.pixels)),
                                     1, static_cast<UIImageOrientation>(orientation));
}

UIImagePtr PreviewImage(const platform::ImageBitmap& photo, int64_t orientation)
{
    const double longer = std::max(photo.width, photo.height);
    const double reduction = std::min(1.0, kPreviewSize / longer);
    const auto width = static_cast<uint32_t>(std::max(1.0, std::round(photo.width * reduction)));
    const auto height = static_cast<uint32_t>(std::max(1.0, std::round(photo.height * reduction)));
    std::optional<platform::ImageBitmap> preview = platform::ResizeImageBitmap(photo, width, height);
    return preview ? PhotoImage(std::move(*preview), orientation) : nullptr;
}

int Run(const Options& options, std::ostream& out, std::ostream& err)
{
    const auto started = std::chrono::steady_clock::now();
    std::string input = options.input;
    if (input.empty()) {
        input = DefaultPhoto();
        if (input.empty()) {
            err << "tavorin: no photo given and no sample photograph in " << kSampleFolder
                << " (install lomiri-wallpapers-16.04, or name a photo)\n";
            return kExitFailure;
        }
        if (!options.quiet)
            err << "no photo given: using the sample photograph " << input << "\n";
    }
    const std::string output = options.output.empty() ? DefaultOutput(input) : options.output;
    const platform::ImageFileType type = OutputType(output).value_or(platform::ImageFileType::JPEG);

    platform::ImageIOError readError;
    std::optional<platform::DecodedImage> photo =
        platform::DecodeImageFile(input, platform::ImagePixelFormat::RGBA, &readError);
    if (!photo) {
        err << "tavorin: cannot read " << input << ": " << readError.message << "\n";
        return kExitFailure;
    }
    const auto width = static_cast<int32_t>(photo->bitmap.width), height = static_cast<int32_t>(photo->bitmap.height);
    const int64_t orientation = photo->imageOrientation();

    // The preview, made before the photo's pixels go to the view without a copy.
    const UIImagePtr preview = PreviewImage(photo->bitmap, orientation);
    if (!preview) {
        err << "tavorin: no memory for the preview of " << input << "\n";
        return kExitFailure;
    }
    UIImagePtr image = PhotoImage(std::move(photo->bitmap), orientation);
    photo->bitmap = {};

    std::shared_ptr<GraphicsView> view = MakeView();
    if (!view) {
        err << "tavorin: no OpenGL ES 2 device\n";
        return kExitFailure;
    }
    if (!options.mode.empty())
        if (const std::shared_ptr<CollectionObject> mode = FindMode(options.mode); mode && mode->selectedBlock())
            mode->selectedBlock()(true, mode.get());
    for (const auto& [name, value] : options.parameters)
        view->setAdjustment(name, value);

    // The preview's frame, drawn with every setting in place, gives the statistics the
    // full-resolution render uses.
    view->setImageWithImage(preview);
    view->graphicsController()->SetRenderProgressBlock(ProgressPrinter(err, options.quiet, width, height));
    UIImagePtr result = view->drawImageToImageWithReferenceSize(image, CGSizeMake(kPreviewSize, kPreviewSize));
    if (view->device()->CheckError())
        err << "tavorin: the graphics driver reported an error during the render\n";
    view.reset();
    image.reset();
    if (!result || !result->CGImage() || !result->CGImage()->data) {
        err << "tavorin: the render of " << input << " failed\n";
        return kExitFailure;
    }

    platform::ImageBitmap bitmap;
    bitmap.width = static_cast<uint32_t>(width);
    bitmap.height = static_cast<uint32_t>(height);
    bitmap.format = platform::ImagePixelFormat::BGRA;
    bitmap.pixels = *result->CGImage()->data;
    result.reset();
    platform::ImageIOError writeError;
    if (!platform::WriteImageFile(bitmap, type, OutputProperties(photo->properties, type, orientation), output,
                                  &writeError)) {
        err << "tavorin: cannot write " << output << ": " << writeError.message << "\n";
        return kExitFailure;
    }
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
    out << output << "\n";
    if (!options.quiet)
        err << "wrote " << width << " x " << height << " in " << std::fixed << std::setprecision(1) << seconds
            << " s\n";
    return 0;
}

int Main(const std::vector<std::string>& arguments, std::ostream& out, std::ostream& err)
{
    const Command command = Parse(arguments);
    if (std::holds_alternative<Help>(command)) {
        PrintUsage(out);
        return 0;
    }
    if (std::holds_alternative<ListParameters>(command)) {
        PrintParameters(out);
        return 0;
    }
    if (const UsageError* error = std::get_if<UsageError>(&command)) {
        err << "tavorin: " << error->message << "\nRun 'tavorin --help' for usage.\n";
        return kExitUsage;
    }
    return Run(std::get<Options>(command), out, err);
}

} // namespace RenderJob
