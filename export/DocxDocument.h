#pragma once

#include <string>
#include <string_view>

namespace pellarin {

// A word-processor document in Office Open XML (.docx): one page set-up, one font and size
// for the whole content (kept in the document's default style), and the text with every line
// break a new paragraph and every space kept. Each sheet after the first starts a new page:
// a page break goes in front of every title but the first, which is no character of the text.
//
// Fonts: the ASCII slots name NSimSun (新宋体), the fixed-pitch twin of SimSun, and the East
// Asian slot SimSun (宋体). Word on Windows has both; on Linux fontconfig takes NSimSun for a
// monospace family, so with the text marked Chinese a word processor sets the digits, spaces
// and "=" in the fixed-pitch CJK face the machine has (AR PL UMing, Noto Sans Mono CJK) and
// the columns of the sheets line up.
class DocxDocument {
public:
    void SetPageHeight(double points) { m_pageHeight = points; }
    void SetPageWidth(double points) { m_pageWidth = points; }
    void SetTopMargin(double points) { m_top = points; }
    void SetBottomMargin(double points) { m_bottom = points; }
    void SetLeftMargin(double points) { m_left = points; }
    void SetRightMargin(double points) { m_right = points; }
    void SetFontSize(double points) { m_fontSize = points; }
    void AppendText(std::u16string text);

    // Writes the package beside `path` under a hidden temporary name, then gives it that name
    // only if the name is still free: an existing file is never replaced, even one that
    // appears while the document is being written, and a write that is cut off never leaves
    // a partial document under the final name. The XML is streamed into the archive, so a
    // big document costs little more memory than its text. Throws DocumentExists when the
    // name is taken and DocumentError with the reason for any other failure.
    void Save(const std::string& path) const;

private:
    double m_pageHeight = 841.89, m_pageWidth = 595.28;
    double m_top = 72, m_bottom = 72, m_left = 90, m_right = 90;
    double m_fontSize = 12;
    std::u16string m_text;
};

}  // namespace pellarin
