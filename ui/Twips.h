#pragma once

#include <QRect>

class QWidget;

// Positions and sizes of the window are laid out in twips: 1440 to the inch, so 15 to a
// pixel at 96 dots per inch. A screen with another logical dpi scales them.
namespace twips {

double PixelsPerTwip(const QWidget* widget);
int ToPixels(int twips, double pixelsPerTwip);
QRect ToPixels(int left, int top, int width, int height, double pixelsPerTwip);

}  // namespace twips
