#pragma once
// The buttons of navigation bars and toolbars: a system item (drawn as a glyph or a title), a
// title, a picture (drawn in the tint) or a custom view; spaces that only take room. A tap on
// an enabled item's view sends the action with the item as the sender.
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "platform/foundation/NSObject.h"
#include "platform/uikit/UIColor.h"
#include "platform/uikit/UIImage.h"

class UIView;

enum class UIBarButtonSystemItem {
    Done = 0,
    Cancel = 1,
    Edit = 2,
    Save = 3,
    Add = 4,
    FlexibleSpace = 5,
    FixedSpace = 6,
    Compose = 7,
    Reply = 8,
    Action = 9,
    Organize = 10,
    Bookmarks = 11,
    Search = 12,
    Refresh = 13,
    Stop = 14,
    Camera = 15,
    Trash = 16,
};

enum class UIBarButtonItemStyle { Plain = 0, Bordered = 1, Done = 2 };

class UIBarButtonItem : public NSObject, public std::enable_shared_from_this<UIBarButtonItem> {
public:
    using Action = std::function<void(UIBarButtonItem& sender)>;

    static std::shared_ptr<UIBarButtonItem> itemWithSystemItem(UIBarButtonSystemItem item, Action action = nullptr);
    static std::shared_ptr<UIBarButtonItem> itemWithImage(UIImagePtr image, UIBarButtonItemStyle style, Action action);
    static std::shared_ptr<UIBarButtonItem> itemWithTitle(std::string title, UIBarButtonItemStyle style, Action action);
    static std::shared_ptr<UIBarButtonItem> itemWithCustomView(std::shared_ptr<UIView> view);
    ~UIBarButtonItem() override;

    std::optional<UIBarButtonSystemItem> systemItem() const { return systemItem_; }
    bool isSpace() const {
        return systemItem_ == UIBarButtonSystemItem::FlexibleSpace || systemItem_ == UIBarButtonSystemItem::FixedSpace;
    }
    // A system item's own title ("Done", "Cancel", ...) unless one was set.
    const std::string& title() const { return title_; }
    void setTitle(std::string title);
    const UIImagePtr& image() const { return image_; }
    void setImage(UIImagePtr image);
    UIBarButtonItemStyle style() const { return style_; }
    void setStyle(UIBarButtonItemStyle style);
    const std::shared_ptr<UIView>& customView() const { return customView_; }
    bool isEnabled() const { return enabled_; }
    void setEnabled(bool enabled);
    // The width of a fixed space, or of the item (0: its natural width).
    CGFloat width() const { return width_; }
    void setWidth(CGFloat width) { width_ = width; }
    // Null: the bar's tint.
    const std::optional<UIColor>& tintColor() const { return tintColor_; }
    void setTintColor(std::optional<UIColor> color);
    const Action& action() const { return action_; }
    void setAction(Action action) { action_ = std::move(action); }
    // Sends the action when the item is enabled.
    void sendAction();

    // The glyph of a system item that shows one, as a template picture (its alpha is the
    // shape), 24 x 24 points: the bundle's "barAction" and "barTrash", the others drawn here
    // (Add, Stop, Search, Refresh, Camera, Compose, Reply); null for the rest.
    static UIImagePtr systemGlyph(UIBarButtonSystemItem item);

    // Stand-in internals: the view that shows the item in a bar (the custom view, when there
    // is one), made on first request.
    const std::shared_ptr<UIView>& view();

private:
    UIBarButtonItem() = default;
    void changed();

    std::optional<UIBarButtonSystemItem> systemItem_;
    std::string title_;
    UIImagePtr image_;
    UIBarButtonItemStyle style_ = UIBarButtonItemStyle::Plain;
    std::shared_ptr<UIView> customView_;
    std::shared_ptr<UIView> view_;
    bool enabled_ = true;
    CGFloat width_ = 0;
    std::optional<UIColor> tintColor_;
    Action action_;
};
