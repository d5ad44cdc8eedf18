// Album editing of a real photograph, imported into the library as `tavorin import` imports it
// and reached only by taps and drags, as a person reaches it: the album button, the photo in
// the grid, Edit. What is judged is what the screen shows: the mean saturation of the picture
// against the photograph's own.
#include <gtest/gtest.h>

#include <sstream>

#include "app/ImportJob.h"
#include "app/controls/CollectionView.h"
#include "app/controls/TypeSelectView.h"
#include "engine/view/GraphicsView.h"
#include "platform/imageio/ImageIO.h"
#include "platform/uikit/UIAlertPresentation.h"
#include "platform/uikit/UIBarButtonItem.h"

#include "AlbumFixture.h"

namespace {

// A blue sky over green grass and grey rock: colourful, but not garish.
const char* const kPhotograph = "/usr/share/backgrounds/picosdeeuropa_by_Aitzol_Berasategi.jpg";

// The mean saturation of the photograph itself, from a reduced decode turned upright.
double photographSaturation() {
    const auto source = platform::ImageSource::createWithFile(kPhotograph);
    if (!source) return 0;
    const auto bitmap = source->createThumbnailAtIndex(0, 512);
    if (!bitmap) return 0;
    double sum = 0;
    for (std::uint32_t y = 0; y < bitmap->height; ++y)
        for (std::uint32_t x = 0; x < bitmap->width; ++x) {
            const std::uint8_t* p = bitmap->pixel(x, y);
            sum += hslSaturation(p[0] / 255.0, p[1] / 255.0, p[2] / 255.0);
        }
    return sum / (double(bitmap->width) * bitmap->height);
}

class AlbumPhotograph : public AlbumTest {
protected:
    // Launched on a library holding only the photograph, imported before the launch.
    void launchWithPhotograph() {
        AppLaunch options;
        options.launch = false;
        app = std::make_unique<AppHarness>(std::move(options));
        std::ostringstream out, err;
        ASSERT_EQ(ImportJob::Run({"", {kPhotograph}}, PHPhotoLibrary::defaultLibraryPath(), out, err), 0)
            << err.str();
        app->launch();
        app->advance(0.5);
    }
    bool touchesTaken() { return !UIApplication::sharedApplication().isIgnoringInteractionEvents(); }

    // The album button, the photograph in the grid, Edit; then the controls folded away.
    void editByTaps() {
        tapView(screen().albumButtonView()->button());
        app->advance(1.5);
        auto cell = album().collectionView()->cellForItemAtIndexPath(NSIndexPath::indexPathForItem(0, 0));
        ASSERT_TRUE(cell) << "the photograph is in the grid";
        tapView(*cell);
        ASSERT_TRUE(waitFor([this] { return touchesTaken(); }));
        app->advance(1);
        ASSERT_TRUE(waitFor([this] { return touchesTaken(); }));
        tapView(editButton());
        ASSERT_TRUE(waitFor([this] { return album().isHidden() && !screen().albumEditDoneButtonView()->isHidden(); }))
            << "album editing did not open";
        app->advance(1.5);
        tapChevron();
        ASSERT_FALSE(screen().expandCollapseView()->expanded());
    }
    void tapChevron() {
        tapView(*screen().expandCollapseView());
        app->advance(1);
    }
    // The mean saturation of the picture as the screen shows it.
    double shownSaturation() {
        app->advance(0.5);
        UIView& picture = *screen().graphicsView()->graphicsView();
        CGRect shown = picture.convertRectToView(picture.bounds(), nullptr);
        shown = CGRectIntersection(shown, screen().graphicsView()->convertRectToView(screen().graphicsView()->bounds(), nullptr));
        EXPECT_GT(shown.size.width * shown.size.height, 150 * 100) << "the picture is on the screen";
        const double scale = UIScreen::mainScreen().scale();
        const CGRect pixels = CGRectInset(CGRectMake(shown.origin.x * scale, shown.origin.y * scale,
                                                     shown.size.width * scale, shown.size.height * scale),
                                          4, 4);
        return meanSaturation(app->screenshot(), pixels);
    }
    void tapItem(const char* name) {
        CollectionObject* item = TypeController::sharedInstance().adjustType().objectNamed(name);
        ASSERT_TRUE(item) << name;
        for (int swipe = 0; swipe < 6 && !visible(item); ++swipe) {
            // Along the row of items, from right to left.
            const double y = centreOf(*screen().collectionView()->visibleCells().front()).y;
            const double width = UIScreen::mainScreen().bounds().size.width;
            app->drag({width - 40, y}, {80, y}, 0.4);
            app->advance(1);
        }
        ASSERT_TRUE(visible(item)) << name << " scrolled into view";
        tapView(*screen().collectionView()->cellForObject(item));
        app->advance(0.5);
    }
    bool visible(CollectionObject* item) {
        CollectionViewCell* cell = screen().collectionView()->cellForObject(item);
        if (!cell) return false;
        const CGRect frame = cell->convertRectToView(cell->bounds(), nullptr);
        return CGRectGetMinX(frame) >= 0 && CGRectGetMaxX(frame) <= UIScreen::mainScreen().bounds().size.width;
    }
};

// The shown picture keeps the photograph's colourfulness within this share of it.
constexpr double kSaturationKept = 0.25;

TEST_F(AlbumPhotograph, EditingAtNeutralKeepsAColourfulPhotoColourfulAndResetReturnsToIt) {
    const double photo = photographSaturation();
    ASSERT_GT(photo, 0.2) << "a colourful photograph";
    launchWithPhotograph();
    editByTaps();
    const double opened = shownSaturation();
    std::printf("photograph's mean saturation %.3f, shown when editing opens %.3f\n", photo, opened);
    EXPECT_NEAR(opened, photo, kSaturationKept * photo) << "editing opens the photo as it is";
    ASSERT_TRUE(screen().albumEditBeginState());

    // Saturation down to its far left: the picture loses its colour.
    tapChevron();
    tapView(*screen().typeSelectView()->buttonWithTag(TypeController::TypeSelectionAdjust));
    app->advance(1);
    tapItem("Saturation");
    const CGPoint knob = centreOf(*screen().slideView()->indicatorView());
    app->drag(knob, {2, knob.y}, 0.5);
    tapChevron();
    const double grey = shownSaturation();
    std::printf("shown with Saturation at its far left %.3f\n", grey);
    EXPECT_LT(grey, 0.5 * opened) << "the slider reaches the picture";

    // Reset, confirmed: the photo as editing opened it.
    tapChevron();
    tapItem("Reset");
    UIAlertPresentation* alert = UIAlertPresentation::shown();
    ASSERT_TRUE(alert);
    const CGRect ok = alert->buttonFrame(alert->indexOfButton("OK"));
    app->tap({CGRectGetMidX(ok), CGRectGetMidY(ok)});
    app->advance(1);
    tapChevron();
    const double reset = shownSaturation();
    std::printf("shown after Reset %.3f\n", reset);
    EXPECT_NEAR(reset, opened, 0.05 * photo) << "Reset returns to the photo as it opened";
    EXPECT_EQ(State::currentState(), *screen().albumEditBeginState()) << "and to the state editing began with";
}

}  // namespace
