// A slider's value bound to an engine parameter or a get/set pair, with its redraws.
#include "model/GraphicsValueProvider.h"

#include "model/GraphicsTypeController.h"

namespace {

using GetBlock = BlockValueProvider::GetBlock;
using SetBlock = BlockValueProvider::SetBlock;
using NameBlock = GraphicsValueProvider::NameBlock;

NameBlock constantName(const std::string& name) {
    return [name] { return name; };
}

// Without a name block the provider is bound to no parameter: the engine answers 0 for the
// empty name and ignores a change of it.
NameBlock nameOrEmpty(const NameBlock& nameBlock) { return nameBlock ? nameBlock : constantName(""); }

GetBlock boundGet(NameBlock nameBlock) {
    return [nameBlock = std::move(nameBlock)] { return GraphicsTypeController::adjustmentValue(nameBlock()); };
}

SetBlock boundSet(NameBlock nameBlock) {
    return
        [nameBlock = std::move(nameBlock)](float value) { GraphicsTypeController::setAdjustment(nameBlock(), value); };
}

GetBlock modeDefault(const NameBlock& nameBlock) {
    return [nameBlock] { return GraphicsTypeController::cachedAdjustmentValue(nameBlock()); };
}

// Calls the given set block, then asks for a redraw unless the provider waits for the end
// of the drag.
SetBlock redrawingSetBlock(SetBlock set, bool useCache, bool updateInRealtime) {
    return [set = std::move(set), useCache, updateInRealtime](float value) {
        if (set) set(value);
        if (updateInRealtime) GraphicsTypeController::updateGraphicsView(useCache);
    };
}

}  // namespace

GraphicsValueProvider::GraphicsValueProvider(NameBlock nameBlock, GetBlock get, SetBlock set, GetBlock defaultBlock,
                                             bool useCache, bool updateInRealtime)
    : BlockValueProvider(std::move(get), redrawingSetBlock(std::move(set), useCache, updateInRealtime),
                         std::move(defaultBlock)),
      nameBlock_(std::move(nameBlock)) {
    setValueWillBeginChangeBlock([] { GraphicsTypeController::adjustmentWillBeginChange(); });
    setValueWillFinishChangeBlock([useCache, updateInRealtime] {
        GraphicsTypeController::adjustmentWillFinishChange();
        if (!updateInRealtime) GraphicsTypeController::updateGraphicsView(useCache);
    });
}

GraphicsValueProvider::GraphicsValueProvider(NameBlock nameBlock, GetBlock defaultBlock)
    : GraphicsValueProvider(nameBlock, boundGet(nameOrEmpty(nameBlock)), boundSet(nameOrEmpty(nameBlock)),
                            std::move(defaultBlock),
                            GraphicsTypeController::adjustmentCanUseCache(nameOrEmpty(nameBlock)())) {}

std::shared_ptr<GraphicsValueProvider> GraphicsValueProvider::graphicsValueProviderWithName(const std::string& name) {
    return graphicsValueProviderWithNameBlock(constantName(name));
}

std::shared_ptr<GraphicsValueProvider> GraphicsValueProvider::graphicsValueProviderWithName(const std::string& name,
                                                                                            bool defaultValueFromMode) {
    return graphicsValueProviderWithNameBlock(constantName(name), defaultValueFromMode);
}

std::shared_ptr<GraphicsValueProvider> GraphicsValueProvider::graphicsValueProviderWithName(const std::string& name,
                                                                                            GetBlock defaultBlock) {
    return graphicsValueProviderWithNameBlock(constantName(name), std::move(defaultBlock));
}

std::shared_ptr<GraphicsValueProvider> GraphicsValueProvider::graphicsValueProviderWithNameBlock(NameBlock nameBlock) {
    return graphicsValueProviderWithNameBlock(std::move(nameBlock), GetBlock());
}

std::shared_ptr<GraphicsValueProvider> GraphicsValueProvider::graphicsValueProviderWithNameBlock(
    NameBlock nameBlock, bool defaultValueFromMode) {
    GetBlock defaultBlock = defaultValueFromMode ? modeDefault(nameOrEmpty(nameBlock)) : GetBlock();
    return graphicsValueProviderWithNameBlock(std::move(nameBlock), std::move(defaultBlock));
}

std::shared_ptr<GraphicsValueProvider> GraphicsValueProvider::graphicsValueProviderWithNameBlock(
    NameBlock nameBlock, GetBlock defaultBlock) {
    return std::make_shared<GraphicsValueProvider>(std::move(nameBlock), std::move(defaultBlock));
}

std::shared_ptr<GraphicsValueProvider> GraphicsValueProvider::graphicsValueProviderWithGetBlock(
    GetBlock get, SetBlock set, GetBlock defaultBlock, bool useCache, bool updateInRealtime) {
    return std::make_shared<GraphicsValueProvider>(NameBlock(), std::move(get), std::move(set), std::move(defaultBlock),
                                                   useCache, updateInRealtime);
}
