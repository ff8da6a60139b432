#pragma once
// "System information": what a parent pastes into a note about a problem. The
// program's and Qt's versions, the voice engine and its voices, the speech model, the
// microphone and sound output, the character files, and the desktop session.

#include <QWidget>

class QPlainTextEdit;
class QPushButton;

namespace pw::app {

// The facts as plain text, one "Name: value" line each (lists indented below).
QString system_information_text(const QString& program_folder, const QString& version_text);

class SystemInformationWindow : public QWidget {
    Q_OBJECT
public:
    SystemInformationWindow(const QString& program_folder, const QString& version_text, QWidget* parent = nullptr);

    QPlainTextEdit* facts = nullptr;
    QPushButton* copy = nullptr;  // "Copy": the whole text to the clipboard
    QPushButton* close_button = nullptr;
};

}  // namespace pw::app
