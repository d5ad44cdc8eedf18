#pragma once
// An owning handle on one GPU object (texture, framebuffer object, vertex data) made through a
// device's managers. It remembers the device that was current when it took the object and,
// when it lets go, returns the object to that device's manager with that device current (made
// current for the moment when another one, or none, is), so that no destruction order has to
// be written by hand and nothing is left behind when no device is current. The handle must go
// before its device.
//
// It reads as the raw pointer it holds, so that passes bind and draw with it as before;
// assigning a raw pointer hands that object over (the previous one is returned).

#include <functional>
#include <utility>

namespace QV::Graphics {
class IDevice;
class ITexture2D;
class IFramebufferObject;
class IVertexBuffer;
class IVertexArrayObject;
}  // namespace QV::Graphics

// Runs `work` with `device` current, putting back whichever device was current before.
void WithDeviceCurrent(QV::Graphics::IDevice& device, const std::function<void()>& work);
// The device current on this thread, or null.
QV::Graphics::IDevice* CurrentGraphicsDevice();

template <typename Object, void (*Return)(QV::Graphics::IDevice&, Object*)>
class OwnedGpuObject {
public:
    OwnedGpuObject() = default;
    OwnedGpuObject(Object* object) : object_(object), device_(object ? CurrentGraphicsDevice() : nullptr) {}
    ~OwnedGpuObject() { reset(); }

    OwnedGpuObject(const OwnedGpuObject&) = delete;
    OwnedGpuObject& operator=(const OwnedGpuObject&) = delete;
    OwnedGpuObject(OwnedGpuObject&& other) noexcept
        : object_(std::exchange(other.object_, nullptr)), device_(std::exchange(other.device_, nullptr)) {}
    OwnedGpuObject& operator=(OwnedGpuObject&& other) noexcept {
        if (this != &other) {
            reset();
            object_ = std::exchange(other.object_, nullptr);
            device_ = std::exchange(other.device_, nullptr);
        }
        return *this;
    }
    OwnedGpuObject& operator=(Object* object) {
        reset(object);
        return *this;
    }

    // Returns the object held (if any) and takes `object`, made with the current device.
    void reset(Object* object = nullptr) {
        if (object == object_) return;
        Object* old = std::exchange(object_, object);
        QV::Graphics::IDevice* device = std::exchange(device_, object ? CurrentGraphicsDevice() : nullptr);
        if (old && device) WithDeviceCurrent(*device, [device, old] { Return(*device, old); });
    }

    Object* get() const { return object_; }
    Object* operator->() const { return object_; }
    operator Object*() const { return object_; }

private:
    Object* object_ = nullptr;
    QV::Graphics::IDevice* device_ = nullptr;
};

void ReturnTexture(QV::Graphics::IDevice& device, QV::Graphics::ITexture2D* texture);
void ReturnFramebuffer(QV::Graphics::IDevice& device, QV::Graphics::IFramebufferObject* framebuffer);
void ReturnVertexBuffer(QV::Graphics::IDevice& device, QV::Graphics::IVertexBuffer* buffer);
void ReturnVertexArrayObject(QV::Graphics::IDevice& device, QV::Graphics::IVertexArrayObject* object);

using OwnedTexture = OwnedGpuObject<QV::Graphics::ITexture2D, ReturnTexture>;
using OwnedFramebuffer = OwnedGpuObject<QV::Graphics::IFramebufferObject, ReturnFramebuffer>;
using OwnedVertexBuffer = OwnedGpuObject<QV::Graphics::IVertexBuffer, ReturnVertexBuffer>;
using OwnedVertexArrayObject = OwnedGpuObject<QV::Graphics::IVertexArrayObject, ReturnVertexArrayObject>;
