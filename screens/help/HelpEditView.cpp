#include "screens/help/HelpEditView.h"

#include "model/CollectionObject.h"
#include "model/Type.h"
#include "ui/animation/PositioningUtility.h"
#include "ui/appearance/AppAppearance.h"
#include "ui/widgets/CompareButtonView.h"
#include "ui/widgets/InfoButtonView.h"

namespace {

HelpEditView::ChevronMaker& chevronMaker() {
    static HelpEditView::ChevronMaker maker;
    return maker;
}

}  // namespace

void HelpEditView::setChevronMaker(ChevronMaker maker) { chevronMaker() = std::move(maker); }

void HelpEditView::viewDidLoad() {
    HelpView::viewDidLoad();
    UIView& root = *view();
    root.setClipsToBounds(true);
    compareButton_ = std::make_shared<CompareButtonView>(kCompareButtonFrame);
    infoButton_ = std::make_shared<InfoButtonView>(kInfoButtonFrame);
    if (TypeController* types = TypeController::existingInstance())
        if (const CollectionObject* category = types->modeType().selectedCategory())
            infoButton_->setImage(category->image());
    slideView_ = std::make_shared<UIImageView>(UIImage::imageNamed("helpSlideView"));
    slideView_->setFrame(kSlideViewFrame);
    expandCollapseView_ = chevronMaker() ? chevronMaker()(kChevronFrame) : std::make_shared<UIView>(kChevronFrame);
    const UIColor tint = AppAppearance::defaultSecondaryColor();
    for (UIView* control : {static_cast<UIView*>(compareButton_.get()), static_cast<UIView*>(infoButton_.get()),
                            expandCollapseView_.get()})
        control->setTintColor(tint);
    for (const std::shared_ptr<UIView>& picture :
         std::vector<std::shared_ptr<UIView>>{compareButton_, infoButton_, slideView_, expandCollapseView_})
        root.addSubview(picture);
    for (const std::shared_ptr<UILabel>& line : {infoLabel_, compareLabel_, slideLabel_, expandCollapseLabel_}) {
        line->setFont(AppAppearance::defaultFont());
        line->setTextColor(tint);
    }
}

void HelpEditView::viewWillLayoutSubviews() {
    HelpView::viewWillLayoutSubviews();
    const UIView& root = *view();
    const auto beside = [&](UIView& picture, const UILabel& line, CGFloat lift) {
        picture.setCenter(CGPointMake(picture.center().x, CGRectGetMidY(line.frame()) - lift));
        PositioningUtility::positionViewAtRelativeX(picture, kPictureRelativeX, root);
    };
    beside(*slideView_, *slideLabel_, 0);
    beside(*compareButton_, *compareLabel_, 0);
    beside(*infoButton_, *infoLabel_, 0);
    beside(*expandCollapseView_, *expandCollapseLabel_, kChevronLift);
}
