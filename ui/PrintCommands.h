#pragma once

#include <QList>
#include <QObject>
#include <QString>
#include <functional>

#include "print/SheetPages.h"

class OutputBox;
class QAction;
class QPrinter;
class QWidget;

// Printing from the window: Ctrl+P opens a preview of the output box's text, where the answer
// key can be added and the pages printed or saved as PDF; the output box's right-click menu
// offers the preview and saving as PDF, each with or without answers. What is printed is the
// box's text as it is now, edits included. A failure is reported in a box; the text stays.
class PrintCommands : public QObject {
    Q_OBJECT
public:
    PrintCommands(QWidget* window, OutputBox* output);

    void Preview(bool answers);
    // The class list for the printed sheets: asked for in its dialog; false when cancelled.
    bool ChooseClassList(QWidget* parent);
    // Boxes and the file dialog open over `parent`: the window, or the preview saving its pages.
    void SaveAsPdf(bool answers, QWidget* parent = nullptr);


signals:
    // The pages have been painted on a printer: the preview's or, after a print, the real one.
    void printed(QPrinter* printer);

private:
    QAction* MenuAction(const QString& text, const std::function<void()>& run);
    void PaintOn(QPrinter* printer, bool answers);
    sheet_pages::Options Paper(bool answers) const;
    // An empty box has nothing to print: the user is told what to do first.
    bool HasSomethingToPrint(QWidget* parent);
    // What goes on paper: the box's text, or with 按各人错题出题 a sheet for each named child
    // made again from the box's settings, with the child's missed facts; `notes` then says how
    // many each child got, and why any did not.
    QString PrintedText(QStringList* notes = nullptr) const;

    QWidget* m_window;
    OutputBox* m_output;
    // What goes on paper besides the sheets, as chosen in the preview: the form of the answer
    // key (the compact one unless a page per sheet is asked for), the names and the class.
    sheet_pages::Answers m_keyForm = sheet_pages::Answers::Compact;
    QStringList m_names;
    bool m_marks = true;  // sheets ready for marking by scan
    QString m_className;
    int m_factsPerSheet = 0;  // 按各人错题出题: at most this many of each child's facts; 0 off
};
