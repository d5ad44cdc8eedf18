#pragma once
// A URL as the program passes it around: a file URL (an absolute path) or any other address
// kept as its text. Values, compared by their text.
#include <string>

class NSURL {
public:
    static NSURL fileURLWithPath(std::string path) { return NSURL(std::move(path), true); }
    static NSURL URLWithString(std::string text) { return NSURL(std::move(text), false); }

    bool isFileURL() const { return file_; }
    // The file's path; the text itself for other URLs.
    const std::string& path() const { return text_; }
    std::string absoluteString() const { return file_ ? "file://" + text_ : text_; }
    std::string lastPathComponent() const;
    // The last component's ending after its last dot, without the dot; empty when none.
    std::string pathExtension() const;

    bool operator==(const NSURL& other) const { return file_ == other.file_ && text_ == other.text_; }

private:
    NSURL(std::string text, bool file) : text_(std::move(text)), file_(file) {}
    std::string text_;
    bool file_;
};
