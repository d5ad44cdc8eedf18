// The editing help's panel: four hint lines stacked in the right-hand part, the pictures'
// column on the left; a wider panel on the pad and the larger phones.
#include "model/DeviceUtility.h"
#include "platform/foundation/NSLocalizedString.h"
#include "screens/help/HelpEditView.h"

namespace {

CGSize panelSize() {
    if (DeviceUtility::isIPad()) return {360, 300};
    if (DeviceUtility::has4Point7InchDisplay() || DeviceUtility::has5Point5InchDisplay()) return {320, 280};
    return {280, 260};
}

}  // namespace

void HelpEditView::loadView() {
    const CGSize size = panelSize();
    UIViewController::loadView();
    view()->setFrame(CGRect{CGPointZero, size});
    const CGFloat left = size.width * 0.32, rowHeight = size.height / 4;
    int row = 0;
    for (auto [line, text] : {std::pair{&infoLabel_, "Tap to learn about the current mode"},
                              std::pair{&compareLabel_, "Tap to compare with the original"},
                              std::pair{&slideLabel_, "Slide to set the strength"},
                              std::pair{&expandCollapseLabel_, "Tap to show or hide the controls"}}) {
        *line = std::make_shared<UILabel>(CGRectMake(left, rowHeight * row++, size.width - left - 12, rowHeight));
        (*line)->setText(NSLocalizedString(text));
        (*line)->setNumberOfLines(2);
        view()->addSubview(*line);
    }
    setLabel(infoLabel_);
}
