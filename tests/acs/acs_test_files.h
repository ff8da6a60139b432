#pragma once
// Where the test character files are, a character that uses every feature of the
// format, and small helpers for damaging files and for the errors they give.

#include "agent/acs/acs_reader.h"
#include "agent/acs/character_data.h"
#include "tests/thrown_error.h"

#include <QByteArray>
#include <QFile>
#include <QList>
#include <QString>
#include <QtEndian>

namespace pw::acs::testing {

inline QString test_character_file(const QString& name)
{
    return qEnvironmentVariable("PELLWORKS_TEST_DATA") + QStringLiteral("/acs/") + name;
}

inline QByteArray file_bytes(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

inline uint32_t le32_at(const QByteArray& b, qsizetype at) { return qFromLittleEndian<quint32>(b.constData() + at); }
inline void set_le32(QByteArray& b, qsizetype at, uint32_t v) { qToLittleEndian(v, b.data() + at); }

// A small character with every feature of the file format: a placeholder picture, a
// width that is no multiple of four, every mouth, branches, exits, sounds, a tray icon,
// voice and balloon, three languages. Made in memory once and kept as a file; the case
// synthetic.case shows all it holds.
inline CharacterData synthetic_character()
{
    return read_acs(file_bytes(QStringLiteral(ACS_TEST_FIXTURES "/synthetic.acs")));
}

// A picture of the given size: a filled ellipse of `color` on the transparent index,
// with a little noise so that it does not compress to nothing.
Image blob_image(int width, int height, uint8_t color, uint8_t transparent, quint32 seed);

// The number of the AgentError that `f` throws, or 0 when it throws none.
template <typename F>
uint32_t error_of(F&& f)
{
    return test::thrown_error(f).number();
}

// `file` with its sound, picture and animation directories replaced by ones that
// repeat an entry `copies` times. The sound entries point into a block of
// `block_size` bytes added to the file, each `shift` bytes further than the one
// before (0: all share one block; 1: all overlap, so nothing can be shared). The
// picture and animation entries follow the file's own and repeat its last picture
// and its first animation.
QByteArray with_repeated_entries(const QByteArray& file, int copies, qsizetype block_size, int shift);

}  // namespace pw::acs::testing
