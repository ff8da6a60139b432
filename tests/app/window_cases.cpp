#include "window_cases.h"

#include "app/autosave.h"
#include "app/load_save_window.h"
#include "media/sound_library.h"
#include "platform/core/trace.h"
#include "platform/core/user_folders.h"
#include "tests/answer_table.h"

#include <QDirIterator>
#include <QGroupBox>
#include <QLineEdit>
#include <QListWidget>
#include <QMdiSubWindow>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRegularExpression>
#include <QTest>

namespace pw::window_cases {

using pw::test::quoted_arguments;
using pw::test::quoted_bytes;

WindowCase::WindowCase() : home(f.state.user_folder), folder(pw::folders::scripts_folder(home))
{
    QDir().mkpath(folder);
    f.script().autosave().set_delay_ms(1 << 30);
    f.state.wait_idle_limit = std::chrono::milliseconds(100);
}

bool WindowCase::sound_listed(const QString& file) const
{
    const QString name = QFileInfo(file).completeBaseName().toLower();
    return !f.window->sound_library()->sound_list->findItems(name, Qt::MatchExactly).isEmpty();
}

QString WindowCase::tidy(QString text) const { return text.replace(home, QStringLiteral("~")); }

QString WindowCase::numbered(const QString& line) const
{
    // A request named by another is the n-th of the case.
    static const QRegularExpression request(QStringLiteral("^(\\S+ (?:Wait|Stop) )(\\d+)$"));
    const QRegularExpressionMatch m = request.match(line);
    for (qsizetype k = 0; m.hasMatch() && k < f.agent.issued().size(); ++k)
        if (quint64(f.agent.issued()[k].request.id()) == m.captured(2).toULongLong()) return m.captured(1) + QStringLiteral("#%1").arg(k + 1);
    return line;
}

QMap<QString, QString> WindowCase::looks() const
{
    QMap<QString, QString> now;
    now[QStringLiteral("editor")] = pw::trace::quote(f.script().editor_text());
    now[QStringLiteral("status")] = pw::trace::quote(f.script().current_file_text());
    if (!f.script().not_kept_panel->isHidden()) now[QStringLiteral("not kept")] = QStringLiteral("(told)");
    if (const pw::app::LoadSaveWindow* d = f.window->save_dialog()) {
        now[QStringLiteral("dialog")] = !d->is_open() || f.window->save_window()->isHidden() ? "hidden"
                                        : d->isEnabled()                                     ? "shown"
                                                                                             : "shown, taking no presses";
        now[QStringLiteral("list")] = d->listed_names().join(QStringLiteral(", "));
        now[QStringLiteral("name")] = pw::trace::quote(d->file_name_box->text());
        now[QStringLiteral("buttons")] = QStringLiteral("load %1, save %2")
                                             .arg(d->load->isEnabled() ? "on" : "off", d->save_button->isEnabled() ? "on" : "off");
    }
    // The stage, once it lists characters: them, the slots they went into, and the
    // chosen entry's list.
    const pw::stage::StageWindow* stage = f.window->stage();
    QStringList names, slot_ids, actions;
    for (int i = 0; i < stage->char_avail->count(); ++i) names << stage->char_avail->itemText(i);
    for (int i = 0; i < f.state.char_count && i < f.state.slot_count(); ++i)
        slot_ids << (f.state.characters[i].loaded ? f.state.characters[i].id : QStringLiteral("-"));
    for (int i = 0; i < stage->animation_list->count(); ++i) actions << stage->animation_list->item(i)->text();
    if (names.size() > 1) {
        now[QStringLiteral("characters")] = names.join(QStringLiteral(", "));
        now[QStringLiteral("slots")] = slot_ids.join(QStringLiteral(", "));
        now[QStringLiteral("actions")] = stage->AnimationFrame->title() + QStringLiteral(": ") + actions.join(QStringLiteral(", "));
    }
    // The sound library's list, once it lists sounds, and the chosen one.
    const QListWidget* sounds = f.window->sound_library()->sound_list;
    QStringList listed;
    for (int i = 0; i < sounds->count(); ++i) listed << sounds->item(i)->text();
    if (!listed.isEmpty()) now[QStringLiteral("sounds")] = listed.join(QStringLiteral(", ")) + QStringLiteral(" (chosen: %1)").arg(sounds->currentItem() ? sounds->currentItem()->text() : QString());
    QDirIterator it(home, QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        const QString name = QDir(home).relativeFilePath(path);
        if (name.startsWith(QLatin1String("chars"))) continue;
        QFile file(path);
        QString& seen_file = now[QStringLiteral("file ") + name];
        if (it.fileInfo().isDir()) seen_file = QStringLiteral("(folder)");
        else if (it.fileInfo().size() > 1000) seen_file = QStringLiteral("(%1 bytes)").arg(it.fileInfo().size());
        else seen_file = file.open(QIODevice::ReadOnly) ? quoted_bytes(file.readAll()) : QStringLiteral("(unreadable)");
        if (!(it.fileInfo().permissions() & QFileDevice::WriteOwner)) seen_file += QStringLiteral(" (read-only)");
    }
    for (QString& value : now) value = tidy(value);
    return now;
}

void WindowCase::settle()
{
    // Questions and runs are over; a file handed over meanwhile starts its run from the
    // event loop once the last is over.
    const pw::app::LoadSaveWindow* d = f.window->save_dialog();
    for (int k = 0; k < 3; ++k) {
        (void)QTest::qWaitFor([&] {  // a wait that runs out shows in the transcript
            return !f.state.run_held() && (!d || d->isEnabled()) && !f.state.run_under_way()
                   && f.script().play_pellwick->isEnabled();
        }, 30000);
        QCoreApplication::processEvents();
    }
    // What the characters were asked, their moves and sizes left out.
    const QList<pw::fakes::CallRecord>& asked = f.agent.log().records();
    for (; requests < asked.size(); ++requests)
        if (!asked[requests].operation.startsWith(QLatin1String("set "))) transcript << tidy(numbered(asked[requests].line()));
    for (; messages < f.messages.size(); ++messages) transcript << QStringLiteral("message ") + pw::trace::quote(tidy(f.messages[messages]));
    for (; exits < f.exits.size(); ++exits) transcript << QStringLiteral("exit %1").arg(f.exits[exits]);
    const QMap<QString, QString> now = looks();
    for (auto it = now.begin(); it != now.end(); ++it)
        if (seen.value(it.key()) != it.value()) transcript << it.key() + QLatin1Char(' ') + it.value();
    for (auto it = seen.begin(); it != seen.end(); ++it)
        if (!now.contains(it.key())) transcript << it.key() + QStringLiteral(" (gone)");
    seen = now;
}

bool WindowCase::step(const QString& line)
{
    const QString verb = line.section(QLatin1Char('"'), 0, 0).trimmed();
    QStringList args;
    for (const QByteArray& a : quoted_arguments(line)) args << QString::fromUtf8(a).replace(QLatin1Char('~'), home);
    const QString first = args.value(0);
    const QString path = folder + QLatin1Char('/') + first;
    pw::app::LoadSaveWindow* d = f.window->save_dialog();
    if (verb == QLatin1String("write") || verb == QLatin1String("write at home")) {
        QFile file(verb == QLatin1String("write") ? path : home + QLatin1Char('/') + first);
        QDir().mkpath(QFileInfo(file).path());
        if (!file.open(QIODevice::WriteOnly) || file.write(quoted_arguments(line).value(1)) < 0) return false;
        // An open dialog sees it come.
        if (d && d->is_open() && verb == QLatin1String("write")) (void)QTest::qWaitFor([&] { return d->listed_names().contains(first); });
        // ... and so does the sound library, once it lists sounds.
        if (first.startsWith(QLatin1String("wav/")) && f.window->sound_library()->sound_list->count() > 0)
            (void)QTest::qWaitFor([&] { return sound_listed(first); });
        return true;
    }
    if (verb == QLatin1String("remove")) {
        const bool removed = QFile::remove(first);
        (void)QTest::qWaitFor([&] { return !sound_listed(first); });
        return removed;
    }
    if (verb == QLatin1String("read-only")) return QFile::setPermissions(first, QFileDevice::ReadOwner);
    if (verb == QLatin1String("grow")) {
        QFile file(first);
        return file.open(QIODevice::Append) && file.write(QByteArray(2 << 20, 'x')) > 0;
    }
    if (verb == QLatin1String("folder")) return QDir().mkpath(first.startsWith(QLatin1Char('/')) ? first : path);
    if (verb == QLatin1String("no characters")) return QDir(f.chars_dir()).removeRecursively() && QDir().mkpath(f.chars_dir());
    if (verb == QLatin1String("in chars")) {
        // A file among the characters (or in another folder); one ending in .acs is the
        // character it names, knowing the tricks that follow (or the fake's own).
        const QFileInfo file(QDir(f.chars_dir()), first);
        QDir().mkpath(file.path());
        f.add_file(file.fileName(), file.path());
        pw::fakes::FakeTraits traits;
        if (args.size() > 1) traits.animations = args.mid(1);
        const QString id = file.fileName().section(QLatin1Char('.'), 0, 0).toLower();
        if (first.endsWith(QLatin1String(".acs"), Qt::CaseInsensitive)) f.agent.define_character(id.left(1).toUpper() + id.mid(1), traits);
        return true;
    }
    if (verb == QLatin1String("scripts folder becomes a file")) {
        QFile blocker(folder);
        return QDir(folder).removeRecursively() && blocker.open(QIODevice::WriteOnly) && blocker.write("not a folder") > 0;
    }
    if (verb.startsWith(QLatin1String("pellwick is there"))) f.pellwick(!verb.endsWith(QLatin1String("hidden")));
    else if (verb == QLatin1String("start up")) f.start_up(args);
    else if (verb == QLatin1String("hand over")) f.window->take_command_line(args);
    else if (verb == QLatin1String("play, handing over")) {
        f.script().play_pellwick_clicked();
        f.window->take_command_line(args);
    } else if (verb == QLatin1String("show all")) f.window->show_all_clicked();
    else if (verb == QLatin1String("open the sounds")) f.window->sound_library()->prepare();
    else if (verb == QLatin1String("choose sound")) f.window->sound_library()->sound_list->setCurrentRow(first.toInt());
    else if (verb == QLatin1String("activate sound")) {
        // As Enter on the list does (a double click does the same).
        QListWidget* list = f.window->sound_library()->sound_list;
        list->setCurrentItem(list->findItems(first, Qt::MatchExactly).value(0));
        QTest::keyClick(list, Qt::Key_Return);
    }
    else if (verb == QLatin1String("fail")) f.agent.fail(first, args.size() > 2 ? args[2].toUInt(nullptr, 16) : 0x80004005, args.value(1));
    else if (verb == QLatin1String("failures over")) f.agent.clear_failures();
    else if (verb == QLatin1String("more characters in")) {
        // The stage reads it when it is made.
        qputenv("PELLWORKS_CHARS", first.toLocal8Bit());
        f.reopen_with_user_folder(home);
    }
    else if (verb == QLatin1String("one slot at start-up")) f.state.char_count = 0;
    else if (verb == QLatin1String("get")) f.window->stage()->get_char(first);
    else if (verb == QLatin1String("choose character")) f.window->stage()->char_avail->setCurrentIndex(first.toInt());
    else if (verb == QLatin1String("editor")) f.script().set_editor_text(first);
    else if (verb == QLatin1String("type")) f.script().script_text->setPlainText(first);
    else if (verb == QLatin1String("type more")) f.script().script_text->appendPlainText(first);
    else if (verb == QLatin1String("keep now")) f.script().autosave().write_pending();
    else if (verb == QLatin1String("clear")) f.script().clear_clicked();
    else if (verb == QLatin1String("pause")) {
        // Long enough for the script to be kept.
        f.script().autosave().set_delay_ms(10);
        QTest::qWait(300);
        f.script().autosave().set_delay_ms(1 << 30);
    } else if (verb == QLatin1String("start again in a file")) {
        f.reopen_with_user_folder(f.write_file(first, "x"));
    } else if (verb == QLatin1String("start again in")) {
        f.reopen_with_user_folder(first);
    } else if (verb == QLatin1String("start again")) {
        f.reopen_with_user_folder(home);
        f.script().autosave().set_delay_ms(1 << 30);
    } else if (verb == QLatin1String("current file")) f.script().set_current_file(first);
    else if (verb == QLatin1String("started with a file")) f.state.command_line_mode = 3;
    else if (verb == QLatin1String("open")) f.window->show_load_save();
    else if (!d) return false;
    else if (verb == QLatin1String("name")) d->file_name_box->setText(first);
    else if (verb == QLatin1String("save")) d->save_clicked();
    else if (verb == QLatin1String("save with a yes")) {
        // Pellwick is double-clicked while he asks.
        f.agent.post_dbl_click(QStringLiteral("Pellwick"));
        d->save_clicked();
    } else if (verb == QLatin1String("load")) transcript << (d->load_clicked() ? "loaded" : "not loaded");
    else if (verb == QLatin1String("cancel")) d->cancel_clicked();
    else if (verb == QLatin1String("choose")) d->file_list->setCurrentRow(first.toInt());
    else if (verb == QLatin1String("double-click the list")) d->file_list_double_clicked();
    else return false;
    return true;
}

QStringList WindowCase::play(const QString& case_text)
{
    settle();
    transcript.clear();  // what there is at first
    for (const QString& line : case_text.split(QLatin1Char('\n'))) {
        if (line.trimmed().isEmpty() || line.startsWith(QLatin1Char('#'))) continue;
        transcript << QStringLiteral("> ") + line;
        if (!step(line)) return {QStringLiteral("!") + line};
        settle();
    }
    qunsetenv("PELLWORKS_CHARS");
    return transcript;
}

void add_rows(const QString& folder)
{
    QTest::addColumn<QString>("name");
    const QStringList names = QDir(folder).entryList({QStringLiteral("*.case")}, QDir::Files, QDir::Name);
    QVERIFY(!names.isEmpty());
    for (const QString& name : names) QTest::newRow(qPrintable(name.chopped(5))) << name.chopped(5);
}

void check_row(const QString& folder)
{
    QFETCH(QString, name);
    const QString base = folder + QLatin1Char('/') + name;
    WindowCase c;
    const QStringList actual = c.play(pw::test::read_text(base + QStringLiteral(".case")));
    QVERIFY2(!actual.value(0).startsWith(QLatin1Char('!')), qPrintable(name + QStringLiteral(".case: not understood: ") + actual.value(0)));
    const QString mismatch = pw::test::transcript_mismatch(base + QStringLiteral(".transcript"), actual);
    QVERIFY2(mismatch.isEmpty(), qPrintable(name + QStringLiteral(".transcript: ") + mismatch));
}

}  // namespace pw::window_cases
