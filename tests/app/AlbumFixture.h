#pragma once
// The launched application's album against a real library in a temporary folder, for tests:
// entering it, opening a photo for editing with the controls expanded, collapsing, answering
// sheets and the library's questions, and the library's photos with their stored edits.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "library/browser/PhotoCollectionView.h"
#include "model/CollectionObject.h"
#include "platform/uikit/UIAlertPresentation.h"
#include "platform/uikit/UIBarButtonItem.h"
#include "platform/uikit/UILabel.h"
#include "platform/uikit/UINavigationItem.h"
#include "platform/uikit/UIViewController.h"
#include "support/AppHarness.h"
#include "ui/widgets/TitleButtonView.h"

inline CGPoint centreOf(const UIView& view) {
    const CGRect b = view.bounds();
    return view.convertPointToView({CGRectGetMidX(b), CGRectGetMidY(b)}, nullptr);
}

inline std::string labelText(const UIView& view) {
    if (auto* label = dynamic_cast<const UILabel*>(&view)) return label->text();
    std::string out;
    for (const auto& subview : view.subviews()) {
        const std::string text = labelText(*subview);
        if (!text.empty()) out += (out.empty() ? "" : "|") + text;
    }
    return out;
}

inline std::string modeName() {
    CollectionObject* mode = TypeController::sharedInstance().modeType().selectedObject();
    return mode && mode->name() ? *mode->name() : "";
}

inline void selectMode(const std::string& name) {
    Type& modes = TypeController::sharedInstance().modeType();
    CollectionObject* mode = modes.objectNamed(name);
    ASSERT_TRUE(mode) << name;
    modes.setSelectedObject(mode);
}

// A mode other than the one selected: a change whatever came before.
inline void changeMode() { selectMode(modeName() == "Dramatic 1" ? "Sky 1" : "Dramatic 1"); }

inline std::vector<std::string> shownButtons() {
    std::vector<std::string> titles;
    if (UIAlertPresentation* shown = UIAlertPresentation::shown())
        for (const UIAlertButton& button : shown->buttons) titles.push_back(button.title);
    return titles;
}

class AlbumTest : public ::testing::Test {
protected:
    void open(AppLaunch launch = {}) {
        if (launch.photos == 0) launch.photos = 2;
        launch.editedPhoto = true;
        app = std::make_unique<AppHarness>(std::move(launch));
        app->advance(0.5);
    }
    AmbrelViewController& screen() { return app->controller(); }
    PhotoCollectionView& album() { return *screen().photoCollectionView(); }

    // Runs the clock until the condition holds; slow decodes run on other threads.
    template <typename Done>
    bool waitFor(Done done, double seconds = 4) {
        const auto giveUp = std::chrono::steady_clock::now() + std::chrono::seconds(60);
        for (double t = 0; !done(); t += 0.1) {
            if (t > seconds && std::chrono::steady_clock::now() > giveUp) return false;
            app->advance(0.1);
            if (t > seconds) std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
        return true;
    }
    void tapView(const UIView& view) { app->tap(centreOf(view)); }
    void tapSheet(const std::string& title) {
        UIAlertPresentation* shown = UIAlertPresentation::shown();
        ASSERT_NE(shown, nullptr) << "no sheet";
        const int index = shown->indexOfButton(title);
        ASSERT_GE(index, 0) << title;
        const CGRect r = shown->buttonFrame(index);
        app->tap({CGRectGetMidX(r), CGRectGetMidY(r)});
        app->advance(0.5);
    }
    // The photo library's own question before a revert or a delete, answered with the button.
    void answerLibrary(const std::string& button) {
        ASSERT_TRUE(waitFor([] { return UIAlertPresentation::shown() && UIAlertPresentation::shown()->system; }))
            << "the library asks";
        tapSheet(button);
    }
    void enterAlbum() {
        tapView(screen().albumButtonView()->button());
        app->advance(1);
    }
    UIView& editButton() { return *screen().photoCollectionToolbar()->items()[2]->customView(); }
    // The photo at the row, opened in album editing, the controls expanded.
    void editPhoto(long row) {
        album().selectItemAtIndexPath(NSIndexPath::indexPathForItem(row, 0), false,
                                      UICollectionViewScrollPositionCenteredHorizontally);
        screen().animatePhotoCollectionViewLayout(PhotoCollectionLayoutSingle, album().selectedIndexPath());
        // The single layout's picture may still be on its way, touches held meanwhile.
        ASSERT_TRUE(waitFor([] { return !UIApplication::sharedApplication().isIgnoringInteractionEvents(); }));
        app->advance(0.5);
        ASSERT_TRUE(waitFor([] { return !UIApplication::sharedApplication().isIgnoringInteractionEvents(); }));
        tapView(editButton());
        ASSERT_TRUE(waitFor([this] { return album().isHidden() && !screen().albumEditDoneButtonView()->isHidden(); }))
            << "album editing did not open";
        app->advance(0.5);
    }
    void collapse() {
        if (screen().expandCollapseView()->expanded()) screen().expandCollapseView()->toggleExpanded();
        app->advance(0.5);
    }
    std::string doneTitle() { return screen().albumEditDoneButtonView()->title(); }
    bool backInAlbum() { return !album().isHidden() && screen().albumEditDoneButtonView()->isHidden(); }
    const AppHarness::LibraryPhoto* editedInLibrary() {
        photos = app->photos();
        for (const auto& photo : photos)
            if (photo.state) return &photo;
        return nullptr;
    }

    std::unique_ptr<AppHarness> app;
    std::vector<AppHarness::LibraryPhoto> photos;
};
