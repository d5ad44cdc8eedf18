#pragma once
// Images derived from images: colour and alpha effects, automatic enhancement, turning a
// photo upright, cropping, resizing, a stack blur, rounded corners, images from a colour or a
// text, and pictures from the application bundle. Pure functions: each answers a new image, or
// the image given where it says so; a null image gives null.
//
// Orientation numbers are UIImageOrientation's (0 up … 7 right mirrored); device orientations
// 2 portrait upside down, 3 landscape left, 4 landscape right. "Point size" is `size()`,
// "pixel size" the bitmap's.
//
// Files: UIImage+ImageUtility.cpp (colour, alpha and enhancement effects),
// UIImage+ImageUtilityGeometry.cpp (rotation, orientation, cropping, resizing),
// UIImage+ImageUtilityMaking.cpp (blur, rounded corners, images from colours, texts and the
// bundle).
#include <string>

#include "platform/coregraphics/CGContext.h"
#include "platform/uikit/NSStringDrawing.h"
#include "platform/uikit/UIColor.h"
#include "platform/uikit/UIImage.h"
#include "platform/uikit/UIView.h"

struct ImageUtility {
    // ---- Effects -----------------------------------------------------------------------
    // The mean colour of the pixels (premultiplied), opaque.
    static UIColor averageColor(const UIImagePtr& image);
    // The colour filled over the picture in the blend mode, keeping its alpha; scale 0 is the
    // screen's.
    static UIImagePtr tintedImage(const UIImagePtr& image, const UIColor& color,
                                  CGBlendMode blendMode = kCGBlendModeColor, CGFloat scale = 0);
    // Grey (luminance) keeping the alpha, the image's scale and orientation.
    static UIImagePtr grayscaleImage(const UIImagePtr& image);
    // A colour-to-white gradient (colour at the bottom) blended in, keeping the alpha.
    static UIImagePtr applyGradient(const UIImagePtr& image, const UIColor& color,
                                    CGBlendMode blendMode = kCGBlendModeColor);
    // Alpha bytes set to 255 / replaced by 255 − alpha; the premultiplied colour bytes stay, so
    // a half-transparent pixel comes out darker. Scale 1, up.
    static UIImagePtr removeAlpha(const UIImagePtr& image);
    static UIImagePtr invertAlpha(const UIImagePtr& image);
    // Drawn multiplied at the opacity.
    static UIImagePtr addAlpha(const UIImagePtr& image, CGFloat alpha);
    // The image itself when its bitmap has alpha, else a premultiplied-alpha copy (up).
    static UIImagePtr imageWithAlpha(const UIImagePtr& image);
    // Automatic enhancement, as CPU auto-levels: each colour channel of the picture is
    // stretched linearly so that the reference's 0.5 % and 99.5 % points of that channel
    // become 0 and 255, then saturation is lifted mildly (× 1.1 about the luminance). A
    // channel whose points coincide is left alone. Scale 1, up.
    static UIImagePtr autoAdjust(const UIImagePtr& image) { return autoAdjustWithReferenceImage(image, image); }
    static UIImagePtr autoAdjustWithReferenceImage(const UIImagePtr& image, const UIImagePtr& reference);

    // ---- Geometry ----------------------------------------------------------------------
    // The bitmap drawn through the orientation's transform onto an upright canvas; null above
    // 7. As the platform has it, 6 and 7 each give the other's upright picture.
    static UIImagePtr rotate(const UIImagePtr& image, int orientation);
    // Null for up; 6 and 7 swapped back, so the picture of that orientation comes out upright.
    static UIImagePtr rotateFromOrientation(const UIImagePtr& image, int orientation);
    // 2 → rotate 1, 3 → rotate 2, 4 → rotate 3, else the image itself.
    static UIImagePtr rotateFromDeviceOrientation(const UIImagePtr& image, int deviceOrientation);
    // The image itself when up, else upright.
    static UIImagePtr normalizeOrientation(const UIImagePtr& image);
    // Always a fresh upright bitmap (an up image is redrawn at its point size).
    static UIImagePtr normalize(const UIImagePtr& image);
    static CGAffineTransform transformForOrientation(const UIImagePtr& image, CGSize size);
    // The bitmap's pixels in the rectangle, with the image's orientation, scale 1; null when
    // the rectangle misses the bitmap.
    static UIImagePtr croppedImage(const UIImagePtr& image, CGRect rect);
    // As `croppedImage` while the rectangle lies inside the bitmap; wherever it leaves the
    // bitmap the answer is the rectangle's size with black outside the picture.
    static UIImagePtr croppedImageWithBorder(const UIImagePtr& image, CGRect rect);
    // The upright picture at that size (scale 1); null for a zero side.
    static UIImagePtr resizedImage(const UIImagePtr& image, CGSize size, CGInterpolationQuality quality);
    static UIImagePtr resizedImage(const UIImagePtr& image, CGSize size, CGAffineTransform transform,
                                   bool drawTransposed, CGInterpolationQuality quality,
                                   UIImageOrientation orientation = UIImageOrientation::Up);
    static UIImagePtr resizedImageWithContentMode(const UIImagePtr& image, UIViewContentMode contentMode, CGSize bounds,
                                                  CGInterpolationQuality quality);
    // Aspect fit: within the bounds; aspect fill: covering them; each side rounded half up. A
    // zero image side gives the zero size. Other modes throw std::invalid_argument
    // ("Unsupported content mode: <n>").
    static CGSize resizedImageSizeForImageSize(CGSize imageSize, UIViewContentMode contentMode, CGSize bounds);

    // ---- Making ------------------------------------------------------------------------
    // Stack blur of the colour channels (alpha kept) by the platform's blur; radius 0 or an
    // empty image gives the image itself; radii above 254 blur as 254. Scale 1, up.
    static UIImagePtr blur(const UIImagePtr& image, unsigned radius);
    // Transparent rounded corners (size `cornerSize`) inset by `borderSize`, in points.
    static UIImagePtr roundCorners(const UIImagePtr& image, int cornerSize, int borderSize);
    static void addRoundedRectToPath(CGRect rect, const CGContextRef& context, CGFloat ovalWidth, CGFloat ovalHeight);
    static UIImagePtr imageWithColor(const UIColor& color, CGSize size);
    // The text at its own size (screen scale).
    static UIImagePtr imageWithText(const std::string& text, const NSStringAttributes& attributes);
    // An image of the rectangle's size with the text centred vertically in it.
    static UIImagePtr imageWithText(const std::string& text, CGRect rect, const NSStringAttributes& attributes);
    // From the application bundle (resources/). With `cache`, the cached look-up by name;
    // otherwise the file "<name>[@2x].<extension>" read afresh ("@2x" on screens of scale 2
    // or more when `useScreenScale`; the name's own extension is dropped). Null when missing.
    static UIImagePtr imageNamed(const std::string& name, bool cache, const std::string& extension = "png",
                                 bool useScreenScale = true);
    static UIImagePtr imageFromBundleNamed(const std::string& name) { return imageNamed(name, false); }
};
