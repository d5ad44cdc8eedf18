#pragma once
// Finding views in a tree by what they are or show, for the settings screens' tests.
#include <functional>
#include <string>

#include "platform/uikit/UILabel.h"
#include "platform/uikit/UIView.h"

// The deepest view below `root` (or `root` itself) for which the predicate holds, depth first.
inline UIView* findView(UIView& root, const std::function<bool(UIView&)>& matches) {
    for (const auto& sub : root.subviews())
        if (UIView* found = findView(*sub, matches)) return found;
    return matches(root) ? &root : nullptr;
}

template <typename View>
View* findViewOfClass(UIView& root) {
    return static_cast<View*>(findView(root, [](UIView& v) { return dynamic_cast<View*>(&v) != nullptr; }));
}

// The first label showing the text, passing over those lying directly in `skipIn`.
inline UILabel* labelWithText(UIView& root, const std::string& text, const UIView* skipIn = nullptr) {
    return static_cast<UILabel*>(findView(root, [&](UIView& v) {
        auto* label = dynamic_cast<UILabel*>(&v);
        return label && label->text() == text && (!skipIn || label->superview() != skipIn);
    }));
}
