#pragma once
// A sheet of choices: a destructive button first (index 0 when there is one), then the other
// buttons, then the cancel button last. On the phone it rises at the bottom of the screen; on
// the pad it is a panel at the rectangle it is shown from, without the cancel button, and a tap
// outside answers the cancel index. The delegate hears the index (clicked, will dismiss, did
// dismiss; `dismissWithClickedButtonIndex` skips the click). The sheet keeps itself alive while shown or waiting.
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/coregraphics/CGGeometry.h"
#include "platform/foundation/NSObject.h"
#include "platform/uikit/UIView.h"

class UIActionSheet;
class UIAlertPresentation;
class UIView;

class UIActionSheetDelegate {
public:
    virtual ~UIActionSheetDelegate() = default;
    virtual void actionSheetClickedButtonAtIndex(UIActionSheet& sheet, int buttonIndex) {}
    virtual void actionSheetWillDismissWithButtonIndex(UIActionSheet& sheet, int buttonIndex) {}
    virtual void actionSheetDidDismissWithButtonIndex(UIActionSheet& sheet, int buttonIndex) {}
};

class UIActionSheet : public NSObject, public std::enable_shared_from_this<UIActionSheet> {
public:
    static std::shared_ptr<UIActionSheet> actionSheet(std::string title,
                                                      std::shared_ptr<UIActionSheetDelegate> delegate,
                                                      std::optional<std::string> cancelButtonTitle,
                                                      std::optional<std::string> destructiveButtonTitle,
                                                      std::vector<std::string> otherButtonTitles = {});

    const std::string& title() const { return title_; }
    std::shared_ptr<UIActionSheetDelegate> delegate() const { return delegate_.lock(); }
    void setDelegate(const std::shared_ptr<UIActionSheetDelegate>& delegate) { delegate_ = delegate; }
    int numberOfButtons() const { return static_cast<int>(titles_.size()); }
    std::string buttonTitleAtIndex(int index) const;
    int cancelButtonIndex() const { return cancelIndex_; }
    int destructiveButtonIndex() const { return destructiveIndex_; }

    void showInView(const std::shared_ptr<UIView>& view);
    // The pad's panel stands under the rectangle (in the view's coordinates).
    void showFromRect(CGRect rect, const std::shared_ptr<UIView>& view, bool animated);
    // From a toolbar: the sheet stands over the toolbar's bounds.
    void showFromToolbar(const std::shared_ptr<UIView>& toolbar) {
        showFromRect(toolbar ? toolbar->bounds() : CGRectZero, toolbar, true);
    }
    // Where the sheet was last shown from: the view and the rectangle in its coordinates.
    const std::weak_ptr<UIView>& anchorView() const { return anchorView_; }
    CGRect anchorRect() const { return anchorRect_; }
    bool isVisible() const;
    void dismissWithClickedButtonIndex(int index, bool animated);

private:
    UIActionSheet() = default;

    std::string title_;
    std::weak_ptr<UIActionSheetDelegate> delegate_;
    std::vector<std::string> titles_;
    int cancelIndex_ = -1, destructiveIndex_ = -1;
    std::shared_ptr<UIAlertPresentation> presentation_;
    bool dismissing_ = false;
    std::weak_ptr<UIView> anchorView_;
    CGRect anchorRect_{};  // inside dismissWithClickedButtonIndex
};
