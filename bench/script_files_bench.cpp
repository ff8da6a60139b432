// Saving and loading a 200-line script through "Load/Save Script", as a child does:
// Save takes the editor's text to the disk (a temporary file renamed over the old
// one), Load puts a file's text into the editor. Prints the medians; the goal is at
// most 20 ms each. Runs offscreen unless told otherwise.

#include "app/pellworks_window.h"
#include "app/load_save_window.h"
#include "app/script_file.h"
#include "app/script_window.h"
#include "engine/run_state.h"
#include "platform/core/user_folders.h"
#include "tests/fakes/fake_agent.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QLineEdit>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <functional>

namespace {

QString two_hundred_lines()
{
    QStringList lines;
    for (int i = 0; i < 200; ++i)
        lines << QStringLiteral("pellwick> speak Line %1: the quick brown fox jumps over the lazy dog, olé!").arg(i);
    return lines.join(QStringLiteral("\r\n"));
}

double median_ms(int rounds, const std::function<void()>& before, const std::function<void()>& measured)
{
    QList<double> ms;
    for (int i = 0; i < rounds; ++i) {
        before();
        QElapsedTimer t;
        t.start();
        measured();
        ms << double(t.nsecsElapsed()) / 1e6;
    }
    std::sort(ms.begin(), ms.end());
    return ms[ms.size() / 2];
}

}  // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QTemporaryDir home;
    pw::fakes::FakeAgent agent;
    pw::engine::RunState state(agent);
    state.user_folder = home.path();
    state.set_start_defaults();
    QDir().mkpath(pw::folders::scripts_folder(state.user_folder));
    pw::app::Pellworks window(agent, state);
    window.show();
    window.show_load_save();
    pw::app::LoadSaveWindow& dialog = *window.save_dialog();
    pw::app::ScriptWindow& editor = *window.script();

    const QString text = two_hundred_lines();
    const QString path = pw::folders::scripts_folder(state.user_folder) + QStringLiteral("/bench.csp");
    constexpr int rounds = 31;

    // Save: a new script each time, so that no question is asked.
    const double save_ms = median_ms(
        rounds,
        [&] {
            QFile::remove(path);
            editor.set_editor_text(text);
            window.show_load_save();
            dialog.file_name_box->setText(QStringLiteral("bench"));
        },
        [&] {
            dialog.save_clicked();
            QCoreApplication::processEvents();
        });
    if (!QFile::exists(path)) {
        std::fprintf(stderr, "the script was not saved\n");
        return 1;
    }

    const double load_ms = median_ms(
        rounds,
        [&] {
            editor.set_editor_text(QString());
            window.show_load_save();
            dialog.file_name_box->setText(QStringLiteral("bench.csp"));
        },
        [&] {
            dialog.load_clicked();
            // The editor lays the text out and paints it before the child sees it.
            QCoreApplication::processEvents();
        });
    if (editor.editor_text() != text + QStringLiteral("\r\n")) {
        std::fprintf(stderr, "the script did not load back the same\n");
        return 1;
    }

    // The file module alone, without the editor.
    const double write_ms = median_ms(rounds, [] {}, [&] { pw::app::write_script_file(path, text); });
    const double read_ms = median_ms(rounds, [] {}, [&] { pw::app::read_script_file(path); });

    std::printf("200-line script (%lld bytes), median of %d\n", qlonglong(QFileInfo(path).size()), rounds);
    std::printf("  save through the dialog: %7.2f ms (goal <= 20)\n", save_ms);
    std::printf("  load through the dialog: %7.2f ms (goal <= 20)\n", load_ms);
    std::printf("  write the file alone:    %7.2f ms\n", write_ms);
    std::printf("  read the file alone:     %7.2f ms\n", read_ms);
    return save_ms <= 20.0 && load_ms <= 20.0 ? 0 : 2;
}
