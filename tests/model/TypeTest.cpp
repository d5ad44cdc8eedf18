#include <gtest/gtest.h>

#include "model/SmallLists.h"

namespace {

TEST(CollectionObject, FreshItems) {
    CollectionObject item;
    EXPECT_FLOAT_EQ(item.value(), 0.76f);
    EXPECT_FLOAT_EQ(item.defaultValue(), 0.76f);
    EXPECT_EQ(item.size(), (CGSize{42, 42}));
    EXPECT_TRUE(item.selectable());
    EXPECT_TRUE(item.categoryCollapsed());
    EXPECT_FALSE(item.name().has_value());
    item.setString("E1");
    EXPECT_EQ(item.name(), "E1") << "the short string stands in for a missing name";
    item.setName("Enhance 1");
    EXPECT_EQ(item.name(), "Enhance 1");

    auto header = CollectionObject::collectionObjectCategory();
    EXPECT_TRUE(header->category());
    EXPECT_FALSE(header->categoryCollapsed());
    EXPECT_FALSE(header->categoryExpandable());
    header->setSize({0, 1});
    EXPECT_TRUE(header->categoryExpandable());
}

TEST(CollectionObject, SelectionChangedReportsBothWays) {
    auto item = CollectionObject::collectionObjectWithColor(CGColorCreateGenericGray(1, 1));
    std::vector<bool> reports;
    item->setSelectionChangedBlock([&](bool selected, CollectionObject* sender) {
        EXPECT_EQ(sender, item.get());
        reports.push_back(selected);
    });
    item->selectionChanged(true);
    EXPECT_TRUE(item->selected());
    item->selectionChanged(false);
    EXPECT_FALSE(item->selected());
    EXPECT_EQ(reports, (std::vector<bool>{true, false}));
}

class TypeTest : public ::testing::Test {
protected:
    SmallLists lists;
};

TEST_F(TypeTest, SelectingTheSelectedItemAgainDoesNotApplyIt) {
    Type& modes = lists.modes();
    std::vector<std::string> events;
    modes.selectedObjectChangedBlock = [&](bool user) { events.push_back(user ? "changed by user" : "changed"); };
    modes.selectedObjectSelected = [&](bool user) { events.push_back(user ? "selected by user" : "selected"); };

    CollectionObject* second = modes.objectWithName("Enhance 2");
    CollectionObject* first = modes.selectedObject();
    modes.setSelectedObject(second);
    EXPECT_EQ(lists.applied["Enhance 2"], 1);
    EXPECT_TRUE(second->selected());
    EXPECT_FALSE(first->selected());

    second->selectionChanged(true);  // a tap on the selected item
    EXPECT_EQ(lists.applied["Enhance 2"], 1);
    first->selectionChanged(true);  // a tap on another item
    EXPECT_EQ(lists.applied["Enhance 1"], 1);
    EXPECT_EQ(modes.selectedObject(), first);
    second->selectionChanged(false);  // deselection reports are ignored by the list
    EXPECT_EQ(modes.selectedObject(), first);

    EXPECT_EQ(events, (std::vector<std::string>{"changed", "selected", "selected by user", "changed by user",
                                                "selected by user"}));
}

TEST_F(TypeTest, PerformingUpdatesAppliesTheSelectedItemAgain) {
    Type& colors = lists.colors();
    colors.setSelectedObject(colors.objectWithName("Custom"));
    int updates = 0;
    colors.selectedObjectUpdatedBlock = [&] { ++updates; };
    colors.performSelectedObjectUpdates([](CollectionObject* item) { item->setColor(CGColor{1, 0, 0, 1}); });
    EXPECT_EQ(lists.applied["Custom"], 2);
    EXPECT_EQ(updates, 1);
    EXPECT_EQ(colors.color(), (CGColor{1, 0, 0, 1})) << "the list answers the selected item's colour";
}

TEST_F(TypeTest, LookupsByName) {
    Type& modes = lists.modes();
    EXPECT_EQ(modes.firstObject()->name(), "Enhance 1") << "a leading header is passed over";
    EXPECT_EQ(modes.selectedObject(), modes.firstObject()) << "an unknown default mode falls back";
    struct Case {
        const char* name;
        const char* found;
    };
    for (const Case& c : {Case{"Low Light 1", "Low Light 1"}, Case{"No Such Mode", "Enhance 1"},
                          Case{"Low Light", "Enhance 1"} /* a header's name */}) {
        EXPECT_EQ(modes.objectWithName(c.name)->name(), c.found) << c.name;
    }
    EXPECT_EQ(modes.objectNamed("No Such Mode"), nullptr);

    auto twoHeaders = Type::typeWithObjects({SmallLists::header("A"), SmallLists::header("B")});
    EXPECT_EQ(twoHeaders->firstObject()->name(), "B");
    EXPECT_EQ(Type().firstObject(), nullptr);
}

TEST_F(TypeTest, SelectedCategory) {
    Type& modes = lists.modes();
    modes.setSelectedObject(modes.objectWithName("Low Light 1"));
    EXPECT_EQ(modes.selectedCategory()->name(), "Low Light");
    modes.setSelectedObject(modes.objectWithName("Enhance 2"));
    EXPECT_EQ(modes.selectedCategory()->name(), "Enhance");

    auto plain = Type::typeWithObjects({SmallLists::adjustment("x", 0), SmallLists::header("Later")});
    plain->setSelectedObject(plain->firstObject());
    EXPECT_EQ(plain->selectedCategory(), nullptr);
}

TEST_F(TypeTest, ValuesLiveInTheListOrInTheSelectedItem) {
    Type& modes = lists.modes();
    modes.setValue(0.3f);
    EXPECT_FLOAT_EQ(lists.view.values["CA Effect Strength"], 0.3f);
    EXPECT_FLOAT_EQ(modes.selectedObject()->value(), 0.76f) << "the mode item keeps its own value";
    EXPECT_FLOAT_EQ(modes.valueForObject(modes.objectWithName("Enhance 2")), 0.3f);

    Type& adjustments = lists.adjustments();
    int changes = 0;
    adjustments.valueChangedBlock = [&] { ++changes; };
    CollectionObject* brightness = adjustments.selectedObject();
    adjustments.setValue(0.9f);
    EXPECT_FLOAT_EQ(brightness->value(), 0.9f);
    EXPECT_FLOAT_EQ(adjustments.valueProvider()->value(), 0.9f);
    EXPECT_FLOAT_EQ(adjustments.value(), 0.9f);
    EXPECT_FLOAT_EQ(adjustments.defaultValue(), 0.5f);
    EXPECT_FLOAT_EQ(adjustments.valueForObject(adjustments.objectWithName("Detail")), 0.4f);
    EXPECT_EQ(changes, 1);
}

TEST_F(TypeTest, ControllerTypesAndOffsets) {
    TypeController& c = *lists.controller;
    EXPECT_EQ(c.typeForTypeSelection(1), &c.colorType());
    EXPECT_EQ(c.typeForTypeSelection(2), &c.modeType());
    EXPECT_EQ(c.typeForTypeSelection(3), &c.adjustType());
    EXPECT_EQ(c.typeForTypeSelection(0), nullptr);
    EXPECT_EQ(c.typeForTypeSelection(4), nullptr);

    c.modeType().setContentOffset({10, 0});
    c.adjustType().setContentOffset({0, 5});
    c.resetContentOffsets();
    EXPECT_EQ(c.modeType().contentOffset(), CGPointZero);
    EXPECT_EQ(c.adjustType().contentOffset(), CGPointZero);

    CollectionObject* enhance = c.modeType().objects()[0].get();
    enhance->setCategoryCollapsed(false);
    CollectionObject* separator = c.colorType().objects()[0].get();
    c.collapseAllCategories();
    EXPECT_TRUE(enhance->categoryCollapsed());
    EXPECT_FALSE(separator->categoryCollapsed()) << "a header without a size does not collapse";
}

TEST(TypeLifetime, ItemsOutlivingTheirListDoNotCallIntoIt) {
    auto item = CollectionObject::collectionObjectWithColor(CGColorCreateGenericGray(1, 1));
    {
        auto type = Type::typeWithObjects({item});
        item->selectionChanged(true);
        EXPECT_EQ(type->selectedObject(), item.get());
    }
    item->selectionChanged(true);  // would reach the destroyed list
    EXPECT_TRUE(item->selected());
}

}  // namespace
