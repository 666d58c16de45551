#include "PracticeStore.h"

#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

#include "ui/MessageBox.h"
#include "platform/NativePath.h"

namespace {

QString& PathForTests() {
    static QString path;
    return path;
}

const QString kTitle = QStringLiteral("练习记录");

}  // namespace

QString PracticeStore::DefaultPath() {
    if (!PathForTests().isEmpty()) return PathForTests();
    return QStandardPaths::writableLocation(QStandardPaths::AppDataLocation) + QStringLiteral("/practice.sqlite");
}

void PracticeStore::SetPathForTests(const QString& path) {
    PathForTests() = path;
    PracticeRecords::SetDefaultPathForTests(pellarin::NativePath(path));
}

PracticeStore::PracticeStore(QString path) : m_path(path.isEmpty() ? DefaultPath() : std::move(path)) {
    QDir().mkpath(QFileInfo(m_path).absolutePath());
    m_records = PracticeRecords::Open(pellarin::NativePath(m_path), m_openError);
    if (!m_records) m_notSaving = Message(m_path, m_openError, Stage::Opening);
}

QString PracticeStore::Message(const QString& path, const PracticeRecords::Error& error, Stage stage) {
    const QString file = QDir::toNativeSeparators(path);
    QString what;
    switch (error.failure) {
    case PracticeRecords::Failure::NotRecords:
        what = QStringLiteral("这个文件已损坏，或者不是练习记录。请把它移到别处或改名保存（里面的记录也许还能救回），"
                              "程序下次会新建一个。");
        break;
    case PracticeRecords::Failure::ReadOnly:
        what = QStringLiteral("这个文件或它所在的文件夹是只读的。请在文件属性里去掉只读，或检查文件夹的权限。");
        break;
    case PracticeRecords::Failure::Busy:
        what = QStringLiteral("另一个程序正占用这个文件。请关掉另一个正在练习的窗口，稍后再试。");
        break;
    case PracticeRecords::Failure::Full:
        what = QStringLiteral("磁盘已满。请腾出一些空间后再练习。");
        break;
    case PracticeRecords::Failure::TooNew:
        what = QStringLiteral("这个文件是新版本的本程序写的。请用新版本练习，或安装新版本。");
        break;
    case PracticeRecords::Failure::NotOurs:
        what = QStringLiteral("这个文件不是本程序的练习记录，而是别的程序的数据库。请把它移到别处或改名，"
                              "程序下次会在这里新建练习记录。");
        break;
    case PracticeRecords::Failure::Gone:
        what = QStringLiteral("这次练习已经交卷或放下，或者正在另一个窗口里接着做（也许是另一个正在运行的本程序）。"
                              "请在那个窗口里做完它。");
        break;
    case PracticeRecords::Failure::CannotOpen:
        what = QStringLiteral("无法打开或新建这个文件。请检查它所在的文件夹是否存在、能否写入。");
        break;
    default:
        what = QStringLiteral("读写出错（%1）。请检查磁盘后再试。").arg(QString::fromStdString(error.detail));
        break;
    }
    switch (stage) {
    case Stage::Opening:
        return QStringLiteral("无法打开练习记录“%1”：%2\r\n这次练习照常进行，但不会被保存。这个文件没有被改动。")
            .arg(file, what);
    case Stage::Reading:
        return QStringLiteral("无法读取练习记录“%1”：%2\r\n这次练习照常进行，但不会被保存。").arg(file, what);
    case Stage::Writing:
        break;
    }
    return QStringLiteral("无法保存到练习记录“%1”：%2\r\n这次练习照常进行，但后面的答案不会被保存；"
                          "之前保存的都还在这个文件里。")
        .arg(file, what);
}

void PracticeStore::ReportOpening(QWidget* parent) {
    if (!m_records) MessageBox::Warning(parent, kTitle, m_notSaving);
}

bool PracticeStore::Check(bool ok, QWidget* parent) { return ok || Stop(Stage::Writing, parent); }

bool PracticeStore::CheckRead(bool ok, QWidget* parent) { return ok || Stop(Stage::Reading, parent); }

void PracticeStore::Drop() { Forget(Stage::Writing); }

bool PracticeStore::Stop(Stage stage, QWidget* parent) {
    if (Forget(stage)) MessageBox::Warning(parent, kTitle, m_notSaving);
    return false;
}

bool PracticeStore::Forget(Stage stage) {
    if (!m_records) return false;
    m_notSaving = Message(m_path, m_records->lastError(), stage);
    m_records.reset();
    return true;
}
