#include "model/CollectionObject.h"

CollectionObject::CollectionObject() : valueProvider_(ValueProvider::valueProvider()) {}

std::shared_ptr<CollectionObject> CollectionObject::collectionObjectCategory() {
    auto item = std::make_shared<CollectionObject>();
    item->setSize(CGSizeZero);
    item->setCategory(true);
    item->setCategoryCollapsed(false);
    return item;
}

std::shared_ptr<CollectionObject> CollectionObject::collectionObjectWithColor(const CGColor& color,
                                                                              std::optional<std::string> string) {
    auto item = std::make_shared<CollectionObject>();
    item->setColor(color);
    item->setString(std::move(string));
    return item;
}

std::shared_ptr<CollectionObject> CollectionObject::collectionObjectWithImage(ImageRef image, bool border) {
    return collectionObjectWithImage(std::move(image), {42, 42}, border);
}

std::shared_ptr<CollectionObject> CollectionObject::collectionObjectWithImage(ImageRef image, CGSize size,
                                                                              bool border) {
    auto item = std::make_shared<CollectionObject>();
    item->setImage(std::move(image));
    item->setSize(size);
    item->setBorder(border);
    return item;
}

void CollectionObject::selectionChanged(bool selected) {
    selected_ = selected;
    if (selectionChangedBlock_) {
        // The block may replace itself; keep this call's copy alive while it runs.
        SelectionBlock block = selectionChangedBlock_;
        block(selected, this);
    }
}
