#pragma once

#include <QByteArray>
#include <QByteArrayView>

#include <optional>

// The bit-level LZ77-style compression used for images in .acs files.
namespace lirondo::acs {

// Decompresses `data`; nullopt when the stream is malformed or would produce more
// than `maxOutput` bytes. The result may be shorter than maxOutput; callers check
// the size they expect.
std::optional<QByteArray> decompress(QByteArrayView data, qsizetype maxOutput);

// A valid stream that decompress() turns back into `data`.
QByteArray compress(QByteArrayView data);

} // namespace lirondo::acs
