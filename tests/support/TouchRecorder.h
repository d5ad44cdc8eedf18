#pragma once
// A view that takes every touch delivered to it and notes it, for tests of touch delivery.
#include <string>
#include <vector>

#include "platform/uikit/UIView.h"

// Records what reaches it: phase letter, location in itself, tap count and force.
class TouchRecorder : public UIView {
public:
    using UIView::UIView;
    struct Record {
        char phase;
        CGPoint location;
        int tapCount;
        CGFloat force;
        std::size_t count;  // touches in the call
        NSTimeInterval timestamp;
    };
    void touchesBegan(const UITouchSet& t, const UIEvent*) override { note('b', t); }
    void touchesMoved(const UITouchSet& t, const UIEvent*) override { note('m', t); }
    void touchesEnded(const UITouchSet& t, const UIEvent*) override { note('e', t); }
    void touchesCancelled(const UITouchSet& t, const UIEvent*) override { note('c', t); }
    std::string phases() const {
        std::string s;
        for (const Record& r : records) s += r.phase;
        return s;
    }
    std::vector<Record> records;

private:
    void note(char phase, const UITouchSet& touches) {
        for (UITouch* t : touches)
            records.push_back({phase, t->locationInView(this), t->tapCount, t->force, touches.size(), t->timestamp});
    }
};
