#pragma once
// The settings screen's "About Tavorin" button and the about panel it opens: the logo flies
// from the button to the top of a centred 320-point container, grows to 122 points and
// glows, over the background gradient, with the program's four link pictures and "More Apps
// By Quorvin" below it and a line naming the renderer that draws the pictures; the settings
// page and the picture fade away. Dismissing puts everything back as it was, the logo and
// label into the button at their former frames.
// Touches are refused application-wide during the 0.8 s opening and the 0.64 s closing.
// The links open through the application's URL opener; their addresses are `links()`.
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/uikit/UIButton.h"
#include "platform/uikit/UILabel.h"
#include "platform/uikit/UIViewController.h"
#include "ui/widgets/AmbrelActivityView.h"
#include "ui/widgets/ButtonMenuView.h"
#include "ui/widgets/TitleButtonView.h"

class AboutPanel {
public:
    static constexpr NSTimeInterval kShowDuration = 0.8;
    static constexpr NSTimeInterval kHideDuration = 0.8 * kShowDuration;
    static constexpr CGFloat kContainerSide = 320, kLogoSide = 122;

    struct Link {
        std::string picture;  // empty: the text button
        std::string address;
    };
    // The four picture links, then the maker's store page.
    static const std::vector<Link>& links();

    // The bottom bar's menu holding the about button (the logo and "About Tavorin"); a tap
    // hands the action the button's logo and label.
    struct AboutButton {
        std::shared_ptr<ButtonMenuView> menu;
        std::shared_ptr<AmbrelActivityView> logo;
        std::shared_ptr<UILabel> label;
    };
    using AboutAction =
        std::function<void(const std::shared_ptr<AmbrelActivityView>& logo, const std::shared_ptr<UILabel>& label)>;
    static AboutButton aboutButtonMenu(CGRect frame, AboutAction action);

    // What the panel works on: the screen's controller (its view hosts the panel, its
    // navigation item loses the title while open), the borrowed logo and label, the two
    // views that fade away and the bar's "Done" button that changes colour.
    struct Parts {
        UIViewController* controller = nullptr;
        std::shared_ptr<AmbrelActivityView> logo;
        std::shared_ptr<UILabel> label;
        std::shared_ptr<UIView> settingsView, graphicsView;
        std::shared_ptr<TitleButtonView> doneButton;
    };
    // Opens the panel at once.
    explicit AboutPanel(Parts parts);
    AboutPanel(const AboutPanel&) = delete;
    AboutPanel& operator=(const AboutPanel&) = delete;
    // Closes it (once; later calls do nothing); the completion runs when all is back.
    void dismiss(std::function<void()> completion = nullptr);
    bool dismissed() const { return dismissed_; }

    const std::shared_ptr<UIView>& container() const { return container_; }
    const std::vector<std::shared_ptr<UIButton>>& buttons() const { return buttons_; }
    const std::shared_ptr<UIView>& gradientView() const { return gradient_; }
    // The line naming the renderer that draws the pictures.
    const std::shared_ptr<UILabel>& rendererLine() const { return renderer_; }

private:
    Parts parts_;
    std::shared_ptr<UIView> container_, gradient_;
    std::vector<std::shared_ptr<UIButton>> buttons_;
    std::shared_ptr<UILabel> renderer_;
    // The about button's views the logo and label came from (they may go meanwhile).
    std::weak_ptr<UIView> logoHome_, labelHome_;
    CGRect logoHomeFrame_{}, labelHomeFrame_{}, logoFrame_{}, labelFrame_{};
    CGFloat settingsAlpha_ = 1, graphicsAlpha_ = 1;
    bool dismissed_ = false;
};
