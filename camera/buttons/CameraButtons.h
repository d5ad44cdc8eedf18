#pragma once
// The small buttons around the camera: the shutter, the flash mode, the front/back camera and
// the square-aspect toggle (the settings button is SettingsButtonView). Each keeps one piece of
// state, animates when touched and reports the touch through its block; none talks to the
// camera. The classes live in files of their own names; this header gathers them.
#include "camera/buttons/AspectButtonView.h"
#include "camera/buttons/CameraButtonView.h"
#include "camera/buttons/FlashButtonView.h"
#include "camera/buttons/FrontBackButtonView.h"
