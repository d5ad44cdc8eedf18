#pragma once
// A flow layout that places each section's items in reverse: item r stands where the flow
// layout puts item n - 1 - r, n being the section's count as the data source gives it now.
// Every attribute in a rectangle is answered as an item, headers and footers included.
#include "platform/uikit/UICollectionViewFlowLayout.h"

class ReverseCollectionLayout : public UICollectionViewFlowLayout {
public:
    std::optional<UICollectionViewLayoutAttributes> layoutAttributesForItemAtIndexPath(
        const NSIndexPath& indexPath) const override;
    std::vector<UICollectionViewLayoutAttributes> layoutAttributesForElementsInRect(CGRect rect) const override;

private:
    // The data source's count for the section; 0 without a collection view or data source.
    NSInteger itemCount(NSInteger section) const;
};
