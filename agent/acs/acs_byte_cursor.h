#pragma once
// Bounds-checked little-endian reading of one block of a character file. Every
// failure throws AgentError file_corrupt with a text that says what was being read.

#include <QByteArrayView>
#include <QString>
#include <QUuid>
#include <cstdint>

namespace pw::acs {

class ByteCursor {
public:
    // The block [offset, offset + size) of `file`; throws when it does not lie inside
    // the file. `what` names the block in messages ("the image directory").
    ByteCursor(QByteArrayView file, uint64_t offset, uint64_t size, QString what);

    uint8_t u8();
    uint16_t u16();
    int16_t s16() { return int16_t(u16()); }
    uint32_t u32();
    int32_t s32() { return int32_t(u32()); }
    QUuid guid();
    // A counted UTF-16 string; its terminator follows only when it is not empty.
    // `terminator_optional`: the block may end where the terminator would be.
    QString string(bool terminator_optional = false);
    QByteArrayView bytes(uint64_t n);
    void skip(uint64_t n) { bytes(n); }

    // Refuses a count whose items cannot fit in the bytes left, before anything is
    // allocated for them.
    void require_items(uint64_t count, uint64_t min_item_size, const char* items) const;

    uint64_t left() const { return end_ - pos_; }
    uint64_t position() const { return pos_; }  // from the start of the file

    [[noreturn]] void fail(const QString& why) const;

private:
    void need(uint64_t n) const;

    const uint8_t* file_;
    uint64_t pos_;
    uint64_t end_;
    QString what_;
};

// The damaged-file error used by the reader.
[[noreturn]] void throw_corrupt(const QString& why);

}  // namespace pw::acs
