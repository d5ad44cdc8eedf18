#pragma once
// A minimal way to compile shader texts and run them over small RGBA8 images on the test's
// current ES 2 context, without the GPU layer, so that the texts are checked on their own.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "platform/opengles/GLES.h"
#include "support/TestImage.h"

namespace rawgl {

using Image = testimage::Image;

inline Image MakeImage(int width, int height) { return Image(width, height); }

// A compiled shader, or 0 with the compile log appended to `log`.
inline GLuint CompileShader(GLenum type, const std::string& text, std::string& log) {
    GLuint shader = glCreateShader(type);
    const char* source = text.c_str();
    glShaderSource(shader, 1, &source, nullptr);
    glCompileShader(shader);
    GLint status = 0;
    glGetShaderiv(shader, GL_COMPILE_STATUS, &status);
    if (status == 0) {
        char buffer[4096] = {};
        glGetShaderInfoLog(shader, sizeof(buffer) - 1, nullptr, buffer);
        log += (type == GL_VERTEX_SHADER ? "vertex: " : "fragment: ") + std::string(buffer);
        glDeleteShader(shader);
        return 0;
    }
    return shader;
}

// A linked program with vaPosition at location 0, or 0 with the compile or link log.
inline GLuint LinkProgram(const std::string& vertex, const std::string& fragment, std::string* logOut = nullptr) {
    std::string log;
    GLuint vs = CompileShader(GL_VERTEX_SHADER, vertex, log);
    GLuint fs = CompileShader(GL_FRAGMENT_SHADER, fragment, log);
    GLuint program = 0;
    if (vs && fs) {
        program = glCreateProgram();
        glAttachShader(program, vs);
        glAttachShader(program, fs);
        glBindAttribLocation(program, 0, "vaPosition");
        glLinkProgram(program);
        GLint status = 0;
        glGetProgramiv(program, GL_LINK_STATUS, &status);
        if (status == 0) {
            char buffer[4096] = {};
            glGetProgramInfoLog(program, sizeof(buffer) - 1, nullptr, buffer);
            log += "link: " + std::string(buffer);
            glDeleteProgram(program);
            program = 0;
        }
    }
    if (vs) glDeleteShader(vs);
    if (fs) glDeleteShader(fs);
    if (logOut) *logOut = log;
    return program;
}

class Program {
public:
    Program(const std::string& vertex, const std::string& fragment) : id_(LinkProgram(vertex, fragment, &log_)) {}
    ~Program() {
        if (id_) glDeleteProgram(id_);
    }
    Program(const Program&) = delete;
    Program& operator=(const Program&) = delete;
    bool ok() const { return id_ != 0; }
    const std::string& log() const { return log_; }
    GLuint id() const { return id_; }
    // Uniforms absent from the linked program are ignored.
    void Set1f(const char* name, float v) {
        glUseProgram(id_);
        glUniform1f(glGetUniformLocation(id_, name), v);
    }
    void Set2f(const char* name, float x, float y) {
        glUseProgram(id_);
        glUniform2f(glGetUniformLocation(id_, name), x, y);
    }
    void SetSampler(const char* name, int unit) {
        glUseProgram(id_);
        glUniform1i(glGetUniformLocation(id_, name), unit);
    }
    void SetMatrix(const char* name, const float* columnMajor) {
        glUseProgram(id_);
        glUniformMatrix4fv(glGetUniformLocation(id_, name), 1, GL_FALSE, columnMajor);
    }
    // The unit-square-to-clip matrix the builders start with.
    void SetUnitSquare() {
        const float m[16] = {2, 0, 0, 0, 0, 2, 0, 0, 0, 0, -1, 0, -1, -1, 0, 1};
        SetMatrix("uModelViewProjectionMatrix", m);
    }

private:
    std::string log_;
    GLuint id_ = 0;
};

// A clamped texture of the given pixels (8 bits per channel), owned by the caller
// (glDeleteTextures).
inline GLuint NewTexture(int width, int height, bool linear, const void* pixels, GLenum format = GL_RGBA) {
    GLuint texture = 0;
    glGenTextures(1, &texture);
    glBindTexture(GL_TEXTURE_2D, texture);
    const GLint filter = linear ? GL_LINEAR : GL_NEAREST;
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, filter);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, filter);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_CLAMP_TO_EDGE);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_CLAMP_TO_EDGE);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    glTexImage2D(GL_TEXTURE_2D, 0, format, width, height, 0, format, GL_UNSIGNED_BYTE, pixels);
    return texture;
}

// A texture holding the image (8 bits per channel), owned by the caller.
inline GLuint Upload(const Image& image, bool linear) {
    const std::vector<uint8_t> bytes = testimage::ToBytes(image);
    return NewTexture(image.width, image.height, linear, bytes.data());
}

// Draws the unit quad through the program (its uniforms already set) into a new width x height
// RGBA8 texture with the given textures on units 0, 1, ...; returns that texture.
inline GLuint Render(GLuint program, const std::vector<GLuint>& inputs, int width, int height) {
    GLuint target = NewTexture(width, height, true, nullptr);
    GLuint framebuffer = 0;
    glGenFramebuffers(1, &framebuffer);
    glBindFramebuffer(GL_FRAMEBUFFER, framebuffer);
    glFramebufferTexture2D(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_TEXTURE_2D, target, 0);
    EXPECT_EQ(glCheckFramebufferStatus(GL_FRAMEBUFFER), static_cast<GLenum>(GL_FRAMEBUFFER_COMPLETE));
    glViewport(0, 0, width, height);
    glClearColor(0, 0, 0, 0);
    glClear(GL_COLOR_BUFFER_BIT);
    for (size_t unit = 0; unit < inputs.size(); ++unit) {
        glActiveTexture(GL_TEXTURE0 + static_cast<GLenum>(unit));
        glBindTexture(GL_TEXTURE_2D, inputs[unit]);
    }
    glActiveTexture(GL_TEXTURE0);
    const float quad[12] = {0, 0, 0, 1, 0, 0, 0, 1, 0, 1, 1, 0};
    GLuint buffer = 0;
    glGenBuffers(1, &buffer);
    glBindBuffer(GL_ARRAY_BUFFER, buffer);
    glBufferData(GL_ARRAY_BUFFER, sizeof(quad), quad, GL_STATIC_DRAW);
    glEnableVertexAttribArray(0);
    glVertexAttribPointer(0, 3, GL_FLOAT, GL_FALSE, 0, nullptr);
    glUseProgram(program);
    glDrawArrays(GL_TRIANGLE_STRIP, 0, 4);
    glDisableVertexAttribArray(0);
    glBindBuffer(GL_ARRAY_BUFFER, 0);
    glDeleteBuffers(1, &buffer);
    glBindFramebuffer(GL_FRAMEBUFFER, 0);
    glDeleteFramebuffers(1, &framebuffer);
    return target;
}

inline GLuint Render(Program& program, const std::vector<GLuint>& inputs, int width, int height) {
    return Render(program.id(), inputs, width, height);
}

// The texture's RGBA8 pixels, bottom row first.
inline std::vector<uint8_t> ReadBytes(GLuint texture, int width, int height) {
    GLuint framebuffer = 0;
    glGenFramebuffers(1, &framebuffer);
    glBindFramebuffer(GL_FRAMEBUFFER, framebuffer);
    glFramebufferTexture2D(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_TEXTURE_2D, texture, 0);
    std::vector<uint8_t> bytes(static_cast<size_t>(width) * height * 4);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(0, 0, width, height, GL_RGBA, GL_UNSIGNED_BYTE, bytes.data());
    glBindFramebuffer(GL_FRAMEBUFFER, 0);
    glDeleteFramebuffers(1, &framebuffer);
    return bytes;
}

inline Image Read(GLuint texture, int width, int height) {
    return testimage::FromBytes(ReadBytes(texture, width, height), width, height);
}

// Render followed by Read, deleting the target.
inline Image RenderImage(Program& program, const std::vector<GLuint>& inputs, int width, int height) {
    GLuint target = Render(program, inputs, width, height);
    Image image = Read(target, width, height);
    glDeleteTextures(1, &target);
    return image;
}

}  // namespace rawgl
