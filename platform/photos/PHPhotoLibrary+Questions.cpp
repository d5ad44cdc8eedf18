// PHPhotoLibrary: the library's own question before photos are reverted or deleted, an alert
// over the key window as the platform's prompt, answered by the person.
#include <memory>
#include <string>

#include "platform/foundation/Dispatch.h"
#include "platform/foundation/NSBundle.h"
#include "platform/foundation/NSLocalizedString.h"
#include "platform/photos/PHPhotoLibrary.h"
#include "platform/uikit/UIAlertPresentation.h"

std::string PHPhotoLibrary::questionTitle(const Question& question) {
    const std::string name = NSBundle::mainBundle().bundleName();
    const bool one = question.count == 1;
    const std::string photos = one ? "this photo" : "these " + std::to_string(question.count) + " photos";
    if (question.kind == Question::Kind::Delete) return "Allow " + name + " to delete " + photos + "?";
    return "Allow " + name + " to revert " + photos + (one ? " to its original?" : " to their originals?");
}

std::string PHPhotoLibrary::allowButtonTitle(const Question& question) {
    return question.kind == Question::Kind::Delete ? "Delete" : "Revert";
}

void PHPhotoLibrary::askWithAlert(const Question& question, std::function<void(bool allowed)> answer) {
    dispatch_async(dispatch_get_main_queue(), [question, answer = std::move(answer)] {
        auto alert = std::make_shared<UIAlertPresentation>();
        alert->title = questionTitle(question);
        alert->buttons = {
            {NSLocalizedString(kDontAllowButtonTitle), UIAlertButtonKind::Cancel},
            {NSLocalizedString(allowButtonTitle(question)),
             question.kind == Question::Kind::Delete ? UIAlertButtonKind::Destructive : UIAlertButtonKind::Default}};
        alert->system = true;
        const int allow = 1;
        alert->answer = [answer](int index) { answer(index == allow); };
        UIAlertPresentation::show(alert);
    });
}
