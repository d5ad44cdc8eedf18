// Drawing end to end on the driver: unit quads through programs into texture-backed framebuffers,
// read back and compared with what the CPU expects.
#include "gpu/DeviceFixture.h"
#include "platform/corevideo/CVPixelBuffer.h"

using namespace QVTest;
using QV::Math::CMatrix4;
using QV::Math::CVector4;

namespace {

const std::string kCopy = Fragment("    gl_FragColor = texture2D(img0, vTexture0);\n", "uniform sampler2D img0;\n");

// w x h RGBA pixels with a different value in every channel.
std::vector<uint8_t> Pattern(int w, int h) {
    std::vector<uint8_t> p(static_cast<size_t>(w) * h * 4);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            uint8_t* px = &p[(static_cast<size_t>(y) * w + x) * 4];
            px[0] = static_cast<uint8_t>(40 * x + 3);
            px[1] = static_cast<uint8_t>(50 * y + 7);
            px[2] = static_cast<uint8_t>(10 * x + 20 * y + 100);
            px[3] = static_cast<uint8_t>(255 - 9 * x);
        }
    return p;
}

std::vector<uint8_t> SwapRedBlue(std::vector<uint8_t> p) {
    for (size_t i = 0; i < p.size(); i += 4) std::swap(p[i], p[i + 2]);
    return p;
}

}  // namespace

TEST_F(DeviceTest, UniformColourFillsTheTarget) {
    IShaderProgram* p = Program(Fragment("    gl_FragColor = uColor;\n", "uniform vec4 uColor;\n"));
    p->SetUniform4f("uColor", CVector4<float>(1.0f, 0.5f, 0.0f, 1.0f));
    Target(4, 4);
    device->Draw(p, Quad(), PRIMITIVE_TRIANGLE_STRIP);
    std::vector<uint8_t> pixels = Read(4, 4);
    for (size_t i = 0; i < pixels.size(); i += 4) {
        EXPECT_EQ(pixels[i], 255);
        EXPECT_NEAR(pixels[i + 1], 128, 1);  // 0.5 of 255, either rounding
        EXPECT_EQ(pixels[i + 2], 0);
        EXPECT_EQ(pixels[i + 3], 255);
    }
}

TEST_F(DeviceTest, MatrixUniformPlacesTheQuad) {
    IShaderProgram* p = Program(Fragment("    gl_FragColor = vec4(1.0);\n"));
    // Only the left half of the target.
    CMatrix4<float> left = ShaderSource::UnitSquareToClipMatrix * CMatrix4<float>::Scale(0.5f, 1, 1);
    p->SetUniformMatrix4fv("uModelViewProjectionMatrix", 1, false, &left);
    Target(4, 2);
    device->SetClearColor(0, 0, 0, 0);
    device->Clear(true, false);
    device->Draw(p, Quad(), PRIMITIVE_TRIANGLE_STRIP);
    std::vector<uint8_t> pixels = Read(4, 2);
    for (int y = 0; y < 2; ++y)
        for (int x = 0; x < 4; ++x) EXPECT_EQ(pixels[(y * 4 + x) * 4], x < 2 ? 255 : 0) << x << "," << y;
}

TEST_F(DeviceTest, TextureCopiesThroughAProgramUnchanged) {
    const std::vector<uint8_t> source = Pattern(5, 3);  // odd width: rows are not 4-aligned in RGB
    ITexture2D* texture = Texture(5, 3, source.data());
    ASSERT_NE(texture, nullptr);
    IShaderProgram* p = Program(kCopy);
    p->SetUniformSampler("img0", 2);
    device->GetTexture()->BindTexture(2, texture);
    Target(5, 3);
    device->Draw(p, Quad(), PRIMITIVE_TRIANGLE_STRIP);
    EXPECT_EQ(Read(5, 3), source);
    if (device->HasReadFormatBgra()) {
        EXPECT_EQ(Read(5, 3, FORMAT_BGRA), SwapRedBlue(source));
    }
}

// A driver without GL_EXT_read_format_bgra refuses BGRA reads; the pixels still arrive, red and
// blue exchanged from an RGBA read, also in rows padded to the pack alignment.
TEST_F(DeviceTest, BgraReadBackOnDriversWithoutBgraReads) {
    ExtensionsOverride without(DriverExtensionsWithout({"GL_EXT_read_format_bgra"}));
    CreateDevice(nullptr);
    ASSERT_FALSE(device->HasReadFormatBgra());
    const std::vector<uint8_t> source = Pattern(5, 3);
    device->GetTexture()->BindTexture(0, Texture(5, 3, source.data()));
    IShaderProgram* p = Program(kCopy);
    Target(5, 3);
    device->Draw(p, Quad(), PRIMITIVE_TRIANGLE_STRIP);
    const size_t row = 24;  // 5 x 4 bytes padded to a multiple of 8
    std::vector<uint8_t> padded(row * 3, 0xEE);
    GLCallLog log;
    ASSERT_TRUE(
        device->GetFramebuffer()->ReadPixels(0, 0, 5, 3, FORMAT_BGRA, PIXEL_TYPE_UNSIGNED_BYTE, 8, padded.data()));
    ASSERT_EQ(log.CallsOf("glReadPixels").size(), 1u);
    EXPECT_NE(log.CallsOf("glReadPixels")[0].find(", " + std::to_string(GL_RGBA) + ", "), std::string::npos);
    const std::vector<uint8_t> expected = SwapRedBlue(source);
    for (size_t r = 0; r < 3; ++r) {
        EXPECT_EQ(std::vector<uint8_t>(padded.begin() + r * row, padded.begin() + r * row + 20),
                  std::vector<uint8_t>(expected.begin() + r * 20, expected.begin() + r * 20 + 20))
            << "row " << r;
        EXPECT_EQ(padded[r * row + 20], 0xEE) << "the padding is left alone";
    }
}

TEST_F(DeviceTest, BgraPixelsUploadIntoRgbaTexturesOnEveryDriver) {
    const std::vector<uint8_t> rgba = Pattern(4, 2);
    const std::vector<uint8_t> bgra = SwapRedBlue(rgba);
    auto* manager = static_cast<CTexture*>(device->GetTexture());
    for (bool driverAccepts : {true, false}) {
        manager->SetAcceptsBgraIntoRgba(driverAccepts);
        auto* texture = static_cast<CTexture2D*>(Texture(4, 2, bgra.data(), FORMAT_BGRA));
        ASSERT_NE(texture, nullptr);
        EXPECT_EQ(texture->GetGLInternalFormat(),
                  driverAccepts ? static_cast<uint32_t>(GL_RGBA) : static_cast<uint32_t>(GL_BGRA_EXT));
        // Later uploads go into the same storage.
        device->GetTexture()->UpdateTexture(texture, 0, 0, 4, 2, 1, bgra.data());
        IShaderProgram* p = Program(kCopy);
        p->SetUniformSampler("img0", 0);
        device->GetTexture()->BindTexture(0, texture);
        Target(4, 2);
        device->Draw(p, Quad(), PRIMITIVE_TRIANGLE_STRIP);
        EXPECT_EQ(Read(4, 2), rgba) << (driverAccepts ? "RGBA storage" : "BGRA storage");
        EXPECT_FALSE(device->CheckError());
    }
}

TEST_F(DeviceTest, PixelBufferWithPaddedRowsSamplesCorrectly) {
    platform::CVPixelBufferRef buffer;
    ASSERT_EQ(platform::CVPixelBufferCreate(5, 3, platform::kCVPixelFormatType_32BGRA, &buffer),
              platform::kCVReturnSuccess);
    ASSERT_GT(platform::CVPixelBufferGetBytesPerRow(buffer), 5u * 4);
    const std::vector<uint8_t> rgba = Pattern(5, 3);
    const std::vector<uint8_t> bgra = SwapRedBlue(rgba);
    platform::CVPixelBufferLockBaseAddress(buffer, 0);
    auto* base = static_cast<uint8_t*>(platform::CVPixelBufferGetBaseAddress(buffer));
    for (int y = 0; y < 3; ++y) {
        std::copy_n(&bgra[y * 20], 20, base + y * platform::CVPixelBufferGetBytesPerRow(buffer));
        std::fill_n(base + y * platform::CVPixelBufferGetBytesPerRow(buffer) + 20, 8, 0xAB);  // padding
    }
    platform::CVPixelBufferUnlockBaseAddress(buffer, 0);

    ITexture2D* texture = device->GetTexture()->CreateCachedTexture(
        CTextureTemplate(FILTER_NEAREST, FILTER_NEAREST, WRAP_CLAMP_TO_EDGE, WRAP_CLAMP_TO_EDGE), 5, 3, FORMAT_RGBA,
        FORMAT_BGRA, PIXEL_TYPE_UNSIGNED_BYTE, 1, false, false, nullptr, buffer);
    ASSERT_NE(texture, nullptr);
    textures.push_back(texture);
    EXPECT_TRUE(texture->IsCached());
    ASSERT_NE(texture->GetName(), 0u);

    IShaderProgram* p = Program(kCopy);
    p->SetUniformSampler("img0", 1);
    device->GetTexture()->BindTexture(1, texture);
    Target(5, 3);
    device->Draw(p, Quad(), PRIMITIVE_TRIANGLE_STRIP);
    EXPECT_EQ(Read(5, 3), rgba);

    // A new frame through the same texture.
    platform::CVPixelBufferLockBaseAddress(buffer, 0);
    std::fill_n(base, platform::CVPixelBufferGetDataSize(buffer), 0x40);
    platform::CVPixelBufferUnlockBaseAddress(buffer, 0);
    device->GetTexture()->UpdateCachedTexture(texture, buffer);
    device->GetTexture()->FlushCache();
    device->GetTexture()->BindTexture(1, texture);
    device->Draw(p, Quad(), PRIMITIVE_TRIANGLE_STRIP);
    EXPECT_EQ(Read(5, 3), std::vector<uint8_t>(60, 0x40));
}

TEST_F(DeviceTest, VerticesArriveWithoutBufferMappingInTheDriver) {
    ExtensionsOverride without(DriverExtensionsWithout({"GL_OES_mapbuffer"}));
    CreateDevice(nullptr);
    IShaderProgram* p = Program(Fragment("    gl_FragColor = vec4(1.0);\n"));
    // A dynamic buffer filled after creation, covering the lower half only.
    IVertexBuffer* b = device->GetVertexArray()->CreateVertexBuffer(false, 4, 12, nullptr);
    buffers.push_back(b);
    const float lower[] = {0, 0, 0, 1, 0, 0, 0, 0.5f, 0, 1, 0.5f, 0};
    ASSERT_TRUE(b->SetData(4, lower));
    IVertexArrayObject* o = device->GetVertexArray()->CreateVertexArrayObject();
    objects.push_back(o);
    o->SetAttribute(b, 0, 3, DATA_TYPE_FLOAT, false, 12, 0);
    Target(2, 4);
    device->SetClearColor(0, 0, 0, 0);
    device->Clear(true, false);
    device->Draw(p, o, PRIMITIVE_TRIANGLE_STRIP);
    std::vector<uint8_t> pixels = Read(2, 4);
    for (int y = 0; y < 4; ++y) EXPECT_EQ(pixels[y * 8], y < 2 ? 255 : 0) << "row " << y;

    // A static buffer filled at creation, through the same fallback.
    device->Clear(true, false);
    device->Draw(p, Quad(), PRIMITIVE_TRIANGLE_STRIP);
    for (uint8_t v : Read(2, 4)) EXPECT_EQ(v, 255);
}
