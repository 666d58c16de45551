#pragma once

#include <string>
#include <string_view>

namespace pellarin {

// A word-processor document in Office Open XML (.docx): one page set-up, one font size for
// the whole content, and the text with every line break a new paragraph and every space
// kept. The font named is SimSun (宋体), whose ASCII is half the width of a Chinese
// character, so that the columns of the sheets line up; Word on Windows has it, and
// elsewhere the name falls back to a font of the same build (AR PL UMing on Debian).
class DocxDocument {
public:
    void SetPageHeight(double points) { m_pageHeight = points; }
    void SetPageWidth(double points) { m_pageWidth = points; }
    void SetTopMargin(double points) { m_top = points; }
    void SetBottomMargin(double points) { m_bottom = points; }
    void SetLeftMargin(double points) { m_left = points; }
    void SetRightMargin(double points) { m_right = points; }
    void SetFontSize(double points) { m_fontSize = points; }
    void AppendText(std::u16string_view text) { m_text.append(text); }

    // The main part, word/document.xml.
    std::string DocumentXml() const;

    // Writes the package. Never overwrites: an existing file at `path` is an error, so two
    // exports can never clobber each other. Throws DocumentError with the reason.
    void Save(const std::string& path) const;

private:
    double m_pageHeight = 841.89, m_pageWidth = 595.28;
    double m_top = 72, m_bottom = 72, m_left = 90, m_right = 90;
    double m_fontSize = 12;
    std::u16string m_text;
};

}  // namespace pellarin
