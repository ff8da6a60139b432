#pragma once
// Fixed numbers of the single-file character format, shared by the reader and the
// writer.

#include <cstdint>

namespace pw::acs::format {

inline constexpr uint32_t signature = 0xABCDABC3;      // file bytes C3 AB CD AB
inline constexpr uint32_t web_signature = 0xABCDABC4;  // the split web format (.acf)
inline constexpr char ole_signature[] = {char(0xD0), char(0xCF), char(0x11), char(0xE0),
                                         char(0xA1), char(0xB1), char(0x1A), char(0xE1)};

// Versions as (major << 16 | minor); the last is the one every known file carries.
inline constexpr uint32_t readable_versions[] = {0x0001001C, 0x0001001E, 0x0001001F, 0x00020001};
inline constexpr uint32_t current_version = 0x00020001;

inline constexpr uint32_t header_size = 36;
inline constexpr uint16_t no_sound = 0xFFFF;
inline constexpr uint64_t overlay_size = 14;
// Reading a file may take this much memory for each of its bytes, plus an allowance
// that lets small characters with large, plain pictures load. Real characters unpack
// to 4 to 7 times their size.
inline constexpr int64_t decoded_bytes_per_file_byte = 32;
inline constexpr int64_t decoded_bytes_allowance = int64_t(16) << 20;
// Picture count, sound, duration, exit frame, branch count, overlay count.
inline constexpr uint64_t min_frame_size = 2 + 2 + 2 + 2 + 1 + 1;

}  // namespace pw::acs::format
