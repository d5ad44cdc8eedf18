#pragma once
// What a slider edits: a float value with a default, and hooks around each drag.
//
// `ValueProvider` keeps the value itself; `BlockValueProvider` reads, writes and defaults it
// through blocks; `GraphicsValueProvider` binds it to an engine parameter (by name, through
// the render view) or to any get/set pair, and asks for a redraw after each change.
// Providers are shared: a picker item may borrow the provider of another item.
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

class GraphicsValueProvider : public BlockValueProvider {
public:
    using NameBlock = std::function<std::string()>;

    // Bound to the engine parameter of that name. The redraw uses the engine's cache when
    // the parameter is one whose change the cache can render.
    static std::shared_ptr<GraphicsValueProvider> graphicsValueProviderWithName(const std::string& name);
    // With defaultValueFromMode the default is the value the last applied mode gave the
    // parameter; otherwise the value read now.
    static std::shared_ptr<GraphicsValueProvider> graphicsValueProviderWithName(const std::string& name,
                                                                                bool defaultValueFromMode);
    static std::shared_ptr<GraphicsValueProvider> graphicsValueProviderWithName(const std::string& name,
                                                                                GetBlock defaultBlock);
    static std::shared_ptr<GraphicsValueProvider> graphicsValueProviderWithNameBlock(NameBlock nameBlock);
    static std::shared_ptr<GraphicsValueProvider> graphicsValueProviderWithNameBlock(NameBlock nameBlock,
                                                                                     bool defaultValueFromMode);
    static std::shared_ptr<GraphicsValueProvider> graphicsValueProviderWithNameBlock(NameBlock nameBlock,
                                                                                     GetBlock defaultBlock);
    // Bound to any get/set pair.
    static std::shared_ptr<GraphicsValueProvider> graphicsValueProviderWithGetBlock(
        GetBlock get, SetBlock set, GetBlock defaultBlock = nullptr, bool useCache = false,
        bool updateInRealtime = true);

    // The designated initialiser. With updateInRealtime every change asks for a (throttled)
    // redraw; without it, one redraw follows the end of a drag.
    GraphicsValueProvider(NameBlock nameBlock, GetBlock get, SetBlock set, GetBlock defaultBlock, bool useCache,
                          bool updateInRealtime = true);
    // Name-bound: get and set go to the engine parameter the name block answers at the time.
    GraphicsValueProvider(NameBlock nameBlock, GetBlock defaultBlock);

    const NameBlock& nameBlock() const { return nameBlock_; }
    // The engine parameter name; empty without a name block.
    std::string name() const { return nameBlock_ ? nameBlock_() : std::string(); }

private:
    NameBlock nameBlock_;
};
