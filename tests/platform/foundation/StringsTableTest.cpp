// The English strings table of the resources: a key answers its text, a missing key itself.
#include <gtest/gtest.h>

#include "platform/foundation/NSLocalizedString.h"

TEST(StringsTable, AnswersAKeysTextAndAMissingKeyItself) {
    // An error's reason goes on the line under its description.
    EXPECT_EQ(NSLocalizedString("ErrorDelimiterKey"), "\n");
    EXPECT_NE(NSLocalizedString("PrivacySettingsErrorKey"), "PrivacySettingsErrorKey");
    EXPECT_EQ(NSLocalizedString("NoSuchKeyInTheTable", "a comment changes nothing"), "NoSuchKeyInTheTable");
}
