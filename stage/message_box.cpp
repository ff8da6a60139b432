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

std::function<bool(const QString&)>& question_hook()
{
    static std::function<bool(const QString&)> h;
    return h;
}

bool asked(const QString& text, QWidget* parent)
{
    if (question_hook()) return question_hook()(text);
    QMessageBox box(QMessageBox::Question, program_title, text, QMessageBox::Yes | QMessageBox::No, parent);
    box.setDefaultButton(QMessageBox::No);
    box.setEscapeButton(QMessageBox::No);
    return box.exec() == QMessageBox::Yes;
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

bool question_box(const QString& text, QWidget* parent)
{
    pw::trace::message(text);
    const bool yes = asked(text, parent);
    pw::trace::event(QStringLiteral("Answer"), {yes ? QStringLiteral("Yes") : QStringLiteral("No")});
    return yes;
}

void set_message_box_hook(std::function<void(const QString& text)> h) { hook() = std::move(h); }
void set_question_box_hook(std::function<bool(const QString& text)> h) { question_hook() = std::move(h); }

}  // namespace pw::stage
