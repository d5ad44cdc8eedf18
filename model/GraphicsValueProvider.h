#pragma once
// A slider's value bound to the engine: to an engine parameter by name or to any get/set pair
// (a master value), asking for a redraw after each change and bracketing each drag for the
// engine. The engine is the one the editing model holds (GraphicsTypeController).
#include <functional>
#include <memory>
#include <string>

#include "model/ValueProvider.h"

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
    static std::shared_ptr<GraphicsValueProvider> graphicsValueProviderWithGetBlock(GetBlock get, SetBlock set,
                                                                                    GetBlock defaultBlock = nullptr,
                                                                                    bool useCache = false,
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
