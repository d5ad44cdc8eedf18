#include "model/AmbrelAppSettings.h"

#include <cmath>
#include <cstdio>
#include <functional>

#include "platform/foundation/StateFile.h"

namespace {

// Longest default-mode name accepted from the store.
constexpr size_t kMaximumModeNameLength = 256;

// A property-list number that holds a whole value, as stored booleans and integers are.
bool wholeNumber(const PropertyListObject& value, double& out) {
    if (!value.is_number()) return false;
    double d = value.get<double>();
    if (!std::isfinite(d) || std::floor(d) != d) return false;
    out = d;
    return true;
}

struct Setting {
    std::string key;
    PropertyListObject defaultValue;
    std::function<PropertyListObject(const AmbrelAppSettings&)> get;
    // Applies a stored value; answers why it does not apply, or an empty string.
    std::function<std::string(AmbrelAppSettings&, const PropertyListObject&)> set;
};

Setting boolSetting(std::string key, bool (AmbrelAppSettings::*get)() const, void (AmbrelAppSettings::*set)(bool)) {
    return {std::move(key), false, [get](const AmbrelAppSettings& s) { return PropertyListObject((s.*get)()); },
            [set](AmbrelAppSettings& s, const PropertyListObject& v) -> std::string {
                double number = 0;
                if (v.is_boolean()) {
                    (s.*set)(v.get<bool>());
                } else if (wholeNumber(v, number) && (number == 0 || number == 1)) {
                    (s.*set)(number == 1);
                } else {
                    return "expected a boolean";
                }
                return {};
            }};
}

template <typename Enum>
Setting enumSetting(std::string key, Enum defaultValue, Enum last, Enum (AmbrelAppSettings::*get)() const,
                    void (AmbrelAppSettings::*set)(Enum)) {
    return {std::move(key), static_cast<std::int32_t>(defaultValue),
            [get](const AmbrelAppSettings& s) { return PropertyListObject(static_cast<std::int32_t>((s.*get)())); },
            [set, last](AmbrelAppSettings& s, const PropertyListObject& v) -> std::string {
                double number = 0;
                if (!wholeNumber(v, number)) return "expected a whole number";
                if (number < 0 || number > static_cast<double>(last))
                    return "value out of range 0 to " + std::to_string(static_cast<int>(last));
                (s.*set)(static_cast<Enum>(static_cast<std::int32_t>(number)));
                return {};
            }};
}

const std::vector<Setting>& settingsTable() {
    using S = AmbrelAppSettings;
    static const std::vector<Setting> table = {
        boolSetting("saveOriginal", &S::saveOriginal, &S::setSaveOriginal),
        boolSetting("useGeotagging", &S::useGeotagging, &S::setUseGeotagging),
        boolSetting("showGrid", &S::showGrid, &S::setShowGrid),
        boolSetting("introductionShown", &S::introductionShown, &S::setIntroductionShown),
        boolSetting("saveSettingsShown", &S::saveSettingsShown, &S::setSaveSettingsShown),
        enumSetting("albumSaveMethod", SaveMethodPrompt, SaveMethodExport, &S::albumSaveMethod, &S::setAlbumSaveMethod),
        enumSetting("cameraSaveMethod", SaveMethodSaveAsCopy, SaveMethodExport, &S::cameraSaveMethod,
                    &S::setCameraSaveMethod),
        enumSetting("saveType", SaveTypeJPEG, SaveTypeTIFF, &S::saveType, &S::setSaveType),
        boolSetting("helpShownEdit", &S::helpShownEdit, &S::setHelpShownEdit),
        boolSetting("modeHelpShownNormal", &S::modeHelpShownNormal, &S::setModeHelpShownNormal),
        boolSetting("modeHelpShownLowLight", &S::modeHelpShownLowLight, &S::setModeHelpShownLowLight),
        boolSetting("modeHelpShownClarity", &S::modeHelpShownClarity, &S::setModeHelpShownClarity),
        boolSetting("modeHelpShownSky", &S::modeHelpShownSky, &S::setModeHelpShownSky),
        boolSetting("modeHelpShownNature", &S::modeHelpShownNature, &S::setModeHelpShownNature),
        boolSetting("modeHelpShownArtistic", &S::modeHelpShownArtistic, &S::setModeHelpShownArtistic),
        boolSetting("modeHelpShownDramatic", &S::modeHelpShownDramatic, &S::setModeHelpShownDramatic),
        boolSetting("modeHelpShownVibrant", &S::modeHelpShownVibrant, &S::setModeHelpShownVibrant),
        boolSetting("modeHelpShownExposure", &S::modeHelpShownExposure, &S::setModeHelpShownExposure),
        boolSetting("modeHelpShownFog", &S::modeHelpShownFog, &S::setModeHelpShownFog),
        {"defaultMode", "Normal 1", [](const S& s) { return PropertyListObject(s.defaultMode()); },
         [](S& s, const PropertyListObject& v) -> std::string {
             if (!v.is_string()) return "expected a string";
             const auto& text = v.get_ref<const std::string&>();
             if (text.size() > kMaximumModeNameLength) return "name too long";
             s.setDefaultMode(text);
             return {};
         }},
    };
    return table;
}

const Setting* findSetting(const std::string& key) {
    for (const Setting& setting : settingsTable())
        if (setting.key == key) return &setting;
    return nullptr;
}

}  // namespace

AmbrelAppSettings& AmbrelAppSettings::sharedInstance() {
    // A function-local static is created once even when two threads ask first.
    static AmbrelAppSettings& instance = []() -> AmbrelAppSettings& {
        static AmbrelAppSettings settings;
        settings.loadSettings();
        return settings;
    }();
    return instance;
}

AmbrelAppSettings::AmbrelAppSettings(UserDefaults* store) : store_(store) { applyDefaults(); }

UserDefaults& AmbrelAppSettings::store() const { return store_ ? *store_ : UserDefaults::standardUserDefaults(); }

const std::vector<std::string>& AmbrelAppSettings::settingsKeys() {
    static const std::vector<std::string> keys = [] {
        std::vector<std::string> k;
        for (const Setting& setting : settingsTable()) k.push_back(setting.key);
        return k;
    }();
    return keys;
}

const std::vector<PropertyListObject>& AmbrelAppSettings::settingsDefaultValues() {
    static const std::vector<PropertyListObject> values = [] {
        std::vector<PropertyListObject> v;
        for (const Setting& setting : settingsTable()) v.push_back(setting.defaultValue);
        return v;
    }();
    return values;
}

void AmbrelAppSettings::applyDefaults() {
    for (const Setting& setting : settingsTable()) setting.set(*this, setting.defaultValue);
}

std::string AmbrelAppSettings::applyEntry(const std::string& key, const PropertyListObject& value) {
    const Setting* setting = findSetting(key);
    if (!setting) return "no such setting, ignored";
    std::string fault = setting->set(*this, value);
    return fault.empty() ? fault : fault + ", default kept";
}

void AmbrelAppSettings::loadSettings() {
    loadProblems_.clear();
    applyDefaults();
    UserDefaults& defaults = store();
    PropertyListObject stored = defaults.objectForKey(kSettingsKey);
    for (const std::string& problem : defaults.problems()) loadProblems_.push_back(problem);
    if (stored.is_null()) return;

    auto note = [this](const std::string& problem) {
        std::fprintf(stderr, "Tavorin: settings: %s\n", problem.c_str());
        loadProblems_.push_back(problem);
    };
    if (!stored.is_object()) {
        note("stored settings are not a dictionary; using the defaults");
        return;
    }
    for (const auto& [key, value] : stored.items()) {
        std::string fault = applyEntry(key, value);
        if (!fault.empty()) note("\"" + key + "\": " + fault);
    }
}

PropertyListObject AmbrelAppSettings::settingsDictionary() const {
    PropertyListObject dictionary = PropertyListObject::object();
    for (const Setting& setting : settingsTable()) dictionary[setting.key] = setting.get(*this);
    return dictionary;
}

bool AmbrelAppSettings::saveSettings() {
    UserDefaults& defaults = store();
    defaults.setObject(settingsDictionary(), kSettingsKey);
    return defaults.synchronize();
}

std::string AmbrelAppSettings::dataWithObject(const PropertyListObject& object) {
    return object.dump(-1, ' ', false, PropertyListObject::error_handler_t::replace);
}

PropertyListObject AmbrelAppSettings::objectFromData(const std::string& data) {
    // Depth-limited like every stored document: a deeper value cannot be copied safely.
    return StateFile::parse(data, nullptr).value_or(nullptr);
}
