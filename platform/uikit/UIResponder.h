#pragma once
// Objects that answer events: views, and (above a controller's root view) view controllers.
// Touches a responder does not handle go on to its next responder: a view's is its
// controller when it is one's root view, else its superview; the end of the chain drops them.
#include "platform/foundation/NSObject.h"
#include "platform/uikit/UITouch.h"

class UIResponder : public NSObject {
public:
    // Who gets the events this responder passes on; null at the end of the chain.
    virtual UIResponder* nextResponder() const { return nullptr; }

    // By default each passes the touches on to the next responder.
    virtual void touchesBegan(const UITouchSet& touches, const UIEvent* event);
    virtual void touchesMoved(const UITouchSet& touches, const UIEvent* event);
    virtual void touchesEnded(const UITouchSet& touches, const UIEvent* event);
    virtual void touchesCancelled(const UITouchSet& touches, const UIEvent* event);
};
