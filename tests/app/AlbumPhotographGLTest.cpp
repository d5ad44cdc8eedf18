// Album editing of real photographs, imported into the library as `tavorin import` imports them
// and reached only by taps, drags and keys, as a person reaches them: the album button, the
// album list, the photo in the grid, Edit. What is judged is what the screen shows and the
// library keeps: the mean saturation of the picture against the photograph's own; a revert and
// a delete that wait for the library's question; titles that follow the photo and album shown;
// a shortcut that asks before it drops an edit.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <ctime>
#include <filesystem>
#include <sstream>

#include "app/ImportJob.h"
#include "app/controls/CollectionView.h"
#include "app/controls/TypeSelectView.h"
#include "camera/buttons/FlashButtonView.h"
#include "engine/view/GraphicsView.h"
#include "library/albums/PhotoGroupCollectionView.h"
#include "platform/imageio/ImageIO.h"
#include "platform/photos/PHAssetCollection.h"
#include "platform/uikit/UIAlertPresentation.h"
#include "platform/uikit/UIBarButtonItem.h"
#include "platform/uikit/UINavigationBar.h"
#include "platform/uikit/UINavigationController.h"

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

// A second photograph, of a bridge, for the album of two.
const char* const kSecondPhotograph = "/usr/share/backgrounds/Bridge_by_Sander_Klootwijk.jpg";

class AlbumPhotograph : public AlbumTest {
protected:
    // Launched on a library holding only the photographs, imported before the launch (into
    // the album when one is named).
    void launchWithPhotographs(std::vector<std::string> paths, const std::string& albumTitle = "") {
        AppLaunch options;
        options.launch = false;
        options.settings = [](AmbrelAppSettings& settings) { settings.setAlbumSaveMethod(SaveMethodPrompt); };
        app = std::make_unique<AppHarness>(std::move(options));
        std::ostringstream out, err;
        ASSERT_EQ(ImportJob::Run({albumTitle, paths}, PHPhotoLibrary::defaultLibraryPath(), out, err), 0) << err.str();
        app->launch();
        app->advance(0.5);
    }
    void launchWithPhotograph() { launchWithPhotographs({kPhotograph}); }
    // Copies of the photographs taken on days of their own (the import dates a photograph
    // without a date of its own by its file).
    std::vector<std::string> photographsOfTwoDays() {
        std::vector<std::string> copies;
        std::string pattern = (std::filesystem::temp_directory_path() / "tavorin-days-XXXXXX").string();
        if (!::mkdtemp(pattern.data())) ADD_FAILURE() << "no temporary folder";
        copiesFolder_ = pattern;
        int day = 0;
        for (const char* photograph : {kPhotograph, kSecondPhotograph}) {
            const auto copy = copiesFolder_ / std::filesystem::path(photograph).filename();
            ++day;
            std::filesystem::copy_file(photograph, copy, std::filesystem::copy_options::overwrite_existing);
            std::filesystem::last_write_time(
                copy, std::filesystem::file_time_type::clock::now() - std::chrono::hours(24 * 40 * day));
            copies.push_back(copy.string());
        }
        return copies;
    }
    // The album list opened from the grid's left button, and the album picked in it.
    void openAlbum(const std::string& title) {
        tapView(*screen().navigationItem().leftBarButtonItem()->customView());
        app->advance(1);
        auto library = PHPhotoLibrary::sharedPhotoLibrary();
        std::shared_ptr<PHAssetCollection> picked;
        const auto albums = PHAssetCollection::fetchAssetCollectionsWithType(PHAssetCollectionTypeAlbum,
                                                                             PHAssetCollectionSubtypeAny, {}, library);
        for (const auto& collection : albums->objects())
            if (collection->localizedTitle() == title) picked = collection;
        ASSERT_TRUE(picked) << title;
        PhotoGroupCollectionView& list = *screen().photoGroupCollectionView();
        const CGRect cell = list.convertRectToView(list.rectForAssetGroup(*picked), nullptr);
        ASSERT_FALSE(CGRectIsEmpty(cell)) << title << " is in the list";
        app->tap({CGRectGetMidX(cell), CGRectGetMidY(cell)});
        app->advance(1.5);
    }
    std::string backTitle() {
        auto back =
            std::dynamic_pointer_cast<TitleButtonView>(screen().navigationItem().leftBarButtonItem()->customView());
        return back ? back->title() : "";
    }
    std::string headerText() {
        auto title = screen().navigationItem().titleView();
        return title ? labelText(*title) : "";
    }
    // The header of one photo shown: its day over its time.
    std::string dateHeaderOf(const NSIndexPath& indexPath) {
        const std::optional<double> date = album().dateForIndexPath(indexPath);
        if (!date) return "";
        return AmbrelViewController::relativeDateTitle(*date, std::time(nullptr)) + "|" +
               AmbrelViewController::shortTimeTitle(*date);
    }
    UIView& trashButton() { return *screen().photoCollectionToolbar()->items().back()->view(); }
    void TearDown() override {
        app.reset();
        std::error_code ignored;
        if (!copiesFolder_.empty()) std::filesystem::remove_all(copiesFolder_, ignored);
    }
    std::filesystem::path copiesFolder_;
    bool touchesTaken() { return !UIApplication::sharedApplication().isIgnoringInteractionEvents(); }

    // The album button, the photograph in the grid, Edit; then the controls folded away.
    void editByTaps() {
        tapView(screen().albumButtonView()->button());
        app->advance(1.5);
        openPhotoByTap(0);
        tapEdit();
        tapChevron();
        ASSERT_FALSE(screen().expandCollapseView()->expanded());
    }
    // The grid's photo at the row, one a page, its picture in.
    void openPhotoByTap(long row) {
        auto cell = album().collectionView()->cellForItemAtIndexPath(NSIndexPath::indexPathForItem(row, 0));
        ASSERT_TRUE(cell) << "the photograph is in the grid";
        tapView(*cell);
        ASSERT_TRUE(waitFor([this] { return touchesTaken(); }));
        app->advance(1);
        ASSERT_TRUE(waitFor([this] { return touchesTaken(); }));
    }
    // Edit, and album editing open with its controls expanded.
    void tapEdit() {
        tapView(editButton());
        ASSERT_TRUE(waitFor([this] { return album().isHidden() && !screen().albumEditDoneButtonView()->isHidden(); }))
            << "album editing did not open";
        app->advance(1.5);
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
        shown = CGRectIntersection(
            shown, screen().graphicsView()->convertRectToView(screen().graphicsView()->bounds(), nullptr));
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

// The library's question as the person sees it: its title and its two buttons.
void expectQuestion(const std::string& title, const std::string& allow) {
    UIAlertPresentation* alert = UIAlertPresentation::shown();
    ASSERT_TRUE(alert) << "the library asks";
    EXPECT_TRUE(alert->system) << "the library's own question";
    EXPECT_EQ(alert->title, title);
    EXPECT_EQ(shownButtons(), (std::vector<std::string>{"Don't Allow", allow}));
    for (const std::string& button : {std::string("Don't Allow"), allow}) {
        const CGRect r = alert->buttonFrame(alert->indexOfButton(button));
        std::printf("\"%s\" button of \"%s\": centre (%.1f, %.1f) in points\n", button.c_str(), title.c_str(),
                    CGRectGetMidX(r), CGRectGetMidY(r));
    }
}

// The camera as the shortcut leaves it: its own bar, the preview showing, no trace of album
// editing.
void expectWholeCamera(AmbrelViewController& screen, AppHarness& app) {
    EXPECT_FALSE(screen.albumEditing()) << "the camera";
    EXPECT_TRUE(screen.photoCollectionView()->isHidden());
    EXPECT_EQ(modeName(), "Low Light 1");
    EXPECT_FALSE(screen.expandCollapseView()->expanded()) << "the editing controls folded away";
    for (const auto& button :
         {screen.albumEditDoneButtonView(), screen.albumEditCancelButtonView(), screen.albumEditShareButtonView()})
        EXPECT_TRUE(button->isHidden() || button->alpha() < 0.01) << "no album-editing button";
    auto left = screen.navigationItem().leftBarButtonItem();
    ASSERT_TRUE(left);
    EXPECT_TRUE(std::dynamic_pointer_cast<FlashButtonView>(left->customView())) << "the camera's bar";
    EXPECT_GT(left->customView()->alpha(), 0.99);
    EXPECT_FALSE(screen.navigationItem().titleView());
    UINavigationBar& bar = *screen.navigationController()->navigationBar();
    EXPECT_FALSE(bar.isHidden());
    EXPECT_GT(bar.alpha(), 0.99);
    UIView& preview = *screen.graphicsView();
    EXPECT_GT(preview.alpha(), 0.99);
    const CGColor shown = app.meanColor(preview.convertRectToView(preview.bounds(), nullptr));
    EXPECT_GT(shown.r + shown.g + shown.b, 0.6) << "the preview is not blank";
}

TEST_F(AlbumPhotograph, ARevertWaitsForTheLibrarysQuestionAndBringsBackTheOriginalByteForByte) {
    launchWithPhotograph();
    editByTaps();
    // A strong mode, saved in place through the save sheet (the "Prompt" setting).
    tapChevron();
    selectMode("Dramatic 2");
    tapChevron();
    ASSERT_EQ(doneTitle(), "Save");
    tapView(*screen().albumEditDoneButtonView());
    tapSheet("Save");
    ASSERT_TRUE(waitFor([this] { return backInAlbum(); }, 30)) << "saved";
    ASSERT_TRUE(waitFor([this] { return touchesTaken(); }));
    auto stored = app->photos();
    ASSERT_EQ(stored.size(), 1u);
    ASSERT_TRUE(stored[0].state) << "the edit is stored";
    const std::filesystem::path render = stored[0].render;
    ASSERT_TRUE(std::filesystem::exists(render));

    // Reopened unchanged: Done reads "Revert" and asks before it touches the photo.
    app->advance(1);
    tapEdit();
    tapChevron();
    ASSERT_EQ(doneTitle(), "Revert");
    const State reopened = State::currentState();
    tapView(*screen().albumEditDoneButtonView());
    ASSERT_TRUE(waitFor([] { return UIAlertPresentation::shown() != nullptr; }));
    expectQuestion("Allow Tavorin to revert this photo to its original?", "Revert");
    app->advance(2);
    EXPECT_TRUE(app->photos()[0].state) << "nothing reverted while the question is open";

    // "Don't Allow": everything as it was.
    tapSheet("Don't Allow");
    app->advance(1);
    EXPECT_EQ(UIAlertPresentation::shown(), nullptr) << "no failure is said for the person's own no";
    EXPECT_FALSE(backInAlbum()) << "still editing";
    EXPECT_EQ(doneTitle(), "Revert");
    EXPECT_EQ(State::currentState(), reopened);
    EXPECT_TRUE(touchesTaken());
    ASSERT_TRUE(app->photos()[0].state) << "the edit is kept";
    EXPECT_EQ(*app->photos()[0].state, *stored[0].state);
    EXPECT_TRUE(std::filesystem::exists(render)) << "and its render";

    // "Revert": the photo is the original again, byte for byte.
    tapView(*screen().albumEditDoneButtonView());
    ASSERT_TRUE(waitFor([] { return UIAlertPresentation::shown() != nullptr; }));
    tapSheet("Revert");
    ASSERT_TRUE(waitFor([this] { return backInAlbum(); }, 10)) << "back in the album";
    const auto reverted = app->photos();
    ASSERT_EQ(reverted.size(), 1u);
    EXPECT_FALSE(reverted[0].record.edit);
    auto library = PHPhotoLibrary::sharedPhotoLibrary();
    const std::string shown = library->store().contentPath(reverted[0].record);
    EXPECT_EQ(photos::FileSha256(shown), photos::FileSha256(kPhotograph)) << "the photo's content is the original";
    EXPECT_FALSE(std::filesystem::exists(render)) << "the render went with the edit";
}

TEST_F(AlbumPhotograph, ADeleteWaitsForTheQuestionAndTheTitlesFollowThePhotoAndAlbumShown) {
    launchWithPhotographs(photographsOfTwoDays(), "Trip");
    tapView(screen().albumButtonView()->button());
    app->advance(1.5);
    openAlbum("Trip");
    EXPECT_EQ(headerText(), "Trip");
    EXPECT_EQ(backTitle(), "Albums");
    openPhotoByTap(0);
    EXPECT_EQ(backTitle(), "Trip") << "one photo goes back to its album";
    const NSIndexPath first = album().selectedIndexPath();
    const std::string firstHeader = dateHeaderOf(first);
    ASSERT_EQ(headerText(), firstHeader);
    const std::string gone = album().selectedAsset()->localIdentifier();
    const std::string kept = album().assetAtIndexPath(NSIndexPath::indexPathForItem(1, 0))->localIdentifier();
    ASSERT_NE(dateHeaderOf(NSIndexPath::indexPathForItem(1, 0)), firstHeader) << "photographs of two days";

    // The trash button asks; "Don't Allow" keeps the photo.
    tapView(trashButton());
    ASSERT_TRUE(waitFor([] { return UIAlertPresentation::shown() != nullptr; }));
    expectQuestion("Allow Tavorin to delete this photo?", "Delete");
    tapSheet("Don't Allow");
    app->advance(1);
    EXPECT_EQ(UIAlertPresentation::shown(), nullptr);
    EXPECT_TRUE(touchesTaken());
    EXPECT_EQ(album().numberOfAssets(), 2u);
    EXPECT_EQ(app->photos().size(), 2u);
    EXPECT_EQ(album().selectedAsset()->localIdentifier(), gone);
    EXPECT_EQ(headerText(), firstHeader);

    // "Delete": the next photo shows, and the header says its date.
    tapView(trashButton());
    ASSERT_TRUE(waitFor([] { return UIAlertPresentation::shown() != nullptr; }));
    tapSheet("Delete");
    ASSERT_TRUE(waitFor([this] { return album().numberOfAssets() == 1; }));
    app->advance(1);
    EXPECT_TRUE(touchesTaken());
    EXPECT_EQ(app->photos().size(), 1u);
    ASSERT_TRUE(album().selectedAsset());
    EXPECT_EQ(album().selectedAsset()->localIdentifier(), kept) << "the photo shown now";
    EXPECT_EQ(headerText(), dateHeaderOf(album().selectedIndexPath())) << "the date of the photo shown";
    EXPECT_NE(headerText(), firstHeader);
    EXPECT_EQ(backTitle(), "Trip");

    // Back to the album's grid, titled with it.
    tapView(*screen().navigationItem().leftBarButtonItem()->customView());
    app->advance(1);
    EXPECT_EQ(album().photoCollectionLayout(), PhotoCollectionLayoutGrid);
    EXPECT_EQ(headerText(), "Trip");
    EXPECT_EQ(backTitle(), "Albums");
}

TEST_F(AlbumPhotograph, AShortcutDuringAnUnsavedEditAsksFirstAndTheCameraComesBackWhole) {
    for (const bool expanded : {true, false}) {
        SCOPED_TRACE(expanded ? "controls expanded" : "controls collapsed");
        launchWithPhotograph();
        editByTaps();
        tapChevron();
        selectMode("Dramatic 2");
        app->advance(0.5);
        if (!expanded) tapChevron();
        const State edited = State::currentState();

        // F1: the question first; Cancel keeps the edit.
        app->key("F1");
        app->advance(0.5);
        EXPECT_EQ(shownButtons(), (std::vector<std::string>{"Discard Changes", "Cancel"}));
        tapSheet("Cancel");
        app->advance(1);
        EXPECT_FALSE(backInAlbum());
        EXPECT_TRUE(album().isHidden()) << "still editing";
        EXPECT_EQ(State::currentState(), edited);
        EXPECT_EQ(modeName(), "Dramatic 2");

        // F1 again, "Discard Changes": the camera with the shortcut's mode, whole.
        app->key("F1");
        app->advance(0.5);
        tapSheet("Discard Changes");
        app->advance(1);
        EXPECT_FALSE(app->photos()[0].record.edit) << "nothing was saved";
        expectWholeCamera(screen(), *app);
        app.reset();
    }
}

TEST_F(AlbumPhotograph, AShortcutWhileAlbumEditingOpensOrClosesWaitsForItAndLeavesTheCameraWhole) {
    for (const bool opening : {true, false}) {
        SCOPED_TRACE(opening ? "while the photo flies into album editing" : "while it flies back to the album");
        launchWithPhotograph();
        tapView(screen().albumButtonView()->button());
        app->advance(1.5);
        openPhotoByTap(0);
        if (opening) {
            tapView(editButton());
        } else {
            tapEdit();
            tapChevron();
            tapView(*screen().albumEditCancelButtonView());
        }
        app->advance(0.1);
        app->key("F1");
        app->advance(3);
        EXPECT_EQ(UIAlertPresentation::shown(), nullptr) << "an unchanged edit goes unasked";
        expectWholeCamera(screen(), *app);
        app.reset();
    }
}

}  // namespace
