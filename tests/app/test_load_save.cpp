// "Load/Save Script" as a child uses it, one case a file in tests/app/load_save: each
// line does one thing, and after it everything a person could notice that changed goes
// into the case's transcript (what the characters said, message boxes, the editor's
// text and file name, the dialog with its list, name and buttons, and the files of the
// child's folder). PW_UPDATE_TRANSCRIPTS=1 writes the transcripts instead, for a person
// to read before committing them. The dialog's place on the screen is checked apart.

#include "window_fixture.h"

#include "app/autosave.h"
#include "app/load_save_window.h"
#include "platform/core/trace.h"
#include "platform/core/user_folders.h"
#include "tests/test_classes.h"
#include "windows/twips.h"

#include <QDirIterator>
#include <QLineEdit>
#include <QListWidget>
#include <QMdiSubWindow>
#include <QPushButton>
#include <QTest>

namespace {

const QString cases = QStringLiteral(PW_SOURCE_DIR "/tests/app/load_save");

QString read(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? QString::fromUtf8(f.readAll()) : QString();
}

// The bytes of a quoted argument, with \r, \n, \t, \", \\ and \xNN.
QByteArray unquote(const QString& quoted)
{
    const QByteArray in = quoted.trimmed().toUtf8();
    QByteArray out;
    for (qsizetype i = 1; i + 1 < in.size(); ++i) {
        if (in[i] != '\\' || i + 2 >= in.size()) {
            out += in[i];
            continue;
        }
        const char c = in[++i];
        if (c == 'x') {
            out += char(in.mid(i + 1, 2).toInt(nullptr, 16));
            i += 2;
        } else {
            out += c == 'r' ? '\r' : c == 'n' ? '\n' : c == 't' ? '\t' : c;
        }
    }
    return out;
}

// Bytes as a quoted line: printable ASCII as it is, the rest escaped.
QString quoted_bytes(const QByteArray& bytes)
{
    QString out = QStringLiteral("\"");
    for (const char c : bytes) {
        const auto u = uchar(c);
        if (c == '"' || c == '\\') out += QStringLiteral("\\") + QLatin1Char(c);
        else if (c == '\r') out += QStringLiteral("\\r");
        else if (c == '\n') out += QStringLiteral("\\n");
        else if (u >= 0x20 && u < 0x7f) out += QLatin1Char(c);
        else out += QStringLiteral("\\x%1").arg(u, 2, 16, QLatin1Char('0'));
    }
    return out + QLatin1Char('"');
}

// The main window with Pellwick, and what a person sees of it.
struct Dialog {
    WindowFixture f;
    QString home = f.state.user_folder;
    QString folder = pw::folders::scripts_folder(home);
    QStringList transcript;
    QMap<QString, QString> seen;  // what each thing looked like after the last step
    qsizetype speaks = 0;
    qsizetype messages = 0;

    Dialog()
    {
        f.pellwick();
        QDir().mkpath(folder);
        f.script().autosave().set_delay_ms(1 << 30);
    }
    pw::app::LoadSaveWindow* d() const { return f.window->save_dialog(); }
    QString tidy(QString text) const { return text.replace(home, QStringLiteral("~")); }

    QMap<QString, QString> looks() const
    {
        QMap<QString, QString> now;
        now[QStringLiteral("editor")] = pw::trace::quote(f.script().editor_text());
        now[QStringLiteral("status")] = pw::trace::quote(f.script().current_file_text());
        if (d()) {
            now[QStringLiteral("dialog")] = !d()->is_open() || f.window->save_window()->isHidden() ? "hidden"
                                            : d()->isEnabled()                                     ? "shown"
                                                                                                   : "shown, taking no presses";
            now[QStringLiteral("list")] = d()->listed_names().join(QStringLiteral(", "));
            now[QStringLiteral("name")] = pw::trace::quote(d()->file_name_box->text());
            now[QStringLiteral("buttons")] = QStringLiteral("load %1, save %2")
                                                 .arg(d()->load->isEnabled() ? "on" : "off", d()->save_button->isEnabled() ? "on" : "off");
        }
        QDirIterator it(home, QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot, QDirIterator::Subdirectories);
        while (it.hasNext()) {
            const QString path = it.next();
            const QString name = QDir(home).relativeFilePath(path);
            if (name.startsWith(QLatin1String("chars")) || name.startsWith(QLatin1String("unsaved script"))) continue;
            QFile file(path);
            now[QStringLiteral("file ") + name] =
                it.fileInfo().isDir() ? QStringLiteral("(folder)") : file.open(QIODevice::ReadOnly) ? quoted_bytes(file.readAll()) : "(unreadable)";
        }
        return now;
    }

    // Lets questions end, then writes down what changed.
    void settle()
    {
        QTest::qWaitFor([this] { return !f.state.run_held() && (!d() || d()->isEnabled()); });
        QCoreApplication::processEvents();
        const QStringList said = f.agent.log().lines_of(QStringLiteral("Speak"));
        for (; speaks < said.size(); ++speaks) transcript << said[speaks];
        for (; messages < f.messages.size(); ++messages) transcript << QStringLiteral("message ") + pw::trace::quote(tidy(f.messages[messages]));
        QMap<QString, QString> now = looks();
        for (QString& value : now) value = tidy(value);
        for (auto it = now.begin(); it != now.end(); ++it)
            if (seen.value(it.key()) != it.value()) transcript << it.key() + QLatin1Char(' ') + it.value();
        for (auto it = seen.begin(); it != seen.end(); ++it)
            if (!now.contains(it.key())) transcript << it.key() + QStringLiteral(" (gone)");
        seen = now;
    }

    // One line of a case; false when it is not understood.
    bool step(const QString& line)
    {
        const QString verb = line.section(QLatin1Char('"'), 0, 0).trimmed();
        const QString arg = line.mid(line.indexOf(QLatin1Char('"')));
        const QString text = QString::fromUtf8(unquote(arg));
        const QString path = folder + QLatin1Char('/') + text;
        if (verb == QLatin1String("write")) {
            // write "name" "bytes", in the scripts folder
            const qsizetype second = arg.indexOf(QLatin1Char('"'), arg.indexOf(QLatin1Char('"'), 1) + 1);
            const QString name = QString::fromUtf8(unquote(arg.left(second)));
            QFile file(folder + QLatin1Char('/') + name);
            if (!file.open(QIODevice::WriteOnly) || file.write(unquote(arg.mid(second))) < 0) return false;
            // An open dialog sees it come.
            if (d() && d()->is_open()) QTest::qWaitFor([&] { return d()->listed_names().contains(name); });
            return true;
        }
        if (verb == QLatin1String("folder")) return QDir().mkpath(path);
        if (verb == QLatin1String("write at home")) return !f.write_file(text, "from elsewhere").isEmpty();
        if (verb == QLatin1String("scripts folder becomes a file")) {
            QFile blocker(folder);
            return QDir(folder).removeRecursively() && blocker.open(QIODevice::WriteOnly) && blocker.write("not a folder") > 0;
        }
        if (verb == QLatin1String("editor")) f.script().set_editor_text(text);
        else if (verb == QLatin1String("current file")) f.script().set_current_file(text);
        else if (verb == QLatin1String("started with a file")) f.state.command_line_mode = 3;
        else if (verb == QLatin1String("open")) f.window->show_load_save();
        else if (verb == QLatin1String("name")) d()->file_name_box->setText(QString(text).replace(QLatin1Char('~'), home));
        else if (verb == QLatin1String("save")) d()->save_clicked();
        else if (verb == QLatin1String("save with a yes")) {
            // Pellwick is double-clicked while he asks.
            f.agent.post_dbl_click(QStringLiteral("Pellwick"));
            d()->save_clicked();
        }
        else if (verb == QLatin1String("load")) transcript << (d()->load_clicked() ? "loaded" : "not loaded");
        else if (verb == QLatin1String("cancel")) d()->cancel_clicked();
        else if (verb == QLatin1String("choose")) d()->file_list->setCurrentRow(text.toInt());
        else if (verb == QLatin1String("double-click the list")) d()->file_list_double_clicked();
        else return false;
        return true;
    }
};

}  // namespace

class TestLoadSave : public QObject {
    Q_OBJECT

private slots:
    void each_case_reads_as_its_transcript_data()
    {
        QTest::addColumn<QString>("name");
        const QStringList names = QDir(cases).entryList({QStringLiteral("*.case")}, QDir::Files, QDir::Name);
        QVERIFY(!names.isEmpty());
        for (const QString& name : names) QTest::newRow(qPrintable(name)) << name.chopped(5);
    }
    void each_case_reads_as_its_transcript()
    {
        QFETCH(QString, name);
        Dialog t;
        t.settle();
        t.transcript.clear();  // what there is at first
        for (const QString& line : read(cases + '/' + name + QStringLiteral(".case")).split(QLatin1Char('\n'))) {
            if (line.trimmed().isEmpty() || line.startsWith(QLatin1Char('#'))) continue;
            t.transcript << QStringLiteral("> ") + line;
            QVERIFY2(t.step(line), qPrintable(name + QStringLiteral(".case: not understood: ") + line));
            t.settle();
        }
        const QString path = cases + '/' + name + QStringLiteral(".transcript");
        if (qEnvironmentVariableIntValue("PW_UPDATE_TRANSCRIPTS")) {
            QFile f(path);
            QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
            f.write((t.transcript.join('\n') + '\n').toUtf8());
            return;
        }
        QStringList expected = read(path).split('\n');
        if (!expected.isEmpty() && expected.last().isEmpty()) expected.removeLast();
        for (qsizetype k = 0; k < qMax(expected.size(), t.transcript.size()); ++k)
            QVERIFY2(expected.value(k) == t.transcript.value(k),
                     qPrintable(QStringLiteral("%1.transcript, line %2:\n  - %3\n  + %4")
                                    .arg(name).arg(k + 1).arg(expected.value(k, "(end)"), t.transcript.value(k, "(end)"))));
    }

    void the_dialog_opens_clear_of_the_characters()
    {
        Dialog t;
        t.f.window->resize(1200, 900);
        t.f.window->show();
        QVERIFY(QTest::qWaitForWindowExposed(t.f.window.get()));
        // Pellwick stands where the dialog would first go; characters stay on top.
        t.f.window->show_load_save();
        t.d()->cancel_clicked();
        QWidget* area = t.f.window->save_window()->parentWidget();
        const QPoint first = area->mapToGlobal(pw::windows::twips_rect(5820, 1845, 0, 0, area).topLeft());
        auto* pellwick = t.f.agent.character(QStringLiteral("Pellwick"));
        pellwick->place(first.x() + 40, first.y() + 10);
        t.f.window->show_load_save();
        const QRect dialog(area->mapToGlobal(t.f.window->save_window()->pos()), t.f.window->save_window()->size());
        QVERIFY(!dialog.intersects(QRect(pellwick->left(), pellwick->top(), pellwick->width(), pellwick->height())));
        QVERIFY(area->rect().contains(t.f.window->save_window()->geometry()));
    }
};

PW_TEST_CLASS(TestLoadSave);
#include "test_load_save.moc"
