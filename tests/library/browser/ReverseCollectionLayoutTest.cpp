// The reversed flow layout: items trade places end for end, and whatever the flow layout
// places in a rectangle comes back as an item.
#include <gtest/gtest.h>

#include "library/browser/ReverseCollectionLayout.h"
#include "platform/uikit/UICollectionView.h"
#include "support/TouchHarness.h"

namespace {

struct Source : UICollectionViewDataSource {
    NSInteger count = 5;
    NSInteger numberOfItemsInSection(UICollectionView&, NSInteger) override { return count; }
    std::shared_ptr<UICollectionViewCell> cellForItemAtIndexPath(UICollectionView& view,
                                                                 const NSIndexPath& p) override {
        auto cell = view.dequeueReusableCellWithReuseIdentifier("cell", p);
        cell->setTag(static_cast<int>(p.item));
        return cell;
    }
};

// The same settings on both layouts: 100-point items, three to a 320-point line.
template <typename Layout>
std::shared_ptr<Layout> configured() {
    auto layout = std::make_shared<Layout>();
    layout->setItemSize({100, 100});
    layout->setHeaderReferenceSize({0, 40});
    return layout;
}

}  // namespace

TEST(ReverseCollectionLayoutTest, ItemsTradePlacesEndForEndAndAHeaderComesBackAsAnItem) {
    TouchHarness ui;
    auto source = std::make_shared<Source>();
    auto flow = configured<UICollectionViewFlowLayout>();
    auto reverse = configured<ReverseCollectionLayout>();
    auto plain = std::make_shared<UICollectionView>(CGRectMake(0, 0, 320, 480), flow);
    auto reversed = std::make_shared<UICollectionView>(CGRectMake(0, 0, 320, 480), reverse);
    for (const auto& view : {plain, reversed}) {
        view->registerClass<UICollectionViewCell>("cell");
        view->setDataSource(source);
        ui.window->addSubview(view);
    }
    for (NSInteger item = 0; item < 5; ++item) {
        auto a = reversed->layoutAttributesForItemAtIndexPath({0, item});
        ASSERT_TRUE(a) << item;
        EXPECT_EQ(a->indexPath, (NSIndexPath{0, item}));
        EXPECT_EQ(a->frame, plain->layoutAttributesForItemAtIndexPath({0, 4 - item})->frame) << item;
    }
    EXPECT_EQ(reversed->cellForItemAtIndexPath({0, 4})->frame(), CGRectMake(0, 40, 100, 100)) << "item 4 leads";
    EXPECT_EQ(reversed->cellForItemAtIndexPath({0, 0})->frame(), plain->cellForItemAtIndexPath({0, 4})->frame());

    // The header's strip holds only the header: it comes back as the item at the far end of its
    // reversal, with the frame of item 0 of the flow layout.
    const auto header = reverse->layoutAttributesForElementsInRect(CGRectMake(0, 0, 320, 30));
    ASSERT_EQ(header.size(), 1u);
    EXPECT_TRUE(header[0].isCell());
    EXPECT_EQ(header[0].indexPath, (NSIndexPath{0, 4}));
    EXPECT_EQ(header[0].frame, CGRectMake(0, 40, 100, 100));

    // The count is asked afresh each time.
    source->count = 2;
    EXPECT_EQ(reverse->layoutAttributesForItemAtIndexPath({0, 0})->frame,
              flow->layoutAttributesForItemAtIndexPath({0, 1})->frame);
}
