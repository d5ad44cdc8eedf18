#pragma once
// One album's cell: its cover filling the cell (aspect fill, behind a 40 % black shade) and
// the album's name over its number of photos, centred.
#include <memory>

#include "platform/uikit/UICollectionViewCell.h"
#include "platform/uikit/UILabel.h"

class ImageContentView;
class TextDisplayView;

class PhotoGroupCollectionViewCell : public UICollectionViewCell {
public:
    explicit PhotoGroupCollectionViewCell(CGRect frame = CGRectZero);

    // Back to full opacity; the cover and texts are set anew by the list.
    void prepareForReuse() override;

    const std::shared_ptr<ImageContentView>& imageView() const { return imageView_; }
    // Kept for those who look for them; the list writes its texts into `textDisplayView`.
    const std::shared_ptr<UILabel>& groupLabel() const { return groupLabel_; }
    const std::shared_ptr<UILabel>& groupDetailLabel() const { return groupDetailLabel_; }
    const std::shared_ptr<TextDisplayView>& textDisplayView() const { return textDisplayView_; }

private:
    std::shared_ptr<ImageContentView> imageView_;
    std::shared_ptr<UILabel> groupLabel_, groupDetailLabel_;
    std::shared_ptr<TextDisplayView> textDisplayView_;
};
