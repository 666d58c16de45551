#pragma once

// Shared set-up of the window tests: the real main window on the offscreen platform, a
// message-box hook that records every box, a document writer that records every call, and
// helpers that send real mouse and key events through the window.

#include <QAbstractButton>
#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPrintPreviewDialog>
#include <QTest>
#include <QTimer>
#include <functional>
#include <memory>
#include <vector>

#include "ui/CaptionLabel.h"
#include "ui/Form1.h"
#include "ui/MessageBox.h"
#include "ui/NumericBox.h"
#include "ui/OutputBox.h"
#include "ui/PictureFace.h"

// Everything the window asked of its document writer, in order.
struct WriterLog {
    std::vector<QString> calls;
    bool failOnCreate = false;
    bool failOnShow = false;
};

class RecordingWriter : public pellarin::DocumentWriter {
public:
    explicit RecordingWriter(std::shared_ptr<WriterLog> log) : m_log(std::move(log)) {}
    void Create() override {
        Record(QStringLiteral("Create"));
        if (m_log->failOnCreate) throw pellarin::DocumentError("磁盘已满", "/tmp/口算题.docx");
    }
    void SetPageHeight(double p) override { Record("PageHeight", p); }
    void SetPageWidth(double p) override { Record("PageWidth", p); }
    void SetTopMargin(double p) override { Record("TopMargin", p); }
    void SetBottomMargin(double p) override { Record("BottomMargin", p); }
    void SetLeftMargin(double p) override { Record("LeftMargin", p); }
    void SetRightMargin(double p) override { Record("RightMargin", p); }
    void SetFontSize(double p) override { Record("FontSize", p); }
    void InsertText(std::u16string text) override {
        Record(QStringLiteral("InsertText ") + QString::fromStdU16String(text));
    }
    void Show() override {
        Record(QStringLiteral("Show"));
        if (m_log->failOnShow) throw pellarin::DocumentError("没有在这里写文件的权限", "/nowhere/口算题.docx");
    }

private:
    void Record(const char* name, double points) { Record(QStringLiteral("%1 %2").arg(name).arg(points, 0, 'f', 2)); }
    void Record(const QString& call) { m_log->calls.push_back(call); }
    std::shared_ptr<WriterLog> m_log;
};

class WindowFixture {
public:
    // Runs `act` on a print preview once it is open, then closes it; `open` opens it.
    static void withPreview(const std::function<void()>& open, const std::function<void(QPrintPreviewDialog*)>& act) {
        bool seen = false;
        QTimer poll;
        QObject::connect(&poll, &QTimer::timeout, [&] {
            auto* dialog = qobject_cast<QPrintPreviewDialog*>(QApplication::activeModalWidget());
            if (!dialog || seen) return;
            seen = true;
            act(dialog);
            dialog->reject();
        });
        poll.start(20);
        open();
        QVERIFY(seen);
    }

    std::unique_ptr<Form1> form;
    std::vector<MessageBox::Shown> boxes;
    std::shared_ptr<WriterLog> writer;

    // A window as the user meets it after the splash: shown, active, focus in Text1_0. Its
    // exports go to a RecordingWriter unless the test gives another writer.
    void open(Form1::MakeWriter makeWriter = {}) {
        boxes.clear();
        writer = std::make_shared<WriterLog>();
        MessageBox::SetTestHook([this](const MessageBox::Shown& shown) { boxes.push_back(shown); });
        Form1::Options options;
        options.showSplash = false;
        options.makeWriter = makeWriter ? makeWriter : [log = writer](Form1::NotOpened) { return std::make_unique<RecordingWriter>(log); };
        form = std::make_unique<Form1>(options);
        form->show();
        form->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(form.get()));
    }
    void close() {
        form.reset();
        MessageBox::SetTestHook(nullptr);
    }

    PictureFace* face(int i) const { return find<PictureFace>(QStringLiteral("Image_KongZhi_%1").arg(i)); }
    CaptionLabel* label(int i) const { return find<CaptionLabel>(QStringLiteral("Label1_%1").arg(i)); }
    NumericBox* text1(int i) const { return find<NumericBox>(QStringLiteral("Text1_%1").arg(i)); }
    QComboBox* combo() const { return find<QComboBox>(QStringLiteral("Combo1")); }
    OutputBox* text2() const { return find<OutputBox>(QStringLiteral("Text2")); }

    template <class T>
    T* find(const QString& name) const {
        T* child = form->findChild<T*>(name);
        if (!child) qFatal("no control %s", qPrintable(name));
        return child;
    }

    // Mouse events go to the window at the control's point, so the window decides who gets
    // them: a caption above its face, a box above a caption, a disabled control's parent.
    QPoint at(QWidget* w, QPoint local = {}) const {
        return w->mapTo(form.get(), local.isNull() ? QPoint(w->width() / 2, w->height() / 2) : local);
    }
    void moveOver(QWidget* w, QPoint local = {}) { QTest::mouseMove(form->windowHandle(), at(w, local)); }
    void press(QWidget* w, Qt::MouseButton button = Qt::LeftButton, QPoint local = {}) {
        QTest::mousePress(form->windowHandle(), button, {}, at(w, local));
    }
    void release(QWidget* w, Qt::MouseButton button = Qt::LeftButton, QPoint local = {}) {
        QTest::mouseRelease(form->windowHandle(), button, {}, at(w, local));
    }
    void click(QWidget* w, QPoint local = {}) {
        press(w, Qt::LeftButton, local);
        release(w, Qt::LeftButton, local);
    }
    // A point of face i that its caption does not cover.
    QPoint faceOnly(int i) const { return QPoint(4, face(i)->height() / 2); }
    void clickFace(int i) { click(face(i), faceOnly(i)); }

    // Keys go to whatever has the focus, as typing does.
    void type(const QString& text) { QTest::keyClicks(QApplication::focusWidget(), text); }
    void key(Qt::Key key, Qt::KeyboardModifiers modifiers = {}) {
        QTest::keyClick(QApplication::focusWidget(), key, modifiers);
    }

    QStringList boxTexts() const {
        QStringList texts;
        for (const auto& b : boxes) texts << b.text;
        return texts;
    }
};

// Presses OK on real modal boxes as they appear, counting them: a box left open would hang
// the test, so the closer keeps looking until it is stopped.
class ModalCloser : public QObject {
public:
    ModalCloser() {
        connect(&m_timer, &QTimer::timeout, this, [this] {
            if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
                titles << box->windowTitle();
                texts << box->text();
                icons << box->icon();
                box->button(QMessageBox::Ok)->click();
            }
        });
        m_timer.start(20);
    }
    QStringList titles, texts;
    QList<QMessageBox::Icon> icons;

private:
    QTimer m_timer;
};
