#pragma once
// The user's persistent choices and the record of one-time screens already shown, kept as
// one dictionary of 20 entries in the user defaults under "AmbrelAppSettings".
//
// Loading applies each stored entry on its own: an entry whose key names no setting is
// ignored, and one whose value has the wrong kind (or an out-of-range save method or type)
// keeps that setting's default; every other stored setting is kept. What was skipped is
// listed by `loadProblems()` and logged. Setters change only the object; `saveSettings`
// writes the whole dictionary and flushes it to disk.
#include <cstdint>
#include <string>
#include <vector>

#include "platform/foundation/UserDefaults.h"

enum SaveMethod : std::int32_t {
    SaveMethodPrompt = 0,
    SaveMethodSave = 1,
    SaveMethodSaveAsCopy = 2,
    SaveMethodExport = 3,
};

enum SaveType : std::int32_t {
    SaveTypeJPEG = 0,
    SaveTypePNG = 1,
    SaveTypeTIFF = 2,
};

class AmbrelAppSettings {
public:
    static constexpr const char* kSettingsKey = "AmbrelAppSettings";

    // The program's settings, stored in the standard user defaults; loaded on first use.
    static AmbrelAppSettings& sharedInstance();

    // Settings kept in the given store, at their defaults (not loaded until `loadSettings`).
    explicit AmbrelAppSettings(UserDefaults* store = nullptr);

    // Defaults first, then every stored entry that applies.
    void loadSettings();
    // Stores all 20 settings and flushes the store; false when writing failed.
    bool saveSettings();
    // What the last load skipped or could not read.
    const std::vector<std::string>& loadProblems() const { return loadProblems_; }

    // The 20 keys and their defaults, in the same order.
    static const std::vector<std::string>& settingsKeys();
    static const std::vector<PropertyListObject>& settingsDefaultValues();

    // The current settings as the stored dictionary.
    PropertyListObject settingsDictionary() const;

    // Archiving helpers for property-list objects (no caller in the program needs them).
    static std::string dataWithObject(const PropertyListObject& object);
    static PropertyListObject objectFromData(const std::string& data);  // null when unreadable

#define TAVORIN_SETTING(type, name, setter) \
    type name() const { return name##_; }   \
    void setter(type value) { name##_ = value; }
    TAVORIN_SETTING(bool, saveOriginal, setSaveOriginal)
    TAVORIN_SETTING(bool, useGeotagging, setUseGeotagging)
    TAVORIN_SETTING(bool, showGrid, setShowGrid)
    TAVORIN_SETTING(bool, introductionShown, setIntroductionShown)
    TAVORIN_SETTING(bool, saveSettingsShown, setSaveSettingsShown)
    TAVORIN_SETTING(SaveMethod, albumSaveMethod, setAlbumSaveMethod)
    TAVORIN_SETTING(SaveMethod, cameraSaveMethod, setCameraSaveMethod)
    TAVORIN_SETTING(SaveType, saveType, setSaveType)
    TAVORIN_SETTING(bool, helpShownEdit, setHelpShownEdit)
    TAVORIN_SETTING(bool, modeHelpShownNormal, setModeHelpShownNormal)
    TAVORIN_SETTING(bool, modeHelpShownLowLight, setModeHelpShownLowLight)
    TAVORIN_SETTING(bool, modeHelpShownClarity, setModeHelpShownClarity)
    TAVORIN_SETTING(bool, modeHelpShownSky, setModeHelpShownSky)
    TAVORIN_SETTING(bool, modeHelpShownNature, setModeHelpShownNature)
    TAVORIN_SETTING(bool, modeHelpShownArtistic, setModeHelpShownArtistic)
    TAVORIN_SETTING(bool, modeHelpShownDramatic, setModeHelpShownDramatic)
    TAVORIN_SETTING(bool, modeHelpShownVibrant, setModeHelpShownVibrant)
    TAVORIN_SETTING(bool, modeHelpShownExposure, setModeHelpShownExposure)
    TAVORIN_SETTING(bool, modeHelpShownFog, setModeHelpShownFog)
#undef TAVORIN_SETTING
    const std::string& defaultMode() const { return defaultMode_; }
    void setDefaultMode(std::string mode) { defaultMode_ = std::move(mode); }

private:
    UserDefaults& store() const;
    void applyDefaults();
    // Applies one stored entry; answers why it was skipped, or an empty string.
    std::string applyEntry(const std::string& key, const PropertyListObject& value);

    UserDefaults* store_;
    std::vector<std::string> loadProblems_;

    // The values; their defaults are the settings table's, applied at construction.
    bool saveOriginal_{};
    bool useGeotagging_{};
    bool showGrid_{};
    bool introductionShown_{};
    bool saveSettingsShown_{};
    SaveMethod albumSaveMethod_{};
    SaveMethod cameraSaveMethod_{};
    SaveType saveType_{};
    bool helpShownEdit_{};
    bool modeHelpShownNormal_{};
    bool modeHelpShownLowLight_{};
    bool modeHelpShownClarity_{};
    bool modeHelpShownSky_{};
    bool modeHelpShownNature_{};
    bool modeHelpShownArtistic_{};
    bool modeHelpShownDramatic_{};
    bool modeHelpShownVibrant_{};
    bool modeHelpShownExposure_{};
    bool modeHelpShownFog_{};
    std::string defaultMode_{};
};
