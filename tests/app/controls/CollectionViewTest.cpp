// The picker in a real window on the manual clock, over a list of the editing model: sections
// cut at the headers, the widened frame and the centring insets, section insets, selections
// from outside and by taps through the items (so the list learns of them), header taps that
// open one category and close the others in one animated batch, the remembered item of a
// category closed and reopened, scrolling to an item within the content's ends, the scroll
// hook kept quiet while a list installs, turning the content with the device, and the spare
// centring layout.
#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <numbers>
#include <string>
#include <vector>

#include "app/controls/CenteredFlowLayout.h"
#include "app/controls/CollectionView.h"
#include "app/controls/FlowLayout.h"
#include "model/Type.h"
#include "support/ControllerFixture.h"

namespace {

constexpr CGFloat kWidth = 375, kHeight = 60, kTop = 500;

class PickerTest : public ControllerFixture {
protected:
    // Headers of 44 points, each with `counts[i]` items of 42 points; header i is open when
    // `open[i]`.
    void makeList(const std::vector<int>& counts, const std::vector<bool>& open) {
        Type::Items items;
        for (std::size_t h = 0; h < counts.size(); ++h) {
            auto header = CollectionObject::collectionObjectWithColor({0.2, 0.2, 0.2, 1});
            header->setCategory(true);
            header->setSize({44, 44});
            header->setName("Group " + std::to_string(h));
            header->setCategoryCollapsed(!open[h]);
            headers.push_back(header);
            items.push_back(header);
            for (int i = 0; i < counts[h]; ++i) {
                auto item = CollectionObject::collectionObjectWithColor({0.1 * h, 0.5, 0.02 * i, 1},
                                                                        std::to_string(h) + "." + std::to_string(i));
                items.push_back(item);
            }
        }
        type = Type::typeWithObjects(items);
    }
    std::shared_ptr<CollectionView> install(CollectionObject* selected) {
        picker = CollectionView::create(CGRectMake(0, kTop, kWidth, kHeight));
        window->addSubview(picker);
        picker->setScrollBlock([this](CollectionView&) { ++scrolls; });
        picker->setWillSelectBlock([this](CollectionView&, CollectionObject& o) { willSelect.push_back(&o); });
        picker->setHeaderWillSelectBlock([this](CollectionView&) { log += "will;"; });
        picker->setHeaderSelectedBlock([this](CollectionView&) { log += "selected;"; });
        if (selected) type->setSelectedObject(selected);
        picker->setObjects(type->objects(), selected);
        loop.runUntilIdle();
        advance(0.5);
        return picker;
    }
    CollectionObject* item(std::size_t header, std::size_t i) const {
        const auto& all = type->objects();
        std::size_t h = 0;
        for (std::size_t k = 0; k < all.size(); ++k) {
            if (all[k]->category() && all[k] != headers[h]) ++h;
            if (all[k] == headers[header]) return all[k + 1 + i].get();
        }
        return nullptr;
    }
    // Where a view's middle is on the screen.
    static CGPoint onScreen(UIView& view) {
        return view.convertPointToView({CGRectGetMidX(view.bounds()), CGRectGetMidY(view.bounds())}, nullptr);
    }
    std::shared_ptr<CollectionViewHeader> headerView(std::size_t section) {
        for (const auto& h : picker->visibleHeaderViews())
            if (h->object() == headers[section].get()) return h;
        return nullptr;
    }
    // Taps the header where it is on the screen, once the bounce of a tap before has ended
    // (a moving view takes no touches).
    void tapHeader(std::size_t section) {
        auto h = headerView(section);
        ASSERT_TRUE(h) << "header " << section << " is not laid in";
        const CGPoint p = onScreen(*h);
        ASSERT_TRUE(p.x > 0 && p.x < kWidth) << "header " << section << " is off the screen at " << p.x;
        tap(p);
        advance(0.7);
    }
    CGFloat contentWidth() const { return picker->collectionViewLayout()->collectionViewContentSize().width; }
    // The screen x of a shown item's left edge.
    CGFloat screenX(const NSIndexPath& path) {
        auto attributes = picker->layoutAttributesForItemAtIndexPath(path);
        EXPECT_TRUE(attributes);
        return attributes ? picker->frame().origin.x + attributes->frame.origin.x - picker->contentOffset().x : NAN;
    }

    std::vector<std::shared_ptr<CollectionObject>> headers;
    std::unique_ptr<Type> type;
    std::shared_ptr<CollectionView> picker;
    std::vector<CollectionObject*> willSelect;
    std::string log;
    int scrolls = 0;
};

TEST_F(PickerTest, InstallingCutsSectionsAtHeadersAndOpensTheSelectedItemsCategory) {
    makeList({3, 4, 20}, {true, false, false});
    install(nullptr);
    const CGFloat pad = 4 * kWidth;
    EXPECT_EQ(picker->contentPadding(), pad);
    EXPECT_EQ(picker->frame(), CGRectMake(-pad, kTop, kWidth + 2 * pad, kHeight))
        << "reaches 4 widths beyond each side";
    ASSERT_EQ(picker->categories().size(), 3u);
    EXPECT_EQ(picker->allCategoryObjects()[1].size(), 4u);
    EXPECT_EQ(picker->categoryObjects()[0].size(), 3u);
    EXPECT_TRUE(picker->categoryObjects()[1].empty()) << "a closed category's section stays, empty";
    EXPECT_EQ(picker->numberOfSections(), 3);
    EXPECT_EQ(picker->categoryForObject(item(2, 5)), headers[2].get());
    EXPECT_EQ(picker->indexOfObject(item(2, 5), true), NSIndexPath::indexPathForItem(5, 2));
    EXPECT_FALSE(picker->indexOfObject(item(2, 5), false)) << "not shown while closed";

    // A second list whose selection lies in a closed category: it opens, the others close.
    scrolls = 0;
    type->setSelectedObject(item(2, 14));
    picker->setObjects(type->objects(), item(2, 14));
    loop.runUntilIdle();
    advance(0.5);
    EXPECT_EQ(scrolls, 0) << "installing a list scrolls without telling";
    EXPECT_TRUE(headers[0]->categoryCollapsed());
    EXPECT_FALSE(headers[2]->categoryCollapsed());
    EXPECT_EQ(picker->indexPathsForSelectedItems(), std::vector<NSIndexPath>{NSIndexPath::indexPathForItem(14, 2)});
    EXPECT_EQ(picker->selectedObject(), item(2, 14));
    EXPECT_NEAR(screenX({2, 14}), picker->contentInset().left - pad + CollectionView::kScrollMargin, 1e-6)
        << "scrolled to 42 points inside the visible area";
    auto cell = picker->cellForObject(item(2, 14));
    ASSERT_TRUE(cell);
    EXPECT_TRUE(cell->selectionView()) << "the selected item shows the overlay";
    EXPECT_EQ(picker->cellForObject(item(1, 0)), nullptr);
    picker->setContentOffset({picker->contentOffset().x + 30, 0});
    EXPECT_EQ(scrolls, 1) << "scrolling afterwards is told";
}

TEST_F(PickerTest, NarrowListsAreCentredAndWideOnesGetTwentyEightPointsMoreAtEachEnd) {
    const CGFloat pad = 4 * kWidth;
    struct Case {
        const char* name;
        std::vector<int> counts;
        std::vector<bool> open;
        CGFloat content;
        bool fits;
    };
    const Case cases[] = {
        // 44 + 14 + 3 × 42 + 2 × 14 + 14, 44 + 14, 44
        {"narrow", {3, 4, 2}, {true, false, false}, 328, true},
        {"wide", {12, 4, 2}, {true, false, false}, 44 + 14 + 12 * 42 + 11 * 14 + 14 + 44 + 14 + 44, false},
    };
    for (const Case& c : cases) {
        headers.clear();
        makeList(c.counts, c.open);
        install(nullptr);
        EXPECT_NEAR(contentWidth(), c.content, 1e-9) << c.name;
        const CGFloat expected = c.fits ? pad + (kWidth - c.content) / 2 : pad + 28;
        EXPECT_NEAR(picker->contentInset().left, expected, 1e-9) << c.name;
        EXPECT_NEAR(picker->contentInset().right, expected, 1e-9) << c.name;
        EXPECT_EQ(picker->updateContentInset(contentWidth()), c.fits) << c.name;
        picker->removeFromSuperview();
    }
}

TEST_F(PickerTest, SectionInsetsOpenOnlyAnOpenCategoryAndCloseAllButTheLast) {
    makeList({2, 2, 2, 0}, {true, false, true, true});
    headers[3]->setSize(CGSizeZero);  // a header that takes no room cannot open
    install(nullptr);
    struct Case {
        NSInteger section;
        CGFloat left, right;
    };
    for (const Case& c : {Case{0, 14, 14}, Case{1, 0, 14}, Case{2, 14, 14}, Case{3, 0, 0}}) {
        const auto inset = picker->insetForSectionAtIndex(*picker, *picker->collectionViewLayout(), c.section);
        ASSERT_TRUE(inset);
        EXPECT_EQ(inset->left, c.left) << "section " << c.section;
        EXPECT_EQ(inset->right, c.right) << "section " << c.section;
    }
    picker->expandCollapseCategory(*headers[3], true, NSIndexPath::indexPathForItem(0, 3));
    EXPECT_FALSE(headers[3]->categoryCollapsed()) << "a header of size zero ignores the request";
}

TEST_F(PickerTest, ItemTapsSelectThroughTheItemAndActionsAreNeverSelected) {
    makeList({3, 2}, {true, false});
    item(0, 2)->setSelectable(false);
    install(item(0, 0));
    auto first = picker->cellForObject(item(0, 0));
    ASSERT_TRUE(first && first->selectionView());

    tap(onScreen(*picker->cellForObject(item(0, 1))));
    EXPECT_EQ(willSelect, std::vector<CollectionObject*>{item(0, 1)});
    EXPECT_EQ(type->selectedObject(), item(0, 1)) << "the list learns of the tap through the item";
    EXPECT_TRUE(picker->cellForObject(item(0, 1))->selectionView());
    EXPECT_FALSE(first->selectionView()) << "the previous cell loses its overlay";
    EXPECT_GT(picker->cellForObject(item(0, 1))->transform().a, 1.0) << "the cell bounces";
    advance(0.7);
    EXPECT_NEAR(picker->cellForObject(item(0, 1))->transform().a, 1.0, 1e-9);

    tap(onScreen(*picker->cellForObject(item(0, 2))));
    EXPECT_EQ(willSelect.back(), item(0, 2)) << "asked before";
    EXPECT_EQ(type->selectedObject(), item(0, 1)) << "an action item is never selected";
    EXPECT_FALSE(picker->cellForObject(item(0, 2))->selectionView());

    // From outside: selected without the hooks, the overlays follow.
    willSelect.clear();
    type->setSelectedObject(item(0, 0));
    picker->setSelectedObject(item(0, 0));
    EXPECT_TRUE(willSelect.empty());
    EXPECT_TRUE(picker->cellForObject(item(0, 0))->selectionView());
    EXPECT_FALSE(picker->cellForObject(item(0, 1))->selectionView());
}

TEST_F(PickerTest, HeaderTapsOpenOneCategoryAndRememberTheItemOfOneJustClosed) {
    makeList({20, 4, 5}, {true, false, false});
    install(item(0, 15));
    const CGFloat pad = picker->contentPadding();

    // Close the open category: the selection stays, its index is remembered.
    picker->scrollToHeaderAtIndexPath(NSIndexPath::indexPathForItem(0, 0));
    tapHeader(0);
    EXPECT_EQ(log, "will;selected;");
    EXPECT_TRUE(headers[0]->categoryCollapsed());
    EXPECT_EQ(type->selectedObject(), item(0, 15));
    EXPECT_EQ(picker->lastCollapsedCategory(), "Group 0");
    EXPECT_EQ(picker->lastCollapsedSelectedIndex(), NSIndexPath::indexPathForItem(15, 0));

    // Reopen it at once: the same item, and the picker does not scroll to it (the layout
    // shows the category from its start).
    tapHeader(0);
    EXPECT_FALSE(headers[0]->categoryCollapsed());
    EXPECT_EQ(type->selectedObject(), item(0, 15));
    EXPECT_EQ(picker->indexPathsForSelectedItems(), std::vector<NSIndexPath>{NSIndexPath::indexPathForItem(15, 0)});
    EXPECT_FALSE(picker->lastCollapsedCategory());
    EXPECT_NEAR(screenX(NSIndexPath::indexPathForItem(0, 0)), picker->contentInset().left - pad + 42, 1e-6);

    // Close it, then open another: its first item through the item, the remembered one dropped.
    tapHeader(0);
    tapHeader(1);
    EXPECT_FALSE(headers[1]->categoryCollapsed());
    EXPECT_TRUE(headers[0]->categoryCollapsed());
    EXPECT_EQ(type->selectedObject(), item(1, 0)) << "the list follows the opened category";
    EXPECT_FALSE(picker->lastCollapsedSelectedIndex());

    // Opening a third closes the second in the same batch: at most one is open.
    tapHeader(2);
    EXPECT_TRUE(headers[1]->categoryCollapsed());
    EXPECT_FALSE(headers[2]->categoryCollapsed());
    EXPECT_EQ(type->selectedObject(), item(2, 0));
    EXPECT_EQ(picker->categoryObjects()[1].size(), 0u);
    EXPECT_EQ(picker->categoryObjects()[2].size(), 5u);
}

TEST_F(PickerTest, OpeningAnimatesItemsInAndOutOnTheClock) {
    makeList({3, 4}, {true, false});
    install(item(0, 0));
    std::weak_ptr<UIView> leaving = picker->cellForObject(item(0, 1))->shared_from_this();
    tap(onScreen(*headerView(1)));
    advance(UICollectionView::kUpdateDuration / 2);
    int arriving = 0;
    for (const auto& cell : picker->visibleCells()) {
        if (static_cast<CollectionViewCell&>(*cell).object()->string()->front() != '1') continue;
        ++arriving;
        const double alpha = cell->layer()->presentationLayer()->opacity();
        EXPECT_GT(alpha, 0.05);
        EXPECT_LT(alpha, 0.95) << "fading in";
    }
    EXPECT_EQ(arriving, 4);
    auto gone = leaving.lock();
    ASSERT_TRUE(gone);
    EXPECT_EQ(gone->superview(), picker.get()) << "a leaving cell stays for its animation";
    EXPECT_LT(gone->layer()->presentationLayer()->opacity(), 0.95);
    gone.reset();
    advance(UICollectionView::kUpdateDuration);
    for (const auto& cell : picker->visibleCells()) EXPECT_EQ(cell->alpha(), 1);
    std::size_t shown = 0;
    for (const auto& sub : picker->subviews())
        if (std::dynamic_pointer_cast<CollectionViewCell>(sub)) ++shown;
    EXPECT_EQ(shown, 4u) << "the closed category's cells left the view";
}

TEST_F(PickerTest, ScrollingToAnItemStopsAtEitherEndOfTheContent) {
    makeList({30}, {true});
    install(nullptr);
    const UIEdgeInsets inset = picker->contentInset();
    const CGFloat width = picker->bounds().size.width;
    struct Case {
        NSInteger item;
        CGFloat offset;
    };
    const CGFloat firstX = picker->layoutAttributesForItemAtIndexPath({0, 0})->frame.origin.x;
    const CGFloat midX = picker->layoutAttributesForItemAtIndexPath({0, 15})->frame.origin.x;
    for (const Case& c : {Case{0, firstX - inset.left - 42}, Case{15, midX - inset.left - 42},
                          Case{29, contentWidth() - width + inset.right}}) {
        picker->scrollToItemAtIndexPath(NSIndexPath::indexPathForItem(c.item, 0));
        EXPECT_NEAR(picker->contentOffset().x, c.offset, 1e-9) << "item " << c.item;
    }
    EXPECT_GT(midX, firstX);
    picker->scrollToHeaderAtIndexPath({0, 0});
    EXPECT_NEAR(picker->contentOffset().x, -inset.left, 1e-9);
}

TEST_F(PickerTest, TheLayoutScrollsAnOpenedCategoryInAndShowsFittingContentFromItsStart) {
    makeList({2, 20, 2}, {true, false, false});
    install(item(0, 0));
    auto& layout = static_cast<FlowLayout&>(*picker->collectionViewLayout());
    const CGFloat pad = picker->contentPadding();

    tapHeader(1);
    EXPECT_EQ(layout.lastSection(), 1);
    EXPECT_NEAR(screenX({1, 0}), picker->contentInset().left - pad + 42, 1e-6) << "its first item 42 points in";

    // The last category's first item cannot come that far in: the content's end stops it.
    picker->scrollToHeaderAtIndexPath(NSIndexPath::indexPathForItem(0, 2));
    tapHeader(2);
    EXPECT_EQ(layout.lastSection(), 2);
    EXPECT_TRUE(picker->updateContentInset(contentWidth())) << "the remaining content fits";
    EXPECT_NEAR(picker->contentOffset().x, -picker->contentInset().left, 1e-9);

    // Closing (no insertion) with fitting content: shown centred from its start.
    tapHeader(2);
    EXPECT_EQ(layout.lastSection(), -1);
    const CGFloat start = picker->frame().origin.x - picker->contentOffset().x;
    EXPECT_NEAR(start, (kWidth - contentWidth()) / 2, 1e-6);
}

TEST_F(PickerTest, TurningTheDeviceTurnsCellsAndHeadersContent) {
    makeList({3, 2}, {true, false});
    install(nullptr);
    picker->setOrientation(3, false);
    for (const auto& cell : picker->visibleCells()) {
        const auto& c = static_cast<CollectionViewCell&>(*cell);
        EXPECT_NEAR(std::atan2(c.label()->transform().b, c.label()->transform().a), std::numbers::pi / 2, 1e-9);
    }
    ASSERT_FALSE(picker->visibleHeaderViews().empty());
    for (const auto& h : picker->visibleHeaderViews()) {
        const auto& c = h->collectionViewCell();
        ASSERT_TRUE(c.label());
        EXPECT_NEAR(std::atan2(c.label()->transform().b, c.label()->transform().a), std::numbers::pi / 2, 1e-9);
    }
}

// A plain collection view on the spare centring layout.
struct Row : UICollectionViewDataSource {
    NSInteger count = 3;
    NSInteger numberOfItemsInSection(UICollectionView&, NSInteger) override { return count; }
    std::shared_ptr<UICollectionViewCell> cellForItemAtIndexPath(UICollectionView& view,
                                                                 const NSIndexPath& p) override {
        return view.dequeueReusableCellWithReuseIdentifier("cell", p);
    }
};

TEST_F(PickerTest, TheCentringLayoutMovesANarrowRowAsABlock) {
    auto layout = std::make_shared<CenteredFlowLayout>();
    layout->setScrollDirection(UICollectionViewScrollDirection::Horizontal);
    layout->setItemSize({50, 50});
    layout->setMinimumLineSpacing(10);
    auto view = std::make_shared<UICollectionView>(CGRectMake(0, 0, 300, 50), layout);
    view->registerClass<UICollectionViewCell>("cell");
    auto row = std::make_shared<Row>();
    view->setDataSource(row);
    window->addSubview(view);
    struct Case {
        NSInteger count;
        CGFloat firstX;
    };
    for (const Case& c : {Case{3, (300 - 170) / 2.0}, Case{8, 0}}) {
        row->count = c.count;
        view->reloadData();
        view->layoutIfNeeded();
        const auto attributes = layout->layoutAttributesForElementsInRect(CGRectMake(0, 0, 1000, 50));
        ASSERT_EQ(attributes.size(), std::size_t(c.count));
        EXPECT_NEAR(attributes[0].frame.origin.x, c.firstX, 1e-9) << c.count << " items";
        EXPECT_NEAR(attributes[1].frame.origin.x - attributes[0].frame.origin.x, 60, 1e-9) << "gaps kept";
        EXPECT_EQ(layout->centeredLayoutAttributes().size(), attributes.size());
    }
    EXPECT_TRUE(layout->shouldInvalidateLayoutForBoundsChange(CGRectMake(0, 0, 300, 50)));
}

}  // namespace
