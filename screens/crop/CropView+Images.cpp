// The rectangles and pictures the crop view answers, and the crop without a view.
#include <cmath>

#include "platform/avfoundation/AVUtilities.h"
#include "platform/uikit/UIApplication.h"
#include "platform/uikit/UIGraphics.h"
#include "screens/crop/CropView.h"
#include "ui/images/UIImage+ImageUtility.h"

CGRect CropView::zoomedCropRect() const {
    if (!image_ || !zoomingView_) return CGRectZero;
    const CGRect Z = zoomingView_->convertRectFromView(scrollView_->frame(), this);
    const CGSize size = image_->size();
    const CGRect fit = AVMakeRectWithAspectRatioInsideRect(size, insetRect_);
    const UIInterfaceOrientation o = UIApplication::sharedApplication().statusBarOrientation();
    const bool portrait = o == UIInterfaceOrientation::Portrait || o == UIInterfaceOrientation::PortraitUpsideDown;
    const bool pad = UIDevice::currentDevice().userInterfaceIdiom() == UIUserInterfaceIdiom::Pad;
    const CGFloat k = !portrait && !pad ? fit.size.height / size.height : fit.size.width / size.width;
    return {{Z.origin.x / k, Z.origin.y / k}, {Z.size.width / k, Z.size.height / k}};
}

CGRect CropView::relativeCroppedImageRect() const {
    if (!image_) return CGRectZero;
    const CGRect z = zoomedCropRect();
    const CGSize size = image_->size();
    return {{z.origin.x / size.width, z.origin.y / size.height},
            {z.size.width / size.width, z.size.height / size.height}};
}

CGRect CropView::croppedImageRectForImage(const UIImagePtr& image) const {
    if (!image) return CGRectZero;
    const CGRect r = relativeCroppedImageRect();
    const CGSize size = image->size();
    return {{r.origin.x * size.width, r.origin.y * size.height},
            {r.size.width * size.width, r.size.height * size.height}};
}

CGSize CropView::croppedAndScaledImageSizeForImage(const UIImagePtr& image) const {
    if (!image) return CGSizeZero;
    return ImageUtility::resizedImageSizeForImageSize(croppedImageRectForImage(image).size,
                                                      UIViewContentMode::ScaleAspectFit, image->size());
}

bool CropView::isCropped() const {
    if (!image_) return false;
    const CGRect r = CGRectIntegral(zoomedCropRect());
    return r.origin != CGPoint{0, 0} || r.size != image_->size() || !CGAffineTransformIsIdentity(rotation());
}

UIImagePtr CropView::croppedImageForImage(const UIImagePtr& image) const {
    if (!image) return nullptr;
    return rotatedImage(image, rotation(), croppedImageRectForImage(image));
}

UIImagePtr CropView::croppedAndScaledImageForImage(const UIImagePtr& image) const {
    if (!image) return nullptr;
    return ImageUtility::resizedImageWithContentMode(croppedImageForImage(image), UIViewContentMode::ScaleAspectFit,
                                                     image->size(), kCGInterpolationDefault);
}

UIImagePtr CropView::rotatedImage(const UIImagePtr& image, CGAffineTransform transform) {
    if (!image) return nullptr;
    const CGSize size = image->size();
    UIGraphicsBeginImageContextWithOptions(size, true, image->scale());
    const CGContextRef c = UIGraphicsGetCurrentContext();
    CGContextTranslateCTM(c, size.width * 0.5, size.height * 0.5);
    CGContextConcatCTM(c, transform);
    CGContextTranslateCTM(c, size.width * -0.5, size.height * -0.5);
    image->drawInRect({{0, 0}, size});
    UIImagePtr drawn = UIGraphicsGetImageFromCurrentImageContext();
    UIGraphicsEndImageContext();
    return drawn;
}

UIImagePtr CropView::rotatedImage(const UIImagePtr& image, CGAffineTransform transform, CGRect rect) {
    UIImagePtr rotated = rotatedImage(image, transform);
    if (!rotated) return nullptr;
    const CGFloat scale = rotated->scale();
    const CGRect pixels{{rect.origin.x * scale, rect.origin.y * scale},
                        {rect.size.width * scale, rect.size.height * scale}};
    const bool finite = std::isfinite(pixels.origin.x) && std::isfinite(pixels.origin.y) &&
                        std::isfinite(pixels.size.width) && std::isfinite(pixels.size.height);
    // Clipped to the bitmap: the part on the picture is kept, and a rectangle with no pixels
    // on it leaves the picture whole rather than giving no picture at all.
    const CGImageRef& bitmap = rotated->CGImage();
    const CGRect whole{{0, 0},
                       {static_cast<CGFloat>(CGImageGetWidth(bitmap)), static_cast<CGFloat>(CGImageGetHeight(bitmap))}};
    const CGRect inside = finite ? CGRectIntersection(CGRectIntegral(pixels), whole) : CGRectZero;
    if (CGRectIsEmpty(inside)) return rotated;
    CGImageRef cut = CGImageCreateWithImageInRect(bitmap, inside);
    if (!cut) return rotated;
    return UIImage::imageWithCGImage(std::move(cut), image->scale(), rotated->imageOrientation());
}

UIImagePtr CropView::croppedAndScaledImageForImage(const UIImagePtr& image, CGRect imageCropRect) {
    if (!image) return nullptr;
    UIImagePtr cut = rotatedImage(image, CGAffineTransformIdentity, imageCropRect);
    // The redrawn picture has the picture's own size.
    return ImageUtility::resizedImageWithContentMode(cut, UIViewContentMode::ScaleAspectFit, image->size(),
                                                     kCGInterpolationDefault);
}
