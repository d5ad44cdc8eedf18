#pragma once
// The properties dictionary of an image: top-level entries (pixel size, orientation, the
// destination's compression quality) and groups of metadata ("{Exif}", "{TIFF}", "{GPS}",
// "{IPTC}"), each group itself a dictionary. Values are integers, reals, strings, lists of
// strings or nested dictionaries; they are copied by value, so a caller that hands a
// dictionary to a writer keeps its own unchanged.
#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

namespace platform {

class ImagePropertyValue;
using ImageProperties = std::map<std::string, ImagePropertyValue, std::less<>>;

class ImagePropertyValue {
public:
    using Strings = std::vector<std::string>;
    using Storage = std::variant<std::int64_t, double, std::string, Strings, ImageProperties>;

    ImagePropertyValue() : value_(std::int64_t{0}) {}
    ImagePropertyValue(int v) : value_(std::int64_t{v}) {}
    ImagePropertyValue(unsigned v) : value_(std::int64_t{v}) {}
    ImagePropertyValue(std::int64_t v) : value_(v) {}
    ImagePropertyValue(float v) : value_(double{v}) {}
    ImagePropertyValue(double v) : value_(v) {}
    ImagePropertyValue(const char* v) : value_(std::string(v)) {}
    ImagePropertyValue(std::string v) : value_(std::move(v)) {}
    ImagePropertyValue(Strings v) : value_(std::move(v)) {}
    ImagePropertyValue(ImageProperties v) : value_(std::move(v)) {}

    bool isInteger() const { return std::holds_alternative<std::int64_t>(value_); }
    bool isNumber() const { return isInteger() || std::holds_alternative<double>(value_); }
    bool isString() const { return std::holds_alternative<std::string>(value_); }
    bool isStrings() const { return std::holds_alternative<Strings>(value_); }
    bool isDictionary() const { return std::holds_alternative<ImageProperties>(value_); }

    // The number (an integer reads as a real); nullopt for any other kind.
    std::optional<double> number() const {
        if (auto* i = std::get_if<std::int64_t>(&value_)) return static_cast<double>(*i);
        if (auto* d = std::get_if<double>(&value_)) return *d;
        return std::nullopt;
    }
    // The integer (a real is truncated toward zero when it fits); nullopt for other kinds.
    std::optional<std::int64_t> integer() const {
        if (auto* i = std::get_if<std::int64_t>(&value_)) return *i;
        if (auto* d = std::get_if<double>(&value_); d && *d > -9.2e18 && *d < 9.2e18)
            return static_cast<std::int64_t>(*d);
        return std::nullopt;
    }
    const std::string* string() const { return std::get_if<std::string>(&value_); }
    const Strings* strings() const { return std::get_if<Strings>(&value_); }
    const ImageProperties* dictionary() const { return std::get_if<ImageProperties>(&value_); }
    ImageProperties* dictionary() { return std::get_if<ImageProperties>(&value_); }

    const Storage& storage() const { return value_; }
    friend bool operator==(const ImagePropertyValue&, const ImagePropertyValue&) = default;

private:
    Storage value_;
};

// Entry lookups that tolerate absent keys and entries of another kind.
inline const ImagePropertyValue* ImagePropertyFind(const ImageProperties& p, std::string_view key) {
    auto it = p.find(key);
    return it == p.end() ? nullptr : &it->second;
}
inline const ImageProperties* ImagePropertyGroup(const ImageProperties& p, std::string_view group) {
    const ImagePropertyValue* v = ImagePropertyFind(p, group);
    return v ? v->dictionary() : nullptr;
}
inline const ImagePropertyValue* ImagePropertyFind(const ImageProperties& p, std::string_view group,
                                                   std::string_view key) {
    const ImageProperties* g = ImagePropertyGroup(p, group);
    return g ? ImagePropertyFind(*g, key) : nullptr;
}

// Keys of the dictionary.
// Top level, as a source reports them.
inline constexpr const char* kCGImagePropertyPixelWidth = "PixelWidth";
inline constexpr const char* kCGImagePropertyPixelHeight = "PixelHeight";
inline constexpr const char* kCGImagePropertyDepth = "Depth";            // bits per component in the file
inline constexpr const char* kCGImagePropertyHasAlpha = "HasAlpha";      // integer 0 or 1
inline constexpr const char* kCGImagePropertyColorModel = "ColorModel";  // "RGB", "Gray", "CMYK"
// Top level: EXIF orientation 1-8; read and written.
inline constexpr const char* kCGImagePropertyOrientation = "Orientation";
// Top level: the embedded ICC colour profile, its bytes held in a string; read from and written
// into JPEG, PNG and TIFF. Every written file holds RGB pixels, so a profile of another colour
// space (a CMYK or grey photo's) is not embedded.
inline constexpr const char* kImagePropertyICCProfile = "ICCProfile";
// Top level: the XMP packet (ratings, creator, keywords...) as XML text; read and written. On
// writing, the orientation, modification date and software the packet states follow the
// written Orientation, TIFF DateTime and TIFF Software entries. A packet the XMP toolkit
// cannot read whole (a property given twice, say) is written as it came, but for the digit
// of the orientation it states.
inline constexpr const char* kImagePropertyXMPPacket = "XMPPacket";
// Top level: the photo's Exif as the file carries it, its bytes (a TIFF structure) held in a
// string: every directory the groups above cannot hold (maker notes, interoperability, lens
// data, version and byte fields, lists) and every tag in its own type and exact value. Read
// from every format, without the tags that describe the file's own pixels and its thumbnail.
// On writing it is what the groups are laid over: a group entry equal to what the block says
// leaves the tag as it came, one that differs replaces it, and one the groups no longer hold
// leaves the file. Without a block the groups are laid over the metadata the image has.
inline constexpr const char* kImagePropertyExifBlock = "ExifBlock";
// Top level: the IPTC records as the file carries them (dates as dates, the envelope's
// character set, the record version), bytes in a string; the "{IPTC}" group is laid over
// them as the groups are over the Exif block.
inline constexpr const char* kImagePropertyIPTCBlock = "IPTCBlock";
// Destination only: lossy compression quality 0-1 (JPEG; TIFF accepts and ignores it).
inline constexpr const char* kCGImageDestinationLossyCompressionQuality = "kCGImageDestinationLossyCompressionQuality";

// Groups.
inline constexpr const char* kCGImagePropertyExifDictionary = "{Exif}";
inline constexpr const char* kCGImagePropertyTIFFDictionary = "{TIFF}";
inline constexpr const char* kCGImagePropertyGPSDictionary = "{GPS}";
inline constexpr const char* kCGImagePropertyIPTCDictionary = "{IPTC}";

// "{Exif}" entries. Any other Exif tag of the photo group may be given by its Exif tag name.
inline constexpr const char* kCGImagePropertyExifDateTimeOriginal = "DateTimeOriginal";
inline constexpr const char* kCGImagePropertyExifDateTimeDigitized = "DateTimeDigitized";
inline constexpr const char* kCGImagePropertyExifUserComment = "UserComment";
inline constexpr const char* kCGImagePropertyExifDigitalZoomRatio = "DigitalZoomRatio";

// "{TIFF}" entries. Any other tag of the main image directory may be given by its tag name.
inline constexpr const char* kCGImagePropertyTIFFDateTime = "DateTime";
inline constexpr const char* kCGImagePropertyTIFFMake = "Make";
inline constexpr const char* kCGImagePropertyTIFFModel = "Model";
inline constexpr const char* kCGImagePropertyTIFFSoftware = "Software";
inline constexpr const char* kCGImagePropertyTIFFImageDescription = "ImageDescription";
inline constexpr const char* kCGImagePropertyTIFFResolutionUnit = "ResolutionUnit";
inline constexpr const char* kCGImagePropertyTIFFOrientation = "Orientation";

// "{GPS}" entries: degrees as positive reals with their reference letters, metres, and the
// UTC time stamp. On writing, TimeStamp may carry the whole "yyyy:MM:dd HH:mm:ss" text (its
// date then fills DateStamp); on reading it is "HH:mm:ss" and DateStamp "yyyy:MM:dd".
// Altitude is signed in the dictionary (below sea level is negative).
inline constexpr const char* kCGImagePropertyGPSLatitude = "Latitude";
inline constexpr const char* kCGImagePropertyGPSLatitudeRef = "LatitudeRef";
inline constexpr const char* kCGImagePropertyGPSLongitude = "Longitude";
inline constexpr const char* kCGImagePropertyGPSLongitudeRef = "LongitudeRef";
inline constexpr const char* kCGImagePropertyGPSAltitude = "Altitude";
inline constexpr const char* kCGImagePropertyGPSTimeStamp = "TimeStamp";
inline constexpr const char* kCGImagePropertyGPSDateStamp = "DateStamp";
inline constexpr const char* kCGImagePropertyGPSDOP = "DOP";
inline constexpr const char* kCGImagePropertyGPSImgDirection = "ImgDirection";
inline constexpr const char* kCGImagePropertyGPSImgDirectionRef = "ImgDirectionRef";

// "{IPTC}" entries.
inline constexpr const char* kCGImagePropertyIPTCKeywords = "Keywords";  // list of strings
inline constexpr const char* kCGImagePropertyIPTCCaptionAbstract = "Caption/Abstract";

}  // namespace platform
