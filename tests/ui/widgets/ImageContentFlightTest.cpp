// The image flight between two image content views: the picture leaves fitted in the first
// view's image mode and lands in the second's, which stays hidden until the flight ends.
#include <gtest/gtest.h>

#include <memory>

#include "support/ControllerFixture.h"
#include "ui/animation/AnimationUtility.h"
#include "ui/images/UIImage+ImageUtility.h"
#include "ui/widgets/ImageContentView.h"

namespace {

class ImageContentFlightTest : public ControllerFixture {};

TEST_F(ImageContentFlightTest, PictureFliesBetweenContentViewsInTheirImageModes) {
    auto host = std::make_shared<UIView>(CGRectMake(0, 0, 375, 667));
    window->addSubview(host);
    auto from = std::make_shared<ImageContentView>(CGRectMake(10, 20, 40, 40));
    from->setImage(ImageUtility::imageWithColor(UIColor::redColor(), {80, 40}));
    from->setContentMode(UIViewContentMode::ScaleAspectFit);
    auto to = std::make_shared<ImageContentView>(CGRectMake(100, 200, 150, 150));
    to->setContentMode(UIViewContentMode::ScaleAspectFill);
    host->addSubview(from);
    host->addSubview(to);

    std::shared_ptr<UIImageView> flying;
    bool landed = false;
    AnimationUtility::ImageFlight flight;
    flight.dissolveView = host;
    flight.imageTransition = [&](const std::shared_ptr<UIImageView>& v, AnimationCompletion done) {
        flying = v;
        done(true);
    };
    flight.completion = [&](bool finished) { landed = finished; };
    AnimationUtility::animateImageContentView(from, to, host, flight);
    loop.runUntilIdle();
    ASSERT_TRUE(flying);
    EXPECT_EQ(flying->image(), from->image());
    EXPECT_EQ(to->alpha(), 0);
    advance(0.61);
    EXPECT_TRUE(landed);
    EXPECT_EQ(flying->frame(), to->frame());
    EXPECT_EQ(flying->contentMode(), UIViewContentMode::ScaleAspectFill);
    EXPECT_EQ(to->alpha(), 1);
    EXPECT_FALSE(UIApplication::sharedApplication().isIgnoringInteractionEvents());
}

}  // namespace
