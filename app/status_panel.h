#pragma once
// One panel of the status bar: a line of text that repaints itself alone when it
// changes, from its first changed letter on. A label would ask the whole bar to lay itself out again for every new
// text, and the free-space figure changes every second.

#include <QWidget>

namespace pw::app {

class StatusPanel : public QWidget {
    Q_OBJECT
public:
    explicit StatusPanel(QWidget* parent = nullptr);

    QString text() const { return text_; }
    void setText(const QString& text);

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

signals:
    void clicked();

protected:
    void paintEvent(QPaintEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    // A letter may reach a little left of where it starts.
    static constexpr int overhang_px = 3;

    QFont text_font() const;

    QString text_;
};

}  // namespace pw::app
