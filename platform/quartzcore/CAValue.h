#pragma once
// The values animations carry: numbers, points, sizes, rectangles, 3-D transforms, colours and
// lists of colours (a gradient's colours), with the arithmetic interpolation needs, and the key
// paths by which animations and `valueForKeyPath` reach a layer's properties.
//
// Key paths: the layer's own properties by name ("opacity", "position", "bounds", "transform",
// "backgroundColor", "cornerRadius", …), their fields ("position.x", "bounds.size",
// "bounds.size.width"), the transform's sub-keys "scale", "rotation" and "translation" (with
// ".x", ".y", ".z"; plain "rotation" is about z, plain "scale" sets all three and reads the
// mean of x and y, plain "translation" is a size), which read the transform's decomposition
// and, when written, rebuild the matrix from it. Any other key is a property a layer subclass
// keeps in the layer's table of further properties.
#include <string>
#include <variant>
#include <vector>

#include "platform/coregraphics/CGColor.h"
#include "platform/coregraphics/CGGeometry.h"
#include "platform/quartzcore/CATransform3D.h"

using CAValue =
    std::variant<std::monostate, double, CGPoint, CGSize, CGRect, CATransform3D, CGColor, std::vector<CGColor>>;

// a + (b − a) × f. Values of different kinds (or lists of different lengths) step at the
// middle; transforms interpolate their decompositions (translation, scale, rotation) and the
// projective column.
CAValue CAValueInterpolate(const CAValue& a, const CAValue& b, double f);
// Sums and differences, component by component; for transforms, b applied after a and a
// undone after b. Mismatched kinds give a.
CAValue CAValueAdd(const CAValue& a, const CAValue& b);
CAValue CAValueSubtract(const CAValue& a, const CAValue& b);
// The number, or 0 when the value is not one.
double CAValueNumber(const CAValue& value);

struct CALayerProperties;

// None (std::monostate) for a path that names nothing.
CAValue CALayerPropertiesValueForKeyPath(const CALayerProperties& properties, const std::string& keyPath);
// A value of the wrong kind for a known path is ignored.
void CALayerPropertiesSetValueForKeyPath(CALayerProperties& properties, const std::string& keyPath,
                                         const CAValue& value);
