#pragma once
// What an acceptance case checked, said as a sentence: printed whether it holds or not, and the
// failure's message, so that a failed run reads as the sentence that did not come true.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include <sstream>

// Formats numbers into a sentence: Said("saturation ", 0.31, " of ", 0.37).
template <typename... Parts>
std::string Said(const Parts&... parts) {
    std::ostringstream out;
    out.precision(3);
    (out << ... << parts);
    return out.str();
}

inline bool SayChecked(bool holds, const std::string& sentence) {
    std::printf("%s %s\n", holds ? "[holds]" : "[FAILS]", sentence.c_str());
    std::fflush(stdout);
    return holds;
}

#define EXPECT_SENTENCE(holds, sentence)                          \
    do {                                                          \
        const std::string sentence_ = (sentence);                 \
        EXPECT_TRUE(SayChecked((holds), sentence_)) << sentence_; \
    } while (0)

#define ASSERT_SENTENCE(holds, sentence)                          \
    do {                                                          \
        const std::string sentence_ = (sentence);                 \
        ASSERT_TRUE(SayChecked((holds), sentence_)) << sentence_; \
    } while (0)
