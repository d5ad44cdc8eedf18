#pragma once
// A volume slider. While one of the application's own lies in a window, the system shows no
// volume overlay of its own; on this platform there is none either way, so the view only
// takes its place in the tree. `sizeToFit` keeps the width and makes it 20 points high.
#include "platform/uikit/UIView.h"

class MPVolumeView : public UIView {
public:
    static constexpr CGFloat kFittedHeight = 20;

    using UIView::UIView;
    void sizeToFit();
};
