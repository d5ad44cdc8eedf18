#pragma once
// Stands for an object a change creates, before it exists: its identifier can be added to
// albums in the same change, and names the object once committed.
#include <string>

class PHObjectPlaceholder {
public:
    explicit PHObjectPlaceholder(std::string localIdentifier) : localIdentifier_(std::move(localIdentifier)) {}
    const std::string& localIdentifier() const { return localIdentifier_; }

private:
    std::string localIdentifier_;
};
