// The about panel over a controller in a navigation controller, on the manual clock: touches
// refused while it opens, the logo's flight and growth, the renderer's line, links through the
// application's opener, a link the desktop cannot open said in an alert, and everything back in
// place after the dismissal.
#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "app/settings/AboutPanel.h"
#include "platform/opengles/EAGLContext.h"
#include "platform/uikit/UIApplication.h"
#include "platform/uikit/UIBarButtonItem.h"
#include "platform/uikit/UINavigationController.h"
#include "platform/uikit/UINavigationItem.h"
#include "support/AlertHarness.h"
#include "support/FakeXdgOpen.h"
#include "support/TouchHarness.h"

namespace {

class AboutPanelTest : public ::testing::Test {
protected:
    void SetUp() override {
        UIApplication::sharedApplication().setURLLauncher([this](const std::string& target) {
            opened.push_back(target);
            return true;
        });
        controller = std::make_shared<UIViewController>();
        navigation = std::make_shared<UINavigationController>(controller);
        ui.window->setRootViewController(navigation);
        UIView& host = *controller->view();
        graphics = std::make_shared<UIView>(host.bounds());
        settings = std::make_shared<UIView>(host.bounds());
        settings->setAlpha(0.9);
        graphics->setAlpha(0.4);
        host.addSubview(graphics);
        host.addSubview(settings);
        auto bottom =
            std::make_shared<UIView>(CGRectMake(0, host.bounds().size.height - 98, host.bounds().size.width, 98));
        host.addSubview(bottom);
        about = AboutPanel::aboutButtonMenu(bottom->bounds(), [this](const auto&, const auto&) { openPanel(); });
        bottom->addSubview(about.menu);
        done = std::make_shared<TitleButtonView>("Done");
        controller->navigationItem().setRightBarButtonItem(UIBarButtonItem::itemWithCustomView(done));
        controller->navigationItem().setTitleView(std::make_shared<UIView>());
        ui.advance(0.1);
        logoHomeFrame = about.logo->frame();
        labelHomeFrame = about.label->frame();
    }
    void TearDown() override { UIApplication::sharedApplication().setURLLauncher(nullptr); }
    void openPanel() {
        panel = std::make_unique<AboutPanel>(
            AboutPanel::Parts{controller.get(), about.logo, about.label, settings, graphics, done});
    }
    void tapView(const UIView& view) {
        const CGRect r = view.convertRectToView(view.bounds(), nullptr);
        ui.tap(CGRectGetMidX(r), CGRectGetMidY(r));
    }

    TouchHarness ui;
    std::vector<std::string> opened;
    std::shared_ptr<UIViewController> controller;
    std::shared_ptr<UINavigationController> navigation;
    std::shared_ptr<UIView> graphics, settings;
    AboutPanel::AboutButton about;
    std::shared_ptr<TitleButtonView> done;
    std::unique_ptr<AboutPanel> panel;
    CGRect logoHomeFrame{}, labelHomeFrame{};
};

}  // namespace

TEST_F(AboutPanelTest, OpensWithTouchesRefusedAndPutsEverythingBackWhenDismissed) {
    UIView* button = about.logo->superview();
    tapView(*about.label);
    ASSERT_TRUE(panel) << "the about button opens the panel";
    EXPECT_EQ(about.logo->superview(), panel->container().get());

    // Half-way through the opening a tap on a link lands nowhere.
    ui.advance(0.5 - 0.1);
    EXPECT_TRUE(UIApplication::sharedApplication().isIgnoringInteractionEvents());
    tapView(*panel->buttons()[0]);
    EXPECT_TRUE(opened.empty());
    ui.advance(AboutPanel::kShowDuration);
    EXPECT_FALSE(UIApplication::sharedApplication().isIgnoringInteractionEvents());

    // The logo ends 122 points wide at a tenth of the container's height, over the gradient.
    EXPECT_NEAR(about.logo->frame().size.width, AboutPanel::kLogoSide, 1e-9);
    EXPECT_EQ(about.logo->center(), (CGPoint{AboutPanel::kContainerSide / 2, 0.1 * AboutPanel::kContainerSide}));
    EXPECT_EQ(panel->gradientView()->alpha(), 1);
    EXPECT_EQ(settings->alpha(), 0);
    EXPECT_EQ(graphics->alpha(), 0);
    EXPECT_EQ(controller->navigationItem().titleView(), nullptr);
    EXPECT_EQ(about.label->alpha(), 0);
    // Under the links, a line names the renderer that draws the pictures, within the container.
    const UILabel& renderer = *panel->rendererLine();
    EXPECT_EQ(renderer.superview(), panel->container().get());
    EXPECT_EQ(renderer.text(), "Pictures drawn by " + platform::EAGLContext::rendererDescription());
    EXPECT_GE(CGRectGetMinX(renderer.frame()), 0);
    EXPECT_LE(CGRectGetMaxX(renderer.frame()), AboutPanel::kContainerSide);
    EXPECT_LE(CGRectGetMaxY(renderer.frame()), AboutPanel::kContainerSide);
    EXPECT_GT(CGRectGetMinY(renderer.frame()), CGRectGetMaxY(panel->buttons().back()->frame()));

    // Each link opens its own address.
    for (std::size_t i = 0; i < panel->buttons().size(); ++i) {
        tapView(*panel->buttons()[i]);
        ASSERT_EQ(opened.size(), i + 1);
        EXPECT_EQ(opened[i], AboutPanel::links()[i].address);
    }
    EXPECT_EQ(opened[3].rfind("mailto:", 0), 0u);

    // Closing takes 0.64 s, refusing touches, and brings logo and label home.
    panel->dismiss();
    ui.advance(AboutPanel::kHideDuration - 0.05);
    EXPECT_TRUE(UIApplication::sharedApplication().isIgnoringInteractionEvents());
    ui.advance(0.1);
    EXPECT_FALSE(UIApplication::sharedApplication().isIgnoringInteractionEvents());
    EXPECT_EQ(about.logo->superview(), button);
    EXPECT_EQ(about.label->superview(), button);
    EXPECT_EQ(about.logo->frame(), logoHomeFrame);
    EXPECT_EQ(about.label->frame(), labelHomeFrame);
    EXPECT_EQ(about.label->text(), "About Tavorin");
    EXPECT_EQ(about.label->alpha(), 1);
    EXPECT_EQ(panel->container()->superview(), nullptr);
    EXPECT_EQ(panel->gradientView()->superview(), nullptr);
    EXPECT_FLOAT_EQ(settings->alpha(), 0.9f);
    EXPECT_FLOAT_EQ(graphics->alpha(), 0.4f);
    auto* title = dynamic_cast<UILabel*>(controller->navigationItem().titleView().get());
    ASSERT_TRUE(title);
    EXPECT_EQ(title->text(), "Settings");
    panel->dismiss();  // once only
    ui.advance(1);
    EXPECT_FALSE(UIApplication::sharedApplication().isIgnoringInteractionEvents());
}

TEST_F(AboutPanelTest, ALinkTheDesktopCannotOpenIsSaidInAnAlertWithTheReason) {
    UIApplication::sharedApplication().setURLLauncher(nullptr);
    FakeXdgOpen desktop("exit 3");  // as xdg-open ends where no browser is installed
    tapView(*about.label);
    ui.advance(AboutPanel::kShowDuration + 0.1);
    tapView(*panel->buttons()[0]);
    UIAlertPresentation* shown = desktop.waitForOutcome(ui);
    ASSERT_NE(shown, nullptr) << "the failed link is said";
    EXPECT_EQ(shown->title, "Cannot Open Link");
    EXPECT_EQ(shown->message,
              AboutPanel::links()[0].address + "\nxdg-open ended with status 3: no program on this desktop opens it");
    tapAlertButton(ui, "OK");
    EXPECT_EQ(UIAlertPresentation::shown(), nullptr);
    EXPECT_EQ(about.logo->superview(), panel->container().get()) << "the panel stays open";
}
