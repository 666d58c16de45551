#include "DocxDocument.h"

#include <zip.h>

#include <cerrno>
#include <cmath>
#include <cstring>
#include <memory>
#include <vector>

#include "DocumentWriter.h"
#include "generator/Utf.h"

namespace pellarin {
namespace {

constexpr const char* kFont = "SimSun";

long Twentieths(double points) { return std::lround(points * 20.0); }

bool IsXmlChar(char32_t c) {
    return c == 0x9 || c == 0xA || c == 0xD || (c >= 0x20 && c <= 0xD7FF) || (c >= 0xE000 && c <= 0xFFFD) ||
           (c >= 0x10000 && c <= 0x10FFFF);
}

// Escapes a line for a w:t element. Characters XML cannot carry (control characters, lone
// surrogates) become U+FFFD instead of making a file no reader opens.
std::string Escape(std::u16string_view text) {
    std::u16string clean;
    clean.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char16_t c = text[i];
        const bool high = c >= 0xD800 && c <= 0xDBFF;
        if (high && i + 1 < text.size() && text[i + 1] >= 0xDC00 && text[i + 1] <= 0xDFFF) {
            clean.push_back(c);
            clean.push_back(text[++i]);
        } else if ((c >= 0xD800 && c <= 0xDFFF) || !IsXmlChar(c)) {
            clean.push_back(u'\uFFFD');
        } else {
            clean.push_back(c);
        }
    }
    std::string out;
    for (char c : ToUtf8(clean)) {
        switch (c) {
            case '&': out += "&amp;"; break;
            case '<': out += "&lt;"; break;
            case '>': out += "&gt;"; break;
            case '"': out += "&quot;"; break;
            default: out += c;
        }
    }
    return out;
}

// The text is marked Chinese: besides being true, it makes a word processor that lacks SimSun
// pick a Chinese font for the digits and signs too, whose ASCII is half-width as well.
std::string RunProperties(long halfPoints) {
    const std::string size = std::to_string(halfPoints);
    return std::string("<w:rPr><w:rFonts w:ascii=\"") + kFont + "\" w:hAnsi=\"" + kFont + "\" w:eastAsia=\"" +
           kFont + "\" w:cs=\"" + kFont + "\"/><w:sz w:val=\"" + size + "\"/><w:szCs w:val=\"" + size +
           "\"/><w:lang w:val=\"zh-CN\" w:eastAsia=\"zh-CN\"/></w:rPr>";
}

// One paragraph per line; a tab is its own element inside the run.
void AppendParagraph(std::string& xml, std::u16string_view line, const std::string& rPr) {
    xml += "<w:p><w:pPr>" + rPr + "</w:pPr>";
    if (!line.empty()) {
        xml += "<w:r>" + rPr;
        std::size_t start = 0;
        while (true) {
            const std::size_t tab = line.find(u'\t', start);
            const std::u16string_view piece = line.substr(start, tab == std::u16string_view::npos ? tab : tab - start);
            if (!piece.empty()) xml += "<w:t xml:space=\"preserve\">" + Escape(piece) + "</w:t>";
            if (tab == std::u16string_view::npos) break;
            xml += "<w:tab/>";
            start = tab + 1;
        }
        xml += "</w:r>";
    }
    xml += "</w:p>";
}

constexpr const char* kContentTypes =
    R"(<?xml version="1.0" encoding="UTF-8" standalone="yes"?>)"
    R"(<Types xmlns="http://schemas.openxmlformats.org/package/2006/content-types">)"
    R"(<Default Extension="rels" ContentType="application/vnd.openxmlformats-package.relationships+xml"/>)"
    R"(<Default Extension="xml" ContentType="application/xml"/>)"
    R"(<Override PartName="/word/document.xml" ContentType="application/vnd.openxmlformats-officedocument.wordprocessingml.document.main+xml"/>)"
    R"(<Override PartName="/word/styles.xml" ContentType="application/vnd.openxmlformats-officedocument.wordprocessingml.styles+xml"/>)"
    R"(<Override PartName="/word/fontTable.xml" ContentType="application/vnd.openxmlformats-officedocument.wordprocessingml.fontTable+xml"/>)"
    R"(</Types>)";

constexpr const char* kPackageRels =
    R"(<?xml version="1.0" encoding="UTF-8" standalone="yes"?>)"
    R"(<Relationships xmlns="http://schemas.openxmlformats.org/package/2006/relationships">)"
    R"(<Relationship Id="rId1" Type="http://schemas.openxmlformats.org/officeDocument/2006/relationships/officeDocument" Target="word/document.xml"/>)"
    R"(</Relationships>)";

constexpr const char* kDocumentRels =
    R"(<?xml version="1.0" encoding="UTF-8" standalone="yes"?>)"
    R"(<Relationships xmlns="http://schemas.openxmlformats.org/package/2006/relationships">)"
    R"(<Relationship Id="rId1" Type="http://schemas.openxmlformats.org/officeDocument/2006/relationships/styles" Target="styles.xml"/>)"
    R"(<Relationship Id="rId2" Type="http://schemas.openxmlformats.org/officeDocument/2006/relationships/fontTable" Target="fontTable.xml"/>)"
    R"(</Relationships>)";

// SimSun is a GB2312 font whose ASCII is half-width; altName gives its Chinese name.
constexpr const char* kFontTable =
    R"(<?xml version="1.0" encoding="UTF-8" standalone="yes"?>)"
    R"(<w:fonts xmlns:w="http://schemas.openxmlformats.org/wordprocessingml/2006/main">)"
    R"(<w:font w:name="SimSun"><w:altName w:val="宋体"/><w:panose1 w:val="02010600030101010101"/>)"
    R"(<w:charset w:val="86"/><w:family w:val="auto"/><w:pitch w:val="variable"/></w:font>)"
    R"(</w:fonts>)";

std::string StylesXml(long halfPoints) {
    return std::string(R"(<?xml version="1.0" encoding="UTF-8" standalone="yes"?>)"
                       R"(<w:styles xmlns:w="http://schemas.openxmlformats.org/wordprocessingml/2006/main">)"
                       R"(<w:docDefaults><w:rPrDefault>)") +
           RunProperties(halfPoints) +
           R"(</w:rPrDefault><w:pPrDefault><w:pPr><w:spacing w:before="0" w:after="0" w:line="240" w:lineRule="auto"/>)"
           R"(</w:pPr></w:pPrDefault></w:docDefaults>)"
           R"(<w:style w:type="paragraph" w:default="1" w:styleId="Normal"><w:name w:val="Normal"/></w:style>)"
           R"(</w:styles>)";
}

struct ZipCloser {
    void operator()(zip_t* archive) const { zip_discard(archive); }
};

}  // namespace

std::string DocxDocument::DocumentXml() const {
    const std::string rPr = RunProperties(std::lround(m_fontSize * 2.0));
    std::string xml = R"(<?xml version="1.0" encoding="UTF-8" standalone="yes"?>)"
                      R"(<w:document xmlns:w="http://schemas.openxmlformats.org/wordprocessingml/2006/main"><w:body>)";
    // CR LF is the line break; a lone CR or LF (only from pasted text) breaks the line too.
    std::size_t start = 0;
    for (std::size_t i = 0; i <= m_text.size(); ++i) {
        if (i == m_text.size() || m_text[i] == u'\r' || m_text[i] == u'\n') {
            AppendParagraph(xml, std::u16string_view(m_text).substr(start, i - start), rPr);
            if (i + 1 < m_text.size() && m_text[i] == u'\r' && m_text[i + 1] == u'\n') ++i;
            start = i + 1;
        }
    }
    xml += "<w:sectPr><w:pgSz w:w=\"" + std::to_string(Twentieths(m_pageWidth)) + "\" w:h=\"" +
           std::to_string(Twentieths(m_pageHeight)) + "\"/><w:pgMar w:top=\"" + std::to_string(Twentieths(m_top)) +
           "\" w:right=\"" + std::to_string(Twentieths(m_right)) + "\" w:bottom=\"" +
           std::to_string(Twentieths(m_bottom)) + "\" w:left=\"" + std::to_string(Twentieths(m_left)) +
           "\" w:header=\"720\" w:footer=\"720\" w:gutter=\"0\"/></w:sectPr></w:body></w:document>";
    return xml;
}

void DocxDocument::Save(const std::string& path) const {
    int error = 0;
    std::unique_ptr<zip_t, ZipCloser> archive(zip_open(path.c_str(), ZIP_CREATE | ZIP_EXCL, &error));
    if (!archive) {
        zip_error_t details;
        zip_error_init_with_code(&details, error);
        const std::string reason = zip_error_strerror(&details);
        zip_error_fini(&details);
        throw DocumentError("无法创建文件（" + reason + "）", path);
    }
    // The sources keep pointers into these strings until the archive is written.
    const std::vector<std::pair<const char*, std::string>> parts = {
        {"[Content_Types].xml", kContentTypes},
        {"_rels/.rels", kPackageRels},
        {"word/_rels/document.xml.rels", kDocumentRels},
        {"word/document.xml", DocumentXml()},
        {"word/styles.xml", StylesXml(std::lround(m_fontSize * 2.0))},
        {"word/fontTable.xml", kFontTable},
    };
    for (const auto& [name, content] : parts) {
        zip_source_t* source = zip_source_buffer(archive.get(), content.data(), content.size(), 0);
        if (!source || zip_file_add(archive.get(), name, source, ZIP_FL_ENC_UTF_8) < 0) {
            if (source) zip_source_free(source);
            throw DocumentError("无法写入文件内容（" + std::string(zip_strerror(archive.get())) + "）", path);
        }
    }
    if (zip_close(archive.get()) < 0) {
        const std::string reason = zip_strerror(archive.get());
        throw DocumentError("无法写入文件（" + reason + "）", path);  // discarded by the closer
    }
    archive.release();
}

}  // namespace pellarin
