#pragma once
// Every view of the application installs a special colour's layer when that colour is set as
// its background, and keeps the installed layer the size of its bounds after each layout. The
// installed layer (or the view whose layer it is) is recorded on the view's layer under the
// key "Custom".
//
// A special colour carries one layer: set on a second view, the layer moves into that view.
// The first view then no longer owns it, and leaves it alone: it neither removes nor resizes
// a recorded layer that is no longer its own sublayer.
#include <memory>

#include "platform/uikit/UIView.h"

namespace AppearanceUtility {

inline constexpr const char* kCustomBackgroundKey = "Custom";

// Hooks every view's background-colour setter and layout pass (once; later calls do nothing).
void installViewHooks();

// What runs before a view's background colour is set: the old layer goes, a special colour's
// layer is installed at the back of the view's layer.
void setCustomBackgroundColor(UIView& view, const std::optional<UIColor>& color);
// What runs after a view's layout: the installed layer takes the view's bounds.
void layoutCustomSubviews(UIView& view);
void removeCustomBackgroundColor(UIView& view);
// The recorded layer (a carried view answers its layer), or null.
std::shared_ptr<CALayer> backgroundLayer(const UIView& view);

}  // namespace AppearanceUtility
