#pragma once
// The browser's cell: one photo in a zoomable image view that fills the cell, with two
// optional badges over it, each by a corner of the picture (not of the view, when the picture
// is letterboxed). The edit badge (a small rounded "HDR" label) marks a photo edited by this
// program, 8 points inside the picture's upper-left corner; the progress ring shows how far the
// photo's download has come, its lower-right corner 10 points inside the picture's lower-right
// corner. Badges exist only while shown; reuse and destruction switch both off. During photo
// flights they can be lent to another view, keeping their place on the screen, and taken back
// (`showDecoratorsInView`). A photo that cannot be read shows a text in its place.
#include <memory>
#include <string>

#include "platform/uikit/UICollectionViewCell.h"
#include "platform/uikit/UILabel.h"
#include "ui/widgets/CircularProgressView.h"
#include "ui/widgets/ImageContentView.h"

class PhotoCollectionViewCell : public UICollectionViewCell {
public:
    static constexpr CGFloat kProgressDecoratorSide = 40;
    static constexpr CGFloat kProgressDecoratorInset = 10;
    static constexpr NSTimeInterval kProgressDecoratorFadeDuration = 0.2;
    static constexpr CGFloat kEditDecoratorInset = 8;

    explicit PhotoCollectionViewCell(CGRect frame = CGRectZero);
    ~PhotoCollectionViewCell() override;

    const std::shared_ptr<ImageContentView>& imageView() const { return imageView_; }

    // A new edit badge: the "adjustBrightness" picture and "HDR" on a light blur.
    static std::shared_ptr<UIView> editDecoratorView();
    // A new progress ring of the badge's size, or of the given size (the browser's large ring).
    static std::shared_ptr<CircularProgressView> progressDecoratorView();
    static std::shared_ptr<CircularProgressView> progressDecoratorViewOfSize(CGSize size);

    bool showEditDecorator() const { return editDecorator_ != nullptr; }
    // Showing places the badge by the picture's corner, also when it is shown already (the
    // picture may have come meanwhile).
    void setShowEditDecorator(bool show);
    bool showProgressDecorator() const { return progressDecorator_ != nullptr; }
    // Showing places a new ring by the picture's corner and fades it in.
    void setShowProgressDecorator(bool show);
    // These reach the ring only while it is shown.
    void setProgressDecoratorProgress(double progress);
    void setProgressDecoratorHidden(bool hidden);
    void setProgressDecoratorIndeterminate(bool indeterminate);
    const std::shared_ptr<UIView>& editDecorator() const { return editDecorator_; }
    const std::shared_ptr<CircularProgressView>& progressDecorator() const { return progressDecorator_; }

    // A photo whose picture cannot be made says so in its place, in the text given (empty
    // takes the text away; reuse does too).
    void setUnreadableText(const std::string& text);
    const std::shared_ptr<UILabel>& unreadableLabel() const { return unreadableLabel_; }

    // Moves each shown badge into the view (null takes them out of every view).
    void showDecoratorsInView(UIView* view);

    void prepareForReuse() override;

private:
    // Where the picture stands in the image view, fitted to its aspect (a point at the middle
    // without a picture).
    CGRect pictureRect() const;
    void placeEditDecorator();

    std::shared_ptr<ImageContentView> imageView_;
    std::shared_ptr<UIView> editDecorator_;
    std::shared_ptr<CircularProgressView> progressDecorator_;
    std::shared_ptr<UILabel> unreadableLabel_;
};
