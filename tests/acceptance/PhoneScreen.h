#pragma once
// The phone's screen as a person finds their way on it (points, as scripts address them): where
// the controls are, where a photo is shown, and a script of taps, drags, keys and waits written
// a step at a time, each step saying what it is for.
#include <algorithm>
#include <cstdio>
#include <string>

#include "Screenshot.h"

namespace acceptance {

struct Point {
    double x = 0, y = 0;
};

namespace phone {

// The camera screen's bottom bar.
constexpr Point kAlbumButton{56, 618}, kShutter{187.5, 618}, kChevron{318, 618};
// One photo of the album: the toolbar below it and the way back above it.
constexpr Point kShare{28, 644}, kEdit{187, 644}, kTrash{347, 644}, kBack{28, 22};
// The share sheet of one photo: "Open In", then "Save to Pictures".
constexpr Point kSheetSaveToPictures{187, 565.5};
// Album editing with the controls folded away: Cancel and Done ("Save", "Revert").
constexpr Point kEditCancel{56, 618}, kEditDone{142, 618};
// Album editing with the controls out: the row of modes, and in it (once the row is dragged past
// the Enhance modes) the Dramatic category, whose tap chooses its first mode.
constexpr double kModeRowY = 534;
constexpr Point kDramaticCategory{209, kModeRowY};
// Album editing's kinds of control: Adjust, whose row ends (dragged twice to its end) with Crop.
constexpr Point kAdjustTab{142, 627}, kCropItem{325.5, kModeRowY};
// The crop screen: its bar's Crop, the Aspect button below, and in the aspect sheet "Square"
// (the second choice, after "Original").
constexpr Point kCropDone{336, 21}, kCropAspect{94, 617}, kAspectSquare{187, 223.5};
// A square rectangle on a landscape photo spans the editing width: its corners.
constexpr Point kSquareTopLeft{20, 139}, kSquareBottomRight{355, 474};
// The sheet Done brings up while the settings say to ask: its Save.
constexpr Point kSaveSheetSave{187, 451};
// The photo library's question before a revert and before a delete: "Don't Allow" on the left,
// the button that lets the change go ahead on the right.
constexpr Point kRevertDontAllow{120, 383.5}, kRevertAllow{255, 383.5};
constexpr Point kDeleteDontAllow{120, 373.5}, kDeleteAllow{255, 373.5};
// The access screen's "Enable Access", and the introduction's pages' next button.
constexpr Point kEnableAccess{187, 423}, kIntroductionNext{187, 333};
// The editing help that album editing shows the first time: a tap anywhere takes it away.
constexpr Point kEditingHelp{187, 333};
// The album's camera button (right in the bar), back to the camera screen.
constexpr Point kAlbumCamera{347, 22};
// With the editing controls out, the bar's settings button; the settings' "Done" in the bar and
// "About Tavorin" in the bottom bar.
constexpr Point kSettings{22, 22}, kSettingsDone{347, 22}, kAbout{187, 618};

// The album's grid: three cells a row, 123 points square, 3 apart, under the bar.
inline Point GridCell(int index) { return {61.5 + 126 * (index % 3), 44 + 61.5 + 126 * (index / 3)}; }
inline Region GridCellRegion(int index) { return {126.0 * (index % 3), 44 + 126.0 * (index / 3), 123, 123}; }

// Where a photo of the size is shown, fitted into the area and centred, less a margin.
inline Region Fitted(double width, double height, Region area, double margin = 4) {
    const double scale = std::min(area.width / width, area.height / height);
    const double w = width * scale, h = height * scale;
    return {area.x + (area.width - w) / 2 + margin, area.y + (area.height - h) / 2 + margin, w - 2 * margin,
            h - 2 * margin};
}
// The area a single photo of the album is shown in (between the bar and the toolbar), and the
// area of the picture in album editing with the controls folded away (above the bottom bar).
constexpr Region kSinglePhotoArea{0, 44, 375, 579}, kEditingArea{0, 0, 375, 613};
// The bar's strip above its titles and buttons: whatever lies behind the bar shows there.
constexpr Region kBarTop{0, 2, 375, 8};
// The viewfinder's "No camera available", a line across its middle.
constexpr Region kNoCameraNotice{90, 296, 195, 20};

// How much brighter the band is than the same band 40 points above and below it (0 to 1): a
// line of light text on the camera screen's gradient stands out, the gradient alone does not.
inline double BrighterThanAround(const Screenshot& shot, Region band) {
    const double above = shot.meanColour({band.x, band.y - 40, band.width, band.height}).brightness();
    const double below = shot.meanColour({band.x, band.y + 40, band.width, band.height}).brightness();
    return shot.meanColour(band).brightness() - (above + below) / 2;
}

}  // namespace phone

// A script for the headless program, written step by step.
class Script {
public:
    // The splash holds the start until its logo rests (2.6 s) and fades.
    Script& launch() { return wait(3.5, "the splash comes and goes"); }
    Script& tap(Point p, double then, const std::string& what) {
        line("# " + what);
        line(format("tap %.1f %.1f", p.x, p.y));
        return wait(then);
    }
    Script& drag(Point from, Point to, double seconds, double then, const std::string& what) {
        line("# " + what);
        line(format("drag %.1f %.1f %.1f %.1f %.2f", from.x, from.y, to.x, to.y, seconds));
        return wait(then);
    }
    Script& key(const std::string& name, double then, const std::string& what) {
        line("# " + what);
        line("key " + name);
        return wait(then);
    }
    Script& wait(double seconds, const std::string& what = {}) {
        if (!what.empty()) line("# " + what);
        line(format("wait %.2f", seconds, 0));
        return *this;
    }
    Script& shot(const std::string& name) {
        line("shot " + name);
        return *this;
    }
    const std::string& text() const { return text_; }

    // The way into one photo of the album from the camera screen: the album button, the
    // photo's cell in the grid.
    Script& openPhoto(int cell) {
        tap(phone::kAlbumButton, 1.2, "the album button: the grid of all photos");
        return tap(phone::GridCell(cell), 1.5, "a photo of the grid: the photo alone");
    }
    // From album editing with its controls out, the crop screen: Adjust, the row to its end,
    // Crop.
    Script& openCrop() {
        tap(phone::kAdjustTab, 1.5, "Adjust: the row of adjustments");
        drag({360, phone::kModeRowY}, {20, phone::kModeRowY}, 0.3, 1, "the row dragged along");
        drag({360, phone::kModeRowY}, {20, phone::kModeRowY}, 0.3, 1.5, "the row dragged to its end");
        return tap(phone::kCropItem, 2, "Crop: the crop screen on the unprocessed photo");
    }
    // Album editing of the photo shown, its controls folded away.
    Script& editShownPhoto() {
        tap(phone::kEdit, 1.5, "Edit: album editing opens with its controls out");
        return tap(phone::kChevron, 1, "the chevron folds the controls away");
    }

private:
    static std::string format(const char* pattern, double a, double b, double c = 0, double d = 0, double e = 0) {
        char buffer[128];
        std::snprintf(buffer, sizeof buffer, pattern, a, b, c, d, e);
        return buffer;
    }
    void line(const std::string& l) { text_ += l + "\n"; }
    std::string text_;
};

}  // namespace acceptance
