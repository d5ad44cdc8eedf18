#pragma once
// What the main screen's crop mode asks of the crop editor, apart from the main screen: the
// rectangle to record (relative to the photo), showing a recorded one again, the aspect sheet
// with the list that the rectangle's shape chooses, and the way back to a free rectangle. A
// chosen aspect is locked, so that the photo cropped to it has it exactly whatever handle is
// dragged afterwards; Reset (and the crop mode's Cancel) free the rectangle again.
#include <functional>
#include <memory>
#include <optional>

#include "platform/uikit/UIActionSheet.h"
#include "screens/crop/CropView.h"

struct CropScreen {
    // The editor's relative rectangle kept within the whole photo (0, 0, 1, 1); none when
    // nothing finite and non-empty is left, or without a picture.
    static std::optional<CGRect> recordableCrop(const CropView& cropView);
    // The recorded rectangle (fractions of the photo) shown again: the empty one (or one not
    // finite) as the whole picture.
    static void showRecordedCrop(CropView& cropView, CGRect relative);
    // Landscape when the window is wider than high; a square window leaves it to the picture.
    static bool aspectListIsLandscape(const CropView& cropView);
    // The whole picture again, the rectangle free of any chosen aspect.
    static void resetCrop(CropView& cropView, bool animated);
    // The aspect sheet, no title: "Original", "Square", six ratios, "Cancel" last; a choice
    // sets and locks the editor's ratio, centred (Cancel changes nothing). Shown by the caller.
    static std::shared_ptr<UIActionSheet> aspectSheet(const std::shared_ptr<CropView>& cropView);
};
