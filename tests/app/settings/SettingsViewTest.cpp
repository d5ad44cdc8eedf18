// The settings page in a navigation controller on the manual clock, driven by taps: each row
// writes its setting and reports once, option pages slide in and back with the navigation
// items, and taps below a shown page are ignored.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <string>

#include "app/settings/SettingsView.h"
#include "model/AmbrelAppSettings.h"
#include "model/CollectionObject.h"
#include "model/State.h"
#include "model/Type.h"
#include "platform/uikit/UIBarButtonItem.h"
#include "platform/uikit/UINavigationController.h"
#include "platform/uikit/UINavigationItem.h"
#include "platform/uikit/UISwitch.h"
#include "support/TouchHarness.h"
#include "ViewSearch.h"

namespace {

// The title label of a row (headers, which lie directly in the list, are passed over).
UILabel* rowLabel(UIView& list, const std::string& text) { return labelWithText(list, text, &list); }

class SettingsViewTest : public ::testing::Test {
protected:
    void SetUp() override {
        AmbrelAppSettings& s = AmbrelAppSettings::sharedInstance();
        s.setUseGeotagging(false), s.setSaveOriginal(false), s.setShowGrid(false);
        s.setAlbumSaveMethod(SaveMethodPrompt), s.setCameraSaveMethod(SaveMethodSaveAsCopy),
            s.setSaveType(SaveTypeJPEG);
        s.setDefaultMode("Normal 1");
        controller = std::make_shared<UIViewController>();
        navigation = std::make_shared<UINavigationController>(controller);
        ui.window->setRootViewController(navigation);
        title = std::make_shared<UIView>();
        controller->navigationItem().setTitleView(title);
        page = std::make_shared<SettingsView>(controller->view()->bounds());
        controller->view()->addSubview(page);
        page->setLayout(page->basicLayout());
        page->setChangedBlock([this] { ++changes; });
        ui.advance(0.1);
    }
    // Where the row that shows the title lies in the window, on whichever page is in front,
    // scrolled into view first.
    CGPoint rowPoint(const std::string& text) {
        SettingsView& front = page->optionPage() ? *page->optionPage() : *page;
        UIScrollView& list = *front.scrollView();
        UILabel* label = rowLabel(list, text);
        if (!label) return {-1, -1};
        const CGFloat top = label->superview()->frame().origin.y;
        const CGFloat end = std::max<CGFloat>(0, list.contentSize().height - list.bounds().size.height);
        list.setContentOffset({0, std::clamp<CGFloat>(top - 200, 0, end)});
        const CGRect row = label->superview()->convertRectToView(label->superview()->bounds(), nullptr);
        return {CGRectGetMidX(row) - 60, CGRectGetMidY(row)};
    }
    void tapRow(const std::string& text) {
        const CGPoint p = rowPoint(text);
        ASSERT_GE(p.x, 0) << text;
        ui.tap(p.x, p.y);
        ui.advance(0.05);
    }
    void back() {
        auto item = controller->navigationItem().leftBarButtonItem();
        ASSERT_TRUE(item);
        item->sendAction();
        ui.advance(SettingsView::kPageDuration + 0.05);
    }
    // The value label of an option row: the row's last label.
    std::string valueOf(const std::string& rowTitle) {
        UILabel* titleLabel = rowLabel(*page->scrollView(), rowTitle);
        if (!titleLabel) return "<no row>";
        auto* value = dynamic_cast<UILabel*>(titleLabel->superview()->subviews().back().get());
        return value ? value->text() : "<no value>";
    }

    TouchHarness ui;
    std::shared_ptr<UIViewController> controller;
    std::shared_ptr<UINavigationController> navigation;
    std::shared_ptr<UIView> title;
    std::shared_ptr<SettingsView> page;
    int changes = 0;
};

}  // namespace

TEST_F(SettingsViewTest, EveryRowWritesItsSettingAndReportsOnce) {
    AmbrelAppSettings& s = AmbrelAppSettings::sharedInstance();
    struct Case {
        std::string row, option;  // no option: a switch
        std::function<bool()> written;
        std::string shownValue;
    };
    const std::vector<Case> cases = {
        {"Geotagging", "", [&] { return s.useGeotagging(); }, ""},
        {"Save Original", "", [&] { return s.saveOriginal(); }, ""},
        {"Show Grid", "", [&] { return s.showGrid(); }, ""},
        {"Album", "Save as Copy", [&] { return s.albumSaveMethod() == SaveMethodSaveAsCopy; }, "Save as Copy"},
        {"Camera", "Export", [&] { return s.cameraSaveMethod() == SaveMethodExport; }, "Export"},
        {"Format", "PNG", [&] { return s.saveType() == SaveTypePNG; }, "PNG"},
        {"Default Mode", "Dramatic 1", [&] { return s.defaultMode() == "Dramatic 1"; }, "Dramatic 1"},
    };
    for (const auto& c : cases) {
        changes = 0;
        if (c.option.empty()) {
            auto* control = findViewOfClass<UISwitch>(*rowLabel(*page->scrollView(), c.row)->superview());
            ASSERT_TRUE(control) << c.row;
            const CGRect r = control->convertRectToView(control->bounds(), nullptr);
            ui.tap(CGRectGetMidX(r), CGRectGetMidY(r));
        } else {
            tapRow(c.row);
            ui.advance(SettingsView::kPageDuration);
            ASSERT_TRUE(page->optionPage()) << c.row;
            tapRow(c.option);
        }
        EXPECT_TRUE(c.written()) << c.row;
        EXPECT_EQ(changes, 1) << c.row;
        if (!c.option.empty()) {
            back();
            EXPECT_EQ(valueOf(c.row), c.shownValue);
        }
    }
    // The format's page shows the chosen option's description under the list.
    tapRow("Format");
    ui.advance(SettingsView::kPageDuration);
    EXPECT_EQ(page->optionPage()->descriptionLabel()->text(),
              "Photos will be saved as lossless PNG. Photos will be automatically exported when saving and will not be "
              "editable.");
    // Tapping the checked option writes it again.
    changes = 0;
    s.setSaveType(SaveTypeTIFF);
    tapRow("PNG");
    EXPECT_EQ(s.saveType(), SaveTypePNG);
    EXPECT_EQ(changes, 1);
    back();
}

TEST_F(SettingsViewTest, TheDefaultModeAlsoRecolorsTheDefaultStateAndAnUnknownNameChecksTheFirstMode) {
    Type& modes = TypeController::sharedInstance().modeType();
    std::vector<std::string> names;
    for (const auto& object : modes.objects())
        if (!object->category()) names.push_back(*object->name());
    ASSERT_GT(names.size(), 2u);
    StateController::sharedInstance().pushNamedState(kNamedStateDefault);
    ASSERT_TRUE(StateController::sharedInstance().namedState(kNamedStateDefault)->selectedModeObject);

    tapRow("Default Mode");
    ui.advance(SettingsView::kPageDuration);
    tapRow(names[2]);
    const State* state = StateController::sharedInstance().namedState(kNamedStateDefault);
    EXPECT_EQ(state->selectedModeObject->name, names[2]);
    EXPECT_EQ(state->selectedModeObject->color, modes.objectWithName(names[2])->color());
    EXPECT_EQ(page->optionPage()->descriptionLabel()->text(), "") << "modes have no descriptions";
    back();

    AmbrelAppSettings::sharedInstance().setDefaultMode("No Such Mode");
    changes = 0;
    tapRow("Default Mode");
    ui.advance(SettingsView::kPageDuration);
    UILabel* first = rowLabel(*page->optionPage()->scrollView(), names[0]);
    ASSERT_TRUE(first && page->optionPage()->checkmark());
    EXPECT_TRUE(page->optionPage()->checkmark()->isDescendantOfView(first->superview())) << "row 0 is checked";
    EXPECT_EQ(AmbrelAppSettings::sharedInstance().defaultMode(), "No Such Mode") << "nothing written before a pick";
    EXPECT_EQ(changes, 0);
    back();
}

TEST_F(SettingsViewTest, AStoredValueWithoutAnOptionShowsNothingAndWritesNothing) {
    AmbrelAppSettings::sharedInstance().setCameraSaveMethod(SaveMethodSave);  // the camera list has no such row
    page = std::make_shared<SettingsView>(controller->view()->bounds());
    controller->view()->addSubview(page);
    page->setLayout(page->basicLayout());
    page->setChangedBlock([this] { ++changes; });
    EXPECT_EQ(valueOf("Camera"), "");
    tapRow("Camera");
    ui.advance(SettingsView::kPageDuration);
    EXPECT_FALSE(page->optionPage()->checkmark());
    EXPECT_EQ(page->optionPage()->descriptionLabel()->text(), "");
    back();
    EXPECT_EQ(AmbrelAppSettings::sharedInstance().cameraSaveMethod(), SaveMethodSave);
    EXPECT_EQ(changes, 0);
}

TEST_F(SettingsViewTest, AnOptionPageSlidesInOverTheListAndBackRestoringTheNavigationItems) {
    const CGPoint album = rowPoint("Album");
    ui.tap(album.x, album.y);
    auto optionPage = page->optionPage();
    ASSERT_TRUE(optionPage);
    // While it slides, a tap that still reaches the row below (its button's action) is ignored.
    const CGPoint inList = page->scrollView()->convertPointFromView(album, nullptr);
    auto* rowButton = static_cast<UIButton*>(findView(*page->scrollView(), [&](UIView& v) {
        return dynamic_cast<UIButton*>(&v) && v.superview() == page->scrollView().get() &&
               CGRectContainsPoint(v.frame(), inList);
    }));
    ASSERT_TRUE(rowButton);
    rowButton->sendActionsForControlEvents(UIControlEventTouchUpInside);
    EXPECT_EQ(page->optionPage(), optionPage);
    ui.advance(SettingsView::kPageDuration);
    EXPECT_EQ(page->scrollView()->alpha(), 0);
    EXPECT_EQ(optionPage->transform(), CGAffineTransformIdentity);
    auto backItem = controller->navigationItem().leftBarButtonItem();
    ASSERT_TRUE(backItem);
    EXPECT_TRUE(backItem->image());
    auto* shownTitle = dynamic_cast<UILabel*>(controller->navigationItem().titleView().get());
    ASSERT_TRUE(shownTitle);
    EXPECT_EQ(shownTitle->text(), "Album");
    const std::size_t subviews = page->subviews().size();
    // A tap over the list lands on the page's own row.
    tapRow("Save");
    EXPECT_EQ(page->subviews().size(), subviews);
    EXPECT_EQ(controller->navigationItem().leftBarButtonItem(), backItem);
    rowButton->sendActionsForControlEvents(UIControlEventTouchUpInside);  // and once it is shown
    EXPECT_EQ(page->optionPage(), optionPage);
    EXPECT_EQ(controller->navigationItem().leftBarButtonItem(), backItem);

    back();
    EXPECT_EQ(controller->navigationItem().leftBarButtonItem(), nullptr) << "no left item before";
    EXPECT_EQ(controller->navigationItem().titleView(), title);
    EXPECT_EQ(page->scrollView()->alpha(), 1);
    EXPECT_EQ(page->optionPage(), nullptr);
    EXPECT_EQ(optionPage->superview(), nullptr);
    EXPECT_EQ(valueOf("Album"), "Save");

    // The page fades in and out over 0.6 s.
    page->animateSettingsView(true, nullptr);
    EXPECT_EQ(page->layer()->presentation().opacity, 0);
    ui.advance(SettingsView::kFadeDuration + 0.05);
    EXPECT_EQ(page->layer()->presentation().opacity, 1);
}
