#pragma once
// Fixture for tests that need a real OpenGL ES 2 context (Mesa llvmpipe, headless).
#include <gtest/gtest.h>

#include <memory>

#include "platform/opengles/EAGLContext.h"
#include "platform/opengles/GLES.h"

class GLTest : public ::testing::Test {
protected:
    void SetUp() override {
        context_ = platform::EAGLContext::initWithAPI(platform::EAGLRenderingAPI::OpenGLES2);
        ASSERT_NE(context_, nullptr) << "no OpenGL ES 2 context";
        ASSERT_TRUE(platform::EAGLContext::setCurrentContext(context_.get()));
    }
    void TearDown() override {
        platform::EAGLContext::setCurrentContext(nullptr);
        context_.reset();
    }
    std::unique_ptr<platform::EAGLContext> context_;
};
