#pragma once
// Reads a single-file character (.acs, version 2.x) into its immutable description.
//
// Memory follows the file's size: directory entries that point at the same record
// share one decoded copy, and everything decoded is limited to a multiple of the
// file's size (decode_budget.h), counting pictures at their declared sizes; pictures'
// outlines are skipped, since nothing draws with them.
//
// Compressed pictures are decoded when first drawn, not here (packed_pixels.h): until
// then read_acs's pictures keep a share of the bytes, and read_acs_file's read their
// streams again from the file, which stays open (open_character_file.h). A picture
// whose stream turns out damaged, or changed on disk, has no pixels and draws as nothing.
//
// Errors throw pw::agent::AgentError:
//   0x80042204  not a character file (wrong signature, empty file, a web .acf file,
//               contents that would take far more memory than such a file can hold)
//   0x80042202  a character file version this reader does not know (an old 1.5 file)
//   0x80042203  a character file made for a newer version
//   0x80070570  the file is damaged: a block outside the file, a truncated block, a
//               picture larger than its stream can hold, counts that cannot fit
//   0x8004200F  an animation without frames
//   0x80070002  the file cannot be found or opened (read_acs_file)
//
// Indices inside the data (frame images, sounds, branch targets, overlay images) are
// kept as stored; users check them against the lists before use.

#include "agent/acs/character_data.h"

#include <QByteArray>
#include <QString>

namespace pw::acs {

CharacterData read_acs(const QByteArray& bytes);
CharacterData read_acs_file(const QString& path);

}  // namespace pw::acs
