#include "ui/widgets/AngleGradientLayer.h"

#include <cmath>
#include <cstdint>
#include <numbers>

namespace {

// red << 24 | green << 16 | blue << 8 | alpha, each channel truncated from component x 255.
std::uint32_t pack(const CGColor& c) {
    auto channel = [](CGFloat v) { return static_cast<std::uint32_t>(static_cast<float>(v) * 255.0f) & 0xFF; };
    return channel(c.r) << 24 | channel(c.g) << 16 | channel(c.b) << 8 | channel(c.a);
}

}  // namespace

AngleGradientLayer::AngleGradientLayer() { setNeedsDisplayOnBoundsChange(true); }

std::shared_ptr<AngleGradientLayer> AngleGradientLayer::angleGradientLayer(const std::vector<CGColor>& colors) {
    auto layer = std::make_shared<AngleGradientLayer>();
    std::vector<CGColor> closed = colors;
    if (!colors.empty()) closed.push_back(colors.front());
    layer->setColors(std::move(closed));
    return layer;
}

namespace {
constexpr CGColor kRed{1, 0, 0, 1}, kOrange{1, 0.5, 0, 1}, kYellow{1, 1, 0, 1}, kGreen{0, 1, 0, 1}, kBlue{0, 0, 1, 1},
    kPurple{0.5, 0, 0.5, 1};
}  // namespace

std::shared_ptr<AngleGradientLayer> AngleGradientLayer::spectrumGradientLayer() {
    auto layer = std::make_shared<AngleGradientLayer>();
    layer->setColors({kRed, kOrange, kYellow, kGreen, kBlue, kPurple, kRed});
    return layer;
}

std::shared_ptr<AngleGradientLayer> AngleGradientLayer::flatSpectrumGradientLayer() {
    auto layer = std::make_shared<AngleGradientLayer>();
    layer->setColors({kRed, kRed, kOrange, kOrange, kYellow, kYellow, kGreen, kGreen, kBlue, kBlue, kPurple, kPurple});
    layer->setLocations({0, 0.158, 0.16, 0.328, 0.33, 0.498, 0.5, 0.658, 0.66, 0.838, 0.84, 1.0});
    return layer;
}

void AngleGradientLayer::drawInContext(const CGContextRef& context) {
    const CGRect box = CGContextGetClipBoundingBox(context);
    if (backgroundColor()) {
        CGContextSetFillColorWithColor(context, *backgroundColor());
        CGContextFillRect(context, box);
    }
    drawToRect(box, context);
}

void AngleGradientLayer::drawToRect(CGRect rect, const CGContextRef& context) const {
    if (CGImageRef image = newImageGradientInRect(rect)) CGContextDrawImage(context, rect, image);
}

CGImageRef AngleGradientLayer::newImageGradientInRect(CGRect rect) const {
    rect = CGRectStandardize(rect);
    // Truncated sides: under one pixel there is no bitmap to make.
    if (!(rect.size.width >= 1 && rect.size.height >= 1) || colors_.empty()) return nullptr;
    const auto width = static_cast<std::size_t>(rect.size.width), height = static_cast<std::size_t>(rect.size.height);
    const std::size_t n = colors_.size();
    std::vector<std::uint32_t> packed;
    for (const CGColor& c : colors_) packed.push_back(pack(c));
    std::vector<float> locations;
    if (locations_.size() == n)
        for (CGFloat l : locations_) locations.push_back(static_cast<float>(l));

    std::vector<std::uint8_t> bytes(width * height * 4);
    const float halfW = static_cast<float>(width) * 0.5f, halfH = static_cast<float>(height) * 0.5f;
    constexpr float twoPi = 2 * std::numbers::pi_v<float>;
    for (std::size_t y = 0; y < height; ++y) {
        for (std::size_t x = 0; x < width; ++x) {
            const float dx = static_cast<float>(x) - halfW, dy = static_cast<float>(y) - halfH;
            float angle = std::atan2(dy, dx);
            if (dy < 0) angle += twoPi;
            const float t = angle / twoPi;
            std::size_t i0 = 0, i1 = 0;
            float f = 0;
            if (locations.empty()) {
                const float s = static_cast<float>(n - 1) * t;
                i0 = std::min(static_cast<std::size_t>(s), n - 1);
                f = s - static_cast<float>(i0);
                i1 = std::min(i0 + 1, n - 1);
            } else if (t >= locations[0]) {
                std::size_t k = n - 1;
                while (k > 0 && locations[k] > t) --k;
                i0 = k;
                i1 = std::min(k + 1, n - 1);
                const float span = locations[i1] - locations[i0];
                f = span > 0 ? (t - locations[i0]) / span : 0;
            }  // else: before the first location, the first colour alone
            const std::uint32_t c0 = packed[i0], c1 = packed[i1];
            auto mix = [&](int shift) {
                const float a = static_cast<float>((c0 >> shift) & 0xFF), b = static_cast<float>((c1 >> shift) & 0xFF);
                return static_cast<std::uint32_t>(a + f * (b - a));
            };
            const std::uint32_t alpha = mix(0);
            auto premultiplied = [&](int shift) {
                return static_cast<std::uint32_t>(static_cast<float>(mix(shift)) * static_cast<float>(alpha) / 255.0f);
            };
            const std::uint32_t word =
                premultiplied(24) << 24 | premultiplied(16) << 16 | premultiplied(8) << 8 | alpha;
            // Little-endian words: the lowest byte first.
            std::uint8_t* p = &bytes[(y * width + x) * 4];
            p[0] = static_cast<std::uint8_t>(word), p[1] = static_cast<std::uint8_t>(word >> 8);
            p[2] = static_cast<std::uint8_t>(word >> 16), p[3] = static_cast<std::uint8_t>(word >> 24);
        }
    }
    return CGImageCreate(width, height, 8, 32, width * 4, CGColorSpaceCreateDeviceRGB(),
                         kCGImageAlphaPremultipliedLast | kCGBitmapByteOrder32Little, std::move(bytes));
}

CGImageRef AngleGradientLayer::drawToImage() {
    const CGRect b = CGRectStandardize(bounds());
    if (!(b.size.width >= 1 && b.size.height >= 1)) return nullptr;
    const auto w = static_cast<std::size_t>(std::ceil(b.size.width)),
               h = static_cast<std::size_t>(std::ceil(b.size.height));
    CGContextRef context = CGBitmapContextCreate(nullptr, w, h, 8, 0, CGColorSpaceCreateDeviceRGB(),
                                                 kCGImageAlphaPremultipliedFirst | kCGBitmapByteOrder32Little);
    if (!context) return nullptr;
    // An image context's space: top-left origin, y down.
    CGContextTranslateCTM(context, 0, static_cast<CGFloat>(h));
    CGContextScaleCTM(context, 1, -1);
    renderInContext(context);
    return CGBitmapContextCreateImage(context);
}
