// Metadata of encoded images through Exiv2: the Orientation entry, the Exif, TIFF, GPS and
// IPTC groups, the Exif and IPTC blocks, the ICC profile and the XMP packet of the properties
// dictionary, read from and merged into JPEG, PNG and TIFF data. What the groups repeat of
// the blocks is compared, so that only what a caller changed is written anew. Exiv2 reports
// failures by exceptions and messages; none leaves this file.
#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <mutex>
#include <optional>
#include <set>
#include <stdexcept>
#include <string>
#include <vector>

#include <exiv2/exiv2.hpp>
#include <zlib.h>

#include "platform/imageio/Codecs.h"

namespace platform::imageio_detail {
namespace {

// Exiv2's messages are never printed. A thread that wants to know whether a call of its own
// drew any (the XMP toolkit reads some broken packets in part and only says so) listens for
// the length of the call.
thread_local std::vector<std::string>* tMessages = nullptr;

void collectMessage(int, const char* message) {
    if (tMessages) tMessages->emplace_back(message ? message : "");
}

class Listening {
public:
    Listening() : previous_(tMessages) { tMessages = &messages_; }
    ~Listening() { tMessages = previous_; }
    Listening(const Listening&) = delete;
    Listening& operator=(const Listening&) = delete;
    bool heardAny() const { return !messages_.empty(); }

private:
    std::vector<std::string> messages_;
    std::vector<std::string>* previous_;
};

void initialiseOnce() {
    static std::once_flag once;
    std::call_once(once, [] {
        Exiv2::LogMsg::setLevel(Exiv2::LogMsg::warn);
        Exiv2::LogMsg::setHandler(collectMessage);
        Exiv2::XmpParser::initialize();
    });
}

// Image-structure tags: they describe the pixels and the file's layout, not the photo, and
// belong to the encoder (the directory pointers to Exiv2).
const std::set<std::string, std::less<>> kStructureTags = {"ImageWidth",
                                                           "ImageLength",
                                                           "BitsPerSample",
                                                           "Compression",
                                                           "PhotometricInterpretation",
                                                           "StripOffsets",
                                                           "SamplesPerPixel",
                                                           "RowsPerStrip",
                                                           "StripByteCounts",
                                                           "PlanarConfiguration",
                                                           "Predictor",
                                                           "ExtraSamples",
                                                           "SampleFormat",
                                                           "TileWidth",
                                                           "TileLength",
                                                           "TileOffsets",
                                                           "TileByteCounts",
                                                           "ExifTag",
                                                           "GPSTag",
                                                           "JPEGInterchangeFormat",
                                                           "JPEGInterchangeFormatLength",
                                                           "SubIFDs",
                                                           "NewSubfileType",
                                                           "FillOrder",
                                                           "YCbCrSubSampling",
                                                           "YCbCrPositioning",
                                                           "InteroperabilityTag"};

// ---- PNG Exif chunk ------------------------------------------------------------------
// PNG keeps Exif in its own chunk, "eXIf", which viewers read. Exiv2 of this generation
// stores it as a text profile instead, so the chunk is read and written here.

constexpr std::uint8_t kPNGSignature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1a, '\n'};

bool isPNG(const std::vector<std::uint8_t>& d) {
    return d.size() >= 8 && std::equal(kPNGSignature, kPNGSignature + 8, d.begin());
}

struct PNGChunk {
    std::size_t offset;  // of the length field
    std::uint32_t length;
    std::string type;
    std::size_t end() const { return offset + 12 + length; }
};

std::uint32_t readBE32(const std::uint8_t* p) {
    return std::uint32_t(p[0]) << 24 | std::uint32_t(p[1]) << 16 | std::uint32_t(p[2]) << 8 | p[3];
}

// The chunks of the file, stopping at the first that does not fit.
std::vector<PNGChunk> pngChunks(const std::vector<std::uint8_t>& d) {
    std::vector<PNGChunk> chunks;
    std::size_t at = 8;
    while (at + 12 <= d.size()) {
        PNGChunk c{at, readBE32(&d[at]), std::string(reinterpret_cast<const char*>(&d[at + 4]), 4)};
        if (c.length > d.size() - at - 12) break;
        chunks.push_back(c);
        at = c.end();
        if (c.type == "IEND") break;
    }
    return chunks;
}

std::uint32_t crc32(const std::uint8_t* p, std::size_t n) {
    std::uint32_t c = 0xFFFFFFFFu;
    for (std::size_t i = 0; i < n; ++i) {
        c ^= p[i];
        for (int k = 0; k < 8; ++k) c = (c >> 1) ^ (0xEDB88320u & (0u - (c & 1u)));
    }
    return ~c;
}

void appendBE32(std::vector<std::uint8_t>* out, std::uint32_t v) {
    out->insert(out->end(), {std::uint8_t(v >> 24), std::uint8_t(v >> 16), std::uint8_t(v >> 8), std::uint8_t(v)});
}

// Exif from the file's eXIf chunk, when it has one.
void pngReadExifChunk(const std::vector<std::uint8_t>& d, Exiv2::ExifData* exif) {
    for (const PNGChunk& c : pngChunks(d))
        if (c.type == "eXIf" && c.length > 0) {
            Exiv2::ExifParser::decode(*exif, &d[c.offset + 8], c.length);
            return;
        }
}

// A text chunk holding an Exif profile in the text form.
bool isExifTextProfile(const std::vector<std::uint8_t>& d, const PNGChunk& c) {
    if (c.type != "tEXt" && c.type != "zTXt" && c.type != "iTXt") return false;
    static const std::string kinds[] = {"Raw profile type exif", "Raw profile type APP1"};
    for (const std::string& k : kinds)
        if (c.length > k.size() && std::equal(k.begin(), k.end(), d.begin() + c.offset + 8) &&
            d[c.offset + 8 + k.size()] == 0)
            return true;
    return false;
}

void appendChunk(std::vector<std::uint8_t>* out, const char* type, const std::uint8_t* body, std::size_t size) {
    const std::size_t start = out->size();
    appendBE32(out, static_cast<std::uint32_t>(size));
    out->insert(out->end(), type, type + 4);
    out->insert(out->end(), body, body + size);
    appendBE32(out, crc32(&(*out)[start + 4], size + 4));
}

// The profile as an iCCP chunk's body: a name, compression method 0, the zlib stream. Exiv2
// of this generation writes the chunk with an empty name, which the PNG format forbids and
// readers reject, so the chunk is written here. Empty when it cannot be compressed.
std::vector<std::uint8_t> iccChunkBody(const std::string& profile) {
    static const char kName[] = "ICC Profile";
    uLongf packedSize = compressBound(static_cast<uLong>(profile.size()));
    std::vector<std::uint8_t> body(sizeof kName + 1 + packedSize);
    std::memcpy(body.data(), kName, sizeof kName);  // with its terminating zero
    body[sizeof kName] = 0;                         // deflate
    if (compress2(body.data() + sizeof kName + 1, &packedSize, reinterpret_cast<const Bytef*>(profile.data()),
                  static_cast<uLong>(profile.size()), Z_BEST_COMPRESSION) != Z_OK)
        return {};
    body.resize(sizeof kName + 1 + packedSize);
    return body;
}

// The file with its Exif (in the byte order given) in one eXIf chunk and its profile (when
// given) in one iCCP chunk, both after the header, and no other copy of either.
std::vector<std::uint8_t> pngWithChunks(const std::vector<std::uint8_t>& d, const Exiv2::ExifData& exif,
                                        const std::string* profile, Exiv2::ByteOrder order) {
    Exiv2::Blob blob;
    if (!exif.empty()) Exiv2::ExifParser::encode(blob, order, exif);
    const std::vector<std::uint8_t> icc = profile ? iccChunkBody(*profile) : std::vector<std::uint8_t>{};
    std::vector<std::uint8_t> out(d.begin(), d.begin() + 8);
    for (const PNGChunk& c : pngChunks(d)) {
        if (c.type == "eXIf" || isExifTextProfile(d, c) || (profile && c.type == "iCCP")) continue;
        out.insert(out.end(), d.begin() + c.offset, d.begin() + c.end());
        if (c.type != "IHDR") continue;
        if (!blob.empty()) appendChunk(&out, "eXIf", blob.data(), blob.size());
        if (!icc.empty()) appendChunk(&out, "iCCP", icc.data(), icc.size());
    }
    return out;
}

// ---- Reading ---------------------------------------------------------------------------

// One Exif value as a property: text, a number, or nothing for kinds the dictionary does
// not carry (byte blobs, lists).
std::optional<ImagePropertyValue> propertyOf(const Exiv2::Exifdatum& d) {
    if (auto* c = dynamic_cast<const Exiv2::CommentValue*>(&d.value())) return ImagePropertyValue(c->comment());
    switch (d.typeId()) {
    case Exiv2::asciiString: {
        std::string s = d.toString();
        while (!s.empty() && s.back() == '\0') s.pop_back();
        return ImagePropertyValue(std::move(s));
    }
    case Exiv2::unsignedRational:
    case Exiv2::signedRational:
    case Exiv2::tiffFloat:
    case Exiv2::tiffDouble:
        if (d.count() != 1) return std::nullopt;
        return ImagePropertyValue(static_cast<double>(d.toFloat(0)));
    case Exiv2::unsignedByte:
    case Exiv2::unsignedShort:
    case Exiv2::unsignedLong:
    case Exiv2::signedShort:
    case Exiv2::signedLong:
        if (d.count() != 1) return std::nullopt;
        return ImagePropertyValue(static_cast<std::int64_t>(d.toLong(0)));
    default: return std::nullopt;
    }
}

double degreesOf(const Exiv2::Exifdatum& d) {
    double v = 0, scale = 1;
    for (long i = 0; i < d.count() && i < 3; ++i, scale *= 60) {
        const Exiv2::Rational r = d.toRational(i);
        if (r.second != 0) v += static_cast<double>(r.first) / r.second / scale;
    }
    return v;
}

void readGPS(const Exiv2::ExifData& exif, ImageProperties* gps) {
    bool below = false;
    for (const Exiv2::Exifdatum& d : exif) {
        if (d.groupName() != "GPSInfo") continue;
        std::string name = d.tagName();
        if (name.rfind("GPS", 0) == 0) name.erase(0, 3);
        if (name == "Latitude" || name == "Longitude" || name == "DestLatitude" || name == "DestLongitude") {
            (*gps)[name] = degreesOf(d);
        } else if (name == "TimeStamp" && d.count() == 3) {
            char text[32];
            const double s = d.toFloat(2);
            std::snprintf(text, sizeof text, "%02ld:%02ld:%02d", d.toLong(0), d.toLong(1),
                          static_cast<int>(std::lround(s)));
            (*gps)[name] = std::string(text);
        } else if (name == "AltitudeRef") {
            below = d.toLong(0) == 1;
            (*gps)[name] = static_cast<std::int64_t>(d.toLong(0));
        } else if (auto v = propertyOf(d)) {
            (*gps)[name] = *v;
        }
    }
    // The dictionary's GPS stamp is one UTC text; the file keeps its date apart.
    auto date = gps->find(kCGImagePropertyGPSDateStamp), time = gps->find(kCGImagePropertyGPSTimeStamp);
    if (date != gps->end() && time != gps->end() && date->second.string() && time->second.string() &&
        time->second.string()->size() == 8)
        time->second = *date->second.string() + " " + *time->second.string();
    // The dictionary's altitude carries its sign.
    auto alt = gps->find(kCGImagePropertyGPSAltitude);
    if (below && alt != gps->end() && alt->second.number()) alt->second = -std::fabs(*alt->second.number());
}

// The Orientation entry and the Exif, TIFF and GPS groups that Exif data states.
void readExifEntries(const Exiv2::ExifData& exif, ImageProperties* properties) {
    ImageProperties exifGroup, tiffGroup, gpsGroup;
    for (const Exiv2::Exifdatum& d : exif) {
        const std::string group = d.groupName();
        ImageProperties* target = group == "Image" ? &tiffGroup : group == "Photo" ? &exifGroup : nullptr;
        if (!target || kStructureTags.count(d.tagName())) continue;
        if (auto v = propertyOf(d)) (*target)[d.tagName()] = *v;
    }
    readGPS(exif, &gpsGroup);
    if (auto it = tiffGroup.find(kCGImagePropertyTIFFOrientation); it != tiffGroup.end()) {
        const std::int64_t o = it->second.integer().value_or(1);
        (*properties)[kCGImagePropertyOrientation] = (o >= 1 && o <= 8) ? o : 1;
    }
    if (!exifGroup.empty()) (*properties)[kCGImagePropertyExifDictionary] = std::move(exifGroup);
    if (!tiffGroup.empty()) (*properties)[kCGImagePropertyTIFFDictionary] = std::move(tiffGroup);
    if (!gpsGroup.empty()) (*properties)[kCGImagePropertyGPSDictionary] = std::move(gpsGroup);
}

// The IPTC group that IPTC data states: its application record, keywords as a list.
ImageProperties iptcGroupOf(const Exiv2::IptcData& iptc) {
    ImageProperties group;
    ImagePropertyValue::Strings keywords;
    for (const Exiv2::Iptcdatum& d : iptc) {
        if (d.recordName() != "Application2") continue;
        const std::string name = d.tagName();
        if (name == "Keywords") keywords.push_back(d.toString());
        else if (name == "Caption") group[kCGImagePropertyIPTCCaptionAbstract] = d.toString();
        else if (name != "RecordVersion") group[name] = d.toString();
    }
    if (!keywords.empty()) group[kCGImagePropertyIPTCKeywords] = std::move(keywords);
    return group;
}

// Whether a tag travels in the Exif block. Those that describe the file's own pixels (their
// layout, the offsets of other pictures, the thumbnail of the picture before any render) and
// the copies of the profile, IPTC and XMP that a TIFF keeps among its tags stay behind; the
// width, height and chroma siting stay in, to be stated anew for the written picture.
bool travelsInBlock(const Exiv2::Exifdatum& d) {
    const std::string group = d.groupName();
    if (group == "Thumbnail" || group.rfind("SubImage", 0) == 0 || group.rfind("SubThumb", 0) == 0 ||
        (group.size() == 6 && group.rfind("Image", 0) == 0 && std::isdigit(static_cast<unsigned char>(group[5]))) ||
        group == "PanaRaw")
        return false;
    if (group != "Image") return true;
    static const std::set<std::string, std::less<>> kFileCopies = {"XMLPacket", "IPTCNAA", "InterColorProfile",
                                                                   "ImageResources"};
    const std::string name = d.tagName();
    if (name == "ImageWidth" || name == "ImageLength" || name == "YCbCrPositioning") return true;
    return !kStructureTags.count(name) && !kFileCopies.count(name);
}

std::string bytesText(const Exiv2::byte* p, std::size_t size) {
    return std::string(reinterpret_cast<const char*>(p), size);
}

}  // namespace

void metadataRead(const std::vector<std::uint8_t>& data, ImageProperties* properties) {
    initialiseOnce();
    try {
        Exiv2::Image::AutoPtr image = Exiv2::ImageFactory::open(data.data(), static_cast<long>(data.size()));
        if (!image.get()) return;
        image->readMetadata();
        Exiv2::ExifData exif = image->exifData();
        if (exif.empty() && isPNG(data)) pngReadExifChunk(data, &exif);
        readExifEntries(exif, properties);
        ImageProperties iptcGroup = iptcGroupOf(image->iptcData());
        if (!iptcGroup.empty()) (*properties)[kCGImagePropertyIPTCDictionary] = std::move(iptcGroup);
        Exiv2::ExifData carried;
        for (const Exiv2::Exifdatum& d : exif)
            if (travelsInBlock(d)) carried.add(d);
        if (!carried.empty()) {
            Exiv2::Blob blob;
            const Exiv2::ByteOrder order =
                image->byteOrder() == Exiv2::invalidByteOrder ? Exiv2::littleEndian : image->byteOrder();
            Exiv2::ExifParser::encode(blob, order, carried);
            if (!blob.empty()) (*properties)[kImagePropertyExifBlock] = bytesText(blob.data(), blob.size());
        }
        if (!image->iptcData().empty()) {
            const Exiv2::DataBuf records = Exiv2::IptcParser::encode(image->iptcData());
            if (records.size_ > 0)
                (*properties)[kImagePropertyIPTCBlock] =
                    bytesText(records.pData_, static_cast<std::size_t>(records.size_));
        }
        if (image->iccProfileDefined()) {
            const Exiv2::DataBuf* icc = image->iccProfile();
            (*properties)[kImagePropertyICCProfile] = bytesText(icc->pData_, static_cast<std::size_t>(icc->size_));
        }
        // The packet as the file holds it: a TIFF's reader keeps it with the XMP data only,
        // and that one whether or not the toolkit could read it.
        const std::string packet =
            image->xmpData().xmpPacket().empty() ? image->xmpPacket() : image->xmpData().xmpPacket();
        if (!packet.empty()) (*properties)[kImagePropertyXMPPacket] = packet;
    } catch (const std::exception&) {
        // Unreadable metadata leaves the pixel properties alone.
    }
}

// ---- Writing ---------------------------------------------------------------------------

namespace {

// A fraction for the number: a whole number over 1, a time such as 1/640 s as exactly that,
// anything else the nearest Exiv2 finds.
std::string rationalText(double v, bool isSigned) {
    if (!std::isfinite(v)) v = 0;
    if (!isSigned && v < 0) v = 0;
    if (std::fabs(v) < 2e9 && v == std::floor(v)) return std::to_string(static_cast<long long>(v)) + "/1";
    if (v > 0 && v < 1) {
        const double denominator = std::round(1 / v);
        if (denominator < 2e9 && std::fabs(1 / v - denominator) < 1e-6 * denominator)
            return "1/" + std::to_string(static_cast<long long>(denominator));
    }
    const Exiv2::Rational r = Exiv2::floatToRationalCast(static_cast<float>(v));
    return std::to_string(r.first) + "/" + std::to_string(r.second);
}

std::string numberText(double v) {
    char text[40];
    std::snprintf(text, sizeof text, "%.10g", v);
    return text;
}

bool isASCII(const std::string& s) {
    for (unsigned char c : s)
        if (c >= 0x80) return false;
    return true;
}

void eraseKey(Exiv2::ExifData& exif, const std::string& key) {
    for (auto it = exif.findKey(Exiv2::ExifKey(key)); it != exif.end(); it = exif.findKey(Exiv2::ExifKey(key)))
        exif.erase(it);
}

// Stores a property under an Exif key: in the type the tag already has in the data (a
// camera's SHORT or LONG, RATIONAL or SRATIONAL stays), else in the tag's own type. Keys
// Exiv2 does not know and values of the wrong kind are skipped.
void setExif(Exiv2::ExifData& exif, const std::string& keyName, const ImagePropertyValue& value) {
    // Tags whose type Exiv2's table has wrong: the Exif standard and libtiff want a SHORT.
    static const std::set<std::string, std::less<>> kShortTags = {"Exif.Photo.GainControl"};
    try {
        Exiv2::ExifKey key(keyName);
        Exiv2::TypeId type = kShortTags.count(keyName) ? Exiv2::unsignedShort : key.defaultTypeId();
        if (auto present = exif.findKey(key);
            present != exif.end() && type != Exiv2::comment && present->typeId() != Exiv2::invalidTypeId)
            type = present->typeId();
        std::string text;
        if (const std::string* s = value.string()) {
            text = *s;
            if (type == Exiv2::comment) text = (isASCII(text) ? "charset=Ascii " : "charset=Unicode ") + text;
        } else if (auto n = value.number()) {
            if (type == Exiv2::unsignedRational || type == Exiv2::signedRational)
                text = rationalText(*n, type == Exiv2::signedRational);
            else if (type == Exiv2::asciiString || type == Exiv2::comment || type == Exiv2::undefined)
                text = numberText(*n);
            else text = std::to_string(std::llround(*n));
        } else {
            return;
        }
        Exiv2::Value::AutoPtr v = Exiv2::Value::create(type == Exiv2::invalidTypeId ? Exiv2::asciiString : type);
        if (v->read(text) != 0) return;
        eraseKey(exif, keyName);
        exif.add(key, v.get());
    } catch (const std::exception&) {}
}

void setExifText(Exiv2::ExifData& exif, const std::string& key, const std::string& text) {
    setExif(exif, key, ImagePropertyValue(text));
}

std::string degreesText(double v) {
    v = std::fabs(v);
    const double deg = std::floor(v);
    const double minutes = std::floor((v - deg) * 60);
    const double seconds = ((v - deg) * 60 - minutes) * 60;
    return std::to_string(static_cast<long>(deg)) + "/1 " + std::to_string(static_cast<long>(minutes)) + "/1 " +
           std::to_string(std::llround(seconds * 10000)) + "/10000";
}

void setExifRaw(Exiv2::ExifData& exif, const std::string& keyName, Exiv2::TypeId type, const std::string& text) {
    try {
        Exiv2::ExifKey key(keyName);
        Exiv2::Value::AutoPtr v = Exiv2::Value::create(type);
        if (v->read(text) != 0) return;
        eraseKey(exif, keyName);
        exif.add(key, v.get());
    } catch (const std::exception&) {}
}

// The GPS entries `changed` of the group `gps` (the whole group, for the entries that
// depend on others).
void writeGPS(Exiv2::ExifData& exif, const ImageProperties& changed, const ImageProperties& gps) {
    for (const auto& [name, value] : changed) {
        const std::string key = "Exif.GPSInfo.GPS" + name;
        const auto n = value.number();
        // A number that is no number, or degrees past the globe's, is left out rather than
        // written as something else.
        if (n && !std::isfinite(*n)) continue;
        const bool degrees =
            name == "Latitude" || name == "Longitude" || name == "DestLatitude" || name == "DestLongitude";
        if (degrees && n && std::fabs(*n) > (name.ends_with("Latitude") ? 90.0 : 180.0)) continue;
        if (degrees && n) {
            setExifRaw(exif, key, Exiv2::unsignedRational, degreesText(*n));
        } else if (name == "Altitude" && n) {
            setExifRaw(exif, key, Exiv2::unsignedRational, rationalText(std::fabs(*n), false));
            if (!gps.count("AltitudeRef"))
                setExif(exif, "Exif.GPSInfo.GPSAltitudeRef", ImagePropertyValue(*n < 0 ? 1 : 0));
        } else if (name == "TimeStamp" && value.string()) {
            // "HH:mm:ss" or "yyyy:MM:dd HH:mm:ss"; the date part fills DateStamp.
            const std::string& s = *value.string();
            int Y, M, D, h, m;
            double sec;
            if (std::sscanf(s.c_str(), "%d:%d:%d %d:%d:%lf", &Y, &M, &D, &h, &m, &sec) == 6) {
                if (!gps.count("DateStamp")) setExifText(exif, "Exif.GPSInfo.GPSDateStamp", s.substr(0, 10));
            } else if (std::sscanf(s.c_str(), "%d:%d:%lf", &h, &m, &sec) != 3) {
                continue;
            }
            setExifRaw(exif, key, Exiv2::unsignedRational,
                       std::to_string(h) + "/1 " + std::to_string(m) + "/1 " +
                           std::to_string(std::llround(sec * 1000)) + "/1000");
        } else {
            setExif(exif, key, value);
        }
    }
    // A GPS directory states its version; one that came with the photo keeps its own.
    bool any = false;
    for (const Exiv2::Exifdatum& d : exif) any = any || d.groupName() == "GPSInfo";
    if (any && exif.findKey(Exiv2::ExifKey("Exif.GPSInfo.GPSVersionID")) == exif.end())
        setExifRaw(exif, "Exif.GPSInfo.GPSVersionID", Exiv2::unsignedByte, "2 2 0 0");
}

// The written EXIF orientation, when the dictionary states one.
std::optional<std::int64_t> writtenOrientation(const ImageProperties& p) {
    const ImagePropertyValue* o = ImagePropertyFind(p, kCGImagePropertyOrientation);
    if (!o) return std::nullopt;
    const std::int64_t v = o->integer().value_or(1);
    return v >= 1 && v <= 8 ? v : 1;
}

// The entries of `now` that `before` does not hold with the same value.
ImageProperties changedEntries(const ImageProperties* now, const ImageProperties* before) {
    ImageProperties changed;
    if (!now) return changed;
    for (const auto& [name, value] : *now) {
        const ImagePropertyValue* old = before ? ImagePropertyFind(*before, name) : nullptr;
        if (!old || !(*old == value)) changed[name] = value;
    }
    return changed;
}

// The names of `before` that `now` no longer holds.
std::vector<std::string> removedEntries(const ImageProperties* now, const ImageProperties* before) {
    std::vector<std::string> removed;
    if (!before) return removed;
    for (const auto& [name, value] : *before)
        if (!now || !now->count(name)) removed.push_back(name);
    return removed;
}

// Lays the dictionary's Orientation entry and Exif, TIFF and GPS groups over the Exif data:
// an entry that says what the data already says leaves the tag as it is (its type and exact
// value); one that differs replaces it. When the dictionary speaks for the whole photo (it
// carried the Exif block the data now holds), the tags whose entries it dropped go too.
void layExifEntries(Exiv2::ExifData& exif, const ImageProperties& p, bool whole) {
    ImageProperties before;
    readExifEntries(exif, &before);
    for (const auto& [groupKey, prefix] : {std::pair{kCGImagePropertyTIFFDictionary, "Exif.Image."},
                                           std::pair{kCGImagePropertyExifDictionary, "Exif.Photo."}}) {
        const ImageProperties* now = ImagePropertyGroup(p, groupKey);
        const ImageProperties* was = ImagePropertyGroup(before, groupKey);
        for (const auto& [name, value] : changedEntries(now, was))
            if (!kStructureTags.count(name)) setExif(exif, prefix + name, value);
        if (whole)
            for (const std::string& name : removedEntries(now, was)) eraseKey(exif, prefix + name);
    }
    const ImageProperties* gps = ImagePropertyGroup(p, kCGImagePropertyGPSDictionary);
    const ImageProperties* gpsBefore = ImagePropertyGroup(before, kCGImagePropertyGPSDictionary);
    if (gps) writeGPS(exif, changedEntries(gps, gpsBefore), *gps);
    if (whole)
        for (const std::string& name : removedEntries(gps, gpsBefore)) eraseKey(exif, "Exif.GPSInfo.GPS" + name);
    // The top-level entry has the last word over the TIFF group's.
    if (auto o = writtenOrientation(p)) setExif(exif, "Exif.Image.Orientation", ImagePropertyValue(*o));
}

// The IPTC group laid over the IPTC data as the Exif groups are over the Exif data. A value
// is stored in its dataset's own type (a date as a date), or as text when it is not one.
void layIPTC(Exiv2::IptcData& iptc, const ImageProperties* group, bool whole) {
    const ImageProperties before = iptcGroupOf(iptc);
    const auto keyOf = [](const std::string& name) {
        return Exiv2::IptcKey("Iptc.Application2." +
                              (name == kCGImagePropertyIPTCCaptionAbstract ? std::string("Caption") : name));
    };
    const auto erase = [&](const Exiv2::IptcKey& key) {
        for (auto it = iptc.findKey(key); it != iptc.end(); it = iptc.findKey(key)) iptc.erase(it);
    };
    for (const auto& [name, value] : changedEntries(group, &before)) {
        try {
            const Exiv2::IptcKey key = keyOf(name);
            erase(key);
            std::vector<std::string> items;
            if (const auto* list = value.strings()) items = *list;
            else if (const std::string* s = value.string()) items.push_back(*s);
            else if (auto n = value.number()) items.push_back(numberText(*n));
            const Exiv2::TypeId type = Exiv2::IptcDataSets::dataSetType(key.tag(), key.record());
            for (const std::string& item : items) {
                Exiv2::Value::AutoPtr v = Exiv2::Value::create(type);
                if (v->read(item) != 0) {
                    v = Exiv2::Value::create(Exiv2::string);
                    v->read(item);
                }
                iptc.add(key, v.get());
            }
        } catch (const std::exception&) {}
    }
    if (whole)
        for (const std::string& name : removedEntries(group, &before)) {
            try {
                erase(keyOf(name));
            } catch (const std::exception&) {}
        }
}

// The Exif data the dictionary's block states, in place of the data's own; for a TIFF, with
// the tags that lay out its own pixels kept. False when there is no block or it cannot be read;
// `order` becomes the block's byte order.
bool carryExifBlock(const ImageProperties& p, bool tiff, Exiv2::ExifData& exif, Exiv2::ByteOrder* order) {
    const ImagePropertyValue* block = ImagePropertyFind(p, kImagePropertyExifBlock);
    if (!block || !block->string() || block->string()->empty()) return false;
    Exiv2::ExifData carried;
    const std::string& bytes = *block->string();
    const Exiv2::ByteOrder blockOrder = Exiv2::ExifParser::decode(
        carried, reinterpret_cast<const Exiv2::byte*>(bytes.data()), static_cast<std::uint32_t>(bytes.size()));
    if (carried.empty()) return false;
    if (blockOrder != Exiv2::invalidByteOrder) *order = blockOrder;
    if (tiff) {
        for (auto it = carried.begin(); it != carried.end();)
            it = it->groupName() == "Image" && kStructureTags.count(it->tagName()) ? carried.erase(it) : std::next(it);
        for (const Exiv2::Exifdatum& d : exif)
            if (d.groupName() == "Image" && kStructureTags.count(d.tagName())) carried.add(d);
    }
    exif = std::move(carried);
    return true;
}

bool carryIPTCBlock(const ImageProperties& p, Exiv2::IptcData& iptc) {
    const ImagePropertyValue* block = ImagePropertyFind(p, kImagePropertyIPTCBlock);
    if (!block || !block->string() || block->string()->empty()) return false;
    Exiv2::IptcData carried;
    const std::string& bytes = *block->string();
    if (Exiv2::IptcParser::decode(carried, reinterpret_cast<const Exiv2::byte*>(bytes.data()),
                                  static_cast<std::uint32_t>(bytes.size())) != 0 ||
        carried.empty())
        return false;
    iptc = std::move(carried);
    return true;
}

// What the Exif states of the picture's layout follows the written picture, where it states
// it: the sizes, and the chroma siting, centred in a JPEG of this encoder and meaningless in
// the RGB pixels of the other formats. (A TIFF's own tags state its layout already.)
void statePicture(Exiv2::ExifData& exif, long width, long height, bool jpeg, bool tiff) {
    const auto present = [&](const char* name) { return exif.findKey(Exiv2::ExifKey(name)) != exif.end(); };
    std::vector<std::pair<const char*, long>> sizes = {{"Exif.Photo.PixelXDimension", width},
                                                       {"Exif.Photo.PixelYDimension", height}};
    if (!tiff) sizes.insert(sizes.end(), {{"Exif.Image.ImageWidth", width}, {"Exif.Image.ImageLength", height}});
    for (const auto& [name, size] : sizes) {
        if (size <= 0 || !present(name)) continue;
        // libtiff reads the Exif sizes of a TIFF only as LONG, which the standard allows too.
        if (tiff) setExifRaw(exif, name, Exiv2::unsignedLong, std::to_string(size));
        else setExif(exif, name, ImagePropertyValue(static_cast<std::int64_t>(size)));
    }
    constexpr std::int64_t kCentred = 1;
    if (jpeg && present("Exif.Image.YCbCrPositioning"))
        setExif(exif, "Exif.Image.YCbCrPositioning", ImagePropertyValue(kCentred));
    else if (!jpeg && !tiff) eraseKey(exif, "Exif.Image.YCbCrPositioning");
}

// A whole profile (its header states its own length) of the RGB colour space, the only
// pixels the encoders write.
bool isRGBProfile(const std::string& icc) {
    constexpr std::size_t kColourSpaceAt = 16, kHeaderSize = 128;
    return icc.size() >= kHeaderSize && readBE32(reinterpret_cast<const std::uint8_t*>(icc.data())) == icc.size() &&
           icc.compare(kColourSpaceAt, 4, "RGB ") == 0;
}

// The profile to embed, or null when there is none or it does not describe RGB pixels.
const std::string* rgbProfile(const ImageProperties& p) {
    const ImagePropertyValue* value = ImagePropertyFind(p, kImagePropertyICCProfile);
    const std::string* icc = value ? value->string() : nullptr;
    return icc && isRGBProfile(*icc) ? icc : nullptr;
}

// An Exif date ("yyyy:MM:dd HH:mm:ss") in the form XMP dates take ("yyyy-MM-ddTHH:mm:ss");
// empty for any other text.
std::string xmpDate(const std::string& exifDate) {
    int Y, M, D, h, m, sec;
    if (exifDate.size() != 19 || std::sscanf(exifDate.c_str(), "%d:%d:%d %d:%d:%d", &Y, &M, &D, &h, &m, &sec) != 6)
        return {};
    char text[32];
    std::snprintf(text, sizeof text, "%04d-%02d-%02dT%02d:%02d:%02d", Y, M, D, h, m, sec);
    return text;
}

// A packet as it came, but for the one digit of the orientation it states (as an attribute
// or as an element), which follows the written orientation: a viewer that believes the packet
// must not turn upright pixels a second time. The packet keeps its length.
std::string packetWithOrientation(std::string packet, std::optional<std::int64_t> orientation) {
    if (!orientation) return packet;
    const char digit = static_cast<char>('0' + *orientation);
    for (const char* form : {"tiff:Orientation=\"", "tiff:Orientation='", "<tiff:Orientation>"})
        for (std::size_t at = packet.find(form); at != std::string::npos; at = packet.find(form, at + 1)) {
            const std::size_t value = at + std::strlen(form);
            const bool oneDigit = value + 1 < packet.size() && packet[value] >= '1' && packet[value] <= '8' &&
                                  (packet[value + 1] == '"' || packet[value + 1] == '\'' || packet[value + 1] == '<');
            if (oneDigit) packet[value] = digit;
        }
    return packet;
}

// The packet decoded so that what it repeats of the written entries agrees with them: the
// orientation (the pixels may have been turned), the modification date and the software.
// Entries the packet does not have are not added. A packet the toolkit cannot read whole is
// written as it came (see packetWithOrientation): decoding it again would lose what the
// toolkit skipped.
void writeXMP(Exiv2::Image& image, const std::string& packet, const ImageProperties& p) {
    Exiv2::XmpData xmp;
    bool whole = false;
    {
        Listening listening;
        whole = Exiv2::XmpParser::decode(xmp, packet) == 0 && !listening.heardAny();
    }
    if (!whole) {
        // Set past the setter, which refuses a packet the toolkit cannot read. A TIFF takes
        // its packet from the XMP data, the other formats from the image.
        const std::string carried = packetWithOrientation(packet, writtenOrientation(p));
        image.clearXmpData();
        image.xmpData().setPacket(carried);
        image.xmpPacket() = carried;
        image.writeXmpFromPacket(true);
        return;
    }
    const auto update = [&](const char* key, const std::string& value) {
        if (!value.empty() && xmp.findKey(Exiv2::XmpKey(key)) != xmp.end()) xmp[key] = value;
    };
    if (auto o = writtenOrientation(p)) update("Xmp.tiff.Orientation", std::to_string(*o));
    if (const ImagePropertyValue* date =
            ImagePropertyFind(p, kCGImagePropertyTIFFDictionary, kCGImagePropertyTIFFDateTime);
        date && date->string()) {
        update("Xmp.xmp.ModifyDate", xmpDate(*date->string()));
        update("Xmp.tiff.DateTime", xmpDate(*date->string()));
    }
    if (const ImagePropertyValue* software =
            ImagePropertyFind(p, kCGImagePropertyTIFFDictionary, kCGImagePropertyTIFFSoftware);
        software && software->string())
        update("Xmp.tiff.Software", *software->string());
    image.setXmpData(xmp);
    image.writeXmpFromPacket(false);
}

// What went wrong, never empty: some of Exiv2's errors come without a text.
std::string reasonOf(const std::exception& e) {
    std::string reason = e.what();
    if (!reason.empty()) return reason;
    if (const auto* exiv2 = dynamic_cast<const Exiv2::AnyError*>(&e))
        return "Exiv2 could not encode the metadata (its error " + std::to_string(exiv2->code()) + ")";
    return "the metadata could not be encoded";
}

}  // namespace

std::optional<TIFFResolution> tiffResolution(const ImageProperties& p) {
    const auto number = [&](const char* key) {
        const ImagePropertyValue* v = ImagePropertyFind(p, kCGImagePropertyTIFFDictionary, key);
        return v ? v->number().value_or(0) : 0;
    };
    const double x = number("XResolution"), y = number("YResolution"),
                 unit = number(kCGImagePropertyTIFFResolutionUnit);
    if (!(x > 0 && x < 1e9 && y > 0 && y < 1e9)) return std::nullopt;
    TIFFResolution r{static_cast<float>(x), static_cast<float>(y)};
    if (unit >= 1 && unit <= 3) r.unit = static_cast<std::uint16_t>(unit);
    return r;
}

bool metadataPresent(const ImageProperties& p) {
    for (const char* key : {kCGImagePropertyOrientation, kCGImagePropertyExifDictionary, kCGImagePropertyTIFFDictionary,
                            kCGImagePropertyGPSDictionary, kCGImagePropertyIPTCDictionary, kImagePropertyICCProfile,
                            kImagePropertyXMPPacket, kImagePropertyExifBlock, kImagePropertyIPTCBlock})
        if (p.count(key)) return true;
    return false;
}

namespace {

// The data with the properties' metadata merged in, the XMP packet left out when told; throws
// what Exiv2 throws.
std::vector<std::uint8_t> merged(const std::vector<std::uint8_t>& data, const ImageProperties& p, bool withXMP) {
    Exiv2::Image::AutoPtr image = Exiv2::ImageFactory::open(data.data(), static_cast<long>(data.size()));
    if (!image.get()) throw std::runtime_error("unknown file type");
    image->readMetadata();
    Exiv2::ExifData& exif = image->exifData();
    const bool png = isPNG(data);
    const bool tiff = image->mimeType() == "image/tiff";
    if (png && exif.empty()) pngReadExifChunk(data, &exif);
    Exiv2::ByteOrder order = Exiv2::bigEndian;
    layExifEntries(exif, p, carryExifBlock(p, tiff, exif, &order));
    const bool wholeIPTC = carryIPTCBlock(p, image->iptcData());
    layIPTC(image->iptcData(), ImagePropertyGroup(p, kCGImagePropertyIPTCDictionary), wholeIPTC);
    const std::string* icc = rgbProfile(p);
    if (icc && !png) {
        Exiv2::DataBuf buf(reinterpret_cast<const Exiv2::byte*>(icc->data()), static_cast<long>(icc->size()));
        image->setIccProfile(buf, true);
    }
    if (const ImagePropertyValue* xmp = ImagePropertyFind(p, kImagePropertyXMPPacket); withXMP && xmp && xmp->string())
        writeXMP(*image, *xmp->string(), p);
    // A layout copied from another photo's metadata must describe this one.
    statePicture(exif, image->pixelWidth(), image->pixelHeight(), image->mimeType() == "image/jpeg", tiff);
    image->writeMetadata();
    Exiv2::BasicIo& io = image->io();
    if (io.open() != 0) throw Exiv2::Error(Exiv2::kerDataSourceOpenFailed, "memory");
    const long size = static_cast<long>(io.size());
    Exiv2::DataBuf buf = io.read(size);
    io.close();
    if (buf.size_ != size) throw Exiv2::Error(Exiv2::kerFailedToReadImageData);
    std::vector<std::uint8_t> out(buf.pData_, buf.pData_ + buf.size_);
    return png ? pngWithChunks(out, exif, icc, order) : out;
}

}  // namespace

bool metadataWrite(std::vector<std::uint8_t>* data, const ImageProperties& p, ImageIOError* error) {
    initialiseOnce();
    std::string reason;
    try {
        *data = merged(*data, p, true);
        return true;
    } catch (const std::exception& e) {
        reason = reasonOf(e);
    }
    // A packet the file cannot hold (too large for a JPEG segment, say) is no reason to lose
    // the picture: it is left out, and the person told.
    if (const ImagePropertyValue* xmp = ImagePropertyFind(p, kImagePropertyXMPPacket); xmp && xmp->string()) {
        try {
            *data = merged(*data, p, false);
            std::fprintf(stderr, "tavorin: the photo's XMP packet was left out of the file: %s\n", reason.c_str());
            return true;
        } catch (const std::exception&) {}
    }
    setError(error, ImageIOErrorCode::Metadata, "metadata: " + reason);
    return false;
}

}  // namespace platform::imageio_detail
