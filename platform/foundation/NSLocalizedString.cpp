#include "platform/foundation/NSLocalizedString.h"

#include <cstdio>
#include <fstream>
#include <map>
#include <mutex>
#include <nlohmann/json.hpp>

#include "platform/foundation/NSBundle.h"

namespace {

std::map<std::string, std::string> loadTable() {
    std::map<std::string, std::string> table;
    const std::string path = NSBundle::mainBundle().pathForResource("en", "json", "strings");
    if (path.empty()) return table;
    std::ifstream in(path);
    nlohmann::json json = nlohmann::json::parse(in, nullptr, false);
    if (!json.is_object()) {
        std::fprintf(stderr, "tavorin: the strings table %s is not a JSON object\n", path.c_str());
        return table;
    }
    for (auto& [key, value] : json.items())
        if (value.is_string()) table[key] = value.get<std::string>();
    return table;
}

}  // namespace

std::string NSLocalizedString(const std::string& key, const std::string&) {
    return NSLocalizedStringWithDefault(key, key);
}

std::string NSLocalizedStringWithDefault(const std::string& key, const std::string& defaultText) {
    static std::once_flag once;
    static std::map<std::string, std::string> table;
    std::call_once(once, [] { table = loadTable(); });
    auto it = table.find(key);
    return it == table.end() ? defaultText : it->second;
}
