// Writing character files: the block order other tools expect, style bits that follow
// what is stored, data the format cannot hold refused with a clear error, and files
// replaced whole. That what is written reads back equal is in the cases.

#include "acs_test_files.h"

#include "agent/acs/acs_reader.h"
#include "agent/acs/acs_writer.h"
#include "agent/api/agent_error.h"
#include "tests/test_classes.h"

#include <QDir>
#include <QTemporaryDir>
#include <QTest>

using namespace pw::acs;
using namespace pw::acs::testing;
namespace error = pw::agent::error;

namespace {

uint32_t write_error(const CharacterData& d) { return error_of([&] { write_acs(d); }); }

}  // namespace

class WriterTest : public QObject {
    Q_OBJECT
private slots:
    // Header, animation records from 0x24, pictures, sounds, the directories and last
    // the character information ending with the localized table.
    void block_order_is_the_usual_one()
    {
        const QByteArray f = write_acs(synthetic_character());
        QCOMPARE(le32_at(f, 0), 0xABCDABC3u);
        const uint32_t info = le32_at(f, 4), anim_dir = le32_at(f, 12), image_dir = le32_at(f, 20),
                       sound_dir = le32_at(f, 28);
        QVERIFY(anim_dir < image_dir && image_dir < sound_dir && sound_dir < info);
        QCOMPARE(info + le32_at(f, 8), uint32_t(f.size()));
        QCOMPARE(le32_at(f, info + 4) + le32_at(f, info + 8), uint32_t(f.size()));
        QCOMPARE(le32_at(f, anim_dir + 4 + 14), 0x24u);  // first record, after the name "Show"
        const uint32_t first_image = le32_at(f, image_dir + 4);
        const uint32_t first_sound = le32_at(f, sound_dir + 4);
        QVERIFY(first_image < first_sound && first_sound < anim_dir);
        QCOMPARE(f.mid(first_sound, 4), QByteArray("RIFF"));
        // Picture streams carry the padding other readers insist on.
        const uint32_t n = le32_at(f, first_image + 6);
        QCOMPARE(f[first_image + 5], char(1));
        QVERIFY(f.mid(first_image + 10, n).endsWith(QByteArray(6, char(0xFF))));
    }

    void refuses_what_the_format_cannot_hold()
    {
        CharacterData d = synthetic_character();
        d.animations[1].frames.clear();
        QCOMPARE(write_error(d), error::invalid_animation);

        d = synthetic_character();
        d.images[0] = blob_image(d.images[0].width, d.images[0].height, 1, 2, 3);
        d.images[0].pixels.chop(1);
        QCOMPARE(write_error(d), error::file_corrupt);

        d = synthetic_character();
        d.animations[0].frames = QList<Frame>(0x10000);
        QCOMPARE(write_error(d), error::file_corrupt);

        d = synthetic_character();
        d.animations[0].frames[0].branches = QList<Branch>(256);
        QCOMPARE(write_error(d), error::file_corrupt);

        d = synthetic_character();
        d.animations[0].frames[0].sound = 0xFFFF;
        QCOMPARE(write_error(d), error::file_corrupt);
    }

    // The style bits for voice and balloon follow what is really stored, so a reader
    // never looks for a block that is not there.
    void style_bits_follow_the_blocks()
    {
        CharacterData d = synthetic_character();
        d.voice.reset();
        d.style_flags |= style::voice_on;
        const CharacterData back = read_acs(write_acs(d));
        QCOMPARE(back.style_flags & (style::voice_on | style::voice_off), style::voice_off);
        QVERIFY(!back.voice);
        QCOMPARE(back.balloon, d.balloon);
    }

    void file_is_replaced_atomically()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("testy.acs"));
        const CharacterData d = synthetic_character();
        write_acs_file(d, path);
        write_acs_file(d, path);
        QVERIFY(read_acs_file(path) == d);
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files), QStringList{QStringLiteral("testy.acs")});
        QCOMPARE(error_of([&] { write_acs_file(d, dir.filePath(QStringLiteral("no/such/folder/x.acs"))); }), write_failed);
    }
};

PW_TEST_CLASS(WriterTest);
#include "test_acs_writer.moc"
