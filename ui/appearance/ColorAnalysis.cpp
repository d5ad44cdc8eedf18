#include "ui/appearance/ColorAnalysis.h"

#include <algorithm>
#include <array>

#include "platform/coregraphics/CGContext.h"
#include "platform/foundation/Dispatch.h"
#include "platform/uikit/UIGraphics.h"
#include "ui/appearance/UIColor+ColorUtility.h"

namespace {

constexpr int kBins = 32;
using Histogram = std::vector<std::uint64_t>;

void sortByCount(std::vector<CountedColor>& colors) {
    std::stable_sort(colors.begin(), colors.end(),
                     [](const CountedColor& a, const CountedColor& b) { return a.compare(&b) < 0; });
}

UIColor missingColor(const UIColor& background) {
    return ColorAnalysisUtility::isDarkColor(background) ? UIColor::whiteColor() : UIColor::blackColor();
}

}  // namespace

ColorAnalysis::ColorAnalysis(UIImagePtr image, std::optional<UIColor> customAnalysisColor)
    : image_(std::move(image)), customAnalysisColor_(customAnalysisColor) {
    analyzeImage();
}

void ColorAnalysis::analyzeImage(UIImagePtr image, std::optional<UIColor> customAnalysisColor, CGSize scaleSize,
                                 Completion completion) {
    dispatch_async(dispatch_get_global_queue(DISPATCH_QUEUE_PRIORITY_DEFAULT, 0), [=] {
        UIImagePtr picture = image;
        if (picture && (picture->size().width != scaleSize.width || picture->size().height != scaleSize.height)) {
            UIGraphicsBeginImageContext(scaleSize);
            picture->drawInRect({{0, 0}, scaleSize});
            picture = UIGraphicsGetImageFromCurrentImageContext();
            UIGraphicsEndImageContext();
        }
        auto analysis = std::make_shared<ColorAnalysis>(picture, customAnalysisColor);
        dispatch_async(dispatch_get_main_queue(), [completion, analysis] {
            if (completion) completion(analysis);
        });
    });
}

std::optional<UIColor> ColorAnalysis::findEdgeColor(const UIImagePtr& image, std::vector<CountedColor>& imageColors) {
    imageColors.clear();
    if (!image || !image->CGImage()) return std::nullopt;
    const std::size_t w = CGImageGetWidth(image->CGImage()), h = CGImageGetHeight(image->CGImage());
    CGContextRef context =
        CGBitmapContextCreate(nullptr, w, h, 8, w * 4, CGColorSpaceCreateDeviceRGB(), kCGImageAlphaPremultipliedLast);
    if (!context) return std::nullopt;
    CGContextDrawImage(context, CGRectMake(0, 0, w, h), image->CGImage());
    const auto* bytes = static_cast<const std::uint8_t*>(CGBitmapContextGetData(context));
    const std::size_t rowBytes = CGBitmapContextGetBytesPerRow(context);

    Histogram whole(kBins * kBins * kBins), edge(kBins * kBins * kBins);
    auto bin = [](const std::uint8_t* p) { return (p[0] >> 3) << 10 | (p[1] >> 3) << 5 | (p[2] >> 3); };
    for (std::size_t y = 0; y < h; ++y) {
        const std::uint8_t* row = bytes + y * rowBytes;
        for (std::size_t x = 0; x < w; ++x) ++whole[bin(row + 4 * x)];
        ++edge[bin(row)];
    }

    const auto threshold = static_cast<std::uint64_t>(h * 0.01);
    std::vector<CountedColor> edgeColors;
    for (int b = 0; b < kBins; ++b)
        for (int g = 0; g < kBins; ++g)
            for (int r = 0; r < kBins; ++r) {
                const int index = r << 10 | g << 5 | b;
                const UIColor color = UIColor::colorWithRed(r / 32.0, g / 32.0, b / 32.0, 1);
                if (whole[index] > threshold) imageColors.emplace_back(color, whole[index]);
                if (edge[index] > threshold) edgeColors.emplace_back(color, edge[index]);
            }

    sortByCount(edgeColors);
    if (edgeColors.empty()) return std::nullopt;
    const CountedColor* candidate = &edgeColors.front();
    if (ColorAnalysisUtility::isBlackOrWhite(candidate->color()) && edgeColors.size() >= 2) {
        for (std::size_t i = 1; i < edgeColors.size(); ++i) {
            const double share = static_cast<double>(edgeColors[i].count()) / edgeColors.front().count();
            if (share <= 0.3) break;
            if (!ColorAnalysisUtility::isBlackOrWhite(edgeColors[i].color())) {
                candidate = &edgeColors[i];
                break;
            }
        }
    }
    return candidate->color();
}

void ColorAnalysis::findSecondaryColors(const std::vector<CountedColor>& colors, std::optional<UIColor>& primary,
                                        std::optional<UIColor>& secondary, std::optional<UIColor>& third,
                                        const UIColor& analysisColor) {
    const bool dark = ColorAnalysisUtility::isDarkColor(analysisColor);
    std::vector<CountedColor> kept;
    for (const auto& counted : colors) {
        const UIColor c = ColorAnalysisUtility::colorWithMinimumSaturation(counted.color(), 0.15);
        if (ColorAnalysisUtility::isDarkColor(c) == !dark) kept.emplace_back(c, counted.count());
    }
    sortByCount(kept);
    for (const auto& counted : kept) {
        const UIColor& c = counted.color();
        const bool contrasts = ColorAnalysisUtility::isContrastingColor(c, analysisColor);
        if (!primary) {
            if (contrasts) primary = c;
        } else if (!secondary) {
            if (ColorAnalysisUtility::isDistinctFromColor(*primary, c) && contrasts) secondary = c;
        } else if (!third) {
            if (ColorAnalysisUtility::isDistinctFromColor(*secondary, c) &&
                ColorAnalysisUtility::isDistinctFromColor(*primary, c) && contrasts) {
                third = c;
                break;
            }
        }
    }
}

void ColorAnalysis::analyzeImage() {
    std::vector<CountedColor> imageColors;
    backgroundColor_ = findEdgeColor(image_, imageColors).value_or(UIColor::whiteColor());
    std::optional<UIColor> primary, secondary, third;
    findSecondaryColors(imageColors, primary, secondary, third, analysisColor());
    const UIColor missing = missingColor(backgroundColor_);
    primaryColor_ = primary.value_or(missing);
    secondaryColor_ = secondary.value_or(missing);
    thirdColor_ = third.value_or(missing);
}

std::vector<UIColor> ColorAnalysis::allColors() const {
    return {backgroundColor_, primaryColor_, secondaryColor_, thirdColor_};
}

const std::vector<UIColor>& ColorAnalysis::brightColors() {
    if (brightColors_.empty()) {
        std::vector<UIColor> colors = allColors();
        ColorUtility::sortColors(colors, false, ColorAnalysisUtility::colorSaturation);
        for (const auto& c : colors)
            brightColors_.push_back(
                ColorAnalysisUtility::colorWithMinimumBrightnessAndMaximumBrightnessAndMaximumSaturation(c, 0.75, 0.85,
                                                                                                         0.65));
    }
    return brightColors_;
}

UIColor ColorAnalysis::brightColor() {
    if (!brightColor_)
        brightColor_ =
            ColorAnalysisUtility::colorWithMinimumBrightnessAndMaximumSaturation(brightColors().front(), 0.75, 0.65);
    return *brightColor_;
}

UIColor ColorAnalysis::contrastingColorForColor(const UIColor& color) const {
    std::vector<UIColor> colors = allColors();
    ColorUtility::sortColors(colors, false, ColorAnalysisUtility::colorLuminance);
    if (ColorAnalysisUtility::colorLuminance(color) < 0.4)
        return ColorAnalysisUtility::colorLuminance(colors.front()) > 0.5 ? colors.front() : UIColor::whiteColor();
    return ColorAnalysisUtility::colorLuminance(colors.back()) < 0.4 ? colors.back() : UIColor::blackColor();
}
