#pragma once
// The collection view under the photo browser and the album list: clear, filling its owner,
// scrolling vertically with its indicator, served by one object that is both its data source
// and its delegate, with one kind of cell.
#include <memory>
#include <string>

#include "platform/uikit/UICollectionView.h"
#include "platform/uikit/UIColor.h"

template <class Cell, class Roles>
std::shared_ptr<UICollectionView> makePhotoListCollectionView(CGRect bounds,
                                                              std::shared_ptr<UICollectionViewLayout> layout,
                                                              const std::shared_ptr<Roles>& roles,
                                                              const std::string& cellIdentifier) {
    auto view = std::make_shared<UICollectionView>(bounds, std::move(layout));
    view->setAutoresizingMask(UIViewAutoresizingFlexibleWidth | UIViewAutoresizingFlexibleHeight);
    view->setDataSource(roles);
    view->setDelegate(roles);
    view->setBackgroundColor(UIColor::clearColor());
    view->setShowsHorizontalScrollIndicator(false);
    view->setShowsVerticalScrollIndicator(true);
    view->template registerClass<Cell>(cellIdentifier);
    return view;
}
