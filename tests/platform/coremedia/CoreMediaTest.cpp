// Media times compare exactly across timescales and invalid times stay apart; sample buffers
// carry their frame's format and hand out copies of their attachments.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "platform/coremedia/CMSampleBuffer.h"

namespace {

using namespace platform;

TEST(CMTimeTest, CompareIsExactAcrossTimescales) {
    struct Case {
        CMTime a, b;
        int expected;
    } cases[] = {
        {CMTimeMake(1, 30), CMTimeMake(20, 600), 0},
        {CMTimeMake(1, 3), CMTimeMake(333333333, 1000000000), 1},  // not equal through rounding
        {CMTimeMake(-1, 2), CMTimeMake(0, 1), -1},
        {kCMTimeInvalid, CMTimeMake(0, 1), -1},
        {CMTimeMake(0, 1), kCMTimeInvalid, 1},
        {kCMTimeInvalid, kCMTimeInvalid, 0},
        {CMTimeMake(std::numeric_limits<int64_t>::max(), 1), CMTimeMake(std::numeric_limits<int64_t>::max(), 2), 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::Message()
                     << c.a.value << "/" << c.a.timescale << " vs " << c.b.value << "/" << c.b.timescale);
        EXPECT_EQ(CMTimeCompare(c.a, c.b), c.expected);
    }
}

TEST(CMTimeTest, ArithmeticKeepsExactUnitsAndInvalidity) {
    const CMTime sum = CMTimeAdd(CMTimeMake(1, 24), CMTimeMake(1, 30));
    EXPECT_EQ(CMTimeCompare(sum, CMTimeMake(9, 120)), 0);
    const CMTime diff = CMTimeSubtract(CMTimeMake(40, 600), CMTimeMake(1, 30));
    EXPECT_EQ(CMTimeCompare(diff, CMTimeMake(1, 30)), 0);
    EXPECT_DOUBLE_EQ(CMTimeGetSeconds(diff), 1.0 / 30);
    EXPECT_FALSE(CMTIME_IS_VALID(CMTimeAdd(kCMTimeInvalid, CMTimeMake(1, 1))));
    EXPECT_FALSE(CMTIME_IS_VALID(CMTimeMake(1, 0)));
    EXPECT_TRUE(std::isnan(CMTimeGetSeconds(kCMTimeInvalid)));
    EXPECT_FALSE(CMTIME_IS_VALID(CMTimeMakeWithSeconds(std::nan(""), 600)));
    // Overflow answers invalid rather than a wrapped time.
    EXPECT_FALSE(CMTIME_IS_VALID(CMTimeAdd(CMTimeMake(std::numeric_limits<int64_t>::max(), 1), CMTimeMake(1, 1))));
    EXPECT_EQ(CMTimeMakeWithSeconds(1.0 / 30, 600).value, 20);
}

TEST(CMSampleBufferTest, VideoAndAudioBuffersDescribeThemselves) {
    CVPixelBufferRef pixels;
    ASSERT_EQ(CVPixelBufferCreate(6, 4, kCVPixelFormatType_32BGRA, &pixels), kCVReturnSuccess);
    const CMSampleBufferRef video = CMSampleBuffer::videoFrame(pixels, CMTimeMake(5, 30), CMTimeMake(1, 30));
    const CMFormatDescription* format = CMSampleBufferGetFormatDescription(video);
    EXPECT_EQ(CMVideoFormatDescriptionGetDimensions(format), (CMVideoDimensions{6, 4}));
    EXPECT_EQ(CMFormatDescriptionGetMediaSubType(format), kCVPixelFormatType_32BGRA);
    EXPECT_EQ(CMSampleBufferGetImageBuffer(video), pixels);
    EXPECT_EQ(CMTimeCompare(CMSampleBufferGetPresentationTimeStamp(video), CMTimeMake(5, 30)), 0);

    ImageProperties attachments;
    attachments["Orientation"] = 6;
    video->setAttachments(attachments);
    ImageProperties copy = CMCopyDictionaryOfAttachments(video);
    copy["Orientation"] = 1;
    EXPECT_EQ(ImagePropertyFind(video->attachments(), "Orientation")->integer(), 6) << "the copy is the caller's";

    const CMSampleBufferRef audio =
        CMSampleBuffer::audioPCM(std::vector<int16_t>(2048), 2, 44100, CMTimeMake(0, 44100));
    ASSERT_NE(audio, nullptr);
    EXPECT_EQ(CMSampleBufferGetNumSamples(audio), 1024);
    EXPECT_EQ(CMTimeCompare(CMSampleBufferGetDuration(audio), CMTimeMake(1024, 44100)), 0);
    EXPECT_EQ(CMSampleBufferGetImageBuffer(audio), nullptr);
    EXPECT_EQ(CMSampleBuffer::audioPCM(std::vector<int16_t>(3), 2, 44100, kCMTimeZero), nullptr) << "half a frame";
    EXPECT_EQ(CMSampleBuffer::videoFrame(nullptr, kCMTimeZero, kCMTimeZero), nullptr);
}

}  // namespace
