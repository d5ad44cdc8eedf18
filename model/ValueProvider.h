#pragma once
// What a slider edits: a float value with a default, and hooks around each drag.
//
// `ValueProvider` keeps the value itself; `BlockValueProvider` reads, writes and defaults it
// through blocks (GraphicsValueProvider.h binds one to the engine). Providers are shared: a
// picker item may borrow the provider of another item.
#include <functional>
#include <memory>
#include <string>

class ValueProvider {
public:
    using Block = std::function<void()>;

    // Value and default 0.76.
    static std::shared_ptr<ValueProvider> valueProvider();
    static std::shared_ptr<ValueProvider> valueProviderWithValue(float value);

    explicit ValueProvider(float value = 0.76f) : value_(value), defaultValue_(value) {}
    virtual ~ValueProvider() = default;
    ValueProvider(const ValueProvider&) = delete;
    ValueProvider& operator=(const ValueProvider&) = delete;

    virtual float value() const { return value_; }
    virtual void setValue(float value) { value_ = value; }
    virtual float defaultValue() const { return defaultValue_; }
    void setDefaultValue(float value) { defaultValue_ = value; }
    void resetToDefaultValue() { setValue(defaultValue()); }

    void valueWillBeginChange();
    void valueWillFinishChange();
    const Block& valueWillBeginChangeBlock() const { return willBegin_; }
    void setValueWillBeginChangeBlock(Block block) { willBegin_ = std::move(block); }
    const Block& valueWillFinishChangeBlock() const { return willFinish_; }
    void setValueWillFinishChangeBlock(Block block) { willFinish_ = std::move(block); }

private:
    float value_;
    float defaultValue_;
    Block willBegin_;
    Block willFinish_;
};

class BlockValueProvider : public ValueProvider {
public:
    using GetBlock = std::function<float()>;
    using SetBlock = std::function<void(float)>;

    static std::shared_ptr<BlockValueProvider> blockValueProviderWithGetBlock(GetBlock get, SetBlock set,
                                                                              GetBlock defaultBlock = nullptr);

    // Without a default block, the default is the value the get block answers now.
    BlockValueProvider(GetBlock get, SetBlock set, GetBlock defaultBlock = nullptr);

    float value() const override;
    void setValue(float value) override;
    float defaultValue() const override;

    const GetBlock& getBlock() const { return get_; }
    const SetBlock& setBlock() const { return set_; }
    const GetBlock& defaultBlock() const { return default_; }

private:
    GetBlock get_;
    SetBlock set_;
    GetBlock default_;
};
