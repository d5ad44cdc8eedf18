#pragma once
// A dial of short titles around a drum turning about a vertical axis: the selection faces the
// viewer, its neighbours stand to the sides narrowed as they turn away, titles on the far half
// take `backItemAlpha`. A swipe turns the drum by one title, a tap on a title turns to it, and
// every change the user makes is told to `block` with the new index. Spaces (empty titles)
// fill the rest of the drum so that a few titles take only its front.
//
// Adding and removing items and setting them up run later on the main queue, in call order:
// items appear after the calling method has returned.
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/quartzcore/CAGradientLayer.h"
#include "platform/uikit/UISwipeGestureRecognizer.h"
#include "platform/uikit/UITapGestureRecognizer.h"
#include "platform/uikit/UIView.h"
#include "ui/widgets/RotationSelectionItem.h"

class RotationSelectionView : public UIView {
public:
    using Items = std::vector<std::shared_ptr<RotationSelectionItem>>;
    static constexpr double kStepDuration = 0.2;  // per item the drum turns
    static constexpr CGFloat kFadeWidth = 100, kIndicatorSide = 5, kIndicatorOffset = 5;

    explicit RotationSelectionView(CGRect frame = CGRectZero);

    void addItemsWithTitles(const std::vector<std::string>& titles, int spaces);
    std::shared_ptr<RotationSelectionItem> addItemWithTitle(const std::string& title);
    void addItemSpace(int count);
    void addItem(const std::shared_ptr<RotationSelectionItem>& item);
    void removeItem(const std::shared_ptr<RotationSelectionItem>& item);
    // Selects the default item (the block is not told) and builds the edge fades and the dot.
    void initializeItems();

    RotationSelectionItem* selectedItem() const { return selectedItem_; }
    void setSelectedItem(RotationSelectionItem* item, bool animated = true);
    void setLeftSelectedItem();
    void setRightSelectedItem();
    void moveRotationSelection(double angle, bool animated);
    RotationSelectionItem* getClosestItem() const;
    void setSelectedItemWithAngleDirection(double direction);
    RotationSelectionItem* findItemOnscreen(const CALayer* layer) const;
    void refreshItemPositions(bool animated);
    void refreshItems();
    void initializeGradient();

    void setBackgroundColor(std::optional<UIColor> color) override;
    const UIColor& color() const { return color_; }
    void setColor(UIColor color) { color_ = std::move(color); }
    const UIColor& highlightColor() const { return highlightColor_; }
    void setHighlightColor(UIColor color);

    const Items& items() const { return items_; }
    int itemCount() const { return itemCount_; }
    double angleBetweenItems() const { return angleBetweenItems_; }
    double radius() const { return radius_; }
    bool snapToClosestUnselectedItem() const { return snapToClosestUnselectedItem_; }
    void setSnapToClosestUnselectedItem(bool snap) { snapToClosestUnselectedItem_ = snap; }
    bool showGradientAtEdges() const { return showGradientAtEdges_; }
    void setShowGradientAtEdges(bool show) { showGradientAtEdges_ = show; }
    bool showIndicator() const { return showIndicator_; }
    void setShowIndicator(bool show) { showIndicator_ = show; }
    int defaultSelection() const { return defaultSelection_; }
    void setDefaultSelection(int index) { defaultSelection_ = index; }
    void setBlock(std::function<void(std::size_t index)> block) { block_ = std::move(block); }
    double backItemAlpha() const { return backItemAlpha_; }
    void setBackItemAlpha(double alpha) { backItemAlpha_ = alpha; }
    double selectionViewAngle() const { return selectionViewAngle_; }
    void setSelectionViewAngle(double angle) { selectionViewAngle_ = angle; }
    CAGradientLayer* leftGradient() const { return leftGradient_.lock().get(); }
    CAGradientLayer* rightGradient() const { return rightGradient_.lock().get(); }

    void layoutSubviews() override;

private:
    void initialize();
    void swipeGesture(UISwipeGestureRecognizer& swipe);
    void tapGesture(UITapGestureRecognizer& tap);
    void place(RotationSelectionItem& item, bool indicatorOffset);
    std::size_t indexOf(const RotationSelectionItem* item) const;
    double tiltedAlpha(double angle) const;
    CATransform3D tilt() const;

    double angleBetweenItems_ = 0, radius_ = 0;
    int itemCount_ = 0;
    std::weak_ptr<CAGradientLayer> leftGradient_, rightGradient_;
    bool snapToClosestUnselectedItem_ = true, showGradientAtEdges_ = true, showIndicator_ = false;
    int defaultSelection_ = 0;
    std::function<void(std::size_t)> block_;
    double backItemAlpha_ = 0, selectionViewAngle_ = 0;
    Items items_;
    RotationSelectionItem* selectedItem_ = nullptr;
    std::shared_ptr<UISwipeGestureRecognizer> leftSwipe_, rightSwipe_;
    std::shared_ptr<UITapGestureRecognizer> tap_;
    UIColor color_ = UIColor::whiteColor(), highlightColor_ = UIColor::yellowColor();
    // Queued main-queue work reaches the view through this (cleared when the view goes).
    std::shared_ptr<RotationSelectionView*> self_ = std::make_shared<RotationSelectionView*>(this);

public:
    ~RotationSelectionView() override { *self_ = nullptr; }
};
