#include "stage/message_box.h"

#include "platform/core/trace.h"

#include <QMessageBox>

namespace pw::stage {
namespace {

std::function<void(const QString&)>& hook()
{
    static std::function<void(const QString&)> h;
    return h;
}

}  // namespace

void message_box(const QString& text, QWidget* parent)
{
    pw::trace::message(text);
    if (hook()) {
        hook()(text);
        return;
    }
    QMessageBox box(QMessageBox::NoIcon, program_title, text, QMessageBox::Ok, parent);
    box.exec();
}

void set_message_box_hook(std::function<void(const QString& text)> h) { hook() = std::move(h); }

}  // namespace pw::stage
