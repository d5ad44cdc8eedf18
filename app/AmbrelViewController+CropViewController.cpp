// The crop screen over the picture. A hook until it comes.
#include "app/AmbrelViewController.h"

// Hook: whether `cropView` has a superview.
bool AmbrelViewController::cropViewShown() const { return false; }
