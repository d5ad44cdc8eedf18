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
    CGSize shape = cropView.cropRect().size;
    if (shape.width == shape.height) shape = cropView.image() ? cropView.image()->size() : CGSizeZero;
    return shape.width > shape.height;
}

std::shared_ptr<UIActionSheet> CropScreen::aspectSheet(const std::shared_ptr<CropView>& cropView) {
    const bool landscape = aspectListIsLandscape(*cropView);
    auto sheet = UIActionSheet::actionSheet("", nullptr, CropAspectRatios::kCancelTitle, std::nullopt,
                                            CropAspectRatios::buttonTitles(landscape));
    std::weak_ptr<CropView> weak = cropView;
    BlockUtility::setBlock(*sheet, [weak, landscape](UIActionSheet&, int index) {
        auto view = weak.lock();
        if (!view || !view->image()) return;
        if (auto ratio = CropAspectRatios::ratioAtIndex(index, landscape, view->image()->size()))
            view->setCropAspectRatio(*ratio);
    });
    return sheet;
}
