// The main screen's crop mode on the launched application: the springs in and out, what
// "Crop" records and hands the engine, "Cancel", the record travelling in the editing state
// and coming back on the next entry, and a crop without a photo.
#include <gtest/gtest.h>

#include "app/AmbrelViewController.h"
#include "engine/view/GraphicsContentView.h"
#include "model/State.h"
#include "model/Type.h"
#include "platform/uikit/UINavigationItem.h"
#include "screens/crop/CropPictures.h"
#include "screens/crop/CropView.h"
#include "support/AppHarness.h"

namespace {

CGRect& recorded() { return TypeConstants::sharedInstance().cropAdjustmentRelativeCropRect; }

}  // namespace

TEST(CropModeGLTest, CropRecordsTheRectangleWhichTravelsAndComesBack) {
    AppHarness app;
    AmbrelViewController& screen = app.controller();
    const UIImagePtr photo = quadrantPicture({400, 300});
    screen.graphicsView()->setImage(photo);
    recorded() = CGRectZero;
    app.advance(1);
    const CGRect frame = screen.graphicsView()->frame();

    screen.animateCropView(true);
    app.advance(2);
    ASSERT_TRUE(screen.cropViewShown());
    EXPECT_EQ(screen.cropView()->image(), photo) << "the unprocessed photo";
    EXPECT_EQ(screen.graphicsView()->alpha(), 0);
    EXPECT_EQ(screen.graphicsView()->transform(), CGAffineTransformIdentity);
    EXPECT_EQ(screen.graphicsView()->frame(), frame);
    EXPECT_EQ(screen.cropView()->alpha(), 1);
    expectRect(screen.cropView()->frame(), CGRectInset(frame, -0.01f, -0.01f), 1e-6, "overhanging the picture");
    ASSERT_EQ(screen.navigationItem().rightBarButtonItems().size(), 1u);
    EXPECT_NE(screen.navigationItem().titleView(), nullptr) << "\"Crop Photo\"";

    // Untouched: the whole photo is recorded and the engine gets it at its own size.
    screen.cropAction();
    app.advance(2);
    expectRect(recorded(), {{0, 0}, {1, 1}}, 1e-6, "untouched");
    ASSERT_NE(screen.graphicsView()->croppedImage(), nullptr);
    EXPECT_EQ(screen.graphicsView()->croppedImage()->size(), photo->size());
    EXPECT_FALSE(screen.cropViewShown()) << "removed once the springs end";
    EXPECT_EQ(screen.graphicsView()->alpha(), 1);
    EXPECT_EQ(screen.graphicsView()->transform(), CGAffineTransformIdentity);

    // A moved rectangle is recorded, survives the editing state's archive and returns on entry.
    screen.animateCropView(true);
    app.advance(2);
    screen.cropView()->setImageCropRect({{100, 75}, {200, 150}});
    screen.cropAction();
    app.advance(2);
    expectRect(recorded(), {{0.25, 0.25}, {0.5, 0.5}}, 1e-4, "moved");
    const auto state = State::stateFromData(State::currentState().data());
    ASSERT_TRUE(state);
    expectRect(state->cropAdjustmentRelativeCropRect, recorded(), 1e-9, "in the archive");
    screen.animateCropView(true);
    app.advance(2);
    expectRect(screen.cropView()->zoomedCropRect(), {{100, 75}, {200, 150}}, 1, "shown again");

    // Cancel after moving keeps the record and shows it the next time.
    screen.cropView()->setImageCropRect({{0, 0}, {100, 100}});
    const CGRect before = recorded();
    screen.cropCancelAction();
    app.advance(2);
    EXPECT_EQ(recorded(), before);
    screen.animateCropView(true);
    app.advance(2);
    expectRect(screen.cropView()->zoomedCropRect(), {{100, 75}, {200, 150}}, 1, "the record, not the cancelled move");
    screen.cropCancelAction();
    app.advance(2);

    // Without a photo Crop records nothing and the mode still closes.
    screen.graphicsView()->setImage(nullptr);
    screen.animateCropView(true);
    app.advance(2);
    screen.cropAction();
    app.advance(2);
    EXPECT_EQ(recorded(), before);
    EXPECT_FALSE(screen.cropViewShown());
    recorded() = CGRectZero;
}
