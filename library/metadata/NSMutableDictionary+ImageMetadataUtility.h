#pragma once
// The metadata dictionary every saved or shared photo carries (the image properties: the
// Orientation entry and the "{Exif}", "{TIFF}", "{GPS}", "{IPTC}" and "{MakerApple}" groups),
// as the program fills and reads it.
//
// Dates are written as "yyyy:MM:dd HH:mm:ss" with ASCII digits whatever the locale: local
// time in the Exif and TIFF dates, UTC in the GPS stamp (one text holding date and time; the
// file keeps its date part apart). Safe to call from any thread.
#include <cstdint>
#include <functional>
#include <optional>
#include <string>

#include "platform/corelocation/CLHeading.h"
#include "platform/corelocation/CLLocation.h"
#include "platform/imageio/ImageProperties.h"

// The flags of `autoPopulateMetadata`.
enum ImageMetadataOptions : int {
    ImageMetadataOptionLocation = 1,
    ImageMetadataOptionDateOriginal = 2,
    ImageMetadataOptionDateDigitized = 4,
    ImageMetadataOptionSoftware = 8,
    ImageMetadataOptionOrientation = 16,
};

namespace ImageMetadataUtility {

using Metadata = platform::ImageProperties;

inline constexpr const char* kKeyword = "Tavorin";
inline constexpr const char* kMakerAppleDictionary = "{MakerApple}";
inline constexpr const char* kBurstKey = "11";

// Fills the entries the flags name, in the fixed order:
// - orientation: up;
// - original date: a photo without a DateTimeOriginal is made now, so DateTimeOriginal,
//   DateTimeDigitized and the TIFF DateTime are now; a photo with one keeps its dates;
// - digitized date: the file is written now, so the TIFF DateTime (its modification date) is
//   now; the photo's capture dates stay;
// - software: the keyword and the Software entry; Make and Model are never written here (a
//   capture states its camera's, a photo keeps its own);
// - location: the position and heading the installed geotag source knows (GeotagSource.h).
void autoPopulateMetadata(Metadata& metadata, int options);

// A fix that is not finite, lies outside the globe's degrees or has a negative accuracy is
// ignored (the group is left as it was).
void setLocation(Metadata& metadata, const std::optional<CLLocation>& location);
std::optional<CLLocation> location(const Metadata& metadata);
void setHeading(Metadata& metadata, const std::optional<CLHeading>& heading);
double trueHeading(const Metadata& metadata);

// The group under the key, made a dictionary and kept in the metadata.
Metadata& dictionaryForKey(Metadata& metadata, const std::string& key);

void setUserComment(Metadata& metadata, const std::optional<std::string>& comment);
void setDateOriginal(Metadata& metadata, double secondsSince1970);
void setDateDigitized(Metadata& metadata, double secondsSince1970);
void setMake(Metadata& metadata, const std::optional<std::string>& make, const std::optional<std::string>& model,
             const std::optional<std::string>& software);
void setDescription(Metadata& metadata, const std::optional<std::string>& description);
void setKeywords(Metadata& metadata, const std::optional<std::string>& keyword);
void appendKeyword(Metadata& metadata, const std::optional<std::string>& keyword);
bool hasKeyword(Metadata& metadata, const std::string& keyword);
void setDigitalZoom(Metadata& metadata, double zoom);

void setImageOrientation(Metadata& metadata, int imageOrientation);
int imageOrientation(const Metadata& metadata);
int orientation(const Metadata& metadata);
void setOrientation(Metadata& metadata, int exifOrientation);

bool hasBurstMetadata(const Metadata& metadata);
void removeBurstMetadata(Metadata& metadata);
bool hasSoftwareMetadata(Metadata& metadata, const std::string& prefix);
bool hasResolutionUnit(Metadata& metadata);

std::string getLocalFormattedDate(double secondsSince1970);
std::string getUTCFormattedDate(double secondsSince1970);

// The program's name and version, as the Software entry reads (the bundle's `softwareName`).
std::string softwareName();

}  // namespace ImageMetadataUtility
