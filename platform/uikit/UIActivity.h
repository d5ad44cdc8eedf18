#pragma once
// One way of handing on the items of a share sheet (UIActivityViewController.h): its type,
// title, picture and category, whether it can run on the items, and the run itself.
//
// The sheet calls `prepareWithActivityItems`, then shows `activityViewController` when the
// activity has one, else calls `performActivity`; the activity calls `activityDidFinish`
// once, when it is done (the sheet then dismisses the activity's controller and tells its
// completion handler, with the activity's error when it failed). Main thread only.
#include <functional>
#include <memory>
#include <string>
#include <variant>
#include <vector>

#include "platform/foundation/NSError.h"
#include "platform/foundation/NSObject.h"
#include "platform/foundation/NSURL.h"
#include "platform/uikit/UIImage.h"

class UIViewController;

// A shared item: a text, a URL (a file or an address) or an image.
using UIActivityItem = std::variant<std::string, NSURL, UIImagePtr>;
using UIActivityItems = std::vector<UIActivityItem>;

enum class UIActivityCategory : int { Action = 0, Share = 1 };

// The platform's activity types.
inline const std::string UIActivityTypeSaveToCameraRoll = "UIActivityTypeSaveToCameraRoll";
inline const std::string UIActivityTypeAssignToContact = "UIActivityTypeAssignToContact";
inline const std::string UIActivityTypeAddToReadingList = "UIActivityTypeAddToReadingList";
inline const std::string UIActivityTypePostToWeibo = "UIActivityTypePostToWeibo";
inline const std::string UIActivityTypeSaveToPictures = "UIActivityTypeSaveToPictures";

class UIActivity : public NSObject, public std::enable_shared_from_this<UIActivity> {
public:
    using FinishHandler = std::function<void(bool completed, const NSErrorPtr& error)>;

    ~UIActivity() override = default;

    virtual UIActivityCategory activityCategory() const { return UIActivityCategory::Action; }
    virtual std::string activityType() const = 0;
    virtual std::string activityTitle() const = 0;
    virtual UIImagePtr activityImage() const { return nullptr; }

    virtual bool canPerformWithActivityItems(const UIActivityItems& items) { return false; }
    virtual void prepareWithActivityItems(const UIActivityItems& items) {}
    // The controller the sheet shows for this activity, or null to have `performActivity` run.
    virtual std::shared_ptr<UIViewController> activityViewController() { return nullptr; }
    virtual void performActivity() { activityDidFinish(false); }

    // Ends the run; only the first call of a run counts. A run that failed says why in
    // `error` (null for one the person ended).
    void activityDidFinish(bool completed, NSErrorPtr error = nullptr);

    // Stand-in internals: the sheet hears the end of the run here.
    void setFinishHandler(FinishHandler handler) { finishHandler_ = std::move(handler); }

private:
    FinishHandler finishHandler_;
};
