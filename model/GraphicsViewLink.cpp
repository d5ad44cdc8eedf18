#include "model/GraphicsViewLink.h"

namespace {

class DetachedLink final : public GraphicsViewLink {
public:
    float getAdjustment(const std::string&) override { return 0; }
    void setAdjustment(const std::string&, float) override {}
    float getCachedAdjustment(const std::string&) override { return 0; }
    void adjustmentWillBeginChange() override {}
    void adjustmentWillFinishChange() override {}
    bool isAnimating() override { return false; }
    void reconstructAndDrawView(bool) override {}
};

GraphicsViewLink* gLink = nullptr;

}  // namespace

GraphicsViewLink& GraphicsViewLink::shared() {
    static DetachedLink detached;
    return gLink ? *gLink : detached;
}

void GraphicsViewLink::setShared(GraphicsViewLink* link) { gLink = link; }
