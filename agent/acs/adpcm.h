#pragma once
// The two ADPCM sound codecs found in wave files: Microsoft ADPCM (format 2) and IMA
// ADPCM (format 0x11). Both decode block by block to signed 16-bit samples,
// interleaved, little-endian.

#include <QByteArray>
#include <QByteArrayView>
#include <QList>
#include <QString>
#include <cstdint>
#include <optional>

namespace pw::acs::adpcm {

struct Coefficients {
    int16_t first = 0;   // weight of the previous sample, in 1/256
    int16_t second = 0;  // weight of the one before
};

// The seven predictors every Microsoft ADPCM file carries.
QList<Coefficients> standard_ms_coefficients();

// `samples_per_block` 0 means "as many as the block holds". A block cut short at the
// end of the data is decoded as far as it goes. nullopt with `why` set when the data
// cannot be decoded (bad block size, a predictor outside the table).
std::optional<QByteArray> decode_ms(QByteArrayView data, int channels, int block_align, int samples_per_block,
                                    QList<Coefficients> table, QString* why);
std::optional<QByteArray> decode_ima(QByteArrayView data, int channels, int block_align, int samples_per_block,
                                     QString* why);

}  // namespace pw::acs::adpcm
