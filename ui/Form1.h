#pragma once

#include <QPointer>
#include <QWidget>
#include <array>
#include <functional>
#include <memory>

#include "export/DocumentWriter.h"

class CaptionLabel;
class Form2;
class MarkingCommands;
class NumericBox;
class OutputBox;
class PictureFace;
class DifficultyBox;
class QLabel;
class QTimer;

// The main window. It holds all the program's state in its controls: the three settings,
// the output box, the counter and the status line. Control names are the names the sheets'
// users and tests know them by, with the array index: Text1_0, Image_KongZhi_4, Label1_12.
class Form1 : public QWidget {
    Q_OBJECT
public:
    // Told, possibly after the export has ended, that the saved document could not be opened.
    using NotOpened = std::function<void(const QString& path)>;
    using MakeWriter = std::function<std::unique_ptr<pellarin::DocumentWriter>(NotOpened notOpened)>;

    struct Options {
        bool showSplash = true;        // the start-up sequence with Form2
        int splashIntervalMs = 2000;   // how long the splash stays
        // Makes the document writer of an export; the default writes a .docx into the
        // user's documents folder and opens it.
        MakeWriter makeWriter;
    };

    Form1();
    explicit Form1(Options options);
    ~Form1() override;

    // The first activation: hide, then show again when the splash's time is up. The program
    // calls this before showing anything, so the main window never flashes.
    void BeginStartUp();
    Form2* splash() const;
    // Opens the marking window on scans named on the command line.
    void OpenScans(const QStringList& files);

    static const QString kHelpText;
    static const QString kContactLine;

protected:
    void changeEvent(QEvent* event) override;

private:
    void Load();
    void BuildControls();

    void OnFaceMoved(int index);
    void OnFacePressed(int index);
    void OnFaceClicked(int index);
    void RunFromKeyboard(int index);
    void OnTimer();
    void OnNumberChanged(int index);
    void OnNumberLostFocus(int index);
    void OnDifficultyEdited();

    void HoverLook(int index);
    void ShowHelp();
    void StartRun();
    void Export();
    void ReportNotOpened(const QString& path);
    void Clear();
    void Copy();

    void SetCommandEnabled(int index, bool enabled);
    void SetStatus(const QString& text, const QColor& color);
    void Warn(const QString& text);

    Options m_options;
    std::array<PictureFace*, 9> m_faces{};
    std::array<CaptionLabel*, 13> m_labels{};
    NumericBox* m_limitBox = nullptr;   // Text1_0
    NumericBox* m_sheetsBox = nullptr;  // Text1_2
    DifficultyBox* m_combo = nullptr;   // Combo1
    OutputBox* m_output = nullptr;      // Text2
    QLabel* m_image1 = nullptr;         // carries the normal face picture
    QLabel* m_image2 = nullptr;         // carries the highlighted face picture
    QLabel* m_image3 = nullptr;         // decoration
    QTimer* m_timer1 = nullptr;
    MarkingCommands* m_marking = nullptr;
    QPointer<Form2> m_splash;
    bool m_startUpBegun = false;
};
