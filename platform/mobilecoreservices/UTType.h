#pragma once
// Uniform type identifiers ("public.jpeg", "public.image" ...).
//
// Known extensions map through a fixed table; any other goes through GIO's guess of the
// content type from the file name, giving "public.mime.<type>/<subtype>" (whose conformance
// follows the MIME type's top level). Image types conform to "public.image", text types to
// "public.text", and everything to "public.data". "com.instagram.exclusivegram" conforms to
// nothing but itself and "public.data": only openers that name it take such a file.
#include <optional>
#include <string>

inline const std::string kUTTagClassFilenameExtension = "public.filename-extension";
inline const std::string kUTTagClassMIMEType = "public.mime-type";

inline const std::string kUTTypeData = "public.data";
inline const std::string kUTTypeImage = "public.image";
inline const std::string kUTTypeText = "public.text";
inline const std::string kUTTypeJPEG = "public.jpeg";
inline const std::string kUTTypePNG = "public.png";
inline const std::string kUTTypeTIFF = "public.tiff";
inline const std::string kUTTypePlainText = "public.plain-text";
inline const std::string kUTTypeInstagramExclusive = "com.instagram.exclusivegram";

// The type for a tag of the class (an extension, without its dot and in any case, or a MIME
// type); an empty tag gives "public.data".
std::string UTTypeCreatePreferredIdentifierForTag(const std::string& tagClass, const std::string& tag);
// The type's preferred tag of the class (extension or MIME type), or nullopt.
std::optional<std::string> UTTypeCopyPreferredTagWithClass(const std::string& type, const std::string& tagClass);
// Whether `type` is `conformsTo` or one of its kinds.
bool UTTypeConformsTo(const std::string& type, const std::string& conformsTo);
