#pragma once
// The browser of one album of the photo library, and the one way the program changes the
// library.
//
// It shows the album's photos (smart albums newest first, regular albums in their own order),
// keeps up with the library's changes, and runs every change the program makes (saves in
// place, copies, exports, reverts, new photos) through one queue whose completions come
// exactly once, on the main queue: NO with the reason as soon as the change fails (the
// library's refusal, a file that could not be written, a photo no longer there), YES once the
// library has finished and the browser has taken in the change's notification.
//
// Index paths are display positions in section 0. An open edit remembers its photo by
// identifier: finishing, reverting and cancelling act on that photo whatever has moved
// meanwhile; their index paths are consulted only when no edit is open.
//
// Methods, by file: PhotoCollectionView.cpp (album, order, selection, library changes, the
// collection view's data and cells), PhotoCollectionView+AssetEditing.cpp (edit input,
// full-size read, the change queue, saves, copies, exports, reverts, deletes),
// PhotoCollectionView+AssetFiles.cpp (the temporary and rendered files they write),
// PhotoCollectionView+Images.cpp (thumbnails, screen-size and full-resolution pictures,
// metadata, preheating, the large progress ring), PhotoCollectionView+Layouts.cpp (the grid and
// single layouts, the switch between them and the flights of a photo).
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <optional>
#include <set>
#include <string>

#include "engine/view/ImageData.h"
#include "platform/imageio/ImageIO.h"
#include "platform/imageio/ImageProperties.h"
#include "platform/photos/PHAsset.h"
#include "platform/photos/PHAssetCollection.h"
#include "platform/photos/PHContentEditingInput.h"
#include "platform/photos/PHPhotoLibrary.h"
#include "platform/photos/PHCachingImageManager.h"
#include "platform/photos/PHImageManager.h"
#include "platform/uikit/NSIndexPath.h"
#include "platform/uikit/UICollectionView.h"
#include "platform/uikit/UICollectionViewFlowLayout.h"
#include "platform/uikit/UIImageView.h"
#include "platform/uikit/UIToolbar.h"
#include "platform/uikit/UIView.h"
#include "ui/animation/AnimationUtility.h"

class CircularProgressView;
class ImageContentView;
class PhotoCollectionViewCell;

// The layouts of the browser.
enum PhotoCollectionLayout : std::int32_t { PhotoCollectionLayoutGrid = 0, PhotoCollectionLayoutSingle = 1 };

class PhotoCollectionView : public UIView {
public:
    using IndexPathBlock = std::function<void(const NSIndexPath&)>;
    // The error is null when saved, and says why when not.
    using SavedCompletion = std::function<void(bool saved, const NSErrorPtr& error)>;
    using FinishCompletion = std::function<void(bool saved, bool inPlace, const NSErrorPtr& error)>;
    // The display-size picture and the stored edit's bytes (only when the edit is this
    // program's); both absent when no input came.
    using EditingCompletion = std::function<void(UIImagePtr image, std::optional<std::string> data)>;
    // Given `done`, which must be called once, on the main queue, with the library's result
    // (and the reason of a failure).
    using ChangeDone = std::function<void(bool result, NSErrorPtr error)>;
    using AssetChanges = std::function<void(ChangeDone done)>;
    using Metadata = platform::ImageProperties;

    // The edit format this program writes into the library and accepts back.
    static constexpr const char* kAdjustmentFormatIdentifier = "com.quorvin.tavorin";
    static constexpr const char* kAdjustmentFormatVersion = "1.0";
    // The keyword that, with the software name, marks a photo edited by this program.
    static constexpr const char* kEditKeyword = "Tavorin Edit";
    // The least progress a cell's ring shows, so that a download that has begun is seen.
    static constexpr double kMinimumShownProgress = 0.05;
    // Attempts at creating a photo before its failure is reported.
    static constexpr int kCreationAttempts = 11;

    explicit PhotoCollectionView(CGRect frame = CGRectZero);
    ~PhotoCollectionView() override;

    // ---- Blocks ------------------------------------------------------------------------
    // A photo picked by the user (a tap, or a page settling in the single layout).
    void setSelectedBlock(IndexPathBlock block) { selectedBlock_ = std::move(block); }
    // The selection moved, also programmatically and when a library change took its photo away.
    void setSelectedChangedBlock(IndexPathBlock block) { selectedChangedBlock_ = std::move(block); }

    // ---- Album -------------------------------------------------------------------------
    // The image assets of the collection in library order.
    static std::shared_ptr<PHAsset::FetchResult> assetsInAssetCollection(const PHAssetCollection& collection);
    // The user library of the shared photo library (null without one or without access).
    static std::shared_ptr<PHAssetCollection> savedPhotosGroup();
    static bool assetsGroupIsSavedPhotos(const PHAssetCollection& collection);
    static bool assetsGroupIsSmartAlbum(const PHAssetCollection& collection);

    // Shows the user library unless it is shown already.
    void setPhotoCollectionAssetsSavedPhotosGroup();
    // Shows the album from its start; the album already shown changes nothing.
    void setPhotoCollectionAssetsGroup(std::shared_ptr<PHAssetCollection> group);
    const std::shared_ptr<PHAssetCollection>& assetsGroup() const { return assetsGroup_; }
    std::string assetGroupName() const;
    const std::shared_ptr<PHAsset::FetchResult>& assets() const { return assets_; }
    std::size_t numberOfAssets() const { return assets_ ? assets_->count() : 0; }

    // The asset shown at the display position; null out of range.
    PHAssetPtr assetAtIndexPath(const NSIndexPath& indexPath) const;
    // Display position and library index map onto each other (smart albums are reversed).
    long assetIndexAtIndex(long index, long count) const;
    std::optional<NSIndexPath> indexPathForAsset(const PHAsset& asset) const;
    std::optional<double> dateForIndexPath(const NSIndexPath& indexPath) const;
    bool editableAtIndexPath(const NSIndexPath& indexPath) const;
    bool deletableAtIndexPath(const NSIndexPath& indexPath) const;

    // ---- Selection ---------------------------------------------------------------------
    NSIndexPath selectedIndexPath() const { return NSIndexPath::indexPathForItem(lastSelectedIndex_, 0); }
    PHAssetPtr selectedAsset() const { return assetAtIndexPath(selectedIndexPath()); }
    long lastSelectedIndex() const { return lastSelectedIndex_; }
    // Stores the selection (following its asset across library changes) and tells the
    // selection-changed block.
    void updateSelectedIndexPath(const NSIndexPath& indexPath);
    void didSelectAssetAtIndexPath(const NSIndexPath& indexPath);

    // Selects in the collection view, then stores the selection.
    void selectItemAtIndexPath(const NSIndexPath& indexPath, bool animated, UICollectionViewScrollPosition position);
    // The item under the collection view's centre, else the last visible one.
    std::optional<NSIndexPath> visibleIndexPath();
    // The picture the selected cell shows.
    UIImagePtr selectedImage();

    // ---- Collection view ---------------------------------------------------------------
    static constexpr const char* kCellIdentifier = "PhotoCollectionViewCell";
    const std::shared_ptr<UICollectionView>& collectionView() const { return collectionView_; }
    const std::shared_ptr<UIToolbar>& toolbar() const { return toolbar_; }
    // Stores the toolbar, adds it and lays out.
    void setToolbar(std::shared_ptr<UIToolbar> toolbar);
    void layoutSubviews() override;
    std::shared_ptr<UICollectionViewCell> cellForItemAtIndexPath(const NSIndexPath& indexPath);
    bool shouldShowEditDecoratorForIndexPath(const NSIndexPath& indexPath, PhotoCollectionLayout layout) const;
    static UIViewContentMode contentModeForLayout(PhotoCollectionLayout layout);
    static bool zoomEnabledForLayout(PhotoCollectionLayout layout);

    // ---- Pictures of cells (PhotoCollectionView+Images.cpp) ----------------------------
    using ImageCompletion = std::function<void(UIImagePtr image, const PHImageInfo* info)>;
    using ImageProgress = std::function<void(double progress)>;
    // Grid: the thumbnail at once; single: the screen-size picture, degraded first perhaps.
    void requestImageForIndexPath(const NSIndexPath& indexPath, PhotoCollectionLayout layout,
                                  ImageCompletion completion, ImageProgress progress);
    void requestFullScreenImageForIndexPath(const NSIndexPath& indexPath, ImageCompletion completion,
                                            ImageProgress progress = nullptr);
    UIImagePtr thumbnailForAsset(const PHAsset& asset, bool fromCache, PHImageInfo* info = nullptr);
    UIImagePtr thumbnailForIndexPath(const NSIndexPath& indexPath, bool fromCache = true);
    // The newest photo of the user library for the album button: from the cache, or afresh.
    UIImagePtr cachedSavedPhotoGroupImage() { return savedPhotoGroupImage(true); }
    UIImagePtr savedPhotoGroupImage() { return savedPhotoGroupImage(false); }
    UIImagePtr savedPhotoGroupImage(bool cached);
    CGSize gridLayoutItemSize() const { return gridLayoutItemSize_; }
    CGSize singleLayoutItemSize() const { return singleLayoutItemSize_; }

    // Preheating of the grid's thumbnails around the visible rectangle.
    void updateCachedAssets();
    void resetCachedAssets();
    CGRect previousPreheatRect() const { return previousPreheatRect_; }
    // The strips, along y, that leave and join when one rectangle becomes the other.
    static void computeDifferenceBetweenRect(CGRect oldRect, CGRect newRect,
                                             const std::function<void(CGRect)>& removedHandler,
                                             const std::function<void(CGRect)>& addedHandler);

    // ---- Layouts (PhotoCollectionView+Layouts.cpp) -------------------------------------
    PhotoCollectionLayout photoCollectionLayout() const { return photoCollectionLayout_; }
    void setPhotoCollectionLayout(PhotoCollectionLayout layout, bool animated = false);
    void setPhotoCollectionLayout(PhotoCollectionLayout layout, const NSIndexPath& indexPath, bool animated,
                                  std::function<void(bool finished)> completion = nullptr);
    std::shared_ptr<UICollectionViewFlowLayout> photoCollectionGridLayout();
    std::shared_ptr<UICollectionViewFlowLayout> photoCollectionSingleLayout();
    void applyPhotoCollectionGridLayout(UICollectionViewFlowLayout& layout);
    void applyPhotoCollectionSingleLayout(UICollectionViewFlowLayout& layout);
    // Re-applies the current layout after a size change.
    void invalidatePhotoCollectionLayout();
    void layoutToolbar();
    CGPoint gridLayoutContentOffset() const { return gridLayoutContentOffset_; }
    const std::shared_ptr<UIImageView>& transitioningImageView() const { return transitioningImageView_; }

    using Transition = std::function<void()>;
    using ImageTransition = AnimationUtility::ImageTransitionBlock;
    using FlightCompletion = std::function<void(bool finished)>;
    static void resetZoomScaleForImageView(const std::shared_ptr<ImageContentView>& view, FlightCompletion completion);
    // The photo from its cell into an outside image view (the browser fading out) and back.
    void animatePhotoAtIndexPath(const NSIndexPath& indexPath, const std::shared_ptr<ImageContentView>& imageView,
                                 const std::shared_ptr<UIView>& container, Transition transition,
                                 ImageTransition imageTransition, Transition start, FlightCompletion completion);
    void animateToPhotoAtIndexPath(const NSIndexPath& indexPath, const std::shared_ptr<ImageContentView>& imageView,
                                   const std::shared_ptr<UIView>& container, Transition transition,
                                   ImageTransition imageTransition, Transition start, FlightCompletion completion);
    // The flight of a cell's picture to the frame the block gives.
    void animatePhotoAtIndexPath(const NSIndexPath& indexPath, PhotoCollectionLayout fromLayout,
                                 UIViewContentMode contentMode, const std::shared_ptr<UIView>& container,
                                 Transition transition, ImageTransition imageTransition,
                                 AnimationUtility::FrameBlock transitionFrame, Transition start,
                                 FlightCompletion completion);

    // ---- Library changes (main queue) --------------------------------------------------
    // Takes in what the library changed since the browser last looked.
    void photoLibraryDidChange();
    // How many library notifications the browser has taken in (for waiting in tests).
    std::uint64_t takenInChanges() const { return takenInChanges_; }
    // The cloud-download suppression of the reload that a finished download causes.
    void resetCloudReload();
    void cloudReloadReceivedProgress(double progress);
    void cloudReloadReceivedEmptyChange();
    bool shouldIgnoreCloudReload();

    // ---- Edits (PhotoCollectionView+AssetEditing.cpp) ---------------------------------
    // Asks for the photo's edit input and keeps it until the edit ends; the completion, on
    // the main queue, gets the display-size picture and this program's stored edit.
    void beginEditingAssetAtIndexPath(const NSIndexPath& indexPath, EditingCompletion completion);
    // Cancels a pending input request (its late answer stores nothing and reports nothing)
    // and drops a held input.
    void cancelEditingForAssetIndexPath(const NSIndexPath& indexPath);
    bool editingAsset() const { return assetEditingInput_ != nullptr; }
    const std::shared_ptr<PHContentEditingInput>& assetEditingInput() const { return assetEditingInput_; }
    // Whether the adjustment data is this program's edit format.
    static bool canHandleAdjustmentData(const PHAdjustmentData& data);

    // The edit's full-size picture, upright, limited to the device's high-resolution size,
    // cropped by a rectangle in unit coordinates from the top left (the zero rectangle: all);
    // null when it cannot be had, with the reason in `error`.
    std::shared_ptr<ImageData> imageDataForEditingAssetAtIndexPath(const NSIndexPath& indexPath,
                                                                   CGRect relativeRect = CGRectZero,
                                                                   NSErrorPtr* error = nullptr) const;
    // The same read from a file: decoded, scaled by m over its longer side when its pixels
    // exceed m squared, turned upright, cropped (as `fullSizeCropRect` says). TIFF files are
    // turned by their own orientation, others by the one given.
    static std::optional<platform::ImageBitmap> fullSizeBitmap(const std::string& path, int exifOrientation,
                                                               CGRect relativeRect, double maximumSide,
                                                               NSErrorPtr* error = nullptr);
    // The pixel size a full-size read scales an image to (the size itself when it is small).
    static CGSize fullSizeScaledSize(CGSize size, double maximumSide);
    // The upright pixel size of the full-size read of a file before its crop (zero when the
    // file cannot be read), from its header alone.
    static CGSize fullSizeImageSize(const std::string& path, int exifOrientation, double maximumSide);
    // The edit's full-size picture's upright pixel size before its crop: the size a crop's
    // relative rectangle is applied to. Zero when there is no edit or its file cannot be read.
    CGSize fullSizeImageSizeForEditing() const;
    // The rectangle in pixels of a unit rectangle, clamped to the image: its longer side
    // rounded to whole pixels, the shorter one following from its exact ratio, its origin
    // rounded and kept on the image (the zero rectangle: all; nothing left: the zero one).
    static CGRect fullSizeCropRect(CGRect relativeRect, CGSize size);

    // Copy NO: the render and the data become the photo's edit; (YES, YES) only when the
    // library took it and the data differs from the stored edit, else (NO, YES) with the
    // reason. Copy YES: a new photo from the photo's original carrying the edit; (result, NO).
    void finishEditingAssetAtIndexPath(const NSIndexPath& indexPath, UIImagePtr image, const std::string& data,
                                       const Metadata& metadata, bool copy, FinishCompletion completion);
    void revertEditingForAssetIndexPath(const NSIndexPath& indexPath, SavedCompletion completion);
    // Asks the library to delete the photo; touches are off until it answers. The completion
    // (on the main queue) hears whether it went; a photo that may not be deleted is left
    // without an answer.
    void deleteItemAtIndexPath(const NSIndexPath& indexPath, SavedCompletion completion = nullptr);

    // New photos: from an image alone; from an original image with an edited one and the
    // data; from an existing original file with the edit; a flattened export.
    void saveNewAssetWithImage(UIImagePtr image, const Metadata& metadata, SavedCompletion completion);
    void saveNewAssetWithImage(UIImagePtr image, UIImagePtr originalImage, const std::string& data,
                               const Metadata& metadata, SavedCompletion completion);
    void saveNewAssetWithImage(UIImagePtr image, const std::string& originalImageURL, const std::string& data,
                               const Metadata& metadata, SavedCompletion completion);
    void exportNewAssetWithImage(UIImagePtr image, const Metadata& metadata, SavedCompletion completion);

    // The change queue: runs `changes` at once; the completion comes once, on the main
    // queue, as described above. Every pending change keeps its own completion.
    void performAssetChanges(AssetChanges changes, SavedCompletion completion);
    std::size_t pendingAssetChanges() const { return pendingChanges_.size(); }

    // ---- Files (PhotoCollectionView+AssetFiles.cpp; any thread) ------------------------
    // A temporary file of the image with the metadata (the orientation from the image);
    // autoPopulate adds the dates, software and the edit keyword; alternate formats take the
    // save-type setting, else JPEG. nullopt when it could not be written, with the reason in
    // `error`.
    static std::optional<std::string> writeImage(const UIImagePtr& image, const Metadata& metadata,
                                                 bool autoPopulateMetadata = false, bool copyData = false,
                                                 bool useAlternateFormats = false, NSErrorPtr* error = nullptr);
    // The upright JPEG of an edit with its marks, written to the path.
    static bool writeImageForRenderedContent(const UIImagePtr& image, const Metadata& metadata, const std::string& url,
                                             bool copyData = true, NSErrorPtr* error = nullptr);
    // A failed save's error: the description every failed save shares and the reason.
    static NSErrorPtr saveError(const std::string& reason);

    // ---- Pictures (PhotoCollectionView+Images.cpp) -------------------------------------
    // The photo's full data decoded, blocking while the main loop turns (the large ring shows
    // a download); null when none came.
    UIImagePtr fullResolutionImageForIndexPath(const NSIndexPath& indexPath);
    // The properties of the photo's full data; nullopt when unreadable.
    std::optional<Metadata> metadataForForIndexPath(const NSIndexPath& indexPath) const;
    // The large ring over the browser (any thread; acts on the main queue). A show for a
    // request that has already ended is dropped.
    void setProgressViewShowing(bool showing, double progress, std::uint64_t request = 0);
    const std::shared_ptr<CircularProgressView>& progressView() const { return progressView_; }

protected:
    // The browser's state after its assets changed: caches and the selection.
    virtual void photoAssetsWillChange() {}
    void photoAssetsChanged();
    void resetScrollPosition();

private:
    class LibraryObserver;
    class CollectionRoles;
    std::shared_ptr<PhotoCollectionViewCell> photoCell(const NSIndexPath& indexPath) const;
    std::function<std::shared_ptr<PhotoCollectionView>()> weakSelf();
    struct PendingChange {
        SavedCompletion completion;
        bool reported = false;
    };

    std::vector<NSIndexPath> indexPathsFromIndexSet(const std::set<std::size_t>& indexes, long count) const;
    void reloadAssets();
    // Applies the library's incremental change to the shown collection; `completion` runs
    // once the update has been applied.
    void applyBatchUpdates(const std::vector<NSIndexPath>& removed, const std::vector<NSIndexPath>& inserted,
                           const std::vector<NSIndexPath>& changed, std::function<void()> completion);
    void finishAssetChange(const std::shared_ptr<PendingChange>& change, bool result, const NSErrorPtr& error);
    void reportAssetChange(const std::shared_ptr<PendingChange>& change, bool result, const NSErrorPtr& error);
    void flushAssetChanges();
    // The photo an edit operation acts on: the open edit's, else the one at the index path.
    PHAssetPtr editedAsset(const NSIndexPath& indexPath) const;
    void saveNewAsset(UIImagePtr image, const std::string& originalImageURL, bool originalImageExisted,
                      const std::string& data, const Metadata& metadata, SavedCompletion completion);
    // Posts `block` to the main queue; it gets the view, or null when the view has gone.
    // Capture the weak reference on the main thread.
    static void onMain(std::weak_ptr<UIView> view, std::function<void(PhotoCollectionView*)> block);
    // Shows, moves or hides the large ring now (main thread).
    void applyProgressView(bool showing, double progress, std::uint64_t request);
    std::uint64_t beginProgressRequest();
    void endProgressRequest(std::uint64_t request);
    static int saveTypeSetting();
    // The reason a save without a picture gives.
    static constexpr const char* kNoPicture = "There is no picture to save.";

    IndexPathBlock selectedBlock_, selectedChangedBlock_;
    std::shared_ptr<PHAssetCollection> assetsGroup_;
    std::shared_ptr<PHAsset::FetchResult> assets_;
    PhotoCollectionLayout photoCollectionLayout_ = PhotoCollectionLayoutGrid;
    long lastSelectedIndex_ = 0;
    std::string selectedAssetIdentifier_;
    std::shared_ptr<LibraryObserver> observer_;
    std::shared_ptr<CollectionRoles> roles_;
    std::shared_ptr<UICollectionView> collectionView_;
    std::shared_ptr<UIToolbar> toolbar_;
    CGRect lastLaidOutBounds_ = CGRectZero;
    CGPoint gridLayoutContentOffset_ = CGPointZero;
    CGSize gridLayoutItemSize_ = CGSizeZero, singleLayoutItemSize_ = CGSizeZero;
    std::shared_ptr<PHCachingImageManager> cachingImageManager_ = std::make_shared<PHCachingImageManager>();
    CGRect previousPreheatRect_ = CGRectZero;
    std::shared_ptr<UIImageView> transitioningImageView_;
    std::uint64_t takenInChanges_ = 0;
    int batchUpdatesInFlight_ = 0;

    // The edit.
    std::shared_ptr<PHContentEditingInput> assetEditingInput_;
    std::optional<PHContentEditingInputRequestID> assetEditingInputId_;
    PHAssetPtr assetEditingRequestAsset_;
    std::uint64_t editingGeneration_ = 0;
    std::deque<std::shared_ptr<PendingChange>> pendingChanges_;
    std::deque<std::shared_ptr<PendingChange>> finishedChanges_;

    // The large ring and the requests that may show it.
    std::shared_ptr<CircularProgressView> progressView_;
    std::set<std::uint64_t> progressRequests_;
    std::uint64_t nextProgressRequest_ = 0;

    bool ignoreCloudReload_ = false, ignoreCloudReloadIsDownloading_ = false,
         ignoreCloudReloadRecievedEmptyChangeNotification_ = false,
         ignoreCloudReloadShouldLookForEmptyChangeNotification_ = false;
};
