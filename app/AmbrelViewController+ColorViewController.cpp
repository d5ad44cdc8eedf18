// The colour screen and the format dial's swipes on the picture. A hook until it comes.
#include "app/AmbrelViewController.h"

// Hook: left and right swipes on the picture turn the format dial while on (YES).
void AmbrelViewController::enableRotationSelectionGestures(bool) {}
