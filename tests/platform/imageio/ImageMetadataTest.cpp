// Metadata groups written with an image and read back from each format.
#include "ImageFixtures.h"

using namespace platform;
using namespace imageio_test;

namespace {

ImageProperties sampleMetadata() {
    return {
        {kCGImagePropertyOrientation, 6},
        {kCGImagePropertyExifDictionary,
         ImageProperties{{kCGImagePropertyExifDateTimeOriginal, "2026:12:09 21:15:30"},
                         {kCGImagePropertyExifDateTimeDigitized, "2026:12:09 21:16:00"},
                         {kCGImagePropertyExifUserComment, "Made with Tavorin"},
                         {kCGImagePropertyExifDigitalZoomRatio, 2.5f}}},
        {kCGImagePropertyTIFFDictionary,
         ImageProperties{{kCGImagePropertyTIFFDateTime, "2026:12:09 21:15:30"},
                         {kCGImagePropertyTIFFMake, "Apple"},
                         {kCGImagePropertyTIFFModel, "iPhone"},
                         {kCGImagePropertyTIFFSoftware, "Tavorin 1.2"},
                         {kCGImagePropertyTIFFImageDescription, "A test picture"}}},
        {kCGImagePropertyGPSDictionary,
         ImageProperties{{kCGImagePropertyGPSLatitudeRef, "S"},
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
                            {{kCGImagePropertyGPSDictionary,
                              ImageProperties{{kCGImagePropertyGPSLatitudeRef, "N"},
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
    ASSERT_TRUE(EncodeImage(gradient(8, 8), ImageFileType::JPEG,
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
        if (png_get_iCCP(png, info, &name, &compression, &icc, &size)) profile.assign(reinterpret_cast<char*>(icc), size);
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
            ASSERT_TRUE(EncodeImage(gradient(8, 8), type, {{kImagePropertyICCProfile, iccProfile(space)}}, &data, &error))
                << error.message;
            const auto decoded = DecodeImageData(data, ImagePixelFormat::RGBA, &error);
            ASSERT_TRUE(decoded) << error.message;
            EXPECT_FALSE(ImagePropertyFind(decoded->properties, kImagePropertyICCProfile)) << space;
        }
}

TEST(ImageMetadata, AnXMPPacketWithADuplicatedPropertyIsWrittenOrRefusedWithAReason) {
    // As some cameras write it: the rating given twice.
    const std::string packet =
        "<?xpacket begin=\"\xEF\xBB\xBF\" id=\"W5M0MpCehiHzreSzNTczkc9d\"?>\n"
        "<x:xmpmeta xmlns:x=\"adobe:ns:meta/\"><rdf:RDF xmlns:rdf=\"http://www.w3.org/1999/02/22-rdf-syntax-ns#\">"
        "<rdf:Description rdf:about=\"\" xmlns:xmp=\"http://ns.adobe.com/xap/1.0/\" xmp:Rating=\"3\">"
        "<xmp:Rating>4</xmp:Rating></rdf:Description></rdf:RDF></x:xmpmeta>\n<?xpacket end=\"w\"?>";
    for (ImageFileType type : {ImageFileType::JPEG, ImageFileType::PNG, ImageFileType::TIFF}) {
        SCOPED_TRACE(ImageFileTypeIdentifier(type));
        Bytes data;
        ImageIOError error;
        if (EncodeImage(gradient(8, 8), type, {{kImagePropertyXMPPacket, packet}}, &data, &error)) continue;
        EXPECT_EQ(error.code, ImageIOErrorCode::Metadata);
        EXPECT_GT(error.message.size(), std::string("metadata: ").size()) << "a reason: \"" << error.message << "\"";
    }
}
