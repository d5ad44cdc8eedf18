#include "platform/uikit/UIPasteboard.h"

#include <SDL.h>

namespace {

bool desktopClipboard() { return SDL_WasInit(SDL_INIT_VIDEO) != 0; }

}  // namespace

UIPasteboard& UIPasteboard::generalPasteboard() {
    static UIPasteboard pasteboard;
    return pasteboard;
}

std::optional<std::string> UIPasteboard::string() const {
    if (desktopClipboard() && SDL_HasClipboardText()) {
        char* text = SDL_GetClipboardText();
        std::string copy = text ? text : "";
        SDL_free(text);
        if (!copy.empty()) return copy;
    }
    return text_;
}

void UIPasteboard::setString(const std::string& text) {
    text_ = text;
    if (desktopClipboard()) SDL_SetClipboardText(text.c_str());
}
