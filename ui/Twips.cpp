#include "Twips.h"

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>
#include <cmath>

namespace twips {

double PixelsPerTwip(const QWidget* widget) {
    const QScreen* screen = widget && widget->screen() ? widget->screen() : QGuiApplication::primaryScreen();
    const double dpi = screen ? screen->logicalDotsPerInch() : 96.0;
    return (dpi > 0 ? dpi : 96.0) / 1440.0;
}

int ToPixels(int twips, double pixelsPerTwip) { return static_cast<int>(std::lround(twips * pixelsPerTwip)); }

QRect ToPixels(int left, int top, int width, int height, double pixelsPerTwip) {
    return {ToPixels(left, pixelsPerTwip), ToPixels(top, pixelsPerTwip), ToPixels(width, pixelsPerTwip),
            ToPixels(height, pixelsPerTwip)};
}

}  // namespace twips
