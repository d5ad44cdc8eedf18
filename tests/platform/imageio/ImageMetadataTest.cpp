// Metadata groups written with an image and read back from each format, and a camera's photo
// whose metadata travels tag for tag.
#include "ImageFixtures.h"

#include <gmock/gmock.h>

#include "support/CameraPhoto.h"

using namespace platform;
using namespace imageio_test;

namespace {

ImageProperties sampleMetadata() {
    return {
        {kCGImagePropertyOrientation, 6},
        {kCGImagePropertyExifDictionary, ImageProperties{{kCGImagePropertyExifDateTimeOriginal, "2026:12:09 21:15:30"},
                                                         {kCGImagePropertyExifDateTimeDigitized, "2026:12:09 21:16:00"},
                                                         {kCGImagePropertyExifUserComment, "Made with Tavorin"},
                                                         {kCGImagePropertyExifDigitalZoomRatio, 2.5f}}},
        {kCGImagePropertyTIFFDictionary, ImageProperties{{kCGImagePropertyTIFFDateTime, "2026:12:09 21:15:30"},
                                                         {kCGImagePropertyTIFFMake, "Apple"},
                                                         {kCGImagePropertyTIFFModel, "iPhone"},
                                                         {kCGImagePropertyTIFFSoftware, "Tavorin 1.2"},
                                                         {kCGImagePropertyTIFFImageDescription, "A test picture"}}},
        {kCGImagePropertyGPSDictionary, ImageProperties{{kCGImagePropertyGPSLatitudeRef, "S"},
                                                        {kCGImagePropertyGPSLatitude, 33.5f},
                                                        {kCGImagePropertyGPSLongitudeRef, "W"},
                                                        {kCGImagePropertyGPSLongitude, 70.6f},
                                                        {kCGImagePropertyGPSAltitude, -12.25f},
                                                        {kCGImagePropertyGPSDOP, 5.0f},
                                                        {kCGImagePropertyGPSTimeStamp, "2026:12:09 20:15:30"},
                                                        {kCGImagePropertyGPSImgDirectionRef, "T"},
                                                        {kCGImagePropertyGPSImgDirection, 271.5f}}},
        {kCGImagePropertyIPTCDictionary,
         ImageProperties{{kCGImagePropertyIPTCKeywords, ImagePropertyValue::Strings{"Tavorin", "Tavorin Edit"}}}},
    };
}

std::string text(const ImageProperties& p, const char* group, const char* key) {
    const ImagePropertyValue* v = ImagePropertyFind(p, group, key);
    return v && v->string() ? *v->string() : "<missing>";
}

double number(const ImageProperties& p, const char* group, const char* key) {
    const ImagePropertyValue* v = ImagePropertyFind(p, group, key);
    return v && v->number() ? *v->number() : -999;
}

void expectSampleMetadata(const ImageProperties& p) {
    EXPECT_EQ(ImagePropertyFind(p, kCGImagePropertyOrientation)->integer(), 6);
    const char* exif = kCGImagePropertyExifDictionary;
    EXPECT_EQ(text(p, exif, kCGImagePropertyExifDateTimeOriginal), "2026:12:09 21:15:30");
    EXPECT_EQ(text(p, exif, kCGImagePropertyExifDateTimeDigitized), "2026:12:09 21:16:00");
    EXPECT_EQ(text(p, exif, kCGImagePropertyExifUserComment), "Made with Tavorin");
    EXPECT_NEAR(number(p, exif, kCGImagePropertyExifDigitalZoomRatio), 2.5, 1e-4);
    const char* tiff = kCGImagePropertyTIFFDictionary;
    EXPECT_EQ(text(p, tiff, kCGImagePropertyTIFFDateTime), "2026:12:09 21:15:30");
    EXPECT_EQ(text(p, tiff, kCGImagePropertyTIFFMake), "Apple");
    EXPECT_EQ(text(p, tiff, kCGImagePropertyTIFFModel), "iPhone");
    EXPECT_EQ(text(p, tiff, kCGImagePropertyTIFFSoftware), "Tavorin 1.2");
    EXPECT_EQ(text(p, tiff, kCGImagePropertyTIFFImageDescription), "A test picture");
    const char* gps = kCGImagePropertyGPSDictionary;
    EXPECT_EQ(text(p, gps, kCGImagePropertyGPSLatitudeRef), "S");
    EXPECT_NEAR(number(p, gps, kCGImagePropertyGPSLatitude), 33.5, 1e-5);
    EXPECT_EQ(text(p, gps, kCGImagePropertyGPSLongitudeRef), "W");
    EXPECT_NEAR(number(p, gps, kCGImagePropertyGPSLongitude), 70.6, 1e-5);
    EXPECT_NEAR(number(p, gps, kCGImagePropertyGPSAltitude), -12.25, 1e-4);
    EXPECT_NEAR(number(p, gps, kCGImagePropertyGPSDOP), 5.0, 1e-4);
    EXPECT_EQ(text(p, gps, kCGImagePropertyGPSTimeStamp), "2026:12:09 20:15:30");
    EXPECT_EQ(text(p, gps, kCGImagePropertyGPSDateStamp), "2026:12:09");
    EXPECT_EQ(text(p, gps, kCGImagePropertyGPSImgDirectionRef), "T");
    EXPECT_NEAR(number(p, gps, kCGImagePropertyGPSImgDirection), 271.5, 1e-4);
    const ImagePropertyValue* keywords =
        ImagePropertyFind(p, kCGImagePropertyIPTCDictionary, kCGImagePropertyIPTCKeywords);
    ASSERT_TRUE(keywords && keywords->strings());
    EXPECT_EQ(*keywords->strings(), (ImagePropertyValue::Strings{"Tavorin", "Tavorin Edit"}));
}

}  // namespace

TEST(ImageMetadata, GroupsRoundTripThroughEveryFormat) {
    const ImageBitmap image = gradient(24, 16);
    for (ImageFileType type : {ImageFileType::JPEG, ImageFileType::PNG, ImageFileType::TIFF}) {
        SCOPED_TRACE(ImageFileTypeIdentifier(type));
        Bytes data;
        ImageIOError error;
        ASSERT_TRUE(EncodeImage(image, type, sampleMetadata(), &data, &error)) << error.message;
        if (type == ImageFileType::PNG) {  // Exif in the standard chunk, once
            const std::string bytes(data.begin(), data.end());
            EXPECT_NE(bytes.find("eXIf"), std::string::npos);
            EXPECT_EQ(bytes.find("Raw profile type exif"), std::string::npos);
        }
        auto source = ImageSource::createWithData(data, &error);
        ASSERT_TRUE(source) << error.message;
        const ImageProperties p = source->propertiesAtIndex(0);
        expectSampleMetadata(p);
        EXPECT_EQ(ImagePropertyFind(p, kCGImagePropertyPixelWidth)->integer(), 24);
        EXPECT_EQ(ImagePropertyFind(p, kCGImagePropertyPixelHeight)->integer(), 16);
        // The metadata does not disturb the pixels.
        auto pixels = source->createImageAtIndex(0, ImagePixelFormat::RGBA, &error);
        ASSERT_TRUE(pixels) << error.message;
        EXPECT_LT(difference(image, *pixels).mean, type == ImageFileType::JPEG ? 2.0 : 0.001);
    }
}

TEST(ImageMetadata, PositiveCoordinatesAndMissingGroups) {
    Bytes data;
    ASSERT_TRUE(EncodeImage(gradient(8, 8), ImageFileType::JPEG,
                            {{kCGImagePropertyGPSDictionary, ImageProperties{{kCGImagePropertyGPSLatitudeRef, "N"},
                                                                             {kCGImagePropertyGPSLatitude, 0.0},
                                                                             {kCGImagePropertyGPSAltitude, 120.0}}}},
                            &data));
    const ImageProperties p = ImageSource::createWithData(data)->propertiesAtIndex(0);
    EXPECT_EQ(text(p, kCGImagePropertyGPSDictionary, kCGImagePropertyGPSLatitudeRef), "N");
    EXPECT_NEAR(number(p, kCGImagePropertyGPSDictionary, kCGImagePropertyGPSLatitude), 0.0, 1e-9);
    EXPECT_NEAR(number(p, kCGImagePropertyGPSDictionary, kCGImagePropertyGPSAltitude), 120.0, 1e-4);
    EXPECT_FALSE(ImagePropertyGroup(p, kCGImagePropertyIPTCDictionary));
    EXPECT_FALSE(ImagePropertyFind(p, kCGImagePropertyOrientation));

    // A plain encode carries no metadata at all.
    Bytes plain;
    ASSERT_TRUE(EncodeImage(gradient(8, 8), ImageFileType::PNG, {}, &plain));
    const ImageProperties q = ImageSource::createWithData(plain)->propertiesAtIndex(0);
    EXPECT_FALSE(ImagePropertyGroup(q, kCGImagePropertyExifDictionary));
    EXPECT_FALSE(ImagePropertyGroup(q, kCGImagePropertyTIFFDictionary));
}

// Carrying an encoded image over merges the new entries into its metadata and leaves the
// compressed pixels as they were.
TEST(ImageMetadata, SourceCarriedOverKeepsItsPixelsAndMergesProperties) {
    for (ImageFileType type : {ImageFileType::JPEG, ImageFileType::PNG}) {
        SCOPED_TRACE(ImageFileTypeIdentifier(type));
        const ImageBitmap image = gradient(40, 30);
        Bytes first;
        ASSERT_TRUE(EncodeImage(image, type,
                                {{kCGImagePropertyTIFFDictionary, ImageProperties{{kCGImagePropertyTIFFMake, "Apple"}}},
                                 {kCGImagePropertyExifDictionary,
                                  ImageProperties{{kCGImagePropertyExifDateTimeOriginal, "2026:01:02 03:04:05"}}}},
                                &first));
        auto source = ImageSource::createWithData(first);
        ASSERT_TRUE(source);
        Bytes second;
        auto destination = ImageDestination::createWithData(&second, type);
        destination->addImageFromSource(
            *source, 0,
            {{kCGImagePropertyOrientation, 3},
             {kCGImagePropertyIPTCDictionary,
              ImageProperties{{kCGImagePropertyIPTCKeywords, ImagePropertyValue::Strings{"Tavorin Edit"}}}},
             {kCGImagePropertyTIFFDictionary, ImageProperties{{kCGImagePropertyTIFFSoftware, "Tavorin 1.2"}}}});
        ImageIOError error;
        ASSERT_TRUE(destination->finalize(&error)) << error.message;

        auto merged = ImageSource::createWithData(second);
        ASSERT_TRUE(merged);
        const ImageProperties p = merged->propertiesAtIndex(0);
        EXPECT_EQ(merged->exifOrientation(), 3);
        EXPECT_EQ(text(p, kCGImagePropertyTIFFDictionary, kCGImagePropertyTIFFMake), "Apple");
        EXPECT_EQ(text(p, kCGImagePropertyTIFFDictionary, kCGImagePropertyTIFFSoftware), "Tavorin 1.2");
        EXPECT_EQ(text(p, kCGImagePropertyExifDictionary, kCGImagePropertyExifDateTimeOriginal), "2026:01:02 03:04:05");
        EXPECT_EQ(ImagePropertyFind(p, kCGImagePropertyIPTCDictionary, kCGImagePropertyIPTCKeywords)->strings()->size(),
                  1u);
        EXPECT_EQ(source->createImageAtIndex(0)->pixels, merged->createImageAtIndex(0)->pixels);
    }
}

TEST(ImageMetadata, UnknownKeysAreSkippedAndFileStillWritten) {
    Bytes data;
    ImageIOError error;
    ASSERT_TRUE(EncodeImage(
        gradient(8, 8), ImageFileType::JPEG,
        {{kCGImagePropertyExifDictionary,
          ImageProperties{{"NoSuchTag", "x"},
                          {kCGImagePropertyExifUserComment, "kept: café ☕"},
                          {kCGImagePropertyExifDigitalZoomRatio, ImagePropertyValue::Strings{"wrong kind"}}}}},
        &data, &error))
        << error.message;
    const ImageProperties p = ImageSource::createWithData(data)->propertiesAtIndex(0);
    EXPECT_EQ(text(p, kCGImagePropertyExifDictionary, kCGImagePropertyExifUserComment), "kept: café ☕");
    EXPECT_FALSE(ImagePropertyFind(p, kCGImagePropertyExifDictionary, "NoSuchTag"));
}

// A photo's properties read back and handed to a writer with another image: the metadata
// travels, the dimensions it states follow the new image.
TEST(ImageMetadata, PropertiesOfOneImageWriteAnother) {
    ImageProperties metadata = sampleMetadata();
    (*metadata[kCGImagePropertyExifDictionary].dictionary())["PixelXDimension"] = 24;
    (*metadata[kCGImagePropertyExifDictionary].dictionary())["PixelYDimension"] = 16;
    Bytes first;
    ASSERT_TRUE(EncodeImage(gradient(24, 16), ImageFileType::JPEG, metadata, &first));
    const ImageProperties read = ImageSource::createWithData(first)->propertiesAtIndex(0);
    for (ImageFileType type : {ImageFileType::JPEG, ImageFileType::PNG, ImageFileType::TIFF}) {
        SCOPED_TRACE(ImageFileTypeIdentifier(type));
        Bytes second;
        ImageIOError error;
        ASSERT_TRUE(EncodeImage(gradient(10, 30), type, read, &second, &error)) << error.message;
        const ImageProperties p = ImageSource::createWithData(second)->propertiesAtIndex(0);
        expectSampleMetadata(p);
        EXPECT_EQ(number(p, kCGImagePropertyExifDictionary, "PixelXDimension"), 10);
        EXPECT_EQ(number(p, kCGImagePropertyExifDictionary, "PixelYDimension"), 30);
        EXPECT_EQ(ImagePropertyFind(p, kCGImagePropertyPixelWidth)->integer(), 10);
    }
}

namespace {

void pngReadCallback(png_structp png, png_bytep out, png_size_t n) {
    auto* cursor = static_cast<std::pair<const Bytes*, std::size_t>*>(png_get_io_ptr(png));
    if (cursor->second + n > cursor->first->size()) png_error(png, "short");
    std::memcpy(out, cursor->first->data() + cursor->second, n);
    cursor->second += n;
}

// The colour profile as each format's own library finds it in the file (not through the
// metadata layer that wrote it), so that other programs are known to see it too.
std::string profileSeenByTheCodec(ImageFileType type, const Bytes& data, const std::filesystem::path& dir) {
    std::string profile;
    if (type == ImageFileType::JPEG) {
        jpeg_decompress_struct d{};
        jpeg_error_mgr err{};
        d.err = jpeg_std_error(&err);
        jpeg_create_decompress(&d);
        jpeg_mem_src(&d, data.data(), data.size());
        jpeg_save_markers(&d, JPEG_APP0 + 2, 0xFFFF);
        jpeg_read_header(&d, TRUE);
        JOCTET* icc = nullptr;
        unsigned int size = 0;
        if (jpeg_read_icc_profile(&d, &icc, &size)) profile.assign(reinterpret_cast<char*>(icc), size);
        std::free(icc);
        jpeg_destroy_decompress(&d);
    } else if (type == ImageFileType::PNG) {
        png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
        png_infop info = png_create_info_struct(png);
        std::pair<const Bytes*, std::size_t> cursor{&data, 0};
        png_set_read_fn(png, &cursor, pngReadCallback);
        png_read_info(png, info);
        png_charp name = nullptr;
        int compression = 0;
        png_bytep icc = nullptr;
        png_uint_32 size = 0;
        if (png_get_iCCP(png, info, &name, &compression, &icc, &size))
            profile.assign(reinterpret_cast<char*>(icc), size);
        png_destroy_read_struct(&png, &info, nullptr);
    } else {
        const auto path = dir / "profile.tiff";
        std::FILE* f = std::fopen(path.c_str(), "wb");
        std::fwrite(data.data(), 1, data.size(), f);
        std::fclose(f);
        TIFF* tif = TIFFOpen(path.c_str(), "r");
        std::uint32_t size = 0;
        void* icc = nullptr;
        if (tif && TIFFGetField(tif, TIFFTAG_ICCPROFILE, &size, &icc)) profile.assign(static_cast<char*>(icc), size);
        if (tif) TIFFClose(tif);
    }
    return profile;
}

}  // namespace

TEST(ImageMetadata, ColourProfileAndXMPTravelThroughEveryFormat) {
    const auto dir = tempDir();
    const std::string profile = iccProfile("RGB ");
    for (ImageFileType type : {ImageFileType::JPEG, ImageFileType::PNG, ImageFileType::TIFF}) {
        SCOPED_TRACE(ImageFileTypeIdentifier(type));
        // The pixels are written upright, so the packet's orientation must follow the entry.
        ImageProperties properties{{kImagePropertyICCProfile, profile},
                                   {kImagePropertyXMPPacket, xmpPacket(6)},
                                   {kCGImagePropertyOrientation, 1}};
        Bytes data;
        ImageIOError error;
        ASSERT_TRUE(EncodeImage(gradient(24, 16), type, properties, &data, &error)) << error.message;
        EXPECT_EQ(profileSeenByTheCodec(type, data, dir), profile);

        const auto decoded = DecodeImageData(data, ImagePixelFormat::RGBA, &error);
        ASSERT_TRUE(decoded) << error.message;
        expectProfileAndSampleXMP(decoded->properties, profile, 1);
        EXPECT_EQ(decoded->exifOrientation, 1);
    }
}

TEST(ImageMetadata, ProfilesOfOtherColourSpacesAreNotEmbedded) {
    // Every file holds RGB pixels: a CMYK or grey photo's profile would misdescribe them.
    for (const char* space : {"CMYK", "GRAY"})
        for (ImageFileType type : {ImageFileType::JPEG, ImageFileType::PNG, ImageFileType::TIFF}) {
            Bytes data;
            ImageIOError error;
            ASSERT_TRUE(
                EncodeImage(gradient(8, 8), type, {{kImagePropertyICCProfile, iccProfile(space)}}, &data, &error))
                << error.message;
            const auto decoded = DecodeImageData(data, ImagePixelFormat::RGBA, &error);
            ASSERT_TRUE(decoded) << error.message;
            EXPECT_FALSE(ImagePropertyFind(decoded->properties, kImagePropertyICCProfile)) << space;
        }
}

namespace {

// libtiff's warnings while it reads a file's directories, the Exif one included.
std::vector<std::string> tiffWarnings;
void keepTIFFWarning(const char*, const char* format, va_list args) {
    char text[512];
    std::vsnprintf(text, sizeof text, format, args);
    tiffWarnings.emplace_back(text);
}

std::vector<std::string> warningsReadingTIFF(const Bytes& data, const std::filesystem::path& dir) {
    const auto path = dir / "warnings.tiff";
    std::FILE* f = std::fopen(path.c_str(), "wb");
    std::fwrite(data.data(), 1, data.size(), f);
    std::fclose(f);
    tiffWarnings.clear();
    const TIFFErrorHandler previous = TIFFSetWarningHandler(keepTIFFWarning);
    if (TIFF* tif = TIFFOpen(path.c_str(), "r")) {
        toff_t exif = 0;
        if (TIFFGetField(tif, TIFFTAG_EXIFIFD, &exif)) TIFFReadEXIFDirectory(tif, exif);
        TIFFClose(tif);
    }
    TIFFSetWarningHandler(previous);
    return tiffWarnings;
}

}  // namespace

// A camera's photo read, rendered (upright, another size, modified now by this program) and
// written in each format: every tag it came with is there in its own type and value, but for
// those the render changed; its IPTC stays as stored; its packet, which the XMP toolkit
// refuses, is carried as it came with the orientation it states made upright.
TEST(ImageMetadata, ACameraPhotosMetadataTravelsTagForTagThroughEveryFormat) {
    using namespace camera_photo;
    const Bytes camera = CameraPhoto();
    const FileMetadata source = ReadFileMetadata(camera);
    for (const char* key : {"Exif.Canon.OwnerName", "Exif.Iop.InteroperabilityIndex", "Exif.Photo.ExifVersion",
                            "Iptc.Envelope.CharacterSet", "Exif.GPSInfo.GPSVersionID"})
        ASSERT_TRUE(source.tags.count(key)) << key;
    ASSERT_EQ(source.xmp, DuplicatedPropertyPacket());

    auto photo = ImageSource::createWithData(camera);
    ASSERT_TRUE(photo);
    ImageProperties p = photo->propertiesAtIndex(0);
    p[kCGImagePropertyOrientation] = 1;
    ImageProperties& tiff = *p[kCGImagePropertyTIFFDictionary].dictionary();
    tiff[kCGImagePropertyTIFFOrientation] = 1;
    tiff[kCGImagePropertyTIFFDateTime] = "2024:01:02 03:04:05";
    tiff[kCGImagePropertyTIFFSoftware] = "Tavorin 1.0";
    const auto dir = tempDir();
    for (ImageFileType type : {ImageFileType::JPEG, ImageFileType::PNG, ImageFileType::TIFF}) {
        SCOPED_TRACE(ImageFileTypeIdentifier(type));
        Bytes data;
        ImageIOError error;
        ASSERT_TRUE(EncodeImage(gradient(76, 136), type, p, &data, &error)) << error.message;
        const FileMetadata result = ReadFileMetadata(data);
        EXPECT_THAT(Differences(source, result, RenderedTags(),
                                type == ImageFileType::TIFF ? TIFFOwnTags() : std::set<std::string>{}),
                    ::testing::IsEmpty());
        const auto value = [&](const char* key) {
            auto it = result.tags.find(key);
            return it == result.tags.end() ? std::string("<missing>") : it->second.type + " " + it->second.value;
        };
        EXPECT_EQ(value("Exif.Image.Orientation"), "Short 1");
        EXPECT_EQ(value("Exif.Image.DateTime"), "Ascii 2024:01:02 03:04:05");
        EXPECT_EQ(value("Exif.Image.Software"), "Ascii Tavorin 1.0");
        // libtiff reads a TIFF's Exif sizes only as LONG.
        const std::string sizeType = type == ImageFileType::TIFF ? "Long " : "Short ";
        EXPECT_EQ(value("Exif.Photo.PixelXDimension"), sizeType + "76");
        EXPECT_EQ(value("Exif.Photo.PixelYDimension"), sizeType + "136");
        EXPECT_EQ(value("Exif.Image.YCbCrPositioning"), type == ImageFileType::JPEG ? "Short 1" : "<missing>");
        EXPECT_TRUE(result.tags.count("Exif.Photo.MakerNote"));
        EXPECT_EQ(result.xmp, DuplicatedPropertyPacket(1));
        if (type == ImageFileType::TIFF) {
            // Every tag in a type libtiff reads, but GainControl: libtiff 4.5 declares it a
            // RATIONAL, against the standard's SHORT that the camera wrote and that stays.
            for (const std::string& warning : warningsReadingTIFF(data, dir)) {
                if (warning.find("GainControl") == std::string::npos) {
                    EXPECT_EQ(warning.find("Wrong data type"), std::string::npos) << warning;
                }
            }
        }
    }
}

// A packet larger than a JPEG segment can hold is left out, and the person told; the picture
// and the rest of its metadata are still written.
TEST(ImageMetadata, APacketTooLargeForTheFileIsLeftOutAndSaid) {
    const std::string packet =
        "<x:xmpmeta xmlns:x=\"adobe:ns:meta/\"><rdf:RDF xmlns:rdf=\"http://www.w3.org/1999/02/22-rdf-syntax-ns#\">"
        "<rdf:Description rdf:about=\"\" xmlns:dc=\"http://purl.org/dc/elements/1.1/\"><dc:description><rdf:Alt>"
        "<rdf:li xml:lang=\"x-default\">" +
        std::string(70000, 'a') + "</rdf:li></rdf:Alt></dc:description></rdf:Description></rdf:RDF></x:xmpmeta>";
    Bytes data;
    ImageIOError error;
    testing::internal::CaptureStderr();
    const bool written =
        EncodeImage(gradient(8, 8), ImageFileType::JPEG,
                    {{kImagePropertyXMPPacket, packet},
                     {kCGImagePropertyTIFFDictionary, ImageProperties{{kCGImagePropertyTIFFSoftware, "Tavorin 1.0"}}}},
                    &data, &error);
    const std::string said = testing::internal::GetCapturedStderr();
    ASSERT_TRUE(written) << error.message;
    EXPECT_NE(said.find("tavorin: the photo's XMP packet was left out of the file: "), std::string::npos) << said;
    const ImageProperties p = ImageSource::createWithData(data)->propertiesAtIndex(0);
    EXPECT_FALSE(ImagePropertyFind(p, kImagePropertyXMPPacket));
    EXPECT_EQ(text(p, kCGImagePropertyTIFFDictionary, kCGImagePropertyTIFFSoftware), "Tavorin 1.0");
}
