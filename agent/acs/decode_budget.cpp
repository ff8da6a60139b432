#include "agent/acs/decode_budget.h"

#include "agent/acs/acs_format.h"
#include "agent/api/agent_error.h"

namespace pw::acs {

DecodeBudget::DecodeBudget(qint64 file_size)
    : file_size_(file_size),
      limit_(format::decoded_bytes_allowance + format::decoded_bytes_per_file_byte * file_size)
{
}

void DecodeBudget::charge(qint64 bytes)
{
    if (bytes <= limit_ - used_) {
        used_ += bytes;
        return;
    }
    throw agent::AgentError(
        agent::error::not_a_character,
        QStringLiteral("This is not a usable character file: its pictures, sounds and animations would take more "
                       "than %1 MB of memory, far more than a character file of %2 KB needs.")
            .arg(limit_ >> 20)
            .arg((file_size_ + 1023) / 1024));
}

}  // namespace pw::acs
