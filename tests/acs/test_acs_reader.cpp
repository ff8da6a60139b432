// Reading character files: what reading costs in memory and open files, and pictures
// decoded when first drawn, from several threads at once. What the reader makes of
// files, damaged ones too, is in the cases; flipped bytes are the fuzz corpus's.

#include "acs_test_files.h"

#include "agent/acs/acs_reader.h"
#include "agent/acs/acs_writer.h"
#include "agent/api/agent_error.h"
#include "tests/fakes/heap_in_use.h"
#include "tests/test_classes.h"

#include <QDir>
#include <QTemporaryDir>
#include <QTest>
#include <thread>
#include <vector>

using namespace pw::acs;
using namespace pw::acs::testing;
using pw::test::heap_in_use;
namespace error = pw::agent::error;

class ReaderTest : public QObject {
    Q_OBJECT
private slots:
    // Entries that repeat one record cost the entry and not another copy of the
    // record. Entries that overlap cannot share; they are refused before they take
    // more than a fixed multiple of the file's size.
    void memory_follows_the_file_size()
    {
        CharacterData d = synthetic_character();
        d.images.append(blob_image(256, 256, 40, d.transparent_index, 7));
        const QByteArray base = write_acs(d);

        const QByteArray shared = with_repeated_entries(base, 1000, 64 * 1024, 0);
        const qint64 before = heap_in_use();
        const CharacterData back = read_acs(shared);
        const qint64 used = heap_in_use() - before;
        QVERIFY2(used < 5 * shared.size(), qPrintable(QStringLiteral("%1 bytes for a file of %2").arg(used).arg(shared.size())));
        QCOMPARE(back.sounds.size(), 1000);
        QCOMPARE(back.images.size(), d.images.size() + 1000);
        QCOMPARE(back.images.last(), d.images.last());
        QCOMPARE(back.animations.last().frames, d.animations.first().frames);

        const QByteArray overlapping = with_repeated_entries(base, 1000, 64 * 1024, 1);
        QCOMPARE(error_of([&] { read_acs(overlapping); }), error::not_a_character);
    }

    // Pictures are decoded when first drawn: threads drawing at once all get the pixels
    // that were written.
    void pictures_decode_when_first_drawn()
    {
        const CharacterData d = synthetic_character();
        const CharacterData back = read_acs(write_acs(d));
        std::vector<char> same(4, 0);
        std::vector<std::thread> threads;
        for (size_t t = 0; t < same.size(); ++t)
            threads.emplace_back([&, t] {
                bool ok = true;
                for (qsizetype i = 0; i < d.images.size(); ++i)
                    ok = ok && back.images[i].decoded_pixels() == d.images[i].decoded_pixels();
                same[t] = ok;
            });
        for (std::thread& t : threads) t.join();
        QCOMPARE(same, std::vector<char>(same.size(), 1));
    }

    // A character file's pictures are read again from it when first drawn, so reading
    // keeps far less than the file. The file stays open: a newer one put in its place
    // changes nothing, and one rewritten in place leaves the changed picture without
    // pixels rather than showing something else.
    void file_pictures_are_read_when_drawn()
    {
        CharacterData d = synthetic_character();
        d.images.append(blob_image(1024, 1024, 40, d.transparent_index, 7));
        const QByteArray bytes = write_acs(d);
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("big.acs"));
        const auto write = [](const QString& to, const QByteArray& b) {
            QFile f(to);
            return f.open(QIODevice::WriteOnly) && f.write(b) == b.size();
        };
        QVERIFY(write(path, bytes));
        const auto open_files = [] { return QDir(QStringLiteral("/proc/self/fd")).count(); };
        const uint files_before = open_files();
        const qint64 before = heap_in_use();
        const CharacterData back = read_acs_file(path);
        const qint64 kept = heap_in_use() - before;
        QVERIFY2(kept < bytes.size() / 4, qPrintable(QStringLiteral("%1 bytes kept for a file of %2").arg(kept).arg(bytes.size())));

        const QString newer = dir.filePath(QStringLiteral("newer.acs"));
        QVERIFY(write(newer, file_bytes(test_character_file(QStringLiteral("Character2.acs")))) && QFile::remove(path) && QFile::rename(newer, path));
        for (qsizetype i = 0; i < d.images.size(); ++i) QCOMPARE(back.images[i].decoded_pixels(), d.images[i].decoded_pixels());
        QCOMPARE(open_files(), files_before);  // every picture drawn: the file is let go

        const QString in_place = dir.filePath(QStringLiteral("in_place.acs"));
        QVERIFY(write(in_place, bytes));
        const CharacterData rewritten = read_acs_file(in_place);
        const qsizetype big = le32_at(bytes, le32_at(bytes, 20) + 4 + 12 * (d.images.size() - 1));
        QFile f(in_place);
        QVERIFY(f.open(QIODevice::ReadWrite) && f.seek(big + 10 + le32_at(bytes, big + 6) / 2));
        const char flipped = char(~f.peek(1).at(0));
        QVERIFY(f.write(&flipped, 1) == 1 && f.flush());
        QCOMPARE(rewritten.images.first().decoded_pixels(), d.images.first().decoded_pixels());
        QVERIFY(rewritten.images.last().decoded_pixels().isEmpty());
    }
};

PW_TEST_CLASS(ReaderTest);
#include "test_acs_reader.moc"
