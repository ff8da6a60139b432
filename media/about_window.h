#pragma once
// About Pellworks: the title, the version, what the program is for, and the way to
// the system information that a parent pastes into a note about a problem.

#include <QWidget>

class QLabel;
class QPushButton;

namespace pw::media {

class frmAbout : public QWidget {
    Q_OBJECT
public:
    explicit frmAbout(QWidget* parent = nullptr);

    // Caption "About <title>", the title and "Version 1.2.3".
    void Form_Load(const QString& program_title, const QString& version_text);

    QLabel* picIcon = nullptr;
    QLabel* lblTitle = nullptr;
    QLabel* lblVersion = nullptr;
    QLabel* lblDescription = nullptr;
    QLabel* lblDisclaimer = nullptr;
    QPushButton* cmdOK = nullptr;       // "Close": Enter and Esc too
    QPushButton* cmdSysInfo = nullptr;  // "&Sys Info..."

    void cmdOK_Click();
    void cmdSysInfo_Click();

Q_SIGNALS:
    // "Sys Info..." was pressed: the main window shows the system information.
    void system_information_wanted();
    // The window was closed; its frame goes with it.
    void closed();

protected:
    void keyPressEvent(QKeyEvent* event) override;
};

}  // namespace pw::media
