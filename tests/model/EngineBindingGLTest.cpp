// The program's lists bound to a real render view on a real device: choosing a mode puts its
// ranges and parameter set into the engine, the sliders move engine values with throttled
// redraws, and an archived editing state brings back the same picture.
#include <gtest/gtest.h>

#include <memory>
#include <variant>
#include <vector>

#include "engine/view/GraphicsView.h"
#include "model/GraphicsTypeController.h"
#include "model/State.h"
#include "model/Type.h"
#include "modes/ModeLibrary.h"
#include "platform/foundation/NSRunLoop.h"

namespace {

// A photo with gradients and fine detail, so that every stage has something to change.
UIImagePtr TestPhoto(std::size_t w, std::size_t h) {
    std::vector<uint8_t> bytes(w * h * 4);
    for (std::size_t y = 0; y < h; ++y) {
        for (std::size_t x = 0; x < w; ++x) {
            uint8_t* p = &bytes[(y * w + x) * 4];
            p[0] = uint8_t(40 + x * 180 / w);
            p[1] = uint8_t(30 + y * 190 / h);
            p[2] = uint8_t((x * 37 + y * 91) % 200 + 20);
            p[3] = 255;
        }
    }
    return UIImage::imageWithCGImage(
        CGImageCreate(w, h, 8, 32, w * 4, CGColorSpaceCreateDeviceRGB(), kCGImageAlphaNoneSkipLast, std::move(bytes)));
}

class EngineBindingTest : public ::testing::Test {
protected:
    void SetUp() override {
        TypeConstants::sharedInstance() = TypeConstants();
        loop.useManualClock(1);
        view = std::make_shared<GraphicsView>(CGRectMake(0, 0, 32, 24));
        ASSERT_NE(view->device(), nullptr) << "no OpenGL ES 2 context";
        GraphicsTypeController::setEngine(view.get());
        view->setImageWithImage(TestPhoto(32, 24));
        lists = std::make_unique<TypeController>("Normal 1");
        settle();
    }
    void TearDown() override {
        lists.reset();
        GraphicsTypeController::cancelPendingRedraw();
        view.reset();
        loop.useRealClock();
        TypeConstants::sharedInstance() = TypeConstants();
    }

    // Lets the throttled redraws happen.
    void settle() { loop.advance(0.5); }
    // The current input rendered with the current settings, as R, G, B, A bytes.
    std::vector<uint8_t> picture() {
        UIImagePtr image = view->drawCurrentImageToImage();
        if (!image) return {};
        CGImageRef pixels = image->CGImage();
        std::vector<uint8_t> bytes;
        for (std::size_t y = 0; y < CGImageGetHeight(pixels); ++y) {
            for (std::size_t x = 0; x < CGImageGetWidth(pixels); ++x) {
                const CGColor c = CGImageGetPixel(pixels, x, y);
                for (CGFloat v : {c.r, c.g, c.b, c.a}) bytes.push_back(uint8_t(v * 255 + 0.5));
            }
        }
        return bytes;
    }
    CollectionObject* mode(const std::string& name) { return lists->modeType().objectWithName(name); }

    NSRunLoop& loop = NSRunLoop::mainRunLoop();
    std::shared_ptr<GraphicsView> view;
    std::unique_ptr<TypeController> lists;
};

TEST_F(EngineBindingTest, ChoosingAModePutsItsRangesAndParameterSetIntoTheEngine) {
    const std::vector<uint8_t> before = picture();
    view->setAdjustment("CA Exposure", 0.42f);  // owned by the adjustments: modes leave it alone

    CollectionObject* fog = mode("Fog 2");
    fog->selectionChanged(true);  // a tap
    EXPECT_EQ(view->brightnessContrastUniqueId(), "Fog 6");
    EXPECT_EQ(view->brightnessRange().minimum, 0.5f);
    EXPECT_EQ(view->brightnessRange().maximum, 1.0f);
    EXPECT_EQ(view->contrastRange().maximum, 0.09f);

    const Modes::AdjustmentDictionary& set = Modes::ModeLibrary::modeWithName("Fog 6")->parameters();
    const auto& excluded = GraphicsTypeController::adjustmentsToExcludeFromModes();
    int checked = 0;
    for (const auto& [name, value] : set) {
        if (excluded.count(name)) continue;
        SCOPED_TRACE(name);
        if (const float* number = std::get_if<float>(&value)) {
            EXPECT_EQ(view->getAdjustmentString(name), view->adjustmentValueDescription(name, *number));
        } else {
            EXPECT_EQ(view->getAdjustmentString(name), std::get<std::string>(value));
        }
        ++checked;
    }
    EXPECT_GT(checked, 10);
    EXPECT_NEAR(view->getAdjustment("CA Exposure"), 0.42f, 1e-6);

    settle();
    const std::vector<uint8_t> after = picture();
    ASSERT_FALSE(after.empty()) << "the view renders no pictures";
    EXPECT_NE(after, before);
}

TEST_F(EngineBindingTest, SlidersMoveEngineValuesWithThrottledRedraws) {
    mode("Low Light 3")->selectionChanged(true);
    settle();
    const std::vector<uint8_t> full = picture();
    const uint64_t presents = view->eaglLayer().presentedContents().presentCount;

    Type& modes = lists->modeType();
    modes.valueWillBeginChange();
    modes.setValue(0.5f);
    loop.advance(0.01);
    modes.setValue(0.2f);
    EXPECT_NEAR(view->getAdjustment("CA Effect Strength"), 0.2f, 1e-6);
    EXPECT_EQ(view->eaglLayer().presentedContents().presentCount, presents) << "nothing drawn before the interval ends";
    loop.advance(GraphicsTypeController::nonRealtimeUpdateRate());
    const uint64_t afterDrag = view->eaglLayer().presentedContents().presentCount;
    EXPECT_GE(afterDrag, presents + 1);
    loop.advance(0.5);
    EXPECT_EQ(view->eaglLayer().presentedContents().presentCount, afterDrag) << "one redraw for the interval";
    modes.valueWillFinishChange();
    EXPECT_NE(picture(), full);

    // An adjustment moves its master value.
    Type& adjustments = lists->adjustType();
    adjustments.setSelectedObject(adjustments.objectWithName("Brightness"));
    adjustments.setValue(0.8f);
    EXPECT_NEAR(view->brightness(), 0.8f, 1e-3);
    adjustments.objectWithName("Vignette")->setValue(0.7f);
    EXPECT_NEAR(view->vignette(), 0.7f, 1e-3);
    lists->colorType().setSelectedObject(lists->colorType().objectWithName("Darks 1"));
    EXPECT_EQ(view->getAdjustmentString("CA Tone Map"), "Gotham");
    lists->colorType().setValue(0.3f);
    EXPECT_NEAR(view->colorStrength(), 0.3f, 1e-3);
}

TEST_F(EngineBindingTest, ArchivedStateRendersTheSamePicture) {
    mode("Low Light 3")->selectionChanged(true);
    lists->modeType().setValue(0.6f);
    Type& colors = lists->colorType();
    colors.setSelectedObject(TypeController::customColorObject().get());
    colors.performSelectedObjectUpdates([](CollectionObject* item) { item->setColor(CGColorMake(0.2, 0.5, 0.9, 1)); });
    colors.setValue(0.7f);
    lists->adjustType().objectWithName("Brightness")->setValue(0.65f);
    lists->adjustType().objectWithName("Vignette")->setValue(0.8f);
    lists->adjustType().objectWithName("Shadows")->setValue(0.3f);
    settle();
    const std::vector<uint8_t> taken = picture();
    ASSERT_FALSE(taken.empty()) << "the view renders no pictures";
    const std::string archive = State::currentState(*lists).data();

    // Other choices, then the photo is opened again.
    mode("Fog 1")->selectionChanged(true);
    colors.setSelectedObject(colors.objectWithName("Lights 3"));
    lists->adjustType().objectWithName("Brightness")->setValue(0.3f);
    lists->adjustType().objectWithName("Vignette")->setValue(0.1f);
    settle();
    ASSERT_NE(picture(), taken);

    std::string error;
    std::optional<State> state = State::stateFromData(archive, &error);
    ASSERT_TRUE(state) << error;
    state->restore(*lists, true, false);
    EXPECT_EQ(picture(), taken);
}

}  // namespace
