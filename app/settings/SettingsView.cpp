#include "app/settings/SettingsView.h"

#include <algorithm>

#include "model/AmbrelAppSettings.h"
#include "model/CollectionObject.h"
#include "model/DeviceUtility.h"
#include "model/State.h"
#include "model/Type.h"
#include "platform/uikit/UIBarButtonItem.h"
#include "platform/uikit/UIBlurEffect.h"
#include "platform/uikit/UINavigationItem.h"
#include "platform/uikit/UISwitch.h"
#include "ui/appearance/AppAppearance.h"

namespace {

constexpr CGFloat kSideMargin = 20;
constexpr CGFloat kAccessorySide = 44;

std::shared_ptr<UILabel> makeLabel(const std::string& text, CGFloat fontSize, NSTextAlignment alignment,
                                   CGFloat alpha) {
    auto label = std::make_shared<UILabel>();
    label->setFont(AppAppearance::defaultFontOfSize(fontSize));
    label->setTextColor(AppAppearance::defaultLightColor());
    label->setTextAlignment(alignment);
    label->setAlpha(alpha);
    label->setText(text);
    return label;
}

// The position of the value among the values, if it is there.
std::optional<std::size_t> positionOf(int value, const std::vector<int>& values) {
    auto it = std::find(values.begin(), values.end(), value);
    return it == values.end() ? std::nullopt : std::optional<std::size_t>(it - values.begin());
}

// The drawn mark inside an accessory button.
std::shared_ptr<SettingsAccessoryView> markOf(const UIButton& button) {
    for (const auto& sub : button.subviews())
        if (auto mark = std::dynamic_pointer_cast<SettingsAccessoryView>(sub)) return mark;
    return nullptr;
}

template <typename T>
const T* at(const std::vector<T>& items, std::optional<std::size_t> position) {
    return position && *position < items.size() ? &items[*position] : nullptr;
}

}  // namespace

SettingsView::SettingsView(CGRect frame) : UIView(frame) { initialize(); }

void SettingsView::initialize() {
    setBackgroundColor(UIColor::clearColor());
    CGRect blur = AppConstants::defaultCameraViewFrame();
    blur.origin.y -= 1;
    blur.size.height += 2;
    effectView_ = std::make_shared<UIVisualEffectView>(UIBlurEffect::effectWithStyle(UIBlurEffectStyle::Dark), blur);
    effectView_->setAutoresizingMask(UIViewAutoresizingFlexibleWidth | UIViewAutoresizingFlexibleHeight);
    addSubview(effectView_);

    // Under a see-through navigation bar the list starts below it (a 3.5-inch screen has no
    // room to spare for that).
    const CGFloat inset = AppConstants::cameraViewIsTransparent() && !DeviceUtility::has3Point5InchDisplay()
                              ? AppConstants::defaultNavigationBarHeight()
                              : 0;
    const CGSize size = bounds().size;
    scrollView_ =
        std::make_shared<UIScrollView>(CGRectMake(kSideMargin, inset, size.width - 2 * kSideMargin, size.height));
    scrollView_->setAutoresizingMask(UIViewAutoresizingFlexibleWidth | UIViewAutoresizingFlexibleHeight);
    scrollView_->setShowsHorizontalScrollIndicator(false);
    scrollView_->setShowsVerticalScrollIndicator(false);
    scrollView_->setAlwaysBounceVertical(true);
    scrollView_->setClipsToBounds(true);
    contentView().addSubview(scrollView_);
}

// ---- The page ------------------------------------------------------------------------------------

void SettingsView::setLayout(Block layout) {
    layout_ = std::move(layout);
    layoutSettings();
}

void SettingsView::layoutSettings() {
    layoutOffset_ = 0;
    if (layout_) layout_();
    scrollView_->setContentSize({scrollView_->bounds().size.width, layoutOffset_});
}

void SettingsView::layoutSubviews() {
    UIView::layoutSubviews();
    scrollView_->setContentSize({scrollView_->bounds().size.width, layoutOffset_});
}

UIViewController* SettingsView::viewController() const {
    for (UIResponder* r = nextResponder(); r; r = r->nextResponder())
        if (auto* controller = dynamic_cast<UIViewController*>(r)) return controller;
    return nullptr;
}

void SettingsView::animateSettingsView(bool show, Completion completion) {
    setAlpha(show ? 0 : 1);
    std::weak_ptr<UIView> weak = weak_from_this();
    UIView::animateWithDuration(
        kFadeDuration, 0, 0.8, 1.0, 0,
        [weak, show] {
            if (auto self = weak.lock()) self->setAlpha(show ? 1 : 0);
        },
        std::move(completion));
}

SettingsView::Block SettingsView::basicLayout() {
    std::weak_ptr<UIView> weak = weak_from_this();
    return [weak] {
        auto self = std::static_pointer_cast<SettingsView>(weak.lock());
        if (!self) return;
        AmbrelAppSettings& settings = AmbrelAppSettings::sharedInstance();
        auto changed = [weak] {
            if (auto page = std::static_pointer_cast<SettingsView>(weak.lock()); page && page->changedBlock_)
                page->changedBlock_();
        };

        self->addHeader("Photos");
        self->addSwitch(
            "Geotagging", std::string("Allows photos to be tagged with location information"),
            [&settings] { return settings.useGeotagging(); }, [&settings](bool on) { settings.setUseGeotagging(on); });

        // The modes by name, in the mode list's order, category headers left out.
        std::vector<std::string> modes;
        for (const auto& object : TypeController::sharedInstance().modeType().objects())
            if (!object->category() && object->name()) modes.push_back(*object->name());
        std::vector<int> positions(modes.size());
        for (std::size_t i = 0; i < modes.size(); ++i) positions[i] = static_cast<int>(i);
        self->addCheckbox(
            "Default Mode", std::nullopt, modes, std::vector<std::string>(modes.size()), positions,
            [modes, &settings] {
                auto it = std::find(modes.begin(), modes.end(), settings.defaultMode());
                return it == modes.end() ? 0 : static_cast<int>(it - modes.begin());
            },
            [modes, &settings, changed](int position) {
                if (position < 0 || position >= static_cast<int>(modes.size())) return;
                const std::string& name = modes[position];
                const CollectionObject* mode = TypeController::sharedInstance().modeType().objectWithName(name);
                State* state = StateController::sharedInstance().namedState(kNamedStateDefault);
                if (mode && state && state->selectedModeObject) {
                    state->selectedModeObject->name = name;
                    state->selectedModeObject->color = mode->color();
                }
                settings.setDefaultMode(name);
                changed();
            });

        self->addHeader("Camera");
        self->addSwitch(
            "Save Original", [&settings] { return settings.saveOriginal(); },
            [&settings](bool on) { settings.setSaveOriginal(on); });
        self->addSwitch(
            "Show Grid", [&settings] { return settings.showGrid(); },
            [&settings](bool on) { settings.setShowGrid(on); });

        self->addHeader("Saving");
        self->addCheckbox(
            "Album", std::nullopt, {"Prompt", "Save", "Save as Copy", "Export"},
            {"Prompt for how to save to use when you save a Photo from the album.",
             "Photos will be saved in place with versioning information so they can be edited.",
             "Photos will be saved as a copy with versioning information so they can be edited.",
             "Photos will be exported without versioning information."},
            {SaveMethodPrompt, SaveMethodSave, SaveMethodSaveAsCopy, SaveMethodExport},
            [&settings] { return static_cast<int>(settings.albumSaveMethod()); },
            [&settings, changed](int value) {
                settings.setAlbumSaveMethod(static_cast<SaveMethod>(value));
                changed();
            });
        self->addCheckbox(
            "Camera", std::nullopt, {"Save as Copy", "Export"},
            {"Photos from the camera will be saved with versioning information so they can be edited.",
             "Photos from the camera will be exported without versioning information."},
            {SaveMethodSaveAsCopy, SaveMethodExport},
            [&settings] { return static_cast<int>(settings.cameraSaveMethod()); },
            [&settings, changed](int value) {
                settings.setCameraSaveMethod(static_cast<SaveMethod>(value));
                changed();
            });
        self->addCheckbox(
            "Format", std::nullopt, {"JPEG", "PNG", "TIFF"},
            {"Photos will be saved as JPEG. Saved versions will be editable.",
             "Photos will be saved as lossless PNG. Photos will be automatically exported when saving and will not be "
             "editable.",
             "Photos will be saved as lossless TIFF. Photos will be automatically exported when saving and will not be "
             "editable."},
            {SaveTypeJPEG, SaveTypePNG, SaveTypeTIFF}, [&settings] { return static_cast<int>(settings.saveType()); },
            [&settings, changed](int value) {
                settings.setSaveType(static_cast<SaveType>(value));
                changed();
            });
    };
}

// ---- Rows ----------------------------------------------------------------------------------------

void SettingsView::addSettingsView(const std::shared_ptr<UIView>& view, CGFloat before, CGFloat after,
                                   UIViewAutoresizing mask, TappableBlock tappable) {
    layoutOffset_ += before;
    CGRect frame = view->frame();
    frame.origin.y = layoutOffset_;
    view->setFrame(frame);
    view->setAutoresizingMask(mask);
    scrollView_->addSubview(view);
    layoutOffset_ += frame.size.height + after;
    if (!tappable) return;
    auto button = UIButton::buttonWithType(UIButtonType::Custom);
    button->setAutoresizingMask(UIViewAutoresizingFlexibleWidth);
    button->setFrame(CGRectMake(0, frame.origin.y - before, bounds().size.width, frame.size.height + before + after));
    button->addTarget(
        this,
        [tappable = std::move(tappable)](UIControl& sender, const UIEvent*) {
            tappable(static_cast<UIButton&>(sender));
        },
        UIControlEventTouchUpInside);
    scrollView_->addSubview(button);
}

void SettingsView::addHeader(const std::string& title) {
    auto label = makeLabel(title, 13, NSTextAlignment::Left, 0.3);
    label->sizeToFit();
    addSettingsView(label, 20, 4, UIViewAutoresizingFlexibleRightMargin);
    addSeparator();
}

void SettingsView::addSeparator() {
    auto line = std::make_shared<UIView>(CGRectMake(-4, 0, scrollView_->bounds().size.width + 8, 1));
    line->setBackgroundColor(AppAppearance::defaultLightColor().colorWithAlphaComponent(0.15));
    addSettingsView(line);
}

std::shared_ptr<UIView> SettingsView::addLabel(const std::string& title,
                                               const std::optional<std::string>& description) {
    const CGFloat width = scrollView_->bounds().size.width;
    auto row = std::make_shared<UIView>();
    auto titleLabel = makeLabel(title, 16, NSTextAlignment::Left, 1);
    titleLabel->sizeToFit();
    row->addSubview(titleLabel);
    CGFloat height = titleLabel->frame().size.height;
    if (description) {
        auto label = makeLabel(*description, 13, NSTextAlignment::Left, 0.6);
        label->setNumberOfLines(0);
        label->sizeToFit();
        const CGFloat lineHeight = label->frame().size.height;
        label->setFrame(CGRectMake(0, height + 4, 0.625 * width, 2.5 * lineHeight));
        row->addSubview(label);
        height += 2.5 * lineHeight;
    }
    row->setFrame(CGRectMake(0, 0, width, height));
    return row;
}

std::shared_ptr<UIButton> SettingsView::addAccessory(SettingsAccessoryType type) {
    auto button = UIButton::buttonWithType(UIButtonType::Custom);
    button->setFrame(CGRectMake(0, 0, kAccessorySide, kAccessorySide));
    button->setAutoresizingMask(UIViewAutoresizingFlexibleLeftMargin);
    auto mark = std::make_shared<SettingsAccessoryView>(button->bounds(), type);
    mark->setTransform(CGAffineTransformMakeScale(1.1, 1.1));
    mark->setTintColor(AppAppearance::defaultLightColor());
    mark->setAlpha(0.6);
    button->addSubview(mark);
    return button;
}

std::shared_ptr<UIButton> SettingsView::placeAccessory(UIView& row, SettingsAccessoryType type) {
    auto accessory = addAccessory(type);
    accessory->setUserInteractionEnabled(false);
    const CGRect r = row.bounds();
    accessory->setFrame(CGRectMake(r.size.width - kAccessorySide, (r.size.height - kAccessorySide) / 2, kAccessorySide,
                                   kAccessorySide));
    row.addSubview(accessory);
    return accessory;
}

void SettingsView::addSwitch(const std::string& title, const std::optional<std::string>& description, BoolGetBlock get,
                             BoolSetBlock set) {
    auto row = addLabel(title, description);
    auto control = std::make_shared<UISwitch>();
    control->setTintColor(AppAppearance::defaultLightColor().colorWithAlphaComponent(0.3));
    control->setOnTintColor(AppAppearance::defaultSecondaryAppColor());
    control->setOn(get ? get() : false);
    if (set) {
        std::weak_ptr<UIView> weak = weak_from_this();
        control->addTarget(
            this,
            [weak, set = std::move(set)](UIControl& sender, const UIEvent*) {
                set(static_cast<UISwitch&>(sender).isOn());
                if (auto self = std::static_pointer_cast<SettingsView>(weak.lock()); self && self->changedBlock_)
                    self->changedBlock_();
            },
            UIControlEventValueChanged);
    }
    const CGRect r = row->bounds();
    const CGSize size = control->frame().size;
    control->setFrame(
        CGRectMake(r.size.width - size.width, (r.size.height - size.height) / 2, size.width, size.height));
    control->setAutoresizingMask(UIViewAutoresizingFlexibleLeftMargin);
    row->addSubview(control);
    addSettingsView(row, kRowSpacing);
    addSeparator();
}

void SettingsView::addCheckbox(const std::string& title, const std::optional<std::string>& description,
                               std::vector<std::string> options, std::vector<std::string> optionDescriptions,
                               std::vector<int> optionValues, IntGetBlock get, IntSetBlock set) {
    auto row = addLabel(title, description);
    auto accessory = placeAccessory(*row, SettingsAccessoryType::DisclosureIndicator);
    auto value = makeLabel("", 15, NSTextAlignment::Left, 0.6);
    value->setAutoresizingMask(UIViewAutoresizingFlexibleLeftMargin);
    row->addSubview(value);
    // The current option's title, its right edge 16 points into the accessory.
    auto showValue = [options, optionValues, get, value = std::weak_ptr<UILabel>(value),
                      accessory = std::weak_ptr<UIButton>(accessory), row = std::weak_ptr<UIView>(row)] {
        auto label = value.lock();
        auto mark = accessory.lock();
        auto r = row.lock();
        if (!label || !mark || !r) return;
        const std::string* text = at(options, get ? positionOf(get(), optionValues) : std::nullopt);
        label->setText(text ? *text : std::string());
        label->sizeToFit();
        const CGSize size = label->frame().size;
        label->setFrame(CGRectMake(mark->frame().origin.x - size.width + 16,
                                   (r->bounds().size.height - size.height) / 2, size.width, size.height));
    };
    showValue();
    std::weak_ptr<UIView> weak = weak_from_this();
    addSettingsView(row, kRowSpacing, [=](UIButton&) {
        auto self = std::static_pointer_cast<SettingsView>(weak.lock());
        if (!self || self->optionPage_) return;  // a page is shown or still sliding
        self->animateCheckbox(title, description, options, optionDescriptions, optionValues, get, set, showValue);
    });
    addSeparator();
}

void SettingsView::addCheckboxRows(const std::string& title, const std::optional<std::string>& description,
                                   const std::vector<std::string>& options,
                                   const std::vector<std::string>& optionDescriptions,
                                   const std::vector<int>& optionValues, const IntGetBlock& get,
                                   const IntSetBlock& set) {
    addHeader("");
    const std::optional<std::size_t> selected = get ? positionOf(get(), optionValues) : std::nullopt;
    std::weak_ptr<UIView> weak = weak_from_this();
    for (std::size_t i = 0; i < options.size(); ++i) {
        auto row = addLabel(options[i], std::nullopt);
        if (selected == i) checkmark_ = markOf(*placeAccessory(*row, SettingsAccessoryType::Checkmark));
        addSettingsView(
            row, kRowSpacing,
            [weak, row = std::weak_ptr<UIView>(row), i, optionDescriptions, optionValues, set](UIButton&) {
                auto self = std::static_pointer_cast<SettingsView>(weak.lock());
                auto tapped = row.lock();
                if (!self || !tapped) return;
                if (self->checkmark_) self->checkmark_->superview()->removeFromSuperview();
                self->checkmark_ = markOf(*self->placeAccessory(*tapped, SettingsAccessoryType::Checkmark));
                if (self->descriptionLabel_)
                    self->descriptionLabel_->setText(i < optionDescriptions.size() ? optionDescriptions[i] : "");
                if (set && i < optionValues.size()) set(optionValues[i]);
            });
        addSeparator();
    }
    const std::string* text = at(optionDescriptions, selected);
    descriptionLabel_ = addDescription(text ? *text : std::string());
}

std::shared_ptr<UILabel> SettingsView::addDescription(const std::string& text) {
    auto label = makeLabel(text, 15, NSTextAlignment::Center, 0.6);
    label->setNumberOfLines(0);
    label->sizeToFit();
    label->setFrame(CGRectMake(0, 0, scrollView_->bounds().size.width, 3.5 * label->frame().size.height));
    addSettingsView(label, 8, 4);
    return label;
}

void SettingsView::animateCheckbox(const std::string& title, const std::optional<std::string>& description,
                                   std::vector<std::string> options, std::vector<std::string> optionDescriptions,
                                   std::vector<int> optionValues, IntGetBlock get, IntSetBlock set, Block back) {
    auto page = std::make_shared<SettingsView>(bounds());
    page->setUseBlurBackground(false);
    page->setAutoresizingMask(UIViewAutoresizingFlexibleWidth | UIViewAutoresizingFlexibleHeight);
    std::weak_ptr<UIView> weak = weak_from_this();
    page->setChangedBlock([weak] {
        if (auto self = std::static_pointer_cast<SettingsView>(weak.lock()); self && self->changedBlock_)
            self->changedBlock_();
    });
    std::weak_ptr<UIView> weakPage = page;
    page->setLayout([=] {
        if (auto p = std::static_pointer_cast<SettingsView>(weakPage.lock()))
            p->addCheckboxRows(title, description, options, optionDescriptions, optionValues, get, set);
    });
    page->setTransform(CGAffineTransformMakeTranslation(bounds().size.width, 0));
    addSubview(page);
    optionPage_ = page;
    optionPageBack_ = std::move(back);

    if (UIViewController* controller = viewController()) {
        UINavigationItem& item = controller->navigationItem();
        keptTitleView_ = item.titleView();
        keptLeftItem_ = item.leftBarButtonItem();
        item.setLeftBarButtonItem(UIBarButtonItem::itemWithImage(
            UIImage::imageNamed("backButton"), UIBarButtonItemStyle::Plain, [weak](UIBarButtonItem&) {
                if (auto self = std::static_pointer_cast<SettingsView>(weak.lock())) self->returnFromOptionPage();
            }));
        item.setTitleView(AppAppearance::titleViewWithString(title));
    }
    auto list = scrollView_;
    UIView::animateWithDuration(
        kPageDuration, 0, 0.8, 1.0, 0,
        [list, page] {
            list->setAlpha(0);
            page->setTransform(CGAffineTransformIdentity);
        },
        nullptr);
}

void SettingsView::returnFromOptionPage() {
    auto page = optionPage_;
    if (!page || returning_) return;
    returning_ = true;
    if (UIViewController* controller = viewController()) {
        UINavigationItem& item = controller->navigationItem();
        item.setTitleView(std::move(keptTitleView_));
        item.setLeftBarButtonItem(std::move(keptLeftItem_));
    }
    keptTitleView_.reset();
    keptLeftItem_.reset();
    if (auto back = std::move(optionPageBack_)) back();
    optionPageBack_ = nullptr;
    UIView::animateWithDuration(
        kPageFadeDuration, 0, 0.8, 1.0, 0, [page] { page->setAlpha(0); }, nullptr);
    auto list = scrollView_;
    const CGFloat width = bounds().size.width;
    std::weak_ptr<UIView> weak = weak_from_this();
    UIView::animateWithDuration(
        kPageDuration, 0, 0.8, 1.0, 0,
        [list, page, width] {
            list->setAlpha(1);
            page->setTransform(CGAffineTransformMakeTranslation(width, 0));
        },
        [weak, page](bool) {
            page->removeFromSuperview();
            auto self = std::static_pointer_cast<SettingsView>(weak.lock());
            if (!self || self->optionPage_ != page) return;
            self->optionPage_.reset();
            self->returning_ = false;
        });
}
