// A slider's value kept by the provider or reached through blocks.
#include "model/ValueProvider.h"

// --- ValueProvider ---------------------------------------------------------------------

std::shared_ptr<ValueProvider> ValueProvider::valueProvider() { return valueProviderWithValue(0.76f); }

std::shared_ptr<ValueProvider> ValueProvider::valueProviderWithValue(float value) {
    return std::make_shared<ValueProvider>(value);
}

void ValueProvider::valueWillBeginChange() {
    if (willBegin_) willBegin_();
}

void ValueProvider::valueWillFinishChange() {
    if (willFinish_) willFinish_();
}

// --- BlockValueProvider ----------------------------------------------------------------

std::shared_ptr<BlockValueProvider> BlockValueProvider::blockValueProviderWithGetBlock(GetBlock get, SetBlock set,
                                                                                       GetBlock defaultBlock) {
    return std::make_shared<BlockValueProvider>(std::move(get), std::move(set), std::move(defaultBlock));
}

BlockValueProvider::BlockValueProvider(GetBlock get, SetBlock set, GetBlock defaultBlock)
    : get_(std::move(get)), set_(std::move(set)), default_(std::move(defaultBlock)) {
    if (!default_) {
        float initial = value();
        default_ = [initial] { return initial; };
    }
}

float BlockValueProvider::value() const { return get_ ? get_() : 0.0f; }

void BlockValueProvider::setValue(float value) {
    if (set_) set_(value);
}

float BlockValueProvider::defaultValue() const { return default_(); }
