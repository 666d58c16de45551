#include "DocxWriter.h"

namespace pellarin {

void WriteSheetsDocument(DocumentWriter& writer, const std::function<std::u16string()>& readText) {
    writer.Create();
    writer.SetPageHeight(CentimetersToPoints(29.7f));
    writer.SetPageWidth(CentimetersToPoints(21.0f));
    writer.SetTopMargin(CentimetersToPoints(2.2f));
    writer.SetBottomMargin(CentimetersToPoints(2.2f));
    writer.SetLeftMargin(CentimetersToPoints(3.17f));
    writer.SetRightMargin(CentimetersToPoints(3.17f));
    writer.SetFontSize(15.0f);
    writer.InsertText(readText());
}

}  // namespace pellarin
