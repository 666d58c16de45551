#include "Form2.h"

#include <QEvent>
#include <QGuiApplication>
#include <QLabel>
#include <QPainter>
#include <QScreen>

#include "Twips.h"

Form2::Form2(QWidget* parent)
    // A splash window: no frame, no title, no entry in the taskbar or the window switcher.
    : QWidget(parent, Qt::SplashScreen | Qt::FramelessWindowHint), m_picture(QStringLiteral(":/pictures/splash.png")) {
    setObjectName(QStringLiteral("Form2"));
    setWindowTitle(QStringLiteral("Form2"));
    setAttribute(Qt::WA_DeleteOnClose);
    setFocusPolicy(Qt::NoFocus);
    setAttribute(Qt::WA_ShowWithoutActivating);
    const double ppt = twips::PixelsPerTwip(this);
    setFixedSize(twips::ToPixels(2430, ppt), twips::ToPixels(5295, ppt));

    const QString lines[] = {QStringLiteral("Pellarin 口算题 " PELLARIN_VERSION), QStringLiteral("欢迎使用,禁止用于商业用途")};
    const int tops[] = {4800, 5040};
    for (int i = 0; i < 2; ++i) {
        auto* label = new QLabel(lines[i], this);
        label->setObjectName(QStringLiteral("Label2_%1").arg(i));
        label->move(twips::ToPixels(120, ppt), twips::ToPixels(tops[i], ppt));
        label->setAttribute(Qt::WA_TransparentForMouseEvents);
        label->adjustSize();  // labels size themselves to their text
    }
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        move(screen->availableGeometry().center() - rect().center());
    }
}

// Inert: clicks and keys on the splash have no effect.
bool Form2::event(QEvent* event) {
    switch (event->type()) {
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonRelease:
        case QEvent::MouseButtonDblClick:
        case QEvent::MouseMove:
        case QEvent::KeyPress:
        case QEvent::KeyRelease:
        case QEvent::Wheel:
            event->accept();
            return true;
        default:
            return QWidget::event(event);
    }
}

void Form2::paintEvent(QPaintEvent*) {
    // Drawn unscaled at the top left; the window is two pixels narrower than the picture.
    QPainter painter(this);
    painter.drawPixmap(0, 0, m_picture);
}
