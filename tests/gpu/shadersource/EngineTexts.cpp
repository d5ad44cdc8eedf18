#include "EngineTexts.h"

#include "gpu/shadersource/Kernels.h"

namespace shadersource_test {

namespace SS = QV::Graphics::ShaderSource;

std::vector<Named> AllEngineTexts(int cap) {
    std::vector<Named> all;
    const auto add = [&all](std::string name, SS::ProgramText text) {
        all.emplace_back(std::move(name), std::move(text));
    };
    const int tapCounts[] = {3, 5, 9, 21, 41};
    for (int taps : tapCounts) {
        for (int direction = 0; direction < 2; ++direction) {
            const std::string suffix = " taps " + std::to_string(taps) + " dir " + std::to_string(direction);
            for (int format : {0, 4, 5})
                add("dog f" + std::to_string(format) + suffix,
                    SS::DifferenceOfGaussiansPassText(taps, format, direction, false, cap, 1, 2, 1.0, 1.6, 0.5, 0.8f));
            add("dog clip" + suffix,
                SS::DifferenceOfGaussiansPassText(taps, 5, direction, true, cap, 1, 1, 1.0, 1.6, 0.3, 2.0f));
            for (int format : {3, 4, 6})
                for (bool edge : {false, true})
                    add("scaled f" + std::to_string(format) + (edge ? " edge" : "") + suffix,
                        SS::ScaledBlurPassText(taps, format, direction, edge, false, 0, cap, 2, 1.5, 1.0));
            add("scaled box" + suffix,
                SS::ScaledBlurPassText(taps, 3, direction, false, true, 1, cap, 1, QV::Math::kBoxKernelSigma, 1.0));
            for (int mode : {0, 1, 2, 4})
                add("range m" + std::to_string(mode) + suffix,
                    SS::SeparableRangeWeightedBlurText(false, taps, direction, mode, cap, 2, 2.0, 1.0));
            for (bool floatSums : {true, false})
                for (bool readAlpha : {true, false})
                    add(std::string("box") + (floatSums ? " float" : " packed") + (readAlpha ? " a" : " r") + suffix,
                        SS::BoxMeanPassText(taps, direction, true, readAlpha, readAlpha ? 0 : 1, floatSums, cap, 2));
        }
        std::vector<double> w;
        QV::Math::ComputeGaussianWeights(taps, w, 1.0, 0.6);
        add("tensor smoothing taps " + std::to_string(taps), SS::TensorSmoothingPassText(taps, w, true, cap, 2));
        for (bool anisotropy : {false, true})
            add("tensor taps " + std::to_string(taps), SS::TensorPassText(taps, w, anisotropy, cap, 1));
        for (bool along : {false, true}) {
            const std::string suffix = " taps " + std::to_string(taps) + (along ? " along" : " across");
            for (int channels : {3, 4, 5})
                add("flow blur c" + std::to_string(channels) + suffix,
                    SS::FlowBlurText(channels, taps, along, cap, 2, !along, false, 2.0, 1.0));
            for (int mode : {0, 1, 2})
                add("flow bilateral c3 m" + std::to_string(mode) + suffix,
                    SS::FlowBilateralText(3, taps, along, mode, cap, 2, true, 2.0, 0.1f, 1.0, false));
            for (int channels : {4, 5})
                add("flow bilateral c" + std::to_string(channels) + suffix,
                    SS::FlowBilateralText(channels, taps, along, 0, cap, 1, false, 2.0, 0.2f, 1.0, true));
            for (int mode : {0, 1, 2, 4})
                add("flow range m" + std::to_string(mode) + suffix,
                    SS::FlowRangeWeightedBlurText(taps == 9, taps, along, mode, cap, 2, false, 2.0, 1.0, false));
        }
    }
    for (int channel : {0, 1, 2})
        for (bool minimum : {false, true})
            add("gradient ch" + std::to_string(channel),
                SS::GradientProgramText(cap, 2, minimum, channel, channel == 0 ? 0 : 1));
    for (bool anisotropy : {false, true})
        for (bool signedInput : {false, true})
            add("noisy eigenvector", SS::NoisyEigenvectorText(anisotropy, cap, 2, signedInput, 0.5f));
    for (int alpha = 0; alpha <= 4; ++alpha)
        for (int srgb : {0, 1, 2, 3, 4})
            for (bool swap : {false, true})
                add("copy a" + std::to_string(alpha) + " s" + std::to_string(srgb) + (swap ? " swap" : ""),
                    SS::CopyProgramText(swap, alpha, srgb != 1, srgb, cap, 2));
    for (int format = 0; format <= 6; ++format)
        for (bool edge : {false, true})
            for (bool across : {false, true})
                add("flow smoothing f" + std::to_string(format) + (edge ? " edge" : "") + (across ? " across" : ""),
                    SS::FlowSmoothingText(format, edge, across, across, cap, 2, edge, format == 4 ? 1.0f : 0.7f));
    return all;
}

}  // namespace shadersource_test
