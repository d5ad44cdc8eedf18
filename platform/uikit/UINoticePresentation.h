#pragma once
// The platform's short notice of something done that leaves no other sign on the screen (where
// a file went): a line or two of white text in a dark rounded box low over the key window,
// shown for `kShownFor` seconds and then faded out. It takes no touches and waits for nothing;
// a new notice takes the place of the one shown. Main thread only.
#include <filesystem>
#include <string>

#include "platform/coregraphics/CGGeometry.h"
#include "platform/foundation/NSRunLoop.h"

class UIView;

class UINoticePresentation {
public:
    static constexpr NSTimeInterval kShownFor = 3.0;
    static constexpr NSTimeInterval kFadeDuration = 0.3;
    // The box's widest, and the middle of its bottom edge: a fraction of the window's height
    // (above the bars and buttons at the bottom of the screens).
    static constexpr CGFloat kMaximumWidth = 320;
    static constexpr CGFloat kBottom = 0.8;

    // Shows the text over the key window (nothing without one).
    static void show(const std::string& text);
    // The text of the notice on the screen (while it fades too), or empty.
    static std::string shownText();
    // Its box, or null.
    static UIView* shownView();

    // A path as a notice names it: without "." and ".." steps, under the home folder as "~/…".
    static std::string displayPath(const std::filesystem::path& path);
};
