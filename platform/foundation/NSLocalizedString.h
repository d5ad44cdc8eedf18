#pragma once
// User-facing texts by key, from the English strings table of the resources
// (strings/en.json: one JSON object of key to text), read once on first use. A key the table
// does not hold reads as the key itself, so a missing text shows up rather than vanishing.
#include <string>

std::string NSLocalizedString(const std::string& key, const std::string& comment = "");
// The table's text, or `defaultText` when the table lacks the key.
std::string NSLocalizedStringWithDefault(const std::string& key, const std::string& defaultText);
