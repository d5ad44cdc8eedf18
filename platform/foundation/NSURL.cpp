#include "platform/foundation/NSURL.h"

std::string NSURL::lastPathComponent() const {
    std::string path = text_;
    if (!file_) {
        const auto scheme = path.find("://");
        if (scheme != std::string::npos) path = path.substr(scheme + 3);
        const auto end = path.find_first_of("?#");
        if (end != std::string::npos) path.resize(end);
    }
    while (path.size() > 1 && path.back() == '/') path.pop_back();
    const auto slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

std::string NSURL::pathExtension() const {
    const std::string name = lastPathComponent();
    const auto dot = name.rfind('.');
    if (dot == std::string::npos || dot == 0 || dot + 1 == name.size()) return "";
    return name.substr(dot + 1);
}
