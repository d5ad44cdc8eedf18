#pragma once
// A block in place of a target and action: the object that calls back holds the adapter as an
// associated object and sends its `action` with itself as the sender.
#include <functional>
#include <memory>

#include "platform/foundation/NSObject.h"

class TargetActionBlock : public NSObject {
public:
    using Block = std::function<void(NSObject& sender)>;

    static std::shared_ptr<TargetActionBlock> targetActionBlock(Block block);

    const Block& block() const { return block_; }
    void setBlock(Block block) { block_ = std::move(block); }
    // Calls the block when one is set.
    void action(NSObject& sender) const;

private:
    Block block_;
};
