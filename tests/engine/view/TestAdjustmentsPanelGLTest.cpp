// The developers' tuning panel over a graphics view on a real device, driven through the real
// toolkit on the manual clock: Save and Load round trips through the pasteboard (also with a
// comma-decimal global locale), the loader's line forms, the name filter with Store and Save,
// Undo, Apply/Replace through the two-field alert, rows following values set elsewhere, and
// no key of the program opening it.
#include <gtest/gtest.h>

#include <cmath>
#include <locale>
#include <sstream>

#include "engine/view/GraphicsView.h"
#include "platform/uikit/UIAlertPresentation.h"
#include "platform/uikit/UIButton.h"
#include "platform/uikit/UIInputDriver.h"
#include "platform/uikit/UILabel.h"
#include "platform/uikit/UIPasteboard.h"
#include "platform/uikit/UIScrollView.h"
#include "platform/uikit/UISlider.h"
#include "platform/uikit/UITextField.h"
#include "support/TouchHarness.h"

namespace {

constexpr const char* kExposure = "CA Exposure";

struct CommaDecimal : std::numpunct<char> {
    char do_decimal_point() const override { return ','; }
    char do_thousands_sep() const override { return '.'; }
    std::string do_grouping() const override { return "\3"; }
};

class TestAdjustmentsPanelTest : public ::testing::Test {
protected:
    void SetUp() override {
        ui = std::make_unique<TouchHarness>();
        host = std::make_shared<UIView>(ui->window->bounds());
        ui->window->addSubview(host);
        view = std::make_shared<GraphicsView>(host->bounds());
        ASSERT_NE(view->device(), nullptr) << "no OpenGL ES 2 context";
        host->addSubview(view);
        view->setAdjustmentDefaults();
        view->toggleTestAdjustments(*host);
        panel = GraphicsView::testAdjustmentsPanel();
        ASSERT_NE(panel, nullptr);
        ASSERT_FALSE(panel->rows.empty());
    }
    void TearDown() override {
        while (UIAlertPresentation::shown()) UIAlertPresentation::shown()->dismissWithIndex(0);
        if (view) view->setAdjustmentDefaults();
        host->removeFromSuperview();
        view.reset();
        host.reset();
        ui.reset();
    }
    UIView* Row(const std::string& name) const {
        for (const auto& row : panel->rows)
            if (static_cast<UILabel*>(row->viewWithTag(2))->text() == name) return row.get();
        return nullptr;
    }
    UISlider& SliderOf(UIView& row) const { return static_cast<UISlider&>(*row.viewWithTag(3)); }
    std::vector<UIView*> ShownRows() const {
        std::vector<UIView*> rows;
        for (const auto& row : panel->rows)
            if (row->superview() == panel->scrollView.get()) rows.push_back(row.get());
        return rows;
    }
    // Taps the alert's button with that title.
    void TapAlert(const std::string& title) {
        UIAlertPresentation* alert = UIAlertPresentation::shown();
        ASSERT_NE(alert, nullptr);
        const CGRect r = alert->buttonFrame(alert->indexOfButton(title));
        ui->tap(CGRectGetMidX(r), CGRectGetMidY(r));
    }
    // Every parameter set to a value of its own, as the engine then holds it.
    std::map<std::string, float> SetDistinctValues() {
        std::map<std::string, float> values;
        int i = 0;
        for (const auto& [name, value] : view->defaultAdjustmentsDictionary()) {
            view->setAdjustment(name, std::fmod(0.1234567f + 0.0371f * static_cast<float>(i++), 1.0f));
            values[name] = view->getAdjustment(name);
        }
        return values;
    }

    std::unique_ptr<TouchHarness> ui;
    std::shared_ptr<UIView> host;
    std::shared_ptr<GraphicsView> view;
    TestAdjustmentsPanel* panel = nullptr;
};

TEST_F(TestAdjustmentsPanelTest, SaveThenLoadRestoresEveryValueToSixDecimalsWhateverTheLocale) {
    for (const bool comma : {false, true}) {
        SCOPED_TRACE(comma ? "comma-decimal locale" : "C locale");
        const std::locale previous =
            std::locale::global(comma ? std::locale(std::locale::classic(), new CommaDecimal) : std::locale::classic());
        const std::map<std::string, float> values = SetDistinctValues();
        view->testAdjustmentsSave();
        TapAlert("OK");
        const std::string text = UIPasteboard::generalPasteboard().string().value_or("");
        std::istringstream lines(text);
        std::size_t count = 0;
        for (std::string line; std::getline(lines, line); ++count) {
            const std::string prefix = "[NSNumber numberWithFloat:";
            ASSERT_TRUE(line.starts_with(prefix)) << line;
            const std::string number = line.substr(prefix.size(), line.find("f], @\"") - prefix.size());
            EXPECT_EQ(number.find_first_not_of("-0123456789."), std::string::npos) << line;
            EXPECT_EQ(number.size() - number.find('.'), 7u) << "six decimals after a point: " << line;
            EXPECT_TRUE(line.ends_with("\",")) << line;
        }
        EXPECT_EQ(count, panel->rows.size());
        view->setAdjustmentDefaults();
        UIPasteboard::generalPasteboard().setString(text);
        view->testAdjustmentsLoad();
        for (const auto& [name, value] : values) EXPECT_NEAR(view->getAdjustment(name), value, 1e-6) << name;
        std::locale::global(previous);
    }
}

TEST_F(TestAdjustmentsPanelTest, TheLoaderTakesBothLineFormsAndSkipsTheRest) {
    ASSERT_NE(Row(kExposure), nullptr);
    struct Case {
        const char* line;
        float expected;  // the value afterwards (set to 0.5 before)
    } cases[] = {
        {"[NSNumber numberWithFloat:0.250000f], @\"CA Exposure\",", 0.25f},
        {"CA Exposure: 0.25", 0.25f},
        {"CA Exposure:\t 0.25 brighter", 0.25f},
        {"CA Exposure: 0.25: 0.75", 0.5f},
        {"Not A Parameter: 0.25", 0.5f},
        {"CA Exposure: nan", 0.5f},
        {"CA Exposure: inf", 0.5f},
        {"CA Exposure: bright", 0.5f},
        {"CA Exposure 0.25", 0.5f},
    };
    for (const Case& c : cases) {
        view->setAdjustment(kExposure, 0.5f);
        view->testAdjustmentsLoadWithString(c.line);
        EXPECT_NEAR(view->getAdjustment(kExposure), c.expected, 1e-6) << c.line;
        EXPECT_NEAR(SliderOf(*Row(kExposure)).value(), c.expected, 1e-6) << c.line << ": the row follows";
    }
}

TEST_F(TestAdjustmentsPanelTest, TheFilterShowsMatchingRowsStoreKeepsThemAndSaveKeepsAll) {
    view->toggleTestAdjustments(*host);
    ASSERT_FALSE(panel->scrollView->isHidden());
    ui->advance(0.3);
    ui->tap(CGRectGetMidX(panel->filterField->frame()), CGRectGetMidY(panel->filterField->frame()));
    ASSERT_TRUE(panel->filterField->isFirstResponder());
    ui->driver->text("eXp");
    EXPECT_EQ(panel->filterField->rightViewMode(), UITextFieldViewMode::Always);
    const std::vector<UIView*> shown = ShownRows();
    ASSERT_FALSE(shown.empty());
    EXPECT_LT(shown.size(), panel->rows.size());
    for (UIView* row : shown) {
        std::string name = static_cast<UILabel*>(row->viewWithTag(2))->text();
        for (char& c : name) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        EXPECT_NE(name.find("exp"), std::string::npos) << name;
    }
    ui->key("Return");
    EXPECT_FALSE(panel->filterField->isFirstResponder()) << "Return ends the editing";

    const std::map<std::string, float> values = SetDistinctValues();
    view->testAdjustmentsStore();
    TapAlert("OK");
    std::istringstream stored(panel->storedSet.value_or(""));
    std::size_t lines = 0;
    for (std::string line; std::getline(stored, line);) ++lines;
    EXPECT_EQ(lines, shown.size());
    view->testAdjustmentsSave();
    TapAlert("OK");
    std::istringstream saved(UIPasteboard::generalPasteboard().string().value_or(""));
    lines = 0;
    for (std::string line; std::getline(saved, line);) ++lines;
    EXPECT_EQ(lines, panel->rows.size()) << "Save writes every row";

    view->setAdjustmentDefaults();
    view->testAdjustmentsApply();
    const std::string matching = static_cast<UILabel*>(shown.front()->viewWithTag(2))->text();
    EXPECT_NEAR(view->getAdjustment(matching), values.at(matching), 1e-6);

    view->testAdjustmentsFilterClear();
    EXPECT_EQ(ShownRows().size(), panel->rows.size());
    EXPECT_EQ(panel->filterField->rightViewMode(), UITextFieldViewMode::Never);
}

TEST_F(TestAdjustmentsPanelTest, TwoUndosReturnTheFirstValueAndRowsFollowValuesSetElsewhere) {
    view->toggleTestAdjustments(*host);
    ui->advance(0.3);
    // The exposure's row alone in the list, where a finger can reach it.
    for (const auto& row : panel->rows)
        if (row.get() == Row(kExposure)) view->testAdjustmentFilterViews({row});
    UIView* first = ShownRows().front();
    UISlider& slider = SliderOf(*first);
    const std::string name = static_cast<UILabel*>(first->viewWithTag(2))->text();
    view->setAdjustment(name, 0.2f);
    EXPECT_NEAR(slider.value(), view->getAdjustment(name), 1e-6) << "a value set elsewhere reaches its row";
    const float before = slider.value();
    const CGRect track = slider.convertRectToView(slider.bounds(), nullptr);
    ui->tap(track.origin.x + track.size.width * 0.8, CGRectGetMidY(track));  // the thumb jumps to the finger
    const float moved = slider.value();
    ASSERT_GT(std::abs(moved - before), 0.1f) << before << " to " << moved;
    EXPECT_NEAR(view->getAdjustment(name), moved, 1e-6) << "the engine takes the slider's value";
    view->testAdjustmentsUndo();
    EXPECT_NEAR(slider.value(), before, 1e-6);
    EXPECT_NEAR(view->getAdjustment(name), before, 1e-6);
    view->testAdjustmentsUndo();
    EXPECT_NEAR(slider.value(), moved, 1e-6) << "a second undo redoes";
    EXPECT_EQ(static_cast<UILabel*>(first->viewWithTag(1))->text(), view->adjustmentValueDescription(name, moved));
}

TEST_F(TestAdjustmentsPanelTest, ApplyReplaceRewritesTheStoredTextNamesIncluded) {
    const std::string other = [&] {
        for (const auto& [name, value] : view->defaultAdjustmentsDictionary())
            if (name != kExposure && name.starts_with("CA ")) return name;
        return std::string();
    }();
    ASSERT_FALSE(other.empty());
    struct Case {
        const char* name;
        std::string replace, replacement;
        std::string target;  // the parameter that should take 0.25
    } cases[] = {{"a name", kExposure, other, other}, {"empty text: loaded as stored", "", "x", kExposure}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        view->setAdjustmentDefaults();
        panel->storedSet = std::string("[NSNumber numberWithFloat:0.250000f], @\"") + kExposure + "\",\n";
        view->testAdjustmentsApplyReplace();
        UIAlertPresentation* alert = UIAlertPresentation::shown();
        ASSERT_NE(alert, nullptr);
        EXPECT_EQ(alert->title, "Replace");
        ASSERT_EQ(alert->fields.size(), 2u);
        auto* replace = dynamic_cast<UITextField*>(alert->fields[0].get());
        auto* replacement = dynamic_cast<UITextField*>(alert->fields[1].get());
        ASSERT_TRUE(replace && replacement);
        EXPECT_EQ(replace->placeholder(), "Replace");
        EXPECT_EQ(replacement->placeholder(), "Replacement");
        EXPECT_FALSE(replacement->isSecureTextEntry());
        ui->tap(CGRectGetMidX(replace->frame()), CGRectGetMidY(replace->frame()));
        ui->driver->text(c.replace);
        ui->tap(CGRectGetMidX(replacement->frame()), CGRectGetMidY(replacement->frame()));
        ui->driver->text(c.replacement);
        EXPECT_EQ(replace->text(), c.replace);
        TapAlert("Ok");
        EXPECT_NEAR(view->getAdjustment(c.target), 0.25f, 1e-6);
    }
    view->testAdjustmentsApplyReplace();
    TapAlert("Cancel");
    EXPECT_EQ(UIAlertPresentation::shown(), nullptr);
}

TEST_F(TestAdjustmentsPanelTest, NoKeyOfTheProgramOpensIt) {
    // A second graphics view in a fresh host: only an explicit call builds a panel there.
    auto other = std::make_shared<UIView>(ui->window->bounds());
    ui->window->addSubview(other);
    auto second = std::make_shared<GraphicsView>(other->bounds());
    other->addSubview(second);
    for (const char* key : {"Escape", "Return", "Backspace", "Left", "Right"}) ui->key(key);
    EXPECT_EQ(other->subviews().size(), 1u) << "nothing added beside the graphics view";
    EXPECT_EQ(GraphicsView::testAdjustmentsPanel(), panel) << "the one panel is still the first";
    EXPECT_TRUE(panel->scrollView->isHidden());
    other->removeFromSuperview();
}

}  // namespace
