#include "agent/acs/acs_byte_cursor.h"

#include "agent/api/agent_error.h"

namespace pw::acs {

void throw_corrupt(const QString& why)
{
    throw agent::AgentError(agent::error::file_corrupt,
                            QStringLiteral("The character file is damaged: %1.").arg(why));
}

ByteCursor::ByteCursor(QByteArrayView file, uint64_t offset, uint64_t size, QString what)
    : file_(reinterpret_cast<const uint8_t*>(file.data())), pos_(offset), end_(offset + size),
      what_(std::move(what))
{
    // Offsets and sizes are 32-bit in the file, so their sum cannot wrap in 64 bits.
    if (offset > uint64_t(file.size()) || size > uint64_t(file.size()) - offset)
        throw_corrupt(QStringLiteral("%1 (%2 bytes at offset %3) lies outside the file of %4 bytes")
                          .arg(what_).arg(size).arg(offset).arg(file.size()));
}

void ByteCursor::fail(const QString& why) const
{
    throw_corrupt(QStringLiteral("%1 at offset %2 in %3").arg(why).arg(pos_).arg(what_));
}

void ByteCursor::need(uint64_t n) const
{
    if (n > end_ - pos_) fail(QStringLiteral("%1 bytes are missing").arg(n - (end_ - pos_)));
}

uint8_t ByteCursor::u8()
{
    need(1);
    return file_[pos_++];
}

uint16_t ByteCursor::u16()
{
    need(2);
    const uint16_t v = uint16_t(file_[pos_] | file_[pos_ + 1] << 8);
    pos_ += 2;
    return v;
}

uint32_t ByteCursor::u32()
{
    need(4);
    const uint32_t v = uint32_t(file_[pos_]) | uint32_t(file_[pos_ + 1]) << 8 |
                       uint32_t(file_[pos_ + 2]) << 16 | uint32_t(file_[pos_ + 3]) << 24;
    pos_ += 4;
    return v;
}

QUuid ByteCursor::guid()
{
    const uint32_t d1 = u32();
    const uint16_t d2 = u16();
    const uint16_t d3 = u16();
    const QByteArrayView d4 = bytes(8);
    const auto b = [&](int i) { return uchar(d4[i]); };
    return QUuid(d1, d2, d3, b(0), b(1), b(2), b(3), b(4), b(5), b(6), b(7));
}

QString ByteCursor::string(bool terminator_optional)
{
    const uint32_t count = u32();
    if (count == 0) return {};
    if (uint64_t(count) * 2 > left()) fail(QStringLiteral("a text of %1 characters does not fit").arg(count));
    const QByteArrayView units = bytes(uint64_t(count) * 2);
    QString text(qsizetype(count), Qt::Uninitialized);
    char16_t* out = reinterpret_cast<char16_t*>(text.data());
    for (uint32_t i = 0; i < count; ++i)
        out[i] = char16_t(uchar(units[2 * i]) | uchar(units[2 * i + 1]) << 8);
    if (terminator_optional && left() < 2) {
        skip(left());
        return text;
    }
    if (u16() != 0) fail(QStringLiteral("a text lacks its terminator"));
    return text;
}

QByteArrayView ByteCursor::bytes(uint64_t n)
{
    need(n);
    const QByteArrayView v(reinterpret_cast<const char*>(file_ + pos_), qsizetype(n));
    pos_ += n;
    return v;
}

void ByteCursor::require_items(uint64_t count, uint64_t min_item_size, const char* items) const
{
    if (count > left() / min_item_size)
        fail(QStringLiteral("%1 %2 cannot fit in the %3 bytes left").arg(count).arg(QLatin1String(items)).arg(left()));
}

}  // namespace pw::acs
