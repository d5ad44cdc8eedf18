#pragma once
// How the engine's own builders make a program: through the current device's shader manager,
// stored in its slot before it is built, from the default vertex shader of the variant's
// precision with vaPosition at location 0, then given the unit-square projection and img0.

#include <cstdint>
#include <functional>
#include <string>

namespace QV::Graphics {
class IShaderProgram;
}

// Writes the fragment text with `writeFragment`, creates the program in `slot` and builds it.
// A text that cannot be written (a non-finite number) or a program that fails to compile or
// link is logged under `what` and stays unbuilt in the slot, so that the pass is skipped until
// the pair is released. Returns the program (null without a current device).
QV::Graphics::IShaderProgram* BuildEngineProgram(QV::Graphics::IShaderProgram*& slot, int32_t precision,
                                                 const std::function<std::string()>& writeFragment,
                                                 const char* what);
