#include "gpu/GLCall.h"

namespace QV::Graphics {
namespace {
thread_local GLCallLog* tActiveLog = nullptr;

std::string_view FunctionName(const std::string& call) { return std::string_view(call).substr(0, call.find('(')); }
}  // namespace

GLCallLog::GLCallLog() : previous_(tActiveLog) { tActiveLog = this; }
GLCallLog::~GLCallLog() { tActiveLog = previous_; }
GLCallLog* GLCallLog::Active() { return tActiveLog; }

size_t GLCallLog::Count(std::string_view function) const {
    size_t n = 0;
    for (const std::string& c : calls_)
        if (FunctionName(c) == function) ++n;
    return n;
}

std::vector<std::string> GLCallLog::CallsOf(std::string_view function) const {
    std::vector<std::string> out;
    for (const std::string& c : calls_)
        if (FunctionName(c) == function) out.push_back(c);
    return out;
}

}  // namespace QV::Graphics
