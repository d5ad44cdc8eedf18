// The picker's cells and headers in a real window: what a cell shows for each sort of item
// (picture in its own colours or as a shape in the content colour, text in its colour), the
// swatch, border and rounding, the selection overlay and its removal on reuse, reuse across
// sorts, the header's centred cell, and the content turning with the device except on the pad.
#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <numbers>

#include "app/controls/CollectionViewCell.h"
#include "app/controls/CollectionViewHeader.h"
#include "support/ControllerFixture.h"
#include "support/PixelImage.h"
#include "ui/appearance/AppAppearance.h"

namespace {

const CGColor kRed{1, 0, 0, 1}, kBlue{0, 0, 1, 1}, kGreen{0, 1, 0, 1};

class CollectionViewCellTest : public ControllerFixture {
protected:
    std::shared_ptr<CollectionViewCell> cellAt(CGRect frame) {
        auto cell = std::make_shared<CollectionViewCell>(frame);
        window->addSubview(cell);
        return cell;
    }
    // A red square picture with a transparent border of a quarter of its side.
    static UIImagePtr redSquare(std::size_t side = 40) {
        return pixelimage::make(side, side, [side](std::size_t x, std::size_t y) {
            const bool inside = x >= side / 4 && x < side * 3 / 4 && y >= side / 4 && y < side * 3 / 4;
            return inside ? pixelimage::RGBA8{255, 0, 0, 255} : pixelimage::RGBA8{0, 0, 0, 0};
        });
    }
    static std::shared_ptr<CollectionObject> imageItem(std::optional<CGColor> content, CGSize imageSize) {
        auto item = CollectionObject::collectionObjectWithImage(redSquare());
        item->setImageSize(imageSize);
        item->setContentColor(content);
        item->setColor(kBlue);
        return item;
    }
};

TEST_F(CollectionViewCellTest, PicturesShowTheirOwnColoursOrTheirShapeInTheContentColour) {
    struct Case {
        const char* name;
        std::optional<CGColor> content;
        CGSize imageSize;
        CGSize expected;
        CGColor middle;
    };
    const Case cases[] = {
        {"own colours", std::nullopt, {20, 20}, {20, 20}, kRed},
        {"shape in the content colour", kGreen, {20, 20}, {20, 20}, kGreen},
        {"zero size fills the cell", std::nullopt, {0, 0}, {42, 42}, kRed},
    };
    for (const Case& c : cases) {
        auto item = imageItem(c.content, c.imageSize);
        auto cell = cellAt(CGRectMake(100, 100, 42, 42));
        cell->setObject(item.get());
        cell->layoutIfNeeded();
        ASSERT_TRUE(cell->imageView()) << c.name;
        EXPECT_FALSE(cell->label()) << c.name;
        EXPECT_EQ(cell->imageView()->bounds().size, c.expected) << c.name;
        EXPECT_EQ(cell->imageView()->center(), CGPointMake(21, 21)) << c.name;
        auto shot = screenshot();
        expectColor(meanAt(shot, CGRectMake(121 - 3, 121 - 3, 6, 6)), c.middle, c.name);
        // The picture's transparent rim shows the swatch.
        expectColor(meanAt(shot, CGRectMake(121 - c.expected.width / 2 + 1, 121 - 1, 2, 2)), kBlue,
                    std::string(c.name) + ": swatch");
        cell->removeFromSuperview();
    }
}

TEST_F(CollectionViewCellTest, TextsTakeTheContentColourOrTheLightColour) {
    for (std::optional<CGColor> content : {std::optional<CGColor>(kRed), std::optional<CGColor>()}) {
        auto item = CollectionObject::collectionObjectWithColor(kBlue, "L3");
        item->setContentColor(content);
        auto cell = cellAt(CGRectMake(0, 0, 42, 42));
        cell->setObject(item.get());
        ASSERT_TRUE(cell->label());
        EXPECT_FALSE(cell->imageView());
        EXPECT_EQ(cell->label()->text(), "L3");
        EXPECT_EQ(cell->label()->textColor().CGColor(),
                  content ? *content : AppAppearance::defaultLightColor().CGColor());
        EXPECT_EQ(cell->label()->font().pointSize(), AppAppearance::defaultFont().pointSize());
        EXPECT_EQ(cell->backgroundColor()->CGColor(), kBlue);
    }
}

TEST_F(CollectionViewCellTest, BorderRoundingAndTheSelectionOverlay) {
    auto item = CollectionObject::collectionObjectWithColor(kBlue, "A");
    item->setBorder(true);
    item->setCornerRoundness(0.25);
    item->setSelected(true);
    auto cell = cellAt(CGRectMake(100, 100, 42, 42));
    cell->setObject(item.get());
    EXPECT_EQ(cell->layer()->borderWidth(), 2.0);
    EXPECT_EQ(cell->layer()->borderColor(), AppAppearance::defaultLightColor().CGColor());
    EXPECT_EQ(cell->layer()->cornerRadius(), 42 * 0.25);
    EXPECT_TRUE(cell->isSelected());
    ASSERT_TRUE(cell->selectionView()) << "a selected item shows the overlay at once";
    EXPECT_EQ(cell->subviews().front().get(), cell->selectionView()) << "below the content";
    EXPECT_EQ(cell->selectionView()->backgroundColor()->CGColor(), (CGColor{0, 0, 0, 0.5}));
    EXPECT_EQ(cell->selectionView()->layer()->cornerRadius(), 42 * 0.25);
    // Over a blue swatch, half-black darkens it to half.
    expectColor(meanAt(screenshot(), CGRectMake(110, 104, 4, 4)), (CGColor{0, 0, 0.5, 1}), "darkened swatch");

    std::weak_ptr<UIView> overlay = cell->selectionView()->shared_from_this();
    cell->showSelectedView(true);
    EXPECT_EQ(cell->selectionView(), overlay.lock().get()) << "an existing overlay stays";
    cell->setSelected(false);
    EXPECT_TRUE(cell->selectionView()) << "only showSelectedView drives the overlay";
    cell->prepareForReuse();
    EXPECT_FALSE(cell->selectionView());
    EXPECT_TRUE(overlay.expired()) << "removed and forgotten";

    item->setBorder(false);
    item->setSelected(false);
    cell->setObject(item.get());
    EXPECT_EQ(cell->layer()->borderWidth(), 0);
}

TEST_F(CollectionViewCellTest, ReuseAcrossSortsLeavesOnlyTheNewSortsView) {
    auto text = CollectionObject::collectionObjectWithColor(kBlue, "T");
    auto picture = imageItem(std::nullopt, {20, 20});
    auto cell = cellAt(CGRectMake(0, 0, 42, 42));
    auto countContent = [&] {
        int n = 0;
        for (const auto& sub : cell->subviews())
            if (std::dynamic_pointer_cast<UILabel>(sub) || std::dynamic_pointer_cast<UIImageView>(sub)) ++n;
        return n;
    };
    cell->setObject(text.get());
    cell->setObject(picture.get());
    EXPECT_TRUE(cell->imageView());
    EXPECT_FALSE(cell->label());
    EXPECT_EQ(countContent(), 1);
    UIImageView* kept = cell->imageView();
    cell->setObject(picture.get());
    EXPECT_EQ(cell->imageView(), kept) << "made once";
    cell->setObject(text.get());
    EXPECT_TRUE(cell->label());
    EXPECT_FALSE(cell->imageView());
    EXPECT_EQ(countContent(), 1);
}

TEST_F(CollectionViewCellTest, HeadersCentreACellOfTheirItemsSize) {
    auto header = std::make_shared<CollectionViewHeader>(CGRectMake(0, 0, 44, 60));
    window->addSubview(header);
    auto item = CollectionObject::collectionObjectWithImage(redSquare(), CGSizeMake(44, 44), false);
    item->setCategory(true);
    header->setObject(item.get());
    EXPECT_EQ(header->object(), item.get());
    EXPECT_EQ(header->collectionViewCell().frame(), CGRectMake(0, 8, 44, 44));
    EXPECT_EQ(header->collectionViewCell().imageView()->bounds().size, CGSizeMake(44, 44))
        << "a picture without a size fills the header's cell";

    auto none = CollectionObject::collectionObjectCategory();
    header->setObject(none.get());
    EXPECT_EQ(header->collectionViewCell().bounds().size, CGSizeZero) << "a header of size zero is not seen";

    item->setSelected(true);
    header->setObject(item.get());
    EXPECT_TRUE(header->collectionViewCell().selectionView());
    header->prepareForReuse();
    EXPECT_FALSE(header->collectionViewCell().selectionView()) << "reuse reaches the header's cell";
}

TEST_F(CollectionViewCellTest, ContentTurnsUprightWithTheDeviceExceptOnThePad) {
    struct Case {
        int orientation;
        double angle;
    };
    const Case cases[] = {{1, 0}, {2, std::numbers::pi}, {3, std::numbers::pi / 2}, {4, -std::numbers::pi / 2}};
    auto text = CollectionObject::collectionObjectWithColor(kBlue, "T");
    auto picture = imageItem(std::nullopt, {20, 20});
    for (bool pad : {false, true}) {
        UIDeviceProfile::setCurrent(pad ? UIDeviceProfile::pad() : UIDeviceProfile::phone());
        for (CollectionObject* item : {text.get(), picture.get()}) {
            auto cell = std::make_shared<CollectionViewCell>(CGRectMake(0, 0, 42, 42));
            cell->setObject(item);
            UIView& content = cell->imageView() ? static_cast<UIView&>(*cell->imageView()) : *cell->label();
            for (const Case& c : cases) {
                cell->setCollectionViewOrientation(c.orientation);
                const double angle = std::atan2(content.transform().b, content.transform().a);
                EXPECT_NEAR(angle, pad ? 0 : c.angle, 1e-9) << "pad " << pad << ", orientation " << c.orientation;
            }
        }
    }
}

}  // namespace
