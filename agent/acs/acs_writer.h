#pragma once
// Writes a character description as a single-file character (.acs, version 2.1), in
// the block order other tools produce: animation records, pictures (compressed),
// sounds, the three directories, and last the character information with its
// localized table. Checksums are written as 0, and pictures carry no outline (it
// would only repeat which pixels are transparent). Reading the result gives back an equal
// CharacterData, except that the voice and balloon style bits always follow whether
// `voice` and `balloon` are present.
//
// Data that the format cannot hold (an animation without frames, a picture whose
// pixel buffer does not match its size, more than 255 branches or overlays in a
// frame, a file beyond 4 GB ...) throws AgentError with a text naming the culprit.

#include "agent/acs/character_data.h"

#include <QByteArray>
#include <QString>
#include <cstdint>

namespace pw::acs {

// Writing the file failed (disk full, no permission): a Windows-style write fault.
inline constexpr uint32_t write_failed = 0x8007001D;

QByteArray write_acs(const CharacterData& data);
// Replaces `path` atomically; throws AgentError write_failed when that fails.
void write_acs_file(const CharacterData& data, const QString& path);

}  // namespace pw::acs
