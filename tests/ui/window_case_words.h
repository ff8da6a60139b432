#pragma once
// The words of the window cases: places, sizes, frames, mouse buttons and keys read
// from a case's line, and what is seen written as text (cases/README.md).

#include "agent/acs/character_data.h"
#include "agent/ui/balloon_font.h"
#include "platform/desktop/key_codes.h"
#include "tests/ui/x11_probe.h"

#include <QFontInfo>
#include <QFontMetricsF>
#include <QKeyEvent>
#include <QMetaEnum>
#include <QPainter>
#include <QRegion>

namespace pw::test::window_cases {

using namespace Qt::StringLiterals;

inline QPoint point(const QString& xy) { return {xy.section(',', 0, 0).toInt(), xy.section(',', 1).toInt()}; }
inline QString text_of(QPoint p) { return u"%1,%2"_s.arg(p.x()).arg(p.y()); }
inline QString text_of(const QRect& r) { return text_of(r.topLeft()) + u" %1x%2"_s.arg(r.width()).arg(r.height()); }

inline QRect rect(const QString& xy, const QString& wh)
{
    return {point(xy), QSize(wh.section('x', 0, 0).toInt(), wh.section('x', 1).toInt())};
}

inline QString size_and_area(const QRegion& r)
{
    if (r.isEmpty()) return u"none"_s;
    int area = 0;
    for (const QRect& part : r) area += part.width() * part.height();
    return text_of(r.boundingRect()) + u" (%1 px)"_s.arg(area);
}

// "frame 50x50 disc|half|clear|oval #rrggbb [inset]", "frame 100x100 [at x,y wxh]",
// "frame none"; drawn without antialiasing into a palette picture, as a character's
// frames are.
inline QImage frame(const QStringList& w)
{
    if (w.value(1) == "none"_L1) return {};
    QImage img(rect(u"0,0"_s, w.value(1)).size(), QImage::Format_ARGB32_Premultiplied);
    img.fill(w.size() == 2 ? QColor(Qt::darkGreen) : QColor(Qt::transparent));
    QPainter p(&img);
    if (w.value(2) == "disc"_L1) {
        p.setPen(Qt::NoPen);
        p.setBrush(Qt::red);
        p.drawEllipse(img.rect());
    } else if (w.value(2) == "half"_L1) {
        p.fillRect(0, 0, img.width() / 2, img.height(), Qt::blue);
    } else if (w.value(2) == "at"_L1) {
        p.fillRect(rect(w.value(3), w.value(4)), Qt::darkGreen);
    } else if (w.value(2) == "oval"_L1) {  // oval #rrggbb [inset]: upright, with a dark outline
        const int inset = w.size() > 4 ? w[4].toInt() : 2;
        p.setPen(QPen(QColor(40, 30, 20), 3));
        p.setBrush(QColor(w.value(3)));
        p.drawEllipse(QRect(QPoint(inset, 2), img.size() - QSize(2 * inset, 4)));
    }
    p.end();
    // Qt's own conversion would round the colours to its web palette.
    QImage palette(img.size(), QImage::Format_Indexed8);
    QList<QRgb> colours;
    for (int y = 0; y < img.height(); ++y)
        for (int x = 0; x < img.width(); ++x) {
            const QRgb c = qAlpha(img.pixel(x, y)) < 128 ? 0 : img.pixel(x, y);
            if (!colours.contains(c)) colours.append(c);
            palette.scanLine(y)[x] = uchar(colours.indexOf(c));
        }
    palette.setColorTable(colours);
    return palette;
}

// Opaque pixels, 4-connected, counted as separate pieces.
inline int pieces(QImage img)
{
    int count = 0;
    for (int y = 0; y < img.height(); ++y)
        for (int x = 0; x < img.width(); ++x) {
            if (qAlpha(img.pixel(x, y)) < 128) continue;
            ++count;
            for (QList<QPoint> todo{QPoint(x, y)}; !todo.isEmpty();) {  // wiped out as it is counted
                const QPoint q = todo.takeLast();
                if (!img.rect().contains(q) || qAlpha(img.pixel(q)) < 128) continue;
                img.setPixel(q, 0);
                todo << q + QPoint(1, 0) << q - QPoint(1, 0) << q + QPoint(0, 1) << q - QPoint(0, 1);
            }
        }
    return count;
}

// font "face" height n [weight n] [italic]: the balloon font a character's settings give.
inline QString font_of(const QStringList& w)
{
    pw::acs::BalloonInfo s;
    s.font_name = w.value(1);
    s.font_height = w.value(3).toInt();
    s.font_weight = w.value(4) == "weight"_L1 ? w.value(5).toInt() : s.font_weight;
    s.italic = w.last() == "italic"_L1;
    const QFont f = pw::agent::ui::balloon_font(s);
    return u"%1 px, weight %2%3, lines %4 px, face \"%5\""_s.arg(f.pixelSize()).arg(f.weight())
        .arg(f.italic() ? ", italic" : "").arg(qRound(QFontMetricsF(f).height())).arg(QFontInfo(f).family());
}

inline Qt::MouseButton button(const QString& name)
{
    return name == "right"_L1 ? Qt::RightButton : name == "middle"_L1 ? Qt::MiddleButton : Qt::LeftButton;
}

// "Shift+Ctrl", "Keypad", "-" for none.
inline Qt::KeyboardModifiers modifiers(const QString& names)
{
    Qt::KeyboardModifiers out;
    for (const QString& n : names.split(u'+'))
        out |= n == "Shift"_L1 ? Qt::ShiftModifier : n == "Ctrl"_L1 ? Qt::ControlModifier
               : n == "Alt"_L1 ? Qt::AltModifier : n == "Keypad"_L1 ? Qt::KeypadModifier : Qt::NoModifier;
    return out;
}

// A key by its name in Qt::Key: "A", "Exclam", "Control".
inline Qt::Key key(const QString& name)
{
    return Qt::Key(QMetaEnum::fromType<Qt::Key>().keyToValue(qPrintable(u"Key_"_s + name)));
}

// keysym Q, position 16, shiftmask Shift+Ctrl, keyevent Less Shift [scan n] [keysym name]
inline int key_code(const QStringList& w)
{
    if (w[0] == "keysym"_L1) return pw::platform::vk_from_keysym(pw::test::x11::keysym(w.value(1)));
    if (w[0] == "position"_L1) return pw::platform::vk_from_key_position(w.value(1).toInt());
    if (w[0] == "shiftmask"_L1) return pw::platform::shift_mask_from(modifiers(w.value(1)));
    const QKeyEvent e(QEvent::KeyPress, key(w.value(1)), modifiers(w.value(2)), quint32(w.value(4).toInt()),
                      quint32(w.size() > 6 ? pw::test::x11::keysym(w[6]) : 0), 0);
    return pw::platform::vk_from_key_event(e);
}

}  // namespace pw::test::window_cases
