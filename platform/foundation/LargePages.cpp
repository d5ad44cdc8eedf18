// Asking the C library for large pages through its tunable in the environment (see the header).
#include "platform/foundation/LargePages.h"

#include <cstdlib>
#include <cstring>
#include <fstream>
#include <sstream>

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

void AskForThemInEnvironment() {
#if !defined(__SANITIZE_ADDRESS__) && !defined(__SANITIZE_THREAD__)
    // (The sanitizers' allocator takes no tunable.)
    const std::optional<std::string> tunables = TunablesAskingForThem(std::getenv(kTunables));
    if (!tunables) return;
    std::ifstream enabled("/sys/kernel/mm/transparent_hugepage/enabled");
    std::stringstream text;
    text << enabled.rdbuf();
    // "always" gives them without asking; "never" not at all.
    if (KernelMode(text.str()) == "madvise") setenv(kTunables, tunables->c_str(), 1);
#endif
}

}  // namespace LargePages
