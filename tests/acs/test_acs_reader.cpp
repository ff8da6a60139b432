// Reading character files: a real file nobody here wrote, files of other kinds, and
// damaged files (cut short, impossible counts) that must give an error and never a
// crash, a hang or a huge allocation. Flipped bytes are the fuzz corpus's.

#include "acs_test_files.h"
#include "synthetic_character.h"

#include "agent/acs/acs_codec.h"
#include "agent/acs/acs_reader.h"
#include "agent/acs/acs_writer.h"
#include "agent/acs/frame_renderer.h"
#include "agent/api/agent_error.h"
#include "tests/fakes/heap_in_use.h"
#include "tests/test_classes.h"

#include <QDir>
#include <QTemporaryDir>
#include <QTest>
#include <QtEndian>
#include <thread>
#include <vector>

using namespace pw::acs;
using namespace pw::acs::testing;
using pw::test::heap_in_use;
namespace error = pw::agent::error;

namespace {

// The error number read_acs gives for these bytes, or 0 when they read fine.
uint32_t read_error(const QByteArray& bytes) { return error_of([&] { read_acs(bytes); }); }

}  // namespace

class ReaderTest : public QObject {
    Q_OBJECT

    QByteArray fixture_;
    QByteArray synthetic_;

private slots:
    void initTestCase()
    {
        fixture_ = file_bytes(test_character_file(QStringLiteral("Character2.acs")));
        QCOMPARE(fixture_.size(), 2544);
        synthetic_ = write_acs(synthetic_character());
    }

    void reads_a_foreign_character()
    {
        const CharacterData d = read_acs_file(test_character_file(QStringLiteral("Character2.acs")));
        QCOMPARE(d.name(), QStringLiteral("Character"));
        QCOMPARE(d.width, 128);
        QCOMPARE(d.height, 128);
        QCOMPARE(d.animations.size(), 2);
        QCOMPARE(d.animations[0].name, QStringLiteral("RestPose"));
        QCOMPARE(d.animations[1].name, QStringLiteral("LoL"));
        QCOMPARE(d.animations[0].frames.size(), 1);
        QCOMPARE(d.animations[1].frames[0].images.size(), 6);
        QVERIFY(d.animation(QStringLiteral("RESTPOSE")));
        QVERIFY(!d.voice);
        QVERIFY(d.balloon);
        QCOMPARE(d.balloon->font_name, QStringLiteral("MS Sans Serif"));
        QCOMPARE(d.balloon->background_color, qRgb(255, 255, 225));
        QCOMPARE(d.balloon->font_height, -13);
        QCOMPARE(d.localized.size(), 2);
        QCOMPARE(d.localized[1].name, QStringLiteral("lolli"));
        QCOMPARE(d.palette.size(), 256);
        QCOMPARE(d.palette[1], qRgb(128, 0, 0));  // a Windows system colour: dark red
        QCOMPARE(d.state(QStringLiteral("showing"))->animations, QStringList{QStringLiteral("RESTPOSE")});
    }

    // The stored outline of each picture covers exactly its visible pixels: this holds
    // only if pixels decode right and rows are taken bottom-up. The reader skips
    // outlines, so they are decoded here straight from the file.
    void outlines_match_pixels()
    {
        const CharacterData d = read_acs(fixture_);
        const qsizetype dir = le32_at(fixture_, 20);
        for (qsizetype i = 0; i < d.images.size(); ++i) {
            const Image& img = d.images[i];
            const qsizetype record = le32_at(fixture_, dir + 4 + 12 * i);
            const qsizetype after_pixels = record + 10 + le32_at(fixture_, record + 6);
            const auto region = codec::decode(fixture_.mid(after_pixels + 8, le32_at(fixture_, after_pixels)),
                                              le32_at(fixture_, after_pixels + 4));
            QVERIFY(region && region->size() >= 32);
            const uint32_t rects = qFromLittleEndian<quint32>(region->constData() + 8);
            QCOMPARE(region->size(), 32 + 16 * qsizetype(rects));
            QList<QByteArray> covered(img.height, QByteArray(img.width, '\0'));
            for (uint32_t r = 0; r < rects; ++r) {
                const auto* p = region->constData() + 32 + 16 * r;
                const int l = qFromLittleEndian<qint32>(p), t = qFromLittleEndian<qint32>(p + 4);
                const int rt = qFromLittleEndian<qint32>(p + 8), b = qFromLittleEndian<qint32>(p + 12);
                for (int y = t; y < b; ++y)
                    for (int x = l; x < rt; ++x) covered[y][x] = 1;
            }
            for (int y = 0; y < img.height; ++y)
                for (int x = 0; x < img.width; ++x)
                    QCOMPARE(covered[y][x] != 0, img.at(x, y) != d.transparent_index);
        }
    }

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
        QCOMPARE(read_error(overlapping), error::not_a_character);
    }

    // Pictures are decoded when first drawn: threads drawing at once all get the pixels
    // that were written. A stream damaged where loading does not look leaves the file
    // readable; that picture draws as nothing and cannot be written back.
    void pictures_decode_when_first_drawn()
    {
        CharacterData d = synthetic_character();
        const QByteArray file = write_acs(d);
        const CharacterData back = read_acs(file);
        std::vector<char> same(4, 0);
        std::vector<std::thread> threads;
        for (size_t t = 0; t < same.size(); ++t)
            threads.emplace_back([&, t] {
                bool ok = true;
                for (qsizetype i = 0; i < d.images.size(); ++i)
                    ok = ok && back.images[i].decoded_pixels() == d.images[i].pixels;
                same[t] = ok;
            });
        for (std::thread& t : threads) t.join();
        QCOMPARE(same, std::vector<char>(same.size(), 1));

        QByteArray damaged = file;
        const qsizetype image = le32_at(file, le32_at(file, 20) + 4);
        damaged[image + 10] = 1;  // the stream's leading zero byte
        const CharacterData broken = read_acs(damaged);
        d.images[0].pixels.clear();
        for (const Animation& a : d.animations)
            for (const Frame& f : a.frames) QCOMPARE(render_frame(broken, f), render_frame(d, f));
        QCOMPARE(error_of([&] { write_acs(broken); }), error::file_corrupt);  // a picture without pixels
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
        QVERIFY(write(newer, write_acs(synthetic_character(2))) && QFile::remove(path) && QFile::rename(newer, path));
        for (qsizetype i = 0; i < d.images.size(); ++i) QCOMPARE(back.images[i].decoded_pixels(), d.images[i].pixels);
        QCOMPARE(open_files(), files_before);  // every picture drawn: the file is let go

        const QString in_place = dir.filePath(QStringLiteral("in_place.acs"));
        QVERIFY(write(in_place, bytes));
        const CharacterData rewritten = read_acs_file(in_place);
        const qsizetype big = le32_at(bytes, le32_at(bytes, 20) + 4 + 12 * (d.images.size() - 1));
        QFile f(in_place);
        QVERIFY(f.open(QIODevice::ReadWrite) && f.seek(big + 10 + le32_at(bytes, big + 6) / 2));
        const char flipped = char(~f.peek(1).at(0));
        QVERIFY(f.write(&flipped, 1) == 1 && f.flush());
        QCOMPARE(rewritten.images.first().decoded_pixels(), d.images.first().pixels);
        QVERIFY(rewritten.images.last().decoded_pixels().isEmpty());
    }

    void rejects_other_files()
    {
        QCOMPARE(read_error(QByteArray()), error::not_a_character);
        QCOMPARE(read_error("RIFF1234WAVEfmt "), error::not_a_character);
        QCOMPARE(read_error(QByteArray::fromHex("C3AB")), error::not_a_character);
        QByteArray web = fixture_;
        web[0] = char(0xC4);
        QCOMPARE(read_error(web), error::not_a_character);
        QByteArray old = QByteArray::fromHex("D0CF11E0A1B11AE1") + QByteArray(504, '\0');
        QCOMPARE(read_error(old), error::character_version);
        QVERIFY(pw::test::thrown_error([&] { read_acs(old); }).text().contains(QStringLiteral("1.5")));

        // Version fields sit at the start of the character information.
        QByteArray version = fixture_;
        const qsizetype info = le32_at(version, 4);
        version[info + 2] = 3;  // 3.1
        QCOMPARE(read_error(version), error::newer_version);
        version[info + 2] = 1;  // 1.1
        QCOMPARE(read_error(version), error::character_version);

        QTemporaryDir dir;
        for (const QString& path : {dir.filePath(QStringLiteral("missing.acs")), dir.path()}) {
            QCOMPARE(error_of([&] { read_acs_file(path); }), error::file_not_found);
        }
    }

    void rejects_impossible_structure()
    {
        // An animation without frames.
        CharacterData d = synthetic_character();
        const QByteArray file = write_acs(d);
        const qsizetype dir = le32_at(file, 12);
        const qsizetype first = le32_at(file, dir + 4 + 4 + 2 * 4 + 2);  // after the name "Show"
        QByteArray no_frames = file;
        // Record: name "SHOW" (14 bytes), return type, empty return name, frame count.
        qToLittleEndian<quint16>(0, no_frames.data() + first + 14 + 1 + 4);
        QCOMPARE(read_error(no_frames), error::invalid_animation);

        // Every block locator pointing past the end, and counts that cannot fit.
        for (int block = 0; block < 4; ++block) {
            QByteArray far = file;
            set_le32(far, 4 + 8 * block, uint32_t(file.size()) - 4);
            QCOMPARE(read_error(far), error::file_corrupt);
            QByteArray wrap = file;
            set_le32(wrap, 8 + 8 * block, 0xFFFFFFF0u);  // offset + size wraps in 32 bits
            QCOMPARE(read_error(wrap), error::file_corrupt);
            if (block == 0) continue;
            QByteArray count = file;
            set_le32(count, le32_at(file, 4 + 8 * block), 0xFFFFFFFFu);
            QCOMPARE(read_error(count), error::file_corrupt);
        }
        // A picture claiming 65535 x 65535 pixels from a few hundred bytes.
        QByteArray huge = file;
        const qsizetype image = le32_at(file, le32_at(file, 20) + 4);
        qToLittleEndian<quint16>(0xFFFF, huge.data() + image + 1);
        qToLittleEndian<quint16>(0xFFFF, huge.data() + image + 3);
        QCOMPARE(read_error(huge), error::file_corrupt);
    }

    // Some tools leave out the very last terminator of the localized table, with or
    // without counting it in the block sizes.
    void tolerates_missing_last_terminator()
    {
        const QByteArray cut = synthetic_.left(synthetic_.size() - 2);
        QCOMPARE(read_acs(cut).localized.last().extra_data, QStringLiteral("x"));
        QByteArray resized = cut;
        const qsizetype info = le32_at(cut, 4);
        set_le32(resized, 8, le32_at(cut, 8) - 2);
        set_le32(resized, info + 8, le32_at(cut, info + 8) - 2);
        QCOMPARE(read_acs(resized).localized.last().extra_data, QStringLiteral("x"));
        QCOMPARE(read_error(synthetic_.left(synthetic_.size() - 3)), error::file_corrupt);
        QByteArray not_a_terminator = synthetic_;  // there, but not zero
        not_a_terminator[not_a_terminator.size() - 2] = 'y';
        QCOMPARE(read_error(not_a_terminator), error::file_corrupt);
    }

    void every_cut_fails_cleanly()
    {
        for (qsizetype n = 0; n < fixture_.size(); ++n) {
            const uint32_t e = read_error(fixture_.left(n));
            if (n < 4) QCOMPARE(e, error::not_a_character);
            else if (n < fixture_.size() - 2) QCOMPARE(e, error::file_corrupt);
        }
        for (qsizetype at : block_boundaries(synthetic_))
            for (qsizetype n : {at - 1, at, at + 1})
                if (n >= 4 && n < synthetic_.size() - 2) QCOMPARE(read_error(synthetic_.left(n)), error::file_corrupt);
    }
};

PW_TEST_CLASS(ReaderTest);
#include "test_acs_reader.moc"
