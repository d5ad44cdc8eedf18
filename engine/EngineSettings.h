#pragma once
// The engine's processing settings: the fields of every stage with their defaults. A default
// set of them is the one place the named parameters' defaults come from.

#include "engine/BrightnessStage.h"
#include "engine/ColorAdjustmentStage.h"
#include "engine/ColorCorrectionStage.h"
#include "engine/EngineModes.h"
#include "engine/EngineRecords.h"
#include "engine/LocalContrastStage.h"
#include "engine/NoiseReductionStage.h"

struct sEngineSettings {
    sNoiseReduction noiseReduction;
    sCIE cie;  // local contrast
    sBrightnessTone brightness;
    sColorCorrection colorCorrection;
    sColorAdjustment colorAdjustment;
    sSmoothing smoothing;
    sToneMapping toneMapping;
    eLuminanceStyle luminanceStyle = eLuminanceStyle::CIE;
};
