// The photo collection: made at the end of start-up on the user-library album, kept hidden;
// the camera saves through it and the album button shows its newest picture.
#include "app/AmbrelViewController.h"

void AmbrelViewController::initializePhotoCollectionView() {
    if (!savedPhotos_) savedPhotos_ = std::make_unique<SavedPhotosCollection>();
}

// Hook: the album browser comes in (YES) or goes.
void AmbrelViewController::animatePhotoCollectionView(bool) {}
