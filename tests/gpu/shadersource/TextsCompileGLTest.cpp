// Every generated program compiles and links on the ES 2 driver, at the varying cap of the
// target devices (16, so long kernels take the over-the-cap path) and at that of this one (64).
#include <gtest/gtest.h>

#include "EngineTexts.h"
#include "support/RawGL.h"
#include "support/GLTest.h"

namespace {

class TextsCompile : public GLTest, public ::testing::WithParamInterface<int> {};

TEST_P(TextsCompile, EveryEngineProgramLinks) {
    const auto texts = shadersource_test::AllEngineTexts(GetParam());
    ASSERT_GT(texts.size(), 300u);
    int failures = 0;
    for (const auto& [name, text] : texts) {
        rawgl::Program program(text.vertex, text.fragment);
        if (!program.ok() && ++failures <= 5)
            ADD_FAILURE() << name << "\n" << program.log() << "\n" << text.vertex << "\n" << text.fragment;
    }
    EXPECT_EQ(failures, 0);
}

INSTANTIATE_TEST_SUITE_P(VaryingCaps, TextsCompile, ::testing::Values(16, 64));

}  // namespace
