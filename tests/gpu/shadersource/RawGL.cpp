#include "RawGL.h"

#include <cmath>

namespace rawgl {

namespace {

GLuint Compile(GLenum type, const std::string& text, std::string& log) {
    GLuint shader = glCreateShader(type);
    const char* source = text.c_str();
    glShaderSource(shader, 1, &source, nullptr);
    glCompileShader(shader);
    GLint status = 0;
    glGetShaderiv(shader, GL_COMPILE_STATUS, &status);
    if (status == 0) {
        char buffer[4096] = {};
        glGetShaderInfoLog(shader, sizeof(buffer), nullptr, buffer);
        log += (type == GL_VERTEX_SHADER ? "vertex: " : "fragment: ") + std::string(buffer);
        glDeleteShader(shader);
        return 0;
    }
    return shader;
}

GLuint NewTexture(int width, int height, bool linear, const void* pixels) {
    GLuint texture = 0;
    glGenTextures(1, &texture);
    glBindTexture(GL_TEXTURE_2D, texture);
    const GLint filter = linear ? GL_LINEAR : GL_NEAREST;
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, filter);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, filter);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_CLAMP_TO_EDGE);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_CLAMP_TO_EDGE);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA, width, height, 0, GL_RGBA, GL_UNSIGNED_BYTE, pixels);
    return texture;
}

}  // namespace

Image MakeImage(int width, int height) {
    Image image;
    image.width = width;
    image.height = height;
    image.rgba.assign(static_cast<size_t>(width) * height * 4, 0.0f);
    return image;
}

Program::Program(const std::string& vertex, const std::string& fragment) {
    GLuint vs = Compile(GL_VERTEX_SHADER, vertex, log_);
    GLuint fs = Compile(GL_FRAGMENT_SHADER, fragment, log_);
    if (vs == 0 || fs == 0) {
        if (vs) glDeleteShader(vs);
        if (fs) glDeleteShader(fs);
        return;
    }
    GLuint program = glCreateProgram();
    glAttachShader(program, vs);
    glAttachShader(program, fs);
    glBindAttribLocation(program, 0, "vaPosition");
    glLinkProgram(program);
    glDeleteShader(vs);
    glDeleteShader(fs);
    GLint status = 0;
    glGetProgramiv(program, GL_LINK_STATUS, &status);
    if (status == 0) {
        char buffer[4096] = {};
        glGetProgramInfoLog(program, sizeof(buffer), nullptr, buffer);
        log_ += "link: " + std::string(buffer);
        glDeleteProgram(program);
        return;
    }
    id_ = program;
}

Program::~Program() {
    if (id_) glDeleteProgram(id_);
}

void Program::Set1f(const char* name, float v) {
    glUseProgram(id_);
    glUniform1f(glGetUniformLocation(id_, name), v);
}
void Program::Set2f(const char* name, float x, float y) {
    glUseProgram(id_);
    glUniform2f(glGetUniformLocation(id_, name), x, y);
}
void Program::SetSampler(const char* name, int unit) {
    glUseProgram(id_);
    glUniform1i(glGetUniformLocation(id_, name), unit);
}
void Program::SetMatrix(const char* name, const float* m) {
    glUseProgram(id_);
    glUniformMatrix4fv(glGetUniformLocation(id_, name), 1, GL_FALSE, m);
}
void Program::SetUnitSquare() {
    const float m[16] = {2, 0, 0, 0, 0, 2, 0, 0, 0, 0, -1, 0, -1, -1, 0, 1};
    SetMatrix("uModelViewProjectionMatrix", m);
}

GLuint Upload(const Image& image, bool linear) {
    std::vector<uint8_t> bytes(image.rgba.size());
    for (size_t i = 0; i < bytes.size(); ++i)
        bytes[i] = static_cast<uint8_t>(std::lround(std::fmin(std::fmax(image.rgba[i], 0.0f), 1.0f) * 255.0f));
    return NewTexture(image.width, image.height, linear, bytes.data());
}

GLuint Render(Program& program, const std::vector<GLuint>& inputs, int width, int height) {
    GLuint target = NewTexture(width, height, true, nullptr);
    GLuint framebuffer = 0;
    glGenFramebuffers(1, &framebuffer);
    glBindFramebuffer(GL_FRAMEBUFFER, framebuffer);
    glFramebufferTexture2D(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_TEXTURE_2D, target, 0);
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
    glUseProgram(program.id());
    glDrawArrays(GL_TRIANGLE_STRIP, 0, 4);
    glDisableVertexAttribArray(0);
    glBindBuffer(GL_ARRAY_BUFFER, 0);
    glDeleteBuffers(1, &buffer);
    glBindFramebuffer(GL_FRAMEBUFFER, 0);
    glDeleteFramebuffers(1, &framebuffer);
    return target;
}

Image Read(GLuint texture, int width, int height) {
    GLuint framebuffer = 0;
    glGenFramebuffers(1, &framebuffer);
    glBindFramebuffer(GL_FRAMEBUFFER, framebuffer);
    glFramebufferTexture2D(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_TEXTURE_2D, texture, 0);
    std::vector<uint8_t> bytes(static_cast<size_t>(width) * height * 4);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(0, 0, width, height, GL_RGBA, GL_UNSIGNED_BYTE, bytes.data());
    glBindFramebuffer(GL_FRAMEBUFFER, 0);
    glDeleteFramebuffers(1, &framebuffer);
    Image image = MakeImage(width, height);
    for (size_t i = 0; i < bytes.size(); ++i) image.rgba[i] = bytes[i] / 255.0f;
    return image;
}

Image RenderImage(Program& program, const std::vector<GLuint>& inputs, int width, int height) {
    GLuint target = Render(program, inputs, width, height);
    Image image = Read(target, width, height);
    glDeleteTextures(1, &target);
    return image;
}

}  // namespace rawgl
