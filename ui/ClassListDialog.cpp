#include "ClassListDialog.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QDir>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QShortcut>
#include <QSpinBox>
#include <QVBoxLayout>

#include "FileDialog.h"
#include "MessageBox.h"
#include "Settings.h"
#include "platform/NativePath.h"
#include "platform/SmallFile.h"
#include "print/ClassList.h"

ClassListDialog::ClassListDialog(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("ClassListDialog"));
    setWindowTitle(QStringLiteral("班级名单"));
    m_class = new QLineEdit(RememberedClass(), this);
    m_class->setObjectName(QStringLiteral("ClassName"));
    m_class->setAccessibleName(QStringLiteral("班级"));
    m_names = new QPlainTextEdit(this);
    m_names->setObjectName(QStringLiteral("Names"));
    m_names->setAccessibleName(QStringLiteral("名单"));
    m_names->setPlaceholderText(QStringLiteral("每行一个名字，可以从表格里复制过来粘贴。\n第 1 个名字写在第 1 份试卷上，依此类推。"));
    m_names->setPlainText(RememberedNames().join(QLatin1Char('\n')));
    // Tab goes on to the buttons (a name never holds a tab), and Ctrl+Enter applies the list.
    m_names->setTabChangesFocus(true);
    m_count = new QLabel(this);
    auto* fromFile = new QPushButton(QStringLiteral("从文件读取(&F)…"), this);
    fromFile->setObjectName(QStringLiteral("FromFile"));
    auto* clear = new QPushButton(QStringLiteral("清空(&C)"), this);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    buttons->addButton(fromFile, QDialogButtonBox::ActionRole);
    buttons->addButton(clear, QDialogButtonBox::ResetRole);

    // Each child's own sheet: the sheets are made again, each with the child's missed facts.
    m_adapt = new QCheckBox(QStringLiteral("按各人错题出题(&A)"), this);
    m_adapt->setObjectName(QStringLiteral("AdaptSheets"));
    m_adapt->setToolTip(QStringLiteral("每个孩子一份自己的试卷：放进练习记录里他还没练会的错题（最常错的在前），"
                                       "其余的题照常出。打印出来的试卷和输出框里的不一样"));
    m_adapt->setChecked(ProgramSettings().value(QStringLiteral("classList/adapt"), false).toBool());
    m_perSheet = new QSpinBox(this);
    m_perSheet->setObjectName(QStringLiteral("FactsPerSheet"));
    m_perSheet->setRange(0, 20);
    m_perSheet->setValue(ProgramSettings().value(QStringLiteral("classList/factsPerSheet"), 10).toInt());
    m_perSheet->setSuffix(QStringLiteral(" 道"));
    m_perSheet->setPrefix(QStringLiteral("每份最多 "));
    m_perSheet->setAccessibleName(QStringLiteral("每份试卷最多放几道错题"));
    m_perSheet->setEnabled(m_adapt->isChecked());
    connect(m_adapt, &QCheckBox::toggled, m_perSheet, &QWidget::setEnabled);
    auto* adapt = new QHBoxLayout;
    adapt->addWidget(m_adapt);
    adapt->addWidget(m_perSheet);
    adapt->addStretch(1);

    auto* form = new QFormLayout;
    form->addRow(QStringLiteral("班级(&B):"), m_class);
    form->addRow(QStringLiteral("名单(&N):"), m_names);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(m_count);
    layout->addLayout(adapt);
    layout->addWidget(buttons);

    for (auto key : {Qt::CTRL | Qt::Key_Return, Qt::CTRL | Qt::Key_Enter}) {
        connect(new QShortcut(QKeySequence(key), this), &QShortcut::activated, this, &ClassListDialog::accept);
    }
    buttons->button(QDialogButtonBox::Ok)->setToolTip(QStringLiteral("使用这份名单 (Ctrl+Enter)"));
    connect(buttons, &QDialogButtonBox::accepted, this, &ClassListDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &ClassListDialog::reject);
    connect(fromFile, &QPushButton::clicked, this, &ClassListDialog::ReadFile);
    connect(clear, &QPushButton::clicked, this, [this] {
        m_names->clear();
        m_class->clear();
    });
    connect(m_names, &QPlainTextEdit::textChanged, this, &ClassListDialog::Count);
    Count();
    resize(420, 460);
}

QStringList ClassListDialog::names() const { return class_list::FromText(m_names->toPlainText()); }
QString ClassListDialog::className() const { return m_class->text().trimmed(); }
int ClassListDialog::factsPerSheet() const { return m_adapt->isChecked() ? m_perSheet->value() : 0; }

QStringList ClassListDialog::RememberedNames() { return RememberedClassNames(); }
QString ClassListDialog::RememberedClass() { return ProgramSettings().value(QStringLiteral("classList/class")).toString(); }

void ClassListDialog::accept() {
    QSettings settings = ProgramSettings();
    settings.setValue(kClassNamesKey, names());
    settings.setValue(QStringLiteral("classList/class"), className());
    settings.setValue(QStringLiteral("classList/adapt"), m_adapt->isChecked());
    settings.setValue(QStringLiteral("classList/factsPerSheet"), m_perSheet->value());
    QDialog::accept();
}

void ClassListDialog::ReadFile() {
    const QString path = FileDialog::Open(this, QStringLiteral("选择班级名单"),
                                          QStringLiteral("文本文件 (*.txt *.csv);;所有文件 (*)"));
    if (path.isEmpty()) return;
    const QString file = QStringLiteral("\r\n文件：") + QDir::toNativeSeparators(path);
    // Only a regular file, and at most 16 MB of it: a pipe or a device chosen by mistake
    // neither freezes the window nor fills its memory.
    std::string bytes;
    const auto problem = pellarin::ReadSmallFile(pellarin::NativePath(path), pellarin::kClassListLimit, bytes);
    if (problem != pellarin::SmallFileProblem::None) {
        MessageBox::Warning(this, QStringLiteral("读取名单失败"),
                            QStringLiteral("名单没能读取：%1。").arg(QString::fromUtf8(pellarin::DescribeSmallFileProblem(problem))) + file);
        return;
    }
    const class_list::Result list = class_list::Read(QByteArray::fromStdString(bytes));
    if (!list.problem.isEmpty()) {
        MessageBox::Warning(this, QStringLiteral("读取名单失败"), list.problem + file);
        return;
    }
    if (list.names.isEmpty()) {
        MessageBox::Warning(this, QStringLiteral("读取名单"), QStringLiteral("这个文件里没有名字，名单没有改动。") + file);
        return;
    }
    m_names->setPlainText(list.names.join(QLatin1Char('\n')));
}

void ClassListDialog::Count() { m_count->setText(QStringLiteral("共 %1 个名字").arg(names().size())); }
