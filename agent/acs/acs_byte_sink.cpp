#include "agent/acs/acs_byte_sink.h"

namespace pw::acs {

void ByteSink::guid(const QUuid& id)
{
    u32(id.data1);
    u16(id.data2);
    u16(id.data3);
    for (uchar b : id.data4) u8(b);
}

void ByteSink::string(const QString& text)
{
    u32(uint32_t(text.size()));
    if (text.isEmpty()) return;
    for (QChar ch : text) u16(ch.unicode());
    u16(0);
}

void ByteSink::patch_u32(qsizetype at, uint32_t v)
{
    for (int i = 0; i < 4; ++i) out_[at + i] = char((v >> (8 * i)) & 0xFF);
}

}  // namespace pw::acs
