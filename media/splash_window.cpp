#include "media/splash_window.h"

#include "windows/style.h"
#include "windows/twips.h"

#include <QEvent>
#include <QFrame>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QScreen>
#include <QVBoxLayout>

namespace pw::media {

namespace {
constexpr int design_width_twips = 7380, design_height_twips = 3045;
}

QPixmap friends_picture()
{
    return QPixmap(QStringLiteral(":/pellworks/pictures/friends.png"));
}

SplashWindow::SplashWindow(QWidget* parent) : QWidget(parent, Qt::SplashScreen | Qt::FramelessWindowHint)
{
    setAttribute(Qt::WA_DeleteOnClose);
    windows::style::dress(this);
    setStyleSheet(styleSheet() + QStringLiteral(
        "QFrame#frame { border: 3px solid #3490bd; border-radius: 16px; background: #fffbe6; }"
        "QLabel#product_name_label { font-size: 30pt; font-weight: bold; color: #1f2545; }"
        "QLabel#version_label { font-size: 13pt; }"
        "QLabel#licence_label { font-size: 13pt; font-weight: bold; color: #1f2545; background: #ffd23f;"
        "  border-radius: 8px; padding: 2px 8px; }"
        "QLabel#presents_label { font-style: italic; }"
        "QLabel[notice=\"true\"] { font-size: 9pt; color: #4a4f6a; }"));

    frame = new QFrame(this);
    frame->setObjectName(QStringLiteral("frame"));
    frame->installEventFilter(this);
    auto* outer = new QVBoxLayout(this);
    outer->setContentsMargins(0, 0, 0, 0);
    outer->addWidget(frame);

    auto make_label = [this](const char* name, const QString& text) {
        auto* l = new QLabel(text, frame);
        l->setObjectName(QLatin1String(name));
        // A click anywhere sends the splash away, labels included.
        l->setAttribute(Qt::WA_TransparentForMouseEvents);
        return l;
    };
    presents_label = make_label("presents_label", QStringLiteral("presents"));
    logo = make_label("logo", QString());
    logo->setPixmap(friends_picture().scaledToWidth(420, Qt::SmoothTransformation));
    logo->setAlignment(Qt::AlignCenter);
    product_name_label = make_label("product_name_label", QString());
    version_label = make_label("version_label", QString());
    licence_label = make_label("licence_label", QStringLiteral("FREE   "));
    copyright_label = make_label("copyright_label", QStringLiteral("\u00a9 2026"));
    author_label = make_label("author_label", QStringLiteral("Made by the Pellworks makers for children of five and up"));
    company_label = make_label("company_label", QStringLiteral("Pellworks \u2013 free to share"));
    for (QLabel* l : {copyright_label, author_label, company_label}) l->setProperty("notice", true);

    auto* layout = new QVBoxLayout(frame);
    layout->setContentsMargins(18, 14, 18, 12);
    layout->addWidget(logo);
    layout->addWidget(presents_label, 0, Qt::AlignHCenter);
    layout->addWidget(product_name_label, 0, Qt::AlignHCenter);
    auto* version_row = new QHBoxLayout;
    version_row->addStretch();
    version_row->addWidget(version_label);
    version_row->addSpacing(16);
    version_row->addWidget(licence_label);
    version_row->addStretch();
    layout->addLayout(version_row);
    layout->addSpacing(6);
    for (QLabel* l : {copyright_label, author_label, company_label}) layout->addWidget(l, 0, Qt::AlignHCenter);

    setMinimumSize(pw::windows::twips_to_px_x(design_width_twips), pw::windows::twips_to_px_y(design_height_twips));
    adjustSize();
    if (const QScreen* screen = QGuiApplication::primaryScreen())
        move(screen->geometry().center() - rect().center());
}

void SplashWindow::prepare(const QString& program_title, const QString& version_text)
{
    version_label->setText(QStringLiteral("Version ") + version_text);
    product_name_label->setText(program_title);
    setWindowTitle(program_title);
}

void SplashWindow::keyPressEvent(QKeyEvent*)
{
    close();
}

bool SplashWindow::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == frame && event->type() == QEvent::MouseButtonRelease) close();
    return false;
}

}  // namespace pw::media
