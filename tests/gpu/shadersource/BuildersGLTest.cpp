// The builders through the GPU layer: program slots filled once, with programs that build at
// the varying caps of the target devices (16) and of this one (64); refused arguments leave an
// unbuilt program; the two pass drivers against CPU references.
#include <gtest/gtest.h>

#include <functional>

#include "Reference.h"
#include "gpu/Device.h"
#include "gpu/Framebuffer.h"
#include "gpu/Shader.h"
#include "gpu/Texture.h"
#include "gpu/VertexArray.h"
#include "gpu/shadersource/Kernels.h"
#include "gpu/shadersource/ProgramBuilders.h"
#include "gpu/shadersource/ProgramTexts.h"
#include "support/GLTest.h"

namespace {

using namespace QV::Graphics;
namespace SS = QV::Graphics::ShaderSource;
using Builder = std::function<void(IShaderProgram**, int cap)>;

class Builders : public GLTest {
protected:
    void SetUp() override {
        GLTest::SetUp();
        device_ = CDevice::Create(nullptr, true, false, false);
        ASSERT_NE(device_, nullptr);
    }
    void TearDown() override {
        device_->MakeCurrent();
        for (IShaderProgram* p : programs_) device_->GetShader()->DeleteProgram(p);
        for (ITexture2D* t : textures_) device_->GetTexture()->DeleteTexture(t);
        for (IFramebufferObject* f : framebuffers_) device_->GetFramebuffer()->DeleteFramebufferObject(f);
        if (quad_) device_->GetVertexArray()->DeleteVertexArrayObject(quad_);
        if (quadBuffer_) device_->GetVertexArray()->DeleteVertexBuffer(quadBuffer_);
        device_.reset();
        GLTest::TearDown();
    }

    IShaderProgram* Build(const Builder& build, int cap) {
        IShaderProgram* slot = nullptr;
        build(&slot, cap);
        if (slot) programs_.push_back(slot);
        return slot;
    }

    IVertexArrayObject* Quad() {
        if (quad_) return quad_;
        const float xyz[12] = {0, 0, 0, 1, 0, 0, 0, 1, 0, 1, 1, 0};
        quadBuffer_ = device_->GetVertexArray()->CreateVertexBuffer(true, 4, 12, xyz);
        quad_ = device_->GetVertexArray()->CreateVertexArrayObject();
        quad_->SetAttribute(quadBuffer_, 0, 3, DATA_TYPE_FLOAT, false, 12, 0);
        return quad_;
    }

    ITexture2D* Texture(const rawgl::Image* image, int w, int h, bool linear) {
        std::vector<uint8_t> bytes;
        if (image) {
            for (float v : image->rgba) bytes.push_back(static_cast<uint8_t>(std::lround(v * 255.0f)));
        }
        const int32_t filter = linear ? FILTER_LINEAR : FILTER_NEAREST;
        ITexture2D* t = device_->GetTexture()->CreateTexture(
            CTextureTemplate(filter, filter, WRAP_CLAMP_TO_EDGE, WRAP_CLAMP_TO_EDGE), w, h, FORMAT_RGBA, FORMAT_RGBA,
            PIXEL_TYPE_UNSIGNED_BYTE, 1, false, false, image ? bytes.data() : nullptr);
        textures_.push_back(t);
        return t;
    }

    IFramebufferObject* Framebuffer() {
        framebuffers_.push_back(device_->GetFramebuffer()->CreateFramebufferObject());
        return framebuffers_.back();
    }

    rawgl::Image Read(IFramebufferObject* framebuffer, int w, int h) {
        device_->GetFramebuffer()->BindFramebufferObject(framebuffer);
        std::vector<uint8_t> bytes(static_cast<size_t>(w) * h * 4);
        EXPECT_TRUE(
            device_->GetFramebuffer()->ReadPixels(0, 0, w, h, FORMAT_RGBA, PIXEL_TYPE_UNSIGNED_BYTE, 1, bytes.data()));
        rawgl::Image image = rawgl::MakeImage(w, h);
        for (size_t i = 0; i < bytes.size(); ++i) image.rgba[i] = bytes[i] / 255.0f;
        return image;
    }

    std::unique_ptr<IDevice> device_;
    std::vector<IShaderProgram*> programs_;
    std::vector<ITexture2D*> textures_;
    std::vector<IFramebufferObject*> framebuffers_;
    IVertexArrayObject* quad_ = nullptr;
    IVertexBuffer* quadBuffer_ = nullptr;
};

// The builders with the arguments the engine passes (and long kernels past a cap of 16).
std::vector<std::pair<const char*, Builder>> EngineBuilders() {
    std::vector<std::pair<const char*, Builder>> all;
    for (int taps : {5, 21}) {
        for (int direction : {0, 1}) {
            all.emplace_back("difference of Gaussians", [=](IShaderProgram** s, int cap) {
                SS::BuildDifferenceOfGaussiansPassProgram(s, taps, 5, direction, false, cap, 1, 2, 1.0, 1.6, 0.4, 0.7f);
            });
            all.emplace_back("scaled blur", [=](IShaderProgram** s, int cap) {
                SS::BuildScaledBlurPassProgram(s, taps, 3, direction, false, false, 0, cap, 2, 2.0, 1.0);
            });
            all.emplace_back("range-weighted blur", [=](IShaderProgram** s, int cap) {
                SS::BuildSeparableRangeWeightedBlurProgram(s, taps == 5, taps, direction, direction ? 2 : 4, cap, 2,
                                                           2.0, 1.0);
            });
        }
        all.emplace_back("box mean vertical", [=](IShaderProgram** s, int cap) {
            SS::BuildBoxMeanPassProgram(s, taps, 1, true, false, 1, true, cap, 2);
        });
        all.emplace_back("box mean horizontal alpha", [=](IShaderProgram** s, int cap) {
            SS::BuildBoxMeanPassProgram(s, taps, 0, false, true, 0, true, cap, 2);
        });
        all.emplace_back("box mean horizontal red", [=](IShaderProgram** s, int cap) {
            SS::BuildBoxMeanPassProgram(s, taps, 0, false, false, 1, true, cap, 2);
        });
        for (bool along : {false, true}) {
            all.emplace_back("flow blur", [=](IShaderProgram** s, int cap) {
                SS::BuildFlowBlurProgram(s, 4, taps, along, cap, 2, false, false, 2.0, 1.0);
            });
            all.emplace_back("flow range-weighted blur", [=](IShaderProgram** s, int cap) {
                SS::BuildFlowRangeWeightedBlurProgram(s, taps == 21, taps, along, along ? 1 : 4, cap, 2, false, 2.0,
                                                      1.0, false);
            });
            all.emplace_back("flow bilateral", [=](IShaderProgram** s, int cap) {
                SS::BuildFlowBilateralProgram(s, along ? 3 : 4, taps, along, 2, cap, 2, true, 2.0, 0.2f, 1.0, false);
            });
        }
    }
    for (int alpha : {0, 1, 2, 4, 3})
        all.emplace_back("copy",
                         [=](IShaderProgram** s, int cap) { SS::BuildCopyProgram(s, false, alpha, true, 4, cap, 2); });
    all.emplace_back("flow smoothing", [](IShaderProgram** s, int cap) {
        SS::BuildFlowSmoothingProgram(s, 4, false, false, false, cap, 2, false, 1.0f);
    });
    for (int channel : {0, 1})
        all.emplace_back("gradient", [=](IShaderProgram** s, int cap) {
            SS::BuildGradientProgram(s, cap, 2, false, channel, channel);
        });
    all.emplace_back("noisy eigenvector", [](IShaderProgram** s, int cap) {
        SS::BuildNoisyEigenvectorProgram(s, false, cap, 2, false, 0.5f);
    });
    return all;
}

TEST_F(Builders, EveryEngineProgramBuildsAtBothVaryingCaps) {
    for (int cap : {16, 64})
        for (const auto& [name, build] : EngineBuilders()) {
            IShaderProgram* program = Build(build, cap);
            ASSERT_NE(program, nullptr) << name;
            EXPECT_TRUE(program->IsBuilt()) << name << " at cap " << cap;
        }
}

TEST_F(Builders, FilledSlotIsLeftAlone) {
    IShaderProgram* existing = device_->GetShader()->CreateProgram();
    programs_.push_back(existing);
    IShaderProgram* slot = existing;
    for (const auto& [name, build] : EngineBuilders()) {
        build(&slot, 16);
        EXPECT_EQ(slot, existing) << name;
    }
    EXPECT_FALSE(existing->IsBuilt());
}

// Arguments without a valid text give an unbuilt program in the slot (so the caller does not
// retry every frame) instead of a crash or a GL compile of broken text.
TEST_F(Builders, RefusedArgumentsLeaveAnUnbuiltProgram) {
    const Builder refused[] = {
        [](IShaderProgram** s, int cap) { SS::BuildCopyProgram(s, false, 5, true, 4, cap, 2); },
        [](IShaderProgram** s, int cap) {
            SS::BuildDifferenceOfGaussiansPassProgram(s, 9, 5, 0, false, cap, 1, 2, -1.0, 1.6, 1.0, 1.0f);
        },
        [](IShaderProgram** s, int cap) {
            SS::BuildScaledBlurPassProgram(s, 9, 2, 0, false, false, 0, cap, 2, 2.0, 1.0);
        },
        [](IShaderProgram** s, int cap) {
            SS::BuildFlowSmoothingProgram(s, 7, false, false, false, cap, 2, false, 1.0f);
        },
        // an infinite spacing (a filter scale of 0) has no kernel
        [](IShaderProgram** s, int cap) {
            SS::BuildScaledBlurPassProgram(s, 9, 3, 0, false, false, 0, cap, 2, 2.0, 1.0 / 0.0);
        },
        [](IShaderProgram** s, int cap) {
            SS::BuildFlowBilateralProgram(s, 4, 9, true, 0, cap, 2, false, 2.0, 0.0f, 1.0, false);
        },
    };
    for (const Builder& build : refused) {
        IShaderProgram* program = Build(build, 16);
        ASSERT_NE(program, nullptr);
        EXPECT_FALSE(program->IsBuilt());
    }
}

// Tap counts the text cannot use are raised to three: the program still builds.
TEST_F(Builders, SmallAndEvenTapCountsStillBuild) {
    for (int taps : {-1, 0, 1, 2, 4}) {
        EXPECT_TRUE(
            Build([taps](IShaderProgram** s,
                         int cap) { SS::BuildScaledBlurPassProgram(s, taps, 3, 0, false, false, 0, cap, 2, 1.0, 1.0); },
                  16)
                ->IsBuilt())
            << taps;
        EXPECT_TRUE(Build([taps](IShaderProgram** s,
                                 int cap) { SS::BuildBoxMeanPassProgram(s, taps, 1, true, false, 1, true, cap, 2); },
                          16)
                        ->IsBuilt())
            << taps;
    }
    // All side weights negligible: trimming keeps the three taps the text reads.
    EXPECT_TRUE(Build(
                    [](IShaderProgram** s, int cap) {
                        SS::BuildDifferenceOfGaussiansPassProgram(s, 9, 5, 0, false, cap, 1, 2, 0.05, 1.6, 1.0, 0.1f);
                    },
                    16)
                    ->IsBuilt());
}

// A tap step of 0 asks GaussianTapCount for two billion taps: the programs are refused at once
// instead of computing (and allocating) their weights.
TEST_F(Builders, AbsurdTapCountsAreRefused) {
    testing::internal::CaptureStderr();
    IShaderProgram* slots[4] = {};
    SS::BuildStructureTensorPrograms(&slots[0], &slots[1], &slots[2], &slots[3], -1, 16, 2, false, 1.0, 0.0, 0.5f,
                                     false, 0, 0);
    for (IShaderProgram* p : slots) {
        ASSERT_NE(p, nullptr);
        programs_.push_back(p);
    }
    EXPECT_TRUE(slots[0]->IsBuilt()) << "the gradient needs no kernel";
    EXPECT_FALSE(slots[1]->IsBuilt());
    EXPECT_FALSE(slots[2]->IsBuilt());
    EXPECT_TRUE(slots[3]->IsBuilt());
    const int32_t huge = 2147483647;
    EXPECT_FALSE(
        Build([=](IShaderProgram** s,
                  int cap) { SS::BuildScaledBlurPassProgram(s, huge, 3, 0, false, false, 0, cap, 2, 2.0, 1.0); },
              16)
            ->IsBuilt());
    EXPECT_FALSE(Build([=](IShaderProgram** s,
                           int cap) { SS::BuildBoxMeanPassProgram(s, huge, 1, true, false, 1, true, cap, 2); },
                       16)
                     ->IsBuilt());
    EXPECT_FALSE(Build([=](IShaderProgram** s,
                           int cap) { SS::BuildFlowBlurProgram(s, 4, huge, true, cap, 2, false, false, 2.0, 1.0); },
                       16)
                     ->IsBuilt());
    const std::string log = testing::internal::GetCapturedStderr();
    EXPECT_NE(log.find("2147483647 taps"), std::string::npos) << log;
    // The largest count still written builds.
    EXPECT_TRUE(
        Build([](IShaderProgram** s,
                 int cap) { SS::BuildBoxMeanPassProgram(s, SS::kMaxTapCount, 0, false, false, 1, true, cap, 2); },
              16)
            ->IsBuilt());
}

TEST_F(Builders, StructureTensorSetFillsOnlyEmptySlots) {
    IShaderProgram* slots[4] = {};
    SS::BuildStructureTensorPrograms(&slots[0], &slots[1], &slots[2], &slots[3], -1, 16, 2, false, 1.0, 0.6, 0.5f,
                                     false, 0, 0);
    for (IShaderProgram* p : slots) {
        ASSERT_NE(p, nullptr);
        EXPECT_TRUE(p->IsBuilt());
        programs_.push_back(p);
    }
    // Only the smoothing slot empty while the tensor slot is set: neither is built.
    IShaderProgram* again[4] = {slots[0], nullptr, slots[2], slots[3]};
    SS::BuildStructureTensorPrograms(&again[0], &again[1], &again[2], &again[3], 5, 16, 2, false, 1.0, 0.6, 0.5f, false,
                                     0, 0);
    EXPECT_EQ(again[1], nullptr);
    EXPECT_EQ(again[2], slots[2]);
}

// The two-pass driver with a scaled blur pair: vertical into the intermediate, horizontal into
// the destination.
TEST_F(Builders, SeparablePassesBlurLikeTheFullGaussian) {
    const int w = 20, h = 12;
    const rawgl::Image picture = reference::TestPicture(w, h);
    IShaderProgram* vertical =
        Build([](IShaderProgram** s,
                 int cap) { SS::BuildScaledBlurPassProgram(s, 9, 3, 1, false, false, 0, cap, 2, 2.0, 1.0); },
              16);
    IShaderProgram* horizontal =
        Build([](IShaderProgram** s,
                 int cap) { SS::BuildScaledBlurPassProgram(s, 9, 3, 0, false, false, 0, cap, 2, 2.0, 1.0); },
              16);
    ITexture2D* source = Texture(&picture, w, h, true);
    ITexture2D* intermediate = Texture(nullptr, w, h, true);
    ITexture2D* destination = Texture(nullptr, w, h, true);
    IFramebufferObject* first = Framebuffer();
    IFramebufferObject* second = Framebuffer();
    const QV::Math::CVector2<float> inverse(1.0f / w, 1.0f / h);
    RenderSeparablePasses(device_.get(), device_->GetFramebuffer(), device_->GetTexture(), vertical, horizontal, Quad(),
                          first, second, source, intermediate, &inverse, destination);
    std::vector<double> weights;
    QV::Math::ComputeGaussianWeights(9, weights, 2.0, 1.0);
    const rawgl::Image expected =
        reference::Convolve(reference::QuantizeAll(reference::Convolve(picture, weights, true, 3)), weights, false, 3);
    reference::ExpectClose(Read(second, w, h), expected, 2.5f / 255.0f, "", {0, 1, 2});
}

// A vertical edge through the whole chain gives the flow along the edge, (0, 1) packed as
// (0.5, 1.0), in the output texture, with or without the noise pass (a noise of exactly one
// half turns nothing).
TEST_F(Builders, StructureTensorPassesGiveTheFlowOfAnEdge) {
    const int w = 16, h = 16;
    rawgl::Image edge = rawgl::MakeImage(w, h);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) edge.at(x, y, 3) = x < 8 ? 0.1f : 0.9f;
    rawgl::Image half = rawgl::MakeImage(w, h);
    for (float& v : half.rgba) v = 128.0f / 255.0f;
    for (bool noisePass : {false, true}) {
        IShaderProgram* slots[4] = {};
        SS::BuildStructureTensorPrograms(&slots[0], &slots[1], &slots[2], &slots[3], 5, 16, 2, false, 1.0, 1.0, 0.5f,
                                         false, 0, 0);
        for (IShaderProgram* p : slots) programs_.push_back(p);
        ITexture2D* input = Texture(&edge, w, h, false);
        ITexture2D* noise = Texture(&half, w, h, false);
        ITexture2D* output = Texture(nullptr, w, h, false);
        ITexture2D* scratch = Texture(nullptr, w, h, false);
        IFramebufferObject* framebuffer = Framebuffer();
        const QV::Math::CVector2<float> inverse(1.0f / w, 1.0f / h);
        RenderStructureTensorPasses(device_.get(), device_->GetFramebuffer(), device_->GetTexture(), slots[0], slots[1],
                                    slots[2], slots[3], Quad(), noise, &inverse, &inverse, noisePass, framebuffer,
                                    input, output, scratch);
        framebuffer->AttachTexture(ATTACHMENT_COLOR0, output);
        const rawgl::Image flow = Read(framebuffer, w, h);
        for (int x = 6; x < 10; ++x) {
            EXPECT_NEAR(flow.at(x, 8, 0), 0.5f, 3.0f / 255.0f) << x << (noisePass ? " noise" : "");
            EXPECT_NEAR(flow.at(x, 8, 1), 1.0f, 1.0f / 255.0f) << x << (noisePass ? " noise" : "");
        }
    }
}

}  // namespace
