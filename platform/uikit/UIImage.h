#pragma once
// Images: a CGImage (the stored pixels), a scale (pixels per point) and an orientation (how
// the stored pixels are turned to be seen upright). `size` is in points, upright.
//
// Files are decoded by the Image I/O stand-in (JPEG, PNG, TIFF) with the orientation the file
// records; the stored pixels come as R, G, B, A bytes, straight alpha (alpha skipped when every
// pixel is opaque). A name ending in "@2x" or "@3x" gives the scale.
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/coregraphics/CGContext.h"
#include "platform/coregraphics/CGImage.h"
#include "platform/uikit/UIGeometry.h"

enum class UIImageOrientation : int {
    Up = 0,
    Down = 1,
    Left = 2,
    Right = 3,
    UpMirrored = 4,
    DownMirrored = 5,
    LeftMirrored = 6,
    RightMirrored = 7,
};

// Template pictures show only their alpha, painted in the tint of the view that shows them.
enum class UIImageRenderingMode : int { Automatic = 0, AlwaysOriginal = 1, AlwaysTemplate = 2 };

class UIImage;
using UIImagePtr = std::shared_ptr<UIImage>;

class UIImage {
public:
    // Null for a null image. An orientation outside 0-7 is taken as up.
    static UIImagePtr imageWithCGImage(CGImageRef image, CGFloat scale = 1,
                                       UIImageOrientation orientation = UIImageOrientation::Up);
    // Null (with the reason on stderr) when the file cannot be read or decoded.
    static UIImagePtr imageWithContentsOfFile(const std::string& path);
    static UIImagePtr imageWithData(std::vector<std::uint8_t> data, CGFloat scale = 1);
    // A resource of the bundle; "name" looks for name@<screen scale>x.png, then the other
    // scales, then name.png (another extension may be given in the name).
    static UIImagePtr imageNamed(const std::string& name);

    UIImage(CGImageRef image, CGFloat scale, UIImageOrientation orientation);

    const CGImageRef& CGImage() const { return image_; }
    CGFloat scale() const { return scale_; }
    UIImageOrientation imageOrientation() const { return orientation_; }
    UIImageRenderingMode renderingMode() const { return renderingMode_; }
    // The same pixels drawn in the given mode.
    UIImagePtr imageWithRenderingMode(UIImageRenderingMode mode) const;
    // The same pixels stretched as nine slices when drawn larger: the cap insets (points) keep
    // their size at the corners, stretch along the edges, and the middle stretches both ways.
    UIImagePtr resizableImageWithCapInsets(UIEdgeInsets capInsets) const;
    bool isResizable() const { return resizable_; }
    UIEdgeInsets capInsets() const { return capInsets_; }

    // Upright size in points.
    CGSize size() const;

    // Draws upright into the current UIKit context (top-left origin), filling the rectangle.
    void drawInRect(CGRect rect) const;
    void drawInRect(CGRect rect, CGBlendMode blendMode, CGFloat alpha) const;
    void drawAtPoint(CGPoint point) const;
    // Upright, into the current UIKit context: the nine slices for a resizable image, else
    // the whole picture stretched.
    void drawSlicedInRect(CGRect rect) const;

private:
    CGImageRef image_;
    CGFloat scale_;
    UIImageOrientation orientation_;
    UIImageRenderingMode renderingMode_ = UIImageRenderingMode::Automatic;
    bool resizable_ = false;
    UIEdgeInsets capInsets_{};
};

// The transform from the stored pixels (top-left origin, x right, y down) to the upright
// picture, for stored pixels of the given size.
CGAffineTransform UIImageOrientationTransform(UIImageOrientation orientation, CGSize storedSize);
bool UIImageOrientationSwapsSize(UIImageOrientation orientation);
