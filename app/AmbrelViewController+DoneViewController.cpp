// Album editing's Done, Share and Cancel, and the home-screen shortcuts. Hooks until album
// editing comes: each does nothing, and a shortcut completes with YES.
#include "app/AmbrelViewController.h"

// Hook: the Done button's title ("Save" or "Revert") for the photo being edited.
void AmbrelViewController::animateAlbumEditViewForAlbumEditAssetState() {}

// Hook: the Done decision.
void AmbrelViewController::albumEditDoneAction() {}

// Hook: the Cancel decision.
void AmbrelViewController::albumEditCancelAction() {}

// Hook: shares the edited photo.
void AmbrelViewController::animatePhotoCollectionViewShare(BoolBlock) {}

// Hook: opens the camera with the shortcut's mode.
void AmbrelViewController::application(UIApplication&, const UIApplicationShortcutItem&,
                                       std::function<void(bool succeeded)> completionHandler) {
    if (completionHandler) completionHandler(true);
}
