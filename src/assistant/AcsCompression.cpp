#include "assistant/AcsCompression.h"

#include <QList>

#include <algorithm>
#include <array>
#include <cstdint>

// The stream: one 0x00 byte, then a bit stream read least significant bit first
// (values too). Each token starts with a flag bit: 0 = an 8-bit literal; 1 = a
// back-reference whose distance tier is a unary prefix of up to three 1 bits:
//   0   -> 6 bits  + 1       (length at least 2)
//   10  -> 9 bits  + 65      (length at least 2)
//   110 -> 12 bits + 577     (length at least 2)
//   111 -> 20 bits + 4673    (length at least 3); the value 0xFFFFF ends the stream
// followed by the length: k 1 bits and a 0 bit, then, for k >= 1, k bits v; the
// length is the minimum + (2^k - 1) + v. k never reaches 12.
namespace lirondo::acs {

namespace {

struct Tier
{
    int bits;
    quint32 base;
};
constexpr std::array<Tier, 4> tiers{{{6, 1}, {9, 65}, {12, 577}, {20, 4673}}};
constexpr quint32 endMarker = 0xFFFFF;
constexpr int maxLengthBits = 11;

class BitReader
{
public:
    explicit BitReader(QByteArrayView data) : m_data(data) {}

    // False when the stream has run out. count <= 32.
    bool bits(int count, quint32& out)
    {
        if (m_count < count) {
            while (m_count <= 56 && m_next < m_data.size()) {
                m_acc |= quint64(quint8(m_data[m_next++])) << m_count;
                m_count += 8;
            }
            if (m_count < count)
                return false;
        }
        out = quint32(m_acc & ((quint64(1) << count) - 1));
        m_acc >>= count;
        m_count -= count;
        return true;
    }
    bool bit(bool& out)
    {
        quint32 v = 0;
        const bool ok = bits(1, v);
        out = v != 0;
        return ok;
    }

private:
    QByteArrayView m_data;
    qsizetype m_next = 0;
    quint64 m_acc = 0;
    int m_count = 0;
};

class BitWriter
{
public:
    void bit(bool b)
    {
        if (m_used == 0)
            m_out.append('\0');
        if (b)
            m_out.back() = char(quint8(m_out.back()) | (1u << m_used));
        m_used = (m_used + 1) & 7;
    }
    void bits(quint32 value, int count)
    {
        for (int i = 0; i < count; ++i)
            bit((value >> i) & 1);
    }
    QByteArray take() { return std::move(m_out); }

private:
    QByteArray m_out;
    int m_used = 0;
};

} // namespace

std::optional<QByteArray> decompress(QByteArrayView data, qsizetype maxOutput)
{
    if (data.isEmpty() || data[0] != '\0' || maxOutput < 0)
        return std::nullopt;
    BitReader in(data.sliced(1));
    QByteArray out;
    // The output cannot outgrow what the input can encode, so reserving is safe.
    out.reserve(std::min<qsizetype>(maxOutput, data.size() * 1100));

    for (;;) {
        bool flag = false;
        if (!in.bit(flag))
            return std::nullopt; // no end marker
        if (!flag) {
            quint32 literal = 0;
            if (!in.bits(8, literal) || out.size() >= maxOutput)
                return std::nullopt;
            out.append(char(literal));
            continue;
        }
        int tier = 0;
        for (bool one = true; tier < 3; ++tier) {
            if (!in.bit(one))
                return std::nullopt;
            if (!one)
                break;
        }
        quint32 field = 0;
        if (!in.bits(tiers[tier].bits, field))
            return std::nullopt;
        if (tier == 3 && field == endMarker)
            return out;
        const quint64 distance = quint64(field) + tiers[tier].base;
        quint64 length = tier == 3 ? 3 : 2;

        int k = 0;
        for (bool one = true;;) {
            if (!in.bit(one))
                return std::nullopt;
            if (!one)
                break;
            if (++k > maxLengthBits)
                return std::nullopt;
        }
        if (k > 0) {
            quint32 extra = 0;
            if (!in.bits(k, extra))
                return std::nullopt;
            length += ((1u << k) - 1) + extra;
        }
        if (distance > quint64(out.size()) || length > quint64(maxOutput - out.size()))
            return std::nullopt;
        // Byte by byte: a reference may overlap the bytes it produces (runs).
        const qsizetype at = out.size();
        out.resize(at + qsizetype(length));
        char* p = out.data();
        for (qsizetype i = at; i < at + qsizetype(length); ++i)
            p[i] = p[i - qsizetype(distance)];
    }
}

namespace {

constexpr qsizetype maxDistance = qsizetype(endMarker - 1) + 4673;
constexpr qsizetype hashSize = 1 << 15;
constexpr int maxChain = 32;

int tierFor(qsizetype distance)
{
    for (int t = 0; t < 3; ++t) {
        if (quint64(distance) < tiers[t].base + (1u << tiers[t].bits))
            return t;
    }
    return 3;
}

// Keeps k <= 10 so every length code ends with a 0 bit well before the limit.
constexpr quint64 maxExtra = (1u << 11) - 2;

void writeMatch(BitWriter& w, qsizetype distance, qsizetype length)
{
    const int tier = tierFor(distance);
    w.bit(true);
    for (int i = 0; i < tier; ++i)
        w.bit(true);
    if (tier < 3)
        w.bit(false);
    w.bits(quint32(distance - qsizetype(tiers[tier].base)), tiers[tier].bits);
    const quint64 extra = quint64(length - (tier == 3 ? 3 : 2));
    int k = 0;
    while (((2ull << k) - 1) <= extra) // extra >= 2^(k+1) - 1 needs a longer code
        ++k;
    for (int i = 0; i < k; ++i)
        w.bit(true);
    w.bit(false);
    if (k > 0)
        w.bits(quint32(extra - ((1ull << k) - 1)), k);
}

quint32 hash3(const uchar* p)
{
    return ((quint32(p[0]) << 10) ^ (quint32(p[1]) << 5) ^ p[2]) & (hashSize - 1);
}

} // namespace

QByteArray compress(QByteArrayView data)
{
    BitWriter w;
    w.bits(0, 8);
    const auto* bytes = reinterpret_cast<const uchar*>(data.data());
    const qsizetype n = data.size();
    // Greedy matching over hash chains of 3-byte prefixes.
    QList<qsizetype> head(hashSize, -1);
    QList<qsizetype> prev(n, -1);
    auto insert = [&](qsizetype pos) {
        if (pos + 3 > n)
            return;
        const quint32 h = hash3(bytes + pos);
        prev[pos] = head[h];
        head[h] = pos;
    };

    qsizetype pos = 0;
    while (pos < n) {
        qsizetype bestLength = 0;
        qsizetype bestDistance = 0;
        // A run of one repeated byte is the most common thing in these images.
        if (pos > 0) {
            qsizetype length = 0;
            const qsizetype limit = std::min<qsizetype>(n - pos, 2 + qsizetype(maxExtra));
            while (length < limit && bytes[pos + length] == bytes[pos - 1])
                ++length;
            if (length >= 2) {
                bestLength = length;
                bestDistance = 1;
            }
        }
        if (pos + 3 <= n) {
            int chain = 0;
            for (qsizetype cand = head[hash3(bytes + pos)]; cand >= 0 && chain < maxChain;
                 cand = prev[cand], ++chain) {
                const qsizetype distance = pos - cand;
                if (distance > maxDistance)
                    break;
                const qsizetype minimum = tierFor(distance) == 3 ? 3 : 2;
                const qsizetype limit = std::min<qsizetype>(n - pos, minimum + qsizetype(maxExtra));
                qsizetype length = 0;
                while (length < limit && bytes[cand + length] == bytes[pos + length])
                    ++length;
                if (length >= minimum && length > bestLength) {
                    bestLength = length;
                    bestDistance = distance;
                }
            }
        }
        if (bestLength >= 2) {
            writeMatch(w, bestDistance, bestLength);
            for (qsizetype i = 0; i < bestLength; ++i)
                insert(pos + i);
            pos += bestLength;
        } else {
            w.bit(false);
            w.bits(bytes[pos], 8);
            insert(pos);
            ++pos;
        }
    }
    // End marker, then whole 0xFF bytes: readers of the format expect some slack
    // after the marker.
    w.bit(true);
    w.bits(0x7, 3);
    w.bits(endMarker, 20);
    QByteArray out = w.take();
    out.append(6, char(0xFF));
    return out;
}

} // namespace lirondo::acs
