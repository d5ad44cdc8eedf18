#pragma once
// The general pasteboard: text kept in the process, and, while the shown window is up (SDL's
// video is running), the desktop's clipboard as well, so that text copied here can be pasted
// elsewhere and the other way round. Main thread only.
#include <optional>
#include <string>

class UIPasteboard {
public:
    static UIPasteboard& generalPasteboard();

    // The desktop clipboard's text when the window is up and it holds any, else the text last
    // set here; nothing when neither has any.
    std::optional<std::string> string() const;
    void setString(const std::string& text);

private:
    std::optional<std::string> text_;
};
