// Associated objects and the declared-property table of the common object base.
#include <gtest/gtest.h>

#include "platform/foundation/NSObject.h"

namespace {

struct Tracker {
    explicit Tracker(int* deaths) : deaths(deaths) {}
    ~Tracker() { ++*deaths; }
    int* deaths;
};

const int kFirstKey = 0;
const int kSecondKey = 0;

TEST(AssociatedObjectTest, OwnsAttachmentsPerKeyForTheOwnersLife) {
    int deaths = 0;
    {
        NSObject owner;
        owner.setAssociatedObject(&kFirstKey, std::make_shared<Tracker>(&deaths));
        owner.setAssociatedObject(&kSecondKey, std::make_shared<Tracker>(&deaths));
        EXPECT_EQ(owner.associatedObjectCount(), 2u);
        // Another object under the same key releases the first.
        owner.setAssociatedObject(&kFirstKey, std::make_shared<Tracker>(&deaths));
        EXPECT_EQ(deaths, 1);
        // Null removes the attachment.
        owner.setAssociatedObject(&kSecondKey, nullptr);
        EXPECT_EQ(deaths, 2);
        EXPECT_EQ(owner.associatedObject(&kSecondKey), nullptr);
        EXPECT_NE(owner.associatedObjectAs<Tracker>(&kFirstKey), nullptr);
        // A copy does not share the original's attachments.
        NSObject copy(owner);
        EXPECT_EQ(copy.associatedObjectCount(), 0u);
    }
    EXPECT_EQ(deaths, 3);
}

class Base : public NSObject {
public:
    static const NSClass& cls() {
        static const NSClass c{"Base", &NSObject::rootClass(), {NSProperty::member("count", &Base::count)}};
        return c;
    }
    const NSClass& objectClass() const override { return cls(); }
    int count = 0;
};

class Derived : public Base {
public:
    static const NSClass& cls() {
        static const NSClass c{
            "Derived",
            &Base::cls(),
            {NSProperty::readWrite<Derived, std::string>("name", &Derived::name, &Derived::setName)}};
        return c;
    }
    const NSClass& objectClass() const override { return cls(); }
    const std::string& name() const { return name_; }
    void setName(std::string n) { name_ = std::move(n); }

private:
    std::string name_;
};

TEST(PropertyTableTest, KeyValueCodingWalksTheClassChainAndRefusesWrongKinds) {
    Derived d;
    EXPECT_TRUE(d.isKindOfClass(Base::cls()));
    EXPECT_FALSE(Base().isKindOfClass(Derived::cls()));
    EXPECT_TRUE(d.setValueForKey("count", NSPropertyValue{std::int64_t{4}}));
    EXPECT_TRUE(d.setValueForKey("name", NSPropertyValue{std::string("x")}));
    EXPECT_EQ(d.count, 4);
    EXPECT_EQ(d.valueForKey("name"), NSPropertyValue{std::string("x")});
    EXPECT_FALSE(d.setValueForKey("count", NSPropertyValue{std::string("4")}));
    EXPECT_FALSE(d.setValueForKey("count", NSPropertyValue{2.5}));
    EXPECT_TRUE(d.setValueForKey("count", NSPropertyValue{3.0}));
    EXPECT_EQ(d.count, 3);
    EXPECT_FALSE(d.setValueForKey("missing", NSPropertyValue{}));
    EXPECT_EQ(d.valueForKey("missing"), std::nullopt);
}

TEST(PropertyTableTest, NumbersEqualAndHashByValue) {
    EXPECT_TRUE(NSPropertyValueEqual(NSPropertyValue{std::int64_t{2}}, NSPropertyValue{2.0}));
    EXPECT_FALSE(NSPropertyValueEqual(NSPropertyValue{std::int64_t{2}}, NSPropertyValue{std::string("2")}));
    EXPECT_FALSE(NSPropertyValueEqual(NSPropertyValue{}, NSPropertyValue{std::int64_t{0}}));
    EXPECT_EQ(NSPropertyValueHash(NSPropertyValue{2.0}), 2u);
    EXPECT_EQ(NSPropertyValueHash(NSPropertyValue{std::int64_t{3}}), 3u);
    EXPECT_EQ(NSPropertyValueHash(NSPropertyValue{}), 0u);
}

}  // namespace
