// The share sheet of a photo and its "Open In" and "Instagram" activities, run on the real
// toolkit with a real stand-in program as the other application; the platform's "Save to
// Pictures" that fails says why.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "library/metadata/UIImage+ImageMetadataUtility.h"
#include "library/sharing/InstagramActivity.h"
#include "library/sharing/OpenActivity.h"
#include "library/sharing/ShareController.h"
#include "model/AmbrelAppSettings.h"
#include "platform/imageio/ImageIO.h"
#include "platform/mobilecoreservices/UTType.h"
#include "platform/foundation/NSLocalizedString.h"
#include "platform/uikit/UIActivityViewController.h"
#include "platform/uikit/UIAlertPresentation.h"
#include "platform/uikit/UIBarButtonItem.h"
#include "platform/uikit/UINavigationBar.h"
#include "platform/uikit/UINavigationController.h"
#include "support/CameraPhoto.h"
#include "support/OpenerFixture.h"

namespace {

namespace fs = std::filesystem;
using namespace ImageMetadataUtility;

UIImagePtr SolidImage(int width, int height, std::array<std::uint8_t, 3> rgb,
                      UIImageOrientation orientation = UIImageOrientation::Up) {
    std::vector<std::uint8_t> pixels(static_cast<std::size_t>(width) * height * 4, 255);
    for (std::size_t i = 0; i < pixels.size(); i += 4) std::copy(rgb.begin(), rgb.end(), pixels.begin() + i);
    return UIImage::imageWithCGImage(CGImageCreate(width, height, 8, 32, width * 4, CGColorSpaceCreateDeviceRGB(),
                                                   kCGImageAlphaNoneSkipLast, pixels),
                                     1, orientation);
}

// A crop screen that answers when the test says, with a blue square as its crop.
class AnsweringCropScreen : public UIViewController, public SquareCropScreen {
public:
    std::shared_ptr<UIViewController> viewController() override { return shared_from_this(); }
    void setConstrainWidth(bool v) override { flags.push_back("width " + std::to_string(v)); }
    void setConstrainHeight(bool v) override { flags.push_back("height " + std::to_string(v)); }
    void setShowGrid(bool v) override { flags.push_back("grid " + std::to_string(v)); }
    void setCropToSquare(bool v) override { flags.push_back("square " + std::to_string(v)); }
    void setCompletionBlock(std::function<void(bool)> completion) override { completion_ = std::move(completion); }
    void setImage(const UIImagePtr& image) override { this->image = image; }
    UIImagePtr croppedImage() override { return image ? SolidImage(20, 20, {0, 0, 255}) : nullptr; }
    void clearImage() override { image = nullptr; }
    void answer(bool done) {
        if (completion_) completion_(done);
    }

    std::vector<std::string> flags;
    UIImagePtr image;

private:
    std::function<void(bool)> completion_;
};

class ShareControllerTest : public OpenerFixture {
protected:
    void SetUp() override {
        OpenerFixture::SetUp();
        AmbrelAppSettings::sharedInstance().setSaveType(SaveTypeJPEG);
    }
    void TearDown() override {
        InstagramActivity::setSquareCropFactory(nullptr);
        ShareActivity::setTitleTextAttributesProvider(nullptr);
        OpenerFixture::TearDown();
        AmbrelAppSettings::sharedInstance().setSaveType(SaveTypeJPEG);
    }

    // The sheet for the photo, presented from the root controller, its completions logged.
    std::shared_ptr<UIActivityViewController> presentSheet(const UIImagePtr& image, const Metadata& metadata = {}) {
        auto sheet = ShareController::activityViewControllerWithImage(image, metadata);
        if (!sheet) return nullptr;
        // The sheet's own handler (the error alert) still runs.
        sheet->setCompletionHandler(
            [this, own = sheet->completionHandler()](const std::string& type, bool completed, const NSErrorPtr& error) {
                if (own) own(type, completed, error);
                completions.push_back(type + (completed ? " yes" : " no"));
            });
        rootController->presentViewController(sheet, true);
        return sheet;
    }
    std::shared_ptr<AnsweringCropScreen> injectCropScreen() {
        auto screen = std::make_shared<AnsweringCropScreen>();
        InstagramActivity::setSquareCropFactory([screen] { return screen; });
        return screen;
    }
    fs::path privateFolder() const { return root / "tmp" / ("tavorin-" + std::to_string(::getuid())); }
    void registerInstagramAndViewer() {
        registerOpeners({testOpener("viewer", "Viewer", {kUTTypeJPEG}),
                         testOpener("gram", "Gram", {kUTTypeInstagramExclusive}, {"%{InstagramCaption}"})});
    }

    UIImagePtr photo = SolidImage(48, 32, {230, 20, 20}, UIImageOrientation::Right);
    std::vector<std::string> completions;
};

TEST_F(ShareControllerTest, ANullImageBuildsNoSheet) {
    EXPECT_EQ(ShareController::activityViewControllerWithImage(nullptr, {}), nullptr);
    ShareController::presentShareController(*rootController, UIImagePtr(), {});
    ShareController::presentShareController(*rootController, rootController->view(), UIImagePtr(), {});
    EXPECT_EQ(UIAlertPresentation::shown(), nullptr);
    EXPECT_EQ(rootController->presentedViewController(), nullptr);
}

TEST_F(ShareControllerTest, TheSheetCarriesTheTagTextTheAddressAndThePhotoInTheSaveType) {
    EXPECT_EQ(ShareController::defaultShareString(), "Created with Tavorin");
    EXPECT_EQ(ShareController::defaultTagShareString(), "Created with #TavorinApp");
    EXPECT_EQ(ShareController::defaultHTMLShareString(),
              "Created with <a href=\"" + ShareController::storePageAddress() + "\">Tavorin</a>");
    EXPECT_EQ(ShareController::storePageAddress().rfind("https://", 0), 0u);
    struct Case {
        SaveType type;
        const char* file;
    } cases[] = {{SaveTypeJPEG, "Tavorin.jpg"}, {SaveTypePNG, "Tavorin.png"}, {SaveTypeTIFF, "Tavorin.tiff"}};
    for (const auto& c : cases) {
        AmbrelAppSettings::sharedInstance().setSaveType(c.type);
        const auto sheet = ShareController::activityViewControllerWithImage(photo, {});
        ASSERT_TRUE(sheet);
        const auto& items = sheet->activityItems();
        ASSERT_EQ(items.size(), 3u);
        EXPECT_EQ(std::get<std::string>(items[0]), ShareController::defaultTagShareString());
        EXPECT_EQ(std::get<NSURL>(items[1]), NSURL::URLWithString(ShareController::storePageAddress()));
        const NSURL file = std::get<NSURL>(items[2]);
        EXPECT_EQ(file.path(), (privateFolder() / c.file).string());
        Metadata written = platform::ImageSource::createWithFile(file.path())->propertiesAtIndex(0);
        EXPECT_TRUE(hasKeyword(written, "Tavorin")) << c.file;
        EXPECT_TRUE(hasSoftwareMetadata(written, "Tavorin")) << c.file;
        EXPECT_EQ(imageOrientation(written), static_cast<int>(UIImageOrientation::Right)) << c.file;
    }
    const auto sheet = ShareController::activityViewControllerWithImage(photo, {});
    ASSERT_EQ(sheet->applicationActivities().size(), 2u);
    EXPECT_EQ(sheet->applicationActivities()[0]->activityTitle(), "Instagram");
    EXPECT_EQ(sheet->applicationActivities()[1]->activityTitle(), "Open In");
    EXPECT_EQ(sheet->excludedActivityTypes(),
              (std::vector<std::string>{UIActivityTypeSaveToCameraRoll, UIActivityTypeAssignToContact,
                                        UIActivityTypeAddToReadingList, UIActivityTypePostToWeibo}));
    EXPECT_TRUE(sheet->applicationActivities()[0]->activityImage()) << "drawn among the icons";
    EXPECT_TRUE(sheet->applicationActivities()[1]->activityImage());
}

TEST_F(ShareControllerTest, ActivitiesNeedAnImageAndInstagramItsProgram) {
    auto open = std::make_shared<OpenActivity>();
    auto instagram = std::make_shared<InstagramActivity>();
    struct Case {
        UIActivityItems items;
        bool image;
    } cases[] = {
        {{NSURL::fileURLWithPath("/photos/a.tiff")}, true},
        {{NSURL::fileURLWithPath("/notes/a.txt")}, false},
        {{std::string("text"), NSURL::URLWithString("https://example.org/")}, false},
        {{std::string("text"), photo}, true},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(open->canPerformWithActivityItems(c.items), c.image);
        EXPECT_FALSE(instagram->canPerformWithActivityItems(c.items)) << "no Instagram program";
    }
    registerInstagramAndViewer();
    for (const auto& c : cases) EXPECT_EQ(instagram->canPerformWithActivityItems(c.items), c.image);

    presentSheet(photo);
    EXPECT_EQ(shownTitles(), (std::vector<std::string>{"Instagram", "Open In", "Save to Pictures", "Cancel"}));
    ui->key("Escape");
    loop.runUntilIdle();
    auto sheet = ShareController::activityViewControllerWithImage(photo, {});
    sheet->setExcludedActivityTypes({"com.quorvin.instagram", UIActivityTypeSaveToPictures});
    rootController->presentViewController(sheet, true);
    EXPECT_EQ(shownTitles(), (std::vector<std::string>{"Open In", "Cancel"}));
}

// The shared file is named after the photo's date (local time), so that "Save to Pictures"
// names its copy after the photo; the private folder keeps only the last sheet's file.
TEST_F(ShareControllerTest, TheSharedFileIsNamedAfterThePhotosDateAndOnlyTheLastOneStays) {
    const char* zone = std::getenv("TZ");
    const std::string saved = zone ? zone : "";
    ::setenv("TZ", "UTC", 1);
    ::tzset();
    const struct {
        std::optional<double> date;
        const char* file;
    } cases[] = {{1626255005.0, "2021-07-14 09.30.05.jpg"},
                 {1626255005.9, "2021-07-14 09.30.05.jpg"},
                 {946684800.0, "2000-01-01 00.00.00.jpg"},
                 {std::nullopt, "Tavorin.jpg"}};
    for (const auto& c : cases) {
        const auto sheet = ShareController::activityViewControllerWithImage(photo, {}, c.date);
        ASSERT_TRUE(sheet);
        EXPECT_EQ(std::get<NSURL>(sheet->activityItems()[2]).path(), (privateFolder() / c.file).string());
        std::vector<std::string> kept;
        for (const auto& entry : fs::directory_iterator(privateFolder())) kept.push_back(entry.path().filename());
        EXPECT_EQ(kept, std::vector<std::string>{c.file});
    }
    if (zone) ::setenv("TZ", saved.c_str(), 1);
    else ::unsetenv("TZ");
    ::tzset();
}

// "Save to Pictures" of a camera's photo in every save type: the file in the Pictures folder
// carries the camera's metadata tag for tag (its make, model and capture dates included), but
// for the file's date, the program and the program's keyword.
TEST_F(ShareControllerTest, SaveToPicturesKeepsACameraPhotosMetadata) {
    using namespace camera_photo;
    const Bytes camera = CameraPhoto();
    const FileMetadata source = ReadFileMetadata(camera);
    const Metadata metadata = platform::ImageSource::createWithData(camera)->propertiesAtIndex(0);
    const UIImagePtr image = UIImage::imageWithData(camera);
    ASSERT_TRUE(image);
    const fs::path pictures = root / "Pictures";
    std::ofstream(root / "config" / "user-dirs.dirs") << "XDG_PICTURES_DIR=\"" << pictures.string() << "\"\n";
    for (const auto& [type, file] : {std::pair{SaveTypeJPEG, "Tavorin.jpg"}, std::pair{SaveTypePNG, "Tavorin.png"},
                                     std::pair{SaveTypeTIFF, "Tavorin.tiff"}}) {
        SCOPED_TRACE(file);
        AmbrelAppSettings::sharedInstance().setSaveType(type);
        presentSheet(image, metadata);
        choose("Save to Pictures");
        const FileMetadata result = ReadFileMetadata(ReadBytes(pictures / file));
        // A TIFF states its sizes as LONG, the only type libtiff reads them in.
        std::set<std::string> changed = {"Exif.Image.DateTime", "Exif.Image.Software", "Exif.Image.YCbCrPositioning",
                                         "Iptc.Application2.Keywords#3"};
        if (type == SaveTypeTIFF) changed.insert({"Exif.Photo.PixelXDimension", "Exif.Photo.PixelYDimension"});
        EXPECT_THAT(
            Differences(source, result, changed, type == SaveTypeTIFF ? TIFFOwnTags() : std::set<std::string>{}),
            ::testing::IsEmpty());
        EXPECT_EQ(result.tags.count("Exif.Image.Software") ? result.tags.at("Exif.Image.Software").value : "",
                  ImageMetadataUtility::softwareName());
        EXPECT_EQ(result.xmp, DuplicatedPropertyPacket());
    }
    EXPECT_EQ(completions, std::vector<std::string>(3, UIActivityTypeSaveToPictures + " yes"));
}

TEST_F(ShareControllerTest, OpenInHandsAJpegToTheChosenProgram) {
    AmbrelAppSettings::sharedInstance().setSaveType(SaveTypePNG);
    registerOpeners({testOpener("viewer", "Viewer", {kUTTypeJPEG})});
    auto anchor = UIBarButtonItem::itemWithTitle("Share", UIBarButtonItemStyle::Plain, nullptr);
    ShareActivity::setMenuAnchorProvider([anchor] { return anchor; });
    presentSheet(photo);
    choose("Open In");
    EXPECT_EQ(shownTitles(), (std::vector<std::string>{"Viewer", "Cancel"}));
    EXPECT_TRUE(completions.empty()) << "running until the menu closes";
    choose("Viewer");
    ShareActivity::setMenuAnchorProvider(nullptr);
    EXPECT_EQ(completions, std::vector<std::string>{"com.quorvin.open yes"});
    const auto record = waitForRecord();
    ASSERT_TRUE(record);
    EXPECT_EQ(record->arguments, std::vector<std::string>{(privateFolder() / "Tavorin.jpg").string()});
    const auto decoded = platform::DecodeImageData({record->file.begin(), record->file.end()});
    ASSERT_TRUE(decoded) << "a JPEG whatever the save type";
    EXPECT_EQ(
        platform::ImageFileTypeOfData(reinterpret_cast<const std::uint8_t*>(record->file.data()), record->file.size()),
        platform::ImageFileType::JPEG);
    EXPECT_EQ(decoded->imageOrientation(), static_cast<int>(UIImageOrientation::Right));
    EXPECT_EQ(decoded->bitmap.width, 48u) << "stored as the photo stores it";
}

TEST_F(ShareControllerTest, OpenInNotPerformedWhenTheMenuIsDismissedOrCannotBeShown) {
    registerOpeners({testOpener("viewer", "Viewer", {kUTTypeJPEG})});
    presentSheet(photo);
    choose("Open In");
    choose("Cancel");
    EXPECT_EQ(completions, std::vector<std::string>{"com.quorvin.open no"});
    EXPECT_EQ(UIAlertPresentation::shown(), nullptr);

    // No program takes the file: finished at once, and nothing keeps the activity.
    fs::remove(openersFile());
    completions.clear();
    std::weak_ptr<UIActivity> activity;
    {
        auto sheet = presentSheet(photo);
        activity = sheet->applicationActivities()[1];
        choose("Open In");
    }
    EXPECT_EQ(completions, std::vector<std::string>{"com.quorvin.open no"});
    EXPECT_EQ(UIAlertPresentation::shown(), nullptr);
    EXPECT_TRUE(activity.expired());
    EXPECT_FALSE(launched());
}

TEST_F(ShareControllerTest, InstagramCancelledInTheCropScreenIsNotPerformed) {
    registerInstagramAndViewer();
    auto screen = injectCropScreen();
    presentSheet(photo);
    choose("Instagram");
    advance(0.5);
    auto* navigation = dynamic_cast<UINavigationController*>(rootController->presentedViewController());
    ASSERT_NE(navigation, nullptr);
    ASSERT_FALSE(navigation->viewControllers().empty());
    EXPECT_EQ(navigation->viewControllers().front(), screen);
    EXPECT_EQ(screen->flags, (std::vector<std::string>{"height 1", "width 1", "grid 0", "square 1"}));
    ASSERT_TRUE(screen->image) << "the photo, decoded from the shared file";
    EXPECT_EQ(screen->image->size(), photo->size());
    EXPECT_EQ(screen->view()->frame(), UIScreen::mainScreen().bounds());
    screen->answer(false);
    advance(0.5);
    EXPECT_EQ(completions, std::vector<std::string>{"com.quorvin.instagram no"});
    EXPECT_EQ(screen->image, nullptr) << "the screen lets the photo go";
    EXPECT_EQ(rootController->presentedViewController(), nullptr);
    EXPECT_EQ(UIAlertPresentation::shown(), nullptr);
}

TEST_F(ShareControllerTest, InstagramDoneHandsTheSquareWithItsCaption) {
    registerInstagramAndViewer();
    auto screen = injectCropScreen();
    NSStringAttributes attributes;
    attributes.foregroundColor = UIColor::colorWithRed(0.2, 0.6, 0.4, 1);
    ShareActivity::setTitleTextAttributesProvider([attributes] { return attributes; });
    presentSheet(photo);
    choose("Instagram");
    advance(0.5);
    auto* navigation = dynamic_cast<UINavigationController*>(rootController->presentedViewController());
    ASSERT_NE(navigation, nullptr);
    ASSERT_TRUE(navigation->navigationBar()->titleTextAttributes());
    EXPECT_EQ(navigation->navigationBar()->titleTextAttributes()->foregroundColor, attributes.foregroundColor);
    screen->answer(true);
    EXPECT_EQ(completions, std::vector<std::string>{"com.quorvin.instagram yes"}) << "finished before the menu";
    EXPECT_EQ(shownTitles(), (std::vector<std::string>{"Gram", "Cancel"})) << "only the program that names the type";
    advance(0.5);  // the crop screen leaves first
    choose("Gram");
    advance(0.5);
    EXPECT_EQ(rootController->presentedViewController(), nullptr);
    const auto record = waitForRecord();
    ASSERT_TRUE(record);
    EXPECT_EQ(record->arguments, (std::vector<std::string>{(privateFolder() / "Tavorin.igo").string(),
                                                           ShareController::defaultTagShareString()}));
    const auto decoded = platform::DecodeImageData({record->file.begin(), record->file.end()});
    ASSERT_TRUE(decoded);
    EXPECT_EQ(decoded->bitmap.width, 20u);
    EXPECT_EQ(decoded->bitmap.height, 20u);
    EXPECT_GT(decoded->bitmap.pixel(10, 10)[2], 200) << "the crop screen's square";
    EXPECT_EQ(completions.size(), 1u);
}

TEST_F(ShareControllerTest, InstagramCaptionIsEmptyWithoutTextAndAFailedWriteFinishesOnce) {
    registerInstagramAndViewer();
    for (bool writable : {true, false}) {
        auto screen = injectCropScreen();
        auto activity = std::make_shared<InstagramActivity>();
        std::vector<bool> finished;
        activity->setFinishHandler([&finished](bool completed, const NSErrorPtr&) { finished.push_back(completed); });
        activity->prepareWithActivityItems({photo});
        ASSERT_TRUE(activity->activityViewController());
        fs::remove_all(privateFolder() / "Tavorin.igo");
        ASSERT_TRUE(temporaryDirectory());
        if (!writable) fs::create_directory(privateFolder() / "Tavorin.igo");
        screen->answer(true);
        EXPECT_EQ(finished, std::vector<bool>{writable});
        if (!writable) {
            EXPECT_EQ(UIAlertPresentation::shown(), nullptr) << "no menu without the file";
            continue;
        }
        choose("Gram");
        const auto record = waitForRecord();
        ASSERT_TRUE(record);
        EXPECT_EQ(record->arguments.at(1), "");
    }
}

TEST_F(ShareControllerTest, WithTheShareFileUnwritableBothActivitiesWorkFromTheImage) {
    AmbrelAppSettings::sharedInstance().setSaveType(SaveTypePNG);
    registerInstagramAndViewer();
    ASSERT_TRUE(temporaryDirectory());
    fs::create_directory(privateFolder() / "Tavorin.png");
    auto sheet = presentSheet(photo);
    ASSERT_TRUE(sheet);
    ASSERT_EQ(sheet->activityItems().size(), 3u);
    EXPECT_EQ(std::get<UIImagePtr>(sheet->activityItems()[2]), photo);
    EXPECT_EQ(shownTitles(), (std::vector<std::string>{"Instagram", "Open In", "Cancel"}));

    // Instagram through the default crop screen: the whole photo in a black square.
    choose("Instagram");
    advance(0.5);
    loop.runUntilIdle();
    EXPECT_EQ(completions, std::vector<std::string>{"com.quorvin.instagram yes"});
    advance(0.5);  // the crop screen leaves first
    choose("Gram");
    auto record = waitForRecord();
    ASSERT_TRUE(record);
    auto decoded = platform::DecodeImageData({record->file.begin(), record->file.end()});
    ASSERT_TRUE(decoded);
    EXPECT_EQ(decoded->bitmap.width, 48u);
    EXPECT_EQ(decoded->bitmap.height, 48u);
    EXPECT_EQ(decoded->imageOrientation(), static_cast<int>(UIImageOrientation::Up));
    // Upright the photo is 32 wide and 48 high: black bands left and right.
    EXPECT_LT(decoded->bitmap.pixel(2, 24)[0], 30);
    EXPECT_LT(decoded->bitmap.pixel(45, 24)[0], 30);
    EXPECT_GT(decoded->bitmap.pixel(24, 2)[0], 200);
    EXPECT_GT(decoded->bitmap.pixel(24, 24)[0], 200);
    fs::remove_all(root / "record");
    fs::create_directories(root / "record");

    rootController->presentViewController(sheet, true);
    choose("Open In");
    choose("Viewer");
    record = waitForRecord();
    ASSERT_TRUE(record);
    EXPECT_EQ(fs::path(record->arguments.at(0)).filename(), "Tavorin.jpg");
    EXPECT_EQ(completions.back(), "com.quorvin.open yes");
}

TEST_F(ShareControllerTest, SaveToPicturesThatCannotCopyIsSaidWithItsReason) {
    const fs::path pictures = root / "Pictures";
    std::ofstream(root / "config" / "user-dirs.dirs") << "XDG_PICTURES_DIR=\"" << pictures.string() << "\"\n";
    const auto photo = SolidImage(32, 24, {200, 40, 40});
    // A file where the folder should be.
    std::ofstream(pictures) << "not a folder";
    presentSheet(photo);
    choose("Save to Pictures");
    EXPECT_EQ(completions, std::vector<std::string>{UIActivityTypeSaveToPictures + " no"});
    UIAlertPresentation* alert = UIAlertPresentation::shown();
    ASSERT_NE(alert, nullptr) << "the failure is said";
    EXPECT_EQ(alert->title, "Share Error");
    const std::string said =
        "The photo could not be saved to Pictures." + NSLocalizedString("ErrorDelimiterKey") + pictures.string() + ": ";
    EXPECT_EQ(alert->message.rfind(said, 0), 0u) << alert->message;
    choose("OK");

    fs::remove(pictures);
    presentSheet(photo);
    choose("Save to Pictures");
    EXPECT_EQ(completions.back(), UIActivityTypeSaveToPictures + " yes");
    EXPECT_EQ(UIAlertPresentation::shown(), nullptr);
    EXPECT_TRUE(fs::is_regular_file(pictures / "Tavorin.jpg"));
}

}  // namespace
