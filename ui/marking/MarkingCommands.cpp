#include "MarkingCommands.h"

#include <QAction>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QMimeData>
#include <QShortcut>
#include <QTimer>

#include "MarkingWindow.h"
#include "practice/Clock.h"
#include "ui/FileDialog.h"
#include "ui/MessageBox.h"
#include "ui/OutputBox.h"
#include "ui/practice/PracticeStore.h"

namespace {

const practice::Clock*& ClockForTests() {
    static const practice::Clock* clock = nullptr;
    return clock;
}

const practice::Clock& TheClock() {
    static const practice::SystemClock system;
    return ClockForTests() ? *ClockForTests() : system;
}

const QString kFilter = QStringLiteral("扫描的试卷 (*.pdf *.png *.jpg *.jpeg);;所有文件 (*)");

// The scans among dropped files: what the marking reads, by its name.
QStringList Scans(const QMimeData* data) {
    QStringList files;
    if (!data || !data->hasUrls()) return files;
    for (const QUrl& url : data->urls()) {
        if (!url.isLocalFile()) continue;
        const QString suffix = QFileInfo(url.toLocalFile()).suffix().toLower();
        if (suffix == QLatin1String("pdf") || suffix == QLatin1String("png") || suffix == QLatin1String("jpg") ||
            suffix == QLatin1String("jpeg")) {
            files << url.toLocalFile();
        }
    }
    return files;
}

}  // namespace

void MarkingCommands::SetClockForTests(const practice::Clock* clock) { ClockForTests() = clock; }

MarkingCommands::MarkingCommands(QWidget* window, OutputBox* output) : QObject(window), m_window(window) {
    auto* shortcut = new QShortcut(QKeySequence(Qt::Key_F7), window);
    connect(shortcut, &QShortcut::activated, this, &MarkingCommands::Choose);
    auto* mark = new QAction(QStringLiteral("批改纸质试卷…\tF7"), this);
    mark->setObjectName(QStringLiteral("MarkPaper"));
    connect(mark, &QAction::triggered, this, &MarkingCommands::Choose);
    output->addMenuActions({mark});
    output->setToolTip(output->toolTip() + QStringLiteral("；批改纸质试卷（F7，也可以把扫描文件拖到窗口上）"));
    // Scans dropped anywhere on the window, the output box included (it would take them as text).
    window->setAcceptDrops(true);
    window->installEventFilter(this);
    output->viewport()->installEventFilter(this);
}

void MarkingCommands::Choose() {
    const QStringList files = FileDialog::OpenMany(m_window, QStringLiteral("批改纸质试卷：选择扫描的试卷"), kFilter);
    if (!files.isEmpty()) Open(files);
}

MarkingWindow* MarkingCommands::Open(const QStringList& files, const QJsonObject& decisions) {
    auto* window = new MarkingWindow(files, TheClock(), m_window, decisions);
    window->show();
    window->activateWindow();
    return window;
}

void MarkingCommands::OfferKept() {
    const QString path = MarkingWindow::KeptPath(PracticeStore::DefaultPath());
    QFile file(path);
    if (!file.exists() || !file.open(QIODevice::ReadOnly)) return;
    const QJsonObject kept = QJsonDocument::fromJson(file.readAll()).object();
    file.close();
    QStringList files;
    for (const QJsonValue& value : kept.value(QStringLiteral("files")).toArray()) files << value.toString();
    const int pages = static_cast<int>(kept.value(QStringLiteral("pages")).toArray().size());
    if (files.isEmpty()) {
        QFile::remove(path);
        return;
    }
    const auto answer = MessageBox::Question(
        m_window, QStringLiteral("批改纸质试卷"),
        QStringLiteral("上次批改的试卷还没有记入练习记录（%1 份已经核对过一些）。现在接着批改吗？\r\n"
                       "选“否”，就放弃上次核对的结果。")
            .arg(pages),
        QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel, QMessageBox::Yes);
    if (answer == QMessageBox::Cancel) return;  // asked again next time
    if (answer == QMessageBox::No) {
        QFile::remove(path);
        return;
    }
    Open(files, kept);
}

bool MarkingCommands::eventFilter(QObject* watched, QEvent* event) {
    switch (event->type()) {
        case QEvent::Show:
            if (watched == m_window && !m_offered) {
                m_offered = true;
                QTimer::singleShot(0, this, [this] {
                    if (m_window->isVisible()) OfferKept();
                    else m_offered = false;  // the splash hid the window again: asked when it is back
                });
            }
            break;
        case QEvent::DragEnter: {
            auto* drag = static_cast<QDragEnterEvent*>(event);
            if (!Scans(drag->mimeData()).isEmpty()) {
                drag->acceptProposedAction();
                return true;
            }
            break;
        }
        case QEvent::Drop: {
            auto* drop = static_cast<QDropEvent*>(event);
            const QStringList files = Scans(drop->mimeData());
            if (!files.isEmpty()) {
                drop->acceptProposedAction();
                Open(files);
                return true;
            }
            break;
        }
        default:
            break;
    }
    return QObject::eventFilter(watched, event);
}
