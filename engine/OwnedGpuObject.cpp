#include "engine/OwnedGpuObject.h"

#include "gpu/Device.h"

using namespace QV::Graphics;

IDevice* CurrentGraphicsDevice() { return CDevice::GetCurrentDevice(); }

void WithDeviceCurrent(IDevice& device, const std::function<void()>& work) {
    IDevice* previous = CDevice::GetCurrentDevice();
    if (previous == &device) {
        work();
        return;
    }
    // A device whose context is gone frees the objects' records all the same.
    device.MakeCurrent();
    work();
    if (previous) previous->MakeCurrent();
    else device.ReleaseCurrent();
}

void ReturnTexture(IDevice& device, ITexture2D* texture) { device.GetTexture()->DeleteTexture(texture); }

void ReturnFramebuffer(IDevice& device, IFramebufferObject* framebuffer) {
    device.GetFramebuffer()->DeleteFramebufferObject(framebuffer);
}

void ReturnVertexBuffer(IDevice& device, IVertexBuffer* buffer) { device.GetVertexArray()->DeleteVertexBuffer(buffer); }

void ReturnVertexArrayObject(IDevice& device, IVertexArrayObject* object) {
    device.GetVertexArray()->DeleteVertexArrayObject(object);
}
