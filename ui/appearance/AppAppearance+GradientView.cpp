// AppAppearance: the backdrop gradient view behind the splash, introduction, save-settings
// and about screens.
#include "platform/uikit/UIScreen.h"
#include "ui/appearance/AppAppearance.h"
#include "ui/appearance/GradientView.h"
#include "ui/appearance/UIColor+ColorUtility.h"

std::shared_ptr<GradientView> AppAppearance::defaultGradientView(CGRect frame) {
    std::vector<UIColor> colors;
    for (const char* hex : {"081f31", "11273a", "0f2638", "293947", "2e3642", "2a2a36", "141820", "151821"})
        colors.push_back(ColorUtility::colorWithHexString(hex));
    auto view = std::make_shared<GradientView>(frame, 0, std::move(colors));
    view->setAutoresizingMask(UIViewAutoresizingFlexibleWidth | UIViewAutoresizingFlexibleHeight);
    view->setDarkness(0);
    view->layer()->setShouldRasterize(true);
    view->layer()->setContentsScale(UIScreen::mainScreen().scale());
    return view;
}
