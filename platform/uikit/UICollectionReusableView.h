#pragma once
// A view that a collection view shows for one element and keeps in its reuse pool when the
// element leaves the visible rectangle. `prepareForReuse` runs when a pooled view is handed
// out again; subclasses clear what the previous element left in it (calling the base).
#include <string>

#include "platform/uikit/UICollectionViewLayoutAttributes.h"
#include "platform/uikit/UIView.h"

class UICollectionReusableView : public UIView {
public:
    explicit UICollectionReusableView(CGRect frame = CGRectZero) : UIView(frame) {}

    const std::string& reuseIdentifier() const { return reuseIdentifier_; }
    virtual void prepareForReuse() {}
    // Takes the frame, alpha and hidden state that the layout gives the element.
    virtual void applyLayoutAttributes(const UICollectionViewLayoutAttributes& attributes);

private:
    friend class UICollectionView;
    std::string reuseIdentifier_;
};
