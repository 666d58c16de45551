#pragma once

#include <QPageLayout>
#include <QString>
#include <QStringList>

class QPagedPaintDevice;
class QPainter;

// The output box's text on paper: A4 portrait, 2.2 cm at top and bottom and 3.17 cm left and
// right, 15 points, one sheet a page. Each problem is drawn at its column's own place, so the
// columns are straight whatever the face; a sheet's number is at the foot of its page. With
// answers, one page per sheet follows all the sheets, with every problem in the same place
// followed by its value, or a compact key of the results alone. A class list puts each child's
// name on a sheet. Parts of the text that are no longer sheets are printed line by line as
// they stand.
namespace sheet_pages {

// The page the sheets are laid out on; the device is put in full-page mode, so that the
// margins are the layout's own.
QPageLayout PageLayout();

// Which answer key follows the sheets: none; a page per sheet with every problem and its
// value; or the compact key, the results alone in their places, four sheets to a page.
enum class Answers { None, Full, Compact };

struct Options {
    Answers answers = Answers::None;
    QStringList names;  // name i goes on sheet i + 1, its footer and its key; later sheets stay blank
    QString className;  // on every sheet's "班级:" blank
    // Ready for marking: corner squares to straighten a scan by, a QR code with the whole sheet
    // and a short code for a person, and a box after each "=" for the child's answer. Off,
    // the sheets are printed plain, as the box's text. Keys never have boxes.
    bool marks = true;
    // Set, it gets what the user should be told of the names once the pages are drawn: a name
    // cut to fit, a name no face on this machine can write (left off the paper).
    QStringList* said = nullptr;
};

// Paints the pages on a device the painter is already active on (a printer or a PDF writer
// set up with PageLayout()). Returns the number of pages.
int Paint(QPainter& painter, QPagedPaintDevice& device, const QString& text, const Options& options);

}  // namespace sheet_pages
