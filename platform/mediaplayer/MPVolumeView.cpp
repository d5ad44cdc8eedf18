#include "platform/mediaplayer/MPVolumeView.h"

void MPVolumeView::sizeToFit() {
    CGRect f = frame();
    f.size.height = kFittedHeight;
    setFrame(f);
}
