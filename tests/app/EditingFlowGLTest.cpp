// The editing flow end to end in the launched application, on the manual clock against a real
// library in a temporary folder: a mode and strength chosen on the camera, a photo taken, the
// album opened, a photo edited earlier reopened with its state and crop, changed and saved in
// place, compared, exported as PNG after a change in the settings, an edit discarded, the camera
// given back as it was left, and a home-screen shortcut. Each step checks what it shows.
#include <gtest/gtest.h>

#include "app/controls/CollectionView.h"
#include "app/controls/TypeSelectView.h"
#include "app/settings/SettingsView.h"
#include "engine/view/GraphicsView.h"
#include "ui/widgets/CompareView.h"

#include "AlbumFixture.h"

namespace {

class EditingFlow : public AlbumTest {
protected:
    void expand() {
        if (!screen().expandCollapseView()->expanded()) tapView(*screen().expandCollapseView());
        app->advance(1);
    }
    // The photo edited earlier, by its stored crop.
    long editedRow() {
        const auto library = app->photos();
        for (std::size_t i = 0; i < library.size(); ++i)
            if (library[i].state && !CGRectIsEmpty(library[i].state->cropAdjustmentRelativeCropRect))
                return static_cast<long>(library.size() - 1 - i);  // newest first in the album
        return -1;
    }
};

TEST_F(EditingFlow, FromTheCameraThroughTheAlbumAndBack) {
    open();
    TypeController& lists = TypeController::sharedInstance();
    Type& modes = lists.modeType();

    // 1. Launched: the camera.
    EXPECT_TRUE(album().isHidden());
    EXPECT_FALSE(screen().albumEditing());
    EXPECT_TRUE(screen().graphicsView()->graphicsView()->isAnimating()) << "the live picture renders";

    // 2. A mode and its strength, shown by the ring, which fades afterwards.
    expand();
    selectMode("Low Light 1");
    modes.setValue(0.4f);
    app->advance(0.2);
    EXPECT_EQ(screen().collectionView()->selectedObject(), modes.selectedObject());
    EXPECT_EQ(screen().circularProgressView()->displayText(), "Low Light 1");
    EXPECT_NEAR(screen().slideView()->value(), 0.4, 1e-6);
    app->advance(AmbrelViewController::kRingDisplayDuration + 0.5);
    EXPECT_EQ(screen().circularProgressView()->layer()->presentationLayer()->opacity(), 0) << "the ring has gone";
    const State camera = State::currentState();
    CollectionObject* const cameraColor = lists.colorType().selectedObject();

    // 3. Collapsed, the shutter: one photo, its edit the current state.
    collapse();
    const std::size_t before = app->photos().size();
    app->tap(AppHarness::phoneShutter());
    app->advance(3.5);
    auto library = app->photos();
    ASSERT_EQ(library.size(), before + 1);
    ASSERT_TRUE(library.back().state);
    EXPECT_EQ(*library.back().state, camera);

    // 4. The album; the photo edited earlier opens with its state and crop, unchanged: "Revert".
    enterAlbum();
    EXPECT_TRUE(screen().albumEditing());
    EXPECT_FALSE(screen().graphicsView()->graphicsView()->isAnimating()) << "the render loop stops";
    const long row = editedRow();
    ASSERT_GE(row, 0);
    editPhoto(row);
    EXPECT_EQ(TypeConstants::sharedInstance().cropAdjustmentRelativeCropRect, CGRectMake(0.25, 0.25, 0.5, 0.5));
    ASSERT_TRUE(screen().albumEditAssetState());
    EXPECT_EQ(*screen().albumEditAssetState(), State::currentState());
    EXPECT_EQ(screen().typeSelectView()->type(), TypeController::TypeSelectionMode);
    collapse();
    EXPECT_EQ(doneTitle(), "Revert");

    // 5. Another mode: "Save"; the save sheet's "Save" writes the edit in place and reopens it.
    expand();
    selectMode("Dramatic 1");
    collapse();
    EXPECT_EQ(doneTitle(), "Save");
    const State dramatic = State::currentState();
    tapView(*screen().albumEditDoneButtonView());
    EXPECT_EQ(shownButtons(), (std::vector<std::string>{"Save", "Save as Copy", "Export", "Cancel"}));
    tapSheet("Save");
    ASSERT_TRUE(waitFor([this] { return backInAlbum(); }));
    EXPECT_EQ(album().selectedIndexPath().item, row) << "the album on that photo";
    library = app->photos();
    const auto& saved = library[library.size() - 1 - static_cast<std::size_t>(row)];
    ASSERT_TRUE(saved.state);
    EXPECT_EQ(*saved.state, dramatic);
    editPhoto(row);
    EXPECT_EQ(modeName(), "Dramatic 1");

    // 6. Compare, and back.
    screen().animateCompareView(true);
    app->advance(1);
    ASSERT_TRUE(screen().compareView());
    EXPECT_TRUE(screen().compareView()->superview());
    screen().animateCompareView(false);
    app->advance(1);
    EXPECT_FALSE(screen().compareView());

    // 7. PNG in the settings: Done after a change exports without asking, at row 0.
    screen().animateSettingsView(true);
    app->advance(1);
    ASSERT_TRUE(screen().settingsView());
    AmbrelAppSettings::sharedInstance().setSaveType(SaveTypePNG);
    tapView(*screen().settingsDoneButton());
    app->advance(1);
    EXPECT_FALSE(screen().settingsView());
    modes.setValue(0.7f);
    collapse();
    const std::size_t count = app->photos().size();
    tapView(*screen().albumEditDoneButtonView());
    EXPECT_EQ(UIAlertPresentation::shown(), nullptr) << "no question";
    ASSERT_TRUE(waitFor([this] { return backInAlbum(); }));
    library = app->photos();
    ASSERT_EQ(library.size(), count + 1);
    EXPECT_EQ(library.back().original.extension(), ".png");
    EXPECT_FALSE(library.back().state);
    EXPECT_EQ(album().selectedIndexPath().item, 0);
    const long dramaticRow = row + 1;
    ASSERT_TRUE(library[library.size() - 1 - static_cast<std::size_t>(dramaticRow)].state);
    EXPECT_EQ(*library[library.size() - 1 - static_cast<std::size_t>(dramaticRow)].state, dramatic)
        << "the original's edit unchanged";

    // 8. A change discarded: the photo unchanged.
    editPhoto(dramaticRow);
    changeMode();
    collapse();
    tapView(*screen().albumEditCancelButtonView());
    tapSheet("Discard Changes");
    app->advance(1);
    EXPECT_TRUE(backInAlbum());
    const auto after = app->photos();
    ASSERT_EQ(after.size(), library.size());
    for (std::size_t i = 0; i < after.size(); ++i) EXPECT_EQ(after[i].state, library[i].state);

    // 9. The camera item: exactly the camera of step 2.
    tapView(*screen().navigationItem().rightBarButtonItem()->customView());
    app->advance(1);
    EXPECT_TRUE(album().isHidden());
    EXPECT_FALSE(screen().albumEditing());
    // The camera's own noise reduction follows its exposure, so the lists are compared.
    EXPECT_EQ(modeName(), "Low Light 1");
    EXPECT_FLOAT_EQ(modes.value(), 0.4f);
    EXPECT_EQ(lists.colorType().selectedObject(), cameraColor);
    EXPECT_TRUE(CGRectIsEmpty(TypeConstants::sharedInstance().cropAdjustmentRelativeCropRect));
    EXPECT_EQ(screen().typeSelectView()->type(), TypeController::TypeSelectionMode);

    // 10. A shortcut: its mode at full strength.
    UIApplicationPerformShortcut("Enhance Photo");
    app->advance(0.5);
    EXPECT_EQ(modeName(), "Enhance 1");
    EXPECT_FLOAT_EQ(modes.value(), 1.0f);
    app->advance(AmbrelViewController::kRingDisplayDuration + 0.5);
}

}  // namespace
