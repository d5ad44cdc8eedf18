#include "platform/quartzcore/CAValue.h"

#include <algorithm>
#include <cmath>

#include "platform/quartzcore/CALayer.h"

namespace {

double lerp(double a, double b, double f) { return a + (b - a) * f; }

// A transform as translation, per-axis scale, rotations about x, then y, then z (row
// vectors: the point is rotated about x first), and the projective column kept as it is.
struct Decomposed {
    double t[3]{}, s[3]{1, 1, 1}, r[3]{};
    double p[4]{0, 0, 0, 1};
};

Decomposed decompose(const CATransform3D& m) {
    Decomposed d;
    d.t[0] = m.m41, d.t[1] = m.m42, d.t[2] = m.m43;
    d.p[0] = m.m14, d.p[1] = m.m24, d.p[2] = m.m34, d.p[3] = m.m44;
    double rows[3][3] = {{m.m11, m.m12, m.m13}, {m.m21, m.m22, m.m23}, {m.m31, m.m32, m.m33}};
    for (int i = 0; i < 3; ++i) {
        d.s[i] = std::sqrt(rows[i][0] * rows[i][0] + rows[i][1] * rows[i][1] + rows[i][2] * rows[i][2]);
        if (d.s[i] > 1e-12)
            for (double& v : rows[i]) v /= d.s[i];
    }
    const double det = rows[0][0] * (rows[1][1] * rows[2][2] - rows[1][2] * rows[2][1]) -
                       rows[0][1] * (rows[1][0] * rows[2][2] - rows[1][2] * rows[2][0]) +
                       rows[0][2] * (rows[1][0] * rows[2][1] - rows[1][1] * rows[2][0]);
    if (det < 0) {  // a mirror: carry it in the x scale
        d.s[0] = -d.s[0];
        for (double& v : rows[0]) v = -v;
    }
    d.r[1] = std::asin(std::clamp(-rows[0][2], -1.0, 1.0));
    if (std::fabs(std::cos(d.r[1])) > 1e-9) {
        d.r[2] = std::atan2(rows[0][1], rows[0][0]);
        d.r[0] = std::atan2(rows[1][2], rows[2][2]);
    } else {
        d.r[2] = 0;
        d.r[0] = std::atan2(-rows[2][1], rows[1][1]);
    }
    return d;
}

CATransform3D recompose(const Decomposed& d) {
    CATransform3D m = CATransform3DMakeScale(d.s[0], d.s[1], d.s[2]);
    m = CATransform3DConcat(m, CATransform3DMakeRotation(d.r[0], 1, 0, 0));
    m = CATransform3DConcat(m, CATransform3DMakeRotation(d.r[1], 0, 1, 0));
    m = CATransform3DConcat(m, CATransform3DMakeRotation(d.r[2], 0, 0, 1));
    m.m41 = d.t[0], m.m42 = d.t[1], m.m43 = d.t[2];
    m.m14 = d.p[0], m.m24 = d.p[1], m.m34 = d.p[2], m.m44 = d.p[3];
    return m;
}

template <class F>
CAValue componentwise(const CAValue& a, const CAValue& b, F op) {
    if (a.index() != b.index()) return std::monostate{};
    if (auto x = std::get_if<double>(&a)) return op(*x, std::get<double>(b));
    if (auto x = std::get_if<CGPoint>(&a)) {
        const CGPoint& y = std::get<CGPoint>(b);
        return CGPoint{op(x->x, y.x), op(x->y, y.y)};
    }
    if (auto x = std::get_if<CGSize>(&a)) {
        const CGSize& y = std::get<CGSize>(b);
        return CGSize{op(x->width, y.width), op(x->height, y.height)};
    }
    if (auto x = std::get_if<CGRect>(&a)) {
        const CGRect& y = std::get<CGRect>(b);
        return CGRect{{op(x->origin.x, y.origin.x), op(x->origin.y, y.origin.y)},
                      {op(x->size.width, y.size.width), op(x->size.height, y.size.height)}};
    }
    auto color = [&](const CGColor& c, const CGColor& e) {
        return CGColor{op(c.r, e.r), op(c.g, e.g), op(c.b, e.b), op(c.a, e.a)};
    };
    if (auto x = std::get_if<CGColor>(&a)) return color(*x, std::get<CGColor>(b));
    if (auto x = std::get_if<std::vector<CGColor>>(&a)) {
        const auto& y = std::get<std::vector<CGColor>>(b);
        if (x->size() != y.size()) return std::monostate{};
        std::vector<CGColor> out;
        for (std::size_t i = 0; i < x->size(); ++i) out.push_back(color((*x)[i], y[i]));
        return out;
    }
    return std::monostate{};
}

}  // namespace

CAValue CAValueInterpolate(const CAValue& a, const CAValue& b, double f) {
    if (auto x = std::get_if<CATransform3D>(&a); x && std::holds_alternative<CATransform3D>(b)) {
        const Decomposed da = decompose(*x), db = decompose(std::get<CATransform3D>(b));
        Decomposed d;
        for (int i = 0; i < 3; ++i) {
            d.t[i] = lerp(da.t[i], db.t[i], f);
            d.s[i] = lerp(da.s[i], db.s[i], f);
            d.r[i] = lerp(da.r[i], db.r[i], f);
        }
        for (int i = 0; i < 4; ++i) d.p[i] = lerp(da.p[i], db.p[i], f);
        return recompose(d);
    }
    CAValue v = componentwise(a, b, [f](double x, double y) { return lerp(x, y, f); });
    if (std::holds_alternative<std::monostate>(v)) return f < 0.5 ? a : b;
    return v;
}

CAValue CAValueAdd(const CAValue& a, const CAValue& b) {
    if (auto x = std::get_if<CATransform3D>(&a); x && std::holds_alternative<CATransform3D>(b))
        return CATransform3DConcat(*x, std::get<CATransform3D>(b));
    CAValue v = componentwise(a, b, [](double x, double y) { return x + y; });
    return std::holds_alternative<std::monostate>(v) ? a : v;
}

CAValue CAValueSubtract(const CAValue& a, const CAValue& b) {
    if (auto x = std::get_if<CATransform3D>(&a); x && std::holds_alternative<CATransform3D>(b))
        return CATransform3DConcat(*x, CATransform3DInvert(std::get<CATransform3D>(b)));
    CAValue v = componentwise(a, b, [](double x, double y) { return x - y; });
    return std::holds_alternative<std::monostate>(v) ? a : v;
}

double CAValueNumber(const CAValue& value) {
    const double* number = std::get_if<double>(&value);
    return number ? *number : 0;
}

// ---- Key paths -----------------------------------------------------------------------------

namespace {

const CGColor kClear{0, 0, 0, 0};

int axisOf(const std::string& suffix) {
    if (suffix == ".x") return 0;
    if (suffix == ".y") return 1;
    if (suffix == ".z") return 2;
    return -1;
}

// The transform sub-key after "transform." (or "sublayerTransform."): read, or write when
// `value` is given. False when the sub-key is unknown.
bool transformSubKey(CATransform3D& m, const std::string& sub, CAValue* read, const CAValue* write) {
    Decomposed d = decompose(m);
    for (const char* group : {"scale", "rotation", "translation"}) {
        const std::string name = group;
        if (sub.rfind(name, 0) != 0) continue;
        const std::string rest = sub.substr(name.size());
        double* field = name == "scale" ? d.s : name == "rotation" ? d.r : d.t;
        const int axis = rest.empty() ? -1 : axisOf(rest);
        if (!rest.empty() && axis < 0) return false;
        if (read) {
            if (axis >= 0) *read = field[axis];
            else if (name == "scale") *read = (d.s[0] + d.s[1]) / 2;  // the plane's scale
            else if (name == "rotation") *read = d.r[2];
            else *read = CGSize{d.t[0], d.t[1]};
            return true;
        }
        if (axis >= 0) {
            if (!std::holds_alternative<double>(*write)) return true;
            field[axis] = std::get<double>(*write);
        } else if (name == "translation") {
            if (auto size = std::get_if<CGSize>(write)) d.t[0] = size->width, d.t[1] = size->height;
            else return true;
        } else {
            if (!std::holds_alternative<double>(*write)) return true;
            const double v = std::get<double>(*write);
            if (name == "scale") d.s[0] = d.s[1] = d.s[2] = v;
            else d.r[2] = v;
        }
        m = recompose(d);
        return true;
    }
    return false;
}

template <class T>
bool access(T& field, CAValue* read, const CAValue* write) {
    if (read) *read = field;
    else if (auto v = std::get_if<T>(write)) field = *v;
    return true;
}

bool accessNumber(auto& field, CAValue* read, const CAValue* write) {
    if (read) *read = static_cast<double>(field);
    else if (auto v = std::get_if<double>(write)) field = static_cast<std::remove_reference_t<decltype(field)>>(*v);
    return true;
}

bool accessPoint(CGPoint& p, const std::string& rest, CAValue* read, const CAValue* write) {
    if (rest.empty()) return access(p, read, write);
    if (rest == ".x") return accessNumber(p.x, read, write);
    if (rest == ".y") return accessNumber(p.y, read, write);
    return false;
}

bool accessSize(CGSize& s, const std::string& rest, CAValue* read, const CAValue* write) {
    if (rest.empty()) return access(s, read, write);
    if (rest == ".width") return accessNumber(s.width, read, write);
    if (rest == ".height") return accessNumber(s.height, read, write);
    return false;
}

bool accessOptionalColor(std::optional<CGColor>& c, CAValue* read, const CAValue* write) {
    if (read) *read = c.value_or(kClear);
    else if (auto v = std::get_if<CGColor>(write)) c = *v;
    return true;
}

bool keyPathAccess(CALayerProperties& p, const std::string& path, CAValue* read, const CAValue* write) {
    const std::size_t dot = path.find('.');
    const std::string key = path.substr(0, dot);
    const std::string rest = dot == std::string::npos ? "" : path.substr(dot);
    if (key == "opacity" && rest.empty()) return accessNumber(p.opacity, read, write);
    if (key == "position") return accessPoint(p.position, rest, read, write);
    if (key == "anchorPoint") return accessPoint(p.anchorPoint, rest, read, write);
    if (key == "zPosition" && rest.empty()) return accessNumber(p.zPosition, read, write);
    if (key == "bounds") {
        if (rest.empty()) return access(p.bounds, read, write);
        if (rest.rfind(".origin", 0) == 0) return accessPoint(p.bounds.origin, rest.substr(7), read, write);
        if (rest.rfind(".size", 0) == 0) return accessSize(p.bounds.size, rest.substr(5), read, write);
        return false;
    }
    if (key == "transform" || key == "sublayerTransform") {
        CATransform3D& m = key == "transform" ? p.transform : p.sublayerTransform;
        if (rest.empty()) return access(m, read, write);
        return transformSubKey(m, rest.substr(1), read, write);
    }
    if (!rest.empty()) return false;
    if (key == "backgroundColor") return accessOptionalColor(p.backgroundColor, read, write);
    if (key == "shadowColor") return accessOptionalColor(p.shadowColor, read, write);
    if (key == "borderColor") return access(p.borderColor, read, write);
    if (key == "cornerRadius") return accessNumber(p.cornerRadius, read, write);
    if (key == "borderWidth") return accessNumber(p.borderWidth, read, write);
    if (key == "shadowOpacity") return accessNumber(p.shadowOpacity, read, write);
    if (key == "shadowRadius") return accessNumber(p.shadowRadius, read, write);
    if (key == "shadowOffset") return access(p.shadowOffset, read, write);
    if (key == "contentsRect") return access(p.contentsRect, read, write);
    // A property of a layer subclass.
    if (read) {
        auto it = p.further.find(key);
        if (it != p.further.end()) *read = it->second;
    } else {
        p.further[key] = *write;
    }
    return true;
}

}  // namespace

CAValue CALayerPropertiesValueForKeyPath(const CALayerProperties& properties, const std::string& keyPath) {
    CAValue value;
    keyPathAccess(const_cast<CALayerProperties&>(properties), keyPath, &value, nullptr);  // reads only
    return value;
}

void CALayerPropertiesSetValueForKeyPath(CALayerProperties& properties, const std::string& keyPath,
                                         const CAValue& value) {
    keyPathAccess(properties, keyPath, nullptr, &value);
}
