// Balloons: font and layout from the character's settings, words that appear without
// moving, scrolling of long texts, placement on the screen, the speech and thought
// shapes, and the balloon window following its character.

#include "agent/ui/balloon_font.h"
#include "agent/ui/balloon_picture.h"
#include "agent/ui/balloon_placement.h"
#include "agent/ui/balloon_text_layout.h"
#include "agent/ui/balloon_window.h"
#include "agent/ui/character_window.h"
#include "agent/ui/desktop_character_view.h"
#include "tests/test_classes.h"

#include <QFontDatabase>
#include <QFontInfo>
#include <QFontMetricsF>
#include <QPaintEvent>
#include <QPainter>
#include <QScreen>
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

// The union of what a widget was asked to paint.
struct PaintedArea : QObject {
    QRegion painted;
    bool eventFilter(QObject*, QEvent* e) override
    {
        if (e->type() == QEvent::Paint)
            painted += static_cast<QPaintEvent*>(e)->region();
        return false;
    }
};

// Opaque pixels, 4-connected, counted as separate pieces.
int pieces(QImage img)
{
    int count = 0;
    for (int y = 0; y < img.height(); ++y)
        for (int x = 0; x < img.width(); ++x) {
            if (qAlpha(img.pixel(x, y)) < 128)
                continue;
            ++count;
            // Each piece is wiped out as it is counted.
            QList<QPoint> todo{QPoint(x, y)};
            while (!todo.isEmpty()) {
                const QPoint p = todo.takeLast();
                if (!img.rect().contains(p) || qAlpha(img.pixel(p)) < 128)
                    continue;
                img.setPixel(p, 0);
                todo << p + QPoint(1, 0) << p - QPoint(1, 0) << p + QPoint(0, 1) << p - QPoint(0, 1);
            }
        }
    return count;
}

void show_square(DesktopCharacterView& view, const QRect& at)
{
    QImage frame(at.size(), QImage::Format_ARGB32_Premultiplied);
    frame.fill(Qt::darkGreen);
    view.set_frame(frame);
    view.set_geometry(at);
    view.set_visible(true);
}

}  // namespace

class BalloonTest : public QObject {
    Q_OBJECT
private slots:
    void font_follows_the_character_settings()
    {
        acs::BalloonInfo s = balloon_style();
        s.font_name = QStringLiteral("No Such Face At All");
        s.font_height = -20;
        s.font_weight = 700;
        s.italic = true;
        QFont f = balloon_font(s);
        QCOMPARE(f.pixelSize(), 20);
        QCOMPARE(f.weight(), QFont::Bold);
        QVERIFY(f.italic());
        QVERIFY(QFontDatabase::families().contains(QFontInfo(f).family()));
        QVERIFY(QFontInfo(f).family() != s.font_name);

        // A positive height is the cell height: the line is that high, the letters less.
        s.font_height = 24;
        f = balloon_font(s);
        QVERIFY(f.pixelSize() < 24);
        QVERIFY(qAbs(QFontMetricsF(f).height() - 24) <= 2);

        // Nonsense from a damaged file still gives a readable font.
        s.font_height = std::numeric_limits<int32_t>::min();
        QVERIFY(balloon_font(s).pixelSize() <= 72);
        s.font_height = 1;
        QVERIFY(balloon_font(s).pixelSize() >= 9);

        if (!QFontDatabase::families().contains(QStringLiteral("DejaVu Serif")))
            QSKIP("DejaVu Serif not installed");
        s.font_name = QStringLiteral("DejaVu Serif");
        QCOMPARE(QFontInfo(balloon_font(s)).family(), QStringLiteral("DejaVu Serif"));
    }

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

    void placement_prefers_above_then_below_then_beside()
    {
        const QRect screen(0, 0, 800, 600);
        const struct {
            QRect character;
            BalloonSide side;
        } cases[] = {{QRect(350, 300, 100, 100), BalloonSide::Above}, {QRect(350, 20, 100, 100), BalloonSide::Below},
                     {QRect(50, 20, 100, 560), BalloonSide::Right}, {QRect(650, 20, 100, 560), BalloonSide::Left}};
        for (const auto& c : cases) {
            const BalloonPlacement p = place_balloon(QSize(200, 60), 16, c.character, screen);
            QCOMPARE(p.side, c.side);
            QVERIFY(!p.body.intersects(c.character) && c.character.adjusted(0, 0, 1, 1).contains(p.tip));
        }
        QCOMPARE(place_balloon(QSize(200, 60), 16, cases[0].character, screen).tip, QPoint(400, 300));
    }

    void a_balloon_moves_aside_for_another_one()
    {
        const QRect screen(0, 0, 800, 600);
        const QSize body(200, 60);
        const QRect character(350, 300, 100, 100);
        const BalloonPlacement alone = place_balloon(body, 16, character, screen);
        // The other balloon is not in the way: nothing changes.
        QCOMPARE(place_balloon(body, 16, character, screen, {QRect(0, 0, 100, 50)}).body, alone.body);
        // Over the place above, slightly to the left, or reaching down beside the
        // character: the balloon keeps clear, on its side, and points at the character.
        for (const QRect other : {alone.body, alone.body.translated(-60, 10), QRect(150, 150, 260, 200)}) {
            const BalloonPlacement p = place_balloon(body, 16, character, screen, {other});
            QVERIFY2(!p.body.intersects(other), qPrintable(QStringLiteral("%1,%2").arg(other.x()).arg(other.y())));
            QVERIFY(!p.body.intersects(character) && screen.contains(p.window()));
            QVERIFY(character.adjusted(0, 0, 1, 1).contains(p.tip));
        }

        // Two characters side by side speak at once: the later balloon stands aside.
        DesktopCharacterView first, second;
        show_square(first, QRect(300, 400, 80, 80));
        show_square(second, QRect(400, 400, 80, 80));
        first.show_balloon(BalloonKind::Speech, short_text, balloon_style());
        second.show_balloon(BalloonKind::Speech, short_text, balloon_style());
        const QRect a = first.balloon_window().placement().window();
        const BalloonPlacement& b = second.balloon_window().placement();
        QVERIFY(!b.body.intersects(a) && !b.body.intersects(QRect(400, 400, 80, 80)));
        QVERIFY(QRect(400, 400, 81, 81).contains(b.tip));
        // The first one's character walks up to the second: its balloon keeps clear too.
        first.set_geometry(QRect(380, 400, 80, 80));
        QVERIFY(!first.balloon_window().placement().body.intersects(second.balloon_window().placement().window()));
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

    void speech_is_one_piece_and_thought_a_cloud_with_bubbles()
    {
        const Balloon speech(BalloonKind::Speech, short_text, balloon_style());
        const Balloon thought(BalloonKind::Thought, short_text, balloon_style());
        QCOMPARE(speech.placement.side, BalloonSide::Above);
        QCOMPARE(thought.placement.side, BalloonSide::Above);

        const QImage s = speech.picture(int(short_text.size()));
        const QImage t = thought.picture(int(short_text.size()));
        QCOMPARE(pieces(s), 1);
        QCOMPARE(pieces(t), 4);

        // Both point at the character: something opaque right by the tip.
        for (const Balloon* b : {&speech, &thought}) {
            const QImage img = b->picture(0);
            const QPoint tip = b->placement.tip - b->placement.window().topLeft();
            bool near = false;
            for (int dy = -8; dy <= 0 && !near; ++dy)
                for (int dx = -6; dx <= 6 && !near; ++dx)
                    near = img.rect().contains(tip + QPoint(dx, dy))
                           && qAlpha(img.pixel(tip + QPoint(dx, dy))) == 255;
            QVERIFY(near);
        }

    }

    void thought_shows_all_at_once_and_speech_word_by_word()
    {
        DesktopCharacterView view;
        show_square(view, QRect(300, 400, 80, 80));
        BalloonWindow& balloon = view.balloon_window();

        view.show_balloon(BalloonKind::Thought, long_text, balloon_style());
        QVERIFY(balloon.isVisible());
        QCOMPARE(balloon.revealed(), int(long_text.size()));
        QCOMPARE(balloon.text_layout()->first_visible_line(balloon.revealed()), 0);
        view.reveal_balloon_text(3);
        QCOMPARE(balloon.revealed(), int(long_text.size()));

        view.show_balloon(BalloonKind::Speech, short_text, balloon_style());
        QCOMPARE(balloon.kind(), BalloonKind::Speech);
        QCOMPARE(balloon.revealed(), 0);
        const QRect before = balloon.geometry();
        // A word more is painted where it is written, not the whole balloon again.
        QVERIFY(QTest::qWaitForWindowExposed(&balloon));
        QCoreApplication::sendPostedEvents();
        PaintedArea area;
        balloon.installEventFilter(&area);
        view.reveal_balloon_text(6);
        QCoreApplication::sendPostedEvents();
        QVERIFY(!area.painted.isEmpty());
        QVERIFY(area.painted.boundingRect().width() < balloon.width() / 2);
        QCOMPARE(balloon.revealed(), 6);
        view.reveal_balloon_text(10000);
        QCOMPARE(balloon.revealed(), int(short_text.size()));
        QCOMPARE(balloon.geometry(), before);

        // Word by word, over line ends and scrolling, the balloon shows what it would
        // show drawn whole; here it stops in the middle of a line.
        view.show_balloon(BalloonKind::Speech, long_text, balloon_style());
        for (int at = 0; at >= 0 && at < long_text.size() - 20; at = long_text.indexOf(QLatin1Char(' '), at + 1))
            view.reveal_balloon_text(at + 1);
        const QImage word_by_word = balloon.picture();
        balloon.set_compositing(true);
        balloon.set_compositing(false);
        QCOMPARE(balloon.picture(), word_by_word);

        view.hide_balloon();
        QVERIFY(!balloon.isVisible());
        view.reveal_balloon_text(3);  // a late reveal after hiding does nothing harmful
        QVERIFY(!balloon.isVisible());
    }

    void odd_settings_and_huge_texts_still_fit_the_screen()
    {
        DesktopCharacterView view;
        show_square(view, QRect(360, 600, 80, 80));
        BalloonWindow& balloon = view.balloon_window();
        const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();

        acs::BalloonInfo s = balloon_style(255, 255);
        s.font_height = -72;
        QString huge;
        for (int i = 0; i < 20000; ++i)
            huge += QStringLiteral("word%1 ").arg(i);
        for (const BalloonKind kind : {BalloonKind::Speech, BalloonKind::Thought}) {
            view.show_balloon(kind, huge, s);
            view.reveal_balloon_text(int(huge.size()) / 2);
            QVERIFY(balloon.isVisible());
            QVERIFY(screen.contains(balloon.geometry()));
        }

        // Zero lines and zero characters per line mean the usual 2 x 28.
        view.show_balloon(BalloonKind::Speech, long_text, balloon_style(0, 0));
        QCOMPARE(balloon.text_layout()->visible_line_count(), 2);
        const BalloonTextLayout usual(long_text, balloon_font(balloon_style()), 28, 2);
        QCOMPARE(balloon.text_layout()->wrap_width(), usual.wrap_width());
    }

    void balloon_window_follows_its_character_and_hides_with_it()
    {
        DesktopCharacterView view;
        show_square(view, QRect(350, 350, 100, 100));
        view.show_balloon(BalloonKind::Speech, short_text, balloon_style());
        BalloonWindow& balloon = view.balloon_window();
        QVERIFY(QTest::qWaitForWindowExposed(&balloon));
        const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();

        QRect b = balloon.geometry();
        QCOMPARE(balloon.placement().side, BalloonSide::Above);
        QVERIFY(balloon.placement().body.bottom() < 350);
        QVERIFY(b.bottom() <= 352);  // the tail's tip touches the character's top
        // Without a compositor the window is cut out to the balloon's shape.
        QVERIFY(!balloon.mask().isEmpty());
        QVERIFY(!balloon.mask().contains(QPoint(0, b.height() - 1)));

        // Moving the character moves the balloon along.
        view.set_geometry(QRect(300, 380, 100, 100));
        QCOMPARE(balloon.geometry(), b.translated(-50, 30));

        // Into the top-left corner: the balloon goes below and stays on the screen.
        view.set_geometry(QRect(screen.left() - 30, screen.top() - 10, 100, 100));
        b = balloon.geometry();
        QCOMPARE(balloon.placement().side, BalloonSide::Below);
        QVERIFY(screen.contains(b));

        // The same when the user drags the character to the right edge.
        QWindow* handle = view.character_window().windowHandle();
        QVERIFY(QTest::qWaitForWindowExposed(handle));
        QTest::mousePress(handle, Qt::LeftButton, Qt::NoModifier, QPoint(50, 50));
        QTest::mouseMove(handle, QPoint(50 + screen.width(), 80));
        QTest::mouseRelease(handle, Qt::LeftButton, Qt::NoModifier, QPoint(50, 80));
        QVERIFY(view.character_window().x() > screen.right() - 60);
        QVERIFY(screen.contains(balloon.geometry()));

        view.set_visible(false);
        QVERIFY(!balloon.isVisible());
        view.set_visible(true);
        QVERIFY(balloon.isVisible());
    }

    void balloon_points_at_the_figure_not_at_empty_frame_margins()
    {
        DesktopCharacterView view;
        QImage frame(100, 100, QImage::Format_ARGB32_Premultiplied);
        frame.fill(Qt::transparent);
        QPainter(&frame).fillRect(QRect(10, 40, 30, 60), Qt::darkGreen);  // low and left
        view.set_frame(frame);
        view.set_geometry(QRect(300, 400, 200, 200));  // shown at twice the size
        view.set_visible(true);
        view.show_balloon(BalloonKind::Speech, short_text, balloon_style());
        const BalloonPlacement& p = view.balloon_window().placement();
        QCOMPARE(p.side, BalloonSide::Above);
        QCOMPARE(p.tip, QPoint(300 + 20 + 30, 400 + 80));

        // Frames of an animation come and go; the balloon stays put.
        const QRect at = view.balloon_window().geometry();
        frame.fill(Qt::transparent);
        QPainter(&frame).fillRect(QRect(50, 0, 50, 100), Qt::darkGreen);
        view.set_frame(frame);
        QCOMPARE(view.balloon_window().geometry(), at);
    }
};

PW_TEST_CLASS(BalloonTest);
#include "balloon_test.moc"
