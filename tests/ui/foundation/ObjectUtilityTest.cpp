// Property lists, coding as JSON, equality and hash from declared properties; the default
// associated-object slot; block adapters kept alive by their owners.
#include <gtest/gtest.h>

#include "platform/foundation/NSRunLoop.h"
#include "ui/foundation/CADisplayLink+BlockUtility.h"
#include "ui/foundation/NSObject+AutoReleaseUtility.h"
#include "ui/foundation/NSObject+ObjectUtility.h"
#include "ui/foundation/PropertyClasses.h"
#include "ui/foundation/TargetActionBlock.h"

using fixtures::Bare;
using fixtures::Labelled;
using fixtures::Point2;
using fixtures::Point3;

namespace {

TEST(ObjectUtilityTest, PropertyListIsTheOwnClassesOnly) {
    EXPECT_EQ(ObjectUtility::properties(Point3()), (std::vector<std::string>{"z"}));
    EXPECT_EQ(ObjectUtility::properties(Point2()), (std::vector<std::string>{"x", "y"}));
    EXPECT_TRUE(ObjectUtility::properties(Bare()).empty());
}

TEST(ObjectUtilityTest, HashFollowsTheDeclaredOrder) {
    Point2 p;
    p.x = 2;
    p.y = 3;
    EXPECT_EQ(ObjectUtility::hashFromProperties(p), 1026u);
    EXPECT_EQ(ObjectUtility::hashFromProperties(Bare()), 1u);
    Labelled failing;
    failing.failing = true;
    failing.flag = true;
    EXPECT_EQ(ObjectUtility::hashFromProperties(failing), (1u * 31 + 0) * 31 + 1);
}

TEST(ObjectUtilityTest, Equality) {
    Point2 a, b, c;
    a.x = b.x = 2;
    a.y = b.y = 0.5;
    c.x = 2;
    c.y = 0.25;
    Point3 sub;
    sub.x = 2;
    sub.y = 0.5;
    Labelled unreadable, readable;
    unreadable.failing = true;
    Bare bare, otherBare;
    struct Case {
        const char* what;
        const NSObject& object;
        const NSObject* other;
        bool equal;
    } cases[] = {
        {"itself", a, &a, true},
        {"distinct with equal values", a, &b, true},
        {"a differing value", a, &c, false},
        {"nil", a, nullptr, false},
        {"base against subclass", a, &sub, false},
        {"subclass against base lacking its property", sub, &a, false},
        {"no properties", bare, &otherBare, true},
        {"a getter that throws", unreadable, &unreadable, true},
        {"a getter that throws on another object", unreadable, &readable, false},
    };
    for (const auto& c : cases) EXPECT_EQ(ObjectUtility::isEqualFromProperties(c.object, c.other), c.equal) << c.what;
    EXPECT_EQ(ObjectUtility::hashFromProperties(a), ObjectUtility::hashFromProperties(b));
}

TEST(ObjectUtilityTest, CodesAsOneEntryUnderTheClassNameAndDecodesSafely) {
    Labelled original;
    original.x = 7;
    original.y = 0.5;  // a superclass property: not coded by this class
    original.setLabel("Enhance 1");
    original.flag = true;
    nlohmann::json coder;
    ObjectUtility::encodePropertiesWithCoder(original, coder);
    EXPECT_EQ(coder, nlohmann::json::parse(R"({"Labelled": {"label": "Enhance 1", "flag": true}})"));

    auto copy = ObjectUtility::decode<Labelled>(coder);
    EXPECT_EQ(copy->label(), "Enhance 1");
    EXPECT_TRUE(copy->flag);
    EXPECT_EQ(copy->y, 0);

    // Undeclared keys, values of the wrong kind, nested values: skipped, the rest applied.
    auto mixed = ObjectUtility::decode<Point2>(
        nlohmann::json::parse(R"({"Point2": {"x": "seven", "y": 2, "w": 1, "z": [1]}, "Other": {"x": 9}})"));
    EXPECT_EQ(mixed->x, 0);
    EXPECT_EQ(mixed->y, 2);

    // No entry for the class: construction's values stay.
    Point2 untouched;
    untouched.x = 5;
    EXPECT_FALSE(ObjectUtility::initWithPropertyCoder(untouched, nlohmann::json::parse(R"({"State": {"x": 1}})")));
    EXPECT_FALSE(ObjectUtility::initWithPropertyCoder(untouched, nlohmann::json::parse("[1, 2]")));
    EXPECT_EQ(untouched.x, 5);

    // An unreadable property is coded as null and decodes to nothing.
    original.failing = true;
    ObjectUtility::encodePropertiesWithCoder(original, coder);
    EXPECT_TRUE(coder["Labelled"]["label"].is_null());
    EXPECT_EQ(ObjectUtility::decode<Labelled>(coder)->label(), "");
}

TEST(ObjectUtilityTest, DefaultAssociatedSlotAndAdaptersLiveWithTheirOwner) {
    Point2 owner;
    auto adapter = TargetActionBlock::targetActionBlock(nullptr);
    std::weak_ptr<TargetActionBlock> weak = adapter;
    ObjectUtility::setAssociatedObject(owner, adapter);
    adapter.reset();
    EXPECT_FALSE(weak.expired());
    weak.lock()->action(owner);  // no block: nothing happens
    NSObject* sender = nullptr;
    weak.lock()->setBlock([&](NSObject& s) { sender = &s; });
    weak.lock()->action(owner);
    EXPECT_EQ(sender, &owner);
    ObjectUtility::setAssociatedObject(owner, nullptr);
    EXPECT_TRUE(weak.expired());
}

TEST(ObjectUtilityTest, DisplayLinkWithBlockHandsItselfToTheBlockEveryFrame) {
    NSRunLoop& loop = NSRunLoop::mainRunLoop();
    loop.useManualClock(0);
    int frames = 0;
    CADisplayLink* seen = nullptr;
    std::weak_ptr<void> adapter;
    {
        auto link = BlockUtility::displayLinkWithBlock([&](CADisplayLink& l) {
            ++frames;
            seen = &l;
        });
        adapter = ObjectUtility::associatedObject(*link);
        link->addToRunLoop(loop, NSDefaultRunLoopMode);
        loop.advance(0.1);
        EXPECT_EQ(seen, link.get());
        link->invalidate();
    }
    EXPECT_EQ(frames, 6);
    EXPECT_TRUE(adapter.expired());
}

TEST(ObjectUtilityTest, RetainedObjectFromAutoreleaseReturnsTheBlocksResult) {
    std::weak_ptr<int> temporary;
    auto result = AutoReleaseUtility::retainedObjectFromAutorelease([&] {
        auto scratch = std::make_shared<int>(1);
        temporary = scratch;
        return std::make_shared<int>(*scratch + 1);
    });
    EXPECT_TRUE(temporary.expired());
    EXPECT_EQ(*result, 2);
    EXPECT_EQ(AutoReleaseUtility::retainedObjectFromAutorelease([] { return std::shared_ptr<int>(); }), nullptr);
}

}  // namespace
