// The screen's outlets as its layout file would give them: the bottom bar holding the shutter,
// the album button, the chevron and the album-editing buttons; the strength ring and slider
// over the picture; the editing controls' two views where they exist.
#include "app/AmbrelViewController.h"
#include "model/DeviceUtility.h"

namespace {

constexpr CGFloat kSliderHeight = 110;
constexpr CGFloat kRingSide = 306;

}  // namespace

void AmbrelViewController::loadNib() {
    UIView& main = *view();
    const CGSize size = main.bounds().size;
    const CGFloat toolbar = AppConstants::defaultToolbarHeight();

    bottomView_ = std::make_shared<UIView>(CGRectMake(0, size.height - toolbar, size.width, toolbar));
    bottomView_->setAutoresizingMask(UIViewAutoresizingFlexibleWidth | UIViewAutoresizingFlexibleTopMargin);
    main.addSubview(bottomView_);

    cameraButtonView_ = std::make_shared<CameraButtonView>();
    albumButtonView_ = std::make_shared<AlbumButtonView>();
    expandCollapseView_ = std::make_shared<ExpandCollapseView>();
    albumEditCancelButtonView_ = std::make_shared<TitleButtonView>("Cancel");
    albumEditDoneButtonView_ = std::make_shared<TitleButtonView>("Save");
    albumEditShareButtonView_ = std::make_shared<TitleButtonView>("Share");
    for (const std::shared_ptr<UIView>& control : std::initializer_list<std::shared_ptr<UIView>>{
             cameraButtonView_, albumButtonView_, expandCollapseView_, albumEditCancelButtonView_,
             albumEditDoneButtonView_, albumEditShareButtonView_})
        bottomView_->addSubview(control);

    circularProgressView_ = std::make_shared<CircularProgressView>(CGRectMake(0, 0, kRingSide, kRingSide));
    main.addSubview(circularProgressView_);
    slideView_ =
        std::make_shared<SlideView>(CGRectMake(0, size.height - toolbar - kSliderHeight, size.width, kSliderHeight));
    slideView_->setAutoresizingMask(UIViewAutoresizingFlexibleWidth | UIViewAutoresizingFlexibleTopMargin);
    main.addSubview(slideView_);

    makeTypeSelectViews();
}
