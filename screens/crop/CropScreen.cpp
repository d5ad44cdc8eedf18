#include "screens/crop/CropScreen.h"

#include <cmath>

#include "screens/crop/CropAspectRatios.h"
#include "ui/foundation/UIActionSheet+BlockUtility.h"

namespace {
bool finite(CGRect r) {
    return std::isfinite(r.origin.x) && std::isfinite(r.origin.y) && std::isfinite(r.size.width) &&
           std::isfinite(r.size.height);
}
}  // namespace

std::optional<CGRect> CropScreen::recordableCrop(const CropView& cropView) {
    if (!cropView.image()) return std::nullopt;
    const CGRect relative = cropView.relativeCroppedImageRect();
    if (!finite(relative)) return std::nullopt;
    // A rounding hair past the photo's edge is not part of the crop.
    const CGRect inside = CGRectIntersection(relative, {{0, 0}, {1, 1}});
    if (CGRectIsEmpty(inside)) return std::nullopt;
    return inside;
}

void CropScreen::showRecordedCrop(CropView& cropView, CGRect relative) {
    const CGSize size = cropView.image() ? cropView.image()->size() : CGSizeZero;
    const CGRect r{{relative.origin.x * size.width, relative.origin.y * size.height},
                   {relative.size.width * size.width, relative.size.height * size.height}};
    if (CGRectIsEmpty(r) || !finite(r)) cropView.resetCropRect(false);
    else cropView.setImageCropRect(r);
}

bool CropScreen::aspectListIsLandscape(const CropView& cropView) {
    // The window's shape in the photo's proportions, which the picture's rounded sides may
    // miss by a hair: a square chosen on the photo is square here.
    const CGSize window = cropView.cropRect().size, photo = cropView.photoSize();
    const double ratio = window.width / window.height * cropView.photoShapeOverPicture();
    constexpr double kSquare = 1e-9;
    if (std::isfinite(ratio) && std::fabs(ratio - 1) > kSquare) return ratio > 1;
    return photo.width > photo.height;
}

void CropScreen::resetCrop(CropView& cropView, bool animated) {
    cropView.setKeepingCropAspectRatio(false);
    cropView.resetCropRect(animated);
}

std::shared_ptr<UIActionSheet> CropScreen::aspectSheet(const std::shared_ptr<CropView>& cropView) {
    const bool landscape = aspectListIsLandscape(*cropView);
    auto sheet = UIActionSheet::actionSheet("", nullptr, CropAspectRatios::kCancelTitle, std::nullopt,
                                            CropAspectRatios::buttonTitles(landscape));
    std::weak_ptr<CropView> weak = cropView;
    BlockUtility::setBlock(*sheet, [weak, landscape](UIActionSheet&, int index) {
        auto view = weak.lock();
        if (!view || !view->image()) return;
        if (auto ratio = CropAspectRatios::ratioAtIndex(index, landscape, view->photoSize())) {
            // The chosen aspect holds through every drag until Reset, Cancel or another photo.
            view->setKeepingCropAspectRatio(true);
            view->setCropAspectRatio(*ratio);
        }
    });
    return sheet;
}
