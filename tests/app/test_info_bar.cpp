// The main window's status bar: its texts with a fixed clock and made-up volumes, and
// the stepping through the volumes with clicks on the free-space panel.

#include "app/info_bar.h"
#include "app/status_texts.h"
#include "tests/answer_table.h"
#include "tests/test_classes.h"

#include <QTemporaryDir>
#include <QTest>

using pw::platform::Volume;

namespace {

struct PaintCount : QObject {
    int count = 0;
    int leftmost = INT_MAX;
    bool eventFilter(QObject*, QEvent* e) override
    {
        if (e->type() == QEvent::Paint) {
            ++count;
            leftmost = qMin(leftmost, static_cast<QPaintEvent*>(e)->rect().left());
        }
        return false;
    }
};

}  // namespace

class TestInfoBar : public QObject {
    Q_OBJECT

private slots:
    void texts_answer_as_on_file()
    {
        const auto answer = [](const QString& verb, const QStringList& a) {
            if (verb == QLatin1String("megabytes")) return pw::app::grouped_two_decimals(a.value(0).toDouble());
            if (verb == QLatin1String("next volume")) return QString::number(pw::app::next_drive_index(a[0].toInt(), a[1].toInt(), a[2].toInt()));
            return pw::platform::drive_name(a.value(0));
        };
        const QString mismatch = pw::test::table_mismatch(QStringLiteral(PW_SOURCE_DIR "/tests/app/status_texts.table"), answer);
        QVERIFY2(mismatch.isEmpty(), qPrintable(mismatch));
    }

    void panels_and_volumes()
    {
        QHash<QString, std::optional<double>> free{{"/", 12345.68 * 1024}, {"/media/kid/stick", 512.0}, {"/mnt/cd", {}}};
        QLocale::setDefault(QLocale::c());  // English names, AM and PM
        pw::app::InfoBar bar;
        QDateTime now(QDate(2026, 12, 5), QTime(15, 7, 42));
        bar.set_sources({[&now] { return now; },
                         [] { return QList<Volume>{{"/", "/:"}, {"/media/kid/stick", "STICK:"}, {"/mnt/cd", "CD:"}}; },
                         [&free](const QString& m) { return free.value(m); }});
        QCOMPARE(bar.panel_text(1), QStringLiteral("The time is 3:07 PM : Today is Saturday, Dec 5 2026"));
        // The next tick: within 10 s, or just after the minute turns when that is sooner.
        QCOMPARE(bar.minute_timer->interval(), 10000);
        now = now.addMSecs(13500);
        bar.minute_timer_ticked();
        QCOMPARE(bar.minute_timer->interval(), 4500 + 20);
        QCOMPARE(bar.panel_text(4), QStringLiteral("Free space on /:12,345.68 Mb  "));
        bar.show_mouse_position(12, 0);
        QCOMPARE(bar.panel_text(3), QStringLiteral(" Mouse X: 12, Y: 0   "));

        // Panels 1 to 3 do nothing when clicked; panel 4 steps on at the next tick.
        for (int panel : {1, 2, 3}) bar.info_PanelClick(panel);
        QCOMPARE(bar.drive_index, 0);
        bar.info_PanelClick(4);
        QCOMPARE(bar.panel_text(4), QStringLiteral("Free space on /:12,345.68 Mb  "));
        bar.show_free_space();
        QCOMPARE(bar.panel_text(4), QStringLiteral("Free space on STICK:.50 Mb  "));
        bar.info_PanelClick(4);
        bar.show_free_space();
        QCOMPARE(bar.panel_text(4), QStringLiteral("Free space on CD:.00 Mb  "));  // not readable
        bar.info_PanelClick(4);
        QCOMPARE(bar.shown_drive, QStringLiteral("/"));

        // A new text paints its own panel alone, from the first changed letter on.
        bar.show_free_space();
        bar.resize(800, 30);
        bar.show();
        QVERIFY(QTest::qWaitForWindowExposed(&bar));
        QTest::qWait(100);
        PaintCount paints;
        for (auto* panel : bar.findChildren<pw::app::StatusPanel*>()) panel->installEventFilter(&paints);
        free["/"] = 100.0 * 1024;
        bar.show_free_space();
        bar.show_mouse_position(13, 0);
        QTest::qWait(100);
        QCOMPARE(paints.count, 2);
        QVERIFY(paints.leftmost > 0);
    }

    void real_volumes_hold_the_home_folder_first()
    {
        const QList<Volume> volumes = pw::platform::real_volumes();
        QVERIFY(!volumes.isEmpty());
        QVERIFY(QDir::homePath().startsWith(volumes[0].mount_point));
        for (const Volume& v : volumes) QVERIFY2(!v.mount_point.startsWith("/proc") && !v.mount_point.startsWith("/sys"), qPrintable(v.mount_point));
        QVERIFY(pw::platform::free_kilobytes(volumes[0].mount_point).has_value());

        // A network mount is never asked anything (a hung server would freeze the start),
        // not even when the home folder is on it.
        QTemporaryDir dir;
        QFile table(dir.filePath(QStringLiteral("mounts")));
        QVERIFY(table.open(QIODevice::WriteOnly));
        table.write("/dev/sda1 / ext4 rw 0 0\nproc /proc proc rw 0 0\n"
                    "server:/homes /home/kid nfs4 rw 0 0\n//school/share /mnt/My\\040Share cifs rw 0 0\n"
                    "kid@host: /tmp fuse.sshfs rw 0 0\n");
        table.close();
        const QList<Volume> local = pw::platform::real_volumes(QStringLiteral("/home/kid"), table.fileName());
        QCOMPARE(local.size(), 1);
        QCOMPARE(local[0].mount_point, QStringLiteral("/"));
    }
};

PW_TEST_CLASS(TestInfoBar);
#include "test_info_bar.moc"
