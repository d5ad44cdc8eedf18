#pragma once
// A minimal way to compile generated texts and run them over small RGBA8 images on the test's
// current ES 2 context, without the GPU layer, so that the texts are checked on their own.
#include <cstdint>
#include <string>
#include <vector>

#include "platform/opengles/GLES.h"

namespace rawgl {

struct Image {
    int width = 0;
    int height = 0;
    std::vector<float> rgba;  // 4 floats per pixel in [0, 1], rows bottom-up like GL
    float at(int x, int y, int c) const { return rgba[(static_cast<size_t>(y) * width + x) * 4 + c]; }
    float& at(int x, int y, int c) { return rgba[(static_cast<size_t>(y) * width + x) * 4 + c]; }
};

Image MakeImage(int width, int height);

class Program {
public:
    Program(const std::string& vertex, const std::string& fragment);
    ~Program();
    Program(const Program&) = delete;
    Program& operator=(const Program&) = delete;
    bool ok() const { return id_ != 0; }
    const std::string& log() const { return log_; }
    GLuint id() const { return id_; }
    // Uniforms absent from the linked program are ignored.
    void Set1f(const char* name, float v);
    void Set2f(const char* name, float x, float y);
    void SetSampler(const char* name, int unit);
    void SetMatrix(const char* name, const float* columnMajor);
    // The unit-square-to-clip matrix the builders start with.
    void SetUnitSquare();

private:
    GLuint id_ = 0;
    std::string log_;
};

// A texture holding the image (8 bits per channel), owned by the caller (glDeleteTextures).
GLuint Upload(const Image& image, bool linear);
// Draws the unit quad through program into a new width x height RGBA8 texture with the given
// textures on units 0, 1, ...; returns that texture.
GLuint Render(Program& program, const std::vector<GLuint>& inputs, int width, int height);
Image Read(GLuint texture, int width, int height);
// Render followed by Read, deleting the target.
Image RenderImage(Program& program, const std::vector<GLuint>& inputs, int width, int height);

}  // namespace rawgl
