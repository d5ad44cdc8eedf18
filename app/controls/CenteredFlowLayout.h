#pragma once
// A flow layout that centres a run of elements narrower than its collection view, moving them
// as a block (the gaps between them kept); a wider run stays where the flow layout puts it.
// Kept ready as a layout for a picker that should not scroll a short list from its start.
#include <vector>

#include "platform/uikit/UICollectionViewFlowLayout.h"

class CenteredFlowLayout : public UICollectionViewFlowLayout {
public:
    std::vector<UICollectionViewLayoutAttributes> layoutAttributesForElementsInRect(CGRect rect) const override;
    // The header of the section among the last centred answer, else the flow layout's.
    std::optional<UICollectionViewLayoutAttributes> layoutAttributesForHeaderAtIndexPath(
        const NSIndexPath& indexPath) const;
    bool shouldInvalidateLayoutForBoundsChange(CGRect) const override { return true; }
    const std::vector<UICollectionViewLayoutAttributes>& centeredLayoutAttributes() const { return centered_; }

private:
    mutable std::vector<UICollectionViewLayoutAttributes> centered_;
};
