// Every case of tests/charbuild/cases, played over a fresh small source folder: lines
// "== FILE" and the text after them write FILE over the folder's own, "build" builds
// the folder (and starts a fresh one), "sources" shows what the folder describes,
// "acstool ARGS" runs acstool and "files DIR" lists the pictures there. The transcript must read as <name>.transcript does;
// PW_UPDATE_TRANSCRIPTS=1 writes it.

#include "tiny_source.h"
#include "tools/charbuild/character_builder.h"
#include "tools/charbuild/character_source.h"
#include "tests/test_classes.h"
#include "tests/thrown_error.h"
#include "tests/case_rows.h"
#include "tests/transcript_file.h"

#include <QDir>
#include <QImage>
#include <QProcess>
#include <QRegularExpression>
#include <QTest>
#include <memory>

using namespace Qt::StringLiterals;

namespace {

const QString cases = QStringLiteral(PW_CHARBUILD_CASES);

// The states and every animation's frames as the source describes them.
QStringList sources(const pw::charbuild::CharacterSource& src)
{
    QStringList out;
    for (const pw::acs::State& s : src.states) out << u"  state %1: %2"_s.arg(s.name, s.animations.join(' '));
    for (const pw::charbuild::AnimationSource& a : src.animations) {
        out << u"  %1, transition %2 %3"_s.arg(a.name).arg(int(a.transition)).arg(a.return_animation).trimmed().prepend(u"  "_s);
        for (qsizetype i = 0; i < a.frames.size(); ++i) {
            const pw::charbuild::FrameSource& f = a.frames[i];
            QStringList t = {u"%1: %2"_s.arg(i).arg(f.duration), f.empty ? u"empty"_s : u"pose {%1}"_s.arg(f.pose.key())};
            if (f.exit_frame != pw::acs::exit_none) t << u"exit %1"_s.arg(f.exit_frame);
            for (const pw::acs::Branch& b : f.branches) t << u"to %1 at %2%"_s.arg(b.frame).arg(b.probability);
            if (f.mouth) t << u"speaks"_s;
            if (!f.sound.isEmpty()) t << u"sound "_s + f.sound;
            out << u"    "_s + t.join(u", "_s);
        }
    }
    return out;
}

QStringList play(const QString& text)
{
    auto tiny = std::make_unique<TinySource>();
    const QTemporaryDir out;
    // Paths as the case writes them; the run's own folders never reach the transcript.
    const auto expand = [&](QString s) {
        return s.replace(u"{source}"_s, tiny->path()).replace(u"{out}"_s, out.path()).replace(u"{acstool}"_s, PW_ACSTOOL);
    };
    const auto shorten = [&](QString s) {
        static const QRegularExpression took(u" in \\d+ ms"_s);
        return s.replace(out.path(), u"{out}"_s).replace(tiny->path(), u"{source}"_s).replace(PW_ACSTOOL, u"{acstool}"_s)
            .replace(took, u" in some ms"_s);
    };
    QString file, body;
    QStringList said;
    for (const QString& line : text.split('\n')) {
        said << line;
        static const QRegularExpression command(u"^(==|#|build$|sources$|acstool|files )"_s);
        if (!file.isEmpty() && !command.match(line).hasMatch()) {
            body += line + '\n';
            continue;
        }
        if (!file.isEmpty()) {
            QDir(tiny->path()).mkpath(QFileInfo(tiny->file(file)).path());
            tiny->write(file, body.toUtf8());
            file.clear(), body.clear();
        }
        if (line.startsWith(u"== "_s)) {
            file = line.mid(3);
        } else if (line == u"build"_s) {
            const QString e = pw::test::thrown_error([&] { pw::charbuild::build_character(tiny->path()); }).text();
            said << u"  "_s + (e.isEmpty() ? u"builds"_s : shorten(e));
            tiny = std::make_unique<TinySource>();
        } else if (line == u"sources"_s) {
            const auto e = pw::test::thrown_error([&] { said << sources(pw::charbuild::load_character_source(tiny->path())); });
            if (e.number()) said << u"  "_s + shorten(e.text());
        } else if (line.startsWith(u"acstool"_s)) {
            QProcess p;
            p.start(PW_ACSTOOL, expand(line).split(' ', Qt::SkipEmptyParts).mid(1));
            if (!p.waitForFinished(60000)) qFatal("acstool did not finish");
            said << u"  exit %1"_s.arg(p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1);
            for (const QString& l : shorten(QString::fromUtf8(p.readAllStandardOutput())).split('\n', Qt::SkipEmptyParts))
                said << u"  "_s + l;
            for (const QString& l : shorten(QString::fromUtf8(p.readAllStandardError())).split('\n', Qt::SkipEmptyParts))
                said << u"  ! "_s + l;
        } else if (line.startsWith(u"files "_s)) {
            const QDir dir(expand(line.mid(6)));
            for (const QString& f : dir.entryList({u"*.png"_s}, QDir::Files, QDir::Name))
                said << u"  %1 %2 x %3"_s.arg(f).arg(QImage(dir.filePath(f)).width()).arg(QImage(dir.filePath(f)).height());
        }
    }
    return said;
}

}  // namespace

class CharbuildCases : public QObject {
    Q_OBJECT
private slots:
    void each_case_runs_as_its_transcript_says_data()
    {
        QVERIFY(pw::test::add_case_rows(cases, u".case"_s) > 0);
    }
    void each_case_runs_as_its_transcript_says()
    {
        QFETCH(QString, name);
        const QStringList actual = play(pw::test::read_text(cases + '/' + name + u".case"_s).trimmed());
        const QString mismatch = pw::test::transcript_mismatch(cases + '/' + name + u".transcript"_s, actual);
        QVERIFY2(mismatch.isEmpty(), qPrintable(name + u".case: "_s + mismatch));
    }
};

PW_TEST_CLASS(CharbuildCases);
#include "test_charbuild_cases.moc"
