#include "app/system_information.h"

#include "agent/ui/x11_desktop.h"
#include "agent/voice/command_recogniser.h"
#include "agent/voice/espeak_engine.h"
#include "stage/character_folders.h"
#include "windows/style.h"

#include <QAudioDevice>
#include <QClipboard>
#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QMediaDevices>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSysInfo>
#include <QVBoxLayout>

namespace pw::app {

namespace {

QString or_none(const QString& text)
{
    return text.isEmpty() ? QStringLiteral("none") : text;
}

QString session_text()
{
    QString kind = qEnvironmentVariable("XDG_SESSION_TYPE");
    if (kind.isEmpty()) kind = qEnvironmentVariableIsSet("WAYLAND_DISPLAY") ? QStringLiteral("wayland") : QStringLiteral("x11");
    QString text = kind + QStringLiteral(" session, Qt platform ") + QGuiApplication::platformName();
    if (pw::agent::ui::x11_available())
        text += QStringLiteral(", display ") + qEnvironmentVariable("DISPLAY") + QStringLiteral(", compositor ")
                + (pw::agent::ui::compositor_running() ? QStringLiteral("running") : QStringLiteral("not running"));
    return text;
}

}  // namespace

QString system_information_text(const QString& program_folder, const QString& version_text)
{
    QStringList lines;
    lines << QStringLiteral("Pellworks: ") + version_text;
    lines << QStringLiteral("Qt: ") + QString::fromLatin1(qVersion());
    lines << QStringLiteral("System: ") + QSysInfo::prettyProductName() + QStringLiteral(", ")
                 + QSysInfo::currentCpuArchitecture();
    const QString espeak = pw::voice::espeak::engine_version();
    lines << QStringLiteral("Voice engine: ") + (espeak.isEmpty() ? QStringLiteral("espeak-ng not available")
                                                                  : QStringLiteral("espeak-ng ") + espeak);
    const QString model = pw::voice::RecogniserSettings::defaults().model_dir;
    lines << QStringLiteral("Speech model: ") + model
                 + (QFileInfo(model).isDir() ? QString() : QStringLiteral(" (missing)"));
    lines << QStringLiteral("Microphone: ") + or_none(QMediaDevices::defaultAudioInput().description());
    lines << QStringLiteral("Sound output: ") + or_none(QMediaDevices::defaultAudioOutput().description());
    const QStringList folders = pw::stage::character_folders(program_folder);
    lines << QStringLiteral("Characters folder: ") + folders.join(QStringLiteral(", "));
    const QList<pw::stage::CharacterFile> files = pw::stage::find_character_files(folders);
    if (files.isEmpty()) lines << QStringLiteral("  none");
    for (const pw::stage::CharacterFile& f : files)
        lines << QStringLiteral("  %1  (%2, %3 bytes)").arg(f.id, f.path).arg(QFileInfo(f.path).size());
    lines << QStringLiteral("Desktop: ") + session_text();
    // The long list last, so that the facts above are seen at a glance.
    const QStringList voices = pw::voice::espeak::voice_names();
    lines << QStringLiteral("Voices (%1): ").arg(voices.size()) + or_none(voices.join(QStringLiteral(", ")));
    return lines.join(QLatin1Char('\n')) + QLatin1Char('\n');
}

SystemInformationWindow::SystemInformationWindow(const QString& program_folder, const QString& version_text,
                                                 QWidget* parent)
    : QWidget(parent)
{
    setWindowTitle(QStringLiteral("System information"));
    pw::windows::style::dress(this);
    facts = new QPlainTextEdit(system_information_text(program_folder, version_text), this);
    facts->setReadOnly(true);
    facts->setAccessibleName(QStringLiteral("System information"));
    facts->setLineWrapMode(QPlainTextEdit::WidgetWidth);
    facts->setStyleSheet(QStringLiteral("background: #fffbe6; font-family: \"DejaVu Sans Mono\"; font-size: 10pt;"));
    copy = new QPushButton(QStringLiteral("Copy"), this);
    pw::windows::style::dress_button(copy, "main", QStringLiteral("tick"));
    close_button = new QPushButton(QStringLiteral("Close"), this);
    pw::windows::style::dress_button(close_button, "secondary", QStringLiteral("cross"));
    connect(copy, &QPushButton::clicked, this, [this] { QGuiApplication::clipboard()->setText(facts->toPlainText()); });

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(facts);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(copy);
    buttons->addStretch();
    buttons->addWidget(close_button);
    layout->addLayout(buttons);
    resize(620, 420);
}

}  // namespace pw::app
