#pragma once
// The small controller shown in a peek: its view holds the preview view, and it lists the
// peek's actions.
#include <memory>
#include <vector>

#include "platform/uikit/UIViewController.h"

class PreviewViewController : public UIViewController {
public:
    UIView* previewView() const { return previewView_.lock().get(); }
    // Clear background, flexible size; the view fills the controller's view.
    void setPreviewView(const std::shared_ptr<UIView>& view);
    std::vector<UIPreviewAction> previewActionItems() const override { return previewActionItems_; }
    void setPreviewActionItems(std::vector<UIPreviewAction> items) { previewActionItems_ = std::move(items); }

private:
    std::weak_ptr<UIView> previewView_;  // the view tree holds it
    std::vector<UIPreviewAction> previewActionItems_;
};
