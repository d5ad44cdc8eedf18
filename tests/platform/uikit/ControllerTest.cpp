// Controllers on the manual clock: the navigation stack under its bar, the bars' look and
// items, and modal presentation full screen and as the pad's panel.
#include <gtest/gtest.h>

#include "platform/quartzcore/ExpectGeometry.h"
#include "platform/uikit/UIBarButtonItem.h"
#include "platform/uikit/UINavigationBar.h"
#include "platform/uikit/UINavigationController.h"
#include "platform/uikit/UINavigationItem.h"
#include "platform/uikit/UIToolbar.h"
#include "support/ControllerFixture.h"

namespace {

using Log = std::vector<std::string>;

class NavigationTest : public ControllerFixture {
protected:
    std::shared_ptr<LoggingController> make(const std::string& name, UIColor color) {
        auto c = std::make_shared<LoggingController>(name, color, &log);
        c->setEdgesForExtendedLayout(UIRectEdgeNone);
        return c;
    }
    Log log;
};

}  // namespace

TEST_F(NavigationTest, TheTopViewFillsTheScreenBelowTheBarUnlessItExtendsUnderATranslucentOne) {
    struct Case {
        UIRectEdge edges;
        bool translucent, barHidden;
        double y;
    } cases[] = {{UIRectEdgeNone, true, false, 44},
                 {UIRectEdgeAll, true, false, 0},
                 {UIRectEdgeAll, false, false, 44},
                 {UIRectEdgeNone, true, true, 0}};
    for (const Case& c : cases) {
        auto root = make("root", UIColor::redColor());
        root->setEdgesForExtendedLayout(c.edges);
        auto nav = std::make_shared<UINavigationController>(root);
        nav->navigationBar()->setTranslucent(c.translucent);
        nav->setNavigationBarHidden(c.barHidden);
        window->setRootViewController(nav);
        window->layoutIfNeeded();
        expectRect(nav->navigationBar()->frame(), CGRectMake(0, c.barHidden ? -44 : 0, 375, 44), "bar");
        expectRect(root->view()->frame(), CGRectMake(0, c.y, 375, 667 - c.y), "content " + std::to_string(c.edges));
        window->setRootViewController(nullptr);
    }
}

TEST_F(NavigationTest, ALayoutWhileTheBarIsLiftedOutOfSightLeavesTheViewBelowTheBarsRestingPlace) {
    auto root = make("root", UIColor::redColor());
    auto nav = std::make_shared<UINavigationController>(root);
    window->setRootViewController(nav);
    window->layoutIfNeeded();
    const auto& bar = nav->navigationBar();
    // As the application does while it changes the bar's items: the bar up by its height,
    // a layout meanwhile, the bar back down.
    bar->setFrame(CGRectOffset(bar->frame(), 0, -44));
    nav->view()->setNeedsLayout();
    window->layoutIfNeeded();
    bar->setFrame(CGRectOffset(bar->frame(), 0, 44));
    window->layoutIfNeeded();
    expectRect(root->view()->frame(), CGRectMake(0, 44, 375, 623), "content");
    window->setRootViewController(nullptr);
}

TEST_F(NavigationTest, PushSlidesInFromTheRightIgnoringTouchesAndTheBackItemPops) {
    auto root = make("root", UIColor::redColor()), next = make("next", UIColor::blueColor());
    root->setTitle("Album");
    next->setTitle("Photo");
    auto nav = std::make_shared<UINavigationController>(root);
    window->setRootViewController(nav);
    EXPECT_EQ(log, (Log{"root+will", "root+did"}));
    log.clear();

    nav->pushViewController(next, true);
    EXPECT_EQ(log, (Log{"root-will", "next+will"}));
    EXPECT_TRUE(UIApplication::sharedApplication().isIgnoringInteractionEvents());
    advance(0.175);
    const double x = next->view()->layer()->presentation().position.x - 375.0 / 2;
    EXPECT_GT(x, 20);
    EXPECT_LT(x, 355) << "half-way in";
    advance(0.2);
    loop.runUntilIdle();
    EXPECT_EQ(log, (Log{"root-will", "next+will", "root-did", "next+did"}));
    EXPECT_FALSE(UIApplication::sharedApplication().isIgnoringInteractionEvents());
    EXPECT_EQ(root->view()->superview(), nullptr);
    expectRect(next->view()->frame(), CGRectMake(0, 44, 375, 623), "pushed");
    EXPECT_EQ(nav->navigationBar()->topItem()->title(), "Photo");

    // The back item sits at the left of the bar.
    const auto shown = nav->navigationBar()->shownItems();
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0]->title(), "Back");
    const CGPoint back = shown[0]->view()->convertPointToView(CGPointMake(10, 22), nullptr);
    EXPECT_LT(back.x, 80);
    log.clear();
    tap(back);
    advance(0.4);
    loop.runUntilIdle();
    EXPECT_EQ(nav->viewControllers().size(), 1u);
    EXPECT_EQ(log, (Log{"next-will", "root+will", "next-did", "root+did"}));
    EXPECT_EQ(next->view()->superview(), nullptr);
    EXPECT_EQ(root->view()->superview(), nav->view().get());
    EXPECT_EQ(next->parentViewController(), nullptr);
}

TEST_F(NavigationTest, BarItemsSendTheirActionOnlyWhenEnabledAndTheToolbarSharesFlexibleSpace) {
    auto root = make("root", UIColor::whiteColor());
    auto nav = std::make_shared<UINavigationController>(root);
    window->setRootViewController(nav);
    int done = 0, trash = 0;
    auto doneItem = UIBarButtonItem::itemWithSystemItem(UIBarButtonSystemItem::Done, [&](UIBarButtonItem&) { ++done; });
    root->navigationItem().setRightBarButtonItem(doneItem);
    window->layoutIfNeeded();
    const CGRect doneFrame = doneItem->view()->convertRectToView(doneItem->view()->bounds(), nullptr);
    EXPECT_NEAR(CGRectGetMaxX(doneFrame), 375 - 8, 0.5) << "at the right edge";
    tap({CGRectGetMidX(doneFrame), 22});
    doneItem->setEnabled(false);
    tap({CGRectGetMidX(doneFrame), 22});
    EXPECT_EQ(done, 1);

    nav->setToolbarHidden(false);
    auto trashItem =
        UIBarButtonItem::itemWithSystemItem(UIBarButtonSystemItem::Trash, [&](UIBarButtonItem&) { ++trash; });
    auto actionItem = UIBarButtonItem::itemWithSystemItem(UIBarButtonSystemItem::Action);
    auto flexible = UIBarButtonItem::itemWithSystemItem(UIBarButtonSystemItem::FlexibleSpace);
    auto fixed = UIBarButtonItem::itemWithSystemItem(UIBarButtonSystemItem::FixedSpace);
    fixed->setWidth(20);
    nav->toolbar()->setItems({fixed, actionItem, flexible, trashItem, fixed});
    window->layoutIfNeeded();
    const CGRect action = actionItem->view()->convertRectToView(actionItem->view()->bounds(), nullptr);
    const CGRect bin = trashItem->view()->convertRectToView(trashItem->view()->bounds(), nullptr);
    EXPECT_NEAR(action.origin.x, 8 + 20, 0.5);
    EXPECT_NEAR(CGRectGetMaxX(bin), 375 - 8 - 20, 0.5);
    EXPECT_NEAR(CGRectGetMidY(bin), 667 - 22, 0.5);
    expectRect(root->view()->frame(), CGRectMake(0, 44, 375, 667 - 88), "between the bars");
    tap({CGRectGetMidX(bin), CGRectGetMidY(bin)});
    EXPECT_EQ(trash, 1);

    // The glyphs are drawn in the tint: blue where the trash can stands, not in the bar's grey.
    const CGImageRef shot = screenshot();
    const CGColor glyph = meanAt(shot, CGRectInset(bin, bin.size.width / 2 - 8, 14));
    EXPECT_GT(glyph.b - glyph.r, 0.1);
    const CGColor bar = meanAt(shot, {{150, 667 - 40}, {40, 36}});
    EXPECT_NEAR(bar.b - bar.r, 0, 0.02);
    // A new tint on the toolbar reaches the glyphs drawn in it.
    nav->toolbar()->setTintColor(UIColor::redColor());
    const CGColor red = meanAt(screenshot(), CGRectInset(bin, bin.size.width / 2 - 8, 14));
    EXPECT_GT(red.r - red.b, 0.1);
}

TEST_F(NavigationTest, TheBarPaintsItsTintTitleAndHairlineUnlessAnEmptyShadowImageIsSet) {
    auto root = make("root", UIColor::whiteColor());
    root->setTitle("Settings");
    auto nav = std::make_shared<UINavigationController>(root);
    window->setRootViewController(nav);
    const auto& bar = nav->navigationBar();
    bar->setBarTintColor(UIColor::redColor());
    bar->setTranslucent(false);
    CGImageRef shot = screenshot();
    expectColor(meanAt(shot, {{4, 4}, {40, 30}}), {1, 0, 0, 1}, "bar tint");
    const CGColor title = meanAt(shot, {{150, 14}, {75, 16}});
    EXPECT_LT(title.g + title.r, 0.95) << "dark title over red";
    const CGColor hairline = meanAt(shot, {{0, 43.5}, {375, 0.5}});
    EXPECT_LT(hairline.r, 0.85);

    bar->setShadowImage(std::make_shared<UIImage>(nullptr, 1, UIImageOrientation::Up));  // an empty picture
    shot = screenshot();
    expectColor(meanAt(shot, {{0, 43.5}, {375, 0.5}}), {1, 0, 0, 1}, "no hairline");
}

TEST_F(NavigationTest, AnAnimatedChangeOfItemsCrossFadesTheBar) {
    auto root = make("root", UIColor::whiteColor());
    auto nav = std::make_shared<UINavigationController>(root);
    window->setRootViewController(nav);
    nav->navigationBar()->setBarTintColor(UIColor::blackColor());
    nav->navigationBar()->setTranslucent(false);
    nav->navigationBar()->setTintColor(UIColor::whiteColor());
    auto item = UIBarButtonItem::itemWithSystemItem(UIBarButtonSystemItem::Trash);
    window->layoutIfNeeded();
    root->navigationItem().setRightBarButtonItem(item, true);
    const CGRect r = item->view()->convertRectToView(item->view()->bounds(), nullptr);
    const CGRect glyph = CGRectInset(r, r.size.width / 2 - 10, 12);
    const double before = meanAt(screenshot(), glyph).r;
    advance(0.1);
    const double mid = meanAt(screenshot(), glyph).r;
    advance(0.2);
    const double after = meanAt(screenshot(), glyph).r;
    EXPECT_LT(before, 0.05) << "the old bar shows at first";
    EXPECT_GT(mid, before + 0.02);
    EXPECT_GT(after, mid + 0.02) << "the new item fades in";
}
