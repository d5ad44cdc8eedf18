// Edits and saves through the browser on a real library: the edit input, the full-size read,
// saves in place, copies, exports, reverts, deletes, new photos, and the change queue's
// completions.
#include <unistd.h>

#include <fstream>
#include <future>

#include "BrowserFixture.h"
#include "support/ReadOnlyTree.h"
#include "library/metadata/NSMutableDictionary+ImageMetadataUtility.h"
#include "model/AmbrelAppSettings.h"
#include "model/DeviceUtility.h"
#include "platform/photos/PHContentEditingOutput.h"
#include "platform/uikit/UIApplication.h"

using namespace browsertest;

namespace {

NSIndexPath Item(long item) { return NSIndexPath::indexPathForItem(item, 0); }

// A rendered edit: a plain picture of the colour.
UIImagePtr Render(RGB colour, std::uint32_t w = 64, std::uint32_t h = 48) {
    return photos::ImageFromBitmap(PlainPhoto(w, h, colour));
}

// Whether the photo carries the marks of this program's edits.
bool HasEditMarks(const PhotoCollectionView::Metadata& metadata) {
    auto copy = metadata;
    return ImageMetadataUtility::hasSoftwareMetadata(copy, "Tavorin") &&
           ImageMetadataUtility::hasKeyword(copy, PhotoCollectionView::kEditKeyword);
}

}  // namespace

class PhotoEditingTest : public BrowserFixture {
public:
    // Saves (copy or not) and waits for the one answer; its error is kept in `error`.
    std::tuple<bool, bool> finish(long item, UIImagePtr image, const std::string& data, bool copy) {
        Answers<bool, bool, NSErrorPtr> answers;
        browser->finishEditingAssetAtIndexPath(Item(item), std::move(image), data, {}, copy, answers.block());
        EXPECT_TRUE(pump([&] { return answers.count > 0; }));
        settle();
        EXPECT_EQ(answers.count, 1);
        error = std::get<2>(answers.last);
        expectAnswer(std::get<0>(answers.last), error);
        return {std::get<0>(answers.last), std::get<1>(answers.last)};
    }
    bool awaitSaved(const std::function<void(PhotoCollectionView::SavedCompletion)>& start) {
        Answers<bool, NSErrorPtr> answers;
        start([&answers, block = answers.block()](bool saved, const NSErrorPtr& error) {
            EXPECT_TRUE(NSThread::isMainThread());
            block(saved, error);
        });
        EXPECT_TRUE(pump([&] { return answers.count > 0; }));
        settle();
        EXPECT_EQ(answers.count, 1);
        error = std::get<1>(answers.last);
        expectAnswer(std::get<0>(answers.last), error);
        return std::get<0>(answers.last);
    }
    // A NO always says why, in a description and a reason; a YES carries no error.
    static void expectAnswer(bool saved, const NSErrorPtr& error) {
        if (saved) {
            EXPECT_EQ(error, nullptr);
            return;
        }
        ASSERT_NE(error, nullptr) << "a failure without its reason";
        EXPECT_FALSE(error->localizedDescription().empty());
        EXPECT_FALSE(error->localizedFailureReason().empty()) << error->localizedDescription();
    }
    std::string reason() const { return error ? error->localizedFailureReason() : ""; }

    NSErrorPtr error;
};

TEST_F(PhotoEditingTest, SaveInPlaceKeepsTheOriginalAndReopensWithItsData) {
    import({kPhotograph});
    makeBrowser();
    const std::string id = assetShown(0)->localIdentifier();
    const std::string originalSha = record(id)->originalSha256;
    EXPECT_EQ(originalSha, photos::FileSha256(kPhotograph));

    auto [display, noData] = beginEditing(0);
    ASSERT_TRUE(display);
    EXPECT_FALSE(noData) << "an unedited photo has no data";
    EXPECT_TRUE(browser->editingAsset());
    EXPECT_EQ(finish(0, Render({200, 30, 30}, 320, 200), "state one", false), std::make_tuple(true, true));
    EXPECT_FALSE(browser->editingAsset()) << "a saved edit is closed";

    auto saved = record(id);
    ASSERT_TRUE(saved && saved->edit);
    EXPECT_EQ(saved->edit->formatIdentifier, "com.quorvin.tavorin");
    EXPECT_EQ(saved->edit->formatVersion, "1.0");
    EXPECT_EQ(std::string(saved->edit->data.begin(), saved->edit->data.end()), "state one");
    EXPECT_EQ(saved->originalSha256, originalSha);
    EXPECT_EQ(photos::FileSha256(library->store().absolutePath(saved->originalPath)), originalSha);
    auto metadata = browser->metadataForForIndexPath(Item(0));
    ASSERT_TRUE(metadata);
    EXPECT_TRUE(HasEditMarks(*metadata));

    // Reopened, the edit comes back; the same data saved again changes nothing.
    EXPECT_EQ(beginEditing(0).second, std::optional<std::string>("state one"));
    EXPECT_EQ(finish(0, Render({200, 30, 30}, 320, 200), "state one", false), std::make_tuple(false, true));
    EXPECT_EQ(reason(), "It already carries this edit.");
    EXPECT_TRUE(browser->editingAsset()) << "an unsaved edit stays open";
}

TEST_F(PhotoEditingTest, AnUnwrittenRenderIsNotSavedKeepsTheEditAndSaysWhy) {
    import({plainPhoto("a.jpg", {10, 200, 10})});
    makeBrowser();
    const std::string id = assetShown(0)->localIdentifier();
    const fs::path staging = fs::path(libraryPath) / "staging";
    beginEditing(0);
    for (bool copy : {false, true}) {
        SCOPED_TRACE(copy ? "copy" : "in place");
        EXPECT_EQ(finish(0, nullptr, "state", copy), std::make_tuple(false, !copy));
        EXPECT_EQ(reason(), "There is no picture to save.");
        // The render's place cannot take a file: the writer's own words, not the library's.
        fs::remove_all(staging);
        std::ofstream(staging) << "not a folder";
        EXPECT_EQ(finish(0, Render({1, 2, 3}), "state", copy), std::make_tuple(false, !copy));
        EXPECT_NE(reason().find(staging.string()), std::string::npos) << reason();
        fs::remove(staging);
        fs::create_directory(staging);
        EXPECT_TRUE(browser->editingAsset());
        EXPECT_FALSE(record(id)->edit);
        EXPECT_EQ(library->store().assets().size(), 1u);
    }
}

TEST_F(PhotoEditingTest, ChangesTheIndexRefusesAreSaidWithTheReasonAndLoseNothing) {
    // The index turns read-only under the open library, as a disk remounted read-only does:
    // only the immutable flag (root's) stops writes through files already open.
    if (::geteuid() != 0) GTEST_SKIP() << "only root can make the open index refuse writes";
    import({plainPhoto("a.jpg", {10, 200, 10}), plainPhoto("b.jpg", {10, 10, 200})});
    makeBrowser();
    beginEditing(0);
    ASSERT_EQ(finish(0, Render({200, 30, 30}), "state one", false), std::make_tuple(true, true));
    const std::string edited = assetShown(0)->localIdentifier();
    const fs::path render = fs::path(libraryPath) / record(edited)->edit->renderPath;
    const std::string renderSha = photos::FileSha256(render.string());
    ASSERT_FALSE(renderSha.empty());
    std::vector<std::unique_ptr<ReadOnlyTree>> readOnly;
    for (const char* file : {"library.sqlite", "library.sqlite-wal", "library.sqlite-shm"}) {
        readOnly.push_back(std::make_unique<ReadOnlyTree>(fs::path(libraryPath) / file));
        ASSERT_TRUE(readOnly.back()->made()) << readOnly.back()->why();
    }
    const struct {
        const char* what;
        std::function<void(PhotoCollectionView::SavedCompletion)> change;
    } changes[] = {
        {"revert", [&](auto done) { browser->revertEditingForAssetIndexPath(Item(0), done); }},
        {"save",
         [&](auto done) {
             beginEditing(0);
             browser->finishEditingAssetAtIndexPath(
                 Item(0), Render({9, 9, 9}), "state two", {}, false,
                 [done](bool saved, bool, const NSErrorPtr& error) { done(saved, error); });
         }},
        {"delete", [&](auto done) { browser->deleteItemAtIndexPath(Item(1), done); }},
        {"new photo",
         [&](auto done) {
             browser->saveNewAssetWithImage(Render({0, 0, 200}), {}, done);
         }},
    };
    for (const auto& c : changes) {
        SCOPED_TRACE(c.what);
        EXPECT_FALSE(awaitSaved(c.change)) << "nothing pretends";
        EXPECT_NE(reason().find("library.sqlite"), std::string::npos) << reason();
        EXPECT_EQ(photos::FileSha256(render.string()), renderSha) << "the stored edit keeps its render";
    }
    readOnly.clear();
    const auto kept = record(edited);
    ASSERT_TRUE(kept && kept->edit);
    EXPECT_EQ(std::string(kept->edit->data.begin(), kept->edit->data.end()), "state one");
    EXPECT_EQ(library->store().assets().size(), 2u);
}

TEST_F(PhotoEditingTest, ANewPhotoWithoutALibrarySaysWhyTheLibraryCouldNotBeOpened) {
    makeBrowser();
    // The library's folder is taken by a file: it cannot be opened again (the open one stays
    // with the test).
    PHPhotoLibrary::resetSharedPhotoLibrary();
    fs::rename(libraryPath, libraryPath + ".aside");
    std::ofstream(libraryPath) << "not a folder";
    NSErrorPtr unopened;
    EXPECT_FALSE(PHPhotoLibrary::sharedPhotoLibrary(&unopened));
    ASSERT_TRUE(unopened);
    EXPECT_FALSE(awaitSaved([&](auto done) { browser->saveNewAssetWithImage(Render({0, 0, 200}), {}, done); }));
    EXPECT_EQ(error->localizedDescription(), unopened->localizedDescription());
    EXPECT_EQ(reason(), unopened->localizedFailureReason());
    fs::remove(libraryPath);
    fs::rename(libraryPath + ".aside", libraryPath);
    library = PHPhotoLibrary::sharedPhotoLibrary();
    ASSERT_TRUE(library);
}

TEST_F(PhotoEditingTest, SaveAsCopyMakesTheUserLibrarysNewFirstPhotoWithTheOriginalAndTheEdit) {
    import({plainPhoto("a.jpg", {10, 200, 10})});
    import({plainPhoto("b.jpg", {10, 10, 200})}, "Trip");
    makeBrowser();
    browser->setPhotoCollectionAssetsGroup(album("Trip"));
    ASSERT_EQ(browser->numberOfAssets(), 1u);
    const std::string edited = assetShown(0)->localIdentifier();
    beginEditing(0);
    EXPECT_EQ(finish(0, Render({250, 250, 0}), "copy state", true), std::make_tuple(true, false));
    EXPECT_FALSE(browser->editingAsset());

    ASSERT_TRUE(PhotoCollectionView::assetsGroupIsSavedPhotos(*browser->assetsGroup()));
    ASSERT_EQ(browser->numberOfAssets(), 3u);
    auto copy = record(assetShown(0)->localIdentifier());
    ASSERT_TRUE(copy && copy->edit);
    EXPECT_NE(copy->uuid, edited);
    EXPECT_EQ(copy->originalSha256, record(edited)->originalSha256);
    EXPECT_EQ(std::string(copy->edit->data.begin(), copy->edit->data.end()), "copy state");
    EXPECT_FALSE(record(edited)->edit) << "the edited photo itself is untouched";
}

TEST_F(PhotoEditingTest, ExportMakesAFlattenedPhotoOfTheSaveType) {
    import({plainPhoto("a.jpg", {10, 200, 10})});
    makeBrowser();
    const struct {
        SaveType type;
        const char* identifier;
    } cases[] = {{SaveTypeJPEG, "public.jpeg"}, {SaveTypePNG, "public.png"}, {SaveTypeTIFF, "public.tiff"}};
    for (const auto& c : cases) {
        AmbrelAppSettings::sharedInstance().setSaveType(c.type);
        beginEditing(0);
        EXPECT_TRUE(awaitSaved([&](auto done) { browser->exportNewAssetWithImage(Render({0, 0, 250}), {}, done); }));
        EXPECT_FALSE(browser->editingAsset()) << "an export ends the edit";
        auto exported = record(assetShown(0)->localIdentifier());
        ASSERT_TRUE(exported);
        EXPECT_EQ(exported->originalType, c.identifier);
        EXPECT_FALSE(exported->edit) << c.identifier;
        auto metadata = browser->metadataForForIndexPath(Item(0));
        ASSERT_TRUE(metadata);
        EXPECT_TRUE(HasEditMarks(*metadata)) << c.identifier;
    }
    AmbrelAppSettings::sharedInstance().setSaveType(SaveTypeJPEG);
    const fs::path temporary = root / "TMPDIR" / ("tavorin-" + std::to_string(::getuid()));
    EXPECT_TRUE(fs::is_empty(temporary)) << "temporary files are removed";
}

TEST_F(PhotoEditingTest, RevertRestoresTheOriginal) {
    import({plainPhoto("a.jpg", {10, 200, 10})});
    makeBrowser();
    const std::string id = assetShown(0)->localIdentifier();
    beginEditing(0);
    finish(0, Render({200, 0, 0}), "state", false);
    ASSERT_TRUE(record(id)->edit);
    beginEditing(0);
    EXPECT_TRUE(awaitSaved([&](auto done) { browser->revertEditingForAssetIndexPath(Item(0), done); }));
    EXPECT_FALSE(record(id)->edit);
    EXPECT_FALSE(browser->editingAsset());
}

TEST_F(PhotoEditingTest, OnlyThisProgramsFormatAndVersionAreTakenUp) {
    const struct {
        const char* identifier;
        const char* version;
        bool taken;
    } cases[] = {{"com.quorvin.tavorin", "1.0", true},
                 {"com.quorvin.tavorin", "1.1", false},
                 {"com.quorvin.tavorin.other", "1.0", false},
                 {"com.quorvin", "1.0", false}};
    for (const auto& c : cases)
        EXPECT_EQ(PhotoCollectionView::canHandleAdjustmentData({c.identifier, c.version, {1}}), c.taken)
            << c.identifier << " " << c.version;

    // A photo whose stored edit is of version 1.1 opens without data.
    import({plainPhoto("a.jpg", {10, 200, 10})});
    makeBrowser();
    auto asset = assetShown(0);
    PHContentEditingInput input;
    input.assetLocalIdentifier = asset->localIdentifier();
    PHContentEditingOutput output(input, *library);
    ASSERT_TRUE(PhotoCollectionView::writeImageForRenderedContent(Render({1, 2, 3}), {}, output.renderedContentURL()));
    output.setAdjustmentData(std::make_shared<PHAdjustmentData>(PHAdjustmentData{"com.quorvin.tavorin", "1.1", {7}}));
    ASSERT_TRUE(library->performChangesAndWait(
        [&] { PHAssetChangeRequest::changeRequestForAsset(*asset)->setContentEditingOutput(output); }, nullptr));
    settle();
    auto [image, data] = beginEditing(0);
    EXPECT_TRUE(image);
    EXPECT_FALSE(data);
}

TEST_F(PhotoEditingTest, EachChangeCompletesOnceWithItsOwnResult) {
    import({plainPhoto("a.jpg", {10, 200, 10})});
    makeBrowser();
    // A capture with its edit, and one without.
    EXPECT_TRUE(awaitSaved([&](auto done) {
        browser->saveNewAssetWithImage(Render({200, 0, 0}), Render({0, 200, 0}), "captured", {}, done);
    }));
    auto captured = record(assetShown(0)->localIdentifier());
    ASSERT_TRUE(captured && captured->edit);
    EXPECT_EQ(std::string(captured->edit->data.begin(), captured->edit->data.end()), "captured");
    EXPECT_TRUE(awaitSaved([&](auto done) { browser->saveNewAssetWithImage(Render({0, 0, 200}), {}, done); }));
    EXPECT_FALSE(record(assetShown(0)->localIdentifier())->edit);
    EXPECT_EQ(browser->numberOfAssets(), 3u);

    // A creation the library refuses every time answers NO once and adds nothing.
    EXPECT_FALSE(awaitSaved([&](auto done) {
        browser->saveNewAssetWithImage(Render({1, 1, 1}), (root / "files" / "missing.jpg").string(), "x", {}, done);
    }));
    // An original that cannot be written answers NO without asking the library.
    const auto seen = browser->takenInChanges();
    EXPECT_FALSE(awaitSaved([&](auto done) { browser->saveNewAssetWithImage(nullptr, {}, done); }));
    EXPECT_EQ(browser->takenInChanges(), seen);
    EXPECT_EQ(browser->numberOfAssets(), 3u);

    // Two changes in a row keep their own completions.
    Answers<bool, NSErrorPtr> first, second;
    browser->saveNewAssetWithImage(Render({9, 9, 9}), {}, first.block());
    browser->saveNewAssetWithImage(Render({99, 99, 99}), {}, second.block());
    ASSERT_TRUE(pump([&] { return first.count && second.count; }));
    settle();
    EXPECT_EQ(first.count, 1);
    EXPECT_EQ(second.count, 1);
    EXPECT_TRUE(std::get<0>(first.last) && std::get<0>(second.last));
    EXPECT_EQ(browser->numberOfAssets(), 5u);
    EXPECT_EQ(browser->pendingAssetChanges(), 0u);
}

// A photo just taken is handed over at once: its original is encoded on the library's queue,
// in the order the photos came, not in the call.
TEST_F(PhotoEditingTest, ACapturesOriginalIsWrittenOnTheLibrarysQueueInTurn) {
    import({plainPhoto("a.jpg", {10, 200, 10})});
    makeBrowser();
    const fs::path temporary = root / "TMPDIR" / ("tavorin-" + std::to_string(::getuid()));
    auto written = [&] { return fs::exists(temporary) && !fs::is_empty(temporary); };
    std::promise<void> open;
    dispatch_async(library->queue(), [gate = open.get_future().share()] { gate.wait(); });
    Answers<bool, NSErrorPtr> first, second;
    browser->saveNewAssetWithImage(Render({200, 0, 0}), Render({0, 200, 0}), "first", {}, first.block());
    browser->saveNewAssetWithImage(Render({0, 0, 200}), Render({0, 0, 100}), "second", {}, second.block());
    EXPECT_FALSE(written()) << "nothing was encoded in the calls";
    open.set_value();
    ASSERT_TRUE(pump([&] { return first.count && second.count; }));
    settle();
    EXPECT_TRUE(std::get<0>(first.last) && std::get<0>(second.last));
    ASSERT_EQ(browser->numberOfAssets(), 3u);
    auto newest = record(assetShown(0)->localIdentifier());
    ASSERT_TRUE(newest && newest->edit);
    EXPECT_EQ(std::string(newest->edit->data.begin(), newest->edit->data.end()), "second")
        << "the later photo is newest";
    EXPECT_FALSE(written()) << "temporary files are removed";
}

TEST_F(PhotoEditingTest, APhotoArrivingDuringAnEditLeavesTheEditOnItsPhoto) {
    import({plainPhoto("a.jpg", {10, 200, 10}), plainPhoto("b.jpg", {10, 10, 200})});
    makeBrowser();
    const std::string edited = assetShown(1)->localIdentifier();
    browser->updateSelectedIndexPath(Item(1));
    beginEditing(1);
    // Another photo lands on top of the smart album: every position moves down by one.
    import({plainPhoto("c.jpg", {200, 10, 10})});
    library->pollForChanges();
    ASSERT_TRUE(pump([&] { return browser->numberOfAssets() == 3; }));
    settle();
    EXPECT_EQ(browser->lastSelectedIndex(), 2) << "the selection follows its photo";
    EXPECT_EQ(finish(1, Render({77, 77, 77}), "state", false), std::make_tuple(true, true));
    EXPECT_TRUE(record(edited)->edit);
    for (long i : {0L, 1L}) EXPECT_FALSE(record(assetShown(i)->localIdentifier())->edit) << i;
}

TEST_F(PhotoEditingTest, ACancelBeforeTheInputArrivesLeavesNoEditOpen) {
    import({plainPhoto("a.jpg", {10, 200, 10})});
    makeBrowser();
    library->setRemoteAsset(assetShown(0)->localIdentifier(), {0.25, 0.5, 0.75, 1.0});
    Answers<UIImagePtr, std::optional<std::string>> answers;
    browser->beginEditingAssetAtIndexPath(Item(0), answers.block());
    browser->cancelEditingForAssetIndexPath(Item(0));
    ASSERT_TRUE(pump([&] { return answers.count > 0; }));
    settle();
    EXPECT_EQ(answers.count, 1);
    EXPECT_FALSE(std::get<0>(answers.last));
    EXPECT_FALSE(std::get<1>(answers.last));
    EXPECT_FALSE(browser->editingAsset());
    EXPECT_FALSE(browser->progressView()) << "the large ring is gone";
    EXPECT_FALSE(UIApplication::sharedApplication().isIgnoringInteractionEvents());
}

TEST_F(PhotoEditingTest, ADownloadedInputLeavesNoRingUp) {
    import({plainPhoto("a.jpg", {10, 200, 10})});
    makeBrowser();
    library->setRemoteAsset(assetShown(0)->localIdentifier(), {0.25, 0.5, 1.0});
    auto [image, data] = beginEditing(0);
    EXPECT_TRUE(image);
    settle();
    EXPECT_FALSE(browser->progressView());
    EXPECT_FALSE(UIApplication::sharedApplication().isIgnoringInteractionEvents());
    // A show for a request that has ended is dropped.
    browser->setProgressViewShowing(true, 0.5, 12345);
    settle();
    EXPECT_FALSE(browser->progressView());
}

TEST_F(PhotoEditingTest, TheRectangleGivesTheUpperLeftQuarterInEveryOrientation) {
    // Upright: a 60 x 40 picture with four coloured quarters.
    auto upright = *platform::ImageBitmap::make(60, 40);
    const RGB quarters[4] = {{250, 0, 0}, {0, 250, 0}, {0, 0, 250}, {250, 250, 0}};
    for (std::uint32_t y = 0; y < 40; ++y)
        for (std::uint32_t x = 0; x < 60; ++x) {
            const RGB c = quarters[(y >= 20 ? 2 : 0) + (x >= 30 ? 1 : 0)];
            auto* p = upright.pixel(x, y);
            p[0] = c.r, p[1] = c.g, p[2] = c.b, p[3] = 255;
        }
    // The stored pixels of each orientation are the upright ones turned back.
    const int inverse[9] = {0, 1, 2, 3, 4, 5, 8, 7, 6};
    for (int orientation = 1; orientation <= 8; ++orientation) {
        for (auto type : {platform::ImageFileType::PNG, platform::ImageFileType::TIFF}) {
            auto stored = *platform::ApplyEXIFOrientation(upright, inverse[orientation]);
            const std::string name = "o" + std::to_string(orientation) + platform::ImageFileTypeExtension(type);
            const std::string path = writePhoto(name, stored, orientation, type);
            auto quarter = PhotoCollectionView::fullSizeBitmap(path, orientation, CGRectMake(0, 0, 0.5, 0.5), 5500);
            ASSERT_TRUE(quarter) << name;
            // The size a crop is measured against, read from the header: the upright one.
            EXPECT_EQ(PhotoCollectionView::fullSizeImageSize(path, orientation, 5500), CGSizeMake(60, 40)) << name;
            EXPECT_EQ(quarter->width, 30u) << name;
            EXPECT_EQ(quarter->height, 20u) << name;
            ExpectNear(MeanColour(*quarter, 0, 0, 30, 20), quarters[0], name, 2);
        }
    }
}

TEST_F(PhotoEditingTest, TheFullSizeReadScalesOnlyBeyondTheAreaAndCropsToWholePixels) {
    const struct {
        CGSize size;
        CGSize scaled;
    } scales[] = {{{8000, 6000}, {5500, 4125}}, {{6000, 4000}, {6000, 4000}}, {{4000, 8000}, {2750, 5500}}};
    for (const auto& c : scales)
        EXPECT_EQ(PhotoCollectionView::fullSizeScaledSize(c.size, 5500), c.scaled)
            << c.size.width << "x" << c.size.height;

    const struct {
        CGRect relative;
        CGRect pixels;
    } crops[] = {{CGRectZero, {{0, 0}, {101, 51}}},
                 {{{0, 0}, {0.5, 0.5}}, {{0, 0}, {51, 26}}},
                 {{{0.25, 0.1}, {0.5, 0.5}}, {{25, 5}, {51, 26}}},
                 {{{0.9, 0.9}, {0.5, 0.5}}, {{91, 46}, {10, 5}}},
                 {{{-0.2, 0}, {0.4, 1}}, {{0, 0}, {20, 51}}},
                 {{{0.5, 0.5}, {0, 0.2}}, CGRectZero}};
    for (const auto& c : crops)
        EXPECT_EQ(PhotoCollectionView::fullSizeCropRect(c.relative, {101, 51}), c.pixels)
            << c.relative.origin.x << "," << c.relative.origin.y;

    // Through the edit input of a real photograph: upright, scaled, cropped.
    import({kPhotograph});
    makeBrowser();
    beginEditing(0);
    auto whole = browser->imageDataForEditingAssetAtIndexPath(Item(0));
    auto half = browser->imageDataForEditingAssetAtIndexPath(Item(0), CGRectMake(0, 0, 0.5, 0.5));
    ASSERT_TRUE(whole && half);
    const CGSize expected =
        PhotoCollectionView::fullSizeScaledSize(CGSizeMake(assetShown(0)->pixelWidth(), assetShown(0)->pixelHeight()),
                                                AppConstants::maximumHighResolutionImageSize());
    EXPECT_EQ(whole->uiImage()->size(), expected);
    EXPECT_EQ(half->uiImage()->size(), CGSizeMake(std::ceil(expected.width / 2), std::ceil(expected.height / 2)));
}

TEST_F(PhotoEditingTest, ACropKeepsItsShapeInWholePixels) {
    // Photos as cameras and wallpapers make them, landscape and portrait, and rectangles of the
    // crop screen's ratios at places that fall between pixels: the shorter side is within half
    // a pixel of what the longer one and the ratio ask, and a square is square.
    const CGSize sizes[] = {{4000, 3000}, {3088, 2056}, {2056, 3088}, {5312, 2988}, {1365, 1074}};
    const double offsets[] = {0, 0.0123457, 0.31831, 0.5};
    const double sides[] = {1, 0.7071, 0.35355, 0.1234};
    for (const CGSize size : sizes)
        for (const double ratio :
             {1.0, 1.5, 0.6666666865348816, 1.7777777910232544, 0.5625, 0.7142857313156128, size.width / size.height})
            for (const double offset : offsets)
                for (const double side : sides) {
                    // The largest rectangle of the ratio that fits, scaled by `side`, moved in by
                    // `offset` of the room left.
                    const double w = std::min(size.width, size.height * ratio) * side, h = w / ratio;
                    const CGRect relative{
                        {offset * (size.width - w) / size.width, offset * (size.height - h) / size.height},
                        {w / size.width, h / size.height}};
                    const CGRect r = PhotoCollectionView::fullSizeCropRect(relative, size);
                    const std::string what = std::to_string(size.width) + "x" + std::to_string(size.height) +
                                             " ratio " + std::to_string(ratio) + " at " + std::to_string(offset) +
                                             " side " + std::to_string(side);
                    if (ratio == 1) {
                        EXPECT_EQ(r.size.width, r.size.height) << what;
                    }
                    if (ratio >= 1) {
                        EXPECT_LE(std::fabs(r.size.width - w), 0.5 + 1e-9) << what;
                        EXPECT_LE(std::fabs(r.size.height - r.size.width / ratio), 0.5) << what;
                    } else {
                        EXPECT_LE(std::fabs(r.size.height - h), 0.5 + 1e-9) << what;
                        EXPECT_LE(std::fabs(r.size.width - r.size.height * ratio), 0.5) << what;
                    }
                    EXPECT_TRUE(r.origin.x >= 0 && r.origin.y >= 0 && CGRectGetMaxX(r) <= size.width &&
                                CGRectGetMaxY(r) <= size.height)
                        << what;
                }
}

TEST_F(PhotoEditingTest, ADeleteIgnoresTouchesUntilTheLibraryAnswers) {
    import({plainPhoto("a.jpg", {10, 200, 10}), plainPhoto("b.jpg", {10, 10, 200})});
    makeBrowser();
    const std::string gone = assetShown(0)->localIdentifier();
    browser->deleteItemAtIndexPath(Item(0));
    EXPECT_TRUE(UIApplication::sharedApplication().isIgnoringInteractionEvents());
    ASSERT_TRUE(pump([&] { return !UIApplication::sharedApplication().isIgnoringInteractionEvents(); }));
    settle();
    EXPECT_EQ(browser->numberOfAssets(), 1u);
    EXPECT_NE(assetShown(0)->localIdentifier(), gone);
    EXPECT_FALSE(browser->assetAtIndexPath(Item(1))) << "out of range is nil";

    // A refused delete also gives the touches back.
    library->setAsker([](const PHPhotoLibrary::Question&, auto answer) { answer(false); });
    browser->deleteItemAtIndexPath(Item(0));
    ASSERT_TRUE(pump([&] { return !UIApplication::sharedApplication().isIgnoringInteractionEvents(); }));
    settle();
    EXPECT_EQ(browser->numberOfAssets(), 1u);
}

TEST_F(PhotoEditingTest, ASaveCompletesOnceWhicheverWayTheBrowserTakesItIn) {
    const struct {
        const char* name;
        std::function<void(PhotoEditingTest&)> before;  // after the edit opened on item 0
        bool revert;
    } cases[] = {
        {"in place", [](PhotoEditingTest&) {}, false},
        {"absorbed as a download's change",
         [](PhotoEditingTest& t) {
             t.browser->cloudReloadReceivedProgress(0.5);
             t.browser->cloudReloadReceivedProgress(1.0);
             t.browser->cloudReloadReceivedEmptyChange();
             t.browser->cloudReloadReceivedProgress(1.0);
         },
         false},
        {"outside the shown album",
         [](PhotoEditingTest& t) { t.browser->setPhotoCollectionAssetsGroup(t.album("Trip")); }, false},
        {"a revert that changes nothing", [](PhotoEditingTest&) {}, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        TearDown();
        SetUp();
        import({plainPhoto("a.jpg", {10, 200, 10})});
        import({plainPhoto("b.jpg", {10, 10, 200})}, "Trip");
        makeBrowser();
        const std::string edited = assetShown(1)->localIdentifier();  // a, not in the album
        beginEditing(1);
        c.before(*this);
        if (c.revert) {
            EXPECT_TRUE(awaitSaved([&](auto done) { browser->revertEditingForAssetIndexPath(Item(1), done); }));
        } else {
            EXPECT_EQ(finish(1, Render({90, 90, 90}), "state", false), std::make_tuple(true, true));
            EXPECT_TRUE(record(edited)->edit);
        }
        EXPECT_EQ(browser->pendingAssetChanges(), 0u);
    }
}
