#pragma once
// Vertex data without GL vertex array objects: vertex buffers, 16-bit index buffers, a client-side
// vertex array object that records the attribute layout and re-issues it only when needed, and
// the manager that creates them and shadows the buffer bindings and the line width.
#include <cstdint>
#include <vector>

#include "gpu/GLEnums.h"

namespace QV::Graphics {

class IVertexBuffer {
public:
    virtual ~IVertexBuffer() = default;
    // Null for a static, unnamed or already mapped buffer, or when GL refuses.
    virtual void* Map() = 0;
    // Copies `count` vertices to vertex `first` of the mapping.
    virtual bool Write(uint32_t first, uint32_t count, const void* data) = 0;
    virtual bool Unmap() = 0;
    // Replaces the contents of a dynamic buffer with `count` vertices.
    virtual bool SetData(uint32_t count, const void* data) = 0;
    virtual uint32_t GetVertexCount() const = 0;
    virtual uint32_t GetStride() const = 0;
};

class CVertexBuffer : public IVertexBuffer {
public:
    CVertexBuffer(bool isStatic, uint32_t vertexCount, uint32_t stride, const void* data);
    ~CVertexBuffer() override;
    CVertexBuffer(const CVertexBuffer&) = delete;
    CVertexBuffer& operator=(const CVertexBuffer&) = delete;

    void* Map() override;
    bool Write(uint32_t first, uint32_t count, const void* data) override;
    bool Unmap() override;
    bool SetData(uint32_t count, const void* data) override;
    uint32_t GetVertexCount() const override { return vertexCount; }
    uint32_t GetStride() const override { return stride; }

    // Binds to GL_ARRAY_BUFFER unless it is bound already; true when it issued the bind.
    bool Bind();
    uint32_t GetName() const { return buffer; }

private:
    uint32_t buffer = 0;
    uint32_t vertexCount = 0;
    uint32_t stride = 0;
    int32_t isStatic = 0;
    void* mapped = nullptr;
};

class IIndexBuffer {
public:
    virtual ~IIndexBuffer() = default;
    virtual uint32_t GetCount() const = 0;
};

class CIndexBuffer : public IIndexBuffer {
public:
    CIndexBuffer(uint32_t count, const uint16_t* indices);
    ~CIndexBuffer() override;
    CIndexBuffer(const CIndexBuffer&) = delete;
    CIndexBuffer& operator=(const CIndexBuffer&) = delete;

    uint32_t GetCount() const override { return count; }
    bool Bind();
    uint32_t GetName() const { return buffer; }

private:
    uint32_t buffer = 0;
    uint32_t count = 0;
};

class IVertexArrayObject {
public:
    virtual ~IVertexArrayObject() = default;
    // Records attribute `index` as `size` components of `type` at `offset` bytes in each
    // `stride`-byte vertex of the buffer. False, with nothing changed, for an index at or above
    // the attribute limit, a null buffer, or a buffer whose vertex count differs from the
    // object's (set by the first buffer given).
    virtual bool SetAttribute(IVertexBuffer* buffer, uint32_t index, int32_t size, eDataType type, bool normalized,
                              int32_t stride, uintptr_t offset) = 0;
    virtual void DisableAttribute(uint32_t index) = 0;
    virtual void SetIndexBuffer(IIndexBuffer* indices) = 0;
};

class CVertexArrayObject : public IVertexArrayObject {
public:
    explicit CVertexArrayObject(int32_t maxAttributes);

    bool SetAttribute(IVertexBuffer* buffer, uint32_t index, int32_t size, eDataType type, bool normalized,
                      int32_t stride, uintptr_t offset) override;
    void DisableAttribute(uint32_t index) override;
    void SetIndexBuffer(IIndexBuffer* indices) override;

    // Issues the layout to GL unless GL holds it already.
    void Apply();
    void Draw(ePrimitive primitive);
    void DrawRange(ePrimitive primitive, int32_t first, int32_t count);

    uint32_t GetEnableMask() const { return enableMask; }
    uint32_t GetVertexCount() const { return vertexCount; }
    IIndexBuffer* GetIndexBuffer() const { return indexBuffer; }

private:
    struct Attribute {
        IVertexBuffer* buffer = nullptr;
        int32_t size = 0;
        uint32_t type = 0;
        bool normalized = false;
        int32_t stride = 0;
        uintptr_t offset = 0;
    };
    std::vector<Attribute> attributes;
    uint32_t vertexCount = 0;
    uint32_t enableMask = 0;
    uint32_t changeFlags = 0;  // 1 layout changed, 2 index buffer changed
    IIndexBuffer* indexBuffer = nullptr;
};

class IVertexArray {
public:
    virtual ~IVertexArray() = default;
    virtual IVertexBuffer* CreateVertexBuffer(bool isStatic, uint32_t vertexCount, uint32_t stride,
                                              const void* data) = 0;
    virtual void DeleteVertexBuffer(IVertexBuffer* buffer) = 0;
    virtual IIndexBuffer* CreateIndexBuffer(uint32_t count, const uint16_t* indices) = 0;
    virtual void DeleteIndexBuffer(IIndexBuffer* buffer) = 0;
    virtual IVertexArrayObject* CreateVertexArrayObject() = 0;
    virtual void DeleteVertexArrayObject(IVertexArrayObject* object) = 0;
    virtual float GetLineWidth() const = 0;
    virtual void SetLineWidth(float width) = 0;
};

class CVertexArray : public IVertexArray {
public:
    CVertexArray() = default;
    IVertexBuffer* CreateVertexBuffer(bool isStatic, uint32_t vertexCount, uint32_t stride, const void* data) override;
    void DeleteVertexBuffer(IVertexBuffer* buffer) override;
    IIndexBuffer* CreateIndexBuffer(uint32_t count, const uint16_t* indices) override;
    void DeleteIndexBuffer(IIndexBuffer* buffer) override;
    IVertexArrayObject* CreateVertexArrayObject() override;
    void DeleteVertexArrayObject(IVertexArrayObject* object) override;
    float GetLineWidth() const override { return lineWidth; }
    void SetLineWidth(float width) override;

    void QueryLimits();
    int32_t GetMaxVertexAttributes() const { return maxVertexAttributes; }

    // Binding shadows shared by the objects.
    CVertexBuffer* boundArrayBuffer = nullptr;
    CIndexBuffer* boundElementBuffer = nullptr;
    CVertexArrayObject* appliedVertexArrayObject = nullptr;

private:
    float lineWidth = 1.0f;
    int32_t maxVertexAttributes = 0;
};

}  // namespace QV::Graphics
