// The photo collection: made at the end of start-up on the user-library album, kept hidden;
// the camera saves through it and the album button shows its newest picture.
#include "app/AmbrelViewController.h"
#include "library/browser/PhotoCollectionView.h"
#include "model/DeviceUtility.h"

void AmbrelViewController::initializePhotoCollectionView() {
    if (photoCollectionView_) return;
    photoCollectionView_ = std::make_shared<PhotoCollectionView>(AppConstants::defaultAlbumViewFrame());
    photoCollectionView_->setHidden(true);
    photoCollectionView_->setPhotoCollectionAssetsSavedPhotosGroup();
}

// Hook: the album browser comes in (YES) or goes.
void AmbrelViewController::animatePhotoCollectionView(bool) {}
