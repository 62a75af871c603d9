// Reads arbitrary bytes as a character file and as a compressed image stream. A
// file that reads must keep every reference in range, compose its frames, and
// read back the same after being written again.
#include "FuzzRequire.h"
#include "assistant/AcsCompression.h"
#include "assistant/AcsFile.h"

#include <cstdint>

using namespace lirondo::acs;

namespace {

void checkReferences(const Character& ch)
{
    require(ch.palette.size() == 256, "palette size");
    require(ch.frameWidth >= 1 && ch.frameWidth <= maxFrameSide, "frame width");
    require(ch.frameHeight >= 1 && ch.frameHeight <= maxFrameSide, "frame height");
    for (const Image& image : ch.images)
        require(image.pixels.size() == qsizetype(image.width) * image.height, "image size");
    for (const Animation& a : ch.animations) {
        require(a.returnAnimation.isEmpty() || ch.animation(a.returnAnimation), "return");
        for (const Frame& f : a.frames) {
            for (const FrameImage& fi : f.images)
                require(fi.imageIndex >= 0 && fi.imageIndex < ch.images.size(), "image index");
            require(f.exitFrame >= -1 && f.exitFrame < a.frames.size(), "exit frame");
            for (const Branch& b : f.branches) {
                require(b.frameIndex >= 0 && b.frameIndex < a.frames.size(), "branch");
                require(b.probability >= 0 && b.probability <= 100, "probability");
            }
        }
    }
    for (const QStringList& names : ch.states) {
        for (const QString& name : names)
            require(ch.animation(name) != nullptr, "state animation");
    }
}

// Everything the writer keeps must read back as it was. The images are compared
// uncompressed: compressing them again would only slow the run down.
void checkRewrite(const Character& ch)
{
    const ReadResult again = readAcs(writeAcs(ch, true));
    require(again.character.has_value(), "rewritten file does not read");
    require(writeAcs(*again.character, false) == writeAcs(ch, false),
            "rewritten file reads back different");
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QByteArrayView bytes(reinterpret_cast<const char*>(data), qsizetype(size));

    if (const std::optional<QByteArray> out = decompress(bytes, 1 << 16)) {
        const std::optional<QByteArray> back = decompress(compress(*out), out->size());
        require(back && *back == *out, "compression round trip");
    }

    const ReadResult read = readAcs(bytes);
    require(read.character.has_value() == read.error.isEmpty(), "result and error disagree");
    if (!read.character)
        return 0;
    const Character& ch = *read.character;
    checkReferences(ch);
    // Composing is bounded by the frame size; keep the run fast on big frames.
    if (qint64(ch.frameWidth) * ch.frameHeight <= 256 * 256) {
        int composed = 0;
        for (int a = 0; a < ch.animations.size() && composed < 64; ++a) {
            for (int f = 0; f < ch.animations[a].frames.size() && composed < 64; ++f, ++composed)
                require(ch.frameImage(a, f).size() == QSize(ch.frameWidth, ch.frameHeight),
                        "frame image size");
        }
    }
    checkRewrite(ch);
    return 0;
}
