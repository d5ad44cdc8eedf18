#pragma once
// The album picker: one wide cell per album that holds images, in a fixed order of sources:
// the user library, favourites, self-portraits (on systems from "9.0"), panoramas, then every
// regular album. Smart albums show their newest image as cover, the others their first.
// Choosing an album hands it to `selectedBlock`. The list follows the library: when a change
// touches any source (an album's images included), it is rebuilt and reloaded.
//
// One column: on the pad 20-point gaps and insets, elsewhere none; items half as high as wide.
#include <functional>
#include <map>
#include <memory>
#include <vector>

#include "library/albums/PhotoGroup.h"
#include "platform/photos/PHChange.h"
#include "platform/uikit/NSIndexPath.h"
#include "platform/uikit/UICollectionView.h"
#include "platform/uikit/UICollectionViewFlowLayout.h"
#include "platform/uikit/UIImage.h"
#include "platform/uikit/UIView.h"

class PhotoGroupCollectionView : public UIView {
public:
    using SelectedBlock = std::function<void(const std::shared_ptr<PHAssetCollection>& collection)>;
    static constexpr const char* kCellIdentifier = "PhotoGroupCollectionViewCell";

    explicit PhotoGroupCollectionView(CGRect frame = CGRectZero);
    ~PhotoGroupCollectionView() override;

    const SelectedBlock& selectedBlock() const { return selectedBlock_; }
    void setSelectedBlock(SelectedBlock block) { selectedBlock_ = std::move(block); }

    // The frame of the cell that shows the album, in this view's coordinates, once the list has
    // laid out; the zero rectangle when no cell shows it.
    CGRect rectForAssetGroup(const PHAssetCollection& collection);

    // The library's change callback (any queue): the work moves to the main queue.
    void photoLibraryDidChange(const PHChange& change);

    const std::shared_ptr<UICollectionView>& collectionView() const { return collectionView_; }
    const std::vector<std::shared_ptr<PHAssetCollection::FetchResult>>& collectionsFetchResults() const {
        return collectionsFetchResults_;
    }
    // Index path to the group shown there.
    const std::map<NSIndexPath, std::shared_ptr<PhotoGroup>>& collectionFetchResultCache() const {
        return collectionFetchResultCache_;
    }

    void loadPhotoGroups();
    void updateCollectionFetchResultCache();
    std::shared_ptr<UICollectionViewCell> cellForItemAtIndexPath(const NSIndexPath& indexPath);
    void didSelectGroupAtIndexPath(const NSIndexPath& indexPath);
    // The cover's source: the image at up to 160 × 160, asked for synchronously.
    static UIImagePtr assetCollectionImageForAsset(const PHAsset& asset);
    static bool assetsGroupIsSmartAlbum(const PHAssetCollection& collection);
    std::shared_ptr<UICollectionViewFlowLayout> photoCollectionGroupLayout();
    void applyPhotoCollectionGroupLayout(UICollectionViewFlowLayout& layout);
    void invalidatePhotoCollectionGroupLayout();
    void layoutSubviews() override;

private:
    class Roles;
    void initialize();
    void takeInChange(const PHChange& change);

    SelectedBlock selectedBlock_;
    std::shared_ptr<UICollectionView> collectionView_;
    std::vector<std::shared_ptr<PHAssetCollection::FetchResult>> collectionsFetchResults_;
    std::map<NSIndexPath, std::shared_ptr<PhotoGroup>> collectionFetchResultCache_;
    std::shared_ptr<Roles> roles_;
};
