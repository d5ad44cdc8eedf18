#pragma once
// An action listed under a peek: a title, a style and the handler run when it is tapped, given
// the action and the controller being peeked at.
#include <functional>
#include <memory>
#include <string>

class UIViewController;

enum class UIPreviewActionStyle { Default = 0, Selected = 1, Destructive = 2 };

struct UIPreviewAction {
    using Handler = std::function<void(const UIPreviewAction& action, UIViewController& previewViewController)>;
    std::string title;
    UIPreviewActionStyle style = UIPreviewActionStyle::Default;
    Handler handler;

    static UIPreviewAction actionWithTitle(std::string title, UIPreviewActionStyle style, Handler handler) {
        return {std::move(title), style, std::move(handler)};
    }
};
