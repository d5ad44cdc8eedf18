#pragma once
// Comparisons of points and rectangles within a tolerance, for the layer and view tests.
#include <gtest/gtest.h>

#include <string>

#include "platform/coregraphics/CGGeometry.h"

inline void expectPoint(CGPoint actual, CGPoint expected, const std::string& what, double tolerance = 1e-9) {
    EXPECT_NEAR(actual.x, expected.x, tolerance) << what;
    EXPECT_NEAR(actual.y, expected.y, tolerance) << what;
}

inline void expectRect(CGRect actual, CGRect expected, const std::string& what, double tolerance = 1e-9) {
    expectPoint(actual.origin, expected.origin, what, tolerance);
    EXPECT_NEAR(actual.size.width, expected.size.width, tolerance) << what;
    EXPECT_NEAR(actual.size.height, expected.size.height, tolerance) << what;
}
