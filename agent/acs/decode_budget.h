#pragma once
// The memory that reading one character file may take. The reader charges every
// byte it decodes (pictures, sounds, animation records and the directory entries that
// point at them) before allocating it, pictures at their declared size though they
// are decoded only when first drawn, and the limit follows the file's size: a small
// file can never demand gigabytes, however its entries repeat or overlap.

#include <QtGlobal>

namespace pw::acs {

class DecodeBudget {
public:
    explicit DecodeBudget(qint64 file_size);

    // Throws AgentError not_a_character when `bytes` more would pass the limit.
    void charge(qint64 bytes);

    qint64 used() const { return used_; }
    qint64 limit() const { return limit_; }

private:
    qint64 file_size_;
    qint64 limit_;
    qint64 used_ = 0;
};

}  // namespace pw::acs
