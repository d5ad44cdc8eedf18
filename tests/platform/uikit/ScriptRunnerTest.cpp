// Scripts of input run headless on the manual clock: a tap reaches a button whose new look
// the script's screenshot shows; lines it cannot run stop the script with their number.
#include <gtest/gtest.h>

#include <filesystem>
#include <sstream>

#include "platform/imageio/ImageIO.h"
#include "platform/uikit/UIScriptRunner.h"
#include "support/TouchHarness.h"

namespace {

class ScriptRunnerTest : public ::testing::Test {
protected:
    void SetUp() override {
        folder = std::filesystem::temp_directory_path() / ("tavorin-script-" + std::to_string(::getpid()));
        std::filesystem::create_directories(folder);
        button = addButton(*ui.window, CGRectMake(100, 500, 100, 60));
        button->setBackgroundColor(UIColor::colorWithRed(1, 0, 0, 1));
        button->addTarget(
            this,
            [this](UIControl& sender, const UIEvent*) {
                ++taps;
                sender.setBackgroundColor(UIColor::colorWithRed(0, 1, 0, 1));
            },
            UIControlEventTouchUpInside);
    }
    void TearDown() override { std::filesystem::remove_all(folder); }
    bool run(const std::string& script, std::string* error = nullptr) {
        std::istringstream in(script);
        return UIScriptRunner(*ui.driver, folder.string()).run(in, error);
    }

    TouchHarness ui;
    std::filesystem::path folder;
    std::shared_ptr<UIButton> button;
    int taps = 0;
};

}  // namespace

TEST_F(ScriptRunnerTest, AScriptTapsAButtonAndWritesItsScreenshot) {
    std::string error;
    ASSERT_TRUE(
        run("# the button\n\nshot before.png\ntap 150 530\nwait 0.5\n  drag 10 10 20 20 0.1\nkey Ctrl+Up\n"
            "shot after.png\n",
            &error))
        << error;
    EXPECT_EQ(taps, 1);
    EXPECT_DOUBLE_EQ(ui.driver->now(), 0.05 + 0.5 + 0.1);
    for (auto [name, expected] :
         {std::pair{"before.png", CGColor{1, 0, 0, 1}}, std::pair{"after.png", CGColor{0, 1, 0, 1}}}) {
        auto decoded = platform::DecodeImageFile((folder / name).string());
        ASSERT_TRUE(decoded) << name;
        const std::uint8_t* p = decoded->bitmap.pixel(300, 1060);  // (150, 530) points
        expectColor({p[0] / 255.0, p[1] / 255.0, p[2] / 255.0, p[3] / 255.0}, expected, name);
    }
}

TEST_F(ScriptRunnerTest, ALineItCannotRunStopsTheScriptWithItsNumber) {
    struct Case {
        const char* line;
        const char* message;
    };
    const Case cases[] = {
        {"tap 150", "line 2: tap takes x and y"},
        {"tap 150 530 1", "line 2: tap takes x and y"},
        {"tap 150 nan", "line 2: tap takes x and y"},
        {"tap 150 5x", "line 2: tap takes x and y"},
        {"drag 1 2 3 4 -1", "line 2: drag takes x1 y1 x2 y2 and the seconds (not negative)"},
        {"wait -0.5", "line 2: wait takes the seconds (not negative)"},
        {"key Hyper", "line 2: no key is named Hyper"},
        {"key", "line 2: key takes one key name"},
        {"shot ../out.png", "line 2: a screenshot is a plain file name ending in .png: ../out.png"},
        {"shot out.jpg", "line 2: a screenshot is a plain file name ending in .png: out.jpg"},
        {"jump 3", "line 2: unknown command jump"},
    };
    for (const Case& c : cases) {
        std::string error;
        EXPECT_FALSE(run(std::string("wait 1\n") + c.line + "\ntap 150 530\n", &error)) << c.line;
        EXPECT_EQ(error, c.message);
    }
    EXPECT_EQ(taps, 0) << "nothing after a bad line runs";
    EXPECT_DOUBLE_EQ(ui.driver->now(), std::size(cases)) << "everything before it does";

    std::string error;
    std::filesystem::remove_all(folder);
    EXPECT_FALSE(run("shot gone.png\n", &error));
    EXPECT_TRUE(error.starts_with("line 1: ")) << error;
    EXPECT_FALSE(UIScriptRunner(*ui.driver, ".").runFile((folder / "none.txt").string(), &error));
    EXPECT_EQ(error, "cannot read the script " + (folder / "none.txt").string());
}
