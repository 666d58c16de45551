#include "Accessibility.h"

#include <QAccessibleWidget>

#include "DifficultyBox.h"
#include "Form1.h"
#include "PictureFace.h"

namespace accessibility {
namespace {

class FaceInterface : public QAccessibleWidget {
public:
    explicit FaceInterface(PictureFace* face) : QAccessibleWidget(face, QAccessible::Button) {}

    QStringList actionNames() const override { return {pressAction()}; }
    void doAction(const QString& name) override {
        auto* face = static_cast<PictureFace*>(widget());
        if (name == pressAction() && face->isEnabled()) face->activate();
    }
    QStringList keyBindingsForAction(const QString&) const override { return {}; }
};

class DifficultyInterface : public QAccessibleWidget {
public:
    explicit DifficultyInterface(DifficultyBox* box) : QAccessibleWidget(box, QAccessible::ComboBox) {}

    QString text(QAccessible::Text t) const override {
        if (t == QAccessible::Value) return static_cast<DifficultyBox*>(widget())->currentText();
        return QAccessibleWidget::text(t);
    }
    QStringList actionNames() const override { return {showMenuAction()}; }
    void doAction(const QString& name) override {
        if (name == showMenuAction()) static_cast<DifficultyBox*>(widget())->showPopup();
    }
};

QAccessibleInterface* Factory(const QString&, QObject* object) {
    if (auto* face = qobject_cast<PictureFace*>(object)) return new FaceInterface(face);
    if (auto* box = qobject_cast<DifficultyBox*>(object)) return new DifficultyInterface(box);
    // The main window is a window to the reader, not a filler of a window.
    if (auto* window = qobject_cast<Form1*>(object)) return new QAccessibleWidget(window, QAccessible::Window);
    return nullptr;
}

}  // namespace

void Install() {
    static const bool installed = [] {
        QAccessible::installFactory(&Factory);
        return true;
    }();
    (void)installed;
}

}  // namespace accessibility
