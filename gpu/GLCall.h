#pragma once
// The one road by which the GPU layer calls OpenGL ES: QV_GL(glViewport, x, y, w, h) calls the
// function and, while a GLCallLog is installed on the calling thread, records the call with its
// arguments ("glViewport(0, 0, 4, 4)"; pointers in hexadecimal, or null). Tests count calls through it to show that shadowed state
// reaches GL only when it changes. Without a log the cost is one thread-local pointer test.
#include <cstddef>
#include <cstdint>
#include <sstream>
#include <string>
#include <string_view>
#include <type_traits>
#include <vector>

namespace QV::Graphics {

class GLCallLog {
public:
    // Installs the log on the calling thread until it is destroyed (logs nest).
    GLCallLog();
    ~GLCallLog();
    GLCallLog(const GLCallLog&) = delete;
    GLCallLog& operator=(const GLCallLog&) = delete;

    static GLCallLog* Active();

    void Record(std::string call) { calls_.push_back(std::move(call)); }
    void Clear() { calls_.clear(); }
    const std::vector<std::string>& Calls() const { return calls_; }
    // All calls, or the calls of one GL function (by name, without arguments).
    size_t Count() const { return calls_.size(); }
    size_t Count(std::string_view function) const;
    // The recorded calls of one function, with their arguments.
    std::vector<std::string> CallsOf(std::string_view function) const;

private:
    std::vector<std::string> calls_;
    GLCallLog* previous_;
};

namespace detail {

template <typename A>
void AppendGLArgument(std::ostringstream& out, const A& a) {
    if constexpr (std::is_null_pointer_v<A>) {
        out << "null";
    } else if constexpr (std::is_pointer_v<A>) {
        if (a) out << "0x" << std::hex << reinterpret_cast<uintptr_t>(a) << std::dec;
        else out << "null";
    } else if constexpr (std::is_same_v<A, unsigned char> || std::is_same_v<A, signed char> ||
                         std::is_same_v<A, char>) {
        out << static_cast<int>(a);
    } else {
        out << a;
    }
}

template <typename... A>
std::string FormatGLCall(const char* name, const A&... args) {
    std::ostringstream out;
    out << name << '(';
    [[maybe_unused]] const char* separator = "";
    ((out << separator, AppendGLArgument(out, args), separator = ", "), ...);
    out << ')';
    return out.str();
}

}  // namespace detail

template <typename F, typename... A>
inline decltype(auto) CallGL(const char* name, F&& function, A... args) {
    if (GLCallLog* log = GLCallLog::Active()) log->Record(detail::FormatGLCall(name, args...));
    return function(args...);
}

}  // namespace QV::Graphics

#define QV_GL(function, ...) ::QV::Graphics::CallGL(#function, function __VA_OPT__(, ) __VA_ARGS__)
