#pragma once
// A speech or thought balloon in a window of its own that follows the character. It
// never takes the focus or a click: the mouse goes through it to what lies below.

#include "agent/runtime/character_view.h"
#include "agent/ui/balloon_picture.h"
#include "agent/ui/x11_desktop.h"

#include <QWidget>
#include <memory>

namespace pw::agent::ui {

class BalloonWindow : public QWidget {
    Q_OBJECT
public:
    BalloonWindow();
    ~BalloonWindow() override;

    // A new text: laid out at once; speech starts with nothing revealed, a thought
    // shows everything.
    void set_content(BalloonKind kind, const QString& text, const acs::BalloonInfo& style);
    void clear_content();
    bool has_content() const { return text_ != nullptr; }
    void set_revealed(int chars);

    // Places the balloon for a character standing at `character` on `screen`, clear
    // of the other balloons showing now.
    void follow(const QRect& character, const QRect& screen);

    void set_wanted_visible(bool on);
    void set_compositing(bool on);

    BalloonKind kind() const { return kind_; }
    int revealed() const { return revealed_; }
    const BalloonTextLayout* text_layout() const { return text_.get(); }
    const BalloonPlacement& placement() const { return placement_; }
    const QImage& picture() const { return picture_; }
    const QRegion& shape_region() const { return region_; }

protected:
    void paintEvent(QPaintEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    // Where the other balloons on the screen stand (screen pixels).
    QList<QRect> others_shown() const;
    void redraw(bool shape_changed);
    void make_click_through();
    void update_shown();

    BalloonKind kind_ = BalloonKind::Speech;
    std::unique_ptr<BalloonTextLayout> text_;
    std::unique_ptr<BalloonLook> look_;
    int revealed_ = 0;
    QRect character_;
    QRect screen_;
    BalloonPlacement placement_;
    QImage body_;  // the picture without its text, kept while only the text changes
    QByteArray body_drawn_for_;  // what body_ shows (outline_key)
    QRegion body_region_;
    QImage picture_;
    int drawn_revealed_ = 0;  // the characters picture_ shows
    QRegion region_;
    bool compositing_ = false;
    bool wanted_visible_ = false;
    X11WindowWatch map_watch_;
};

}  // namespace pw::agent::ui
