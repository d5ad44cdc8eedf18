// Handing a file to another program: the configured openers (decoded strictly, a corrupt file
// set aside), the desktop's handlers through GIO, the "Open In" menu's delegate calls, and the
// real launch of a stand-in program whose arguments arrive exactly as written, and an opener
// that cannot start or fails, said in an alert.
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <thread>

#include "platform/mobilecoreservices/UTType.h"
#include "platform/uikit/UIApplication.h"
#include "platform/uikit/UIDocumentInteractionController.h"
#include "support/OpenerFixture.h"

namespace {

namespace fs = std::filesystem;

class MenuLog : public UIDocumentInteractionControllerDelegate {
public:
    void documentInteractionControllerWillBeginSendingToApplication(UIDocumentInteractionController&,
                                                                    const std::string& application) override {
        calls.push_back("begin " + application);
    }
    void documentInteractionControllerDidDismissOpenInMenu(UIDocumentInteractionController&) override {
        calls.push_back("dismiss");
    }
    std::vector<std::string> calls;
};

class DocumentInteractionTest : public OpenerFixture {
protected:
    fs::path writeFile(const std::string& name) {
        const fs::path path = root / "tmp" / name;
        std::ofstream(path, std::ios::binary) << "the bytes of " << name;
        return path;
    }
    std::shared_ptr<UIDocumentInteractionController> controllerFor(const fs::path& path) {
        auto controller = UIDocumentInteractionController::interactionControllerWithURL(NSURL::fileURLWithPath(path));
        controller->setDelegate(log);
        return controller;
    }
    std::shared_ptr<MenuLog> log = std::make_shared<MenuLog>();
};

TEST_F(DocumentInteractionTest, ConfiguredOpenersAreDecodedStrictlyAndACorruptFileIsSetAside) {
    const char* corrupt[] = {
        "not json",
        "[]",
        R"({"openers": {}})",
        R"({"openers": [], "more": 1})",
        R"({"openers": [{"id": "a", "name": "A", "types": ["public.jpeg"]}]})",
        R"({"openers": [{"id": "a", "name": "A", "types": ["public.jpeg"], "exec": []}]})",
        R"({"openers": [{"id": "a", "name": "", "types": ["public.jpeg"], "exec": ["x"]}]})",
        R"({"openers": [{"id": "a", "name": "A", "types": "public.jpeg", "exec": ["x"]}]})",
        R"({"openers": [{"id": "a", "name": "A", "types": ["public.jpeg"], "exec": ["x", 2]}]})",
        R"({"openers": [{"id": "a", "name": "A", "types": ["public.jpeg"], "exec": ["x"], "shell": true}]})",
    };
    for (const char* text : corrupt) {
        writeOpeners(text);
        const auto file = UIDocumentOpeners::configuredOpeners();
        EXPECT_TRUE(file.openers.empty()) << text;
        ASSERT_TRUE(file.problem) << text;
        ASSERT_TRUE(file.setAsidePath) << text;
        EXPECT_FALSE(fs::exists(openersFile())) << text;
        std::ifstream aside(*file.setAsidePath);
        EXPECT_EQ(std::string(std::istreambuf_iterator<char>(aside), {}), text) << "nothing of the user's is lost";
        fs::remove(*file.setAsidePath);
    }
    registerOpeners({testOpener("viewer", "Viewer", {"public.jpeg"}), testOpener("any", "Any", {"public.image"})});
    const auto file = UIDocumentOpeners::configuredOpeners();
    EXPECT_FALSE(file.problem);
    ASSERT_EQ(file.openers.size(), 2u);
    EXPECT_EQ(file.openers[0].identifier, "viewer");
    EXPECT_EQ(file.openers[1].name, "Any");
    EXPECT_TRUE(fs::exists(openersFile()));
}

TEST_F(DocumentInteractionTest, OpenersTakeTheTypesTheyNameAndTheirKinds) {
    registerOpeners({testOpener("viewer", "Viewer", {"public.jpeg"}), testOpener("any", "Any", {"public.image"}),
                     testOpener("gram", "Gram", {kUTTypeInstagramExclusive})});
    struct Case {
        const char* type;
        const char* file;
        std::vector<std::string> names;
    } cases[] = {
        {"public.image", "Tavorin.jpg", {"Viewer", "Any"}},
        {"public.png", "Tavorin.png", {"Any"}},
        {"com.instagram.exclusivegram", "Tavorin.igo", {"Gram"}},
        {"public.plain-text", "notes.txt", {}},
    };
    for (const auto& c : cases) {
        std::vector<std::string> names;
        for (const auto& opener : UIDocumentOpeners::openersForDocument(c.type, (root / c.file).string()))
            names.push_back(opener.name);
        EXPECT_EQ(names, c.names) << c.type;
    }
}

TEST_F(DocumentInteractionTest, ChoosingAnOpenerLaunchesItWithItsArgumentsIntact) {
    const std::string tricky = "a b; $(touch pwned) `touch pwned` 'q' \"z\" | & > out *";
    registerOpeners({testOpener("viewer", "Viewer", {"public.jpeg"}, {tricky, "%{Caption}", "100%%", "%{missing}"})});
    const fs::path file = writeFile("Tavorin.jpg");
    auto controller = controllerFor(file);
    controller->setAnnotation({{"Caption", "Created with #TavorinApp & $HOME"}});
    ASSERT_TRUE(controller->presentOpenInMenuFromRect(CGRectZero, nullptr, true));
    EXPECT_EQ(shownTitles(), (std::vector<std::string>{"Viewer", "Cancel"}));
    choose("Viewer");
    EXPECT_EQ(log->calls, (std::vector<std::string>{"begin viewer", "dismiss"}));
    EXPECT_EQ(UIAlertPresentation::shown(), nullptr);
    const auto record = waitForRecord();
    ASSERT_TRUE(record);
    EXPECT_EQ(record->arguments,
              (std::vector<std::string>{file.string(), tricky, "Created with #TavorinApp & $HOME", "100%", ""}));
    EXPECT_EQ(record->file, "the bytes of Tavorin.jpg");
    EXPECT_FALSE(fs::exists(root / "record" / "pwned"));
    EXPECT_FALSE(fs::exists("pwned"));
}

TEST_F(DocumentInteractionTest, AnOpenerThatCannotStartOrFailsSaysWhyInAnAlert) {
    const std::string missing = (root / "no-such-viewer").string();
    registerOpeners({{{"id", "gone"}, {"name", "Gone"}, {"types", {"public.jpeg"}}, {"exec", {missing, "%f"}}},
                     {{"id", "failing"},
                      {"name", "Failing"},
                      {"types", {"public.jpeg"}},
                      {"exec", {"/bin/sh", "-c", "exit 2", "sh", "%f"}}}});
    struct Case {
        std::string opener, said;
    } cases[] = {
        {"Gone", missing + " could not be started: No such file or directory"},
        {"Failing", "/bin/sh ended with status 2"},
    };
    for (const auto& c : cases) {
        auto controller = controllerFor(writeFile("Tavorin.jpg"));
        ASSERT_TRUE(controller->presentOpenInMenuFromRect(CGRectZero, nullptr, true));
        choose(c.opener);
        // The program runs beside the test; the bound only keeps a broken run from hanging.
        for (int i = 0; i < 2000 && !UIAlertPresentation::shown(); ++i) {
            ui->advance(0.01);
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
        UIAlertPresentation* shown = UIAlertPresentation::shown();
        ASSERT_NE(shown, nullptr) << c.opener << ": the failure is said";
        EXPECT_EQ(shown->title, "Cannot Open In " + c.opener);
        EXPECT_EQ(shown->message, c.said);
        choose("OK");
    }
}

TEST_F(DocumentInteractionTest, DismissingTheMenuOnlySaysSo) {
    registerOpeners({testOpener("viewer", "Viewer", {"public.jpeg"})});
    for (const char* how : {"Cancel", "Escape"}) {
        log->calls.clear();
        auto controller = controllerFor(writeFile("Tavorin.jpg"));
        ASSERT_TRUE(controller->presentOpenInMenuFromRect(CGRectZero, nullptr, true));
        if (std::string(how) == "Cancel") choose("Cancel");
        else ui->key("Escape");
        loop.runUntilIdle();
        EXPECT_EQ(log->calls, std::vector<std::string>{"dismiss"}) << how;
        EXPECT_EQ(UIAlertPresentation::shown(), nullptr) << how;
    }
    EXPECT_FALSE(launched());
}

TEST_F(DocumentInteractionTest, NoOpenerForTheTypeShowsNoMenu) {
    auto controller = controllerFor(writeFile("Tavorin.jpg"));
    EXPECT_FALSE(controller->presentOpenInMenuFromRect(CGRectZero, nullptr, true));
    registerOpeners({testOpener("png", "PNG only", {"public.png"})});
    EXPECT_FALSE(controller->presentOpenInMenuFromRect(CGRectZero, nullptr, true));
    EXPECT_EQ(UIAlertPresentation::shown(), nullptr);
    EXPECT_TRUE(log->calls.empty());
}

TEST_F(DocumentInteractionTest, TheInstagramProgramIsThereWhenAnOpenerTakesItsType) {
    auto& application = UIApplication::sharedApplication();
    EXPECT_FALSE(application.canOpenURL("instagram://app"));
    registerOpeners({testOpener("viewer", "Viewer", {"public.image"})});
    EXPECT_FALSE(application.canOpenURL("instagram://app"));
    registerOpeners({testOpener("gram", "Gram", {kUTTypeInstagramExclusive})});
    EXPECT_TRUE(application.canOpenURL("instagram://app"));
    EXPECT_FALSE(application.openURL("instagram://app")) << "only asked about, never opened";
}

TEST_F(DocumentInteractionTest, ADesktopEntryForJpegIsOfferedThroughGioAndLaunched) {
    setEnv("TAVORIN_DESKTOP_OPENERS", "1");
    fs::create_directories(root / "data" / "applications");
    std::ofstream(root / "data" / "applications" / "tavorin-test-viewer.desktop")
        << "[Desktop Entry]\nType=Application\nName=Tavorin Test Viewer\n"
        << "Exec=" << program.string() << " " << (root / "record").string() << " %f\n"
        << "MimeType=image/jpeg;\n";
    // GIO finds handlers through the folder's MIME index, as the desktop's tools write it.
    std::ofstream(root / "data" / "applications" / "mimeinfo.cache")
        << "[MIME Cache]\nimage/jpeg=tavorin-test-viewer.desktop;\n";
    const fs::path file = writeFile("Tavorin.jpg");
    bool offered = false;
    for (const auto& opener : UIDocumentOpeners::openersForDocument(kUTTypeImage, file.string()))
        offered =
            offered || (opener.identifier == "tavorin-test-viewer.desktop" && opener.name == "Tavorin Test Viewer");
    ASSERT_TRUE(offered);
    auto controller = controllerFor(file);
    controller->setUTI(kUTTypeImage);
    ASSERT_TRUE(controller->presentOpenInMenuFromRect(CGRectZero, nullptr, true));
    choose("Tavorin Test Viewer");
    EXPECT_EQ(log->calls, (std::vector<std::string>{"begin tavorin-test-viewer.desktop", "dismiss"}));
    const auto record = waitForRecord();
    ASSERT_TRUE(record);
    ASSERT_EQ(record->arguments.size(), 1u);
    EXPECT_EQ(fs::path(record->arguments[0]).filename(), "Tavorin.jpg");
    EXPECT_EQ(record->file, "the bytes of Tavorin.jpg");
}

}  // namespace
