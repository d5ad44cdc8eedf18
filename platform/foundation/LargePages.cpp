// Asking the C library for large pages by starting again with its tunable set (see the header).
#include "platform/foundation/LargePages.h"

#include <cstdlib>
#include <cstring>
#include <fstream>
#include <sstream>

#include <unistd.h>

namespace LargePages {
namespace {

constexpr const char* kTunables = "GLIBC_TUNABLES";
constexpr const char* kTunable = "glibc.malloc.hugetlb";
constexpr const char* kAsk = "glibc.malloc.hugetlb=1";  // madvise large pages for every mapped chunk

}  // namespace

std::string KernelMode(const std::string& enabledText) {
    const size_t open = enabledText.find('['), close = enabledText.find(']', open);
    if (open == std::string::npos || close == std::string::npos) return {};
    return enabledText.substr(open + 1, close - open - 1);
}

std::optional<std::string> TunablesAskingForThem(const char* current) {
    if (!current || !*current) return std::string(kAsk);
    if (std::strstr(current, kTunable)) return std::nullopt;
    return std::string(current) + ":" + kAsk;
}

void RestartAskingForThem(char** argv) {
#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
    (void)argv;  // the sanitizers' allocator takes no tunable: a second start would be for nothing
#else
    const char* found = std::getenv(kTunables);
    const std::optional<std::string> before = found ? std::optional<std::string>(found) : std::nullopt;
    const std::optional<std::string> tunables = TunablesAskingForThem(found);
    if (!tunables || !argv || !argv[0]) return;
    std::ifstream enabled("/sys/kernel/mm/transparent_hugepage/enabled");
    std::stringstream text;
    text << enabled.rdbuf();
    // "always" gives them without asking; "never" not at all.
    if (KernelMode(text.str()) != "madvise") return;
    if (setenv(kTunables, tunables->c_str(), 1) != 0) return;
    execv("/proc/self/exe", argv);
    // The start failed: the environment is put back as found, so that children see what we saw.
    if (before) setenv(kTunables, before->c_str(), 1);
    else unsetenv(kTunables);
#endif
}

}  // namespace LargePages
