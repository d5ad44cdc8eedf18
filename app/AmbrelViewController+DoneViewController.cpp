// Album editing's Done and Cancel decisions, the Done button's title, and the home-screen
// shortcuts that bring the camera up with a mode at full strength (asking first before they
// drop a changed album edit, and waiting while album editing comes or goes).
#include "app/AmbrelViewController.h"
#include "library/albums/PhotoGroupCollectionView.h"
#include "library/browser/PhotoCollectionView.h"
#include "model/AmbrelAppSettings.h"
#include "model/State.h"
#include "model/Type.h"
#include "platform/foundation/Dispatch.h"
#include "platform/uikit/UIActionSheet.h"
#include "ui/animation/AnimationUtility.h"
#include "ui/animation/ViewUtility.h"
#include "ui/foundation/UIActionSheet+BlockUtility.h"
#include "ui/widgets/ContentView.h"

namespace {

constexpr const char* kSaveSheetTitle =
    "Saving allows your changes to be edited or undone. Export creates a copy with permanent changes.";
constexpr const char* kCopySheetTitle = "This photo is not directly editable. Do you want to save a copy?";
constexpr const char* kDiscardChangesTitle = "Discard Changes";
constexpr double kShortcutDelay = 0.1;

struct ShortcutMode {
    const char* type;
    const char* mode;
};
constexpr ShortcutMode kShortcutModes[] = {
    {"Low Light Photo", "Low Light 1"},
    {"Enhance Photo", "Enhance 1"},
    {"Artistic Photo", "Artistic 1"},
    {"Exposure Photo", "Overexposure 1"},
};

void afterDelay(double seconds, std::function<void()> block) {
    dispatch_after(dispatch_time(DISPATCH_TIME_NOW, static_cast<std::int64_t>(seconds * NSEC_PER_SEC)),
                   dispatch_get_main_queue(), std::move(block));
}

// The sheet's buttons run their actions; Cancel runs `cancelled`, when given.
void showSheet(const std::string& title, std::vector<std::string> buttons, const std::shared_ptr<UIView>& from,
               std::vector<std::function<void()>> actions, std::function<void()> cancelled = nullptr) {
    auto sheet = UIActionSheet::actionSheet(title, nullptr, std::string("Cancel"), std::nullopt, std::move(buttons));
    BlockUtility::setBlock(*sheet, [actions, cancelled](UIActionSheet& shown, int index) {
        if (index == shown.cancelButtonIndex() || index < 0 || index >= static_cast<int>(actions.size())) {
            if (cancelled) cancelled();
            return;
        }
        actions[static_cast<std::size_t>(index)]();
    });
    auto superview = from->superview() ? std::static_pointer_cast<UIView>(from->superview()->shared_from_this()) : from;
    sheet->showFromRect(from->frame(), superview, true);
}

}  // namespace

void AmbrelViewController::animateAlbumEditViewForAlbumEditAssetState() {
    const bool unchanged = albumEditAssetState_ && *albumEditAssetState_ == State::currentState();
    albumEditDoneButtonView_->setTitle(unchanged ? "Revert" : "Save");
}

AmbrelViewController::BoolBlock AmbrelViewController::albumEditSaveCompletion() {
    std::weak_ptr<UIViewController> weak = weak_from_this();
    return [this, weak](bool saved) {
        if (!saved) return;
        dispatch_async(dispatch_get_main_queue(), [this, weak] {
            if (!weak.expired()) animatePhotoCollectionViewFromAlbumEditing();
        });
    };
}

void AmbrelViewController::albumEditDoneAction() {
    if (!photoCollectionView_) return;
    BoolBlock done = albumEditSaveCompletion();
    if (albumEditDoneButtonView_->title() != "Save") return animatePhotoCollectionViewRevert(done);
    AmbrelAppSettings& settings = AmbrelAppSettings::sharedInstance();
    if (settings.saveType() != 0) return animatePhotoCollectionViewExport(done);
    auto save = [this, done] { animatePhotoCollectionViewSave(done); };
    auto copy = [this, done] { animatePhotoCollectionViewSaveCopy(done); };
    auto exportAsNew = [this, done] { animatePhotoCollectionViewExport(done); };
    if (photoCollectionView_->editableAtIndexPath(photoCollectionView_->selectedIndexPath())) {
        switch (static_cast<int>(settings.albumSaveMethod())) {
        case 0:
            showSheet(kSaveSheetTitle, {"Save", "Save as Copy", "Export"}, albumEditDoneButtonView_,
                      {save, copy, exportAsNew});
            break;
        case 1: save(); break;
        case 2: copy(); break;
        case 3: exportAsNew(); break;
        default: break;
        }
        return;
    }
    showSheet(kCopySheetTitle, {"Save as Copy", "Export"}, albumEditDoneButtonView_, {copy, exportAsNew});
}

bool AmbrelViewController::albumEditChanged() const {
    return !albumEditBeginState_ || !(*albumEditBeginState_ == State::currentState());
}

void AmbrelViewController::askToDiscardAlbumEdit(std::function<void()> discard, std::function<void()> keep) {
    if (!albumEditChanged()) return discard();
    showSheet("", {kDiscardChangesTitle}, albumEditCancelButtonView_, {std::move(discard)}, std::move(keep));
}

void AmbrelViewController::albumEditCancelAction() {
    if (!photoCollectionView_) return;
    askToDiscardAlbumEdit([this] {
        photoCollectionView_->cancelEditingForAssetIndexPath(photoCollectionView_->selectedIndexPath());
        animatePhotoCollectionViewFromAlbumEditing();
    });
}

bool AmbrelViewController::editingAlbumPhoto() const {
    return albumEditing_ && photoCollectionView_ && photoCollectionView_->isHidden();
}

void AmbrelViewController::application(UIApplication& application, const UIApplicationShortcutItem& shortcutItem,
                                       std::function<void(bool succeeded)> completionHandler) {
    std::weak_ptr<UIViewController> weak = weak_from_this();
    // Album editing on its way in or out, a save, a delete or a zoom under way: the screen is
    // not where the shortcut would take it from, so it waits.
    if (albumEditTransitioning() || application.isIgnoringInteractionEvents()) {
        afterDelay(kShortcutDelay, [this, weak, &application, shortcutItem, completionHandler] {
            if (!weak.expired()) this->application(application, shortcutItem, completionHandler);
        });
        return;
    }
    // The shortcut ends an album edit; a changed one only once the person lets it go.
    if (!editingAlbumPhoto()) return performShortcut(shortcutItem.type, std::move(completionHandler));
    const std::string type = shortcutItem.type;
    askToDiscardAlbumEdit(
        [this, weak, type, completionHandler] {
            if (!weak.expired()) performShortcut(type, completionHandler);
        },
        [completionHandler] {
            if (completionHandler) completionHandler(false);
        });
}

void AmbrelViewController::performShortcut(const std::string& type,
                                           std::function<void(bool succeeded)> completionHandler) {
    std::weak_ptr<UIViewController> weak = weak_from_this();
    // The album closes and the mode is chosen a moment after the photo is back in the album: a
    // camera brought up while the photo still flies would have the flight's end take its
    // picture and its bar.
    auto chooseMode = [this, weak, type] {
        if (weak.expired()) return;
        UIView::performWithoutAnimation([this] {
            if (photoGroupCollectionView_ && !photoGroupCollectionView_->isHidden() &&
                photoGroupCollectionView_->superview())
                animatePhotoGroupCollectionView(false);
            if (photoCollectionView_ && !photoCollectionView_->isHidden() && photoCollectionView_->superview())
                animatePhotoCollectionView(false);
        });
        Type& modes = TypeController::sharedInstance().modeType();
        for (const ShortcutMode& entry : kShortcutModes)
            if (type == entry.type)
                if (CollectionObject* mode = modes.objectNamed(entry.mode)) modes.setSelectedObject(mode);
        modes.setValue(1.0f);
    };
    auto scheduleMode = [chooseMode] { afterDelay(kShortcutDelay, chooseMode); };
    bool editEnded = false;
    UIView::performWithoutAnimation([&] {
        if (modeInfoView_) ViewUtility::dismissFullScreenViewWithDismissAction();
        if (compareView_) animateCompareView(false);
        if (settingsView_) {
            if (auto dismissAbout = aboutDismissBlock_) dismissAbout(*this);
            animateSettingsView(false);
        }
        if (editingAlbumPhoto()) {
            // Every transition off, so the album is back before the mode is chosen.
            setAnimateImageViewTransitions(false);
            ContentView::animateResetZoomScale(false);
            AnimationUtility::animateNavigationBarTransitions(false);
            AnimationUtility::animateImageTransitions(false);
            if (expandCollapseView_ && expandCollapseView_->expanded()) expandCollapseView_->toggleExpanded();
            photoCollectionView_->cancelEditingForAssetIndexPath(photoCollectionView_->selectedIndexPath());
            editEnded = true;
            animatePhotoCollectionViewFromAlbumEditing(scheduleMode);
            AnimationUtility::animateImageTransitions(true);
            AnimationUtility::animateNavigationBarTransitions(true);
            ContentView::animateResetZoomScale(true);
            setAnimateImageViewTransitions(true);
        }
    });
    if (!editEnded) scheduleMode();
    if (completionHandler) completionHandler(true);
}
