// Asking for large pages: the kernel's mode is read from its text, and the tunable is added
// once, next to what the person set, never over it (a second start must not start again).
#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "platform/foundation/LargePages.h"

TEST(LargePagesTest, TheKernelsModeIsTheBracketedWord) {
    EXPECT_EQ(LargePages::KernelMode("always [madvise] never\n"), "madvise");
    EXPECT_EQ(LargePages::KernelMode("[always] madvise never\n"), "always");
    EXPECT_EQ(LargePages::KernelMode("always madvise [never]"), "never");
    EXPECT_EQ(LargePages::KernelMode(""), "");
    EXPECT_EQ(LargePages::KernelMode("always madvise never"), "");
}

TEST(LargePagesTest, TheTunableIsAddedOnceAndNeverOverWhatIsSet) {
    const struct {
        const char* current;
        std::optional<std::string> expected;
    } cases[] = {
        {nullptr, "glibc.malloc.hugetlb=1"},
        {"", "glibc.malloc.hugetlb=1"},
        {"glibc.malloc.check=3", "glibc.malloc.check=3:glibc.malloc.hugetlb=1"},
        {"glibc.malloc.hugetlb=1", std::nullopt},  // our own earlier start
        {"glibc.malloc.hugetlb=0", std::nullopt},  // the person said no
        {"glibc.malloc.check=3:glibc.malloc.hugetlb=2", std::nullopt},
    };
    for (const auto& c : cases)
        EXPECT_EQ(LargePages::TunablesAskingForThem(c.current), c.expected) << (c.current ? c.current : "(unset)");
}
