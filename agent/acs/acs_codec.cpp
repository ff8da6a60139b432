#include "agent/acs/acs_codec.h"

#include <algorithm>
#include <bit>
#include <cstdint>
#include <cstring>
#include <vector>

namespace pw::acs::codec {

namespace {

constexpr uint32_t end_marker = 0xFFFFF;
constexpr int max_length_bits = 11;

// Distance classes: prefix bits after the copy flag, field width, first distance.
struct DistanceClass {
    uint32_t prefix;  // in reading order, least-significant bit first
    int prefix_bits;
    int field_bits;
    uint32_t first;
};
constexpr DistanceClass distance_classes[] = {
    {0b0, 1, 6, 1},
    {0b01, 2, 9, 65},
    {0b011, 3, 12, 577},
    {0b111, 3, 20, 4673},
};
constexpr uint32_t max_distance = 4673 + end_marker - 1;  // 0xFFFFF itself ends the stream

// Reads bits least-significant first; running past the end sets `overrun` and
// yields zero bits, which the caller checks once per token.
class BitReader {
public:
    BitReader(const uint8_t* p, const uint8_t* end) : p_(p), end_(end) {}

    uint32_t bits(int n)
    {
        if (count_ < n) refill();
        if (count_ < n) {
            overrun_ = true;
            count_ = 0;
            buf_ = 0;
            return 0;
        }
        const uint32_t v = uint32_t(buf_ & ((uint64_t(1) << n) - 1));
        buf_ >>= n;
        count_ -= n;
        return v;
    }
    bool bit() { return bits(1) != 0; }
    bool overrun() const { return overrun_; }

private:
    void refill()
    {
        if constexpr (std::endian::native == std::endian::little) {
            if (count_ == 0 && end_ - p_ >= 8) {
                std::memcpy(&buf_, p_, 8);
                p_ += 8;
                count_ = 64;
                return;
            }
        }
        while (count_ <= 56 && p_ < end_) {
            buf_ |= uint64_t(*p_++) << count_;
            count_ += 8;
        }
    }

    const uint8_t* p_;
    const uint8_t* end_;
    uint64_t buf_ = 0;
    int count_ = 0;
    bool overrun_ = false;
};

class BitWriter {
public:
    void put(uint32_t value, int n)
    {
        acc_ |= uint64_t(value) << count_;
        count_ += n;
        while (count_ >= 8) {
            out_.push_back(char(acc_ & 0xFF));
            acc_ >>= 8;
            count_ -= 8;
        }
    }
    void ones(int n)
    {
        while (n > 0) {
            const int step = std::min(n, 24);
            put((uint32_t(1) << step) - 1, step);
            n -= step;
        }
    }
    // Fills the current byte with 1-bits.
    void pad_with_ones()
    {
        if (count_ > 0) ones(8 - count_);
    }
    QByteArray take() { return std::move(out_); }
    void reserve(qsizetype n) { out_.reserve(n); }
    void byte(char c) { out_.push_back(c); }

private:
    QByteArray out_;
    uint64_t acc_ = 0;
    int count_ = 0;
};

int floor_log2(uint32_t v)
{
    int k = 0;
    while (v >>= 1) ++k;
    return k;
}

const DistanceClass& distance_class(uint32_t distance)
{
    if (distance <= 64) return distance_classes[0];
    if (distance <= 576) return distance_classes[1];
    if (distance <= 4672) return distance_classes[2];
    return distance_classes[3];
}

int copy_base(uint32_t distance) { return distance > 4672 ? 2 : 1; }
int max_copy_length(uint32_t distance) { return 4095 + copy_base(distance); }

int copy_cost_bits(uint32_t distance, int length)
{
    const DistanceClass& c = distance_class(distance);
    const int k = floor_log2(uint32_t(length - copy_base(distance)));
    return 1 + c.prefix_bits + c.field_bits + 2 * k + 1;
}

void put_copy(BitWriter& w, uint32_t distance, int length)
{
    const DistanceClass& c = distance_class(distance);
    w.put(1, 1);
    w.put(c.prefix, c.prefix_bits);
    w.put(distance - c.first, c.field_bits);
    const uint32_t m = uint32_t(length - copy_base(distance));
    const int k = floor_log2(m);
    w.ones(k);
    w.put(0, 1);
    if (k > 0) w.put(m - (uint32_t(1) << k), k);
}

// Hash chains over 3-byte sequences find earlier matches; the depth limit keeps
// noisy pictures fast at a small cost in size.
class MatchFinder {
public:
    explicit MatchFinder(const uint8_t* data, qsizetype size)
        : data_(data), size_(size), head_(hash_size, -1), prev_(size_t(size), -1) {}

    void insert(qsizetype pos)
    {
        if (pos + 3 > size_) return;
        const uint32_t h = hash(pos);
        prev_[size_t(pos)] = head_[h];
        head_[h] = int32_t(pos);
    }

    // The longest match for `pos` that is worth a copy; length 0 when none is.
    std::pair<uint32_t, int> best(qsizetype pos) const
    {
        const qsizetype left = size_ - pos;
        uint32_t best_distance = 0;
        int best_length = 0;
        auto consider = [&](qsizetype from) {
            const uint32_t distance = uint32_t(pos - from);
            if (distance == 0 || distance > max_distance) return false;
            const int limit = int(std::min<qsizetype>(left, max_copy_length(distance)));
            int n = 0;
            while (n < limit && data_[from + n] == data_[pos + n]) ++n;
            const int min_length = copy_base(distance) + 1;
            if (n >= min_length && n > best_length && copy_cost_bits(distance, n) < 9 * n) {
                best_length = n;
                best_distance = distance;
            }
            return best_length == limit;
        };
        if (pos > 0 && consider(pos - 1)) return {best_distance, best_length};
        if (pos + 3 <= size_) {
            int depth = 0;
            for (int32_t c = head_[hash(pos)]; c >= 0 && depth < max_depth; c = prev_[size_t(c)], ++depth) {
                if (pos - c > qsizetype(max_distance)) break;
                if (consider(c)) break;
            }
        }
        return {best_distance, best_length};
    }

private:
    static constexpr int hash_bits = 16;
    static constexpr uint32_t hash_size = 1u << hash_bits;
    static constexpr int max_depth = 48;

    uint32_t hash(qsizetype pos) const
    {
        const uint32_t v = uint32_t(data_[pos]) | uint32_t(data_[pos + 1]) << 8 | uint32_t(data_[pos + 2]) << 16;
        return (v * 2654435761u) >> (32 - hash_bits);
    }

    const uint8_t* data_;
    qsizetype size_;
    std::vector<int32_t> head_;
    std::vector<int32_t> prev_;
};

}  // namespace

qsizetype max_decoded_size(qsizetype src_size)
{
    if (src_size <= 1) return 0;
    return (src_size - 1) * 8 / 31 * 4097 + 4097;
}

std::optional<QByteArray> decode(QByteArrayView src, qsizetype expected_size)
{
    if (src.size() < 1 || src[0] != 0 || expected_size < 0) return std::nullopt;
    if (expected_size > max_decoded_size(src.size())) return std::nullopt;

    const auto* begin = reinterpret_cast<const uint8_t*>(src.data());
    BitReader in(begin + 1, begin + src.size());

    // Start small and grow: a damaged size field must not allocate gigabytes before
    // the stream itself fails.
    QByteArray out;
    out.resize(std::min<qsizetype>(expected_size, 1 << 20));
    qsizetype pos = 0;
    auto ensure = [&](qsizetype needed) {
        if (needed <= out.size()) return;
        out.resize(std::min(expected_size, std::max(needed, out.size() * 2)));
    };

    for (;;) {
        if (!in.bit()) {
            const uint32_t byte = in.bits(8);
            if (in.overrun() || pos >= expected_size) return std::nullopt;
            ensure(pos + 1);
            out.data()[pos++] = char(byte);
            continue;
        }
        uint32_t distance;
        int base = 1;
        if (!in.bit()) {
            distance = in.bits(6) + 1;
        } else if (!in.bit()) {
            distance = in.bits(9) + 65;
        } else if (!in.bit()) {
            distance = in.bits(12) + 577;
        } else {
            const uint32_t field = in.bits(20);
            if (in.overrun()) return std::nullopt;
            if (field == end_marker) break;
            distance = field + 4673;
            base = 2;
        }
        int k = 0;
        while (in.bit()) {
            if (++k > max_length_bits || in.overrun()) return std::nullopt;
        }
        const qsizetype length = (qsizetype(1) << k) + in.bits(k) + base;
        if (in.overrun() || qsizetype(distance) > pos || pos + length > expected_size) return std::nullopt;
        ensure(pos + length);
        char* d = out.data();
        if (distance == 1) {
            std::memset(d + pos, d[pos - 1], size_t(length));
        } else if (qsizetype(distance) >= length) {
            std::memcpy(d + pos, d + pos - distance, size_t(length));
        } else {
            for (qsizetype i = 0; i < length; ++i) d[pos + i] = d[pos + i - distance];
        }
        pos += length;
    }
    if (pos != expected_size) return std::nullopt;
    out.resize(pos);
    return out;
}

QByteArray encode(QByteArrayView data)
{
    const auto* bytes = reinterpret_cast<const uint8_t*>(data.data());
    const qsizetype n = data.size();
    BitWriter w;
    w.reserve(n / 4 + 16);
    w.byte(0);

    MatchFinder finder(bytes, n);
    qsizetype pos = 0;
    while (pos < n) {
        const auto [distance, length] = finder.best(pos);
        if (length == 0) {
            w.put(0, 1);
            w.put(bytes[pos], 8);
            finder.insert(pos);
            ++pos;
            continue;
        }
        put_copy(w, distance, length);
        for (qsizetype i = 0; i < length; ++i) finder.insert(pos + i);
        pos += length;
    }

    // End marker: copy flag, the 20-bit class, twenty 1-bits; then padding.
    w.ones(1 + 3 + 20);
    w.pad_with_ones();
    w.put(0xFFFFFF, 24);
    return w.take();
}

}  // namespace pw::acs::codec
