#include "CommandKeys.h"

#include <QShortcut>
#include <QWidget>

namespace command_keys {

const QList<Command>& Commands() {
    static const QList<Command> commands = {
        {3, u"帮助", {QKeySequence(Qt::Key_F1)}},
        {4, u"开始出题", {QKeySequence(Qt::Key_F5), QKeySequence(Qt::CTRL | Qt::Key_Return),
                          QKeySequence(Qt::CTRL | Qt::Key_Enter)}},
        {5, u"生成试卷", {QKeySequence(Qt::CTRL | Qt::Key_S)}},
        {6, u"清除内容", {QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Delete)}},
        {7, u"将题复制至剪贴板", {QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_C)}},
        {8, u"退出", {QKeySequence(Qt::CTRL | Qt::Key_Q)}},
    };
    return commands;
}

void Install(QWidget* window, const std::function<QList<QWidget*>(int index)>& button,
             const std::function<void(int index)>& run) {
    for (const Command& command : Commands()) {
        QStringList names;
        for (const QKeySequence& key : command.keys) {
            // Ctrl+Enter on the keypad is the same command; the tooltip names the main key.
            if (key != QKeySequence(Qt::CTRL | Qt::Key_Enter)) names << key.toString(QKeySequence::NativeText);
            auto* shortcut = new QShortcut(key, window);
            QObject::connect(shortcut, &QShortcut::activated, window, [run, index = command.index] { run(index); });
        }
        const QString tip = QStringLiteral("%1（%2）")
                                .arg(QString::fromUtf16(command.name), names.join(QStringLiteral(" 或 ")));
        for (QWidget* control : button(command.index)) control->setToolTip(tip);
    }
}

}  // namespace command_keys
