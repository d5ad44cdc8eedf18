// The colour catalogue names looks by the names the engine's look table gives them: a name
// is sent as "CA Tone Map" and turned into the look's index by the engine.
#include <gtest/gtest.h>

#include "engine/ToneMapLookTable.h"
#include "model/FakeGraphicsView.h"
#include "model/Type.h"

namespace {

TEST(EngineLooks, LookNamesAreTheEngineTableInItsOrder) {
    const std::vector<std::string>& names = TypeController::toneMapNames();
    ASSERT_EQ(names.size(), std::size_t(kToneMapLookCount));
    for (int i = 0; i < kToneMapLookCount; ++i) EXPECT_EQ(names[i], ToneMapLookTable[i].displayName) << "look " << i;
}

TEST(EngineLooks, EveryLookOfTheListHasAnEngineLook) {
    FakeGraphicsView view;
    for (const auto& item : TypeController::colors()) {
        if (!item->selectedBlock()) continue;
        item->selectedBlock()(true, item.get());
        const std::string look = view.strings["CA Tone Map"];
        bool found = false;
        for (const sToneMapLook& entry : ToneMapLookTable) found = found || look == entry.displayName;
        EXPECT_TRUE(found) << item->name().value_or("?") << " sends " << look;
    }
}

}  // namespace
