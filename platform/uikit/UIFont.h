#pragma once
// Fonts as values: the platform's font name ("STHeitiTC-Medium", "HelveticaNeue") and a size in
// points. Text is set with pango; a name is mapped to a family and weight installed here, and
// fontconfig falls back to a plain sans-serif face when that family is missing. A name that is
// not known is read as "Family-Style" (the style picks the weight).
#include <string>

#include "platform/coregraphics/CGGeometry.h"

class UIFont {
public:
    UIFont() = default;  // Helvetica at 12 points, what string drawing uses without a font
    // A size below zero is taken as zero.
    static UIFont fontWithName(const std::string& fontName, CGFloat pointSize);
    static UIFont systemFontOfSize(CGFloat pointSize);
    static UIFont boldSystemFontOfSize(CGFloat pointSize);

    const std::string& fontName() const { return name_; }
    CGFloat pointSize() const { return size_; }
    UIFont fontWithSize(CGFloat pointSize) const { return fontWithName(name_, pointSize); }

    // The installed face this font is drawn with, as pango describes it ("DejaVu Sans 18"):
    // for tests and logs.
    std::string installedFaceDescription() const;

    friend bool operator==(const UIFont&, const UIFont&) = default;

private:
    UIFont(std::string name, CGFloat size) : name_(std::move(name)), size_(size) {}
    std::string name_ = "Helvetica";
    CGFloat size_ = 12;
};
