// The camera screen's live preview over a long stretch of use: the chevron opening and closing
// the editing controls again and again, modes and other items chosen on the picker, its kinds
// switched, and now and then the window's focus going to another window (an opener's, say)
// while the person goes on using the controls. All along, the camera's frames keep reaching
// the engine and the engine keeps presenting them.
#include <gtest/gtest.h>

#include <cstdint>
#include <random>
#include <string>

#include "app/controls/CollectionView.h"
#include "app/controls/TypeSelectView.h"
#include "engine/AmbrelGraphicsController.h"
#include "support/AppHarness.h"

namespace {

CGPoint onScreen(const UIView& view) {
    return view.convertPointToView({CGRectGetMidX(view.bounds()), CGRectGetMidY(view.bounds())}, nullptr);
}

class LivePreviewTest : public ::testing::Test {
protected:
    AmbrelViewController& screen() { return app.controller(); }
    AmbrelGraphicsController& engine() { return *screen().graphicsView()->graphicsView()->graphicsController(); }
    // Frames the engine has drawn, and the time of the camera frame its picture shows.
    uint64_t presented() { return engine().frameRate.GetTickCount(); }
    double shownFrameTime() {
        const sFrameTime& t = engine().inputTextures[engine().inputIndex].time;
        return t.timescale > 0 ? static_cast<double>(t.value) / t.timescale : -1;
    }
    // A little longer than `least`, by a varying amount.
    void pause(double least) { app.advance(least + std::uniform_real_distribution<double>(0, 0.3)(random)); }

    AppHarness app;
    std::mt19937 random{35};
};

TEST_F(LivePreviewTest, FramesKeepComingThroughRepeatedExpandCollapseModeChangesAndFocusChanges) {
    const int kinds[] = {TypeController::TypeSelectionAdjust, TypeController::TypeSelectionColor,
                         TypeController::TypeSelectionMode};
    for (int round = 0; round < 12; ++round) {
        SCOPED_TRACE("round " + std::to_string(round));
        const uint64_t before = presented();
        const double start = app.driver->now();
        // Another window takes the focus and does not give it back (no window manager moves
        // it on a click).
        if (round % 4 == 2) app.driver->focusChanged(false);

        app.tap(onScreen(*screen().expandCollapseView()));
        pause(0.1);
        // Items tapped on the picker, some while the controls are still coming in.
        for (int tap = 0; tap < 3; ++tap) {
            auto cells = screen().collectionView()->visibleCells();
            if (!cells.empty())
                app.tap(onScreen(*cells[std::uniform_int_distribution<std::size_t>(0, cells.size() - 1)(random)]));
            pause(0.05);
        }
        if (round % 2 == 1) {
            app.tap(onScreen(*screen().typeSelectView()->buttonWithTag(kinds[round / 2 % 3])));
            pause(0.1);
        }
        app.tap(onScreen(*screen().expandCollapseView()));
        pause(0.5);

        const double elapsed = app.driver->now() - start;
        // The display link runs 60 times a second and the camera 30: well over a frame drawn
        // for every few of the camera's, and the picture from the camera's last moments.
        EXPECT_GT(presented() - before, static_cast<uint64_t>(elapsed * 10)) << "over " << elapsed << " s";
        EXPECT_GT(shownFrameTime(), app.driver->now() - 0.5) << "the picture shows the camera's latest frames";
    }
}

}  // namespace
