// The saved-photos writer: a photo becomes a JPEG asset carrying its metadata, a real movie
// file becomes a movie asset, and failures come back in the writer's own error codes, always
// on the main queue.
extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
}

#include "PhotoLibraryFixture.h"
#include "platform/photos/ALAssetsLibrary.h"

namespace phototest {
namespace {

// A short real movie: motion-JPEG frames muxed into an AVI file by libavformat.
bool WriteMovie(const std::string& path, int frames) {
    std::vector<std::uint8_t> jpeg;
    auto frame = platform::ImageBitmap::make(32, 24);
    if (!platform::EncodeImage(*frame, platform::ImageFileType::JPEG, {}, &jpeg)) return false;
    AVFormatContext* out = nullptr;
    if (avformat_alloc_output_context2(&out, nullptr, "avi", path.c_str()) < 0) return false;
    AVStream* stream = avformat_new_stream(out, nullptr);
    stream->codecpar->codec_type = AVMEDIA_TYPE_VIDEO;
    stream->codecpar->codec_id = AV_CODEC_ID_MJPEG;
    stream->codecpar->width = 32;
    stream->codecpar->height = 24;
    stream->time_base = {1, 10};
    bool ok = avio_open(&out->pb, path.c_str(), AVIO_FLAG_WRITE) >= 0 && avformat_write_header(out, nullptr) >= 0;
    for (int i = 0; ok && i < frames; ++i) {
        AVPacket* packet = av_packet_alloc();
        av_new_packet(packet, static_cast<int>(jpeg.size()));
        std::copy(jpeg.begin(), jpeg.end(), packet->data);
        packet->pts = packet->dts = i;
        packet->duration = 1;
        packet->flags |= AV_PKT_FLAG_KEY;
        av_packet_rescale_ts(packet, {1, 10}, stream->time_base);
        ok = av_interleaved_write_frame(out, packet) >= 0;
        av_packet_free(&packet);
    }
    ok = ok && av_write_trailer(out) >= 0;
    avio_closep(&out->pb);
    avformat_free_context(out);
    return ok;
}

CGImageRef MakeImage(std::uint32_t w, std::uint32_t h) {
    std::vector<std::uint8_t> pixels(std::size_t{w} * h * 4, 180);
    return CGImageCreate(w, h, 8, 32, w * 4, CGColorSpaceCreateDeviceRGB(), kCGImageAlphaNoneSkipLast, pixels);
}

class ALAssetsLibraryTest : public PhotoLibraryFixture {
public:
    struct Result {
        bool done = false, onMain = false;
        std::string url;
        NSErrorPtr error;
    };
    ALAssetsLibrary::Completion recorder(Result& r) {
        return [&r](const std::string& url, NSErrorPtr error) {
            r.done = true, r.onMain = NSThread::isMainThread(), r.url = url, r.error = error;
        };
    }
};

TEST_F(ALAssetsLibraryTest, APhotoIsSavedAsAJPEGWithItsMetadata) {
    ALAssetsLibrary writer(library);
    platform::ImageProperties metadata;
    metadata["{IPTC}"] = platform::ImageProperties{{"Keywords", platform::ImagePropertyValue::Strings{"Tavorin"}}};
    metadata["Orientation"] = 6;
    Result r;
    writer.writeImageToSavedPhotosAlbum(MakeImage(40, 30), metadata, recorder(r));
    ASSERT_TRUE(PumpUntil([&] { return r.done; }));
    EXPECT_TRUE(r.onMain);
    ASSERT_FALSE(r.error) << r.error->localizedDescription();
    auto all = PHAsset::fetchAssetsWithOptions({}, library);
    ASSERT_EQ(all->count(), 1u);
    EXPECT_EQ("assets-library://asset/" + all->firstObject()->localIdentifier(), r.url);
    const auto& record = all->firstObject()->record();
    EXPECT_EQ(record.originalType, "public.jpeg");
    EXPECT_EQ(record.orientation, 6);
    auto source = platform::ImageSource::createWithFile(library->store().absolutePath(record.originalPath));
    const platform::ImageProperties saved = source->propertiesAtIndex(0);
    auto* keywords = platform::ImagePropertyFind(saved, "{IPTC}", "Keywords");
    ASSERT_TRUE(keywords && keywords->strings());
    EXPECT_EQ(*keywords->strings(), platform::ImagePropertyValue::Strings{"Tavorin"});
    EXPECT_TRUE(fs::is_empty(libraryPath + "/staging"));
}

TEST_F(ALAssetsLibraryTest, ARealMovieIsSavedAsAMovie) {
    const std::string movie = file("clip.avi");
    ASSERT_TRUE(WriteMovie(movie, 15));
    ALAssetsLibrary writer(library);
    Result r;
    writer.writeVideoAtPathToSavedPhotosAlbum(movie, recorder(r));
    ASSERT_TRUE(PumpUntil([&] { return r.done; }));
    ASSERT_FALSE(r.error) << r.error->localizedFailureReason();
    auto asset = PHAsset::fetchAssetsWithOptions({}, library)->firstObject();
    ASSERT_TRUE(asset);
    EXPECT_EQ(asset->mediaType(), PHAssetMediaTypeVideo);
    EXPECT_EQ(asset->pixelWidth(), 32);
    EXPECT_NEAR(asset->duration(), 1.5, 0.2);
    EXPECT_TRUE(fs::exists(movie));  // copied, the caller's file stays
}

TEST_F(ALAssetsLibraryTest, FailuresComeBackInTheWritersCodes) {
    struct Case {
        const char* name;
        std::function<void(ALAssetsLibraryTest&, ALAssetsLibrary&, Result&)> write;
        long code;
    } cases[] = {
        {"a file that is no movie",
         [](auto& t, auto& w, auto& r) {
             w.writeVideoAtPathToSavedPhotosAlbum(WriteImage(t.file("still.jpg"), 8, 8, 1), t.recorder(r));
         },
         ALAssetsLibraryWriteFailedError},
        {"a missing movie",
         [](auto& t, auto& w, auto& r) { w.writeVideoAtPathToSavedPhotosAlbum(t.file("none.mov"), t.recorder(r)); },
         ALAssetsLibraryWriteFailedError},
        {"access denied",
         [](auto& t, auto& w, auto& r) {
             AuthorizationStore::shared().setStatus(AuthorizationService::Photos, kAuthorizationDenied);
             w.writeImageToSavedPhotosAlbum(MakeImage(8, 8), {}, t.recorder(r));
         },
         ALAssetsLibraryAccessUserDeniedError},
    };
    for (auto& c : cases) {
        SCOPED_TRACE(c.name);
        ALAssetsLibrary writer(library);
        Result r;
        c.write(*this, writer, r);
        ASSERT_TRUE(PumpUntil([&] { return r.done; }));
        EXPECT_TRUE(r.onMain);
        ASSERT_TRUE(r.error);
        EXPECT_EQ(r.error->domain(), ALAssetsLibraryErrorDomain);
        EXPECT_EQ(r.error->code(), c.code);
        EXPECT_TRUE(r.url.empty());
        AuthorizationStore::shared().setStatus(AuthorizationService::Photos, kAuthorizationAuthorized);
        EXPECT_EQ(PHAsset::fetchAssetsWithOptions({}, library)->count(), 0u);
    }
}

}  // namespace
}  // namespace phototest
