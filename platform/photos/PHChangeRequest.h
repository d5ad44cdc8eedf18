#pragma once
// The base of the change requests: each request made inside a change block registers itself
// with the change under way and, when the block has run, adds what it asks for to the change.
#include <memory>

#include "platform/photos/PhotoStore.h"

class PHChangeRequest {
public:
    virtual ~PHChangeRequest() = default;
    virtual void record(photos::ChangeSet& changes) const = 0;

protected:
    // Registers the request with the change block under way; false outside one (the request
    // then does nothing).
    static bool enlist(const std::shared_ptr<PHChangeRequest>& request);
};
