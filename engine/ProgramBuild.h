#pragma once
// How the engine's own builders make a program: through the current device's shader manager,
// stored in its slot before it is built, with vaPosition at location 0, then given the
// unit-square projection and img0 on unit 0. The vertex text is the default one of the
// variant's precision unless the builder writes its own.
//
// A builder reads the settings of its stage and the program context: the slots, precision and
// filter-scale record of the variant it builds, the device's varying cap and what the stages
// read (ProcessingStage.h). The engine makes the context; builders never see the engine.

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

#include "engine/ProcessingStage.h"

class CShaderSets;
struct sFilterScale;

namespace QV::Graphics {
class IShaderProgram;
}

struct sProgramContext {
    CShaderSets& shaderSets;
    int32_t variant;                     // the program variant whose slots are filled
    const sFilterScale& filterScale;     // the record of the current filter-scale variant
    sStageContext stage;                 // its precision is the one every text is written in
    int32_t varyingCap = 16;             // vec4 varyings the device gives a program
    bool zoomAndSplit = true;            // the compare split is drawn (else left out of the text)
    std::string_view resourceDirectory;  // where the look images are read from

    int32_t Precision() const { return stage.precision; }
    // The slot of `pair` in the variant.
    QV::Graphics::IShaderProgram*& Slot(int32_t pair) const;
};

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
                                                 const std::function<std::string()>& writeFragment, const char* what);
