#pragma once
// The engine's local-contrast textures read back after a render, as planes the chain
// reference (ChainReference.h) takes and gives: each stage of the engine can then be compared
// with the reference fed the engine's own inputs of that stage.
//
// What survives a render: the working input, the Gaussian levels, the box means' row sums, the
// bands (level 0's only without tone mapping, whose scratch it is), the statistics, the
// reconstructed levels (level 0 after the tone mapping) and the colour-corrected picture (only
// while no smoothing or line integral pass follows it: they draw over it). The local deviation is
// never stored: the combine sums the box's rows where it reads it.

#include <vector>

#include "engine/ChainReference.h"

namespace QV::Graphics {
class IDevice;
class ITexture2D;
}  // namespace QV::Graphics

namespace chainref {

// A texture's values: 8-bit textures as four channels, half-float ones as their one, two or
// four channels. An empty plane when there is no texture or it cannot be read.
Plane ReadTexture(QV::Graphics::IDevice& device, QV::Graphics::ITexture2D* texture);

struct CapturedChain {
    Plane input;                   // RGBA, luminance in alpha
    std::vector<Plane> gaussian;   // [k], 1 to levels - 1
    std::vector<Plane> bands;      // [k], 0 to levels - 2 ([0] empty under tone mapping)
    std::vector<Plane> boxSums;    // [k], 0 to levels - 2: the row sums of x − shift and its square
    std::vector<Plane> deviation;  // [k]: the box's deviation from those sums, as the combine reads it
    double brightnessStatistic = 0.0;
    double contrastK = 0.0;
    Plane base;
    std::vector<Plane> reconstructed;  // [i], 0 to levels - 2 ([0] after the tone mapping)
    Plane corrected;                   // RGBA after the colour correction
};

CapturedChain Capture(AmbrelGraphicsController& engine, QV::Graphics::IDevice& device);

// Each stage of the engine against the reference fed the engine's inputs of that stage.
struct StageDifference {
    std::string stage;
    Difference difference;
};
std::vector<StageDifference> CompareStages(const CapturedChain& captured, const ChainParameters& parameters);

}  // namespace chainref
