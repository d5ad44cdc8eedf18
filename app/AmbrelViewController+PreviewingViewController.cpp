// Peek and pop on the album. A hook until it comes.
#include "app/AmbrelViewController.h"

// Hook: registers (YES) or unregisters the album for peek and pop.
void AmbrelViewController::enablePreviewing(bool) {}
