#include "platform/avfoundation/LibavLog.h"

#include <cctype>
#include <cstdarg>
#include <cstdio>
#include <mutex>
#include <set>
#include <string>
#include <utility>

extern "C" {
#include <libavutil/log.h>
}

namespace platform {

namespace {

// The kinds said so far: the part and the message with its numbers left out, so that one fault
// repeated on every frame (with other numbers each time) is said once. Any thread logs.
std::mutex saidMutex;
std::set<std::pair<std::string, std::string>> said;

void logLine(void* object, int level, const char* format, va_list arguments) {
    if (level > AV_LOG_ERROR || !format) return;
    // FFmpeg may say one line in pieces; the line is said once it is whole.
    thread_local std::string pending, pendingPart;
    char piece[1024];
    std::vsnprintf(piece, sizeof piece, format, arguments);
    if (pending.empty()) {
        const AVClass* avClass = object ? *static_cast<AVClass**>(object) : nullptr;
        pendingPart = avClass && avClass->item_name ? avClass->item_name(object) : "libav";
    }
    pending += piece;
    if (pending.empty() || pending.back() != '\n') return;
    std::string line = std::exchange(pending, {});
    while (!line.empty() && (line.back() == '\n' || line.back() == '\r')) line.pop_back();
    if (line.empty()) return;
    std::string kind;
    for (const char c : line)
        if (!std::isdigit(static_cast<unsigned char>(c))) kind += c;
        else if (kind.empty() || kind.back() != '#') kind += '#';
    {
        std::lock_guard lock(saidMutex);
        if (!said.emplace(pendingPart, kind).second) return;
    }
    std::fprintf(stderr, "tavorin: FFmpeg (%s): %s\n", pendingPart.c_str(), line.c_str());
}

}  // namespace

void UseLibavLog() {
    static std::once_flag installed;
    std::call_once(installed, [] {
        av_log_set_level(AV_LOG_ERROR);
        av_log_set_callback(logLine);
    });
}

}  // namespace platform
