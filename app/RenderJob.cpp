#include "app/RenderJob.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <chrono>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <future>
#include <filesystem>
#include <iomanip>
#include <memory>
#include <ostream>
#include <sstream>
#include <tuple>
#include <utility>
#include <vector>

#include <malloc.h>
#include <sys/stat.h>
#include <unistd.h>

#include "app/PhotoRenderer.h"
#include "engine/AmbrelGraphicsController.h"
#include "engine/ParameterTable.h"
#include "engine/ParameterValues.h"
#include "gpu/Device.h"
#include "model/Type.h"
#include "platform/foundation/NSBundle.h"
#include "platform/imageio/ImageIO.h"
#include "platform/opengles/EAGLContext.h"

namespace fs = std::filesystem;

namespace RenderJob {

namespace {

std::string Lower(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(), [](unsigned char c) { return std::tolower(c); });
    return text;
}

std::string Trim(const std::string& text) {
    const size_t first = text.find_first_not_of(" \t");
    if (first == std::string::npos) return {};
    return text.substr(first, text.find_last_not_of(" \t") - first + 1);
}

// The parameters that can be set and read back, in the engine's order.
std::vector<std::string> ParameterNames() {
    std::vector<std::string> names;
    for (const auto& [name, categories] : AmbrelGraphicsController::AdjustmentCategories()) names.push_back(name);
    return names;
}

// The parameter's own name for `name` given in any case; empty when there is none.
std::string ParameterNamed(const std::string& name) {
    for (const std::string& candidate : ParameterNames())
        if (Lower(candidate) == Lower(name)) return candidate;
    return {};
}

bool IsOnOff(const std::string& name) {
    const EngineParameters::sParameter* parameter = EngineParameters::FindParameter(name);
    return parameter && parameter->kind == EngineParameters::eKind::OnOff;
}

std::vector<std::string> Words(const std::string& text) {
    std::vector<std::string> words;
    std::istringstream split(Lower(text));
    for (std::string word; split >> word;) words.push_back(word);
    return words;
}

size_t EditDistance(const std::string& a, const std::string& b) {
    std::vector<size_t> row(b.size() + 1);
    for (size_t j = 0; j <= b.size(); ++j) row[j] = j;
    for (size_t i = 1; i <= a.size(); ++i) {
        size_t diagonal = row[0];
        row[0] = i;
        for (size_t j = 1; j <= b.size(); ++j) {
            const size_t above = row[j];
            row[j] = std::min({row[j] + 1, row[j - 1] + 1, diagonal + (a[i - 1] == b[j - 1] ? 0 : 1)});
            diagonal = above;
        }
    }
    return row[b.size()];
}

// A word given stands for a word of a name when one begins the other ("map", "mapping") or
// when they differ by one letter ("saturaton").
bool WordsAlike(const std::string& given, const std::string& word) {
    const size_t shorter = std::min(given.size(), word.size());
    if (shorter >= 3 && given.compare(0, shorter, word, 0, shorter) == 0) return true;
    return shorter >= 4 && EditDistance(given, word) <= 1;
}

// Up to four parameter names that resemble the text, the closest first: a name a few typing
// slips away from it, or one that holds most of its words.
std::string Suggestions(const std::string& text) {
    const std::string given = Lower(text);
    const std::vector<std::string> givenWords = Words(text);
    struct Candidate {
        std::tuple<int, size_t, size_t, size_t> rank;  // smaller is closer
        std::string name;
    };
    std::vector<Candidate> found;
    for (const std::string& name : ParameterNames()) {
        const size_t distance = EditDistance(given, Lower(name));
        const std::vector<std::string> words = Words(name);
        size_t matched = 0;
        for (const std::string& g : givenWords)
            matched += std::any_of(words.begin(), words.end(), [&](const std::string& w) { return WordsAlike(g, w); });
        const bool slips = distance <= std::max<size_t>(2, given.size() / 4);
        const bool mostWords = matched > 0 && matched * 3 >= givenWords.size() * 2;
        if (slips || mostWords)
            found.push_back({{slips ? 0 : 1, givenWords.size() - matched, words.size() - matched, distance}, name});
    }
    std::stable_sort(found.begin(), found.end(),
                     [](const Candidate& a, const Candidate& b) { return a.rank < b.rank; });
    if (found.empty()) return "";
    std::string list = " (did you mean";
    for (size_t i = 0; i < found.size() && i < 4; ++i) list += (i ? ", \"" : " \"") + found[i].name + "\"";
    return list + "?)";
}

std::optional<platform::ImageFileType> OutputType(const std::string& path) {
    const std::string extension = Lower(fs::path(path).extension().string());
    if (extension == ".jpg" || extension == ".jpeg") return platform::ImageFileType::JPEG;
    if (extension == ".png") return platform::ImageFileType::PNG;
    if (extension == ".tif" || extension == ".tiff") return platform::ImageFileType::TIFF;
    return std::nullopt;
}

// The modes by shown name, a line per family.
std::string ModeList() {
    std::string list;
    std::string family;
    for (const TypeController::ModeName& mode : TypeController::modeNames()) {
        const std::string title = mode.shown.substr(0, mode.shown.find_last_of(' '));
        if (title == family) list.append(", ");
        else list.append(family.empty() ? "  " : "\n  ");
        list.append(mode.shown);
        family = title;
    }
    return list;
}

}  // namespace

std::variant<float, std::string> ParameterValue(const std::string& given, const std::string& text) {
    const std::string name = ParameterNamed(given);
    if (name.empty())
        return "unknown parameter \"" + given + "\"" + Suggestions(given) + "; 'tavorin --list-parameters' lists them";
    const std::string value = Trim(text);
    if (IsOnOff(name)) {
        if (Lower(value) == "on") return EngineParameters::FlagValue(true);
        if (Lower(value) == "off") return EngineParameters::FlagValue(false);
    }
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
        for (size_t i = 0; i < choices->names.size(); ++i) list += (i ? ", " : "") + std::string(choices->names[i]);
        return "\"" + value + "\" is not a value of \"" + name + "\"; it takes " + list + " (or a number from 0 to 1)";
    }
    if (IsOnOff(name))
        return "\"" + value + "\" is not a value of \"" + name + "\": give On, Off or a number from 0 to 1";
    return "\"" + value + "\" is not a value of \"" + name + "\": give a number from 0 to 1";
}

const Vocabulary& EngineVocabulary() {
    static const Vocabulary engine{
        [](const std::string& mode) {
            return TypeController::modeNamed(mode) ? std::string()
                                                   : "unknown mode \"" + mode + "\"; the modes are:\n" + ModeList();
        },
        [](const std::string& given,
           const std::string& text) -> std::variant<std::pair<std::string, float>, std::string> {
            const std::string name = Trim(given);
            const auto value = ParameterValue(name, text);
            if (const std::string* error = std::get_if<std::string>(&value)) return *error;
            return std::pair(ParameterNamed(name), std::get<float>(value));
        },
        [](const std::string& output) { return OutputType(output).has_value(); },
    };
    return engine;
}

Command Parse(const std::vector<std::string>& arguments) { return Parse(arguments, EngineVocabulary()); }

void PrintUsage(std::ostream& out) {
    out << "Usage: tavorin [options] [PHOTO [OUTPUT]]\n"
           "\n"
           "Renders PHOTO (JPEG, PNG or TIFF) at full resolution through the enhancement engine and\n"
           "writes the result as JPEG (quality 0.9), PNG or TIFF, chosen by OUTPUT's extension: turned\n"
           "upright, with the photo's metadata, colour profile and XMP. Without PHOTO, render\n"
           "options alone (or --sample) render a sample photograph from\n"
           "  "
        << kSampleFolder
        << "\n"
           "while no arguments at all start the application (below). Without an output the result\n"
           "goes to PHOTO-NAME-tavorin.jpg in the current folder. The output's path is printed. The\n"
           "photo itself is never written over.\n"
           "\n"
           "Options:\n"
           "  -s, --set \"NAME=VALUE\"  set an engine parameter (NAME in any case); VALUE is a number\n"
           "                          from 0 to 1, On or Off for an On/Off parameter, or one of\n"
           "                          the names of a parameter with named values.\n"
           "                          May be repeated; applied in order, after the mode.\n"
           "  -m, --mode NAME         apply a mode by its shown name, e.g. \"Enhance 1\", \"Fog 3\"\n"
           "  -o, --output FILE       where to write (.jpg, .jpeg, .png, .tif, .tiff)\n"
           "  -q, --quiet             no progress messages\n"
           "      --list-parameters   list the parameters with their defaults and values\n"
           "      --list-modes        list the modes by family\n"
           "  -h, --help              show this help\n"
           "\n"
           "Examples:\n"
           "  tavorin photo.jpg\n"
           "  tavorin --set \"Luminance Style=None with Color Adjustments\" --set \"CA Tone Map=Amaro\" \\\n"
           "          --set \"CA Saturation Strength=0.7\" photo.jpg out.png\n"
           "  tavorin --mode \"Dramatic 2\" photo.jpg\n"
           "\n"
           "Exit status: 0 done, 1 the photo could not be read, rendered or written, 2 a mistake\n"
           "on the command line (unknown option, parameter or value; an output that is the photo\n"
           "itself).\n"
           "\n"
           "Modes, by family:\n"
        << ModeList() << "\n";
}

void PrintModes(std::ostream& out) { out << ModeList() << "\n"; }

void PrintParameters(std::ostream& out) {
    for (const std::string& name : ParameterNames()) {
        out << name;
        const EngineParameters::sParameter* parameter = EngineParameters::FindParameter(name);
        if (const EngineParameters::sEnumeration* choices = EngineParameters::FindEnumeration(name)) {
            out << ": ";
            for (size_t i = 0; i < choices->names.size(); ++i) out << (i ? " | " : "") << choices->names[i];
        } else if (IsOnOff(name)) {
            out << ": Off | On";
        } else {
            out << ": 0 to 1";
        }
        if (parameter) {
            const float value = EngineParameters::DefaultValue(*parameter);
            out << " (default "
                << (IsOnOff(name) ? (EngineParameters::FlagFromValue(value) ? "On" : "Off")
                                  : EngineParameters::DescribeValue(name, value))
                << ")";
        }
        out << '\n';
    }
}

std::string DefaultPhoto(const std::string& folder) {
    std::error_code error;
    std::vector<fs::path> files;
    for (const fs::directory_entry& entry : fs::directory_iterator(folder, error))
        if (entry.is_regular_file(error)) files.push_back(entry.path());
    std::sort(files.begin(), files.end());
    std::string largest;
    uint64_t largestPixels = 0;
    for (const fs::path& file : files) {
        const auto source = platform::ImageSource::createWithFile(file.string());
        if (!source || source->count() == 0) continue;
        const uint64_t pixels = uint64_t{source->pixelWidth()} * source->pixelHeight();
        if (pixels > 12'000'000) return file.string();
        if (pixels > largestPixels) {
            largestPixels = pixels;
            largest = file.string();
        }
    }
    return largest;
}

std::string DefaultOutput(const std::string& input) {
    return (fs::current_path() / (fs::path(input).stem().string() + "-tavorin.jpg")).string();
}

namespace {

// Progress in steps of a tenth, so that a log stays short.
class ProgressPrinter {
public:
    ProgressPrinter(std::ostream& err, bool quiet, int32_t width, int32_t height)
        : err_(err), quiet_(quiet), width_(width), height_(height) {}
    void operator()(double progress) {
        const int tenth = static_cast<int>(std::floor(progress * 10.0 + 1e-9));
        if (quiet_ || tenth <= last_) return;
        last_ = tenth;
        err_ << "rendering " << width_ << " x " << height_ << ": " << tenth * 10 << "%" << std::endl;
    }

private:
    std::ostream& err_;
    bool quiet_;
    int32_t width_, height_;
    int last_ = -1;
};

// The local time as image metadata writes dates: "yyyy:MM:dd HH:mm:ss".
std::string MetadataDateNow() {
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    char text[32];
    std::strftime(text, sizeof text, "%Y:%m:%d %H:%M:%S", &local);
    return text;
}

// The photo's metadata for the rendered result: its Exif, TIFF, GPS and IPTC groups and the
// blocks they stand for, its colour profile and its XMP travel with it; the pixels are
// written upright, so the orientation is up; the date and software say that this program
// made the file.
platform::ImageProperties OutputProperties(const platform::ImageProperties& source, platform::ImageFileType type) {
    platform::ImageProperties properties;
    for (const char* key : {platform::kCGImagePropertyExifDictionary, platform::kCGImagePropertyTIFFDictionary,
                            platform::kCGImagePropertyGPSDictionary, platform::kCGImagePropertyIPTCDictionary,
                            platform::kImagePropertyExifBlock, platform::kImagePropertyIPTCBlock,
                            platform::kImagePropertyICCProfile, platform::kImagePropertyXMPPacket})
        if (const platform::ImagePropertyValue* found = platform::ImagePropertyFind(source, key))
            properties[key] = *found;
    constexpr int kUp = 1;
    properties[platform::kCGImagePropertyOrientation] = kUp;
    platform::ImagePropertyValue& tiff = properties[platform::kCGImagePropertyTIFFDictionary];
    if (!tiff.dictionary()) tiff = platform::ImageProperties{};
    (*tiff.dictionary())[platform::kCGImagePropertyTIFFOrientation] = kUp;
    (*tiff.dictionary())[platform::kCGImagePropertyTIFFDateTime] = MetadataDateNow();
    (*tiff.dictionary())[platform::kCGImagePropertyTIFFSoftware] = NSBundle::mainBundle().softwareName();
    if (type == platform::ImageFileType::JPEG) properties[platform::kCGImageDestinationLossyCompressionQuality] = 0.9;
    return properties;
}

// "tavorin: " and what went wrong with `path`, the path named once: the reasons the image
// files give may already name it.
void Report(std::ostream& err, const char* doing, const std::string& path, const std::string& reason) {
    const std::string quoted = "\"" + path + "\"";
    if (reason.find(quoted) != std::string::npos) err << "tavorin: " << reason << "\n";
    else err << "tavorin: cannot " << doing << " " << quoted << ": " << reason << "\n";
}

std::string FolderOf(const std::string& path) {
    const fs::path folder = fs::path(path).parent_path();
    return folder.empty() ? "." : folder.string();
}

// Everything about the two files that can be known before the photo is read, so that a
// mistake costs no decoding or rendering: the photo exists and is a regular file (a FIFO
// would keep its reader waiting), the output is not the photo itself under any name or link
// (it would be written over) nor a FIFO, device or socket, and its folder exists and takes a
// file of its name. 0 when all is well, else the exit status.
int CheckFiles(const std::string& input, const std::string& output, std::ostream& err) {
    struct stat photo {};
    if (::stat(input.c_str(), &photo) != 0) {
        Report(err, "read", input, std::strerror(errno));
        return kExitFailure;
    }
    if (const char* kind = platform::NonRegularFileKind(photo.st_mode)) {
        err << "tavorin: \"" << input << "\" is " << kind << ", not a photo\n";
        return kExitUsage;
    }
    struct stat existing {};
    if (::stat(output.c_str(), &existing) == 0) {
        if (existing.st_dev == photo.st_dev && existing.st_ino == photo.st_ino) {
            err << "tavorin: the output \"" << output
                << "\" is the photo itself, which is never written over: name another output\n";
            return kExitUsage;
        }
        if (S_ISDIR(existing.st_mode)) {
            Report(err, "write", output, "it is a folder");
            return kExitFailure;
        }
        if (const char* kind = platform::NonRegularFileKind(existing.st_mode)) {
            err << "tavorin: the output \"" << output << "\" is " << kind << ", not a file to write a photo into\n";
            return kExitUsage;
        }
    }
    const std::string folder = FolderOf(output);
    struct stat place {};
    if (::stat(folder.c_str(), &place) != 0) {
        Report(err, "write", output,
               errno == ENOENT ? "the folder \"" + folder + "\" does not exist" : std::string(std::strerror(errno)));
        return kExitFailure;
    }
    if (!S_ISDIR(place.st_mode)) {
        Report(err, "write", output, "\"" + folder + "\" is not a folder");
        return kExitFailure;
    }
    if (::access(folder.c_str(), W_OK | X_OK) != 0) {
        Report(err, "write", output, "the folder \"" + folder + "\" is not writable");
        return kExitFailure;
    }
    platform::ImageIOError writeError;
    if (!platform::CheckImageFileWritable(output, &writeError)) {
        Report(err, "write", output, writeError.message);
        return kExitFailure;
    }
    return 0;
}

// The photo's full decode: a JPEG, which has no alpha, as packed R,G,B (three quarters of
// the memory, held through the whole render), any other photo as R,G,B,A.
struct PhotoPixels {
    std::optional<platform::ImageBitmap> rgba;
    std::optional<platform::PackedRGB> rgb;

    bool decoded() const { return rgba || rgb; }
    uint32_t width() const { return rgb ? rgb->width : rgba ? rgba->width : 0; }
    uint32_t height() const { return rgb ? rgb->height : rgba ? rgba->height : 0; }
};

PhotoPixels DecodePhoto(const platform::ImageSource& source, platform::ImageIOError* error) {
    PhotoPixels photo;
    if (source.type() == platform::ImageFileType::JPEG) {
        platform::ImageIOError rgbError;
        photo.rgb = source.createPackedRGBAtIndex(0, &rgbError);
        // A CMYK JPEG has no packed decode; its inks become R,G,B,A as for the other types.
        if (photo.rgb || rgbError.code != platform::ImageIOErrorCode::Unsupported) {
            if (error && !photo.rgb) *error = rgbError;
            return photo;
        }
    }
    photo.rgba = source.createImageAtIndex(0, platform::ImagePixelFormat::RGBA, error);
    return photo;
}

// An upright photo to JPEG: each strip is encoded while the next one renders, and the whole
// result is never held. The strip's rows are copied first, as the render reads the next strip
// into the same rows. Nothing is written unless every row was rendered and encoded.
int RenderStreamed(std::unique_ptr<PhotoRenderer> renderer, const PhotoPixels& photo,
                   const platform::ImageProperties& properties, const std::string& input, const std::string& output,
                   std::ostream& err) {
    platform::ImageIOError writeError;
    std::unique_ptr<platform::ImageDestination> destination =
        platform::ImageDestination::createWithFile(output, platform::ImageFileType::JPEG, &writeError);
    if (!destination) {
        Report(err, "write", output, writeError.message);
        return kExitFailure;
    }
    const uint32_t width = photo.width();
    const size_t rowBytes = size_t(width) * 4;
    destination->beginImage(width, photo.height(), platform::ImagePixelFormat::BGRA, properties);
    std::vector<uint8_t> band;
    bool encoded = true;
    std::future<bool> encoding;  // declared last: joined before the band and the destination go
    const auto settle = [&] {
        if (encoding.valid()) encoded = encoding.get() && encoded;
        return encoded;
    };
    const BitmapRowSink sink = [&](const uint8_t* rows, int32_t, int32_t count) {
        if (!settle()) return false;
        band.assign(rows, rows + size_t(count) * rowBytes);
        encoding = std::async(std::launch::async, [&destination, &band, rowBytes, count] {
            return destination->addRows(band.data(), rowBytes, static_cast<uint32_t>(count));
        });
        return true;
    };
    const bool rendered = photo.rgb ? renderer->renderRows(*photo.rgb, sink) : renderer->renderRows(*photo.rgba, sink);
    settle();
    if (renderer->device().CheckError()) err << "tavorin: the graphics driver reported an error during the render\n";
    renderer.reset();
    if (!rendered && encoded) {
        Report(err, "render", input, "the render failed");
        return kExitFailure;
    }
    if (!destination->finalize(&writeError)) {
        Report(err, "write", output, writeError.message);
        return kExitFailure;
    }
    return 0;
}

// The whole result, turned upright and written in one piece: any orientation and any type.
int RenderWhole(std::unique_ptr<PhotoRenderer> renderer, PhotoPixels& photo, int64_t orientation,
                platform::ImageFileType type, const platform::ImageProperties& properties, const std::string& input,
                const std::string& output, std::ostream& err, std::pair<uint32_t, uint32_t>& written) {
    std::shared_ptr<sBitmap> result =
        photo.rgb ? renderer->render(*photo.rgb, orientation) : renderer->render(*photo.rgba, orientation);
    if (renderer->device().CheckError()) err << "tavorin: the graphics driver reported an error during the render\n";
    renderer.reset();
    photo = {};
    if (!result || result->bytesPerRow != size_t(result->width) * 4 ||
        result->bytes.size() < result->bytesPerRow * size_t(result->height)) {
        Report(err, "render", input, "the render failed");
        return kExitFailure;
    }

    // Written upright: many readers ignore an orientation entry (PNG's above all). The turn
    // is the one copy of the picture made after the render, and an upright photo needs none.
    std::optional<platform::ImageBitmap> upright;
    if (orientation == 0) {
        upright.emplace();
        upright->width = static_cast<uint32_t>(result->width);
        upright->height = static_cast<uint32_t>(result->height);
        upright->format = platform::ImagePixelFormat::BGRA;
        upright->pixels = std::move(result->bytes);
    } else {
        upright = platform::ApplyImageOrientation(result->bytes.data(), static_cast<uint32_t>(result->width),
                                                  static_cast<uint32_t>(result->height),
                                                  platform::ImagePixelFormat::BGRA, static_cast<int>(orientation));
    }
    result.reset();
    if (!upright) {
        Report(err, "write", output, "no memory for the upright picture");
        return kExitFailure;
    }
    platform::ImageIOError writeError;
    if (!platform::WriteImageFile(*upright, type, properties, output, &writeError)) {
        Report(err, "write", output, writeError.message);
        return kExitFailure;
    }
    written = {upright->width, upright->height};
    return 0;
}

}  // namespace

int Run(const Options& options, std::ostream& out, std::ostream& err) {
    const auto started = std::chrono::steady_clock::now();
    // Large blocks (the photo, each working texture of a strip) come from the system and go
    // back to it when freed. With the allocator's sliding threshold, the preview's textures
    // freed first would raise it, and the strips' textures would then come from the heap and
    // leave it fragmented: about 12 MB more at the peak for a 13-megapixel photo.
    mallopt(M_MMAP_THRESHOLD, 1 << 20);
    std::string input = options.input;
    if (input.empty()) {
        input = DefaultPhoto();
        if (input.empty()) {
            err << "tavorin: no photo given and no sample photograph in " << kSampleFolder
                << " (install lomiri-wallpapers-16.04, or name a photo)\n";
            return kExitFailure;
        }
        if (!options.quiet) err << "no photo given: using the sample photograph " << input << "\n";
    }
    const std::string output = options.output.empty() ? DefaultOutput(input) : options.output;
    const platform::ImageFileType type = OutputType(output).value_or(platform::ImageFileType::JPEG);
    if (const int status = CheckFiles(input, output, err)) return status;

    // The photo decodes while the device is made and the engine builds its programs: neither
    // needs the other until the preview. A JPEG's preview comes from a second decode at a
    // reduced scale, a fraction of the full decode's work, so that the preview renders while
    // the full decode still runs; any other photo's preview is reduced from its full decode.
    platform::ImageIOError readError, previewError;
    platform::EAGLContext::prepareDriver();  // before the decoding threads start
    const std::unique_ptr<platform::ImageSource> source = platform::ImageSource::createWithFile(input, &readError);
    if (!source) {
        Report(err, "read", input, readError.message);
        return kExitFailure;
    }
    std::future<PhotoPixels> decoding =
        std::async(std::launch::async, [&source, &readError] { return DecodePhoto(*source, &readError); });
    std::future<std::optional<platform::ImageBitmap>> reducing;
    if (source->type() == platform::ImageFileType::JPEG)
        reducing = std::async(std::launch::async,
                              [&source, &previewError] { return PhotoRenderer::previewOf(*source, &previewError); });
    std::unique_ptr<PhotoRenderer> renderer = PhotoRenderer::make();
    std::optional<platform::ImageBitmap> preview = reducing.valid() ? reducing.get() : std::nullopt;
    PhotoPixels photo;
    const auto decoded = [&] {
        if (decoding.valid()) photo = decoding.get();
        if (!photo.decoded()) Report(err, "read", input, readError.message);
        return photo.decoded();
    };
    // Without a reduced preview (another type, or a decode that failed), the full decode
    // gives the preview or tells what is wrong with the photo.
    if (!preview) {
        if (!decoded()) return kExitFailure;
        if (!photo.rgba) {
            Report(err, "read", input, previewError.message);
            return kExitFailure;
        }
    }
    const auto width = static_cast<int32_t>(source->pixelWidth()), height = static_cast<int32_t>(source->pixelHeight());
    const int64_t orientation = source->imageOrientation();

    if (!renderer) {
        err << "tavorin: no OpenGL ES 2 device\n";
        return kExitFailure;
    }
    if (!options.mode.empty()) {
        const std::optional<TypeController::ModeName> mode = TypeController::modeNamed(options.mode);
        if (!mode || !renderer->applyMode(mode->library)) {
            err << "tavorin: the mode library has no set for \"" << options.mode << "\"\n";
            return kExitFailure;
        }
    }
    for (const auto& [name, value] : options.parameters) renderer->setAdjustment(name, value);

    // The preview's frame, drawn with every setting in place, gives the statistics the
    // full-resolution render uses.
    if (!renderer->renderPreview(preview ? *preview : *photo.rgba, orientation)) {
        Report(err, "render", input, "no memory for its preview");
        return kExitFailure;
    }
    preview.reset();
    const platform::ImageProperties properties = OutputProperties(source->propertiesAtIndex(0), type);
    if (!decoded()) return kExitFailure;
    renderer->setProgress(ProgressPrinter(err, options.quiet, width, height));
    std::pair<uint32_t, uint32_t> written;
    if (type == platform::ImageFileType::JPEG && orientation == 0 &&
        renderer->rendersInRows(photo.width(), photo.height())) {
        if (const int status = RenderStreamed(std::move(renderer), photo, properties, input, output, err))
            return status;
        written = {photo.width(), photo.height()};
    } else {
        if (const int status =
                RenderWhole(std::move(renderer), photo, orientation, type, properties, input, output, err, written))
            return status;
    }
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
    out << output << "\n";
    if (!options.quiet)
        err << "wrote " << written.first << " x " << written.second << " in " << std::fixed << std::setprecision(1)
            << seconds << " s\n";
    return 0;
}

int Main(const std::vector<std::string>& arguments, std::ostream& out, std::ostream& err) {
    const Command command = Parse(arguments);
    if (std::holds_alternative<Help>(command)) {
        PrintUsage(out);
        return 0;
    }
    if (std::holds_alternative<ListParameters>(command)) {
        PrintParameters(out);
        return 0;
    }
    if (std::holds_alternative<ListModes>(command)) {
        PrintModes(out);
        return 0;
    }
    if (const UsageError* error = std::get_if<UsageError>(&command)) {
        err << "tavorin: " << error->message << "\nRun 'tavorin --help' for usage.\n";
        return kExitUsage;
    }
    return Run(std::get<Options>(command), out, err);
}

}  // namespace RenderJob
