#pragma once
// The application's single screen: the picture over the engine, the bottom bar with the
// shutter, album button and chevron, the format dial, the strength ring and slider, and the
// states built on them (camera, album side, expanded, the feature panels). No state variable:
// each state is a property below or the presence of a view.
//
// The class is split by feature, one source file each:
//   AmbrelViewController.cpp            the screen build (`viewDidLoad`), layout, start-up chain,
//                                       `initializeCameraAndPhotos`, `applySettings`
//   AmbrelViewController+Nib.cpp        the outlets the screen is built from (`loadView`)
//   AmbrelViewController+States.cpp     camera state and album side, expand and collapse, the
//                                       navigation items, turning the camera controls, the swipe
//                                       and the application events
//   AmbrelViewController+ButtonMenuViewController.cpp     rows of buttons in the bottom bar
//   AmbrelViewController+ConfirmDismissViewController.cpp the confirm-and-dismiss row
//   AmbrelViewController+CameraViewController.cpp         the live preview, shutter and its saves,
//                                                         flash, aspect, front and back
//   AmbrelViewController+PhotoCollectionViewController.cpp the photo collection (made at the end
//                                                          of start-up), the album and album
//                                                          editing; the edit saved, copied,
//                                                          exported, shared or reverted
//   AmbrelViewController+TypeSelectViewController.cpp     the editing controls
//   AmbrelViewController+DoneViewController.cpp           album-editing Done and Cancel, the
//                                                         Done title, the home-screen shortcuts
//   AmbrelViewController+CompareViewController.cpp        the compare state
//   AmbrelViewController+PreviewingViewController.cpp     peek and pop
//   AmbrelViewController+ColorViewController.cpp          the custom-colour editor and the format
//                                                         dial's swipes on the picture
//   AmbrelViewController+CropViewController.cpp           the crop screen
//   AmbrelViewController+SettingsViewController.cpp       the settings page and the about panel
//   AmbrelViewController+MenuViewController.cpp           the mode and colour menus, mode information
// A feature that is not there yet is a hook marked "Hook:" below that does nothing; the feature
// fills it in its own file.
#include <ctime>
#include <functional>
#include <vector>
#include <memory>
#include <optional>
#include <string>

#include "app/ExpandCollapseView.h"
#include "camera/buttons/CameraButtonView.h"
#include "engine/view/GraphicsContentView.h"
#include "model/State.h"
#include "platform/foundation/NSError.h"
#include "platform/uikit/UIApplication.h"
#include "platform/uikit/NSIndexPath.h"
#include "platform/uikit/UIGestureRecognizer.h"
#include "platform/uikit/UISwipeGestureRecognizer.h"
#include "platform/uikit/UIToolbar.h"
#include "platform/uikit/UIImageView.h"
#include "platform/uikit/UILabel.h"
#include "platform/uikit/UIViewController.h"
#include "platform/uikit/UIViewControllerPreviewing.h"
#include "ui/widgets/AlbumButtonView.h"
#include "ui/widgets/ButtonMenuView.h"
#include "ui/widgets/CircularProgressView.h"
#include "ui/widgets/InfoButtonView.h"
#include "ui/widgets/RotationSelectionView.h"
#include "ui/widgets/SlideView.h"
#include "ui/widgets/TitleButtonView.h"

class FlashButtonView;
class UIBarButtonItem;
class Type;
// The feature views: each feature defines its own.
class TypeSelectView;
class CollectionView;
class CropView;
class UIActionSheet;
class PhotoCollectionView;
class PhotoGroupCollectionView;
class CompareView;
class SettingsView;
class ColorView;
class ModeMenuViewController;
class ColorMenuViewController;
class ModeInfoViewController;

#define AMBREL_PROPERTY(T, name, setter)      \
    const T& name() const { return name##_; } \
    void setter(T value) { name##_ = std::move(value); }

class AmbrelViewController : public UIViewController, public UIViewControllerPreviewingDelegate {
public:
    using BoolBlock = std::function<void(bool)>;
    // Rows of buttons for the bottom bar (button menus).
    using ButtonMenuMaker = std::function<std::shared_ptr<ButtonMenuView>()>;
    using ButtonMenuChange = std::function<void(ButtonMenuView&)>;

    // ---- Timings and distances of the screen ----------------------------------------------
    static constexpr double kSlideDuration = 0.4;       // controls sliding in and out
    static constexpr double kAlbumFadeDuration = 0.2;   // the camera's controls around the album
    static constexpr double kRotateDuration = 0.2;      // camera controls turning with the device
    static constexpr double kMenuChangeDuration = 0.2;  // a row's buttons replaced in place
    static constexpr CGFloat kMenuChangeDrop = 10;
    static constexpr CGFloat kDialHeight = 40;    // the format dial's strip
    static constexpr CGFloat kSwipeMargin = 100;  // how far above the slider a swipe may start
    static constexpr CGFloat kPadShutterMargin = 20;
    static constexpr double kCameraFadeIn = 0.6;  // the preview once the camera runs
    static constexpr CGFloat kNoCameraNoticeFontSize = 17;
    static constexpr double kSwapFadeOut = 0.2, kSwapFadeIn = 0.8;
    static constexpr double kShutterReveal = 0.2;   // each half of the shutter's iris
    static constexpr CGFloat kThumbnailSide = 256;  // the album button's picture of a photo

    AmbrelViewController();
    ~AmbrelViewController() override;

    // Set at the end of `viewDidLoad`; null before, never cleared.
    static AmbrelViewController* sharedInstance();

    // ---- Screen build and start-up (AmbrelViewController.cpp) ------------------------------
    void loadView() override;
    void viewDidLoad() override;
    void viewWillLayoutSubviews() override;
    void initializeCameraAndPhotos();
    void applySettings();

    // ---- States, navigation and events (AmbrelViewController+States.cpp) -------------------
    bool albumEditing() const { return albumEditing_; }
    void setAlbumEditing(bool editing);
    void animateExpandCollapse(bool expanded);
    void animateCameraView(bool show);
    void animateCameraViewButton(bool show);
    void animateAlbumEditView(bool show);
    // Shows or hides the chevron. The screens laid over the camera (settings with its about
    // panel, compare, the colour editor, mode information, crop) each take it away while they
    // are up, and the viewfinder's notice goes and comes back with it.
    void animateExpandCollapseView(bool show);
    void animateTransitionToAlbumView(bool toAlbum);
    void animateTransitionToAlbumEditingView(bool editing);
    void animateNavigationItemForCameraView();
    void animateNavigationItemForAlbumEditView();
    void setCameraViewOrientation(int orientation, bool animated);
    void applicationWillResignActive(UIApplication& application);
    void applicationDidEnterBackground(UIApplication& application);
    void applicationWillEnterForeground(UIApplication& application);
    void applicationDidBecomeActive(UIApplication& application);
    void applicationOrientationChanged(int orientation);
    bool gestureRecognizer(UIGestureRecognizer& recognizer, UIGestureRecognizer& other);
    bool gestureRecognizer(UIGestureRecognizer& recognizer, const UITouch& shouldReceiveTouch);
    void handleSwipeGesture(UISwipeGestureRecognizer& recognizer);
    // Whether both a front and a back camera are there (the front/back item needs both).
    static bool frontAndBackCamerasAvailable();

    // ---- Button menus (…+ButtonMenuViewController.cpp, …+ConfirmDismissViewController.cpp) --
    void animateButtonMenuView(const ButtonMenuMaker& maker, bool show);
    void animateButtonMenuViewChanges(const ButtonMenuChange& change);
    void animateConfirmDismissView(bool show, std::function<void(bool dismissed)> block);
    void animateConfirmDismissView(bool show) { animateConfirmDismissView(show, nullptr); }

    // ---- Camera (AmbrelViewController+CameraViewController.cpp) ----------------------------
    void animateCameraShowing(bool show);
    void animateCameraEnabled(bool enabled);
    void animateCameraButtonAction();
    void animateShutter(BoolBlock completion);
    void animateAspectButtonAction();
    void animateFlashButtonAction();
    void animateFrontBackButtonAction();
    FlashButtonView* flashButtonView() const;
    // Whether the picture has a camera to show. Without one (none found, or `--camera none`)
    // the viewfinder says so and the shutter is disabled; the album works as ever.
    bool cameraAvailable() const;
    static constexpr const char* kNoCameraNotice = "No camera available";
    // The viewfinder's notice while the camera side shows without a camera and no other screen
    // covers it (null until first shown).
    const std::shared_ptr<UILabel>& noCameraNoticeView() const { return noCameraNotice_; }
    // An accepted press until its indicator has gone.
    static bool shutterBusy();
    // Album-button pictures still being made off the main thread.
    static int thumbnailsInFlight();

    // ---- Photo collection (…+PhotoCollectionViewController.cpp) ----------------------------
    void initializePhotoCollectionView();
    // The album comes in from the right (YES) or goes back out to the right.
    void animatePhotoCollectionView(bool show);
    // The visible cells spring in, 0.01 s apart, or out; the completion follows the last.
    void animatePhotoCollectionViewObjects(bool show, BoolBlock completion);
    // The navigation bar in the album's colour with a shadow, or the camera's without.
    void setPhotoCollectionViewShowing(bool showing);
    void animateNavigationItemForPhotoCollectionView();
    // The layout switch with the navigation items to match; the completion follows the switch.
    void animatePhotoCollectionViewLayout(int layout, const NSIndexPath& indexPath, bool animated = true,
                                          std::function<void(bool finished)> completion = nullptr);
    // The grid's "Albums"; one photo's goes back to its album's grid, so it names that album.
    std::string titleForLeftBarButtonWithLayout(int layout) const;
    // A photo's day in English in local time ("Today", "Yesterday", else "December 9, 2024")
    // and its time ("3:41 PM"), from seconds since 1970.
    static std::string relativeDateTitle(double seconds, std::time_t now);
    static std::string shortTimeTitle(double seconds);
    std::shared_ptr<UIView> titleViewForPhotoCollectionWithLayout(int layout);
    // The selected photo's date above its time.
    std::shared_ptr<UIView> titleViewForSelectedAsset();
    // The titles and the trash button follow the selected photo while the album shows.
    void photoCollectionSelectionChanged(const NSIndexPath& indexPath);
    // The album list zooms out of the shown album's cell (YES) or back into the picked one.
    void animatePhotoGroupCollectionView(bool show);
    // Opens the selected photo with the editing state and crop stored with it.
    void animatePhotoCollectionViewToAlbumEditing();
    // The chevron's bounce that ends the entry; `settled` once its last step has run.
    void animateExpandCollapseViewWithBounce(std::function<void()> settled = nullptr);
    // Album editing being entered (from Edit until the controls have bounced in) or left (until
    // the photo is back in the album): what else would move the screen waits for it.
    bool albumEditTransitioning() const { return albumEditTransitions_ > 0; }
    // Back from album editing to the album; `completion` once the photo has flown back.
    void animatePhotoCollectionViewFromAlbumEditing(std::function<void()> completion = nullptr);
    using ImageViewCompletion = std::function<void(bool finished)>;
    void transitionImageViewToAlbumEditing(const std::shared_ptr<UIImageView>& imageView, const UIImagePtr& image,
                                           ImageViewCompletion completion);
    void transitionImageView(const std::shared_ptr<UIImageView>& imageView, const UIImagePtr& image,
                             ImageViewCompletion completion);
    // The edited photo saved in place or as a copy, exported, shared or reverted: indicator on,
    // work, indicator off, then the completion with the library's answer (NO when there was no
    // picture to write). A failure is said in the error alert with its reason; the edit stays.
    void animatePhotoCollectionViewSave(BoolBlock completion, bool copy = false);
    void animatePhotoCollectionViewSaveCopy(BoolBlock completion) { animatePhotoCollectionViewSave(completion, true); }
    void animatePhotoCollectionViewExport(BoolBlock completion);
    void animatePhotoCollectionViewRevert(BoolBlock completion);
    // The edited photo rendered at full size with the current parameters (null without one,
    // with the reason in `error`).
    UIImagePtr renderEditedPhoto(const NSIndexPath& indexPath, NSErrorPtr* error = nullptr);
    struct RenderedEdit {
        NSIndexPath indexPath;
        UIImagePtr image;
        platform::ImageProperties metadata;
    };
    // The selected photo rendered with its own metadata; nothing without a picture.
    std::optional<RenderedEdit> renderSelectedEdit(NSErrorPtr* error = nullptr);
    // The library's answer taken on the main queue: the photo selected when it took the change,
    // then `finish` with the answer.
    // (The photo collection's answer: done, or not with the reason.)
    using ChangeAnswer = std::function<void(bool done, const NSErrorPtr& error)>;
    ChangeAnswer answerSelecting(ChangeAnswer finish, NSIndexPath select);
    // A photo that could not be saved, copied, exported, reverted or deleted: the error alert
    // with the reason (nothing for the person's own cancel).
    static void reportSaveFailure(const NSErrorPtr& error);
    // The selected photo deleted from the library; a refusal is said.
    void deleteSelectedPhoto();

    // ---- Editing controls (…+TypeSelectViewController.cpp) ----------------------------------
    // The two outlets of the editing controls.
    void makeTypeSelectViews();
    // Screen-build steps for the picker and the list selector.
    void initializeTypeViews();
    void layoutTypeViews();
    // Shows (YES) or hides the selector, picker, slider and ring as one group.
    void animateTypeView(bool show);
    void setTypeViewOrientation(int orientation, bool animated);
    // The list selector's change: the outgoing list keeps its offset, the new one comes in.
    void typeSelectionChanged(int type, int lastType);
    // Before a tap on a picker item: Reset asks and resets, Crop opens the crop screen.
    void typeSelectionObjectWillSelect(CollectionObject& object);
    // The current list's blocks.
    void typeSelectionObjectSelected(bool userInteraction);
    void typeSelectionObjectChanged(bool userInteraction);
    void typeSelectionObjectUpdated();
    void typeSelectionValueChanged();
    void typeSelectionValueWillBeginChange();
    void typeSelectionValueWillFinishChange();
    // A tap on the slider's value: the selected value springs back to its default.
    void typeSelectionValueResetToDefault();
    // Brings the selector back to the modes (through its own change, so the picker follows).
    void selectModeTypeSelection();
    // After the lists were collapsed by a change of state: the picker shows the current list's
    // selection and every list starts from its first item again.
    void resetTypeSelectionCategories();
    // Around a header tap (held-back redraws on a low-tier device, the mode-information hint).
    void typeSelectionCategoryWillSelect();
    void typeSelectionCategorySelected();
    // The info button's pulse (from 0.4 s) while YES; NO stops it.
    void animateModeInfoButton(bool highlight);
    void animateNavigationItemForTypeView();
    void animateTypeViewForTypeChanged(bool forward);
    // Selector highlight, ring, slider and, for a mode, the application's tint.
    void animateTypeViewForSelectedObjectChanged(bool forward, bool animated);
    // Shows the ring, fading it the given seconds (1.5 by default) after the last request.
    void animateCircularProgressView();
    void animateCircularProgressView(double seconds);
    // Shrinks the picker's cells and headers, runs the block (a reload), grows them back.
    void animateCollectionViewObjectsWithBlock(std::function<void()> block);
    // The adjustment items' colours for a tint: the tint's analogous colours in reverse, each
    // blended with the secondary colour (the last, Crop's, from the tint itself).
    static std::vector<UIColor> adjustmentColors(const UIColor& tint, std::size_t count);
    static constexpr double kRingDisplayDuration = 1.5;
    static constexpr double kRingFadeDuration = 0.2;
    static constexpr double kModeInfoHintDelay = 0.4;
    // The editing help over the picture until it has been seen; then the completion at once.
    void presentEditingHelp(std::function<void()> completion);

    // ---- Hooks of album editing and shortcuts (…+DoneViewController.cpp) -------------------
    void animateAlbumEditViewForAlbumEditAssetState();
    void albumEditDoneAction();
    void albumEditCancelAction();
    void animatePhotoCollectionViewShare(BoolBlock completion);
    // What Done does for an edit: back to the album when the library took it.
    BoolBlock albumEditSaveCompletion();
    // A photo of the album is open in album editing.
    bool editingAlbumPhoto() const;
    // Whether the album edit differs from the state it began with.
    bool albumEditChanged() const;
    // Runs `discard` at once for an unchanged edit; a changed one first asks "Discard Changes"
    // (Cancel runs `keep`, when given, and the edit stays).
    void askToDiscardAlbumEdit(std::function<void()> discard, std::function<void()> keep = nullptr);
    // A home-screen shortcut: the camera with its mode at full strength, completing with YES. An
    // album edit ends first, asked about when changed; kept, the shortcut completes with NO.
    // While the screen is busy (album editing coming or going, the application ignoring
    // touches) it waits, looking again every tenth of a second.
    void application(UIApplication& application, const UIApplicationShortcutItem& shortcutItem,
                     std::function<void(bool succeeded)> completionHandler);
    void performShortcut(const std::string& type, std::function<void(bool succeeded)> completionHandler);

    // ---- Compare (…+CompareViewController.cpp) ---------------------------------------------
    // The divider over the picture (YES) or back to the state it came from.
    void animateCompareView(bool show);
    void animateNavigationItemForCompareView();
    void animateCompareButtonMenuView(ButtonMenuView& menu);
    // "Show Original" held: the divider past the far edge; released: back where it was.
    void animateShowOriginal();
    void animateShowOriginalFinished();

    // ---- Peek and pop (…+PreviewingViewController.cpp) -----------------------------------
    // Registers (YES) or unregisters the main view for peeks, on a device with force touch.
    void enablePreviewing(bool enabled);
    // A thumbnail of the album's grid, or the picture being edited with the chevron expanded.
    std::shared_ptr<UIViewController> previewingContext(UIViewControllerPreviewing& context, CGPoint location) override;
    // The thumbnail's photo in single layout, or the compare state with a bump.
    void previewingContext(UIViewControllerPreviewing& context, UIViewController& commitViewController) override;
    // The peeked photo selected and in single layout at once; the completion follows the switch.
    void transitionToPhotoCollectionSingleLayout(std::function<void(bool finished)> completion);
    const std::shared_ptr<UIViewControllerPreviewing>& previewingContext() const { return previewingContext_; }
    const std::optional<NSIndexPath>& previewingIndexPath() const { return previewingIndexPath_; }
    // Album editing with the controls expanded and nothing over the picture.
    bool editingPeekable() const;

    // ---- Hooks of the colour screen and of the crop screen ------------------------------------
    void enableRotationSelectionGestures(bool enabled);
    // Whether the crop editor is on the screen (`cropView` with a superview).
    bool cropViewShown() const;

    // ---- Crop mode (…+CropViewController.cpp) -------------------------------------------------
    // Enters (YES) or leaves the crop mode over the photo being edited.
    void animateCropView(bool show);
    void animateNavigationItemForCropView();
    // "Aspect" and "Reset" into the bottom row.
    void animateCropButtonMenuView(ButtonMenuView& menu);
    // The crop editor shows the recorded crop (the whole photo when none is recorded).
    void animateCropRect();
    // "Crop": the engine gets the cropped photo and the crop is recorded; "Cancel" keeps the record.
    void cropAction();
    void cropCancelAction();
    void showCropAspectSheet(ButtonMenuView& menu);
    // ---- Settings (AmbrelViewController+SettingsViewController.cpp) ------------------------
    // Enters (YES) or leaves the settings state; the page stays in `settingsView` until its
    // fade-out ends.
    void animateSettingsView(bool show);
    void animateNavigationItemForSettingsView();
    // The settings state's "Done" (closes the about panel first when it is open).
    const std::shared_ptr<TitleButtonView>& settingsDoneButton() const { return settingsDoneButton_; }

    // ---- Colour screen (AmbrelViewController+ColorViewController.cpp) -----------------------
    // Opens (YES) the custom-colour editor on the current type's selected item, or closes it.
    void animateColorView(bool show);
    void animateNavigationItemForColorView();
    // The action of the format dial's two swipes.
    void swipeGesture(UISwipeGestureRecognizer& recognizer);

    // ---- Menus and mode information (AmbrelViewController+MenuViewController.cpp) ----------
    // Each opens its screen over the full-screen backdrop; a tap on the backdrop (or a choice,
    // or the information screen's close button) takes it away.
    void animateModeMenuView();
    void animateColorMenuView();
    void animateModeInfoView();

    // ---- Properties shared by the features ---------------------------------------------------
    AMBREL_PROPERTY(std::shared_ptr<GraphicsContentView>, graphicsView, setGraphicsView)
    AMBREL_PROPERTY(std::shared_ptr<UIView>, bottomView, setBottomView)
    AMBREL_PROPERTY(std::shared_ptr<RotationSelectionView>, rotationSelectionView, setRotationSelectionView)
    AMBREL_PROPERTY(std::shared_ptr<ExpandCollapseView>, expandCollapseView, setExpandCollapseView)
    AMBREL_PROPERTY(std::shared_ptr<CameraButtonView>, cameraButtonView, setCameraButtonView)
    AMBREL_PROPERTY(std::shared_ptr<AlbumButtonView>, albumButtonView, setAlbumButtonView)
    AMBREL_PROPERTY(std::shared_ptr<TitleButtonView>, albumEditCancelButtonView, setAlbumEditCancelButtonView)
    AMBREL_PROPERTY(std::shared_ptr<TitleButtonView>, albumEditDoneButtonView, setAlbumEditDoneButtonView)
    AMBREL_PROPERTY(std::shared_ptr<TitleButtonView>, albumEditShareButtonView, setAlbumEditShareButtonView)
    AMBREL_PROPERTY(std::optional<State>, albumEditBeginState, setAlbumEditBeginState)
    AMBREL_PROPERTY(std::optional<State>, albumEditAssetState, setAlbumEditAssetState)
    AMBREL_PROPERTY(std::shared_ptr<TypeSelectView>, typeSelectView, setTypeSelectView)
    AMBREL_PROPERTY(std::shared_ptr<CollectionView>, collectionView, setCollectionView)
    AMBREL_PROPERTY(std::shared_ptr<CircularProgressView>, circularProgressView, setCircularProgressView)
    AMBREL_PROPERTY(std::shared_ptr<SlideView>, slideView, setSlideView)
    AMBREL_PROPERTY(std::shared_ptr<CropView>, cropView, setCropView)
    // Not owned: the type controller owns the lists.
    Type* type() const { return type_; }
    void setType(Type* type) { type_ = type; }
    AMBREL_PROPERTY(std::shared_ptr<InfoButtonView>, infoButtonView, setInfoButtonView)
    // Made at the end of start-up, hidden, on the user-library album: the camera saves through
    // it and the album button shows its newest photo. Null before.
    AMBREL_PROPERTY(std::shared_ptr<PhotoCollectionView>, photoCollectionView, setPhotoCollectionView)
    AMBREL_PROPERTY(std::shared_ptr<PhotoGroupCollectionView>, photoGroupCollectionView, setPhotoGroupCollectionView)
    AMBREL_PROPERTY(std::shared_ptr<UIToolbar>, photoCollectionToolbar, setPhotoCollectionToolbar)
    AMBREL_PROPERTY(bool, animateImageViewTransitions, setAnimateImageViewTransitions)
    AMBREL_PROPERTY(std::shared_ptr<CompareView>, compareView, setCompareView)
    AMBREL_PROPERTY(bool, showingOriginal, setShowingOriginal)
    AMBREL_PROPERTY(CGFloat, showingOriginalPosition, setShowingOriginalPosition)
    AMBREL_PROPERTY(bool, resetting, setResetting)
    AMBREL_PROPERTY(std::shared_ptr<SettingsView>, settingsView, setSettingsView)
    AMBREL_PROPERTY(std::function<void(UIViewController&)>, aboutDismissBlock, setAboutDismissBlock)
    AMBREL_PROPERTY(std::shared_ptr<ColorView>, colorView, setColorView)
    AMBREL_PROPERTY(std::optional<UIColor>, originalColorViewColor, setOriginalColorViewColor)
    AMBREL_PROPERTY(std::shared_ptr<ButtonMenuView>, buttonMenuView, setButtonMenuView)
    AMBREL_PROPERTY(std::shared_ptr<ModeMenuViewController>, modeMenuView, setModeMenuView)
    AMBREL_PROPERTY(std::shared_ptr<ColorMenuViewController>, colorMenuView, setColorMenuView)
    AMBREL_PROPERTY(std::shared_ptr<ModeInfoViewController>, modeInfoView, setModeInfoView)
    AMBREL_PROPERTY(std::shared_ptr<UISwipeGestureRecognizer>, leftSwipeRecognizer, setLeftSwipeRecognizer)
    AMBREL_PROPERTY(std::shared_ptr<UISwipeGestureRecognizer>, rightSwipeRecognizer, setRightSwipeRecognizer)
    // The downward swipe that collapses the editing controls.
    const std::shared_ptr<UISwipeGestureRecognizer>& swipeRecognizer() const { return swipeRecognizer_; }

private:
    // The screen as the nib lays it out: the eleven outlets (AmbrelViewController+Nib.cpp).
    void loadNib();
    // The steps of `viewDidLoad`, in its order (AmbrelViewController.cpp).
    void initializeNavigationBar();
    void initializeGraphicsView();
    void initializeBottomBar();
    void initializeFormatDial();
    void initializeButtonBlocks();
    void initializeStrengthRing();
    void initializeStrengthSlider();
    void initializeAlbumEditButtons();
    void initializeCollapseSwipe();
    void startUpChain();
    // Slides a view out by the offset, or back from it (AmbrelViewController+States.cpp).
    static void slideView(const std::shared_ptr<UIView>& view, CGFloat dx, CGFloat dy, bool back);
    // The bar's items, with no title view.
    void setNavigationItems(std::shared_ptr<UIBarButtonItem> left, std::shared_ptr<UIBarButtonItem> right);
    void saveCapture(const UIImagePtr& image, const std::optional<platform::ImageProperties>& metadata);
    // Whether the camera side wants the notice; it shows only while the viewfinder is uncovered.
    void showNoCameraNotice(bool show);
    // Shows a menu panel over the backdrop, centred on the picture, kept in `property` while shown.
    template <typename Menu>
    void presentMenu(const std::shared_ptr<Menu>& menu, std::shared_ptr<Menu>& property);

    bool albumEditing_ = false;
    std::shared_ptr<GraphicsContentView> graphicsView_;
    std::shared_ptr<UIView> bottomView_;
    std::shared_ptr<RotationSelectionView> rotationSelectionView_;
    std::shared_ptr<ExpandCollapseView> expandCollapseView_;
    std::shared_ptr<CameraButtonView> cameraButtonView_;
    std::shared_ptr<UILabel> noCameraNotice_;
    bool noCameraNoticeWanted_ = false, viewfinderCovered_ = false;
    std::shared_ptr<AlbumButtonView> albumButtonView_;
    std::shared_ptr<TitleButtonView> albumEditCancelButtonView_, albumEditDoneButtonView_, albumEditShareButtonView_;
    std::optional<State> albumEditBeginState_, albumEditAssetState_;
    int albumEditTransitions_ = 0;
    std::shared_ptr<TypeSelectView> typeSelectView_;
    std::shared_ptr<CollectionView> collectionView_;
    std::shared_ptr<CircularProgressView> circularProgressView_;
    std::shared_ptr<SlideView> slideView_;
    std::shared_ptr<CropView> cropView_;
    std::shared_ptr<UIActionSheet> cropAspectSheet_;
    Type* type_ = nullptr;
    std::shared_ptr<InfoButtonView> infoButtonView_;
    std::shared_ptr<PhotoCollectionView> photoCollectionView_;
    std::shared_ptr<PhotoGroupCollectionView> photoGroupCollectionView_;
    std::shared_ptr<UIToolbar> photoCollectionToolbar_;
    bool animateImageViewTransitions_ = false;
    std::shared_ptr<CompareView> compareView_;
    std::shared_ptr<UIViewControllerPreviewing> previewingContext_;
    std::optional<NSIndexPath> previewingIndexPath_;
    bool showingOriginal_ = false;
    CGFloat showingOriginalPosition_ = 0;
    bool resetting_ = false;
    std::shared_ptr<SettingsView> settingsView_;
    std::shared_ptr<TitleButtonView> settingsDoneButton_;
    bool settingsHiding_ = false;
    std::function<void(UIViewController&)> aboutDismissBlock_;
    std::shared_ptr<ColorView> colorView_;
    std::optional<UIColor> originalColorViewColor_;
    std::shared_ptr<ButtonMenuView> buttonMenuView_;
    std::shared_ptr<ModeMenuViewController> modeMenuView_;
    std::shared_ptr<ColorMenuViewController> colorMenuView_;
    std::shared_ptr<ModeInfoViewController> modeInfoView_;
    std::shared_ptr<UISwipeGestureRecognizer> leftSwipeRecognizer_, rightSwipeRecognizer_;

    std::shared_ptr<UISwipeGestureRecognizer> swipeRecognizer_;
    // Every adjustment back at its default (the Reset item's "OK").
    void resetAdjustments();
    // The lists outlive the screen: their blocks into it go with it.
    void detachTypeSelection();
    void recolorAdjustments(const UIColor& tint);
    std::shared_ptr<UIGestureRecognizerDelegate> swipeDelegate_;
    // The navigation items' views, kept to turn them with the device.
    std::shared_ptr<UIView> leftItemView_, rightItemView_;
};

#undef AMBREL_PROPERTY
