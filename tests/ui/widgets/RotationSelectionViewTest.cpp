// The format dial in a real window on the manual clock: the drum's geometry, swipes and taps
// through the window's input driver with the block told only of the user's changes, the
// shorter way round, the turn's duration, the edge fades, the swipe with nothing to land on,
// and a screenshot of the front title upright with its neighbours narrowed.
#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <numbers>
#include <string>
#include <vector>

#include "support/ControllerFixture.h"
#include "ui/widgets/RotationSelectionView.h"

namespace {

constexpr double kPi = std::numbers::pi;

class RotationSelectionViewTest : public ControllerFixture {
protected:
    std::shared_ptr<RotationSelectionView> dial(std::vector<std::string> titles = {"P H O T O", "S Q U A R E"},
                                                int spaces = 10) {
        auto d = std::make_shared<RotationSelectionView>(CGRectMake(0, 300, 375, 60));
        EXPECT_EQ(d->frame().origin.y, 0) << "set up centred on its own size";
        d->setFrame(CGRectMake(0, 300, 375, 60));
        window->addSubview(d);
        d->setBlock([this](std::size_t index) { told.push_back(index); });
        d->addItemsWithTitles(titles, spaces);
        EXPECT_TRUE(d->items().empty()) << "items come on the main queue's next turn";
        loop.runUntilIdle();
        advance(0.3);
        return d;
    }
    std::vector<std::size_t> told;
};

TEST_F(RotationSelectionViewTest, TwelveItemsStandThirtyDegreesApartOnTheDrum) {
    auto d = dial();
    ASSERT_EQ(d->items().size(), 12u);
    EXPECT_EQ(d->itemCount(), 2);
    EXPECT_NEAR(d->angleBetweenItems(), kPi / 6, 1e-12);
    EXPECT_NEAR(d->radius(), 186.6, 0.05);
    EXPECT_EQ(d->selectedItem(), d->items()[0].get());
    EXPECT_TRUE(told.empty()) << "the default selection is not told";
    EXPECT_EQ(d->items()[0]->alpha(), 1);
    EXPECT_EQ(d->items()[6]->alpha(), 0) << "the far side fades out";
    EXPECT_TRUE(d->leftGradient() == nullptr) << "a clear background makes no fades";
    d->setBackgroundColor(UIColor::blackColor());
    ASSERT_TRUE(d->leftGradient());
    EXPECT_EQ(d->rightGradient()->frame().origin.x, 375 - 100);
}

TEST_F(RotationSelectionViewTest, SwipesStepThroughTheTitlesAndTapsSelect) {
    auto d = dial();
    ui->driver->drag({250, 330}, {150, 330}, 0.15);  // to the left
    loop.runUntilIdle();
    EXPECT_EQ(d->selectedItem(), d->items()[1].get());
    EXPECT_EQ(told, (std::vector<std::size_t>{1}));
    advance(0.5);
    EXPECT_NEAR(d->items()[1]->angle(), 0, 1e-6);
    ui->driver->drag({250, 330}, {150, 330}, 0.15);
    loop.runUntilIdle();
    EXPECT_EQ(told.size(), 1u) << "the last title: nothing";

    // The selection stays when the tap hits it; the neighbour to the left is taken by a tap.
    advance(0.5);
    tap({187, 330});
    EXPECT_EQ(told.size(), 1u);
    tap({187 - 90, 330});
    advance(0.5);
    EXPECT_EQ(d->selectedItem(), d->items()[0].get());
    EXPECT_EQ(told, (std::vector<std::size_t>{1, 0}));
    ui->driver->drag({150, 330}, {250, 330}, 0.15);  // to the right on the first title
    loop.runUntilIdle();
    EXPECT_EQ(told.size(), 2u);
}

TEST_F(RotationSelectionViewTest, TurnsTheShorterWayAtAFifthOfASecondAStep) {
    auto d = dial({"A", "B", "C", "D", "E", "F"}, 6);
    // An item standing at 300 degrees is reached by a turn of +60 degrees.
    RotationSelectionItem* target = d->items()[4].get();
    d->moveRotationSelection(6 * d->angleBetweenItems(), false);  // item 4 now at 300 degrees
    advance(0.01);
    EXPECT_NEAR(target->angle(), 5 * kPi / 3, 1e-9);
    d->setSelectedItem(target);
    EXPECT_NEAR(target->angle(), 0, 1e-9) << "turned by +60 degrees";
    // Two steps: 0.4 s.
    d->setSelectedItem(d->items()[2].get());
    advance(0.39);
    EXPECT_FALSE(d->items()[2]->layer()->animationKeys().empty());
    advance(0.02);
    EXPECT_TRUE(d->items()[2]->layer()->animationKeys().empty());
}

TEST_F(RotationSelectionViewTest, SwipeWithNothingToLandOnTurnsBackUntold) {
    auto d = dial({"ONE", "TWO"}, 10);
    d->setSnapToClosestUnselectedItem(true);
    // Item 1 as a space would leave no titled neighbour: make it so.
    d->items()[1]->label()->setText("");
    d->setLeftSelectedItem();
    advance(0.5);
    EXPECT_EQ(d->selectedItem(), d->items()[0].get());
    EXPECT_NEAR(d->items()[0]->angle(), 0, 1e-6) << "the nudge turned back";
    EXPECT_TRUE(told.empty());

    auto empty = dial({}, 12);
    empty->setLeftSelectedItem();
    empty->setRightSelectedItem();
    advance(0.5);
    EXPECT_TRUE(told.empty()) << "a dial without titles does nothing";
}

TEST_F(RotationSelectionViewTest, FrontTitleStandsUprightAndItsNeighboursNarrowed) {
    auto d = dial({"X", "Y", "Z"}, 9);
    d->items()[0]->setBackgroundColor(UIColor::redColor());
    d->items()[1]->setBackgroundColor(UIColor::greenColor());
    const CGImageRef shot = screenshot();
    // The front item 100 points wide, the next at 30 degrees narrowed to about 87 points, its
    // middle radius × sin 30° = 93 points right of the centre. A row below the title.
    auto width = [&](bool red) {
        int n = 0;
        for (double x = 0; x < 375; x += 1) {
            const CGColor c = meanAt(shot, {{x, 342}, {1, 1}});
            n += red ? (c.r > 0.5 && c.g < 0.3) : (c.g > 0.5 && c.r < 0.3);
        }
        return n;
    };
    EXPECT_NEAR(width(true), 100, 2) << "front item";
    EXPECT_NEAR(width(false), 100 * std::cos(kPi / 6), 2) << "narrowed neighbour";
    const double right = 187.5 + d->radius() * std::sin(kPi / 6);
    EXPECT_GT(meanAt(shot, {{right - 2, 328}, {4, 4}}).g, 0.9);
    // The front title is drawn upright: its text shows in the middle of the red item.
    EXPECT_GT(meanAt(shot, {{177, 322}, {20, 16}}).g, 0.05) << "the title's light strokes over red";
}

}  // namespace
