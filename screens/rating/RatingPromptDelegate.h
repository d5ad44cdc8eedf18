#pragma once
// What the rating prompt tells and asks whoever wants to know; every message has a default
// (questions answer yes).
#include "platform/foundation/NSError.h"

class RatingPromptDelegate {
public:
    virtual ~RatingPromptDelegate() = default;
    // A launch found a new version (the counts start again).
    virtual void ratingPromptDidDetectAppUpdate() {}
    // The look-up succeeded; no keeps the alert away.
    virtual bool ratingPromptShouldPromptForRating() { return true; }
    virtual void ratingPromptDidPromptForRating() {}
    // The look-up failed (never shown to the user).
    virtual void ratingPromptCouldNotConnectToAppStore(const NSErrorPtr& error) {}
    virtual void ratingPromptUserDidAttemptToRateApp() {}
    // After the rate button; no keeps the store page closed.
    virtual bool ratingPromptShouldOpenAppStore() { return true; }
    virtual void ratingPromptUserDidDeclineToRateApp() {}
    virtual void ratingPromptUserDidRequestReminderToRateApp() {}
    virtual void ratingPromptDidDismissStoreKitModal() {}
};
