#pragma once
// About Pellworks: the title, the version, what the program is for, and the way to
// the system information that a parent pastes into a note about a problem.

#include <QWidget>

class QLabel;
class QPushButton;

namespace pw::media {

class AboutWindow : public QWidget {
    Q_OBJECT
public:
    explicit AboutWindow(QWidget* parent = nullptr);

    // Caption "About <title>", the title and "Version 1.2.3".
    void prepare(const QString& program_title, const QString& version_text);

    QLabel* icon_label = nullptr;
    QLabel* title_label = nullptr;
    QLabel* version_label = nullptr;
    QLabel* description_label = nullptr;
    QLabel* disclaimer_label = nullptr;
    QPushButton* ok_button = nullptr;       // "Close": Enter and Esc too
    QPushButton* system_info_button = nullptr;  // "&Sys Info..."

    void ok_clicked();
    void system_info_clicked();

Q_SIGNALS:
    // "Sys Info..." was pressed: the main window shows the system information.
    void system_information_wanted();
    // The window was closed; its frame goes with it.
    void closed();

protected:
    void keyPressEvent(QKeyEvent* event) override;
};

}  // namespace pw::media
