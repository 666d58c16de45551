#pragma once

#include <QKeySequence>
#include <QList>
#include <QString>
#include <functional>

class QWidget;

// The keyboard shortcuts of the command buttons. A key does what pressing and clicking the
// button does, and only while the button is available; each button's tooltip names its keys.
namespace command_keys {

struct Command {
    int index;          // of the face and caption
    const char16_t* name;
    QList<QKeySequence> keys;
};

// Help F1; start F5 or Ctrl+Enter; export Ctrl+S; clear Ctrl+Shift+Delete; copy Ctrl+Shift+C;
// exit Ctrl+Q. Ctrl+P stays free for printing.
const QList<Command>& Commands();

// Shortcuts on `window` that call `run` with a command's index; `button(index)` gives the
// face and caption whose tooltips name the keys.
void Install(QWidget* window, const std::function<QList<QWidget*>(int index)>& button,
             const std::function<void(int index)>& run);

}  // namespace command_keys
