#include "engine/ShaderSets.h"

#include <cmath>
#include <cstdio>
#include <utility>

#include "engine/OwnedGpuObject.h"
#include "gpu/Device.h"

int32_t ScaledKernelSize(int32_t baseSize, float scale) {
    const float product = std::ceil(static_cast<float>(baseSize) * scale);
    if (!(product > static_cast<float>(baseSize)))  // also a NaN scale
        return baseSize;
    // Far beyond any image the engine takes; keeps the conversion defined.
    const int32_t c = product < 1e6f ? static_cast<int32_t>(product) : 999999;
    const int32_t odd = c % 2 ? c : c + 1;
    return odd > baseSize ? odd : baseSize;
}

int32_t sFilterScale::KernelSlot(int32_t baseSize) {
    switch (baseSize) {
    case 3: return 0;
    case 5: return 1;
    case 7: return 2;
    case 11: return 4;
    default: return 3;
    }
}

void sFilterScale::ComputeDerived() {
    for (int i = 0; i < 5; ++i) {
        kernelSizes[2 * i] = ScaledKernelSize(kBaseKernelSizes[i], scaleF);
        kernelSizes[2 * i + 1] = ScaledKernelSize(kBaseKernelSizes[i], requestedScaleF);
    }
    const float multiples[4] = {1.0f, 2.0f, 4.0f, 6.0f};
    for (int i = 0; i < 4; ++i) steps[i] = static_cast<int32_t>(std::ceil(multiples[i] * scaleF));
    inverseScale = 1.0 / scale;
    inverseRequestedScale = 1.0 / requestedScale;
}

sFilterScaleReduction ReduceFilterScale(double requested) {
    double s = requested < 2.0 / 3.0 ? 1.0 : requested;
    const double stored = s;
    int32_t halvings = 0;
    while (s > 2.0 && halvings < 2) {
        s *= 0.5;
        ++halvings;
    }
    if (s > 4.0 / 3.0) {
        s *= 0.5;
        ++halvings;
    }
    if (s <= 4.0 / 3.0) return {stored, s, halvings, halvings + 4};
    // Three halvings cannot bring the scale down (or it is not a number): no halving, and the
    // level count follows that, so that the pyramid matches the filters.
    return {0.0, 1.0, 0, 4};
}

CShaderSetsShaderProgram::~CShaderSetsShaderProgram() { Release(); }

void CShaderSetsShaderProgram::Release(int32_t variant) {
    QV::Graphics::IShaderProgram* program = std::exchange(programs[variant], nullptr);
    if (!program) return;
    QV::Graphics::IDevice* owner = device ? device : QV::Graphics::CDevice::GetCurrentDevice();
    if (!owner) {
        // Deleting a GL program needs its context; without a device to name one the object is
        // left behind rather than deleted against no context.
        std::fprintf(stderr, "program released without a graphics device\n");
        return;
    }
    WithDeviceCurrent(*owner, [owner, program] { owner->GetShader()->DeleteProgram(program); });
}

void CShaderSetsShaderProgram::Release() {
    Release(0);
    Release(1);
}
