#pragma once
// Small mode, colour and adjustment lists shaped like the program's: headers inline, modes
// bound to the engine's effect strength, a user-changeable custom colour, adjustments with
// their own values and two action items. Each selected block counts its applications.
#include <map>
#include <memory>
#include <string>

#include "model/FakeGraphicsView.h"
#include "model/Type.h"

struct SmallLists {
    FakeGraphicsView view;
    std::map<std::string, int> applied;  // name -> times its selected block ran
    std::unique_ptr<TypeController> controller;

    SmallLists() {
        TypeConstants::sharedInstance().cropAdjustmentRelativeCropRect = CGRectZero;
        view.values["CA Effect Strength"] = 0.76f;

        auto modes = Type::typeWithObjects(
            {header("Enhance"), item("Enhance 1"), item("Enhance 2"), header("Low Light"), item("Low Light 1")});
        modes->setUseSelectedObjectColor(true);
        modes->setValueProvider(GraphicsValueProvider::graphicsValueProviderWithName("CA Effect Strength"));

        auto custom = item("Custom");
        custom->setColorIsMutable(true);
        custom->setColor(CGColor{0.93, 0.6, 0, 1});
        auto colors = Type::typeWithObjects(
            {CollectionObject::collectionObjectCategory(), item("Normal"), header("Darks"), item("Darks 1"), custom});
        colors->setUseSelectedObjectColor(true);
        colors->setValueProvider(ValueProvider::valueProviderWithValue(0.5f));

        auto adjustments = Type::typeWithObjects({CollectionObject::collectionObjectCategory(),
                                                  adjustment("Brightness", 0.5f), adjustment("Detail", 0.4f),
                                                  adjustment("Vignette", 0.2f), action("Reset"), action("Crop")});
        adjustments->setUseSelectedObjectValue(true);

        controller = std::make_unique<TypeController>(std::move(colors), std::move(modes), std::move(adjustments));
        TypeController& c = *controller;
        c.colorType().setSelectedObject(c.colorType().firstObject());
        c.modeType().setSelectedObject(c.modeType().objectWithName("Normal 1"));
        c.adjustType().setSelectedObject(c.adjustType().firstObject());
        applied.clear();
        view.redraws.clear();
    }

    std::shared_ptr<CollectionObject> item(const std::string& name) {
        auto object = CollectionObject::collectionObjectWithColor(CGColorCreateGenericGray(0.5, 1), name);
        object->setSelectedBlock([this, name](bool selected, CollectionObject*) {
            if (selected) ++applied[name];
        });
        return object;
    }
    static std::shared_ptr<CollectionObject> header(const std::string& title) {
        auto object = CollectionObject::collectionObjectCategory();
        object->setString(title);
        object->setSize({44, 44});
        object->setCategoryCollapsed(true);
        return object;
    }
    static std::shared_ptr<CollectionObject> adjustment(const std::string& name, float value) {
        auto object = CollectionObject::collectionObjectWithColor(CGColorCreateGenericGray(0.2, 1), name);
        object->setValueProvider(ValueProvider::valueProviderWithValue(value));
        return object;
    }
    static std::shared_ptr<CollectionObject> action(const std::string& name) {
        auto object = CollectionObject::collectionObjectWithColor(CGColorCreateGenericGray(0.2, 1), name);
        object->setSelectable(false);
        object->setValueProvider(nullptr);
        return object;
    }

    Type& modes() { return controller->modeType(); }
    Type& colors() { return controller->colorType(); }
    Type& adjustments() { return controller->adjustType(); }
};
