#pragma once
// Small classes with declared properties for the tests of property-based services.
#include <stdexcept>
#include <string>

#include "platform/foundation/NSObject.h"

namespace fixtures {

// Two number properties; `Point3` adds z. `Labelled` has a string that may fail to read.
class Point2 : public NSObject {
public:
    static const NSClass& cls() {
        static const NSClass c{"Point2",
                               &NSObject::rootClass(),
                               {NSProperty::member("x", &Point2::x), NSProperty::member("y", &Point2::y)}};
        return c;
    }
    const NSClass& objectClass() const override { return cls(); }
    long x = 0;
    double y = 0;
};

class Point3 : public Point2 {
public:
    static const NSClass& cls() {
        static const NSClass c{"Point3", &Point2::cls(), {NSProperty::member("z", &Point3::z)}};
        return c;
    }
    const NSClass& objectClass() const override { return cls(); }
    long z = 0;
};

class Labelled : public Point2 {
public:
    static const NSClass& cls() {
        static const NSClass c{
            "Labelled",
            &Point2::cls(),
            {NSProperty::readWrite<Labelled, std::string>("label", &Labelled::label, &Labelled::setLabel),
             NSProperty::member("flag", &Labelled::flag)}};
        return c;
    }
    const NSClass& objectClass() const override { return cls(); }
    std::string label() const {
        if (failing) throw std::runtime_error("unreadable");
        return label_;
    }
    void setLabel(std::string l) { label_ = std::move(l); }
    bool flag = false;
    bool failing = false;

private:
    std::string label_;
};

// No declared properties of its own.
class Bare : public NSObject {
public:
    static const NSClass& cls() {
        static const NSClass c{"Bare", &NSObject::rootClass(), {}};
        return c;
    }
    const NSClass& objectClass() const override { return cls(); }
};

}  // namespace fixtures
