#include "gpu/VertexArray.h"

#include <cstring>

#include "gpu/Device.h"
#include "gpu/GLCall.h"
#include "platform/opengles/GLES.h"
#include "platform/opengles/GLExtensions.h"

namespace QV::Graphics {
namespace {

CVertexArray* Manager() {
    IDevice* device = CDevice::GetCurrentDevice();
    return device ? static_cast<CVertexArray*>(device->GetVertexArray()) : nullptr;
}

// Binds `buffer` (named `name`) to `target` unless the manager's shadow of that target already
// names it; true when it issued the bind.
template <typename Buffer>
bool BindShadowed(GLenum target, uint32_t name, Buffer* buffer, Buffer* CVertexArray::*shadow) {
    CVertexArray* manager = Manager();
    if (name == 0 || (manager && manager->*shadow == buffer)) return false;
    QV_GL(glBindBuffer, target, name);
    if (manager) manager->*shadow = buffer;
    return true;
}

}  // namespace

// ---- vertex buffers ----

CVertexBuffer::CVertexBuffer(bool isStatic_, uint32_t vertexCount_, uint32_t stride_, const void* data)
    : vertexCount(vertexCount_), stride(stride_), isStatic(isStatic_ ? 1 : 0) {
    QV_GL(glGenBuffers, 1, &buffer);
    Bind();
    size_t size = static_cast<size_t>(stride) * vertexCount;
    QV_GL(glBufferData, static_cast<GLenum>(GL_ARRAY_BUFFER), static_cast<GLsizeiptr>(size), nullptr,
          static_cast<GLenum>(isStatic ? GL_STATIC_DRAW : GL_DYNAMIC_DRAW));
    if (data && size) {
        void* memory = QV_GL(platform::gles::MapBufferOES, static_cast<GLenum>(GL_ARRAY_BUFFER),
                             static_cast<GLenum>(GL_WRITE_ONLY_OES));
        if (memory) std::memcpy(memory, data, size);
        QV_GL(platform::gles::UnmapBufferOES, static_cast<GLenum>(GL_ARRAY_BUFFER));
    }
}

CVertexBuffer::~CVertexBuffer() {
    if (buffer) QV_GL(glDeleteBuffers, 1, &buffer);
}

bool CVertexBuffer::Bind() { return BindShadowed(GL_ARRAY_BUFFER, buffer, this, &CVertexArray::boundArrayBuffer); }

void* CVertexBuffer::Map() {
    if (buffer == 0 || mapped || isStatic) return nullptr;
    Bind();
    mapped = QV_GL(platform::gles::MapBufferOES, static_cast<GLenum>(GL_ARRAY_BUFFER),
                   static_cast<GLenum>(GL_WRITE_ONLY_OES));
    return mapped;
}

bool CVertexBuffer::Write(uint32_t first, uint32_t count, const void* data) {
    if (!mapped || !data) return false;
    if (static_cast<uint64_t>(first) + count > vertexCount) return false;
    std::memcpy(static_cast<char*>(mapped) + static_cast<size_t>(first) * stride, data,
                static_cast<size_t>(count) * stride);
    return true;
}

bool CVertexBuffer::Unmap() {
    if (!mapped) return false;
    mapped = nullptr;
    QV_GL(platform::gles::UnmapBufferOES, static_cast<GLenum>(GL_ARRAY_BUFFER));
    return true;
}

bool CVertexBuffer::SetData(uint32_t count, const void* data) {
    if (!data || count == 0 || isStatic) return false;
    vertexCount = count;
    Bind();
    QV_GL(glBufferData, static_cast<GLenum>(GL_ARRAY_BUFFER),
          static_cast<GLsizeiptr>(static_cast<size_t>(stride) * count), nullptr, static_cast<GLenum>(GL_DYNAMIC_DRAW));
    if (!Map()) return false;
    bool written = Write(0, count, data);
    Unmap();
    return written;
}

// ---- index buffers ----

CIndexBuffer::CIndexBuffer(uint32_t count_, const uint16_t* indices) : count(count_) {
    QV_GL(glGenBuffers, 1, &buffer);
    Bind();
    if (indices && count * 2 != 0)
        QV_GL(glBufferData, static_cast<GLenum>(GL_ELEMENT_ARRAY_BUFFER),
              static_cast<GLsizeiptr>(static_cast<size_t>(count) * 2), static_cast<const void*>(indices),
              static_cast<GLenum>(GL_STATIC_DRAW));
}

CIndexBuffer::~CIndexBuffer() {
    if (buffer) QV_GL(glDeleteBuffers, 1, &buffer);
}

bool CIndexBuffer::Bind() {
    return BindShadowed(GL_ELEMENT_ARRAY_BUFFER, buffer, this, &CVertexArray::boundElementBuffer);
}

// ---- vertex array objects ----

CVertexArrayObject::CVertexArrayObject(int32_t maxAttributes)
    : attributes(static_cast<size_t>(maxAttributes > 0 ? maxAttributes : 0)) {}

bool CVertexArrayObject::SetAttribute(IVertexBuffer* buffer, uint32_t index, int32_t size, eDataType type,
                                      bool normalized, int32_t stride, uintptr_t offset) {
    // The enable mask has 32 bits; GL has at most that many attributes here.
    if (!buffer || index >= attributes.size() || index >= 32) return false;
    if (vertexCount != 0 && buffer->GetVertexCount() != vertexCount) return false;
    if (vertexCount == 0) vertexCount = buffer->GetVertexCount();
    attributes[index] = {buffer, size, ConvertDataType(type), normalized, stride, offset};
    enableMask |= 1u << index;
    changeFlags |= 1u;
    return true;
}

void CVertexArrayObject::DisableAttribute(uint32_t index) {
    if (index >= 32) return;
    enableMask &= ~(1u << index);
    changeFlags |= 1u;
}

void CVertexArrayObject::SetIndexBuffer(IIndexBuffer* indices) {
    indexBuffer = indices;
    changeFlags |= 2u;
}

void CVertexArrayObject::Apply() {
    CVertexArray* manager = Manager();
    if (!manager) return;
    bool applied = manager->appliedVertexArrayObject == this;
    // GL ES 2 has one element-array binding for everything: creating an index buffer binds it,
    // so an applied object's indices may have been replaced behind its back.
    bool indicesBound = !indexBuffer || manager->boundElementBuffer == indexBuffer;
    if (applied && changeFlags == 0 && indicesBound) return;
    if (!applied || (changeFlags & 1u)) {
        for (uint32_t i = 0; i < attributes.size() && i < 32; ++i) {
            if (!(enableMask & (1u << i))) continue;
            const Attribute& a = attributes[i];
            static_cast<CVertexBuffer*>(a.buffer)->Bind();
            QV_GL(glVertexAttribPointer, static_cast<GLuint>(i), a.size, static_cast<GLenum>(a.type),
                  static_cast<GLboolean>(a.normalized), a.stride, reinterpret_cast<const void*>(a.offset));
        }
    }
    if (!applied || (changeFlags & 2u) || !indicesBound) {
        if (indexBuffer) {
            static_cast<CIndexBuffer*>(indexBuffer)->Bind();
        } else if (manager->boundElementBuffer) {
            QV_GL(glBindBuffer, static_cast<GLenum>(GL_ELEMENT_ARRAY_BUFFER), 0u);
            manager->boundElementBuffer = nullptr;
        }
    }
    changeFlags = 0;
    manager->appliedVertexArrayObject = this;
}

void CVertexArrayObject::Draw(ePrimitive primitive) {
    if (primitive < PRIMITIVE_POINTS || primitive > PRIMITIVE_TRIANGLES) return;
    Apply();
    GLenum mode = ConvertPrimitive(primitive);
    if (indexBuffer)
        QV_GL(glDrawElements, mode, static_cast<GLsizei>(indexBuffer->GetCount()),
              static_cast<GLenum>(GL_UNSIGNED_SHORT), static_cast<const void*>(nullptr));
    else QV_GL(glDrawArrays, mode, 0, static_cast<GLsizei>(vertexCount));
}

void CVertexArrayObject::DrawRange(ePrimitive primitive, int32_t first, int32_t count) {
    if (primitive < PRIMITIVE_POINTS || primitive > PRIMITIVE_TRIANGLES) return;
    Apply();
    GLenum mode = ConvertPrimitive(primitive);
    if (indexBuffer)
        QV_GL(glDrawElements, mode, count, static_cast<GLenum>(GL_UNSIGNED_SHORT),
              reinterpret_cast<const void*>(static_cast<uintptr_t>(first) * 2));
    else QV_GL(glDrawArrays, mode, first, count);
}

// ---- manager ----

IVertexBuffer* CVertexArray::CreateVertexBuffer(bool isStatic, uint32_t vertexCount, uint32_t stride,
                                                const void* data) {
    return new CVertexBuffer(isStatic, vertexCount, stride, data);
}

void CVertexArray::DeleteVertexBuffer(IVertexBuffer* buffer) {
    if (!buffer) return;
    if (boundArrayBuffer == buffer) boundArrayBuffer = nullptr;
    delete buffer;
}

IIndexBuffer* CVertexArray::CreateIndexBuffer(uint32_t count, const uint16_t* indices) {
    return new CIndexBuffer(count, indices);
}

void CVertexArray::DeleteIndexBuffer(IIndexBuffer* buffer) {
    if (!buffer) return;
    if (boundElementBuffer == buffer) boundElementBuffer = nullptr;
    delete buffer;
}

IVertexArrayObject* CVertexArray::CreateVertexArrayObject() { return new CVertexArrayObject(maxVertexAttributes); }

void CVertexArray::DeleteVertexArrayObject(IVertexArrayObject* object) {
    if (!object) return;
    if (appliedVertexArrayObject == object) appliedVertexArrayObject = nullptr;
    delete object;
}

void CVertexArray::SetLineWidth(float width) {
    if (!(width > 0) || width == lineWidth) return;
    QV_GL(glLineWidth, width);
    lineWidth = width;
}

void CVertexArray::QueryLimits() {
    QV_GL(glGetIntegerv, static_cast<GLenum>(GL_MAX_VERTEX_ATTRIBS), &maxVertexAttributes);
}

}  // namespace QV::Graphics
