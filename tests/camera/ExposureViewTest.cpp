// The exposure scale: the midpoint mapping and easing (finite for midpoints at the ends and
// values out of range), the marker's place and size, and the lines around it.
#include <gtest/gtest.h>

#include <cmath>

#include "camera/capture/ExposureView.h"

namespace {

TEST(ExposureViewTest, TheMarkerSitsWhereTheMappedValueSays) {
    struct Case {
        double midpoint, value;
        double mapped;  // before easing
    } cases[] = {
        {0.5, 0.25, 0.25}, {0.5, 1.0, 1.0}, {0.8, 0.8, 0.5},  {0.5, 0.0, 0.0},  {0.0, 0.0, 0.5}, {0.0, 0.6, 0.8},
        {1.0, 1.0, 0.5},   {1.0, 0.4, 0.2}, {-3.0, 2.0, 1.0}, {4.0, -1.0, 0.0}, {0.5, NAN, 0.5}, {NAN, 0.25, 0.25},
    };
    auto view = ExposureView::exposureView();
    ASSERT_TRUE(view->imageView()->image());  // the marker picture is found
    const CGFloat height = view->bounds().size.height;
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << "midpoint " << c.midpoint << " value " << c.value);
        view->setMidpointValue(c.midpoint);
        view->setValue(c.value);
        const double eased = c.mapped * c.mapped * (3 - 2 * c.mapped);
        EXPECT_NEAR(view->value(), eased, 1e-12);
        const CGRect marker = view->imageView()->frame();
        const CGFloat hh = view->imageView()->bounds().size.height / 2;
        EXPECT_TRUE(std::isfinite(marker.origin.y));
        EXPECT_NEAR(view->imageView()->center().y, hh + (1 - eased) * (height - 2 * hh), 1e-9);
        EXPECT_NEAR(view->imageView()->transform().a, (eased - 0.5) * 0.3 + 1.0, 1e-9);
    }
    view->setMidpointValue(0.5);
    view->setValue(0.25);
    EXPECT_DOUBLE_EQ(view->value(), 0.15625);
    view->setValue(1.0);  // at the top: no room for the upper line
    EXPECT_TRUE(view->topView()->isHidden());
    EXPECT_FALSE(view->bottomView()->isHidden());
    view->setValue(0.5);
    EXPECT_FALSE(view->topView()->isHidden());
    EXPECT_NEAR(view->topView()->frame().size.height,
                view->imageView()->center().y - view->imageView()->bounds().size.height / 2 - 4.0, 1e-9);
}

TEST(ExposureViewTest, TheLinesShowOnlyWhenAsked) {
    auto view = ExposureView::exposureView();
    EXPECT_FALSE(view->showValueLines());
    EXPECT_EQ(view->topView()->alpha(), 0.0);
    view->setShowValueLines(true);
    EXPECT_EQ(view->topView()->alpha(), 1.0);
    EXPECT_EQ(view->bottomView()->alpha(), 1.0);
}

}  // namespace
