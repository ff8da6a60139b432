#include "windows/message_box.h"

#include "platform/core/trace.h"
#include "windows/clear_place.h"

#include <QApplication>
#include <QGuiApplication>
#include <QMessageBox>
#include <QScreen>
#include <QStyle>

namespace pw::windows {
namespace {

std::function<void(const QString&)>& hook()
{
    static std::function<void(const QString&)> h;
    return h;
}

std::function<QList<QRect>()>& keep_clear()
{
    static std::function<QList<QRect>()> characters;
    return characters;
}

// A box on top of the characters' layer, placed once its size is known (as it is
// shown, before it reaches the screen).
class TopMessageBox : public QMessageBox {
public:
    TopMessageBox(const QString& text, QWidget* owner)
        : QMessageBox(QMessageBox::NoIcon, program_title, text, QMessageBox::Ok, owner)
    {
        setWindowFlag(Qt::WindowStaysOnTopHint, true);
        // Pellwick's face (the program's icon) tells it, not the system's warning sign.
        const QIcon face = QApplication::windowIcon();
        if (!face.isNull()) setIconPixmap(face.pixmap(64, 64));
    }

protected:
    void showEvent(QShowEvent* event) override
    {
        QMessageBox::showEvent(event);
        place();
    }

private:
    void place()
    {
        QWidget* owner = parentWidget() ? parentWidget()->window() : nullptr;
        const QScreen* screen = owner ? owner->screen() : QGuiApplication::primaryScreen();
        const QRect area = screen ? screen->availableGeometry() : QRect();
        const QRect over = owner ? owner->frameGeometry() : area;
        // The window manager's frame is not there yet: allow for a title bar.
        const QSize outer = size() + QSize(0, style()->pixelMetric(QStyle::PM_TitleBarHeight));
        const QPoint wanted = over.center() - QPoint(outer.width() / 2, outer.height() / 2);
        const QList<QRect> characters = keep_clear() ? keep_clear()() : QList<QRect>{};
        move(clear_place(outer, wanted, area, characters, 16));
    }
};

// A window out of sight (the main window while a script runs on the desktop) is no
// owner: the box would be centred on nothing and tied to a hidden window.
QWidget* visible_owner(QWidget* parent)
{
    return parent && parent->window()->isVisible() ? parent : nullptr;
}

}  // namespace

void message_box(const QString& text, QWidget* parent)
{
    pw::trace::message(text);
    if (hook()) {
        hook()(text);
        return;
    }
    TopMessageBox box(text, visible_owner(parent));
    box.exec();
}

void open_message_box(const QString& text, QWidget* parent, std::function<void()> closed)
{
    pw::trace::message(text);
    if (hook()) {
        hook()(text);
        if (closed) closed();
        return;
    }
    auto* box = new TopMessageBox(text, visible_owner(parent));
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->setWindowModality(box->parentWidget() ? Qt::WindowModal : Qt::ApplicationModal);
    QObject::connect(box, &QDialog::finished, box, [closed = std::move(closed)] {
        if (closed) closed();
    });
    box->open();
}

void set_message_box_keep_clear(std::function<QList<QRect>()> characters)
{
    keep_clear() = std::move(characters);
}

void set_message_box_hook(std::function<void(const QString&)> h) { hook() = std::move(h); }

}  // namespace pw::windows
