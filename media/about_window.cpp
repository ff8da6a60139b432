#include "media/about_window.h"

#include "media/splash_window.h"
#include "windows/style.h"
#include "windows/twips.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>

namespace pw::media {

namespace {
constexpr int design_width_twips = 5730, design_height_twips = 3855;
}

AboutWindow::AboutWindow(QWidget* parent) : QWidget(parent)
{
    windows::style::dress(this);
    setStyleSheet(styleSheet() + QStringLiteral(
        "QLabel#title_label { font-size: 22pt; font-weight: bold; }"
        "QLabel#version_label { font-size: 12pt; }"
        "QLabel#description_label { font-size: 12pt; font-weight: bold; color: #1f2545; }"
        "QLabel#disclaimer_label { font-size: 10pt; background: #fffbe6; border: 2px solid #8ad3ee;"
        "  border-radius: 8px; padding: 6px; }"));

    icon_label = new QLabel(this);
    // Pellwick alone, the first of the friends.
    const QPixmap friends = friends_picture();
    icon_label->setPixmap(friends.copy(0, 0, friends.width() / 4, friends.height()).scaledToHeight(120, Qt::SmoothTransformation));
    icon_label->setAccessibleName(QStringLiteral("Pellwick"));
    title_label = new QLabel(this);
    title_label->setObjectName(QStringLiteral("title_label"));
    version_label = new QLabel(this);
    version_label->setObjectName(QStringLiteral("version_label"));
    description_label = new QLabel(QStringLiteral("Programming basics for Kids ages 5 and up."), this);
    description_label->setObjectName(QStringLiteral("description_label"));
    description_label->setWordWrap(true);
    disclaimer_label = new QLabel(QStringLiteral("Warning: ..."), this);
    disclaimer_label->setObjectName(QStringLiteral("disclaimer_label"));
    disclaimer_label->setWordWrap(true);

    ok_button = new QPushButton(QStringLiteral("Close"), this);
    windows::style::dress_button(ok_button, "main", QStringLiteral("tick"));
    ok_button->setDefault(true);
    system_info_button = new QPushButton(QStringLiteral("&Sys Info..."), this);
    windows::style::dress_button(system_info_button, "secondary", QStringLiteral("pencil"));
    system_info_button->setAccessibleName(QStringLiteral("Sys Info..."));
    connect(ok_button, &QPushButton::clicked, this, [this] { ok_clicked(); });
    connect(system_info_button, &QPushButton::clicked, this, [this] { system_info_clicked(); });

    auto* grid = new QGridLayout(this);
    grid->setContentsMargins(14, 12, 14, 12);
    grid->setHorizontalSpacing(14);
    grid->addWidget(icon_label, 0, 0, 3, 1, Qt::AlignTop);
    grid->addWidget(title_label, 0, 1);
    grid->addWidget(version_label, 1, 1);
    grid->addWidget(description_label, 2, 1);
    grid->addWidget(disclaimer_label, 3, 0, 1, 2);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(system_info_button);
    buttons->addStretch();
    buttons->addWidget(ok_button);
    grid->addLayout(buttons, 4, 0, 1, 2);
    setMinimumSize(pw::windows::twips_to_px_x(design_width_twips), pw::windows::twips_to_px_y(design_height_twips));
}

void AboutWindow::prepare(const QString& program_title, const QString& version_text)
{
    setWindowTitle(QStringLiteral("About ") + program_title);
    version_label->setText(QStringLiteral("Version ") + version_text);
    title_label->setText(program_title);
    ok_button->setFocus(Qt::OtherFocusReason);
}

void AboutWindow::ok_clicked()
{
    close();
    Q_EMIT closed();
}

void AboutWindow::system_info_clicked()
{
    // Our own window takes the place of the system's information program.
    Q_EMIT system_information_wanted();
}

void AboutWindow::keyPressEvent(QKeyEvent* event)
{
    // "Close" is the cancel button as well as the default one.
    if (event->key() == Qt::Key_Escape || event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        ok_clicked();
        return;
    }
    QWidget::keyPressEvent(event);
}

}  // namespace pw::media
