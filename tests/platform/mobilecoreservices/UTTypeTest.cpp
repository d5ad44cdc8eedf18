// Type identifiers from extensions and MIME types, and conformance.
#include <gtest/gtest.h>

#include "platform/mobilecoreservices/UTType.h"

namespace {

TEST(UTTypeTest, ExtensionsMapToTypesThatConformAsImagesOrText) {
    struct Case {
        const char* extension;
        const char* type;
        bool image;
        bool text;
    } cases[] = {
        {"jpg", "public.jpeg", true, false},
        {"JPEG", "public.jpeg", true, false},
        {"png", "public.png", true, false},
        {"tif", "public.tiff", true, false},
        {"tiff", "public.tiff", true, false},
        {"gif", "com.compuserve.gif", true, false},
        {"bmp", "com.microsoft.bmp", true, false},
        {"heic", "public.heic", true, false},
        {"webp", "org.webmproject.webp", true, false},
        {"txt", "public.plain-text", false, true},
        {"igo", "com.instagram.exclusivegram", false, false},
        {"", "public.data", false, false},
    };
    for (const auto& c : cases) {
        const std::string type = UTTypeCreatePreferredIdentifierForTag(kUTTagClassFilenameExtension, c.extension);
        EXPECT_EQ(type, c.type) << c.extension;
        EXPECT_EQ(UTTypeConformsTo(type, kUTTypeImage), c.image) << c.extension;
        EXPECT_EQ(UTTypeConformsTo(type, kUTTypeText), c.text) << c.extension;
        EXPECT_TRUE(UTTypeConformsTo(type, kUTTypeData)) << c.extension;
        EXPECT_TRUE(UTTypeConformsTo(type, type)) << c.extension;
    }
    // The exclusive type is taken only by those who name it.
    EXPECT_FALSE(UTTypeConformsTo(kUTTypeInstagramExclusive, kUTTypeJPEG));
    EXPECT_FALSE(UTTypeConformsTo(kUTTypeImage, kUTTypeJPEG));
}

TEST(UTTypeTest, OtherExtensionsAreGuessedFromTheSharedMimeData) {
    // Not in the table: GIO's guess decides, by the MIME type's top level.
    const std::string svg = UTTypeCreatePreferredIdentifierForTag(kUTTagClassFilenameExtension, "svg");
    EXPECT_EQ(svg, "public.mime.image/svg+xml");
    EXPECT_TRUE(UTTypeConformsTo(svg, kUTTypeImage));
    EXPECT_EQ(UTTypeCopyPreferredTagWithClass(svg, kUTTagClassMIMEType), "image/svg+xml");
    const std::string html = UTTypeCreatePreferredIdentifierForTag(kUTTagClassFilenameExtension, "html");
    EXPECT_TRUE(UTTypeConformsTo(html, kUTTypeText));
    EXPECT_FALSE(UTTypeConformsTo(html, kUTTypeImage));
    EXPECT_EQ(UTTypeCreatePreferredIdentifierForTag(kUTTagClassFilenameExtension, "no-such-ending-here"), kUTTypeData);
}

TEST(UTTypeTest, PreferredTagsGoBothWays) {
    EXPECT_EQ(UTTypeCopyPreferredTagWithClass(kUTTypeJPEG, kUTTagClassMIMEType), "image/jpeg");
    EXPECT_EQ(UTTypeCopyPreferredTagWithClass(kUTTypeJPEG, kUTTagClassFilenameExtension), "jpeg");
    EXPECT_EQ(UTTypeCopyPreferredTagWithClass(kUTTypeTIFF, kUTTagClassFilenameExtension), "tiff");
    EXPECT_EQ(UTTypeCopyPreferredTagWithClass(kUTTypeImage, kUTTagClassMIMEType), std::nullopt);
    EXPECT_EQ(UTTypeCreatePreferredIdentifierForTag(kUTTagClassMIMEType, "image/png"), kUTTypePNG);
}

}  // namespace
