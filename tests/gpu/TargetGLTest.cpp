// Render targets, vertex data and texture bindings: what reaches GL and when.
#include <algorithm>

#include "gpu/DeviceFixture.h"
#include "platform/opengles/CAEAGLLayer.h"

using namespace QVTest;

namespace {
GLint BoundFramebuffer() {
    GLint name = 0;
    glGetIntegerv(GL_FRAMEBUFFER_BINDING, &name);
    return name;
}
}  // namespace

TEST_F(DeviceTest, AttachmentsWaitUntilTheObjectIsBound) {
    IFramebuffer* manager = device->GetFramebuffer();
    auto* f = static_cast<CFramebufferObject*>(manager->CreateFramebufferObject());
    framebuffers.push_back(f);
    ITexture2D* first = Texture(4, 4);
    ITexture2D* second = Texture(3, 2);
    std::vector<uint8_t> pixels(64);
    {
        GLCallLog log;
        f->AttachTexture(ATTACHMENT_COLOR0, first);
        f->AttachTexture(ATTACHMENT_COLOR0, second);
        EXPECT_EQ(log.Count(), 0u);
        EXPECT_EQ(f->GetColorWidth(), 0);
        EXPECT_FALSE(manager->ReadPixels(FORMAT_RGBA, PIXEL_TYPE_UNSIGNED_BYTE, 4, pixels.data()))
            << "nothing is bound";
    }
    GLCallLog log;
    manager->BindFramebufferObject(f);
    EXPECT_EQ(log.Count("glBindFramebuffer"), 1u);
    EXPECT_EQ(log.CallsOf("glFramebufferTexture2D"),
              std::vector<std::string>{"glFramebufferTexture2D(36160, 36064, 3553, " +
                                       std::to_string(second->GetName()) + ", 0)"});
    EXPECT_EQ(f->GetColorWidth(), 3);
    EXPECT_EQ(f->GetColorHeight(), 2);
    log.Clear();
    manager->BindFramebufferObject(f);
    f->Detach(ATTACHMENT_DEPTH);  // nothing there
    EXPECT_EQ(log.Count(), 0u);
    f->Detach(ATTACHMENT_COLOR0);
    EXPECT_EQ(log.Count("glFramebufferTexture2D"), 1u);
    EXPECT_EQ(f->GetColorWidth(), 0);
    EXPECT_EQ(f->GetAttachmentState(ATTACHMENT_COLOR0), 2);
}

TEST_F(DeviceTest, ReadPixelsStaysInsideTheColourAttachment) {
    Target(4, 3);
    IFramebuffer* manager = device->GetFramebuffer();
    std::vector<uint8_t> pixels(4 * 3 * 4);
    struct Case {
        int32_t x, y, w, h;
        bool ok;
    };
    for (Case c : {Case{0, 0, 4, 3, true}, Case{1, 0, 3, 3, true}, Case{1, 0, 4, 3, false}, Case{0, 1, 4, 3, false},
                   Case{-1, 0, 2, 2, false}, Case{0, 0, 0, 1, false}, Case{3, 2, 1, 1, true}})
        EXPECT_EQ(manager->ReadPixels(c.x, c.y, c.w, c.h, FORMAT_RGBA, PIXEL_TYPE_UNSIGNED_BYTE, 4, pixels.data()),
                  c.ok)
            << c.x << "," << c.y << " " << c.w << "x" << c.h;
    EXPECT_FALSE(manager->ReadPixels(FORMAT_RGBA, PIXEL_TYPE_UNSIGNED_BYTE, 4, nullptr));
    EXPECT_FALSE(manager->ReadPixels(FORMAT_RGB_422, PIXEL_TYPE_UNSIGNED_BYTE, 4, pixels.data()))
        << "no GL value for the format here";

    GLCallLog log;
    manager->ReadPixels(FORMAT_RGBA, PIXEL_TYPE_UNSIGNED_BYTE, 4, pixels.data());
    EXPECT_EQ(log.Count("glPixelStorei"), 0u);
    manager->ReadPixels(FORMAT_RGBA, PIXEL_TYPE_UNSIGNED_BYTE, 1, pixels.data());
    manager->ReadPixels(FORMAT_RGBA, PIXEL_TYPE_UNSIGNED_BYTE, 1, pixels.data());
    EXPECT_EQ(log.Count("glPixelStorei"), 1u);
}

TEST_F(DeviceTest, ColourBufferKeepsItsSizeAfterGivingTheLayerUp) {
    platform::CAEAGLLayer layer(CGRectMake(0, 0, 3, 2), 2.0);
    std::unique_ptr<IIPhoneColorBufferRenderbuffer> colour(
        device->GetFramebuffer()->CreateColorBufferRenderbuffer(device->GetContext()));
    EXPECT_EQ(colour->GetWidth(), 0);
    colour->AllocateStorage(device->GetContext(), &layer);
    const uint32_t name = colour->GetName();
    ASSERT_NE(name, 0u);
    EXPECT_EQ(colour->GetWidth(), 6);
    EXPECT_EQ(colour->GetHeight(), 4);
    static_cast<CIPhoneColorBufferRenderbuffer*>(colour.get())->Release();
    EXPECT_EQ(colour->GetName(), 0u);
    EXPECT_FALSE(glIsRenderbuffer(name));
    EXPECT_EQ(colour->GetWidth(), 6);
    EXPECT_EQ(colour->GetHeight(), 4);
}

TEST_F(DeviceTest, BindingAndDeletingFramebufferObjects) {
    IFramebuffer* manager = device->GetFramebuffer();
    IFramebufferObject* a = manager->CreateFramebufferObject();
    IFramebufferObject* b = manager->CreateFramebufferObject();
    {
        GLCallLog log;
        manager->BindFramebufferObject(nullptr);
        EXPECT_EQ(log.Count(), 0u);
    }
    manager->BindFramebufferObject(a);
    GLint aName = BoundFramebuffer();
    manager->DeleteFramebufferObject(b);
    EXPECT_EQ(BoundFramebuffer(), aName) << "deleting another object keeps the bound one";
    EXPECT_EQ(static_cast<CFramebuffer*>(manager)->GetBoundFramebufferObject(), a);
    manager->DeleteFramebufferObject(a);
    EXPECT_EQ(BoundFramebuffer(), 0);
    EXPECT_EQ(static_cast<CFramebuffer*>(manager)->GetBoundFramebufferObject(), nullptr);
}

TEST_F(DeviceTest, RenderbuffersFallBackWithoutEightBitFormats) {
    for (bool has : {true, false}) {
        std::unique_ptr<ExtensionsOverride> without;
        if (!has) {
            without = std::make_unique<ExtensionsOverride>(DriverExtensionsWithout({"GL_OES_rgb8_rgba8"}));
            CreateDevice(nullptr);
        }
        IFramebuffer* manager = device->GetFramebuffer();
        std::unique_ptr<IRenderbuffer> rgb(manager->CreateRenderbuffer(RENDERBUFFER_RGB8_OES));
        std::unique_ptr<IRenderbuffer> rgba(manager->CreateRenderbuffer(RENDERBUFFER_RGBA8_OES));
        std::unique_ptr<IRenderbuffer> depth(manager->CreateRenderbuffer(RENDERBUFFER_DEPTH_COMPONENT16));
        EXPECT_EQ(static_cast<CRenderbuffer*>(rgb.get())->GetFormat(),
                  has ? RENDERBUFFER_RGB8_OES : RENDERBUFFER_RGB565);
        EXPECT_EQ(static_cast<CRenderbuffer*>(rgba.get())->GetFormat(),
                  has ? RENDERBUFFER_RGBA8_OES : RENDERBUFFER_RGB5_A1);
        EXPECT_EQ(static_cast<CRenderbuffer*>(depth.get())->GetFormat(), RENDERBUFFER_DEPTH_COMPONENT16);
        rgba->AllocateStorage(3, 2);
        uint32_t firstName = rgba->GetName();
        rgba->AllocateStorage(5, 4);
        EXPECT_NE(rgba->GetName(), 0u);
        EXPECT_FALSE(glIsRenderbuffer(firstName) && firstName != rgba->GetName());
        EXPECT_EQ(rgba->GetWidth(), 5);
        // Drawn into and read back through a framebuffer object.
        IFramebufferObject* f = manager->CreateFramebufferObject();
        framebuffers.push_back(f);
        f->AttachRenderbuffer(ATTACHMENT_COLOR0, rgba.get());
        manager->BindFramebufferObject(f);
        device->SetClearColor(1, 1, 1, 1);
        device->Clear(true, false);
        std::vector<uint8_t> pixels(5 * 4 * 4);
        EXPECT_TRUE(manager->ReadPixels(FORMAT_RGBA, PIXEL_TYPE_UNSIGNED_BYTE, 4, pixels.data()));
        EXPECT_EQ(pixels[0], 255);
        manager->DeleteFramebufferObject(f);
        framebuffers.clear();
    }
}

TEST_F(DeviceTest, VertexLayoutIsIssuedOnlyWhenItChanges) {
    IShaderProgram* p = Program(Fragment("    gl_FragColor = vec4(1.0);\n"));
    IVertexArrayObject* a = Quad();
    IVertexArrayObject* b = Quad();
    Target(2, 2);
    device->Draw(p, a, PRIMITIVE_TRIANGLE_STRIP);
    GLCallLog log;
    device->Draw(p, a, PRIMITIVE_TRIANGLE_STRIP);
    EXPECT_EQ(log.Count("glBindBuffer"), 0u);
    EXPECT_EQ(log.Count("glVertexAttribPointer"), 0u);
    EXPECT_EQ(log.Count("glDrawArrays"), 1u);
    log.Clear();
    device->Draw(p, b, PRIMITIVE_TRIANGLE_STRIP);
    device->Draw(p, a, PRIMITIVE_TRIANGLE_STRIP);
    EXPECT_EQ(log.Count("glVertexAttribPointer"), 2u) << "switching objects re-issues the layout";
    EXPECT_EQ(log.Count("glBindBuffer"), 2u);

    // An indexed object, then one without indices: the element binding goes once.
    const uint16_t indices[] = {0, 1, 2, 1, 2, 3, 0, 1, 2};
    IIndexBuffer* ib = device->GetVertexArray()->CreateIndexBuffer(9, indices);
    indexBuffers.push_back(ib);
    a->SetIndexBuffer(ib);
    device->Draw(p, a, PRIMITIVE_TRIANGLES);
    log.Clear();
    device->DrawRange(p, a, PRIMITIVE_TRIANGLES, 3, 3);
    EXPECT_EQ(log.CallsOf("glDrawElements"),
              std::vector<std::string>{"glDrawElements(4, 3, " + std::to_string(GL_UNSIGNED_SHORT) + ", 0x6)"});
    log.Clear();
    device->Draw(p, b, PRIMITIVE_TRIANGLE_STRIP);
    device->Draw(p, b, PRIMITIVE_TRIANGLE_STRIP);
    EXPECT_EQ(log.CallsOf("glBindBuffer"),
              (std::vector<std::string>{
                  "glBindBuffer(34962, " + std::to_string(static_cast<CVertexBuffer*>(buffers[1])->GetName()) + ")",
                  "glBindBuffer(34963, 0)"}));
}

// GL ES 2 has a single element-array binding: an index buffer made after an indexed draw takes
// it over, and the next draw of the same object must bind its own indices again.
TEST_F(DeviceTest, AppliedObjectKeepsItsIndicesWhenAnotherIndexBufferIsMade) {
    IShaderProgram* white = Program(Fragment("    gl_FragColor = vec4(1.0);\n"));
    IVertexArrayObject* quad = Quad();
    Target(4, 4);
    const uint16_t lowerLeft[] = {0, 1, 2};
    const uint16_t upperRight[] = {1, 2, 3};
    IIndexBuffer* own = device->GetVertexArray()->CreateIndexBuffer(3, lowerLeft);
    indexBuffers.push_back(own);
    quad->SetIndexBuffer(own);
    for (bool anotherMadeMeanwhile : {false, true}) {
        device->SetClearColor(0, 0, 0, 0);
        device->Clear(true, false);
        if (anotherMadeMeanwhile) indexBuffers.push_back(device->GetVertexArray()->CreateIndexBuffer(3, upperRight));
        GLCallLog log;
        device->Draw(white, quad, PRIMITIVE_TRIANGLES);
        if (anotherMadeMeanwhile) {
            EXPECT_EQ(log.CallsOf("glBindBuffer"),
                      std::vector<std::string>{"glBindBuffer(34963, " +
                                               std::to_string(static_cast<CIndexBuffer*>(own)->GetName()) + ")"});
        }
        std::vector<uint8_t> pixels = Read(4, 4);
        EXPECT_EQ(pixels[0], 255) << "the object's own lower-left triangle";
        EXPECT_EQ(pixels[15 * 4], 0) << "not the triangle of the other index buffer";
    }
}

TEST_F(DeviceTest, VertexBufferAndAttributeLimits) {
    IVertexArray* manager = device->GetVertexArray();
    IVertexBuffer* b = manager->CreateVertexBuffer(false, 4, 8, nullptr);
    buffers.push_back(b);
    const float data[10] = {};
    EXPECT_FALSE(b->Write(0, 1, data)) << "not mapped";
    ASSERT_NE(b->Map(), nullptr);
    EXPECT_EQ(b->Map(), nullptr) << "already mapped";
    EXPECT_TRUE(b->Write(3, 1, data));
    EXPECT_TRUE(b->Write(0, 4, data));
    EXPECT_FALSE(b->Write(3, 2, data));
    EXPECT_TRUE(b->Unmap());
    EXPECT_FALSE(b->Unmap());
    EXPECT_FALSE(b->SetData(0, data));
    EXPECT_FALSE(b->SetData(2, nullptr));
    IVertexBuffer* fixed = Buffer({0, 0, 0});
    EXPECT_EQ(fixed->Map(), nullptr) << "static buffers never map";
    EXPECT_FALSE(fixed->SetData(1, data));

    IVertexArrayObject* o = manager->CreateVertexArrayObject();
    objects.push_back(o);
    const uint32_t limit = static_cast<uint32_t>(static_cast<CVertexArray*>(manager)->GetMaxVertexAttributes());
    EXPECT_FALSE(o->SetAttribute(b, limit, 2, DATA_TYPE_FLOAT, false, 8, 0)) << "index at the limit";
    EXPECT_FALSE(o->SetAttribute(b, 1000, 2, DATA_TYPE_FLOAT, false, 8, 0));
    EXPECT_EQ(static_cast<CVertexArrayObject*>(o)->GetEnableMask(), 0u);
    EXPECT_TRUE(o->SetAttribute(b, limit - 1, 2, DATA_TYPE_FLOAT, false, 8, 0));
    EXPECT_FALSE(o->SetAttribute(fixed, 0, 3, DATA_TYPE_FLOAT, false, 12, 0)) << "vertex counts differ";

    GLCallLog log;
    manager->SetLineWidth(0);
    manager->SetLineWidth(-2);
    manager->SetLineWidth(1);
    EXPECT_EQ(log.Count(), 0u);

    // The shadow forgets a deleted buffer, so a new one is bound.
    manager->DeleteVertexBuffer(b);
    buffers.erase(std::find(buffers.begin(), buffers.end(), b));
    objects.pop_back();
    manager->DeleteVertexArrayObject(o);
    log.Clear();
    Buffer({1, 1, 1});
    EXPECT_EQ(log.Count("glBindBuffer"), 1u);
}

TEST_F(DeviceTest, TextureBindingsAndSamplingState) {
    ITexture* manager = device->GetTexture();
    CTextureTemplate defaults;  // GL's own sampling state
    GLCallLog log;
    ITexture2D* plain = Texture(4, 4, nullptr, FORMAT_RGBA, defaults);
    EXPECT_EQ(log.Count("glTexParameteri"), 0u);
    log.Clear();
    ITexture2D* linear =
        Texture(4, 4, nullptr, FORMAT_RGBA,
                CTextureTemplate(FILTER_LINEAR, FILTER_LINEAR, WRAP_CLAMP_TO_EDGE, WRAP_CLAMP_TO_EDGE));
    EXPECT_EQ(log.Count("glTexParameteri"), 0u) << "made without pixels: nothing reaches GL before its first bind";
    manager->BindTexture(3, linear);
    EXPECT_EQ(log.Count("glTexParameteri"), 3u) << "min filter, wrap S, wrap T";

    manager->BindTexture(3, plain);
    log.Clear();
    manager->BindTexture(3, plain);
    manager->BindTexture(5, nullptr);
    EXPECT_EQ(log.Count(), 0u);
    plain->SetTemplate(defaults);
    manager->BindTexture(3, plain);
    EXPECT_EQ(log.Count(), 0u) << "the same template is not dirty";
    plain->SetTemplate(CTextureTemplate(FILTER_LINEAR, FILTER_LINEAR, WRAP_REPEAT, WRAP_REPEAT));
    manager->BindTexture(3, plain);
    EXPECT_EQ(log.Count("glTexParameteri"), 1u);

    // Deleting a texture unbinds it wherever it is bound, before GL deletes it.
    manager->BindTexture(0, linear);
    manager->BindTexture(3, linear);
    log.Clear();
    textures.erase(std::find(textures.begin(), textures.end(), linear));
    manager->DeleteTexture(linear);
    std::vector<std::string> expected = {
        "glActiveTexture(" + std::to_string(GL_TEXTURE0) + ")", "glBindTexture(3553, 0)",
        "glActiveTexture(" + std::to_string(GL_TEXTURE3) + ")", "glBindTexture(3553, 0)"};
    ASSERT_GE(log.Count(), 5u);
    EXPECT_EQ(std::vector<std::string>(log.Calls().begin(), log.Calls().begin() + 4), expected);
    EXPECT_EQ(log.Calls()[4].rfind("glDeleteTextures", 0), 0u);
    EXPECT_EQ(static_cast<CTexture*>(manager)->GetBoundTexture(3), nullptr);
}

TEST_F(DeviceTest, TextureCreationLimitsAndUploads) {
    ITexture* manager = device->GetTexture();
    const int32_t max = manager->GetMaxTextureSize();
    EXPECT_NE(Texture(max, 1), nullptr);
    EXPECT_EQ(Texture(max + 1, 1), nullptr);
    EXPECT_EQ(Texture(1, max + 1), nullptr);
    {
        GLCallLog log;
        EXPECT_EQ(manager->CreateTexture(CTextureTemplate(), 4, 4, FORMAT_RGBA, FORMAT_RGB_422,
                                         PIXEL_TYPE_UNSIGNED_SHORT_8_8, 1, false, false, nullptr),
                  nullptr);
        EXPECT_EQ(manager->CreateTexture(CTextureTemplate(), 4, 4, FORMAT_BGRA, FORMAT_BGRA, PIXEL_TYPE_UNSIGNED_BYTE,
                                         1, false, false, nullptr),
                  nullptr)
            << "BGRA is no internal format";
        EXPECT_EQ(log.Count(), 0u) << "refused formats never reach GL";
    }
    ITexture2D* t = Texture(4, 4);
    std::vector<uint8_t> pixels(4 * 4 * 4, 9);
    GLCallLog log;
    manager->UpdateTexture(t, 0, 0, 4, 4, 1, pixels.data());
    manager->UpdateTexture(t, 0, 0, 4, 4, 1, pixels.data());
    manager->UpdateTexture(t, 0, 0, 5, 4, 1, pixels.data());  // leaves the texture: ignored
    manager->UpdateTexture(t, 0, 0, 4, 4, 1, nullptr);
    EXPECT_EQ(log.Count("glPixelStorei"), 1u) << "alignment 1 is set once";
    EXPECT_EQ(log.Count("glTexSubImage2D"), 2u);
    EXPECT_EQ(static_cast<CTexture*>(manager)->GetBoundTexture(0), nullptr) << "unit 0 restored";
}

TEST_F(DeviceTest, ImmutableStorageKeepsItsSamplingState) {
    ExtensionsOverride with(DriverExtensionsWithout({}) + " GL_EXT_texture_storage");
    CreateDevice(nullptr);
    ASSERT_TRUE(device->HasTextureStorage());
    ITexture* manager = device->GetTexture();
    const std::string storage = "platform::gles::TexStorage2DEXT";
    GLCallLog log;
    ITexture2D* big = manager->CreateTexture(
        CTextureTemplate(FILTER_LINEAR_MIPMAP_LINEAR, FILTER_LINEAR, WRAP_CLAMP_TO_EDGE, WRAP_CLAMP_TO_EDGE), 256, 256,
        FORMAT_RGBA, FORMAT_RGBA, PIXEL_TYPE_UNSIGNED_BYTE, 4, true, true, nullptr);
    textures.push_back(big);
    ITexture2D* tiny = manager->CreateTexture(CTextureTemplate(), 1, 1, FORMAT_RGBA, FORMAT_BGRA,
                                              PIXEL_TYPE_UNSIGNED_BYTE, 4, true, true, nullptr);
    textures.push_back(tiny);
    EXPECT_TRUE(log.CallsOf(storage).empty()) << "storage waits for the first bind";
    big->SetTemplate(CTextureTemplate(FILTER_NEAREST, FILTER_NEAREST, WRAP_REPEAT, WRAP_REPEAT));
    manager->BindTexture(0, big);
    manager->BindTexture(1, tiny);
    EXPECT_EQ(log.CallsOf(storage),
              (std::vector<std::string>{storage + "(3553, 9, " + std::to_string(GL_RGBA8_OES) + ", 256, 256)",
                                        storage + "(3553, 1, " + std::to_string(GL_BGRA8_EXT) + ", 1, 1)"}));
    EXPECT_FALSE(device->CheckError());
    EXPECT_EQ(big->GetTemplate().minFilter, FILTER_LINEAR_MIPMAP_LINEAR) << "made with the sampling asked at first";
    log.Clear();
    big->SetTemplate(CTextureTemplate(FILTER_NEAREST, FILTER_NEAREST, WRAP_REPEAT, WRAP_REPEAT));
    manager->BindTexture(0, big);
    manager->BindTexture(1, big);
    EXPECT_EQ(log.Count("glTexParameteri"), 0u);
    EXPECT_EQ(big->GetTemplate().minFilter, FILTER_LINEAR_MIPMAP_LINEAR);
}

// A software driver allocates and clears a texture's memory when its storage is made: a
// texture made without pixels waits for its first use, and is whole when that use comes.
TEST_F(DeviceTest, ATextureMadeWithoutPixelsGetsItsStorageAtItsFirstBindOrAttachment) {
    ITexture* manager = device->GetTexture();
    IFramebuffer* targets = device->GetFramebuffer();
    GLCallLog log;
    ITexture2D* drawn = Texture(4, 3);
    ITexture2D* sampled = Texture(2, 2);
    Texture(8, 8);  // never used
    EXPECT_EQ(log.Count("glTexImage2D"), 0u);

    // Drawn into: the storage comes before the attachment, and the target is complete.
    IFramebufferObject* f = targets->CreateFramebufferObject();
    framebuffers.push_back(f);
    f->AttachTexture(ATTACHMENT_COLOR0, drawn);
    targets->BindFramebufferObject(f);
    const std::vector<std::string>& calls = log.Calls();
    const auto storage =
        std::find_if(calls.begin(), calls.end(), [](const std::string& c) { return c.rfind("glTexImage2D", 0) == 0; });
    const auto attachment = std::find_if(
        calls.begin(), calls.end(), [](const std::string& c) { return c.rfind("glFramebufferTexture2D", 0) == 0; });
    ASSERT_NE(storage, calls.end());
    EXPECT_LT(storage, attachment);
    EXPECT_EQ(glCheckFramebufferStatus(GL_FRAMEBUFFER), static_cast<GLenum>(GL_FRAMEBUFFER_COMPLETE));
    EXPECT_EQ(static_cast<CTexture*>(manager)->GetBoundTexture(0), nullptr) << "unit 0 restored";
    device->SetViewport(0, 0, 4, 3);
    device->SetClearColor(0, 1, 0, 1);
    device->Clear(true, false);
    const std::vector<uint8_t> pixels = Read(4, 3);
    EXPECT_EQ(pixels[11 * 4 + 1], 255) << "the last pixel drawn";

    // Sampled: the storage comes once, at the first bind.
    log.Clear();
    manager->BindTexture(2, sampled);
    manager->BindTexture(2, nullptr);
    manager->BindTexture(3, sampled);
    EXPECT_EQ(log.Count("glTexImage2D"), 1u);
    EXPECT_FALSE(device->CheckError());
}

TEST_F(DeviceTest, CachedTexturesIssueTheirWholeTemplateForEachFrame) {
    platform::CVPixelBufferRef frame;
    ASSERT_EQ(platform::CVPixelBufferCreate(8, 8, platform::kCVPixelFormatType_32BGRA, &frame), 0);
    ITexture* manager = device->GetTexture();
    ITexture2D* t = manager->CreateCachedTexture(
        CTextureTemplate(FILTER_LINEAR, FILTER_LINEAR, WRAP_CLAMP_TO_EDGE, WRAP_CLAMP_TO_EDGE), 8, 8, FORMAT_RGBA,
        FORMAT_BGRA, PIXEL_TYPE_UNSIGNED_BYTE, 4, false, false, nullptr, frame);
    ASSERT_NE(t, nullptr);
    textures.push_back(t);
    GLCallLog log;
    manager->BindTexture(0, t);
    manager->BindTexture(0, t);
    EXPECT_EQ(log.Count("glTexParameteri"), 4u);
    log.Clear();
    manager->UpdateCachedTexture(t, frame);  // rebinds unit 0, which held the texture
    manager->BindTexture(0, t);
    EXPECT_EQ(log.Count("glTexParameteri"), 4u);
    EXPECT_EQ(log.CallsOf("glBindTexture").back(), "glBindTexture(3553, " + std::to_string(t->GetName()) + ")");
    // Too large for the device: refused.
    EXPECT_EQ(manager->CreateCachedTexture(CTextureTemplate(), manager->GetMaxTextureSize() + 1, 8, FORMAT_RGBA,
                                           FORMAT_BGRA, PIXEL_TYPE_UNSIGNED_BYTE, 4, false, false, nullptr, frame),
              nullptr);
}

TEST_F(DeviceTest, TextureCacheFailureIsReported) {
    CTexture standalone;
    standalone.Initialize(nullptr);  // no context to make a cache for
    testing::internal::CaptureStdout();
    standalone.EnsureTextureCache();
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "CVOpenGLESTextureCacheCreate: -6661");
    EXPECT_EQ(standalone.GetTextureCache(), nullptr);
}
