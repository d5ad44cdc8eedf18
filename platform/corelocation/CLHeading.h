#pragma once
// A compass reading: the heading relative to true north, in degrees.
class CLHeading {
public:
    CLHeading() = default;
    explicit CLHeading(double trueHeading) : trueHeading_(trueHeading) {}
    double trueHeading() const { return trueHeading_; }

private:
    double trueHeading_ = 0;
};
