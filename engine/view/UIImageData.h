#pragma once
// The picture source over a platform image: its bitmap goes to the engine as it is when it is
// already packed B,G,R,A (32-bit little-endian, alpha first) or R,G,B,A (default or 32-bit
// big-endian byte order, alpha last) with 8-bit integer components; any other layout is
// redrawn into B,G,R,A premultiplied first.
#include <memory>

#include "engine/Bitmap.h"
#include "engine/view/ImageData.h"

class UIImageData : public ImageData {
public:
    // Null for a null image. The size is the image's size in points as it reports it.
    static std::shared_ptr<UIImageData> imageDataWithUIImage(UIImagePtr image);
    // The pixel block of any image (nothing happens for a null image or one without pixels).
    static void dataForImage(const PixelBlock& block, const UIImage& image);
    // An engine bitmap as a platform image carrying the bitmap's orientation (its bytes are
    // taken over, not copied, when nothing else holds the bitmap). Null for a null bitmap.
    static UIImagePtr imageWithBitmap(std::shared_ptr<sBitmap> bitmap);

    explicit UIImageData(UIImagePtr image);

    const UIImagePtr& image() const { return image_; }
    bool hasData() const override { return image_ != nullptr; }
    UIImagePtr uiImage() const override { return image_; }
    void data(const PixelBlock& block) const override;

private:
    UIImagePtr image_;
};
