// View rectangle, preview zoom and the before/after compare split.

#include <algorithm>
#include <cmath>

#include "engine/AmbrelGraphicsController.h"

using QV::Math::CMatrix4;

namespace {

// Stores a new split value; NaN and the value already held change nothing.
bool ChangeSplitValue(float& field, float value) {
    if (std::isnan(value) || value == field) return false;
    field = value;
    return true;
}

}  // namespace

void AmbrelGraphicsController::SetViewRect(int32_t x, int32_t y, int32_t width, int32_t height) {
    viewRect[0] = x;
    viewRect[1] = y;
    viewRect[2] = std::max(width, 1);
    viewRect[3] = std::max(height, 1);
    inputReconfigureRequested = true;
}

void AmbrelGraphicsController::SetZoom(float value) {
    if (!(value >= 1.0f) || value == zoom) return;
    zoom = value;
    zoomMatrix = value == 1.0f
                     ? CMatrix4<float>::Identity()
                     : CMatrix4<float>::Translation(0.5f, 0.5f, 0.0f) * CMatrix4<float>::Scale(value, value, 1.0f) *
                           CMatrix4<float>::Translation(-0.5f, -0.5f, 0.0f);
    matricesDirty = true;
}

void AmbrelGraphicsController::SetCompareShowing(bool on) {
    if (on == colorAdjustment.split.on) return;
    colorAdjustment.split.on = on;
    // The split is written into the colour-adjustment text.
    ReleasePrograms({kPairColorAdjustment});
}

void AmbrelGraphicsController::SetComparePoint(const float point[2]) {
    SetComparePointX(std::floor(point[0] + 0.5f) + 0.5f);
    SetComparePointY(std::floor(point[1] + 0.5f) + 0.5f);
}

void AmbrelGraphicsController::SetComparePointX(float x) {
    if (ChangeSplitValue(colorAdjustment.split.point.x, x)) PushSplitUniform();
}

void AmbrelGraphicsController::SetComparePointY(float y) {
    if (ChangeSplitValue(colorAdjustment.split.point.y, y)) PushSplitUniform();
}

void AmbrelGraphicsController::SetCompareAngle(float radians) {
    if (ChangeSplitValue(colorAdjustment.split.angle, radians)) PushSplitUniform();
}

void AmbrelGraphicsController::PushSplitUniform() {
    if (colorAdjustment.split.on) PushStageUniforms(kColorAdjustmentStage);
}
