#pragma once
// The editing help: four hint lines, each beside a picture of the control it explains (the
// info button with the selected mode category's image, the compare button, the strength
// slider's handle and the chevron that opens and closes the controls).
//
// The chevron belongs to the main screen, above this library: the main screen installs a maker
// for it (`setChevronMaker`); without one the place stays an empty view of the chevron's size.
// The views are built in code (HelpEditView+View.cpp).
#include <functional>
#include <memory>

#include "platform/uikit/UIImageView.h"
#include "screens/help/HelpView.h"

class CompareButtonView;
class InfoButtonView;

class HelpEditView : public HelpView {
public:
    using ChevronMaker = std::function<std::shared_ptr<UIView>(CGRect frame)>;
    static constexpr CGRect kCompareButtonFrame{{0, 0}, {44, 44}};
    static constexpr CGRect kInfoButtonFrame{{0, 0}, {54, 30}};
    static constexpr CGRect kSlideViewFrame{{0, 0}, {28, 35}};
    static constexpr CGRect kChevronFrame{{0, 0}, {83, 65}};
    static constexpr CGFloat kPictureRelativeX = 0.16;
    static constexpr CGFloat kChevronLift = 6;

    // The maker returns the chevron already turned to its other state.
    static void setChevronMaker(ChevronMaker maker);

    void loadView() override;
    void viewDidLoad() override;
    void viewWillLayoutSubviews() override;

    const std::shared_ptr<UILabel>& infoLabel() const { return infoLabel_; }
    const std::shared_ptr<UILabel>& compareLabel() const { return compareLabel_; }
    const std::shared_ptr<UILabel>& slideLabel() const { return slideLabel_; }
    const std::shared_ptr<UILabel>& expandCollapseLabel() const { return expandCollapseLabel_; }
    const std::shared_ptr<CompareButtonView>& compareButton() const { return compareButton_; }
    const std::shared_ptr<InfoButtonView>& infoButton() const { return infoButton_; }
    const std::shared_ptr<UIImageView>& slideView() const { return slideView_; }
    const std::shared_ptr<UIView>& expandCollapseView() const { return expandCollapseView_; }

private:
    std::shared_ptr<UILabel> infoLabel_, compareLabel_, slideLabel_, expandCollapseLabel_;
    std::shared_ptr<CompareButtonView> compareButton_;
    std::shared_ptr<InfoButtonView> infoButton_;
    std::shared_ptr<UIImageView> slideView_;
    std::shared_ptr<UIView> expandCollapseView_;
};
