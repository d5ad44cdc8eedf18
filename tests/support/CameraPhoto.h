#pragma once
// A camera's photograph as test input, and its metadata compared tag by tag with a file made
// from it.
//
// The picture is real: a Debian wallpaper (Bridge, by Sander Klootwijk) scaled to 136 x 76,
// kept in tests/data. Its metadata is what cameras write, made here with Exiv2: Make and
// Model, a Canon maker note, the interoperability block, version and byte fields (ExifVersion,
// FlashpixVersion, ComponentsConfiguration, FileSource, SceneType), exact rationals
// (ExposureTime 1/640), lens data, print-image matching, GainControl, GPS of version 2.0.0.0,
// IPTC with the envelope's character set, the record version and dates, an RGB colour
// profile, an orientation, and an XMP packet that states one property twice,
// which the XMP toolkit refuses ("Duplicate property or field node") as many cameras' packets
// are refused.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <fstream>
#include <iterator>
#include <map>
#include <set>
#include <string>
#include <vector>

#include <exiv2/exiv2.hpp>

namespace camera_photo {

using Bytes = std::vector<std::uint8_t>;

// The packet, stating the orientation as the Exif does and the rating twice.
inline std::string DuplicatedPropertyPacket(int orientation = 6) {
    return "<?xpacket begin=\"\xEF\xBB\xBF\" id=\"W5M0MpCehiHzreSzNTczkc9d\"?>\n"
           "<x:xmpmeta xmlns:x=\"adobe:ns:meta/\" x:xmptk=\"Camera XMP 1.0\">\n"
           " <rdf:RDF xmlns:rdf=\"http://www.w3.org/1999/02/22-rdf-syntax-ns#\">\n"
           "  <rdf:Description rdf:about=\"\" xmlns:xmp=\"http://ns.adobe.com/xap/1.0/\"\n"
           "    xmlns:tiff=\"http://ns.adobe.com/tiff/1.0/\" xmlns:dc=\"http://purl.org/dc/elements/1.1/\">\n"
           "   <xmp:Rating>4</xmp:Rating>\n"
           "   <xmp:Rating>4</xmp:Rating>\n"
           "   <xmp:CreatorTool>EOS 5D Mark III Firmware 1.2.3</xmp:CreatorTool>\n"
           "   <xmp:ModifyDate>2023-05-14T10:21:07</xmp:ModifyDate>\n"
           "   <tiff:Orientation>" +
           std::to_string(orientation) +
           "</tiff:Orientation>\n"
           "   <dc:creator><rdf:Seq><rdf:li>Sander</rdf:li></rdf:Seq></dc:creator>\n"
           "  </rdf:Description>\n"
           " </rdf:RDF>\n"
           "</x:xmpmeta>\n"
           "<?xpacket end=\"w\"?>";
}

// A whole RGB profile (header only, no tags), as small as a profile can be.
inline std::string RGBProfile() {
    std::string p(132, '\0');
    auto put = [&](size_t at, uint32_t v) {
        for (int i = 0; i < 4; ++i) p[at + i] = static_cast<char>(v >> (24 - 8 * i));
    };
    put(0, 132);
    put(8, 0x02100000);
    std::memcpy(&p[12], "mntrRGB XYZ ", 12);
    std::memcpy(&p[36], "acsp", 4);
    put(68, 0xF6D6), put(72, 0x10000), put(76, 0xD32D);
    return p;
}

inline Bytes ReadBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// The photo as a camera's JPEG, stored as the EXIF `orientation` says (6: sideways).
inline Bytes CameraPhoto(int orientation = 6) {
    Exiv2::XmpParser::initialize();
    Bytes pixels = ReadBytes(TAVORIN_TEST_DATA_DIR "/bridge-136x76.jpg");
    EXPECT_FALSE(pixels.empty());
    Exiv2::Image::AutoPtr image = Exiv2::ImageFactory::open(pixels.data(), static_cast<long>(pixels.size()));
    image->readMetadata();
    Exiv2::ExifData& exif = image->exifData();
    const auto set = [&exif](const char* key, Exiv2::TypeId type, const char* value) {
        Exiv2::Value::AutoPtr v = Exiv2::Value::create(type);
        v->read(value);
        exif.add(Exiv2::ExifKey(key), v.get());
    };
    set("Exif.Image.Make", Exiv2::asciiString, "Canon");
    set("Exif.Image.Model", Exiv2::asciiString, "Canon EOS 5D Mark III");
    set("Exif.Image.Orientation", Exiv2::unsignedShort, std::to_string(orientation).c_str());
    set("Exif.Image.XResolution", Exiv2::unsignedRational, "72/1");
    set("Exif.Image.YResolution", Exiv2::unsignedRational, "72/1");
    set("Exif.Image.ResolutionUnit", Exiv2::unsignedShort, "2");
    set("Exif.Image.DateTime", Exiv2::asciiString, "2023:05:14 10:21:07");
    set("Exif.Image.Artist", Exiv2::asciiString, "Sander");
    set("Exif.Image.YCbCrPositioning", Exiv2::unsignedShort, "2");
    set("Exif.Image.PrintImageMatching", Exiv2::undefined, "80 114 105 110 116 73 77 0 48 51 48 48 0 0 0 0");
    set("Exif.Photo.ExposureTime", Exiv2::unsignedRational, "1/640");
    set("Exif.Photo.FNumber", Exiv2::unsignedRational, "56/10");
    set("Exif.Photo.ExposureProgram", Exiv2::unsignedShort, "3");
    set("Exif.Photo.ISOSpeedRatings", Exiv2::unsignedShort, "200");
    set("Exif.Photo.ExifVersion", Exiv2::undefined, "48 50 51 48");
    set("Exif.Photo.DateTimeOriginal", Exiv2::asciiString, "2023:05:14 10:21:07");
    set("Exif.Photo.DateTimeDigitized", Exiv2::asciiString, "2023:05:14 10:21:07");
    set("Exif.Photo.OffsetTimeOriginal", Exiv2::asciiString, "+02:00");
    set("Exif.Photo.ComponentsConfiguration", Exiv2::undefined, "1 2 3 0");
    set("Exif.Photo.ShutterSpeedValue", Exiv2::signedRational, "614400/65536");
    set("Exif.Photo.ApertureValue", Exiv2::unsignedRational, "325278/65536");
    set("Exif.Photo.ExposureBiasValue", Exiv2::signedRational, "-1/3");
    set("Exif.Photo.MeteringMode", Exiv2::unsignedShort, "5");
    set("Exif.Photo.Flash", Exiv2::unsignedShort, "16");
    set("Exif.Photo.FocalLength", Exiv2::unsignedRational, "50/1");
    set("Exif.Photo.UserComment", Exiv2::comment, "charset=Ascii Over the river");
    set("Exif.Photo.SubSecTimeOriginal", Exiv2::asciiString, "42");
    set("Exif.Photo.FlashpixVersion", Exiv2::undefined, "48 49 48 48");
    set("Exif.Photo.ColorSpace", Exiv2::unsignedShort, "1");
    set("Exif.Photo.PixelXDimension", Exiv2::unsignedShort, "136");
    set("Exif.Photo.PixelYDimension", Exiv2::unsignedShort, "76");
    set("Exif.Photo.FocalPlaneXResolution", Exiv2::unsignedRational, "5760000/1461");
    set("Exif.Photo.FileSource", Exiv2::undefined, "3");
    set("Exif.Photo.SceneType", Exiv2::undefined, "1");
    set("Exif.Photo.CustomRendered", Exiv2::unsignedShort, "0");
    set("Exif.Photo.WhiteBalance", Exiv2::unsignedShort, "0");
    set("Exif.Photo.GainControl", Exiv2::unsignedShort, "0");
    set("Exif.Photo.BodySerialNumber", Exiv2::asciiString, "012345678901");
    set("Exif.Photo.LensSpecification", Exiv2::unsignedRational, "24/1 105/1 4/1 4/1");
    set("Exif.Photo.LensModel", Exiv2::asciiString, "EF24-105mm f/4L IS USM");
    set("Exif.Iop.InteroperabilityIndex", Exiv2::asciiString, "R98");
    set("Exif.Iop.InteroperabilityVersion", Exiv2::undefined, "48 49 48 48");
    set("Exif.Canon.ImageType", Exiv2::asciiString, "Canon EOS 5D Mark III");
    set("Exif.Canon.FirmwareVersion", Exiv2::asciiString, "Firmware Version 1.2.3");
    set("Exif.Canon.OwnerName", Exiv2::asciiString, "Sander");
    set("Exif.Canon.ModelID", Exiv2::unsignedLong, "2147484293");
    set("Exif.CanonCs.Macro", Exiv2::unsignedShort, "2");
    set("Exif.CanonCs.LensType", Exiv2::unsignedShort, "137");
    set("Exif.GPSInfo.GPSVersionID", Exiv2::unsignedByte, "2 0 0 0");
    set("Exif.GPSInfo.GPSLatitudeRef", Exiv2::asciiString, "N");
    set("Exif.GPSInfo.GPSLatitude", Exiv2::unsignedRational, "43/1 18/1 1234/100");
    set("Exif.GPSInfo.GPSLongitudeRef", Exiv2::asciiString, "W");
    set("Exif.GPSInfo.GPSLongitude", Exiv2::unsignedRational, "1/1 58/1 5678/100");
    set("Exif.GPSInfo.GPSAltitudeRef", Exiv2::unsignedByte, "0");
    set("Exif.GPSInfo.GPSAltitude", Exiv2::unsignedRational, "1234/10");
    set("Exif.GPSInfo.GPSTimeStamp", Exiv2::unsignedRational, "8/1 21/1 7/1");
    set("Exif.GPSInfo.GPSDateStamp", Exiv2::asciiString, "2023:05:14");
    set("Exif.GPSInfo.GPSMapDatum", Exiv2::asciiString, "WGS-84");
    Exiv2::IptcData& iptc = image->iptcData();
    const auto add = [&iptc](const char* key, Exiv2::TypeId type, const std::string& value) {
        Exiv2::Value::AutoPtr v = Exiv2::Value::create(type);
        v->read(value);
        iptc.add(Exiv2::IptcKey(key), v.get());
    };
    add("Iptc.Envelope.CharacterSet", Exiv2::string, "\x1b%G");
    add("Iptc.Application2.RecordVersion", Exiv2::unsignedShort, "4");
    add("Iptc.Application2.DateCreated", Exiv2::date, "2023-05-14");
    add("Iptc.Application2.TimeCreated", Exiv2::time, "10:21:07+02:00");
    add("Iptc.Application2.Keywords", Exiv2::string, "bridge");
    add("Iptc.Application2.Keywords", Exiv2::string, "river");
    add("Iptc.Application2.Byline", Exiv2::string, "Sander");
    add("Iptc.Application2.City", Exiv2::string, "Bilbao");
    add("Iptc.Application2.Caption", Exiv2::string, "A bridge over the river");
    const std::string icc = RGBProfile();
    Exiv2::DataBuf profile(reinterpret_cast<const Exiv2::byte*>(icc.data()), static_cast<long>(icc.size()));
    image->setIccProfile(profile, true);
    // Past the setter, which refuses a packet the toolkit cannot read.
    image->xmpPacket() = DuplicatedPropertyPacket(orientation);
    image->writeXmpFromPacket(true);
    image->writeMetadata();
    Exiv2::BasicIo& io = image->io();
    io.open();
    Exiv2::DataBuf bytes = io.read(static_cast<long>(io.size()));
    io.close();
    return Bytes(bytes.pData_, bytes.pData_ + bytes.size_);
}

// One tag as Exiv2 reads it: its type, its count and its value.
struct Tag {
    std::string type;
    long count = 0;
    std::string value;
    bool operator==(const Tag&) const = default;
};

struct FileMetadata {
    std::map<std::string, Tag> tags;  // "Exif.Photo.ExposureTime", "Iptc.Application2.Keywords#2"...
    std::string xmp;
    std::string icc;
};

// A PNG's eXIf chunk, which this Exiv2 does not read itself.
inline void ReadExifChunk(const Bytes& file, Exiv2::ExifData* exif) {
    for (size_t at = 8; at + 12 <= file.size();) {
        const uint32_t length =
            uint32_t(file[at]) << 24 | uint32_t(file[at + 1]) << 16 | uint32_t(file[at + 2]) << 8 | file[at + 3];
        if (length > file.size() - at - 12) return;
        if (std::memcmp(&file[at + 4], "eXIf", 4) == 0) {
            Exiv2::ExifParser::decode(*exif, &file[at + 8], length);
            return;
        }
        at += 12 + length;
    }
}

inline FileMetadata ReadFileMetadata(const Bytes& file) {
    FileMetadata m;
    Exiv2::Image::AutoPtr image = Exiv2::ImageFactory::open(file.data(), static_cast<long>(file.size()));
    image->readMetadata();
    Exiv2::ExifData exif = image->exifData();
    if (exif.empty() && image->mimeType() == "image/png") ReadExifChunk(file, &exif);
    for (const Exiv2::Exifdatum& d : exif)
        m.tags[d.key()] = {d.typeName() ? d.typeName() : "?", d.count(), d.value().toString()};
    std::map<std::string, int> seen;
    for (const Exiv2::Iptcdatum& d : image->iptcData()) {
        const int n = ++seen[d.key()];
        m.tags[d.key() + (n > 1 ? "#" + std::to_string(n) : "")] = {d.typeName() ? d.typeName() : "?", d.count(),
                                                                    d.value().toString()};
    }
    m.xmp = image->xmpData().xmpPacket().empty() ? image->xmpPacket() : image->xmpData().xmpPacket();
    if (image->iccProfileDefined())
        m.icc.assign(reinterpret_cast<const char*>(image->iccProfile()->pData_), image->iccProfile()->size_);
    return m;
}

// Tags that only say where other data lies in the file, and the maker note's raw bytes (its
// tags are compared one by one): they differ in any file written anew.
inline bool IsPlacement(const std::string& key) {
    static const std::set<std::string> placements = {"Exif.Image.ExifTag", "Exif.Image.GPSTag",
                                                     "Exif.Photo.InteroperabilityTag", "Exif.MakerNote.Offset",
                                                     "Exif.Photo.MakerNote"};
    return placements.count(key) > 0;
}

// The ways `result` differs from `source`, one line each, leaving out the placements, the
// tags in `changed` (which must differ or be gone as the caller checks) and the tags in
// `added` that only the result has.
inline std::vector<std::string> Differences(const FileMetadata& source, const FileMetadata& result,
                                            const std::set<std::string>& changed,
                                            const std::set<std::string>& added = {}) {
    std::vector<std::string> lines;
    const auto show = [](const Tag& t) { return t.type + " " + std::to_string(t.count) + " \"" + t.value + "\""; };
    for (const auto& [key, tag] : source.tags) {
        if (IsPlacement(key) || changed.count(key)) continue;
        auto it = result.tags.find(key);
        if (it == result.tags.end()) lines.push_back("dropped " + key + " " + show(tag));
        else if (!(it->second == tag))
            lines.push_back("changed " + key + " from " + show(tag) + " to " + show(it->second));
    }
    for (const auto& [key, tag] : result.tags)
        if (!source.tags.count(key) && !IsPlacement(key) && !changed.count(key) && !added.count(key))
            lines.push_back("added " + key + " " + show(tag));
    if (source.icc != result.icc) lines.push_back("the colour profile differs");
    return lines;
}

// What a render changes of the camera's photo: the orientation (written upright), the
// picture's size, its modification date and the program; a re-encoded JPEG's chroma sits
// centred, and other formats have none.
inline const std::set<std::string>& RenderedTags() {
    static const std::set<std::string> tags = {"Exif.Image.Orientation",     "Exif.Image.DateTime",
                                               "Exif.Image.Software",        "Exif.Photo.PixelXDimension",
                                               "Exif.Photo.PixelYDimension", "Exif.Image.YCbCrPositioning"};
    return tags;
}

// The tags a TIFF holds of its own: its pixels' layout and the copies of the profile, IPTC
// and XMP it keeps among its tags.
inline const std::set<std::string>& TIFFOwnTags() {
    static const std::set<std::string> tags = {"Exif.Image.ImageWidth",
                                               "Exif.Image.ImageLength",
                                               "Exif.Image.BitsPerSample",
                                               "Exif.Image.Compression",
                                               "Exif.Image.PhotometricInterpretation",
                                               "Exif.Image.StripOffsets",
                                               "Exif.Image.SamplesPerPixel",
                                               "Exif.Image.RowsPerStrip",
                                               "Exif.Image.StripByteCounts",
                                               "Exif.Image.PlanarConfiguration",
                                               "Exif.Image.ExtraSamples",
                                               "Exif.Image.Predictor",
                                               "Exif.Image.InterColorProfile",
                                               "Exif.Image.XMLPacket",
                                               "Exif.Image.IPTCNAA"};
    return tags;
}

}  // namespace camera_photo
