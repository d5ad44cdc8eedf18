#include "app/AmbrelViewController.h"

#include "app/StartupScreens.h"
#include "camera/location/LocationUtility.h"
#include "model/AmbrelAppSettings.h"
#include "model/DeviceUtility.h"
#include "model/Type.h"
#include "platform/uikit/UINavigationBar.h"
#include "platform/uikit/UINavigationController.h"
#include "platform/uikit/UIScreen.h"
#include "ui/animation/PositioningUtility.h"
#include "ui/appearance/AppAppearance.h"
#include "ui/appearance/UIView+EffectUtility.h"

namespace {

AmbrelViewController* gSharedInstance = nullptr;

// The swipe's delegate answers through the controller.
class SwipeDelegate : public UIGestureRecognizerDelegate {
public:
    explicit SwipeDelegate(AmbrelViewController& controller) : controller_(controller) {}
    bool shouldReceiveTouch(UIGestureRecognizer& recognizer, const UITouch& touch) override {
        return controller_.gestureRecognizer(recognizer, touch);
    }
    bool shouldRecognizeSimultaneously(UIGestureRecognizer& recognizer, UIGestureRecognizer& other) override {
        return controller_.gestureRecognizer(recognizer, other);
    }

private:
    AmbrelViewController& controller_;
};

constexpr CGFloat kRingSide = 306, kRingThickness = 3, kGlowStrength = 0.8;
constexpr CGFloat kPadSliderGrowth = 8, kPadSliderCurvature = 0.8;
constexpr CGFloat kAlbumEditTitleSize = 15;
constexpr int kDialSpacing = 10;

}  // namespace

AmbrelViewController::AmbrelViewController() = default;
AmbrelViewController::~AmbrelViewController() {
    // The screen lives as long as the process; one that goes first (a test's) is no longer
    // reachable.
    if (gSharedInstance == this) gSharedInstance = nullptr;
    detachTypeSelection();
}

AmbrelViewController* AmbrelViewController::sharedInstance() { return gSharedInstance; }

void AmbrelViewController::loadView() {
    UIViewController::loadView();
    view()->setFrame(AppConstants::screenBoundsWithNavigationBar());
    loadNib();
}

void AmbrelViewController::viewDidLoad() {
    UIViewController::viewDidLoad();
    initializeNavigationBar();
    initializeGraphicsView();
    initializeBottomBar();
    initializeFormatDial();
    initializeButtonBlocks();
    initializeStrengthRing();
    initializeStrengthSlider();
    initializeTypeViews();  // the picker and the list selector
    initializeAlbumEditButtons();
    initializeCollapseSwipe();
    AppAppearance::setBackgroundWithColor(*view(), AppAppearance::defaultCameraBackgroundColor());
    gSharedInstance = this;
    startUpChain();
}

void AmbrelViewController::initializeNavigationBar() {
    view()->setBounds(AppConstants::screenBoundsWithNavigationBar());
    AppAppearance::setNavigationBar(*this, AppAppearance::defaultCameraToolbarColor(), false);
    if (UINavigationController* navigation = navigationController())
        navigation->navigationBar()->setTitleTextAttributes(
            NSStringAttributes{AppAppearance::defaultTitleFont(), AppAppearance::defaultTitleColor()});
    animateNavigationItemForCameraView();
}

void AmbrelViewController::initializeGraphicsView() {
    graphicsView_ = std::make_shared<GraphicsContentView>(AppConstants::defaultCameraViewFrame());
    graphicsView_->setContentMode(UIViewContentMode::ScaleAspectFit);
    graphicsView_->setZoomEnabled(true);
    graphicsView_->setAutoresizingMask(UIViewAutoresizingFlexibleWidth | UIViewAutoresizingFlexibleHeight);
    graphicsView_->setBackgroundColor(UIColor::clearColor());
    view()->insertSubview(graphicsView_, 0);
    // The render view and its engine are made now, before the editing lists
    // (`initializeTypeViews`): making the lists reads the engine's start-up values as the
    // adjustments' defaults and gives it the start-up mode and look. Without an engine they
    // would read zeros (a grey, flat photo whenever album editing or Reset goes back to the
    // defaults) and give to nothing.
    graphicsView_->graphicsView();
    graphicsView_->contentChanged = [this](ContentView& changed) {
        auto* content = dynamic_cast<GraphicsContentView*>(&changed);
        AppAppearance::setBackgroundWithImage(*view(), content ? content->image() : nullptr, true);
    };
    graphicsView_->longPressBlock = [this](bool pressed) {
        if (albumEditing_) graphicsView_->setShowOriginal(pressed);
    };
}

void AmbrelViewController::initializeBottomBar() {
    const CGSize size = view()->bounds().size;
    const CGFloat toolbar = AppConstants::defaultToolbarHeight();
    bottomView_->setFrame(CGRectMake(0, size.height - toolbar, size.width, toolbar));
}

void AmbrelViewController::initializeFormatDial() {
    rotationSelectionView_ = std::make_shared<RotationSelectionView>();
    rotationSelectionView_->setAutoresizingMask(UIViewAutoresizingFlexibleWidth);
    rotationSelectionView_->setBackgroundColor(UIColor::clearColor());
    rotationSelectionView_->setColor(AppAppearance::defaultLightColor());
    rotationSelectionView_->setHighlightColor(AppAppearance::tintColor());
    rotationSelectionView_->setDefaultSelection(0);
    rotationSelectionView_->addItemsWithTitles({"P H O T O", "S Q U A R E"}, kDialSpacing);
    enableRotationSelectionGestures(true);
    // Just below the album button: under the bottom bar that holds it, over the picture.
    view()->insertSubviewBelow(rotationSelectionView_, bottomView_.get());
    rotationSelectionView_->setBlock([this](std::size_t) { animateAspectButtonAction(); });
    rotationSelectionView_->layer()->setShouldRasterize(true);
    rotationSelectionView_->layer()->setContentsScale(UIScreen::mainScreen().scale());
}

void AmbrelViewController::initializeButtonBlocks() {
    albumButtonView_->setBlock([this] { animatePhotoCollectionView(true); });
    cameraButtonView_->setBlock([this] { animateCameraButtonAction(); });
    expandCollapseView_->setBlock([this](bool expanded) { animateExpandCollapse(expanded); });
}

void AmbrelViewController::initializeStrengthRing() {
    circularProgressView_->setFrame(CGRectMake(0, 0, kRingSide, kRingSide));
    circularProgressView_->setThickness(kRingThickness);
    circularProgressView_->setShowProgress(false);
    circularProgressView_->setAlpha(0);
    circularProgressView_->setTransform(CGAffineTransformMakeScale(0.1, 0.1));
    circularProgressView_->setShowProgressLabel(false);
    circularProgressView_->setUserInteractionEnabled(false);
    EffectUtility::addGlow(*circularProgressView_, AppAppearance::defaultShadowColor(), kGlowStrength);
}

void AmbrelViewController::initializeStrengthSlider() {
    slideView_->setAlpha(0);
    slideView_->setPanningEnabled(true);
    slideView_->setShowValueIndicator(true);
    EffectUtility::addGlow(*slideView_, AppAppearance::defaultShadowColor(), kGlowStrength);
    slideView_->setValue(circularProgressView_->progress());
    if (DeviceUtility::isIPad()) {
        CGRect frame = slideView_->frame();
        frame.origin.y -= kPadSliderGrowth;
        frame.size.height += kPadSliderGrowth;
        slideView_->setFrame(frame);
        slideView_->setCurvature(kPadSliderCurvature);
    }
    slideView_->setValueChanged([this](double value) {
        if (type_) type_->setValue(static_cast<float>(value));
    });
    slideView_->setValueWillBeginChange([this](double) {
        if (type_) type_->valueWillBeginChange();
    });
    slideView_->setValueWillFinishChange([this](double) {
        if (type_) type_->valueWillFinishChange();
    });
    slideView_->setIndicatorBlock([this] { typeSelectionValueResetToDefault(); });
}

// Hidden until a photo is edited.
void AmbrelViewController::initializeAlbumEditButtons() {
    albumEditDoneButtonView_->setTitle("Save");
    albumEditDoneButtonView_->setTintColor(AppAppearance::tintColor());
    albumEditDoneButtonView_->setTitleSize(kAlbumEditTitleSize);
    albumEditDoneButtonView_->setBlock([this] { albumEditDoneAction(); });
    albumEditShareButtonView_->setTitle("Share");
    albumEditShareButtonView_->setTintColor(AppAppearance::tintColor());
    albumEditShareButtonView_->setTitleSize(kAlbumEditTitleSize);
    albumEditShareButtonView_->setBlock([this] { animatePhotoCollectionViewShare(nullptr); });
    albumEditCancelButtonView_->setTitle("Cancel");
    albumEditCancelButtonView_->setTitleSize(kAlbumEditTitleSize);
    albumEditCancelButtonView_->setBlock([this] { albumEditCancelAction(); });
    for (auto* button : {&albumEditDoneButtonView_, &albumEditShareButtonView_, &albumEditCancelButtonView_})
        (*button)->setHidden(true);
}

// The downward swipe that collapses the editing controls.
void AmbrelViewController::initializeCollapseSwipe() {
    swipeRecognizer_ = std::make_shared<UISwipeGestureRecognizer>();
    swipeRecognizer_->addTarget(this, [this](UIGestureRecognizer& recognizer) {
        handleSwipeGesture(static_cast<UISwipeGestureRecognizer&>(recognizer));
    });
    swipeDelegate_ = std::make_shared<SwipeDelegate>(*this);
    swipeRecognizer_->setDelegate(swipeDelegate_);
    swipeRecognizer_->setDirection(UISwipeGestureRecognizerDirectionDown);
    view()->addGestureRecognizer(swipeRecognizer_);
}

void AmbrelViewController::startUpChain() {
    StartupScreens& screens = StartupScreens::current();
    // The access test is made only when no introduction is due.
    const bool wait = screens.shouldShowIntroduction() || !screens.hasCameraAndPhotoAccess();
    UINavigationController* navigation = navigationController();
    std::shared_ptr<UIView> host = navigation ? navigation->view() : view();
    std::weak_ptr<UIViewController> weak = weak_from_this();
    auto alive = [weak] { return !weak.expired(); };
    screens.presentSplash(host, wait, [this, host, alive] {
        if (!alive()) return;
        StartupScreens::current().presentIntroduction(host, [this, host, alive] {
            if (!alive()) return;
            StartupScreens::current().requestCameraAndPhotoAccess(host, [this, alive] {
                if (alive()) initializeCameraAndPhotos();
            });
        });
    });
}

void AmbrelViewController::initializeCameraAndPhotos() {
    initializePhotoCollectionView();
    setAlbumEditing(false);
    AmbrelAppSettings::sharedInstance().loadSettings();
    applySettings();
}

void AmbrelViewController::applySettings() {
    LocationUtility::sharedInstance().setEnabled(AmbrelAppSettings::sharedInstance().useGeotagging());
}

void AmbrelViewController::viewWillLayoutSubviews() {
    UIViewController::viewWillLayoutSubviews();
    UIView& main = *view();
    const UIView& bar = *bottomView_;
    if (DeviceUtility::isIPad()) {
        if (cameraButtonView_->superview() != &main) {
            cameraButtonView_->removeFromSuperview();
            main.insertSubviewAbove(cameraButtonView_, bottomView_.get());
        }
        const CGFloat width = cameraButtonView_->frame().size.width;
        cameraButtonView_->setCenter(
            {main.bounds().size.width - width - kPadShutterMargin, main.bounds().size.height * 0.5 - width * 0.5});
    } else {
        PositioningUtility::positionViewAtCenterOfView(*cameraButtonView_, bar);
    }
    PositioningUtility::positionViewAtRelativeCenterX(*albumButtonView_, 0.15, bar);
    PositioningUtility::positionViewAtRelativeXY(*expandCollapseView_, 0.85, 0.5, bar);
    PositioningUtility::positionViewAtRelativeCenterY(*circularProgressView_, 0.7, main);
    layoutTypeViews();
    PositioningUtility::positionViewAtRelativeCenterX(*albumEditDoneButtonView_, 0.38, bar);
    PositioningUtility::positionViewAtRelativeCenterX(*albumEditShareButtonView_, 0.59, bar);
    PositioningUtility::positionViewAtRelativeCenterX(*albumEditCancelButtonView_, 0.15, bar);
    const CGSize size = main.bounds().size;
    rotationSelectionView_->setFrame(
        CGRectMake(0, size.height - AppConstants::defaultToolbarHeight() - kDialHeight, size.width, kDialHeight));
}
