#include "platform/uikit/UIActivity.h"

void UIActivity::activityDidFinish(bool completed, NSErrorPtr error) {
    // Moved out first: the handler may release the last owner of the activity's sheet.
    if (auto handler = std::move(finishHandler_)) {
        finishHandler_ = nullptr;
        handler(completed, completed ? nullptr : error);
    }
}
