#pragma once
// Window layouts are given in twips (1/1440 inch); the screen's logical DPI says how
// many twips make a pixel (15 at 96 dpi).

#include <QRect>

class QWidget;

namespace pw::windows {

double twips_per_pixel_x(const QWidget* widget = nullptr);
double twips_per_pixel_y(const QWidget* widget = nullptr);

// Whole pixels, rounded to the nearest (ties to even).
int twips_to_px_x(double twips, const QWidget* widget = nullptr);
int twips_to_px_y(double twips, const QWidget* widget = nullptr);
QRect twips_rect(int left, int top, int width, int height, const QWidget* widget = nullptr);

}  // namespace pw::windows
