#pragma once
// The picker's layout: a horizontal flow layout that, after a category has been opened or
// closed, recomputes the picker's insets for the new content width and scrolls the opened
// category's first item into view (or, when everything fits, shows the content from its
// start, centred by the insets).
#include <cstdint>
#include <vector>

#include "platform/uikit/UICollectionViewFlowLayout.h"

class FlowLayout : public UICollectionViewFlowLayout {
public:
    // The section the current batch inserts into, or -1.
    std::int64_t lastSection() const { return lastSection_; }

    void prepareForCollectionViewUpdates(const std::vector<UICollectionViewUpdateItem>& items) override;
    void finalizeCollectionViewUpdates() override;
    // The picker's scrolling rule for the content's x (see `CollectionView::scrollToOffsetX`).
    void setContentOffset(CGFloat x);

private:
    std::int64_t lastSection_ = -1;
};
