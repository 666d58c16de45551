#pragma once

#include <functional>
#include <string>

#include "DocumentWriter.h"
#include "DocxDocument.h"

namespace pellarin {

// The export's steps on a writer, in their order: a new document, the A4 portrait page with
// its margins, the font size of the whole content, then the text, read only at this point.
void WriteSheetsDocument(DocumentWriter& writer, const std::function<std::u16string()>& readText);

// A writer that builds a .docx; what "show" means is left to the subclass.
class DocxWriter : public DocumentWriter {
public:
    void Create() override { m_document = DocxDocument(); }
    void SetPageHeight(double points) override { m_document.SetPageHeight(points); }
    void SetPageWidth(double points) override { m_document.SetPageWidth(points); }
    void SetTopMargin(double points) override { m_document.SetTopMargin(points); }
    void SetBottomMargin(double points) override { m_document.SetBottomMargin(points); }
    void SetLeftMargin(double points) override { m_document.SetLeftMargin(points); }
    void SetRightMargin(double points) override { m_document.SetRightMargin(points); }
    void SetFontSize(double points) override { m_document.SetFontSize(points); }
    void InsertText(std::u16string text) override { m_document.AppendText(std::move(text)); }

protected:
    DocxDocument m_document;
};

// Writes the document to a given file, for batch use: "show" is saving it there.
class DocxFileWriter : public DocxWriter {
public:
    explicit DocxFileWriter(std::string path) : m_path(std::move(path)) {}
    void Show() override { m_document.Save(m_path); }

private:
    std::string m_path;
};

}  // namespace pellarin
