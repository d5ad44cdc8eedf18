// The editing controls: the list selector, the picker, the strength ring and slider shown and
// hidden as one group. Hooks until the controls come: each does nothing.
#include "app/AmbrelViewController.h"

// Hook: makes `typeSelectView` (in the bottom bar) and `collectionView` (in the main view).
void AmbrelViewController::makeTypeSelectViews() {}

// Hook: the picker's blocks and the list selector's blocks, type and pad width.
void AmbrelViewController::initializeTypeViews() {}

// Hook: `typeSelectView` at (0.38 W, 0.6 H) of the bottom bar.
void AmbrelViewController::layoutTypeViews() {}

// Hook: shows (YES) or hides the editing controls.
void AmbrelViewController::animateTypeView(bool) {}

// Hook: turns the editing controls' texts with the device.
void AmbrelViewController::setTypeViewOrientation(int, bool) {}

// Hook: a tap on the slider's value returns the selected value to its default.
void AmbrelViewController::typeSelectionValueResetToDefault() {}
