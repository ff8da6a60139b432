#include "windows/style.h"

#include <QAbstractButton>
#include <QApplication>
#include <QFont>
#include <QPalette>
#include <QStyle>
#include <QStyleFactory>
#include <QVariant>
#include <QWidget>

namespace pw::windows::style {

namespace {

// Ink #1f2545 keeps a contrast of 6:1 or more on every background below (the least
// is on the blue #45b0d8); the disabled grey #5a5f78 on #ece8dc is 5.1:1, the link
// blue #1d5f8a on the creams 6.1:1.
const char* const sheet = R"(
QMdiArea { qproperty-background: #cdeaf5; }
QWidget#pw_window { background: #fff1d0; }
QMenuBar { background: #fff1d0; border-bottom: 2px solid #ff9838; }
QMenuBar::item { padding: 6px 12px; border-radius: 8px; }
QMenuBar::item:selected, QMenu::item:selected { background: #8ad3ee; color: #1f2545; }
QMenu { background: #fffbe6; border: 2px solid #1f2545; }
QMenu::item { padding: 6px 24px 6px 12px; }
QMenu::item:disabled { color: #5a5f78; }
QPushButton, QToolButton {
    min-height: 40px; padding: 2px 12px; font-weight: bold; color: #1f2545;
    border: 2px solid #1f2545; border-radius: 12px; background: #fffbe6;
}
QPushButton:hover, QToolButton:hover { background: #fff1d0; }
QPushButton[role="main"] { background: #45b0d8; }
QPushButton[role="main"]:hover { background: #8ad3ee; }
QPushButton[role="secondary"] { background: #ff9838; }
QPushButton[role="secondary"]:hover { background: #ffb370; }
QPushButton[role="stop"] { background: #ff8fab; }
QPushButton[role="stop"]:hover { background: #ffb3c6; }
QPushButton:pressed, QToolButton:pressed { padding-top: 4px; }
QPushButton:checked { background: #8ad3ee; border: 3px solid #1f2545; }
QPushButton:focus, QToolButton:focus { border: 3px solid #3490bd; }
QPushButton[role="main"]:focus { border: 3px solid #1f2545; }
QPushButton:disabled, QToolButton:disabled { background: #ece8dc; color: #5a5f78; border-color: #b8b4a8; }
QPushButton#load { background: #8ad3ee; }
QPushButton#save_button { background: #45b0d8; }
QPushButton#cancel { background: #ff8fab; }
QPushButton#load:disabled, QPushButton#save_button:disabled, QPushButton#cancel:disabled {
    background: #ece8dc; color: #5a5f78; border-color: #b8b4a8;
}
QLineEdit {
    background: #fffbe6; border: 2px solid #1f2545; border-radius: 8px;
    padding: 4px 6px; min-height: 26px; font-size: 12pt;
    selection-background-color: #8ad3ee; selection-color: #1f2545;
}
QLineEdit:focus { border-color: #3490bd; }
QListWidget, QListView, QTreeWidget, QTextBrowser, QPlainTextEdit, QComboBox {
    background: #fffbe6; border: 2px solid #1f2545; border-radius: 8px; padding: 2px;
    selection-background-color: #45b0d8; selection-color: #1f2545;
}
QListWidget, QTreeWidget { font-size: 12pt; }
/* Lists size themselves to their widest entry: the items add no room at the sides. */
QListWidget::item, QTreeWidget::item { padding: 3px 0px; border-radius: 6px; }
QListWidget::item:selected, QTreeWidget::item:selected { background: #45b0d8; color: #1f2545; }
QListWidget:focus, QTreeWidget:focus, QTextBrowser:focus, QPlainTextEdit:focus { border-color: #3490bd; }
QGroupBox {
    font-weight: bold; border: 2px solid #ff9838; border-radius: 10px;
    margin-top: 0.8em; padding: 8px 6px 6px 6px;
}
QGroupBox::title { subcontrol-origin: margin; left: 10px; padding: 0 4px; }
QRadioButton, QCheckBox { spacing: 6px; min-height: 30px; }
QLabel[recording="true"], QLabel[role="warning"] { font-weight: bold; color: #a8203f; }
QStatusBar { background: #fff1d0; }
QToolTip { color: #1f2545; background: #ffd23f; border: 1px solid #1f2545; }
)";

}  // namespace

QString style_sheet()
{
    return QString::fromLatin1(sheet);
}

QIcon program_icon()
{
    return icon(QStringLiteral("pellworks"));
}

QIcon icon(const QString& name)
{
    return QIcon(QStringLiteral(":/pellworks/icons/") + name + QStringLiteral(".svg"));
}

void apply(QApplication& app)
{
    // Fusion draws what the style sheet leaves alone the same on every desktop.
    if (QStyle* fusion = QStyleFactory::create(QStringLiteral("Fusion"))) QApplication::setStyle(fusion);
    QFont font(QStringLiteral("DejaVu Sans"), 11);
    font.setStyleHint(QFont::SansSerif);
    QApplication::setFont(font);
    // The script reads better larger (a window that sets its own font keeps it).
    QFont editor = font;
    editor.setPointSize(13);
    QApplication::setFont(editor, "QPlainTextEdit");

    QPalette p = QApplication::palette();
    const QColor ink(0x1f, 0x25, 0x45), cream(0xff, 0xfb, 0xe6), balloon(0xff, 0xf1, 0xd0);
    p.setColor(QPalette::Window, balloon);
    p.setColor(QPalette::WindowText, ink);
    p.setColor(QPalette::Base, cream);
    p.setColor(QPalette::AlternateBase, balloon);
    p.setColor(QPalette::Text, ink);
    p.setColor(QPalette::Button, cream);
    p.setColor(QPalette::ButtonText, ink);
    p.setColor(QPalette::Highlight, QColor(0x45, 0xb0, 0xd8));
    p.setColor(QPalette::HighlightedText, ink);
    p.setColor(QPalette::ToolTipBase, QColor(0xff, 0xd2, 0x3f));
    p.setColor(QPalette::ToolTipText, ink);
    p.setColor(QPalette::Link, QColor(0x1d, 0x5f, 0x8a));
    p.setColor(QPalette::PlaceholderText, QColor(0x5a, 0x5f, 0x78));
    QApplication::setPalette(p);
    app.setStyleSheet(style_sheet());
    QApplication::setWindowIcon(program_icon());
}

void dress_button(QAbstractButton* button, const char* role, const QString& icon_name)
{
    button->setProperty("role", QString::fromLatin1(role));
    button->setIcon(icon(icon_name));
    button->setIconSize(QSize(26, 26));
    button->setAccessibleName(button->text().remove(QLatin1Char('&')));
}

void dress(QWidget* window)
{
    window->setObjectName(QStringLiteral("pw_window"));
    // A plain QWidget paints the style sheet's background only with this.
    window->setAttribute(Qt::WA_StyledBackground);
}

void set_state(QWidget* widget, const char* state, bool on)
{
    if (widget->property(state).toBool() == on) return;
    widget->setProperty(state, on);
    widget->style()->unpolish(widget);
    widget->style()->polish(widget);
}

}  // namespace pw::windows::style
