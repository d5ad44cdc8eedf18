// Construction and destruction of the engine, its program slots and the release of its GPU
// resources.

#include "engine/AmbrelGraphicsController.h"
#include "engine/QVFramebufferFrame.h"

#include <stdexcept>

#include "gpu/Device.h"
#include "gpu/Framebuffer.h"
#include "gpu/Shader.h"
#include "gpu/Texture.h"
#include "gpu/VertexArray.h"

using namespace QV::Graphics;
using QV::Math::CMatrix4;

namespace {

IDevice& CurrentDevice() {
    IDevice* device = CDevice::GetCurrentDevice();
    if (!device) throw std::runtime_error("the engine needs a current graphics device");
    return *device;
}

}  // namespace

const CTextureTemplate& AmbrelGraphicsController::LinearTextureTemplate() {
    static const CTextureTemplate linear(FILTER_LINEAR, FILTER_LINEAR, WRAP_CLAMP_TO_EDGE, WRAP_CLAMP_TO_EDGE);
    return linear;
}

const CTextureTemplate& AmbrelGraphicsController::NearestTextureTemplate() {
    static const CTextureTemplate nearest(FILTER_NEAREST, FILTER_NEAREST, WRAP_CLAMP_TO_EDGE, WRAP_CLAMP_TO_EDGE);
    return nearest;
}

AmbrelGraphicsController::AmbrelGraphicsController(std::string resourceDirectory)
    : resourceDirectory(std::move(resourceDirectory)) {
    IDevice& device = CurrentDevice();
    shaderSets.AttachDevice(&device);
    outputMatrix = CMatrix4<float>::Identity();
    inputTextureMatrix = CMatrix4<float>::Identity();
    zoomMatrix = CMatrix4<float>::Identity();
    textureStorage = device.HasTextureStorage();

    // The unit quad, drawn as a triangle strip by every pass.
    static const float quad[8] = {0, 0, 1, 0, 0, 1, 1, 1};
    IVertexArray* vertexArray = device.GetVertexArray();
    quadVertexBuffer = vertexArray->CreateVertexBuffer(true, 4, 8, quad);
    quadVertexArray = vertexArray->CreateVertexArrayObject();
    quadVertexArray->SetAttribute(quadVertexBuffer, 0, 2, DATA_TYPE_FLOAT, false, 8, 0);

    IFramebuffer* framebuffers = device.GetFramebuffer();
    videoFramebuffer = framebuffers->CreateFramebufferObject();
    for (OwnedFramebuffer& framebuffer : passFramebuffers) framebuffer = framebuffers->CreateFramebufferObject();

    maxVaryingVectors = device.GetShader()->GetMaxVaryingComponents() / 2;
    maxTextureSize = device.GetTexture()->GetMaxTextureSize();
}

AmbrelGraphicsController::~AmbrelGraphicsController() {
    // A recorder that outlives this engine (or finishes in its destructor) reads nothing from it.
    if (videoRecording.frameSource) videoRecording.frameSource->detach();
    videoRecording.recorder.reset();
    videoRecording.frameSource.reset();
    // The members' handles return every GPU object to the device that made it, and the
    // program sets every program, whichever device is current now.
}

// The level-0 and per-level working textures.
void AmbrelGraphicsController::DeleteWorkTextures() {
    for (OwnedTexture& texture : workTextures) texture.reset();
    for (OwnedTexture& texture : outputTextures) texture.reset();
    for (OwnedTexture& texture : noiseTextures) texture.reset();
    noiseFiltered = false;
    for (int i = 0; i < 6; ++i) {
        levelColorTextures[i].reset();
        levelPairTextures[i][0].reset();
        levelPairTextures[i][1].reset();
        levelHalfTextures[i].reset();
        levelNextTextures[i].reset();
        levelVectorTextures[i].reset();
        levelMaskTextures[i].reset();
    }
    halfColorTexture.reset();
    for (OwnedTexture& texture : coarseTextures) texture.reset();
}

// --- Programs ----------------------------------------------------------------------------

void AmbrelGraphicsController::ReleaseProgram(CShaderSetsShaderProgram& pair) { pair.Release(); }

void AmbrelGraphicsController::ReleasePrograms(std::initializer_list<int32_t> pairs) {
    ReleasePrograms(std::vector<int32_t>(pairs));
}

void AmbrelGraphicsController::ReleasePrograms(const std::vector<int32_t>& pairs) {
    for (int32_t pair : pairs) ReleaseProgram(shaderSets[pair]);
    shaderSets.MarkStale();
}

void AmbrelGraphicsController::PushStageUniforms(const sProcessingStage& stage) {
    CShaderSetsShaderProgram& pair = shaderSets[stage.pair];
    if (!pair[0] && !pair[1]) return;
    const UniformList uniforms = stage.uniforms(*this, StageContext());
    for (IShaderProgram* program : pair.programs)
        if (program) ApplyUniforms(*program, uniforms);
}

// --- Textures and device ------------------------------------------------------------------

void AmbrelGraphicsController::ReleaseLookTexture() { lookTexture.reset(); }

void AmbrelGraphicsController::ReleaseInputTextures() {
    inputTextures[0].texture.reset();
    inputTextures[1].texture.reset();
}

void AmbrelGraphicsController::ReleaseWorkingTextures() {
    if (currentOutput && currentOutput != lookTexture && currentOutput != inputTextures[0].texture &&
        currentOutput != inputTextures[1].texture)
        currentOutput = nullptr;  // it pointed at a working texture about to go
    DeleteWorkTextures();
    levelTextures.clear();
    levelFramebuffers.clear();
}

void AmbrelGraphicsController::ApplicationDidEnterBackground() { ReleaseWorkingTextures(); }

void AmbrelGraphicsController::SetRenderProgressBlock(std::function<void(double)> block) {
    renderProgressBlock = std::move(block);
}

void AmbrelGraphicsController::ResetContentScaleFactor() {
    CurrentDevice().RecreateOnScreenBuffers();
    inputReconfigureRequested = true;
}

int32_t AmbrelGraphicsController::MaxTextureSize() { return CurrentDevice().GetTexture()->GetMaxTextureSize(); }
