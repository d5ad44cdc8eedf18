#pragma once
// What an edit was made with, stored beside its render: the editor's identifier (1-256
// bytes), its version (1-64 bytes) and its data (up to 1 MiB).
#include <cstdint>
#include <string>
#include <vector>

struct PHAdjustmentData {
    std::string formatIdentifier;
    std::string formatVersion;
    std::vector<std::uint8_t> data;
    friend bool operator==(const PHAdjustmentData&, const PHAdjustmentData&) = default;
};
