// FFmpeg's log as the program's: its warnings dropped, each kind of error said once (whatever
// its numbers), a line said in pieces said whole, in the program's words.
#include <gtest/gtest.h>

#include <string>

extern "C" {
#include <libavutil/log.h>
}

#include "platform/avfoundation/LibavLog.h"

namespace {

TEST(LibavLog, OnlyErrorsEachKindOnceAndWholeLines) {
    platform::UseLibavLog();
    testing::internal::CaptureStderr();
    av_log(nullptr, AV_LOG_WARNING, "deprecated pixel format used\n");
    av_log(nullptr, AV_LOG_INFO, "using cpu capabilities\n");
    for (int row = 1; row <= 3; ++row) av_log(nullptr, AV_LOG_ERROR, "error y=%d x=%d\n", row * 8, row);
    av_log(nullptr, AV_LOG_ERROR, "Error initializing filter '%s'", "movie");
    av_log(nullptr, AV_LOG_ERROR, " with args '%s'", "/gone.jpg");
    av_log(nullptr, AV_LOG_ERROR, "\n");
    av_log(nullptr, AV_LOG_FATAL, "out of memory\n");
    EXPECT_EQ(testing::internal::GetCapturedStderr(),
              "tavorin: FFmpeg (libav): error y=8 x=1\n"
              "tavorin: FFmpeg (libav): Error initializing filter 'movie' with args '/gone.jpg'\n"
              "tavorin: FFmpeg (libav): out of memory\n");
}

}  // namespace
