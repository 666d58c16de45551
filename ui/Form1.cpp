#include "Form1.h"

#include <QClipboard>
#include <QComboBox>
#include <QEvent>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QScreen>
#include <QTimer>

#include "Accessibility.h"
#include "CaptionLabel.h"
#include "CommandKeys.h"
#include "DifficultyBox.h"
#include "Form2.h"
#include "MessageBox.h"
#include "NumericBox.h"
#include "OutputBox.h"
#include "PictureFace.h"
#include "PrintCommands.h"
#include "marking/MarkingCommands.h"
#include "practice/PracticeCommands.h"
#include "Twips.h"
#include "export/DesktopDocumentWriter.h"
#include "export/DocxWriter.h"
#include "platform/NativePath.h"
#include "fonts/Fonts.h"
#include "generator/BuildSheets.h"
#include "generator/NumberReading.h"

namespace {

const QString kDataError = QStringLiteral("数据错误");
const QString kLimitTooLarge = QStringLiteral("由于版面问题，出口算题应不大于100，如有特殊要求请联系作者！");
const QString kSheetsTooMany =
    QStringLiteral("最多一次出60份试卷，差不多够了吧？O(∩_∩)O~，如有特殊要求请联系作者！");
const QString kLimitTooSmall = QStringLiteral("小于20的不重复出题100道，太难了吧？如有特殊要求请联系作者！");
const QString kBadDifficulty = QStringLiteral("难易选择有错，请从“难*中*易”三种选择中任选一样！");
const QString kLimitOutOfRange =
    QStringLiteral("“多少以内的加减法”的数值超出了范围，没有出题。请填写20到99之间的整数！");
const QString kSheetsOutOfRange =
    QStringLiteral("“试卷份数”的数值超出了范围，没有出题。请填写0到60之间的整数！");

const QColor kBlack(0, 0, 0);
const QColor kMaroon(128, 0, 0);
const QColor kLightGreen(128, 255, 128);
const QColor kGreen(0, 255, 0);
const QColor kRed(255, 0, 0);
const QColor kBackground(128, 128, 255);

constexpr int kHelp = 3, kStart = 4, kExport = 5, kClear = 6, kCopy = 7, kExit = 8;

struct LabelLayout {
    const char16_t* text;
    int left, top, width, height;
    double points;
};

// Label1 0..12: the nine captions, then the counter line and the status line.
constexpr LabelLayout kLabels[13] = {
    {u"多少以内的加减法？", 840, 240, 2895, 255, 14.25},
    {u"难   易   程   度", 840, 720, 2895, 255, 14.25},
    {u"试   卷   份   数", 840, 1200, 2775, 255, 14.25},
    {u"需要帮助请点击这里", 750, 1680, 2775, 255, 14.25},
    {u"开   始   出   题", 840, 2160, 2775, 255, 14.25},
    {u"生   成   试   卷", 840, 2640, 2775, 255, 14.25},
    {u"清   除   内   容", 840, 3120, 2775, 255, 14.25},
    {u"将题复制至:剪贴板", 840, 3600, 2775, 255, 14.25},
    {u"退      出", 1320, 4080, 2055, 255, 14.25},
    {u"已出试卷", 4920, 120, 1335, 375, 14.25},
    {u"", 6120, 120, 615, 375, 15.75},
    {u"份", 6720, 120, 495, 375, 14.25},
    {u"", 7440, 165, 2535, 255, 10.5},
};

// A caption as it is read out: the spaces that spread it over its label are no words.
QString SpokenName(QString caption) { return caption.remove(QLatin1Char(' ')); }

// A settings box's value, as the checks compare it: the leading number, unrounded.
double ValueOf(const QLineEdit* box) { return pellarin::ReadLeadingNumber(box->text().toStdU16String()); }

// The same value as the run takes it: rounded halves to even, or nothing when it does not
// fit 16 bits.
std::optional<std::int16_t> ReadSetting(const QLineEdit* box) {
    return pellarin::ToInt16HalfEven(ValueOf(box));
}

}  // namespace

const QString Form1::kHelpText = QStringLiteral(
    "本软件是为了练习孩子的口算能力，提升口算速度的目的而设计。减少家长出题负担，但是不要超负荷训练啊。"
    "每份试卷有80道加减法，20道连加减。简单难度是不进位、不退位加减法；中等难度是随机生成；"
    "最高难度是全进位、退位计算，而且结果都在10以上。");
// The program's name and version, which is what a question about it needs to start with.
const QString Form1::kContactLine = QStringLiteral("Pellarin 口算题，版本 " PELLARIN_VERSION);

Form1::Form1() : Form1(Options{}) {}

Form1::Form1(Options options)
    : QWidget(nullptr, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                           Qt::WindowCloseButtonHint),
      m_options(std::move(options)) {
    if (!m_options.makeWriter) {
        m_options.makeWriter = [](NotOpened notOpened) {
            return std::make_unique<pellarin::DesktopDocumentWriter>(std::move(notOpened));
        };
    }
    m_startUpBegun = !m_options.showSplash;
    BuildControls();
    Load();
}

Form1::~Form1() {
    if (m_splash) m_splash->close();
}

void Form1::BuildControls() {
    setObjectName(QStringLiteral("Form1"));
    setWindowTitle(QStringLiteral("Pellarin"));
    // All nine images of the icon; for each size the desktop gets the one of most colours.
    setWindowIcon(QIcon(QStringLiteral(":/pictures/pellarin.ico")));
    const double ppt = twips::PixelsPerTwip(this);
    setFixedSize(twips::ToPixels(9990, ppt), twips::ToPixels(4935, ppt));
    QPalette background = palette();
    background.setColor(QPalette::Window, kBackground);
    setPalette(background);
    setAutoFillBackground(true);
    // The default font of the window: 宋体 at 9 points, as on a Chinese desktop.
    setFont(fonts::Song(9));

    m_image1 = new QLabel(this);
    m_image1->setObjectName(QStringLiteral("Image1"));
    m_image1->setPixmap(QPixmap(QStringLiteral(":/pictures/face-normal.png")));
    m_image1->hide();
    m_image2 = new QLabel(this);
    m_image2->setObjectName(QStringLiteral("Image2"));
    m_image2->setPixmap(QPixmap(QStringLiteral(":/pictures/face-highlighted.png")));
    m_image2->hide();

    m_image3 = new QLabel(this);
    m_image3->setObjectName(QStringLiteral("Image3"));
    m_image3->setPixmap(QPixmap(QStringLiteral(":/pictures/decoration.png")));
    m_image3->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    m_image3->setGeometry(twips::ToPixels(240, 4440, 3915, 735, ppt));

    // Created in stacking order: faces, then their captions above them, then the boxes.
    for (int i = 0; i < 9; ++i) {
        auto* face = new PictureFace(i, this);
        face->setGeometry(twips::ToPixels(240, 120 + 480 * i, i <= 2 ? 3360 : 3915, 450, ppt));
        face->setPicture(m_image1->pixmap());
        connect(face, &PictureFace::moved, this, &Form1::OnFaceMoved);
        connect(face, &PictureFace::pressed, this, [this](int index) { OnFacePressed(index); });
        connect(face, &PictureFace::clicked, this, &Form1::OnFaceClicked);
        connect(face, &PictureFace::activated, this, &Form1::RunFromKeyboard);
        m_faces[i] = face;
    }
    for (int i = 0; i < 13; ++i) {
        const LabelLayout& layout = kLabels[i];
        auto* label = new CaptionLabel(i, QString::fromUtf16(layout.text), this);
        label->setGeometry(twips::ToPixels(layout.left, layout.top, layout.width, layout.height, ppt));
        label->setFont(fonts::Song(layout.points));
        // A caption passes its presses and clicks on to the face of the same index; the
        // counter and status labels (9 to 12) have no face and nothing answers them.
        connect(label, &CaptionLabel::pressed, this, [this](int index) { OnFacePressed(index); });
        connect(label, &CaptionLabel::clicked, this, &Form1::OnFaceClicked);
        m_labels[i] = label;
    }
    // A screen reader names each control by its caption, without the letter spacing.
    accessibility::Install();
    for (int i = 0; i < 9; ++i) {
        const QString name = SpokenName(QString::fromUtf16(kLabels[i].text));
        m_labels[i]->setAccessibleName(name);
        m_faces[i]->setAccessibleName(name);
    }
    m_labels[kHelp]->setTextColor(kLightGreen);
    m_labels[10]->setTextColor(kGreen);
    m_labels[12]->setTextColor(kGreen);

    m_limitBox = new NumericBox(0, this);
    m_limitBox->setGeometry(twips::ToPixels(3600, 120, 575, 435, ppt));
    m_limitBox->setFont(fonts::Song(15.75));
    m_combo = new DifficultyBox(this);
    m_combo->setGeometry(twips::ToPixels(3600, 600, 615, 420, ppt));
    m_combo->setFont(fonts::Song(15));
    m_sheetsBox = new NumericBox(2, this);
    m_sheetsBox->setGeometry(twips::ToPixels(3600, 1080, 575, 435, ppt));
    m_sheetsBox->setFont(fonts::Song(15.75));
    m_output = new OutputBox(this);
    m_output->setGeometry(twips::ToPixels(4560, 480, 5175, 4335, ppt));
    m_output->setFont(fonts::Columns(9));  // the window's size, in a face whose columns line up
    m_limitBox->setAccessibleName(m_labels[0]->accessibleName());
    m_combo->setAccessibleName(m_labels[1]->accessibleName());
    m_sheetsBox->setAccessibleName(m_labels[2]->accessibleName());
    m_output->setAccessibleName(QStringLiteral("试卷内容"));

    for (NumericBox* box : {m_limitBox, m_sheetsBox}) {
        connect(box, &QLineEdit::textChanged, this, [this, box] { OnNumberChanged(box->index()); });
        connect(box, &NumericBox::lostFocus, this, &Form1::OnNumberLostFocus);
    }
    // Only edits of the text part run the check; choosing from the list does not.
    connect(m_combo->lineEdit(), &QLineEdit::textEdited, this, &Form1::OnDifficultyEdited);

    setTabOrder(m_limitBox, m_sheetsBox);
    setTabOrder(m_sheetsBox, m_output);
    setTabOrder(m_output, m_combo);

    command_keys::Install(
        this, [this](int index) { return QList<QWidget*>{m_faces[index], m_labels[index]}; },
        [this](int index) { RunFromKeyboard(index); });

    new PrintCommands(this, m_output);
    new PracticeCommands(this, m_output);
    m_marking = new MarkingCommands(this, m_output);

    m_timer1 = new QTimer(this);
    m_timer1->setObjectName(QStringLiteral("Timer1"));
    connect(m_timer1, &QTimer::timeout, this, &Form1::OnTimer);

    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        move(screen->availableGeometry().center() - rect().center());
    }
}

void Form1::Load() {
    if (m_options.showSplash) {
        m_splash = new Form2;
        m_splash->show();
    }
    SetCommandEnabled(kExport, false);
    m_output->setText(QString());
    m_limitBox->setText(QStringLiteral("99"));
    m_sheetsBox->setText(QStringLiteral("40"));
    m_labels[10]->setText(QStringLiteral("0"));
    m_labels[12]->setText(QString());
    m_combo->addItems({QStringLiteral("难"), QStringLiteral("中"), QStringLiteral("易")});
    m_combo->setEditText(QStringLiteral("中"));
    m_limitBox->setFocus();
}

Form2* Form1::splash() const { return m_splash; }

void Form1::OpenScans(const QStringList& files) { m_marking->Open(files); }

void Form1::BeginStartUp() {
    if (m_startUpBegun) return;
    m_startUpBegun = true;
    hide();
    m_timer1->setInterval(m_options.splashIntervalMs);
    m_timer1->start();
}

void Form1::changeEvent(QEvent* event) {
    // Activate: only the very first activation starts the splash phase.
    if (event->type() == QEvent::ActivationChange && isActiveWindow()) BeginStartUp();
    QWidget::changeEvent(event);
}

void Form1::OnTimer() {
    m_timer1->stop();
    show();
    activateWindow();
    if (m_splash) m_splash->close();
}

// ---- Picture buttons ----

void Form1::OnFaceMoved(int index) { HoverLook(index); }

void Form1::HoverLook(int index) {
    for (int k = 0; k < 9; ++k) {
        m_faces[k]->setPicture(m_image1->pixmap());
        m_labels[k]->setTextColor(kBlack);
        m_labels[k]->setBold(false);
        m_faces[k]->setBorder(false);
    }
    m_faces[index]->setPicture(m_image2->pixmap());
    m_labels[index]->setTextColor(kMaroon);
    m_labels[index]->setBold(true);
    // Last, so the help caption is light green after every hover, its own included.
    m_labels[kHelp]->setTextColor(kLightGreen);
}

void Form1::OnFacePressed(int index) {
    switch (index) {
        case kHelp: ShowHelp(); return;
        case kStart:
            m_faces[kStart]->setBorder(true);
            SetStatus(QStringLiteral("请稍等出题中......"), kRed);
            return;
        case kExport:
        case kClear:
        case kCopy:
        case kExit: m_faces[index]->setBorder(true); return;
        default: return;
    }
}

void Form1::OnFaceClicked(int index) {
    switch (index) {
        case kStart: StartRun(); return;
        case kExport: Export(); return;
        case kClear: Clear(); return;
        case kCopy: Copy(); return;
        case kExit: close(); return;
        default: return;
    }
}

// A key acts like a press and a click on the button, and only while it is available.
void Form1::RunFromKeyboard(int index) {
    if (!m_faces[index]->isEnabled()) return;
    OnFacePressed(index);
    if (index != kHelp) OnFaceClicked(index);  // the help box belongs to the press alone
}

void Form1::ShowHelp() {
    MessageBox::Warning(this, QStringLiteral("帮助"), kHelpText + QStringLiteral("\r\n") + kContactLine);
}

// ---- Commands ----

void Form1::StartRun() {
    SetCommandEnabled(kStart, false);
    const std::optional<std::int16_t> limit = ReadSetting(m_limitBox);
    const std::optional<std::int16_t> sheets = ReadSetting(m_sheetsBox);
    QString refusal = !limit ? kLimitOutOfRange : !sheets ? kSheetsOutOfRange : QString();
    pellarin::GenerationResult result;
    if (refusal.isEmpty()) {
        result = pellarin::BuildSheets(*limit, *sheets, m_combo->currentText().toStdU16String());
        if (result.refused()) refusal = QString::fromStdU16String(result.refusal);
    }
    if (!refusal.isEmpty()) {
        // Nothing is replaced: the box, the counter and the export button keep what they had.
        SetCommandEnabled(kStart, true);
        SetStatus(QStringLiteral("没有出题"), kRed);
        Warn(refusal);
        return;
    }
    m_output->setText(QString::fromStdU16String(result.outputText));
    m_output->setRun({*limit, m_combo->currentText()});
    SetCommandEnabled(kStart, true);
    m_labels[10]->setText(QString::number(m_output->text().count(QChar(u'题'))));
    SetCommandEnabled(kExport, true);
    SetStatus(QStringLiteral("出题完毕！！！"), kGreen);
}

void Form1::Export() {
    SetCommandEnabled(kExport, false);
    const QString keep = QStringLiteral("输出框里的题目都还在，可以点击“将题复制至:剪贴板”，把它们粘贴到别的程序里。");
    try {
        // The desktop may report long after the export that it could not open the document.
        std::unique_ptr<pellarin::DocumentWriter> writer =
            m_options.makeWriter([self = QPointer<Form1>(this)](const QString& path) {
                if (self) self->ReportNotOpened(path);
            });
        pellarin::WriteSheetsDocument(*writer, [this] { return m_output->text().toStdU16String(); });
        writer->Show();
    } catch (const pellarin::DocumentError& e) {
        // The command stays available: the user can free room or choose another folder and
        // try again without a new run, which would replace the edited text.
        SetCommandEnabled(kExport, true);
        MessageBox::Warning(this, QStringLiteral("生成试卷失败"),
                            QStringLiteral("试卷没能保存：%1。\r\n文件：%2\r\n%3")
                                .arg(QString::fromStdString(e.what()), pellarin::PathForDisplay(e.path()), keep));
    } catch (const std::bad_alloc&) {
        SetCommandEnabled(kExport, true);
        MessageBox::Warning(this, QStringLiteral("生成试卷失败"),
                            QStringLiteral("试卷没能生成：内存不足。\r\n%1").arg(keep));
    }
}

void Form1::ReportNotOpened(const QString& path) {
    MessageBox::Information(this, QStringLiteral("生成试卷"),
                            QStringLiteral("试卷已保存到：\r\n%1\r\n但这台电脑没能打开它，"
                                           "请用文字处理软件（如 LibreOffice、WPS、Word）打开这个文件。")
                                .arg(path));
}

void Form1::Clear() {
    m_limitBox->setText(QStringLiteral("99"));
    m_sheetsBox->setText(QStringLiteral("1"));
    m_output->setText(QString());
    m_labels[10]->setText(QString());
    m_labels[12]->setText(QString());
    SetCommandEnabled(kStart, true);
    SetCommandEnabled(kExport, false);
}

void Form1::Copy() {
    const QString text = m_output->text();
    QClipboard* clipboard = QGuiApplication::clipboard();
    clipboard->clear();
    clipboard->setText(text);
    if (clipboard->text() != text) {
        MessageBox::Warning(this, QStringLiteral("复制失败"),
                            QStringLiteral("没能把题目放到剪贴板上，可能别的程序正占用着剪贴板。"
                                           "输出框里的题目仍然保留，请稍后再点一次“将题复制至:剪贴板”。"));
    }
}

// ---- Settings checks ----

void Form1::OnNumberChanged(int index) {
    NumericBox* box = index == 0 ? m_limitBox : m_sheetsBox;
    const double value = ValueOf(box);
    if (index == 0 && value > 99) {
        Warn(kLimitTooLarge);
        box->setText(QStringLiteral("99"));
    } else if (index == 2 && value > 60) {
        Warn(kSheetsTooMany);
        box->setText(QStringLiteral("40"));
    }
}

void Form1::OnNumberLostFocus(int) {
    if (ValueOf(m_limitBox) < 20) {
        Warn(kLimitTooSmall);
        m_limitBox->setText(QStringLiteral("99"));
    }
}

void Form1::OnDifficultyEdited() {
    const QString text = m_combo->currentText();
    for (int i = 0; i < m_combo->count(); ++i) {
        if (m_combo->itemText(i) == text) return;
    }
    Warn(kBadDifficulty);
}

// ---- Helpers ----

void Form1::SetCommandEnabled(int index, bool enabled) {
    m_faces[index]->setEnabled(enabled);
    m_labels[index]->setEnabled(enabled);
}

void Form1::SetStatus(const QString& text, const QColor& color) {
    m_labels[12]->setText(text);
    m_labels[12]->setTextColor(color);
}

void Form1::Warn(const QString& text) { MessageBox::Warning(this, kDataError, text); }
