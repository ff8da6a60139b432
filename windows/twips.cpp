#include "windows/twips.h"

#include "engine/rounding.h"

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>

namespace pw::windows {
namespace {

constexpr double twips_per_inch = 1440.0;
constexpr double fallback_dpi = 96.0;

QScreen* screen_of(const QWidget* widget)
{
    if (widget && widget->screen()) return widget->screen();
    return QGuiApplication::primaryScreen();
}

double per_pixel(double dpi) { return twips_per_inch / (dpi > 0.0 ? dpi : fallback_dpi); }

}  // namespace

double twips_per_pixel_x(const QWidget* widget)
{
    const QScreen* s = screen_of(widget);
    return per_pixel(s ? s->logicalDotsPerInchX() : fallback_dpi);
}

double twips_per_pixel_y(const QWidget* widget)
{
    const QScreen* s = screen_of(widget);
    return per_pixel(s ? s->logicalDotsPerInchY() : fallback_dpi);
}

int twips_to_px_x(double twips, const QWidget* widget)
{
    return int(pw::engine::round_half_even(twips / twips_per_pixel_x(widget)));
}

int twips_to_px_y(double twips, const QWidget* widget)
{
    return int(pw::engine::round_half_even(twips / twips_per_pixel_y(widget)));
}

QRect twips_rect(int left, int top, int width, int height, const QWidget* widget)
{
    return QRect(twips_to_px_x(left, widget), twips_to_px_y(top, widget),
                 twips_to_px_x(width, widget), twips_to_px_y(height, widget));
}

}  // namespace pw::windows
