#include "agent/ui/balloon_font.h"

#include <QFontDatabase>
#include <QFontMetricsF>
#include <QStringList>

#include <algorithm>
#include <cmath>

namespace pw::agent::ui {

namespace {

constexpr int default_pixels = 13;
constexpr int min_pixels = 9;  // smaller is unreadable for a young reader
constexpr int max_pixels = 72;

bool installed(const QString& family)
{
    return !family.isEmpty() && QFontDatabase::families().contains(family, Qt::CaseInsensitive);
}

}  // namespace

QFont balloon_font(const acs::BalloonInfo& style)
{
    QFont font;
    if (installed(style.font_name)) {
        font.setFamily(style.font_name);
    } else {
        // Rounded, open letter shapes first: they are the easiest for new readers.
        font.setFamilies({QStringLiteral("Andika"), QStringLiteral("Comic Neue"),
                          QStringLiteral("DejaVu Sans"), QStringLiteral("Noto Sans"),
                          QStringLiteral("Liberation Sans")});
        font.setStyleHint(QFont::SansSerif);
    }
    font.setItalic(style.italic);
    if (style.font_weight > 0)
        font.setWeight(QFont::Weight(std::clamp(int(style.font_weight), 100, 900)));

    // Clamped first: the value comes from a file and may be anything.
    const int height = std::clamp(style.font_height, -4 * max_pixels, 4 * max_pixels);
    int pixels = default_pixels;
    if (height < 0) {
        pixels = -height;
    } else if (height > 0) {
        // A cell height: find the size whose line height (ascent + descent) matches it.
        font.setPixelSize(height);
        const qreal cell = QFontMetricsF(font).height();
        pixels = cell > 0 ? int(std::lround(height * height / cell)) : height;
    }
    font.setPixelSize(std::clamp(pixels, min_pixels, max_pixels));
    return font;
}

}  // namespace pw::agent::ui
