#include "library/metadata/NSMutableDictionary+ImageMetadataUtility.h"

#include <cmath>
#include <ctime>
#include <mutex>

#include "library/metadata/GeotagSource.h"
#include "platform/foundation/NSBundle.h"
#include "platform/imageio/ImageIO.h"

namespace ImageMetadataUtility {

namespace {

double now() {
    timespec t{};
    ::clock_gettime(CLOCK_REALTIME, &t);
    return static_cast<double>(t.tv_sec) + t.tv_nsec / 1e9;
}

// The fixed form with ASCII digits, from the thread-safe calendar calls.
std::string formatted(double seconds, bool utc) {
    const std::time_t t = static_cast<std::time_t>(std::floor(seconds));
    std::tm tm{};
    if (!(utc ? ::gmtime_r(&t, &tm) : ::localtime_r(&t, &tm))) return "";
    char text[80];
    std::snprintf(text, sizeof text, "%04d:%02d:%02d %02d:%02d:%02d", tm.tm_year + 1900, tm.tm_mon + 1, tm.tm_mday,
                  tm.tm_hour, tm.tm_min, tm.tm_sec);
    return text;
}

void setString(Metadata& metadata, const char* group, const char* key, const std::optional<std::string>& value) {
    if (value) dictionaryForKey(metadata, group)[key] = *value;
}

bool validFix(const CLLocation& l) {
    const auto c = l.coordinate();
    return std::isfinite(c.latitude) && std::isfinite(c.longitude) && std::isfinite(l.altitude()) &&
           std::isfinite(l.horizontalAccuracy()) && std::isfinite(l.timestamp()) && std::fabs(c.latitude) <= 90 &&
           std::fabs(c.longitude) <= 180 && l.horizontalAccuracy() >= 0;
}

Metadata gpsCopy(const Metadata& metadata) {
    const Metadata* existing = platform::ImagePropertyGroup(metadata, platform::kCGImagePropertyGPSDictionary);
    return existing ? *existing : Metadata{};
}

}  // namespace

std::string softwareName() { return NSBundle::mainBundle().softwareName(); }

void autoPopulateMetadata(Metadata& metadata, int options) {
    if (options & ImageMetadataOptionOrientation) setImageOrientation(metadata, 0);
    // A photo keeps the moment it was taken; one that has none is made now.
    if ((options & ImageMetadataOptionDateOriginal) &&
        !platform::ImagePropertyFind(metadata, platform::kCGImagePropertyExifDictionary,
                                     platform::kCGImagePropertyExifDateTimeOriginal)) {
        const double moment = now();
        setDateOriginal(metadata, moment);
        setDateDigitized(metadata, moment);
    }
    // The file is written now: its modification date, not a capture date.
    if (options & ImageMetadataOptionDateDigitized)
        setString(metadata, platform::kCGImagePropertyTIFFDictionary, platform::kCGImagePropertyTIFFDateTime,
                  getLocalFormattedDate(now()));
    // The program that wrote the file. The make and model are the camera's own, stated by
    // the capture or by the photo; none is made up for it.
    if (options & ImageMetadataOptionSoftware) {
        appendKeyword(metadata, kKeyword);
        setMake(metadata, std::nullopt, std::nullopt, softwareName());
    }
    if (options & ImageMetadataOptionLocation) {
        // Only what geotagging has collected: nothing while it is off or has no source.
        if (const GeotagSource* geotags = GeotagSource::installed()) {
            if (auto l = geotags->currentLocation()) setLocation(metadata, l);
            if (auto h = geotags->currentHeading()) setHeading(metadata, h);
        }
    }
}

void setLocation(Metadata& metadata, const std::optional<CLLocation>& l) {
    if (!l || !validFix(*l)) return;
    Metadata gps = gpsCopy(metadata);
    const auto c = l->coordinate();
    gps[platform::kCGImagePropertyGPSTimeStamp] = getUTCFormattedDate(l->timestamp());
    gps[platform::kCGImagePropertyGPSLatitudeRef] = c.latitude >= 0 ? "N" : "S";
    gps[platform::kCGImagePropertyGPSLatitude] = static_cast<float>(std::fabs(c.latitude));
    gps[platform::kCGImagePropertyGPSLongitudeRef] = c.longitude >= 0 ? "E" : "W";
    gps[platform::kCGImagePropertyGPSLongitude] = static_cast<float>(std::fabs(c.longitude));
    gps[platform::kCGImagePropertyGPSDOP] = static_cast<float>(l->horizontalAccuracy());
    gps[platform::kCGImagePropertyGPSAltitude] = static_cast<float>(l->altitude());
    metadata[platform::kCGImagePropertyGPSDictionary] = std::move(gps);
}

std::optional<CLLocation> location(const Metadata& metadata) {
    const Metadata* gps = platform::ImagePropertyGroup(metadata, platform::kCGImagePropertyGPSDictionary);
    if (!gps) return std::nullopt;
    auto number = [&](const char* key) {
        const platform::ImagePropertyValue* v = platform::ImagePropertyFind(*gps, key);
        return static_cast<double>(static_cast<float>(v && v->number() ? *v->number() : 0.0));
    };
    auto is = [&](const char* key, const char* text) {
        const platform::ImagePropertyValue* v = platform::ImagePropertyFind(*gps, key);
        return v && v->string() && *v->string() == text;
    };
    double latitude = number(platform::kCGImagePropertyGPSLatitude);
    double longitude = number(platform::kCGImagePropertyGPSLongitude);
    if (is(platform::kCGImagePropertyGPSLatitudeRef, "S")) latitude = -latitude;
    if (is(platform::kCGImagePropertyGPSLongitudeRef, "W")) longitude = -longitude;
    return CLLocation(latitude, longitude);
}

void setHeading(Metadata& metadata, const std::optional<CLHeading>& heading) {
    if (!heading || !std::isfinite(heading->trueHeading())) return;
    Metadata gps = gpsCopy(metadata);
    gps[platform::kCGImagePropertyGPSImgDirectionRef] = "T";
    gps[platform::kCGImagePropertyGPSImgDirection] = static_cast<float>(heading->trueHeading());
    metadata[platform::kCGImagePropertyGPSDictionary] = std::move(gps);
}

double trueHeading(const Metadata& metadata) {
    const platform::ImagePropertyValue* v = platform::ImagePropertyFind(
        metadata, platform::kCGImagePropertyGPSDictionary, platform::kCGImagePropertyGPSImgDirection);
    return v && v->number() ? *v->number() : 0.0;
}

Metadata& dictionaryForKey(Metadata& metadata, const std::string& key) {
    platform::ImagePropertyValue& value = metadata[key];
    if (!value.isDictionary()) value = Metadata{};
    return *value.dictionary();
}

void setUserComment(Metadata& metadata, const std::optional<std::string>& comment) {
    setString(metadata, platform::kCGImagePropertyExifDictionary, platform::kCGImagePropertyExifUserComment, comment);
}

void setDateOriginal(Metadata& metadata, double seconds) {
    const std::string text = getLocalFormattedDate(seconds);
    setString(metadata, platform::kCGImagePropertyExifDictionary, platform::kCGImagePropertyExifDateTimeOriginal, text);
    setString(metadata, platform::kCGImagePropertyTIFFDictionary, platform::kCGImagePropertyTIFFDateTime, text);
}

void setDateDigitized(Metadata& metadata, double seconds) {
    setString(metadata, platform::kCGImagePropertyExifDictionary, platform::kCGImagePropertyExifDateTimeDigitized,
              getLocalFormattedDate(seconds));
}

void setMake(Metadata& metadata, const std::optional<std::string>& make, const std::optional<std::string>& model,
             const std::optional<std::string>& software) {
    setString(metadata, platform::kCGImagePropertyTIFFDictionary, platform::kCGImagePropertyTIFFMake, make);
    setString(metadata, platform::kCGImagePropertyTIFFDictionary, platform::kCGImagePropertyTIFFModel, model);
    setString(metadata, platform::kCGImagePropertyTIFFDictionary, platform::kCGImagePropertyTIFFSoftware, software);
}

void setDescription(Metadata& metadata, const std::optional<std::string>& description) {
    setString(metadata, platform::kCGImagePropertyTIFFDictionary, platform::kCGImagePropertyTIFFImageDescription,
              description);
}

void setKeywords(Metadata& metadata, const std::optional<std::string>& keyword) {
    if (keyword)
        dictionaryForKey(metadata, platform::kCGImagePropertyIPTCDictionary)[platform::kCGImagePropertyIPTCKeywords] =
            platform::ImagePropertyValue::Strings{*keyword};
}

bool hasKeyword(Metadata& metadata, const std::string& keyword) {
    Metadata& iptc = dictionaryForKey(metadata, platform::kCGImagePropertyIPTCDictionary);
    const platform::ImagePropertyValue* keywords =
        platform::ImagePropertyFind(iptc, platform::kCGImagePropertyIPTCKeywords);
    if (!keywords || !keywords->strings()) return false;
    for (auto& k : *keywords->strings())
        if (k == keyword) return true;
    return false;
}

void appendKeyword(Metadata& metadata, const std::optional<std::string>& keyword) {
    if (!keyword || hasKeyword(metadata, *keyword)) return;
    Metadata& iptc = dictionaryForKey(metadata, platform::kCGImagePropertyIPTCDictionary);
    platform::ImagePropertyValue::Strings list;
    if (const auto* present = platform::ImagePropertyFind(iptc, platform::kCGImagePropertyIPTCKeywords);
        present && present->strings())
        list = *present->strings();
    list.push_back(*keyword);
    iptc[platform::kCGImagePropertyIPTCKeywords] = std::move(list);
}

void setDigitalZoom(Metadata& metadata, double zoom) {
    dictionaryForKey(metadata,
                     platform::kCGImagePropertyExifDictionary)[platform::kCGImagePropertyExifDigitalZoomRatio] =
        static_cast<float>(zoom);
}

void setImageOrientation(Metadata& metadata, int imageOrientation) {
    setOrientation(metadata, platform::EXIFOrientationFromImageOrientation(imageOrientation));
}

int imageOrientation(const Metadata& metadata) { return platform::ImageOrientationFromEXIF(orientation(metadata)); }

int orientation(const Metadata& metadata) {
    const platform::ImagePropertyValue* v =
        platform::ImagePropertyFind(metadata, platform::kCGImagePropertyOrientation);
    return v && v->integer() ? static_cast<int>(*v->integer()) : 0;
}

void setOrientation(Metadata& metadata, int exifOrientation) {
    metadata[platform::kCGImagePropertyOrientation] = exifOrientation;
}

bool hasBurstMetadata(const Metadata& metadata) {
    return platform::ImagePropertyFind(metadata, kMakerAppleDictionary, kBurstKey) != nullptr;
}

void removeBurstMetadata(Metadata& metadata) {
    if (hasBurstMetadata(metadata)) dictionaryForKey(metadata, kMakerAppleDictionary).erase(kBurstKey);
}

bool hasSoftwareMetadata(Metadata& metadata, const std::string& prefix) {
    Metadata& tiff = dictionaryForKey(metadata, platform::kCGImagePropertyTIFFDictionary);
    const auto* software = platform::ImagePropertyFind(tiff, platform::kCGImagePropertyTIFFSoftware);
    return software && software->string() && software->string()->starts_with(prefix);
}

bool hasResolutionUnit(Metadata& metadata) {
    return platform::ImagePropertyFind(dictionaryForKey(metadata, platform::kCGImagePropertyTIFFDictionary),
                                       platform::kCGImagePropertyTIFFResolutionUnit) != nullptr;
}

std::string getLocalFormattedDate(double seconds) { return formatted(seconds, false); }
std::string getUTCFormattedDate(double seconds) { return formatted(seconds, true); }

}  // namespace ImageMetadataUtility
