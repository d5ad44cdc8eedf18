#pragma once
// Every program text the engine asks the generator for, with the argument combinations it uses
// (and the neighbouring ones the builders accept), for a given varying cap.
#include <string>
#include <utility>
#include <vector>

#include "gpu/shadersource/ProgramTexts.h"

namespace shadersource_test {

using Named = std::pair<std::string, QV::Graphics::ShaderSource::ProgramText>;

std::vector<Named> AllEngineTexts(int varyingCap);

}  // namespace shadersource_test
