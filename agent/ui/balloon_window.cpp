#include "agent/ui/balloon_window.h"

#include "agent/ui/balloon_font.h"
#include "agent/ui/frame_shape.h"
#include "agent/ui/window_stacking.h"
#include "agent/ui/x11_desktop.h"

#include <QApplication>
#include <QDataStream>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QPainter>
#include <QScreen>

#include <algorithm>

namespace pw::agent::ui {

namespace {

// A thought shows its whole text at once, so it may grow beyond the speech lines,
// but not without end.
constexpr int thought_max_lines = 10;

// What the balloon's outline and fill depend on. A wait's reminder comes back every few
// seconds in the same balloon at the same place: its outline is drawn once.
QByteArray outline_key(const BalloonLook& look, const BalloonPlacement& placement, bool hard_edges)
{
    const QRect window = placement.window();
    const BalloonMetrics& m = look.metrics;
    QByteArray key;
    QDataStream out(&key, QIODevice::WriteOnly);
    out << int(m.kind) << m.border << m.radius << m.scallop << look.fill << look.border << window.size()
        << placement.body.translated(-window.topLeft()) << placement.tip - window.topLeft() << int(placement.side)
        << hard_edges;
    return key;
}

}  // namespace

BalloonWindow::BalloonWindow()
    : QWidget(nullptr, Qt::Tool | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint
                           | Qt::WindowDoesNotAcceptFocus | Qt::WindowTransparentForInput),
      map_watch_(this, [this] { make_click_through(); })
{
    setAttribute(Qt::WA_TranslucentBackground);
    setAttribute(Qt::WA_ShowWithoutActivating);
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setAttribute(Qt::WA_NoSystemBackground);
    setFocusPolicy(Qt::NoFocus);
    setWindowTitle(QStringLiteral("Pellworks balloon"));
}

BalloonWindow::~BalloonWindow() = default;

void BalloonWindow::set_content(BalloonKind kind, const QString& text, const acs::BalloonInfo& style)
{
    kind_ = kind;
    const QFont font = balloon_font(style);
    // Zero in a character file means "not set"; the usual balloon is 2 lines of 28.
    const int chars = style.chars_per_line > 0 ? style.chars_per_line : 28;
    int lines = style.lines > 0 ? style.lines : 2;
    if (kind == BalloonKind::Thought)
        lines = std::max(lines, thought_max_lines);
    // However the character is set up, the balloon fits well on the screen.
    const QRect screen = !screen_.isEmpty() ? screen_
                         : QGuiApplication::primaryScreen() ? QGuiApplication::primaryScreen()->availableGeometry()
                                                            : QRect(0, 0, 800, 600);
    const int line_height = std::max(1, QFontMetrics(font).lineSpacing());
    lines = std::clamp(lines, 1, std::max(1, screen.height() * 6 / 10 / line_height));
    text_ = std::make_unique<BalloonTextLayout>(text, font, chars, lines, screen.width() * 8 / 10);
    look_ = std::make_unique<BalloonLook>(balloon_look(kind, style, font));
    revealed_ = kind == BalloonKind::Speech ? 0 : int(text.size());
    placement_ = {};
    picture_ = {};
    if (!character_.isNull())
        follow(character_, screen_);
    update_shown();
}

void BalloonWindow::clear_content()
{
    text_.reset();
    look_.reset();
    picture_ = {};
    region_ = {};
    update_shown();
}

void BalloonWindow::set_revealed(int chars)
{
    if (!text_ || kind_ == BalloonKind::Thought)
        return;
    chars = std::clamp(chars, 0, int(text_->text().size()));
    if (chars == revealed_)
        return;
    revealed_ = chars;
    redraw(false);
}

void BalloonWindow::follow(const QRect& character, const QRect& screen)
{
    character_ = character;
    screen_ = screen;
    if (!text_)
        return;
    const BalloonPlacement next =
        place_balloon(balloon_body_size(*look_, *text_), look_->metrics.gap, character, screen, others_shown());
    const QRect was = placement_.window();
    const QRect now = next.window();
    // Moving as a whole keeps the picture; anything else (tail, side, squeeze) redraws.
    const bool same_picture = !picture_.isNull() && next.side == placement_.side
                              && now.size() == was.size()
                              && next.body.topLeft() - now.topLeft() == placement_.body.topLeft() - was.topLeft()
                              && next.tip - now.topLeft() == placement_.tip - was.topLeft();
    placement_ = next;
    if (same_picture) {
        move(now.topLeft());
        return;
    }
    setGeometry(now);
    redraw(true);
}

QList<QRect> BalloonWindow::others_shown() const
{
    QList<QRect> others;
    const QWidgetList windows = QApplication::topLevelWidgets();
    for (QWidget* w : windows) {
        const auto* other = qobject_cast<const BalloonWindow*>(w);
        if (other && other != this && other->isVisible() && other->has_content())
            others.append(other->placement().window());
    }
    return others;
}

void BalloonWindow::set_wanted_visible(bool on)
{
    wanted_visible_ = on;
    update_shown();
}

void BalloonWindow::set_compositing(bool on)
{
    if (on == compositing_)
        return;
    compositing_ = on;
    if (on)
        clearMask();
    if (text_ && !placement_.body.isNull())
        redraw(true);
}

void BalloonWindow::redraw(bool shape_changed)
{
    if (!text_ || placement_.body.isNull())
        return;
    QRect changed;
    if (shape_changed || picture_.size() != placement_.window().size()) {
        const QByteArray key = outline_key(*look_, placement_, !compositing_);
        if (key != body_drawn_for_) {
            body_ = draw_balloon_body(*look_, placement_, !compositing_);
            body_drawn_for_ = key;
            body_region_ = alpha_region(body_);  // the text lies inside: it does not change the shape
        }
        region_ = body_region_;
        if (!compositing_ && !region_.isEmpty())
            setMask(region_);
        picture_ = body_;
        changed = rect();
    } else {
        // A word more changes only where it is written.
        changed = text_->changed_area(drawn_revealed_, revealed_)
                      .translated(balloon_text_origin(*look_, *text_, placement_));
    }
    draw_balloon_text(picture_, body_, *look_, *text_, placement_, revealed_, changed, !compositing_);
    drawn_revealed_ = revealed_;
    update(changed);
}

void BalloonWindow::update_shown()
{
    const bool show_it = wanted_visible_ && text_ && !region_.isEmpty();
    if (show_it == isVisible())
        return;
    setVisible(show_it);
    if (show_it)
        raise_below_dialogs(*this);
}

void BalloonWindow::make_click_through()
{
    // WindowTransparentForInput alone is not enough under some window managers: their
    // frame keeps catching clicks. An empty input shape set after mapping reaches it.
    if (isVisible())
        set_input_shape(winId(), QRegion());
}

void BalloonWindow::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    p.setCompositionMode(QPainter::CompositionMode_Source);
    if (picture_.size() != size())
        p.fillRect(rect(), Qt::transparent);
    p.drawImage(0, 0, picture_);
}

void BalloonWindow::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    make_click_through();  // and again when mapped (map_watch_)
}

}  // namespace pw::agent::ui
