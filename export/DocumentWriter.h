#pragma once

#include <stdexcept>
#include <string>
#include <string_view>

namespace pellarin {

// What the export needs of a word processor, and nothing more: a new document, its page in
// points, one font size for the whole content, the text, and showing it to the user.
class DocumentWriter {
public:
    virtual ~DocumentWriter() = default;

    virtual void Create() = 0;
    virtual void SetPageHeight(double points) = 0;
    virtual void SetPageWidth(double points) = 0;
    virtual void SetTopMargin(double points) = 0;
    virtual void SetBottomMargin(double points) = 0;
    virtual void SetLeftMargin(double points) = 0;
    virtual void SetRightMargin(double points) = 0;
    virtual void SetFontSize(double points) = 0;
    virtual void InsertText(std::u16string text) = 0;  // taken over, not copied: it can be large
    virtual void Show() = 0;
};

// 1 cm is 72 / 2.54 points. The page values are single-precision centimetres.
constexpr double CentimetersToPoints(float centimeters) { return static_cast<double>(centimeters) * 72.0 / 2.54; }

// A document that could not be made: the reason and the file it was meant for. The window
// reports it and goes on; nothing is lost.
class DocumentError : public std::runtime_error {
public:
    DocumentError(const std::string& reason, std::string path)
        : std::runtime_error(reason), m_path(std::move(path)) {}
    const std::string& path() const { return m_path; }

private:
    std::string m_path;
};

// The name is taken: something else has it, or got it while the document was being written.
class DocumentExists : public DocumentError {
public:
    using DocumentError::DocumentError;
};

}  // namespace pellarin
