#pragma once
// A busy indicator of twenty concentric progress rings in shuffled pastel colours, each a
// little smaller and shorter than the one outside it, turning a quarter every half second in
// alternate directions with staggered starts. Its modal form (ModalActivityIndicator) is 100
// points wide.
#include <memory>
#include <vector>

#include "platform/uikit/UIView.h"
#include "ui/widgets/ModalActivityIndicator.h"

class CircularActivityView : public UIView {
public:
    explicit CircularActivityView(CGRect frame = CGRectZero);

    // Shuffled in place, every order equally likely.
    template <typename T>
    static void randomizeArray(std::vector<T>& items);
    // A quarter turn (clockwise when forward) over 0.5 s after the delay, again and again
    // while each turn finishes.
    static void rotateView(const std::shared_ptr<UIView>& view, double delay, bool forward);
    void animateActivityView(bool show, ModalActivityIndicator::Completion completion);

    static void beginAnimateActivityViewInView(const std::shared_ptr<UIView>& view,
                                               ModalActivityIndicator::Completion completion = nullptr);
    static void finishAnimateActivityView(ModalActivityIndicator::Completion completion = nullptr);
    static void animateActivityViewInView(const std::shared_ptr<UIView>& view);
    static ModalActivityIndicator& modal();

    static constexpr int kRings = 20;
    static constexpr double kTurnDuration = 0.5;
    static constexpr CGFloat kModalSide = 100;

private:
    static std::size_t randomBelow(std::size_t bound);
    void initialize();
};

template <typename T>
void CircularActivityView::randomizeArray(std::vector<T>& items) {
    const std::size_t n = items.size();
    for (std::size_t i = 0; i < n; ++i) std::swap(items[i], items[i + randomBelow(n - i)]);
}
