#pragma once

#include <QString>
#include <string>
#include <vector>

#include "practice/Session.h"

class QPagedPaintDevice;
class QPainter;
class QWidget;

// 打印成绩: a handed-in sheet on one A4 page, as a teacher would give it back: the child, the
// score and the time at the top, then every problem in its place with the answer written, a
// tick for a right one and, for a wrong or blank one, a cross and the result.
namespace marked_sheet {

struct Page {
    QString title;
    QString child;
    int sheet = 0;
    std::vector<practice::Problem> problems;
    std::vector<std::string> answers;
    practice::Result result;
};

// Paints the page on a device the painter is active on (a printer or a PDF writer).
void Paint(QPainter& painter, QPagedPaintDevice& device, const Page& page);

// The print preview of the page, from which it is printed or saved.
void Preview(QWidget* parent, const Page& page);

}  // namespace marked_sheet
