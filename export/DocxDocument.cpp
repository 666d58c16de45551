#include "DocxDocument.h"

#include <zip.h>

#include <algorithm>
#include <cstdio>

#include <cerrno>
#include <cmath>
#include <cstring>
#include <memory>
#include <vector>

#include "DocumentWriter.h"
#include "FilePlacement.h"
#include "generator/SheetLayout.h"
#include "generator/Utf.h"

namespace pellarin {
namespace {

long Twentieths(double points) { return std::lround(points * 20.0); }

bool IsXmlChar(char32_t c) {
    return c == 0x9 || c == 0xA || c == 0xD || (c >= 0x20 && c <= 0xD7FF) || (c >= 0xE000 && c <= 0xFFFD) ||
           (c >= 0x10000 && c <= 0x10FFFF);
}

// Appends a piece of a line as the content of a w:t element. Characters XML cannot carry
// (control characters, lone surrogates) become U+FFFD instead of making a file no reader opens.
void AppendEscaped(std::string& xml, std::u16string_view text) {
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
    for (char c : ToUtf8(clean)) {
        switch (c) {
            case '&': xml += "&amp;"; break;
            case '<': xml += "&lt;"; break;
            case '>': xml += "&gt;"; break;
            case '"': xml += "&quot;"; break;
            default: xml += c;
        }
    }
}

// Text, tabs and page breaks of one run.
void AppendRunContent(std::string& xml, std::u16string_view piece) {
    std::size_t start = 0;
    while (start <= piece.size()) {
        const std::size_t tab = std::min(piece.find(u'\t', start), piece.size());
        if (tab > start) {
            xml += "<w:t xml:space=\"preserve\">";
            AppendEscaped(xml, piece.substr(start, tab - start));
            xml += "</w:t>";
        }
        if (tab == piece.size()) break;
        xml += "<w:tab/>";
        start = tab + 1;
    }
}

// word/document.xml, produced a paragraph at a time as the archive asks for it.
class DocumentXml {
public:
    DocumentXml(std::u16string_view text, std::string sectionProperties)
        : m_text(text), m_section(std::move(sectionProperties)) {}

    void Restart() {
        m_next = 0;
        m_stage = Stage::Head;
        m_titlesSeen = 0;
    }

    // The next piece of the part into `out`; false when the part is complete.
    bool Next(std::string& out) {
        out.clear();
        switch (m_stage) {
            case Stage::Head:
                out = R"(<?xml version="1.0" encoding="UTF-8" standalone="yes"?>)"
                      R"(<w:document xmlns:w="http://schemas.openxmlformats.org/wordprocessingml/2006/main"><w:body>)";
                m_stage = Stage::Body;
                return true;
            case Stage::Body: {
                // Paragraphs until a few kilobytes are ready: few calls, little memory.
                while (out.size() < 32768 && m_next <= m_text.size()) AppendNextParagraph(out);
                if (m_next > m_text.size()) m_stage = Stage::Tail;
                return true;
            }
            case Stage::Tail:
                out = m_section + "</w:body></w:document>";
                m_stage = Stage::Done;
                return true;
            case Stage::Done: return false;
        }
        return false;
    }

private:
    enum class Stage { Head, Body, Tail, Done };

    // CR LF is the line break; a lone CR or LF (only from pasted text) breaks the line too.
    void AppendNextParagraph(std::string& out) {
        std::size_t end = m_next;
        while (end < m_text.size() && m_text[end] != u'\r' && m_text[end] != u'\n') ++end;
        const std::u16string_view line = m_text.substr(m_next, end - m_next);
        if (end < m_text.size() && m_text[end] == u'\r' && end + 1 < m_text.size() && m_text[end + 1] == u'\n') ++end;
        m_next = end + 1;
        if (line.empty()) {
            out += "<w:p/>";
            return;
        }
        out += "<w:p><w:r>";
        std::size_t start = 0;
        for (std::size_t title = line.find(kTitle); title != std::u16string_view::npos;
             title = line.find(kTitle, title + kTitle.size())) {
            if (m_titlesSeen++ == 0) continue;
            const std::size_t cut = SheetStart(line, title, start);
            AppendRunContent(out, line.substr(start, cut - start));
            out += "<w:br w:type=\"page\"/>";
            start = cut;
        }
        AppendRunContent(out, line.substr(start));
        out += "</w:r></w:p>";
    }

    std::u16string_view m_text;
    std::string m_section;
    std::size_t m_next = 0;
    Stage m_stage = Stage::Head;
    std::size_t m_titlesSeen = 0;
};

// libzip reads word/document.xml through this as it compresses it.
struct XmlSource {
    explicit XmlSource(DocumentXml part) : xml(std::move(part)) { zip_error_init(&error); }
    ~XmlSource() { zip_error_fini(&error); }
    XmlSource(const XmlSource&) = delete;
    XmlSource& operator=(const XmlSource&) = delete;

    DocumentXml xml;
    std::string chunk;
    std::size_t offset = 0;
    zip_error_t error;
};

zip_int64_t ReadXmlSource(void* state, void* data, zip_uint64_t length, zip_source_cmd_t command) {
    auto* source = static_cast<XmlSource*>(state);
    switch (command) {
        case ZIP_SOURCE_OPEN:
            source->xml.Restart();
            source->chunk.clear();
            source->offset = 0;
            return 0;
        case ZIP_SOURCE_READ: {
            auto* out = static_cast<char*>(data);
            zip_uint64_t done = 0;
            while (done < length) {
                if (source->offset == source->chunk.size()) {
                    source->offset = 0;
                    if (!source->xml.Next(source->chunk)) break;
                }
                const std::size_t n = std::min<std::size_t>(length - done, source->chunk.size() - source->offset);
                std::memcpy(out + done, source->chunk.data() + source->offset, n);
                source->offset += n;
                done += n;
            }
            return static_cast<zip_int64_t>(done);
        }
        case ZIP_SOURCE_CLOSE: return 0;
        case ZIP_SOURCE_STAT: {
            auto* stat = static_cast<zip_stat_t*>(data);
            zip_stat_init(stat);
            stat->mtime = time(nullptr);
            stat->valid |= ZIP_STAT_MTIME;
            return sizeof(zip_stat_t);
        }
        case ZIP_SOURCE_ERROR: return zip_error_to_data(&source->error, data, length);
        case ZIP_SOURCE_FREE: return 0;
        case ZIP_SOURCE_SUPPORTS:
            return zip_source_make_command_bitmap(ZIP_SOURCE_OPEN, ZIP_SOURCE_READ, ZIP_SOURCE_CLOSE,
                                                  ZIP_SOURCE_STAT, ZIP_SOURCE_ERROR, ZIP_SOURCE_FREE, -1);
        default:
            zip_error_set(&source->error, ZIP_ER_OPNOTSUPP, 0);
            return -1;
    }
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

// NSimSun is the fixed-pitch (modern) face, SimSun the proportional one; both GB2312.
constexpr const char* kFontTable =
    R"(<?xml version="1.0" encoding="UTF-8" standalone="yes"?>)"
    R"(<w:fonts xmlns:w="http://schemas.openxmlformats.org/wordprocessingml/2006/main">)"
    R"(<w:font w:name="NSimSun"><w:altName w:val="新宋体"/><w:panose1 w:val="02010609030101010101"/>)"
    R"(<w:charset w:val="86"/><w:family w:val="modern"/><w:pitch w:val="fixed"/></w:font>)"
    R"(<w:font w:name="SimSun"><w:altName w:val="宋体"/><w:panose1 w:val="02010600030101010101"/>)"
    R"(<w:charset w:val="86"/><w:family w:val="auto"/><w:pitch w:val="variable"/></w:font>)"
    R"(</w:fonts>)";

// The font and size of the whole content, in the default style so that no run repeats them.
// The text is marked Chinese: besides being true, it makes a word processor look for the
// Chinese faces of the names above.
std::string StylesXml(long halfPoints) {
    const std::string size = std::to_string(halfPoints);
    return std::string(R"(<?xml version="1.0" encoding="UTF-8" standalone="yes"?>)"
                       R"(<w:styles xmlns:w="http://schemas.openxmlformats.org/wordprocessingml/2006/main">)"
                       R"(<w:docDefaults><w:rPrDefault><w:rPr>)"
                       R"(<w:rFonts w:ascii="NSimSun" w:hAnsi="NSimSun" w:eastAsia="SimSun" w:cs="SimSun"/>)"
                       R"(<w:sz w:val=")") +
           size + R"("/><w:szCs w:val=")" + size +
           R"("/><w:lang w:val="zh-CN" w:eastAsia="zh-CN"/></w:rPr></w:rPrDefault>)"
           R"(<w:pPrDefault><w:pPr><w:spacing w:before="0" w:after="0" w:line="240" w:lineRule="auto"/>)"
           R"(</w:pPr></w:pPrDefault></w:docDefaults>)"
           R"(<w:style w:type="paragraph" w:default="1" w:styleId="Normal"><w:name w:val="Normal"/></w:style>)"
           R"(</w:styles>)";
}

// libzip's reason in the user's words: the system error where there is one.
std::string ZipReason(zip_error_t* error) {
    if (zip_error_system_type(error) == ZIP_ET_SYS && zip_error_code_system(error) != 0) {
        return DescribeFileError(zip_error_code_system(error));
    }
    if (zip_error_code_zip(error) == ZIP_ER_MEMORY) return DescribeFileError(ENOMEM);
    return "文档打包出错（代码 " + std::to_string(zip_error_code_zip(error)) + "）";
}

struct ZipDiscarder {
    void operator()(zip_t* archive) const { zip_discard(archive); }
};

// The archive as libzip writes it: straight into the one private file, so that libzip makes
// no temporary file of its own and an interrupted write leaves nothing but that file, which
// the interrupt clean-up removes. Read as an empty archive, since it starts out empty.
struct PackageFile {
    explicit PackageFile(PendingFile& pending) : file(pending) { zip_error_init(&error); }
    ~PackageFile() { zip_error_fini(&error); }
    PackageFile(const PackageFile&) = delete;
    PackageFile& operator=(const PackageFile&) = delete;

    zip_int64_t Fail(int systemError) {
        zip_error_set(&error, ZIP_ER_WRITE, systemError);
        return -1;
    }

    PendingFile& file;
    std::uint64_t size = 0;
    zip_error_t error;
};

zip_int64_t WritePackageFile(void* state, void* data, zip_uint64_t length, zip_source_cmd_t command) {
    auto* package = static_cast<PackageFile*>(state);
    switch (command) {
        case ZIP_SOURCE_OPEN:
        case ZIP_SOURCE_READ:
        case ZIP_SOURCE_CLOSE:
        case ZIP_SOURCE_SEEK:
        case ZIP_SOURCE_TELL:
        case ZIP_SOURCE_BEGIN_WRITE:
        case ZIP_SOURCE_ROLLBACK_WRITE:  // the private file is removed with it
        case ZIP_SOURCE_REMOVE:
        case ZIP_SOURCE_FREE: return 0;
        case ZIP_SOURCE_STAT: {
            auto* stat = static_cast<zip_stat_t*>(data);
            zip_stat_init(stat);
            stat->size = 0;
            stat->valid |= ZIP_STAT_SIZE;
            return sizeof(zip_stat_t);
        }
        case ZIP_SOURCE_WRITE: {
            if (const int error = package->file.Write(data, length); error != 0) return package->Fail(error);
            package->size = std::max(package->size, package->file.Tell());
            return static_cast<zip_int64_t>(length);
        }
        case ZIP_SOURCE_SEEK_WRITE: {
            auto* args = ZIP_SOURCE_GET_ARGS(zip_source_args_seek_t, data, length, &package->error);
            if (!args) return -1;
            const zip_int64_t base = args->whence == SEEK_SET   ? 0
                                     : args->whence == SEEK_CUR ? static_cast<zip_int64_t>(package->file.Tell())
                                                                : static_cast<zip_int64_t>(package->size);
            if (base + args->offset < 0) return package->Fail(EINVAL);
            if (const int error = package->file.Seek(static_cast<std::uint64_t>(base + args->offset)); error != 0) {
                return package->Fail(error);
            }
            return 0;
        }
        case ZIP_SOURCE_TELL_WRITE: return static_cast<zip_int64_t>(package->file.Tell());
        case ZIP_SOURCE_COMMIT_WRITE:
            if (const int error = package->file.Finish(); error != 0) return package->Fail(error);
            return 0;
        case ZIP_SOURCE_ERROR: return zip_error_to_data(&package->error, data, length);
        case ZIP_SOURCE_SUPPORTS:
            return zip_source_make_command_bitmap(
                ZIP_SOURCE_OPEN, ZIP_SOURCE_READ, ZIP_SOURCE_CLOSE, ZIP_SOURCE_STAT, ZIP_SOURCE_ERROR, ZIP_SOURCE_FREE,
                ZIP_SOURCE_SEEK, ZIP_SOURCE_TELL, ZIP_SOURCE_BEGIN_WRITE, ZIP_SOURCE_COMMIT_WRITE,
                ZIP_SOURCE_ROLLBACK_WRITE, ZIP_SOURCE_WRITE, ZIP_SOURCE_SEEK_WRITE, ZIP_SOURCE_TELL_WRITE,
                ZIP_SOURCE_REMOVE, ZIP_SOURCE_SUPPORTS, -1);
        default:
            zip_error_set(&package->error, ZIP_ER_OPNOTSUPP, 0);
            return -1;
    }
}

}  // namespace

void DocxDocument::AppendText(std::u16string text) {
    if (m_text.empty()) {
        m_text = std::move(text);
    } else {
        m_text += text;
    }
}

void DocxDocument::Save(const std::string& path) const {
    if (NameTaken(path)) throw DocumentExists(DescribeFileError(EEXIST), path);

    const std::string section =
        "<w:sectPr><w:pgSz w:w=\"" + std::to_string(Twentieths(m_pageWidth)) + "\" w:h=\"" +
        std::to_string(Twentieths(m_pageHeight)) + "\"/><w:pgMar w:top=\"" + std::to_string(Twentieths(m_top)) +
        "\" w:right=\"" + std::to_string(Twentieths(m_right)) + "\" w:bottom=\"" +
        std::to_string(Twentieths(m_bottom)) + "\" w:left=\"" + std::to_string(Twentieths(m_left)) +
        "\" w:header=\"720\" w:footer=\"720\" w:gutter=\"0\"/></w:sectPr>";
    const std::string styles = StylesXml(std::lround(m_fontSize * 2.0));
    // Declared before the archive, so that they outlive the archive's sources, which read them.
    XmlSource body(DocumentXml(m_text, section));

    int error = 0;
    const std::unique_ptr<PendingFile> file = PendingFile::Create(path, error);
    if (!file) throw DocumentError(DescribeFileError(error), path);
    PackageFile package(*file);
    zip_error_t openError;
    zip_error_init(&openError);
    zip_source_t* target = zip_source_function_create(&WritePackageFile, &package, &openError);
    std::unique_ptr<zip_t, ZipDiscarder> archive(target ? zip_open_from_source(target, ZIP_TRUNCATE, &openError)
                                                        : nullptr);
    if (!archive) {
        if (target) zip_source_free(target);
        const std::string reason = ZipReason(&openError);
        zip_error_fini(&openError);
        throw DocumentError(reason, path);
    }
    zip_error_fini(&openError);

    // The buffers must outlive zip_close, which reads them.
    const std::pair<const char*, std::string_view> parts[] = {
        {"[Content_Types].xml", kContentTypes},       {"_rels/.rels", kPackageRels},
        {"word/_rels/document.xml.rels", kDocumentRels}, {"word/styles.xml", styles},
        {"word/fontTable.xml", kFontTable},
    };
    auto add = [&](const char* name, zip_source_t* source) {
        if (!source || zip_file_add(archive.get(), name, source, ZIP_FL_ENC_UTF_8) < 0) {
            if (source) zip_source_free(source);
            throw DocumentError(ZipReason(zip_get_error(archive.get())), path);
        }
    };
    add("word/document.xml", zip_source_function(archive.get(), &ReadXmlSource, &body));
    for (const auto& [name, content] : parts) {
        add(name, zip_source_buffer(archive.get(), content.data(), content.size(), 0));
    }
    if (zip_close(archive.get()) < 0) {
        // The archive is discarded, the private file removed.
        throw DocumentError(ZipReason(zip_get_error(archive.get())), path);
    }
    archive.release();

    if (const int placing = file->PlaceWithoutReplacing(); placing != 0) {
        if (placing == EEXIST) throw DocumentExists(DescribeFileError(placing), path);
        throw DocumentError(DescribeFileError(placing), path);
    }
}

}  // namespace pellarin
