#pragma once
// Reading and answering the shown alert or sheet in UI tests: its buttons tapped by title or
// by index where they are drawn, through the harness's input driver.
#include <gtest/gtest.h>

#include <string>

#include "platform/uikit/UIAlertPresentation.h"
#include "support/TouchHarness.h"

// Taps the shown alert's button; fails the test when no alert is shown or the button is not.
inline void tapAlertButton(TouchHarness& ui, int index) {
    UIAlertPresentation* shown = UIAlertPresentation::shown();
    ASSERT_NE(shown, nullptr) << "no alert is shown";
    const CGRect r = shown->buttonFrame(index);
    ASSERT_FALSE(CGRectIsEmpty(r)) << "button " << index << " is not shown";
    ui.tap(CGRectGetMidX(r), CGRectGetMidY(r));
}

inline void tapAlertButton(TouchHarness& ui, const std::string& title) {
    UIAlertPresentation* shown = UIAlertPresentation::shown();
    ASSERT_NE(shown, nullptr) << "no alert is shown";
    const int index = shown->indexOfButton(title);
    ASSERT_GE(index, 0) << "no button \"" << title << "\"";
    tapAlertButton(ui, index);
}
