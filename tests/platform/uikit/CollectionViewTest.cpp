// The collection view on the manual clock: the flow layout's lines, laying in only the visible
// cells and reusing them while scrolling, updates and the count rule, selection by tap and by
// scroll position, reloads and layout switches, checked in the view tree and the screenshot.
#include <gtest/gtest.h>

#include <stdexcept>
#include <string>
#include <vector>

#include "platform/uikit/UICollectionView.h"
#include "platform/uikit/UICollectionViewFlowLayout.h"
#include "support/TouchHarness.h"

namespace {

struct Counters {
    int made = 0, reused = 0, asked = 0;
};

// A cell that counts its making and reuse; its colour says which item it shows.
class CountingCell : public UICollectionViewCell {
public:
    CountingCell(CGRect frame, Counters& counters) : UICollectionViewCell(frame), counters_(counters) {
        ++counters_.made;
    }
    void prepareForReuse() override {
        UICollectionViewCell::prepareForReuse();
        ++counters_.reused;
        item = -1;
    }
    NSInteger item = -1;

private:
    Counters& counters_;
};

// Item i of section s in a colour of its own, so that screenshots tell the cells apart.
UIColor colorOf(const NSIndexPath& p) {
    return UIColor::colorWithRed((p.item % 5) / 4.0, ((p.item / 5) % 5) / 4.0, p.section ? 1 : 0, 1);
}

struct Source : UICollectionViewDataSource {
    std::vector<NSInteger> counts{1};
    Counters counters;
    NSInteger numberOfSectionsInCollectionView(UICollectionView&) override {
        return static_cast<NSInteger>(counts.size());
    }
    NSInteger numberOfItemsInSection(UICollectionView&, NSInteger section) override { return counts[section]; }
    std::shared_ptr<UICollectionViewCell> cellForItemAtIndexPath(UICollectionView& view,
                                                                 const NSIndexPath& p) override {
        ++counters.asked;
        auto cell = std::static_pointer_cast<CountingCell>(view.dequeueReusableCellWithReuseIdentifier("cell", p));
        cell->item = p.item;
        cell->contentView()->setBackgroundColor(colorOf(p));
        return cell;
    }
    std::shared_ptr<UICollectionReusableView> viewForSupplementaryElementOfKind(UICollectionView& view,
                                                                                const std::string& kind,
                                                                                const NSIndexPath& p) override {
        return view.dequeueReusableSupplementaryViewOfKind(kind, "band", p);
    }
};

struct Delegate : UICollectionViewDelegate {
    std::string calls;  // s<item> for select, d<item> for deselect
    bool refuse = false;
    bool shouldSelectItemAtIndexPath(UICollectionView&, const NSIndexPath&) override { return !refuse; }
    void didSelectItemAtIndexPath(UICollectionView&, const NSIndexPath& p) override {
        calls += "s" + std::to_string(p.item);
    }
    void didDeselectItemAtIndexPath(UICollectionView&, const NSIndexPath& p) override {
        calls += "d" + std::to_string(p.item);
    }
};

class CollectionViewTest : public ::testing::Test {
protected:
    // A 320 × 480 collection at the window's top left, in a grid of three 105-point columns.
    void SetUp() override {
        layout = std::make_shared<UICollectionViewFlowLayout>();
        layout->setItemSize({105, 105});
        layout->setMinimumInteritemSpacing(2);
        layout->setMinimumLineSpacing(2);
        view = std::make_shared<UICollectionView>(CGRectMake(0, 0, 320, 480), layout);
        view->registerClass([this](CGRect f) { return std::make_shared<CountingCell>(f, source->counters); }, "cell");
        view->registerClassForSupplementaryViewOfKind(
            [](CGRect f) { return std::make_shared<UICollectionReusableView>(f); },
            UICollectionElementKindSectionHeader, "band");
        view->setDataSource(source);
        view->setDelegate(delegate);
        ui.window->addSubview(view);
    }
    std::vector<NSInteger> visibleItems() {
        std::vector<NSInteger> items;
        for (const auto& p : view->indexPathsForVisibleItems()) items.push_back(p.item);
        return items;
    }
    CGRect frameOf(NSInteger item, NSInteger section = 0) {
        auto a = view->layoutAttributesForItemAtIndexPath({section, item});
        return a ? a->frame : CGRectMake(-1, -1, -1, -1);
    }
    // The cells in the tree are exactly the items whose frames meet the bounds, each at its frame.
    void expectExactlyTheVisibleCellsLaidIn(const std::string& when) {
        const CGRect b = view->bounds();
        std::vector<NSIndexPath> expected;
        for (NSInteger s = 0; s < view->numberOfSections(); ++s)
            for (NSInteger i = 0; i < view->numberOfItemsInSection(s); ++i) {
                const CGRect f = frameOf(i, s);
                if (CGRectGetMaxY(f) > CGRectGetMinY(b) && CGRectGetMinY(f) < CGRectGetMaxY(b))
                    expected.push_back({s, i});
            }
        EXPECT_EQ(view->indexPathsForVisibleItems(), expected) << when;
        std::size_t cellsInTree = 0;
        for (const auto& sub : view->subviews())
            if (auto cell = std::dynamic_pointer_cast<CountingCell>(sub)) {
                ++cellsInTree;
                const auto path = view->indexPathForCell(*cell);
                ASSERT_TRUE(path) << when;
                EXPECT_EQ(cell->frame(), frameOf(path->item, path->section)) << when << ": item " << path->item;
            }
        EXPECT_EQ(cellsInTree, expected.size()) << when;
    }

    TouchHarness ui;
    std::shared_ptr<Source> source = std::make_shared<Source>();
    std::shared_ptr<Delegate> delegate = std::make_shared<Delegate>();
    std::shared_ptr<UICollectionViewFlowLayout> layout;
    std::shared_ptr<UICollectionView> view;
};

}  // namespace

TEST_F(CollectionViewTest, FlowLayoutSpreadsFullLinesAndKeepsTheSpacingOnAShortLastLine) {
    struct Case {
        const char* name;
        UICollectionViewScrollDirection direction;
        CGSize box, item;
        CGFloat spacing;
        UIEdgeInsets inset;
        std::vector<NSInteger> counts;
        CGSize header;
        std::vector<std::pair<NSIndexPath, CGRect>> frames;
        CGSize content;
    };
    using V = UICollectionViewScrollDirection;
    const std::vector<Case> cases = {
        // 3 × 105 + 2 × 2 leaves 1 point: spread, the gaps become 2.5.
        {"phone grid",
         V::Vertical,
         {320, 480},
         {105, 105},
         2,
         {},
         {7},
         {},
         {{{0, 0}, CGRectMake(0, 0, 105, 105)},
          {{0, 2}, CGRectMake(215, 0, 105, 105)},
          {{0, 4}, CGRectMake(107.5, 107, 105, 105)},
          {{0, 6}, CGRectMake(0, 214, 105, 105)}},
         {320, 319}},
        // Short last line: the full line's 10-point gap, from the start edge.
        {"short last line",
         V::Vertical,
         {320, 480},
         {100, 50},
         2,
         {},
         {5},
         {},
         {{{0, 1}, CGRectMake(110, 0, 100, 50)},
          {{0, 3}, CGRectMake(0, 52, 100, 50)},
          {{0, 4}, CGRectMake(110, 52, 100, 50)}},
         {320, 102}},
        {"pad grid with insets",
         V::Vertical,
         {768, 1024},
         {167, 167},
         20,
         {20, 20, 20, 20},
         {5},
         {},
         {{{0, 1}, CGRectMake(207, 20, 167, 167)},
          {{0, 3}, CGRectMake(581, 20, 167, 167)},
          {{0, 4}, CGRectMake(20, 207, 167, 167)}},
         {768, 394}},
        {"pages",
         V::Horizontal,
         {320, 436},
         {320, 436},
         0,
         {},
         {3},
         {},
         {{{0, 0}, CGRectMake(0, 0, 320, 436)}, {{0, 2}, CGRectMake(640, 0, 320, 436)}},
         {960, 436}},
        {"sections with headers",
         V::Vertical,
         {320, 480},
         {160, 100},
         0,
         {5, 0, 5, 0},
         {3, 1},
         {0, 30},
         {{{0, 2}, CGRectMake(0, 135, 160, 100)}, {{1, 0}, CGRectMake(0, 275, 160, 100)}},
         {320, 380}},
    };
    for (const auto& c : cases) {
        layout->setScrollDirection(c.direction);
        layout->setItemSize(c.item);
        layout->setMinimumInteritemSpacing(c.spacing);
        layout->setMinimumLineSpacing(c.spacing);
        layout->setSectionInset(c.inset);
        layout->setHeaderReferenceSize(c.header);
        view->setFrame({{0, 0}, c.box});
        source->counts = c.counts;
        view->reloadData();
        for (const auto& [path, frame] : c.frames)
            EXPECT_EQ(frameOf(path.item, path.section), frame) << c.name << " " << path.item;
        view->layoutIfNeeded();
        EXPECT_EQ(view->contentSize(), c.content) << c.name;
        EXPECT_FALSE(view->layoutAttributesForItemAtIndexPath({0, c.counts[0]})) << c.name << ": past the count";
    }
    // The header of the last case spans the line before its section's inset, as a view of its own.
    auto header = layout->layoutAttributesForSupplementaryViewOfKind(UICollectionElementKindSectionHeader, {1, 0});
    ASSERT_TRUE(header);
    EXPECT_EQ(header->frame, CGRectMake(0, 240, 320, 30));
    int headers = 0;
    for (const auto& sub : view->subviews())
        if (!std::dynamic_pointer_cast<UICollectionViewCell>(sub) && sub->frame().size.height == 30) ++headers;
    EXPECT_EQ(headers, 2);
}

TEST_F(CollectionViewTest, OnlyVisibleCellsAreLaidInAndReusedWhileScrolling) {
    source->counts = {300};
    view->reloadData();
    expectExactlyTheVisibleCellsLaidIn("at the top");
    const int firstMade = source->counters.made;
    EXPECT_EQ(firstMade, 15) << "five rows of three meet 480 points";
    EXPECT_EQ(source->counters.reused, 0);

    // A real drag, then a scroll to the bottom through offsets.
    ui.drag(160, 400, 160, 100, 0.3);
    ui.advance(3);
    expectExactlyTheVisibleCellsLaidIn("after a drag");
    for (CGFloat y = 0; y <= view->contentSize().height - 480; y += 37) {
        view->setContentOffset({0, y});
        expectExactlyTheVisibleCellsLaidIn("at " + std::to_string(y));
    }
    EXPECT_LE(source->counters.made, firstMade + 3) << "cells come from the pool";
    EXPECT_GT(source->counters.reused, 250);

    // What the screen shows is each visible item's colour in its cell.
    view->setContentOffset({0, 107 * 10});
    for (NSInteger item : {30, 31, 32, 40}) {
        const CGRect f = view->convertRectToView(frameOf(item), nullptr);
        const UIColor c = colorOf({0, item});
        expectColor(ui.meanColor(CGRectInset(f, 10, 10)), c.CGColor(), "item " + std::to_string(item));
    }
}

TEST_F(CollectionViewTest, BatchUpdatesKeepTheCountRuleOrThrow) {
    source->counts = {10, 4};
    view->reloadData();
    view->selectItemAtIndexPath(NSIndexPath{0, 5}, false, UICollectionViewScrollPositionNone);
    struct Case {
        const char* name;
        std::vector<NSInteger> newCounts;
        std::vector<NSIndexPath> inserted, deleted, reloaded;
    };
    const std::vector<Case> broken = {
        {"insert without a new item", {10, 4}, {{0, 0}}, {}, {}},
        {"delete without losing one", {10, 4}, {}, {{0, 3}}, {}},
        {"delete past the old count", {9, 4}, {}, {{0, 10}}, {}},
        {"insert past the new count", {11, 4}, {{0, 11}}, {}, {}},
        {"reload past the old count", {10, 4}, {}, {}, {{1, 4}}},
        {"delete and reload one item", {9, 4}, {}, {{0, 2}}, {{0, 2}}},
        {"a section appears", {10, 4, 1}, {}, {}, {}},
        {"the other section changes", {11, 5}, {{0, 1}}, {}, {}},
    };
    for (const auto& c : broken) {
        source->counts = c.newCounts;
        bool completed = false;
        // Inside a block without animation, which must end cleanly despite the throw.
        EXPECT_THROW(UIView::performWithoutAnimation([&] {
                         view->performBatchUpdates(
                             [&] {
                                 view->insertItemsAtIndexPaths(c.inserted);
                                 view->deleteItemsAtIndexPaths(c.deleted);
                                 view->reloadItemsAtIndexPaths(c.reloaded);
                             },
                             [&](bool) { completed = true; });
                     }),
                     std::logic_error)
            << c.name;
        ui.advance(0.5);
        EXPECT_FALSE(completed) << c.name;
        EXPECT_TRUE(UIView::areAnimationsEnabled()) << c.name;
        EXPECT_EQ(view->numberOfItemsInSection(0), 10) << c.name << ": the old state stays";
        source->counts = {10, 4};
    }

    // A sound update: items 1 and 2 go, one comes in at 0; item 5 (selected) moves to 4, and its
    // cell with it, animated; item 7 is asked afresh for the reload.
    auto cell5 = view->cellForItemAtIndexPath({0, 5});
    ASSERT_TRUE(cell5);
    const CGPoint old5 = cell5->center();
    source->counts = {9, 4};
    int completions = 0;
    source->counters.asked = 0;
    view->performBatchUpdates(
        [&] {
            view->deleteItemsAtIndexPaths({{0, 1}, {0, 2}});
            view->insertItemsAtIndexPaths({{0, 0}});
            view->reloadItemsAtIndexPaths({{0, 7}});
        },
        [&](bool finished) { completions += finished; });
    EXPECT_EQ(view->numberOfItemsInSection(0), 9);
    EXPECT_EQ(view->indexPathsForSelectedItems(), (std::vector<NSIndexPath>{{0, 4}}));
    EXPECT_EQ(view->cellForItemAtIndexPath({0, 4}), cell5);
    EXPECT_TRUE(cell5->isSelected());
    EXPECT_EQ(cell5->frame(), frameOf(4));
    EXPECT_EQ(source->counters.asked, 3)
        << "the inserted item, the reloaded one and the other section's last, come into view";
    ui.advance(0.15);
    const CGPoint midway = cell5->layer()->presentation().position;
    EXPECT_LT(midway.x, old5.x);
    EXPECT_GT(midway.x, CGRectGetMidX(frameOf(4))) << "moves over 0.3 s";
    EXPECT_EQ(completions, 0);
    ui.advance(0.2);
    EXPECT_EQ(completions, 1);
    expectExactlyTheVisibleCellsLaidIn("after the update");

    // Without animation the cells stand at once, and the completion follows on the next turn.
    source->counts = {10, 4};
    UIView::performWithoutAnimation([&] {
        view->performBatchUpdates([&] { view->insertItemsAtIndexPaths({{0, 0}}); }, [&](bool) { ++completions; });
    });
    EXPECT_EQ(view->cellForItemAtIndexPath({0, 5}), cell5);
    EXPECT_EQ(cell5->layer()->presentation().position, (CGPoint{CGRectGetMidX(frameOf(5)), CGRectGetMidY(frameOf(5))}));
    ui.advance(0.01);
    EXPECT_EQ(completions, 2);
}

TEST_F(CollectionViewTest, TapsSelectThroughTheDelegate) {
    source->counts = {30};
    view->reloadData();
    ui.tap(50, 50);    // item 0
    ui.tap(160, 160);  // item 4
    EXPECT_EQ(delegate->calls, "s0d0s4");
    EXPECT_EQ(view->indexPathsForSelectedItems(), (std::vector<NSIndexPath>{{0, 4}}));
    EXPECT_TRUE(view->cellForItemAtIndexPath({0, 4})->isSelected());
    EXPECT_FALSE(view->cellForItemAtIndexPath({0, 0})->isSelected());

    delegate->refuse = true;
    ui.tap(270, 50);
    EXPECT_EQ(view->indexPathsForSelectedItems(), (std::vector<NSIndexPath>{{0, 4}})) << "the delegate refused";
    delegate->refuse = false;

    view->setAllowsMultipleSelection(true);
    delegate->calls.clear();
    ui.tap(270, 50);   // item 2 joins
    ui.tap(160, 160);  // item 4 leaves
    EXPECT_EQ(delegate->calls, "s2d4");
    EXPECT_EQ(view->indexPathsForSelectedItems(), (std::vector<NSIndexPath>{{0, 2}}));

    // A drag scrolls without selecting; the gap between cells selects nothing.
    delegate->calls.clear();
    ui.drag(160, 400, 160, 300, 0.3);
    ui.advance(2);
    view->setContentOffset({0, 0});
    ui.tap(106, 50);
    EXPECT_EQ(delegate->calls, "");
    EXPECT_EQ(view->indexPathForItemAtPoint({106, 50}), std::nullopt);
    EXPECT_EQ(view->indexPathForItemAtPoint({108, 110}), (NSIndexPath{0, 4}));

    // Programmatic selection tells the delegate nothing; nil clears it; out of range throws.
    view->selectItemAtIndexPath(NSIndexPath{0, 9}, false, UICollectionViewScrollPositionNone);
    view->selectItemAtIndexPath(std::nullopt, false, UICollectionViewScrollPositionNone);
    EXPECT_TRUE(view->indexPathsForSelectedItems().empty());
    EXPECT_EQ(delegate->calls, "");
    EXPECT_THROW(view->selectItemAtIndexPath(NSIndexPath{0, 30}, false, UICollectionViewScrollPositionTop),
                 std::out_of_range);
}

TEST_F(CollectionViewTest, ScrollPositionsBringTheItemToAnEdgeOrTheCentreWithinRange) {
    source->counts = {60};  // 20 rows of 107: content 2138 high
    view->reloadData();
    struct Case {
        NSInteger item;
        UICollectionViewScrollPosition position;
        CGFloat y;
    };
    const std::vector<Case> vertical = {
        {30, UICollectionViewScrollPositionTop, 1070},
        {30, UICollectionViewScrollPositionCenteredVertically, 1070 + 52.5 - 240},
        {30, UICollectionViewScrollPositionBottom, 1070 + 105 - 480},
        {59, UICollectionViewScrollPositionTop, 2138 - 480},  // no further than the end
        {1, UICollectionViewScrollPositionBottom, 0},
        {30, UICollectionViewScrollPositionNone, 0},  // stays
    };
    for (const auto& c : vertical) {
        view->setContentOffset({0, 0});
        view->selectItemAtIndexPath(NSIndexPath{0, c.item}, false, c.position);
        EXPECT_EQ(view->contentOffset(), (CGPoint{0, c.y})) << c.item << " at " << c.position;
    }

    // Pages side by side: left, centred and right edges; animated arrives after the motion.
    layout->setScrollDirection(UICollectionViewScrollDirection::Horizontal);
    layout->setItemSize({200, 480});
    layout->setMinimumLineSpacing(0);
    const std::vector<Case> horizontal = {
        {3, UICollectionViewScrollPositionLeft, 600},
        {3, UICollectionViewScrollPositionCenteredHorizontally, 700 - 160},
        {3, UICollectionViewScrollPositionRight, 800 - 320},
    };
    for (const auto& c : horizontal) {
        view->setContentOffset({0, 0});
        view->scrollToItemAtIndexPath({0, c.item}, c.position, true);
        ui.advance(UIScrollView::kBounceDuration + 0.05);
        EXPECT_EQ(view->contentOffset(), (CGPoint{c.y, 0})) << c.position;
        EXPECT_EQ(visibleItems().front(), static_cast<NSInteger>(c.y / 200));
    }
}

TEST_F(CollectionViewTest, ReloadsAskOnlyForWhatChanged) {
    source->counts = {30};
    view->reloadData();
    auto cell0 = view->cellForItemAtIndexPath({0, 0});
    source->counters.asked = 0;
    source->counters.reused = 0;
    view->reloadItemsAtIndexPaths({{0, 1}});
    view->layoutIfNeeded();
    EXPECT_EQ(source->counters.asked, 1);
    EXPECT_EQ(view->cellForItemAtIndexPath({0, 0}), cell0);
    EXPECT_EQ(source->counters.reused, 1) << "the reloaded item's cell went through the pool";
    EXPECT_THROW(view->reloadItemsAtIndexPaths({{0, 30}}), std::logic_error);

    // reloadData reads the counts again and asks for every visible cell; a selection past the
    // new count goes.
    view->selectItemAtIndexPath(NSIndexPath{0, 5}, false, UICollectionViewScrollPositionNone);
    source->counts = {4};
    source->counters.asked = 0;
    view->reloadData();
    EXPECT_EQ(visibleItems(), (std::vector<NSInteger>{0, 1, 2, 3}));
    EXPECT_EQ(source->counters.asked, 4);
    EXPECT_TRUE(view->indexPathsForSelectedItems().empty());
    expectExactlyTheVisibleCellsLaidIn("after the reload");
}

TEST_F(CollectionViewTest, ALayoutSwitchMovesTheCellsAndCompletesAfterwards) {
    source->counts = {12};
    view->reloadData();
    view->setContentOffset({0, 200});
    auto pages = std::make_shared<UICollectionViewFlowLayout>();
    pages->setScrollDirection(UICollectionViewScrollDirection::Horizontal);
    pages->setItemSize({320, 480});
    pages->setMinimumLineSpacing(0);
    bool finished = false;
    view->setCollectionViewLayout(pages, true, [&](bool f) { finished = f; });
    EXPECT_EQ(view->collectionViewLayout(), pages);
    EXPECT_EQ(layout->collectionView(), nullptr) << "the old layout is let go";
    EXPECT_EQ(view->contentSize(), (CGSize{3840, 480}));
    EXPECT_EQ(view->contentOffset(), (CGPoint{0, 0})) << "brought into the new range";
    EXPECT_EQ(visibleItems(), (std::vector<NSInteger>{0}));
    ui.advance(UICollectionView::kUpdateDuration + 0.05);
    EXPECT_TRUE(finished);
    view->selectItemAtIndexPath(NSIndexPath{0, 4}, false, UICollectionViewScrollPositionCenteredHorizontally);
    EXPECT_EQ(view->cellForItemAtIndexPath({0, 4})->frame(), CGRectMake(1280, 0, 320, 480));
    expectColor(ui.meanColor(CGRectMake(20, 20, 280, 440)), colorOf({0, 4}).CGColor(), "the page's colour");
}
