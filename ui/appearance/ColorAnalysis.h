#pragma once
// The characteristic colours of a picture: a background colour from its left edge and up to
// three text colours that stand out against it (or against a custom analysis colour), with
// brightened variants and a contrasting colour for any colour.
//
// Colours are counted in a 32 × 32 × 32 histogram of the 8-bit premultiplied RGBA pixels; a
// bin's colour is its lower corner (r/32, g/32, b/32). A bin counts when it holds more pixels
// than 1 % of the picture's height (truncated). A missing or empty picture has no edge colour:
// the background is white and the text colours follow the missing-colour rule (white on a dark
// background, else black).
#include <functional>
#include <optional>
#include <vector>

#include "platform/foundation/NSObject.h"
#include "platform/uikit/UIImage.h"
#include "ui/appearance/CountedColor.h"

class ColorAnalysis : public NSObject {
public:
    using Completion = std::function<void(std::shared_ptr<ColorAnalysis>)>;

    // Analyses at once, on the calling thread.
    explicit ColorAnalysis(UIImagePtr image, std::optional<UIColor> customAnalysisColor = std::nullopt);

    // On the default-priority global queue: the picture stretched to `scaleSize` (unchanged
    // when already that size), analysed; the completion gets the analysis on the main queue.
    static void analyzeImage(UIImagePtr image, std::optional<UIColor> customAnalysisColor, CGSize scaleSize,
                             Completion completion);
    static void analyzeImage(UIImagePtr image, Completion completion) {
        analyzeImage(std::move(image), std::nullopt, {512, 512}, std::move(completion));
    }

    const UIColor& backgroundColor() const { return backgroundColor_; }
    const UIColor& primaryColor() const { return primaryColor_; }
    const UIColor& secondaryColor() const { return secondaryColor_; }
    const UIColor& thirdColor() const { return thirdColor_; }
    const UIImagePtr& image() const { return image_; }
    const std::optional<UIColor>& customAnalysisColor() const { return customAnalysisColor_; }
    UIColor analysisColor() const { return customAnalysisColor_.value_or(backgroundColor_); }
    // Background, primary, secondary, third.
    std::vector<UIColor> allColors() const;
    // The four colours, most saturated first, each brought to brightness 0.75-0.85 and at most
    // saturation 0.65; made on first request and kept.
    const std::vector<UIColor>& brightColors();
    UIColor brightColor();
    UIColor contrastingColorForColor(const UIColor& color) const;

    // The picture's left-edge colour (none for an empty edge); `imageColors` receives every
    // counted bin of the whole picture.
    static std::optional<UIColor> findEdgeColor(const UIImagePtr& image, std::vector<CountedColor>& imageColors);
    // Up to three text colours from the counted colours that stand out against `analysisColor`.
    static void findSecondaryColors(const std::vector<CountedColor>& colors, std::optional<UIColor>& primary,
                                    std::optional<UIColor>& secondary, std::optional<UIColor>& third,
                                    const UIColor& analysisColor);

private:
    void analyzeImage();

    UIColor backgroundColor_, primaryColor_, secondaryColor_, thirdColor_;
    std::optional<UIColor> brightColor_;
    std::vector<UIColor> brightColors_;
    UIImagePtr image_;
    std::optional<UIColor> customAnalysisColor_;
};
