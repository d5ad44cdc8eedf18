// Construction and destruction of the engine, its program slots and the release of its GPU
// resources.

#include "engine/AmbrelGraphicsController.h"

#include <stdexcept>

#include "gpu/Device.h"
#include "gpu/Framebuffer.h"
#include "gpu/Shader.h"
#include "gpu/Texture.h"
#include "gpu/VertexArray.h"

using namespace QV::Graphics;
using QV::Math::CMatrix4;

namespace {

IDevice& CurrentDevice()
{
    IDevice* device = CDevice::GetCurrentDevice();
    if (!device)
        throw std::runtime_error("the engine needs a current graphics device");
    return *device;
}

} // namespace

const CTextureTemplate& AmbrelGraphicsController::LinearTextureTemplate()
{
    static const CTextureTemplate linear(FILTER_LINEAR, FILTER_LINEAR, WRAP_CLAMP_TO_EDGE, WRAP_CLAMP_TO_EDGE);
    return linear;
}

const CTextureTemplate& AmbrelGraphicsController::NearestTextureTemplate()
{
    static const CTextureTemplate nearest(FILTER_NEAREST, FILTER_NEAREST, WRAP_CLAMP_TO_EDGE, WRAP_CLAMP_TO_EDGE);
    return nearest;
}

AmbrelGraphicsController::AmbrelGraphicsController(std::string resourceDirectory)
    : resourceDirectory(std::move(resourceDirectory))
{
    IDevice& device = CurrentDevice();
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
    for (IFramebufferObject*& framebuffer : passFramebuffers)
        framebuffer = framebuffers->CreateFramebufferObject();

    maxVaryingVectors = device.GetShader()->GetMaxVaryingComponents() / 2;
    maxTextureSize = device.GetTexture()->GetMaxTextureSize();
}

AmbrelGraphicsController::~AmbrelGraphicsController()
{
    videoRecording.recorder.reset();
    videoRecording.frameSource.reset();

    IDevice* device = CDevice::GetCurrentDevice();
    if (!device)
        return;  // GPU objects cannot be deleted without their context; the programs say so

    DeleteWorkTextures();
    for (ITexture2D*& texture : unitTextures)
        DeleteTexture(texture);
    DeleteTexture(lookTexture);
    DeleteTexture(inputTextures[0].texture);
    DeleteTexture(inputTextures[1].texture);
    for (ITexture2D*& texture : videoRecording.ringTextures)
        DeleteTexture(texture);
    for (ITexture2D*& texture : levelTextures)
        DeleteTexture(texture);
    currentOutput = nullptr;

    IVertexArray* vertexArray = device->GetVertexArray();
    vertexArray->DeleteVertexBuffer(quadVertexBuffer);
    vertexArray->DeleteVertexArrayObject(quadVertexArray);
    quadVertexBuffer = nullptr;
    quadVertexArray = nullptr;

    IFramebuffer* framebuffers = device->GetFramebuffer();
    framebuffers->DeleteFramebufferObject(videoFramebuffer);
    videoFramebuffer = nullptr;
    for (IFramebufferObject*& framebuffer : passFramebuffers) {
        framebuffers->DeleteFramebufferObject(framebuffer);
        framebuffer = nullptr;
    }
    for (IFramebufferObject*& framebuffer : levelFramebuffers)
        framebuffers->DeleteFramebufferObject(framebuffer);
    levelFramebuffers.clear();
    // The members' own destructors follow: the vectors, then shaderSets (every program, the
    // last pair first), then frameRate.
}

void AmbrelGraphicsController::DeleteTexture(ITexture2D*& texture)
{
    if (!texture)
        return;
    CurrentDevice().GetTexture()->DeleteTexture(texture);
    texture = nullptr;
}

// The level-0 and per-level working textures, in the order the destructor deletes them.
void AmbrelGraphicsController::DeleteWorkTextures()
{
    for (ITexture2D*& texture : workTextures)
        DeleteTexture(texture);
    DeleteTexture(outputTextures[0]);
    DeleteTexture(outputTextures[1]);
    for (int i = 0; i < 6; ++i) {
        DeleteTexture(levelColorTextures[i]);
        DeleteTexture(levelPairTextures[i][0]);
        DeleteTexture(levelPairTextures[i][1]);
        DeleteTexture(levelHalfTextures[i]);
        DeleteTexture(levelNextTextures[i]);
        DeleteTexture(levelVectorTextures[i]);
        DeleteTexture(levelMaskTextures[i]);
    }
    DeleteTexture(halfColorTexture);
    for (ITexture2D*& texture : coarseTextures)
        DeleteTexture(texture);
}

// --- Programs ----------------------------------------------------------------------------

void AmbrelGraphicsController::ReleaseProgram(CShaderSetsShaderProgram& pair) { pair.Release(); }

void AmbrelGraphicsController::ReleasePrograms(std::initializer_list<int32_t> pairs)
{
    ReleasePrograms(std::vector<int32_t>(pairs));
}

void AmbrelGraphicsController::ReleasePrograms(const std::vector<int32_t>& pairs)
{
    for (int32_t pair : pairs)
        ReleaseProgram(shaderSets[pair]);
    shaderSets.MarkStale();
}

void AmbrelGraphicsController::PushStageUniforms(const sProcessingStage& stage)
{
    CShaderSetsShaderProgram& pair = shaderSets[stage.pair];
    if (!pair[0] && !pair[1])
        return;
    const UniformList uniforms = stage.uniforms(*this);
    for (IShaderProgram* program : pair.programs)
        if (program)
            ApplyUniforms(*program, uniforms);
}

// --- Textures and device ------------------------------------------------------------------

void AmbrelGraphicsController::ReleaseLookTexture() { DeleteTexture(lookTexture); }

void AmbrelGraphicsController::ReleaseInputTextures()
{
    DeleteTexture(inputTextures[0].texture);
    DeleteTexture(inputTextures[1].texture);
}

void AmbrelGraphicsController::ReleaseWorkingTextures()
{
    if (currentOutput && currentOutput != lookTexture && currentOutput != inputTextures[0].texture &&
        currentOutput != inputTextures[1].texture)
        currentOutput = nullptr;  // it pointed at a working texture about to go
    DeleteWorkTextures();
    for (ITexture2D*& texture : levelTextures)
        DeleteTexture(texture);
    levelTextures.clear();
    if (!levelFramebuffers.empty()) {
        IFramebuffer* framebuffers = CurrentDevice().GetFramebuffer();
        for (IFramebufferObject* framebuffer : levelFramebuffers)
            framebuffers->DeleteFramebufferObject(framebuffer);
        levelFramebuffers.clear();
    }
}

void AmbrelGraphicsController::ApplicationDidEnterBackground() { ReleaseWorkingTextures(); }

void AmbrelGraphicsController::SetRenderProgressBlock(std::function<void(double)> block)
{
    renderProgressBlock = std::move(block);
}

void AmbrelGraphicsController::ResetContentScaleFactor()
{
    CurrentDevice().RecreateOnScreenBuffers();
    inputReconfigureRequested = true;
}

int32_t AmbrelGraphicsController::MaxTextureSize() { return CurrentDevice().GetTexture()->GetMaxTextureSize(); }
