#include "ui/appearance/UIColor+ColorUtility.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <random>

#include "platform/coregraphics/CGContext.h"
#include "ui/images/UIImage+ImageUtility.h"

namespace {

int degreesOf(CGFloat hue) { return static_cast<int>(hue * 360); }

struct HSBA {
    CGFloat h = 0, s = 0, b = 0, a = 0;
};

HSBA hsbOf(const UIColor& c) {
    HSBA v;
    ColorUtility::getHSBA(c, &v.h, &v.s, &v.b, &v.a);
    return v;
}

UIColor fromHSB(const HSBA& v) { return UIColor::colorWithHue(v.h, v.s, v.b, v.a); }

// The receiver first, then `count - 1` colours from `next` (a count of 0 or 1: the receiver).
UIColors counted(const UIColor& c, int count, const std::function<UIColor(int k)>& next) {
    UIColors colors{ColorUtility::colorWithColor(c)};
    for (int k = 1; k < count; ++k) colors.push_back(next(k));
    return colors;
}

// The receiver, then colours whose component steps on in whole percent, modulo 100.
UIColors stepped(const UIColor& c, int count, CGFloat HSBA::*component, int step) {
    const HSBA v = hsbOf(c);
    int percent = static_cast<int>(v.*component * 100);
    return counted(c, count, [&](int) {
        percent = (percent + step) % 100;
        HSBA w = v;
        w.*component = percent / 100.0;
        return fromHSB(w);
    });
}

std::mt19937& randomBytes() {
    static std::mt19937 engine{std::random_device{}()};
    return engine;
}

}  // namespace

bool ColorUtility::getRGBA(const UIColor& c, CGFloat* r, CGFloat* g, CGFloat* b, CGFloat* a) {
    return c.getRed(r, g, b, a);
}

bool ColorUtility::getHSBA(const UIColor& c, CGFloat* h, CGFloat* s, CGFloat* b, CGFloat* a) {
    return c.getHue(h, s, b, a);
}

bool ColorUtility::getHSLA(const UIColor& c, CGFloat* hue, CGFloat* saturation, CGFloat* lightness, CGFloat* alpha) {
    CGFloat r = 0, g = 0, b = 0;
    getRGBA(c, &r, &g, &b, alpha);
    const CGFloat max = std::max({r, g, b}), min = std::min({r, g, b});
    const CGFloat l = (max + min) / 2;
    CGFloat h = 0, s = 0;
    if (l > 0) {
        const CGFloat d = max - min;
        if (d > 0) {
            s = l <= 0.5 ? d / (max + min) : d / (2 - max - min);
            const CGFloat r2 = (max - r) / d, g2 = (max - g) / d, b2 = (max - b) / d;
            if (r == max) h = g == min ? 5 + b2 : 1 - g2;
            else if (g == max) h = b == min ? 1 + r2 : 3 - b2;
            else h = r == min ? 3 + g2 : 5 - r2;
            h /= 6;
        } else {
            s = d;
        }
    }
    if (hue) *hue = h;
    if (saturation) *saturation = s;
    if (lightness) *lightness = l;
    return true;
}

bool ColorUtility::isTranslucent(const UIColor& c) {
    CGFloat a = 1;
    getRGBA(c, nullptr, nullptr, nullptr, &a);
    return a != 1;
}

bool ColorUtility::isEqualToColor(const UIColor& c, const UIColor& other) { return c == other; }

std::string ColorUtility::hexString(const UIColor& c) {
    CGFloat r = 0, g = 0, b = 0;
    getRGBA(c, &r, &g, &b, nullptr);
    char text[8];
    std::snprintf(text, sizeof text, "#%02X%02X%02X", static_cast<unsigned>(r * 255), static_cast<unsigned>(g * 255),
                  static_cast<unsigned>(b * 255));
    return text;
}

UIColor ColorUtility::colorWithHexString(const std::string& text) {
    std::size_t i = 0;
    if (!text.empty() && text[0] == '#') i = 1;
    while (i < text.size() && std::isspace(static_cast<unsigned char>(text[i]))) ++i;
    if (i + 1 < text.size() && text[i] == '0' && (text[i + 1] == 'x' || text[i + 1] == 'X')) i += 2;
    std::uint64_t value = 0;
    for (; i < text.size() && std::isxdigit(static_cast<unsigned char>(text[i])); ++i) {
        const char ch = static_cast<char>(std::tolower(static_cast<unsigned char>(text[i])));
        value = value * 16 + static_cast<std::uint64_t>(ch <= '9' ? ch - '0' : ch - 'a' + 10);
        value = std::min<std::uint64_t>(value, 0xFFFFFFFFull);  // overflow: all bits set
    }
    const auto bits = static_cast<std::uint32_t>(value);
    return colorWithRedByte((bits >> 16) & 0xFF, (bits >> 8) & 0xFF, bits & 0xFF, 1);
}

UIColor ColorUtility::colorWithRedByte(unsigned red, unsigned green, unsigned blue, CGFloat alpha) {
    return UIColor::colorWithRed(red / 255.0, green / 255.0, blue / 255.0, alpha);
}

UIColor ColorUtility::colorWithColor(const UIColor& c) {
    CGFloat r = 0, g = 0, b = 0, a = 1;
    getRGBA(c, &r, &g, &b, &a);
    return UIColor::colorWithRed(r, g, b, a);
}

UIColor ColorUtility::colorWithColor(const UIColor& c, CGFloat alpha) {
    return colorWithColor(c).colorWithAlphaComponent(alpha);
}

UIColor ColorUtility::colorWithHueSaturationLightness(CGFloat h, CGFloat s, CGFloat l, CGFloat alpha) {
    if (s == 0) return UIColor::colorWithRed(l, l, l, alpha);
    const CGFloat q = l < 0.5 ? l * (1 + s) : l + s - l * s;
    const CGFloat p = 2 * l - q;
    auto component = [&](CGFloat t) {
        if (t < 0) t += 1;
        if (t > 1) t -= 1;
        if (6 * t < 1) return p + (q - p) * 6 * t;
        if (2 * t < 1) return q;
        if (3 * t < 2) return p + (q - p) * (2.0 / 3 - t) * 6;
        return p;
    };
    return UIColor::colorWithRed(component(h + 1.0 / 3), component(h), component(h - 1.0 / 3), alpha);
}

CGFloat ColorUtility::colorLuminanceFromRGB(CGFloat r, CGFloat g, CGFloat b) {
    return 0.2126 * r + 0.7152 * g + 0.0722 * b;
}

UIColor ColorUtility::grayscaleColor(const UIColor& c) {
    return UIColor::colorWithWhite(ColorAnalysisUtility::colorLuminance(c), c.alpha());
}

UIColor ColorUtility::inverseColor(const UIColor& c) {
    CGFloat r = 0, g = 0, b = 0, a = 1;
    getRGBA(c, &r, &g, &b, &a);
    return UIColor::colorWithRed(1 - r, 1 - g, 1 - b, a);
}

UIColor ColorUtility::complimentaryColor(const UIColor& c) {
    CGFloat h = 0, s = 0, l = 0, a = 1;
    getHSLA(c, &h, &s, &l, &a);
    return colorWithHueSaturationLightness(((degreesOf(h) + 180) % 360) / 360.0, s, l, a);
}

UIColor ColorUtility::equidistantColor(const UIColor& c) {
    HSBA v = hsbOf(c);
    v.h = std::fmod(static_cast<float>(v.h) + 0.618034f, 1.0f);
    return fromHSB(v);
}

UIColor ColorUtility::blendWithColor(const UIColor& c, const UIColor& other, CGFloat factor) {
    const CGFloat f = std::clamp(factor, 0.0, 1.0);
    const CGFloat keep = static_cast<float>(1 - f);
    CGFloat r1 = 0, g1 = 0, b1 = 0, r2 = 0, g2 = 0, b2 = 0;
    getRGBA(c, &r1, &g1, &b1, nullptr);
    getRGBA(other, &r2, &g2, &b2, nullptr);
    return UIColor::colorWithRed(keep * r1 + f * r2, keep * g1 + f * g2, keep * b1 + f * b2, 1);
}

UIColor ColorUtility::adjustColor(const UIColor& c, CGFloat hueOffset, CGFloat saturationOffset,
                                  CGFloat brightnessOffset) {
    if (hueOffset == 0 && saturationOffset == 0 && brightnessOffset == 0) return c;
    HSBA v = hsbOf(c);
    auto offset = [](CGFloat& value, CGFloat by) {
        if (by != 0) value = std::clamp(value + by, 0.0, 1.0);
    };
    offset(v.h, hueOffset);
    offset(v.s, saturationOffset);
    offset(v.b, brightnessOffset);
    return fromHSB(v);
}

UIColors ColorUtility::triadColors(const UIColor& c) {
    CGFloat r = 0, g = 0, b = 0, a = 1;
    getRGBA(c, &r, &g, &b, &a);
    return {colorWithColor(c), UIColor::colorWithRed(b, r, g, a), UIColor::colorWithRed(g, b, r, a)};
}

UIColors ColorUtility::tetradColors(const UIColor& c) {
    CGFloat r = 0, g = 0, b = 0, a = 1;
    getRGBA(c, &r, &g, &b, &a);
    return {colorWithColor(c), UIColor::colorWithRed(b, r, b, a), UIColor::colorWithRed(b, g, r, a),
            UIColor::colorWithRed(r, b, r, a)};
}

UIColors ColorUtility::splitComplementColors(const UIColor& c) {
    HSBA v = hsbOf(c);
    const int h1 = (degreesOf(v.h) + 72) % 360, h2 = (h1 + 144) % 360;
    HSBA first = v, second = v;
    first.h = h1 / 360.0;
    second.h = h2 / 360.0;
    return {colorWithColor(c), fromHSB(first), fromHSB(second)};
}

UIColors ColorUtility::analogousColors(const UIColor& c, int count, int slices) {
    const HSBA v = hsbOf(c);
    const int step = slices == 0 ? 0 : 360 / slices;
    const int start = (720 - (step * count) / 2 + degreesOf(v.h)) % 360;
    return counted(c, count, [&](int k) {
        HSBA w = v;
        w.h = ((start + k * step) % 360) / 360.0;
        return fromHSB(w);
    });
}

UIColors ColorUtility::monochromaticColors(const UIColor& c, int count) { return stepped(c, count, &HSBA::b, 80); }

UIColors ColorUtility::shadedColors(const UIColor& c, int count) { return stepped(c, count, &HSBA::s, 20); }

UIColors ColorUtility::equidistantColors(const UIColor& c, int count) {
    UIColor last = c;
    return counted(c, count, [&](int) { return last = equidistantColor(last); });
}

UIColors ColorUtility::colorPalette(const UIColors& colors, int minimum) {
    const int count = static_cast<int>(colors.size());
    if (count >= minimum) return colors;
    UIColors palette = colors;
    if (!palette.empty() && minimum >= 2) {
        UIColors more = monochromaticColors(palette.back(), minimum - count + 1);
        palette.insert(palette.end(), more.begin() + 1, more.end());
    }
    return palette;
}

UIColors ColorUtility::pastelColors(int count, CGFloat brightnessFactor) {
    const unsigned base = static_cast<unsigned>(brightnessFactor * 127);
    UIColors colors;
    for (int i = 0; i < count; ++i) {
        auto byte = [&] { return base + (randomBytes()() & 0x7F); };
        const unsigned r = byte(), g = byte(), b = byte();
        colors.push_back(colorWithRedByte(r, g, b, 1));
    }
    return colors;
}

UIColors ColorUtility::spectrumColors(int count) {
    UIColors colors;
    if (count <= 0) return colors;
    const float frequency = 5.0f / static_cast<float>(count);
    for (int i = 0; i < count; ++i) {
        const double x = frequency * static_cast<float>(i);
        auto byte = [&](double phase) { return static_cast<unsigned>(std::sin(x + phase) * 127 + 128); };
        colors.push_back(colorWithRedByte(byte(0), byte(1), byte(3), 1));
    }
    return colors;
}

CGFloat ColorUtility::randomNumber(CGFloat low, CGFloat high) { return (high - low) * drand48() + low; }

UIColor ColorUtility::randomColor(CGFloat minSaturation, CGFloat maxSaturation, CGFloat minBrightness,
                                  CGFloat maxBrightness) {
    const CGFloat h = randomNumber(0, 1);
    const CGFloat s = randomNumber(minSaturation, maxSaturation);
    const CGFloat b = randomNumber(minBrightness, maxBrightness);
    return UIColor::colorWithHue(h, s, b, 1);
}

UIColors ColorUtility::randomColors(int count, CGFloat minSaturation, CGFloat maxSaturation, CGFloat minBrightness,
                                    CGFloat maxBrightness) {
    UIColors colors;
    for (int i = 0; i < count; ++i)
        colors.push_back(randomColor(minSaturation, maxSaturation, minBrightness, maxBrightness));
    return colors;
}

UIColors ColorUtility::colorPaletteFromImage(const UIImagePtr& image) {
    UIColors colors;
    if (!image) return colors;
    UIImagePtr reduced = ImageUtility::resizedImageWithContentMode(image, UIViewContentMode::ScaleAspectFit, {16, 16},
                                                                   kCGInterpolationHigh);
    if (!reduced) return colors;
    const std::size_t w = CGImageGetWidth(reduced->CGImage()), h = CGImageGetHeight(reduced->CGImage());
    if (w == 0 || h == 0) return colors;
    CGContextRef context =
        CGBitmapContextCreate(nullptr, w, h, 8, w * 4, CGColorSpaceCreateDeviceRGB(), kCGImageAlphaPremultipliedLast);
    if (!context) return colors;
    CGContextDrawImage(context, CGRectMake(0, 0, w, h), reduced->CGImage());
    const auto* bytes = static_cast<const std::uint8_t*>(CGBitmapContextGetData(context));
    for (std::size_t i = 0; i < w * h; ++i) {
        const std::uint8_t* p = bytes + 4 * i;
        colors.push_back(colorWithRedByte(p[0], p[1], p[2], p[3] / 255.0));
    }
    return colors;
}

UIColors ColorUtility::blendColors(const UIColors& colors, const UIColor& other, CGFloat factor) {
    UIColors out;
    for (const auto& c : colors) out.push_back(blendWithColor(c, other, factor));
    return out;
}

UIColors ColorUtility::adjustColors(const UIColors& colors, CGFloat hueOffset, CGFloat saturationOffset,
                                    CGFloat brightnessOffset) {
    UIColors out;
    for (const auto& c : colors) out.push_back(adjustColor(c, hueOffset, saturationOffset, brightnessOffset));
    return out;
}

void ColorUtility::sortColors(UIColors& colors, bool ascending, const std::function<double(const UIColor&)>& key) {
    std::stable_sort(colors.begin(), colors.end(),
                     [&](const UIColor& a, const UIColor& b) { return ascending ? key(a) < key(b) : key(a) > key(b); });
}
