// The crop screen over the picture. A hook until it comes.
#include "app/AmbrelViewController.h"

// Hook: whether `cropView` has a superview.
bool AmbrelViewController::cropViewShown() const { return false; }

// Hook: the crop screen over the album photo being edited.
void AmbrelViewController::animateCropView(bool) {}
