#include "platform/quartzcore/CASpringAnimation.h"

#include <algorithm>
#include <cmath>

namespace {

// The displacement from the target (1 at the start) of an oscillator with natural frequency
// w and damping ratio z, starting towards the target at v changes per second, and a bound on
// its envelope, at time t.
struct Oscillator {
    double w, z, v;

    double displacement(double t) const {
        if (z < 1) {
            const double wd = w * std::sqrt(1 - z * z);
            return std::exp(-z * w * t) * (std::cos(wd * t) + (z * w - v) / wd * std::sin(wd * t));
        }
        if (z == 1) return (1 + (w - v) * t) * std::exp(-w * t);
        const double root = w * std::sqrt(z * z - 1);
        const double r1 = -z * w + root, r2 = -z * w - root;
        const double c2 = (-v - r1) / (r2 - r1);
        return (1 - c2) * std::exp(r1 * t) + c2 * std::exp(r2 * t);
    }

    double envelope(double t) const {
        if (z < 1) {
            const double wd = w * std::sqrt(1 - z * z);
            const double b = (z * w - v) / wd;
            return std::exp(-z * w * t) * std::sqrt(1 + b * b);
        }
        if (z == 1) return std::fabs(1 + (w - v) * t) * std::exp(-w * t);
        const double root = w * std::sqrt(z * z - 1);
        const double r1 = -z * w + root, r2 = -z * w - root;
        const double c2 = (-v - r1) / (r2 - r1);
        return std::fabs(1 - c2) * std::exp(r1 * t) + std::fabs(c2) * std::exp(r2 * t);
    }
};

Oscillator oscillatorOf(const CASpringAnimation& s) {
    const double m = s.mass > 0 ? s.mass : 1;
    const double k = s.stiffness > 0 ? s.stiffness : 1;
    const double w = std::sqrt(k / m);
    return {w, std::max(s.damping, 0.0) / (2 * std::sqrt(k * m)), s.initialVelocity};
}

}  // namespace

std::shared_ptr<CASpringAnimation> CASpringAnimation::animationWithKeyPath(const std::string& keyPath) {
    auto animation = std::make_shared<CASpringAnimation>();
    animation->keyPath = keyPath;
    return animation;
}

std::shared_ptr<CASpringAnimation> CASpringAnimation::springWithDampingRatio(const std::string& keyPath,
                                                                             double dampingRatio,
                                                                             double initialVelocity,
                                                                             CFTimeInterval duration) {
    auto spring = animationWithKeyPath(keyPath);
    const double z = std::max(dampingRatio, 0.001);
    const double d = duration > 0 ? duration : kDefaultDuration;
    // The smallest natural frequency (found by doubling, then halving the interval) whose
    // envelope is below the settled fraction at the duration.
    auto settled = [&](double w) { return Oscillator{w, z, initialVelocity}.envelope(d) < kSettledFraction; };
    double lo = 0, hi = 1;
    while (!settled(hi) && hi < 1e9) lo = hi, hi *= 2;
    for (int i = 0; i < 60; ++i) {
        const double mid = (lo + hi) / 2;
        (settled(mid) ? hi : lo) = mid;
    }
    spring->mass = 1;
    spring->stiffness = hi * hi;
    spring->damping = 2 * z * hi;
    spring->initialVelocity = initialVelocity;
    spring->duration = d;
    return spring;
}

double CASpringAnimation::springProgress(CFTimeInterval t) const { return 1 - oscillatorOf(*this).displacement(t); }

CFTimeInterval CASpringAnimation::settlingDuration() const {
    const Oscillator o = oscillatorOf(*this);
    double t = 0;
    for (double step = 1.0; step >= 1.0 / 1024; step /= 2)
        while (o.envelope(t + step) >= kSettledFraction && t < 3600) t += step;
    return t + 1.0 / 1024;
}

double CASpringAnimation::progressAt(CFTimeInterval passTime, CFTimeInterval duration) const {
    return passTime >= duration ? 1 : springProgress(passTime);
}
