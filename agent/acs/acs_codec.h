#pragma once
// The bit-level LZ77 codec that character files use for picture pixels and regions.
//
// A stream is one 0x00 byte followed by bits read least-significant first. Each token
// is a literal byte or a copy of earlier output (distance, length); a copy with the
// 20-bit distance 0xFFFFF ends the stream.

#include <QByteArray>
#include <QByteArrayView>
#include <optional>

namespace pw::acs::codec {

// Decodes `src`, which must produce exactly `expected_size` bytes and then the end
// marker. Any damage (reading past the input, a distance before the start of the
// output, output longer than expected, twelve length bits, a missing end marker)
// gives nullopt. Memory grows with the output actually produced, so a damaged size
// cannot force a huge allocation.
std::optional<QByteArray> decode(QByteArrayView src, qsizetype expected_size);

// The most bytes any stream of `src_size` bytes can decode to (the longest copy
// token packs 4 097 bytes into 31 bits); a larger expected size is certainly damage.
qsizetype max_decoded_size(qsizetype src_size);

// Greedy LZ: at each position the longest earlier match (distance up to 1 053 247,
// length up to 4 096) when it costs fewer bits than literals. The stream ends with the
// end marker, 1-bits up to the byte boundary and three 0xFF bytes, as other readers
// of the format expect.
QByteArray encode(QByteArrayView data);

}  // namespace pw::acs::codec
