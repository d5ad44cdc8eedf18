#include "camera/movie/QVImageOrientation.h"

bool QVImageOrientation::fromTransform(const CGAffineTransform& t, UIImageOrientation* orientation) {
    struct Match {
        CGFloat a, b, c, d;
        UIImageOrientation orientation;
    };
    static constexpr Match kMatches[] = {{1, 0, 0, 1, UIImageOrientation::Up},
                                         {-1, 0, 0, -1, UIImageOrientation::Down},
                                         {0, -1, 1, 0, UIImageOrientation::Left},
                                         {0, 1, -1, 0, UIImageOrientation::Right}};
    for (const Match& m : kMatches) {
        if (t.a == m.a && t.b == m.b && t.c == m.c && t.d == m.d) {
            *orientation = m.orientation;
            return true;
        }
    }
    *orientation = UIImageOrientation::Up;
    return false;
}
