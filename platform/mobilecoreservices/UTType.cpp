#include "platform/mobilecoreservices/UTType.h"

#include <gio/gio.h>

#include <algorithm>
#include <array>
#include <cctype>

namespace {

struct KnownType {
    const char* identifier;
    const char* mime;
    std::array<const char*, 2> extensions;  // the first is the preferred one
    const char* parent;
};

// Each type's one parent; the chain ends at "public.data".
constexpr KnownType kTypes[] = {
    {"public.image", nullptr, {nullptr, nullptr}, "public.data"},
    {"public.text", nullptr, {nullptr, nullptr}, "public.data"},
    {"public.jpeg", "image/jpeg", {"jpeg", "jpg"}, "public.image"},
    {"public.png", "image/png", {"png", nullptr}, "public.image"},
    {"public.tiff", "image/tiff", {"tiff", "tif"}, "public.image"},
    {"com.compuserve.gif", "image/gif", {"gif", nullptr}, "public.image"},
    {"com.microsoft.bmp", "image/bmp", {"bmp", nullptr}, "public.image"},
    {"public.heic", "image/heic", {"heic", nullptr}, "public.image"},
    {"org.webmproject.webp", "image/webp", {"webp", nullptr}, "public.image"},
    {"public.plain-text", "text/plain", {"txt", nullptr}, "public.text"},
    {"com.instagram.exclusivegram", nullptr, {"igo", nullptr}, "public.data"},
};

constexpr const char* kMimePrefix = "public.mime.";

const KnownType* known(const std::string& identifier) {
    for (const auto& type : kTypes)
        if (identifier == type.identifier) return &type;
    return nullptr;
}

std::string lower(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(), [](unsigned char c) { return std::tolower(c); });
    return text;
}

std::string typeForMime(const std::string& mime) {
    for (const auto& type : kTypes)
        if (type.mime && mime == type.mime) return type.identifier;
    return kMimePrefix + mime;
}

std::string guessedMime(const std::string& extension) {
    const std::string name = "file." + extension;
    gboolean uncertain = FALSE;
    gchar* contentType = g_content_type_guess(name.c_str(), nullptr, 0, &uncertain);
    std::string mime;
    if (contentType) {
        if (gchar* m = g_content_type_get_mime_type(contentType)) {
            mime = m;
            g_free(m);
        }
        g_free(contentType);
    }
    return mime;
}

// The parent of a type outside the table: by the MIME type's top level.
std::string mimeParent(const std::string& identifier) {
    const std::string mime = identifier.substr(std::char_traits<char>::length(kMimePrefix));
    if (mime.rfind("image/", 0) == 0) return kUTTypeImage;
    if (mime.rfind("text/", 0) == 0) return kUTTypeText;
    return kUTTypeData;
}

}  // namespace

std::string UTTypeCreatePreferredIdentifierForTag(const std::string& tagClass, const std::string& tag) {
    const std::string t = lower(tag);
    if (t.empty()) return kUTTypeData;
    if (tagClass == kUTTagClassMIMEType) return typeForMime(t);
    for (const auto& type : kTypes)
        for (const char* extension : type.extensions)
            if (extension && t == extension) return type.identifier;
    const std::string mime = guessedMime(t);
    return mime.empty() || mime == "application/octet-stream" ? kUTTypeData : typeForMime(mime);
}

std::optional<std::string> UTTypeCopyPreferredTagWithClass(const std::string& type, const std::string& tagClass) {
    if (const KnownType* k = known(type)) {
        const char* tag = tagClass == kUTTagClassMIMEType ? k->mime : k->extensions[0];
        if (tag) return std::string(tag);
        return std::nullopt;
    }
    if (type.rfind(kMimePrefix, 0) == 0 && tagClass == kUTTagClassMIMEType)
        return type.substr(std::char_traits<char>::length(kMimePrefix));
    return std::nullopt;
}

bool UTTypeConformsTo(const std::string& type, const std::string& conformsTo) {
    std::string current = type;
    while (!current.empty()) {
        if (current == conformsTo) return true;
        if (current == kUTTypeData) return false;
        if (const KnownType* k = known(current)) current = k->parent;
        else if (current.rfind(kMimePrefix, 0) == 0) current = mimeParent(current);
        else current = kUTTypeData;
    }
    return false;
}
