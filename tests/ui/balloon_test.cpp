// Balloons: layout from the character's settings, words that appear without
// moving, scrolling of long texts, and placement on the screen wherever the character
// is. The balloon window with its character: cases/balloon_*.case.

#include "agent/ui/balloon_font.h"
#include "agent/ui/balloon_picture.h"
#include "agent/ui/balloon_placement.h"
#include "agent/ui/balloon_text_layout.h"
#include "tests/test_classes.h"

#include <QTest>

using namespace pw::agent;
using namespace pw::agent::ui;
namespace acs = pw::acs;

namespace {

const QString short_text = QStringLiteral("Hello there, my friend! Shall we play a game today?");
const QString long_text = QStringLiteral(
    "Once upon a time a small green dragon lived in a tall tower by the sea. Every morning "
    "he counted the boats, and every evening he sang to the seagulls until they fell asleep.");

acs::BalloonInfo balloon_style(int lines = 2, int chars = 28)
{
    acs::BalloonInfo s;
    s.lines = uint8_t(lines);
    s.chars_per_line = uint8_t(chars);
    s.text_color = qRgb(0, 0, 200);
    return s;
}

struct Balloon {
    BalloonTextLayout text;
    BalloonLook look;
    BalloonPlacement placement;

    Balloon(BalloonKind kind, const QString& t, const acs::BalloonInfo& s, QRect character = {300, 300, 100, 100})
        : text(t, balloon_font(s), s.chars_per_line, kind == BalloonKind::Speech ? s.lines : 10),
          look(balloon_look(kind, s, balloon_font(s))),
          placement(place_balloon(balloon_body_size(look, text), look.metrics.gap, character, QRect(0, 0, 800, 800)))
    {
    }
    QImage picture(int revealed) const { return draw_balloon(look, text, placement, revealed, true); }
};

}  // namespace

class BalloonTest : public QObject {
    Q_OBJECT
private slots:
    void text_wraps_at_the_line_width_and_scrolls_to_the_newest_line()
    {
        const QFont font = balloon_font(balloon_style());
        const BalloonTextLayout narrow(long_text, font, 20, 2);
        const BalloonTextLayout wide(long_text, font, 40, 2);
        QVERIFY(wide.wrap_width() > narrow.wrap_width());
        QVERIFY(narrow.line_count() > wide.line_count());
        QVERIFY(narrow.size().width() <= narrow.wrap_width());
        // Two lines show at a time; the newest revealed line is always among them.
        QCOMPARE(narrow.visible_line_count(), 2);
        QCOMPARE(narrow.size().height(), 2 * narrow.line_height());
        QCOMPARE(narrow.first_visible_line(0), 0);
        for (int revealed = 1; revealed <= long_text.size(); ++revealed) {
            const int newest = narrow.line_of(revealed - 1);
            const int first = narrow.first_visible_line(revealed);
            QVERIFY(first <= newest && newest < first + 2);
            QVERIFY(first == 0 || newest == first + 1);
        }
        QCOMPARE(narrow.first_visible_line(int(long_text.size())), narrow.line_count() - 2);

        // A short text is no wider than it needs and only as high as its lines.
        const BalloonTextLayout hi(QStringLiteral("Hi!"), font, 28, 2);
        QCOMPARE(hi.size().height(), hi.line_height());
        QVERIFY(hi.size().width() < hi.wrap_width() / 4);

        // Line breaks in the text are kept; empty text is one empty line.
        QCOMPARE(BalloonTextLayout(QStringLiteral("one\ntwo"), font, 28, 4).line_count(), 2);
        QCOMPARE(BalloonTextLayout(QString(), font, 28, 2).line_count(), 1);
    }

    void revealed_words_stand_where_they_will_stay()
    {
        const Balloon b(BalloonKind::Speech, short_text, balloon_style());
        QVERIFY(b.text.line_count() == 2);
        const QImage nothing = b.picture(0);
        const QImage full = b.picture(int(short_text.size()));
        const int cut_at = int(short_text.indexOf(QLatin1String("my")));  // "Hello there, " is out
        const QImage part = b.picture(cut_at);

        const QPoint origin = balloon_text_origin(b.look, b.text, b.placement);
        const int cut_x = origin.x() + int(b.text.char_rect(cut_at).left());
        const int lh = b.text.line_height();
        const QRect line1_out(origin.x() - 2, origin.y(), cut_x - origin.x() + 1, lh);
        const QRect line1_rest(cut_x + 2, origin.y(), origin.x() + b.text.size().width() - cut_x - 2, lh);
        const QRect line2(origin.x() - 2, origin.y() + lh, b.text.size().width() + 4, lh);

        QVERIFY(part.copy(line1_out) != nothing.copy(line1_out));  // the words are drawn
        QCOMPARE(part.copy(line1_out), full.copy(line1_out));        // exactly where they end up
        QCOMPARE(part.copy(line1_rest), nothing.copy(line1_rest));  // nothing ahead of the voice
        QCOMPARE(part.copy(line2), nothing.copy(line2));
        QVERIFY(full.copy(line2) != nothing.copy(line2));
        // The balloon keeps its size while the words come.
        QCOMPARE(part.size(), full.size());

        // A long text scrolls inside it: once the third line begins, the top row shows
        // another line.
        const Balloon l(BalloonKind::Speech, long_text, balloon_style(2, 28));
        const QPoint o = balloon_text_origin(l.look, l.text, l.placement);
        const QImage two_lines = l.picture(l.text.line_start(1)), three = l.picture(l.text.line_start(2) + 1);
        QCOMPARE(two_lines.size(), three.size());
        const QRect top_row(o, QSize(l.text.size().width(), l.text.line_height()));
        QVERIFY(two_lines.copy(top_row) != three.copy(top_row));
    }

    void balloon_window_stays_on_screen_wherever_the_character_is()
    {
        const QRect screen(0, 0, 800, 600);
        const QSize body(220, 70);
        for (int x = -150; x <= 900; x += 50) {
            for (int y = -150; y <= 700; y += 50) {
                for (const QSize size : {QSize(100, 100), QSize(300, 580)}) {
                    const QRect character(QPoint(x, y), size);
                    const BalloonPlacement p = place_balloon(body, 20, character, screen);
                    const QString where = QStringLiteral("%1,%2 %3x%4").arg(x).arg(y).arg(size.width()).arg(size.height());
                    QVERIFY2(screen.contains(p.window()), qPrintable(where));
                    // Whenever some side has room, the balloon does not cover the character.
                    const bool room = character.top() - 20 - 70 >= 0 || character.bottom() + 20 + 70 < 600
                                      || character.left() - 20 - 220 >= 0 || character.right() + 20 + 220 < 800;
                    if (room && screen.intersects(character))
                        QVERIFY2(!p.body.intersects(character), qPrintable(where));
                }
            }
        }
    }
};

PW_TEST_CLASS(BalloonTest);
#include "balloon_test.moc"
