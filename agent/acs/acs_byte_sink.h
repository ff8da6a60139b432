#pragma once
// Little-endian appending of the primitive types of a character file, with places
// that are filled in later (locators written before their blocks exist).

#include <QByteArray>
#include <QString>
#include <QUuid>
#include <cstdint>

namespace pw::acs {

class ByteSink {
public:
    void u8(uint8_t v) { out_.append(char(v)); }
    void u16(uint16_t v)
    {
        u8(uint8_t(v));
        u8(uint8_t(v >> 8));
    }
    void s16(int16_t v) { u16(uint16_t(v)); }
    void u32(uint32_t v)
    {
        u16(uint16_t(v));
        u16(uint16_t(v >> 16));
    }
    void s32(int32_t v) { u32(uint32_t(v)); }
    void bytes(const QByteArray& b) { out_.append(b); }
    void guid(const QUuid& id);
    // Count, UTF-16 units and, for a non-empty text, a terminator.
    void string(const QString& text);

    qsizetype size() const { return out_.size(); }
    // Overwrites four bytes written earlier.
    void patch_u32(qsizetype at, uint32_t v);
    QByteArray take() { return std::move(out_); }

private:
    QByteArray out_;
};

}  // namespace pw::acs
