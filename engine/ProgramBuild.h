#pragma once
// How the engine's own builders make a program: through the current device's shader manager,
// stored in its slot before it is built, with vaPosition at location 0, then given the
// unit-square projection and img0 on unit 0. The vertex text is the default one of the
// variant's precision unless the builder writes its own.

#include <cstdint>
#include <functional>
#include <string>

class AmbrelGraphicsController;

namespace QV::Graphics {
class IShaderProgram;
}

// The two texts of a program with a vertex shader of its own.
struct sProgramText {
    std::string vertex;
    std::string fragment;
};

// Writes the texts with `write`, creates the program in `slot` and builds it. A text that cannot
// be written (an invalid setting, a non-finite number) or a program that fails to compile or
// link is logged under `what` and stays unbuilt in the slot, so that the pass is skipped until
// the pair is released. Returns the program (null without a current device).
QV::Graphics::IShaderProgram* BuildEngineProgram(QV::Graphics::IShaderProgram*& slot,
                                                 const std::function<sProgramText()>& write, const char* what);
// The same with the default vertex shader of `precision` and the fragment text of `writeFragment`.
QV::Graphics::IShaderProgram* BuildEngineProgram(QV::Graphics::IShaderProgram*& slot, int32_t precision,
                                                 const std::function<std::string()>& writeFragment,
                                                 const char* what);

// The float precision of the current filter-scale variant, which every builder writes.
int32_t VariantPrecision(const AmbrelGraphicsController& engine);
// The slot of `pair` in the current program variant.
QV::Graphics::IShaderProgram*& VariantSlot(AmbrelGraphicsController& engine, int32_t pair);
