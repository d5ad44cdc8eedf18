#pragma once
// One or two centred lines of text, a header and an optional detail line below it, as one
// group always centred in the view. In blur mode (the default) the text is not painted in a
// colour: it cuts a frosted window into a blur that fills the view (the group's layer is the
// blur's mask, so only the text's coverage counts). The group turns with the device on a
// phone.
#include <memory>
#include <string>

#include "platform/uikit/UILabel.h"
#include "platform/uikit/UIBlurEffect.h"
#include "platform/uikit/UIVisualEffectView.h"

class TextDisplayView : public UIView {
public:
    explicit TextDisplayView(CGRect frame = CGRectZero);
    // An empty view whose header is in the application's font of the size.
    static std::shared_ptr<TextDisplayView> textDisplayViewWithHeaderOfSize(CGFloat size);
    // The same with a detail line in the application's font of the second size.
    static std::shared_ptr<TextDisplayView> textDisplayViewWithHeaderOfSize(CGFloat headerSize, CGFloat detailSize);

    const std::string& headerText() const { return headerText_; }
    void setHeaderText(const std::string& text);
    const std::string& detailText() const { return detailText_; }
    // Only while the detail line is shown.
    void setDetailText(const std::string& text);
    void setHeaderColor(const UIColor& color);
    void setDetailColor(const UIColor& color);

    bool useVisualEffect() const { return useVisualEffect_; }
    void setUseVisualEffect(bool use);
    CGFloat textSpacing() const { return textSpacing_; }
    void setTextSpacing(CGFloat spacing) { textSpacing_ = spacing; }
    bool showsDetailText() const { return detailLabel_ != nullptr; }
    void setShowsDetailText(bool shows);
    bool headerIsMultiline() const { return headerIsMultiline_; }
    void setHeaderIsMultiline(bool multiline);
    bool useBoldHeader() const { return useBoldHeader_; }
    // Yes replaces the header label with an outlined one (text set before is not carried
    // over); no does nothing.
    void setUseBoldHeader(bool bold);
    // Turns the group by the orientation's angle (0.2 s when animated); nothing on a pad.
    void setOrientation(int orientation, bool animated);

    UIView& groupView() const { return *groupView_; }
    const std::shared_ptr<UILabel>& headerLabel() const { return headerLabel_; }
    const std::shared_ptr<UILabel>& detailLabel() const { return detailLabel_; }
    UIVisualEffectView* visualEffectView() const { return visualEffectView_.lock().get(); }

    // The label becomes the view's width plus 20 by its text's height plus 20.
    void sizeLabelToFit(UILabel& label);
    void layoutLabels();
    void layoutSubviews() override { layoutLabels(); }

private:
    void initialize();
    std::shared_ptr<UILabel> newLabel() const;

    std::string headerText_, detailText_;
    bool useVisualEffect_ = false, headerIsMultiline_ = false, useBoldHeader_ = false;
    CGFloat textSpacing_ = 12.0;
    std::shared_ptr<UIView> groupView_;
    std::shared_ptr<UILabel> headerLabel_, detailLabel_;
    std::weak_ptr<UIVisualEffectView> visualEffectView_;
};
