#pragma once
// The stack blur: a fast approximation of a Gaussian blur in integer arithmetic. Each pass
// keeps a ring of 2r + 1 pixels and running sums weighted like a tent (r + 1 at the centre),
// so its cost per pixel does not depend on the radius. One division table per call maps a
// weighted sum back to a byte.
//
// It works in place on 8-bit four-byte pixels with rows `bytesPerRow` apart (padding at the
// end of a row is never read or written). Bytes 0 to 2 of each pixel are blurred; byte 3
// (alpha for layouts with alpha last) is blurred too only when `blurFourthByte` is set, as
// the compositor's shadows need. Radii above `kCGStackBlurMaxRadius` blur as that radius;
// radius 0 or an empty bitmap leaves the bytes as they are.
#include <cstddef>
#include <cstdint>

inline constexpr int kCGStackBlurMaxRadius = 254;

void CGStackBlur(std::uint8_t* pixels, std::size_t width, std::size_t height, std::size_t bytesPerRow, int radius,
                 bool blurFourthByte = false);
// The same over one byte a pixel (an alpha plane, as shadows need).
void CGStackBlurPlane(std::uint8_t* samples, std::size_t width, std::size_t height, std::size_t bytesPerRow,
                      int radius);
