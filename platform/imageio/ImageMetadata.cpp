// Metadata of encoded images through Exiv2: the Orientation entry, the Exif, TIFF, GPS and
// IPTC groups, the ICC profile and the XMP packet of the properties dictionary, read from and
// merged into JPEG, PNG and TIFF data. Exiv2 reports failures by exceptions; none leaves this file.
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <mutex>
#include <set>

#include <exiv2/exiv2.hpp>
#include <zlib.h>

#include "platform/imageio/Codecs.h"

namespace platform::imageio_detail {
namespace {

// What a failure says. Exiv2 throws some errors without words (an XMP packet it will not
// take, for one): those are named by their code, so a failure is never reported blank.
std::string reasonOf(const std::exception& e) {
    if (e.what() && e.what()[0]) return e.what();
    if (const auto* exiv2 = dynamic_cast<const Exiv2::AnyError*>(&e)) {
        if (exiv2->code() == Exiv2::kerInvalidXMP) return "the XMP packet is not valid";
        return "Exiv2 error " + std::to_string(exiv2->code());
    }
    return "the metadata could not be written";
}

void initialiseOnce() {
    static std::once_flag once;
    std::call_once(once, [] {
        Exiv2::LogMsg::setLevel(Exiv2::LogMsg::mute);
        Exiv2::XmpParser::initialize();
    });
}

// Image-structure tags of the main directory: they describe the pixels, not the photo, and
// belong to the encoder.
const std::set<std::string, std::less<>> kStructureTags = {
    "ImageWidth", "ImageLength", "BitsPerSample", "Compression", "PhotometricInterpretation",
    "StripOffsets", "SamplesPerPixel", "RowsPerStrip", "StripByteCounts", "PlanarConfiguration",
    "Predictor", "ExtraSamples", "SampleFormat", "TileWidth", "TileLength", "TileOffsets",
    "TileByteCounts", "ExifTag", "GPSTag", "JPEGInterchangeFormat", "JPEGInterchangeFormatLength",
    "SubIFDs", "NewSubfileType", "FillOrder", "YCbCrSubSampling", "YCbCrPositioning"};

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
    body[sizeof kName] = 0;                           // deflate
    if (compress2(body.data() + sizeof kName + 1, &packedSize, reinterpret_cast<const Bytef*>(profile.data()),
                  static_cast<uLong>(profile.size()), Z_BEST_COMPRESSION) != Z_OK)
        return {};
    body.resize(sizeof kName + 1 + packedSize);
    return body;
}

// The file with its Exif in one eXIf chunk and its profile (when given) in one iCCP chunk,
// both after the header, and no other copy of either.
std::vector<std::uint8_t> pngWithChunks(const std::vector<std::uint8_t>& d, const Exiv2::ExifData& exif,
                                        const std::string* profile) {
    Exiv2::Blob blob;
    if (!exif.empty()) Exiv2::ExifParser::encode(blob, Exiv2::bigEndian, exif);
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
    default:
        return std::nullopt;
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

}  // namespace

void metadataRead(const std::vector<std::uint8_t>& data, ImageProperties* properties) {
    initialiseOnce();
    try {
        Exiv2::Image::AutoPtr image = Exiv2::ImageFactory::open(data.data(), static_cast<long>(data.size()));
        if (!image.get()) return;
        image->readMetadata();
        Exiv2::ExifData exif = image->exifData();
        if (exif.empty() && isPNG(data)) pngReadExifChunk(data, &exif);
        ImageProperties exifGroup, tiffGroup, gpsGroup, iptcGroup;
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
        ImagePropertyValue::Strings keywords;
        for (const Exiv2::Iptcdatum& d : image->iptcData()) {
            if (d.recordName() != "Application2") continue;
            const std::string name = d.tagName();
            if (name == "Keywords")
                keywords.push_back(d.toString());
            else if (name == "Caption")
                iptcGroup[kCGImagePropertyIPTCCaptionAbstract] = d.toString();
            else if (name != "RecordVersion")
                iptcGroup[name] = d.toString();
        }
        if (!keywords.empty()) iptcGroup[kCGImagePropertyIPTCKeywords] = std::move(keywords);
        if (!exifGroup.empty()) (*properties)[kCGImagePropertyExifDictionary] = std::move(exifGroup);
        if (!tiffGroup.empty()) (*properties)[kCGImagePropertyTIFFDictionary] = std::move(tiffGroup);
        if (!gpsGroup.empty()) (*properties)[kCGImagePropertyGPSDictionary] = std::move(gpsGroup);
        if (!iptcGroup.empty()) (*properties)[kCGImagePropertyIPTCDictionary] = std::move(iptcGroup);
        if (image->iccProfileDefined()) {
            const Exiv2::DataBuf* icc = image->iccProfile();
            (*properties)[kImagePropertyICCProfile] =
                std::string(reinterpret_cast<const char*>(icc->pData_), static_cast<std::size_t>(icc->size_));
        }
        if (!image->xmpPacket().empty()) (*properties)[kImagePropertyXMPPacket] = image->xmpPacket();
    } catch (const std::exception&) {
        // Unreadable metadata leaves the pixel properties alone.
    }
}

// ---- Writing ---------------------------------------------------------------------------

namespace {

std::string rationalText(double v, bool isSigned) {
    if (!std::isfinite(v)) v = 0;
    if (!isSigned && v < 0) v = 0;
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

// Stores a property under an Exif key in the tag's own type. Keys Exiv2 does not know and
// values of the wrong kind are skipped.
void setExif(Exiv2::ExifData& exif, const std::string& keyName, const ImagePropertyValue& value) {
    try {
        Exiv2::ExifKey key(keyName);
        const Exiv2::TypeId type = key.defaultTypeId();
        std::string text;
        if (const std::string* s = value.string()) {
            text = *s;
            if (type == Exiv2::comment) text = (isASCII(text) ? "charset=Ascii " : "charset=Unicode ") + text;
        } else if (auto n = value.number()) {
            if (type == Exiv2::unsignedRational || type == Exiv2::signedRational)
                text = rationalText(*n, type == Exiv2::signedRational);
            else if (type == Exiv2::asciiString || type == Exiv2::comment || type == Exiv2::undefined)
                text = numberText(*n);
            else
                text = std::to_string(std::llround(*n));
        } else {
            return;
        }
        Exiv2::Value::AutoPtr v = Exiv2::Value::create(type == Exiv2::invalidTypeId ? Exiv2::asciiString : type);
        if (v->read(text) != 0) return;
        eraseKey(exif, keyName);
        exif.add(key, v.get());
    } catch (const std::exception&) {
    }
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
    } catch (const std::exception&) {
    }
}

void writeGPS(Exiv2::ExifData& exif, const ImageProperties& gps) {
    setExifRaw(exif, "Exif.GPSInfo.GPSVersionID", Exiv2::unsignedByte, "2 2 0 0");
    for (const auto& [name, value] : gps) {
        const std::string key = "Exif.GPSInfo.GPS" + name;
        const auto n = value.number();
        // A number that is no number, or degrees past the globe's, is left out rather than
        // written as something else.
        if (n && !std::isfinite(*n)) continue;
        const bool degrees = name == "Latitude" || name == "Longitude" || name == "DestLatitude" || name == "DestLongitude";
        if (degrees && n && std::fabs(*n) > (name.ends_with("Latitude") ? 90.0 : 180.0)) continue;
        if (degrees && n) {
            setExifRaw(exif, key, Exiv2::unsignedRational, degreesText(*n));
        } else if (name == "Altitude" && n) {
            setExifRaw(exif, key, Exiv2::unsignedRational, rationalText(std::fabs(*n), false));
            if (!gps.count("AltitudeRef")) setExif(exif, "Exif.GPSInfo.GPSAltitudeRef", ImagePropertyValue(*n < 0 ? 1 : 0));
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
                       std::to_string(h) + "/1 " + std::to_string(m) + "/1 " + std::to_string(std::llround(sec * 1000)) +
                           "/1000");
        } else {
            setExif(exif, key, value);
        }
    }
}

void writeIPTC(Exiv2::IptcData& iptc, const ImageProperties& group) {
    for (const auto& [name, value] : group) {
        try {
            const std::string tag = name == kCGImagePropertyIPTCCaptionAbstract ? "Caption" : name;
            Exiv2::IptcKey key("Iptc.Application2." + tag);
            for (auto it = iptc.findKey(key); it != iptc.end(); it = iptc.findKey(key)) iptc.erase(it);
            std::vector<std::string> items;
            if (const auto* list = value.strings()) items = *list;
            else if (const std::string* s = value.string()) items.push_back(*s);
            else if (auto n = value.number()) items.push_back(numberText(*n));
            for (const std::string& item : items) {
                Exiv2::Value::AutoPtr v = Exiv2::Value::create(Exiv2::string);
                v->read(item);
                iptc.add(key, v.get());
            }
        } catch (const std::exception&) {
        }
    }
}

// A whole profile (its header states its own length) of the RGB colour space, the only
// pixels the encoders write.
bool isRGBProfile(const std::string& icc) {
    constexpr std::size_t kColourSpaceAt = 16, kHeaderSize = 128;
    return icc.size() >= kHeaderSize &&
           readBE32(reinterpret_cast<const std::uint8_t*>(icc.data())) == icc.size() &&
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

// The packet decoded so that what it repeats of the written entries agrees with them: the
// orientation (the pixels may have been turned), the modification date and the software.
// Entries the packet does not have are not added; a packet the parser cannot read is
// written as it came.
void writeXMP(Exiv2::Image& image, const std::string& packet, const ImageProperties& p) {
    Exiv2::XmpData xmp;
    if (Exiv2::XmpParser::decode(xmp, packet) != 0) {
        image.setXmpPacket(packet);
        image.writeXmpFromPacket(true);
        return;
    }
    const auto update = [&](const char* key, const std::string& value) {
        if (!value.empty() && xmp.findKey(Exiv2::XmpKey(key)) != xmp.end()) xmp[key] = value;
    };
    if (const ImagePropertyValue* o = ImagePropertyFind(p, kCGImagePropertyOrientation)) {
        const std::int64_t v = o->integer().value_or(1);
        update("Xmp.tiff.Orientation", std::to_string(v >= 1 && v <= 8 ? v : 1));
    }
    if (const ImagePropertyValue* date = ImagePropertyFind(p, kCGImagePropertyTIFFDictionary, kCGImagePropertyTIFFDateTime);
        date && date->string()) {
        update("Xmp.xmp.ModifyDate", xmpDate(*date->string()));
        update("Xmp.tiff.DateTime", xmpDate(*date->string()));
    }
    if (const ImagePropertyValue* software = ImagePropertyFind(p, kCGImagePropertyTIFFDictionary, kCGImagePropertyTIFFSoftware);
        software && software->string())
        update("Xmp.tiff.Software", *software->string());
    image.setXmpData(xmp);
    image.writeXmpFromPacket(false);
}

}  // namespace

bool metadataPresent(const ImageProperties& p) {
    return p.count(kCGImagePropertyOrientation) || p.count(kCGImagePropertyExifDictionary) ||
           p.count(kCGImagePropertyTIFFDictionary) || p.count(kCGImagePropertyGPSDictionary) ||
           p.count(kCGImagePropertyIPTCDictionary) || p.count(kImagePropertyICCProfile) ||
           p.count(kImagePropertyXMPPacket);
}

bool metadataWrite(std::vector<std::uint8_t>* data, const ImageProperties& p, ImageIOError* error) {
    initialiseOnce();
    try {
        Exiv2::Image::AutoPtr image = Exiv2::ImageFactory::open(data->data(), static_cast<long>(data->size()));
        if (!image.get()) {
            setError(error, ImageIOErrorCode::Metadata, "metadata: unknown file type");
            return false;
        }
        image->readMetadata();
        Exiv2::ExifData& exif = image->exifData();
        const bool png = isPNG(*data);
        if (png && exif.empty()) pngReadExifChunk(*data, &exif);
        if (const ImageProperties* tiff = ImagePropertyGroup(p, kCGImagePropertyTIFFDictionary))
            for (const auto& [name, value] : *tiff)
                if (!kStructureTags.count(name)) setExif(exif, "Exif.Image." + name, value);
        if (const ImageProperties* group = ImagePropertyGroup(p, kCGImagePropertyExifDictionary))
            for (const auto& [name, value] : *group) setExif(exif, "Exif.Photo." + name, value);
        if (const ImageProperties* gps = ImagePropertyGroup(p, kCGImagePropertyGPSDictionary)) writeGPS(exif, *gps);
        if (const ImagePropertyValue* o = ImagePropertyFind(p, kCGImagePropertyOrientation)) {
            const std::int64_t v = o->integer().value_or(1);
            setExif(exif, "Exif.Image.Orientation", ImagePropertyValue(v >= 1 && v <= 8 ? v : std::int64_t{1}));
        }
        if (const ImageProperties* iptc = ImagePropertyGroup(p, kCGImagePropertyIPTCDictionary))
            writeIPTC(image->iptcData(), *iptc);
        const std::string* icc = rgbProfile(p);
        if (icc && !png) {
            Exiv2::DataBuf buf(reinterpret_cast<const Exiv2::byte*>(icc->data()), static_cast<long>(icc->size()));
            image->setIccProfile(buf, true);
        }
        if (const ImagePropertyValue* xmp = ImagePropertyFind(p, kImagePropertyXMPPacket); xmp && xmp->string())
            writeXMP(*image, *xmp->string(), p);
        // Dimensions copied from another photo's metadata must describe this one.
        for (const auto& [name, size] : {std::pair{"Exif.Photo.PixelXDimension", image->pixelWidth()},
                                         std::pair{"Exif.Photo.PixelYDimension", image->pixelHeight()}})
            if (size > 0 && exif.findKey(Exiv2::ExifKey(name)) != exif.end())
                setExif(exif, name, ImagePropertyValue(static_cast<std::int64_t>(size)));
        image->writeMetadata();
        Exiv2::BasicIo& io = image->io();
        if (io.open() != 0) throw Exiv2::Error(Exiv2::kerDataSourceOpenFailed, "memory");
        const long size = static_cast<long>(io.size());
        Exiv2::DataBuf buf = io.read(size);
        io.close();
        if (buf.size_ != size) throw Exiv2::Error(Exiv2::kerFailedToReadImageData);
        data->assign(buf.pData_, buf.pData_ + buf.size_);
        if (png) *data = pngWithChunks(*data, exif, icc);
        return true;
    } catch (const std::exception& e) {
        setError(error, ImageIOErrorCode::Metadata, "metadata: " + reasonOf(e));
        return false;
    }
}

}  // namespace platform::imageio_detail
