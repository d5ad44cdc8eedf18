#include "app/PreviewViewController.h"

#include "platform/uikit/UIView.h"

void PreviewViewController::setPreviewView(const std::shared_ptr<UIView>& view) {
    const auto& container = this->view();
    container->setBackgroundColor(UIColor::clearColor());
    container->setAutoresizingMask(UIViewAutoresizingFlexibleWidth | UIViewAutoresizingFlexibleHeight);
    previewView_ = view;
    if (!view) return;
    view->setFrame(container->bounds());
    container->addSubview(view);
}
