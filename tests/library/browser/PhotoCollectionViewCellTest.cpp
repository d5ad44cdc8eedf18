// The browser's cell on the manual clock: the badges shown once, lent out and taken back,
// gone on reuse; the download ring placed by the letterboxed picture's corner, read from the
// screenshot.
#include <gtest/gtest.h>

#include <algorithm>

#include "library/browser/PhotoCollectionViewCell.h"
#include "platform/uikit/UICollectionView.h"
#include "platform/uikit/UICollectionViewFlowLayout.h"
#include "platform/uikit/UILabel.h"
#include "support/PixelImage.h"
#include "support/TouchHarness.h"
#include "ui/appearance/AppAppearance.h"

namespace {

template <typename View>
std::size_t countOf(const UIView& parent) {
    return std::count_if(parent.subviews().begin(), parent.subviews().end(),
                         [](const auto& v) { return std::dynamic_pointer_cast<View>(v) != nullptr; });
}

class PhotoCollectionViewCellTest : public ::testing::Test {
protected:
    void SetUp() override {
        cell = std::make_shared<PhotoCollectionViewCell>(CGRectMake(20, 100, 200, 200));
        ui.window->addSubview(cell);
    }
    TouchHarness ui;
    std::shared_ptr<PhotoCollectionViewCell> cell;
};

}  // namespace

TEST_F(PhotoCollectionViewCellTest, TheRingSitsTenPointsInsideTheLetterboxedPicturesCorner) {
    // A 4:3 blue photo fitted into the square cell: the picture spans y 25…175 of the cell.
    cell->imageView()->setContentMode(UIViewContentMode::ScaleAspectFit);
    cell->imageView()->setImage(pixelimage::flat(400, 300, {0, 0, 255, 255}));
    cell->setShowProgressDecorator(true);
    auto ring = cell->progressDecorator();
    ASSERT_TRUE(ring);
    EXPECT_EQ(ring->superview(), cell->imageView().get());
    EXPECT_EQ(ring->frame(), CGRectMake(150, 125, 40, 40));
    EXPECT_EQ(ring->layer()->presentation().opacity, 0) << "fades in";
    ui.advance(PhotoCollectionViewCell::kProgressDecoratorFadeDuration + 0.05);
    EXPECT_EQ(ring->layer()->presentation().opacity, 1);

    // In the window the ring is the circle in (170, 225)–(210, 265): its light outline touches
    // that box's right and bottom edges, the picture's blue runs on for 10 points to the right
    // and below, then comes the black letterbox.
    const CGColor blue{0, 0, 1, 1}, black{0, 0, 0, 1};
    const CGColor light = AppAppearance::defaultLightColor().CGColor();
    expectColor(ui.meanColor(CGRectMake(208, 243, 1, 4)), light, "the ring's rightmost point");
    expectColor(ui.meanColor(CGRectMake(188, 263, 4, 1.5)), light, "the ring's lowest point");
    expectColor(ui.meanColor(CGRectMake(210.5, 230, 9.5, 30)), blue, "picture right of the ring");
    expectColor(ui.meanColor(CGRectMake(175, 265.5, 30, 9.5)), blue, "picture below the ring");
    expectColor(ui.meanColor(CGRectMake(30, 277, 180, 20)), black, "letterbox below the picture");
}

TEST_F(PhotoCollectionViewCellTest, TheEditBadgeSitsEightPointsInsideThePicturesUpperLeftCornerWhereverItIsShown) {
    struct Case {
        const char* name;
        CGSize photo;
        CGRect badge;
    } cases[] = {{"a 4:3 photo, letterboxed above and below", {400, 300}, CGRectMake(8, 33, 58, 24)},
                 {"a 3:4 photo, letterboxed left and right", {300, 400}, CGRectMake(33, 8, 58, 24)},
                 {"a square photo", {300, 300}, CGRectMake(8, 8, 58, 24)}};
    for (const Case& c : cases) {
        auto shown = std::make_shared<PhotoCollectionViewCell>(CGRectMake(20, 100, 200, 200));
        ui.window->addSubview(shown);
        shown->imageView()->setContentMode(UIViewContentMode::ScaleAspectFit);
        // Shown before its picture came (by the cell's corner), again once it is there.
        shown->setShowEditDecorator(true);
        shown->imageView()->setImage(
            pixelimage::flat(std::size_t(c.photo.width), std::size_t(c.photo.height), {0, 0, 255, 255}));
        shown->setShowEditDecorator(true);
        auto badge = shown->editDecorator();
        ASSERT_TRUE(badge) << c.name;
        EXPECT_EQ(badge->frame(), c.badge) << c.name;

        // Lent to another view during a flight it stays where it was on the screen.
        auto elsewhere = std::make_shared<UIView>(CGRectMake(0, 50, 375, 600));
        ui.window->addSubview(elsewhere);
        shown->showDecoratorsInView(elsewhere.get());
        EXPECT_EQ(badge->frame(), CGRectOffset(c.badge, 20, 50)) << c.name;
        shown->showDecoratorsInView(shown.get());
        EXPECT_EQ(badge->frame(), c.badge) << c.name;
        elsewhere->removeFromSuperview();
        shown->removeFromSuperview();
    }
}

TEST_F(PhotoCollectionViewCellTest, BadgesShowOnceFollowTheirSettersAndGoOnReuse) {
    // Setters without a ring do nothing, and make none.
    cell->setProgressDecoratorProgress(0.5);
    cell->setProgressDecoratorHidden(true);
    cell->setProgressDecoratorIndeterminate(true);
    EXPECT_FALSE(cell->showProgressDecorator());
    EXPECT_EQ(countOf<CircularProgressView>(*cell->imageView()), 0u);

    cell->setShowProgressDecorator(true);
    auto ring = cell->progressDecorator();
    cell->setShowProgressDecorator(true);
    cell->setShowEditDecorator(true);
    cell->setShowEditDecorator(true);
    EXPECT_EQ(cell->progressDecorator(), ring) << "a second show keeps the first ring";
    EXPECT_EQ(countOf<CircularProgressView>(*cell->imageView()), 1u);
    auto badge = cell->editDecorator();
    ASSERT_TRUE(badge);
    EXPECT_EQ(badge->superview(), cell.get()) << "above the content";
    EXPECT_EQ(badge->frame(), CGRectMake(8, 8, 58, 24));
    auto label = std::dynamic_pointer_cast<UILabel>(badge->subviews().back());
    ASSERT_TRUE(label);
    EXPECT_EQ(label->text(), "HDR");

    cell->setProgressDecoratorProgress(0.4);
    cell->setProgressDecoratorHidden(true);
    EXPECT_DOUBLE_EQ(ring->progress(), 0.4);
    EXPECT_TRUE(ring->isHidden());
    cell->setProgressDecoratorIndeterminate(true);
    EXPECT_TRUE(ring->indeterminate());

    // Lent to another view and taken back; out of every view with null.
    auto elsewhere = std::make_shared<UIView>(ui.window->bounds());
    ui.window->addSubview(elsewhere);
    cell->showDecoratorsInView(elsewhere.get());
    EXPECT_EQ(badge->superview(), elsewhere.get());
    EXPECT_EQ(ring->superview(), elsewhere.get());
    cell->showDecoratorsInView(nullptr);
    EXPECT_EQ(badge->superview(), nullptr);
    cell->showDecoratorsInView(cell.get());
    EXPECT_EQ(ring->superview(), cell.get());

    cell->imageView()->setImage(pixelimage::flat(4, 3, {255, 0, 0, 255}));
    cell->setAlpha(0);
    cell->prepareForReuse();
    EXPECT_FALSE(cell->showEditDecorator());
    EXPECT_FALSE(cell->showProgressDecorator());
    EXPECT_EQ(badge->superview(), nullptr);
    EXPECT_EQ(ring->superview(), nullptr);
    EXPECT_EQ(cell->imageView()->image(), nullptr);
    EXPECT_EQ(cell->alpha(), 1);

    // A cell that goes while its badges are lent takes them out of the other view.
    auto other = std::make_shared<PhotoCollectionViewCell>(CGRectMake(0, 0, 100, 100));
    other->setShowEditDecorator(true);
    other->showDecoratorsInView(elsewhere.get());
    other.reset();
    EXPECT_TRUE(elsewhere->subviews().empty());
}

TEST_F(PhotoCollectionViewCellTest, ACellReusedWhileScrollingComesBackWithoutBadges) {
    struct Source : UICollectionViewDataSource {
        NSInteger numberOfItemsInSection(UICollectionView&, NSInteger) override { return 40; }
        std::shared_ptr<UICollectionViewCell> cellForItemAtIndexPath(UICollectionView& view,
                                                                     const NSIndexPath& p) override {
            auto cell = std::static_pointer_cast<PhotoCollectionViewCell>(
                view.dequeueReusableCellWithReuseIdentifier("photo", p));
            hadBadges.push_back(cell->showEditDecorator() || cell->showProgressDecorator());
            if (p.item < 4) {  // the first row is being downloaded and edited
                cell->setShowEditDecorator(true);
                cell->setShowProgressDecorator(true);
            }
            return cell;
        }
        std::vector<bool> hadBadges;
    };
    auto layout = std::make_shared<UICollectionViewFlowLayout>();
    layout->setItemSize({80, 80});
    layout->setMinimumInteritemSpacing(0);
    layout->setMinimumLineSpacing(0);
    auto view = std::make_shared<UICollectionView>(CGRectMake(0, 0, 320, 160), layout);
    view->registerClass<PhotoCollectionViewCell>("photo");
    auto source = std::make_shared<Source>();
    view->setDataSource(source);
    ui.window->addSubview(view);
    view->layoutIfNeeded();
    view->setContentOffset({0, 400});
    ASSERT_EQ(source->hadBadges.size(), 16u);
    EXPECT_EQ(std::count(source->hadBadges.begin(), source->hadBadges.end(), true), 0)
        << "the first row's cells came back bare";
    for (const auto& c : view->visibleCells())
        EXPECT_FALSE(std::static_pointer_cast<PhotoCollectionViewCell>(c)->showEditDecorator());
}
