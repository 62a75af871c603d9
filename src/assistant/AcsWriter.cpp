// The writer half of the .acs format: tools make the shipped character with it, and
// the tests and the fuzzer use it to build files for the reader.
#include "assistant/AcsCompression.h"
#include "assistant/AcsFile.h"
#include "assistant/AcsLayout.h"

#include <QSet>
#include <QUuid>

#include <algorithm>
#include <limits>

namespace lirondo::acs {

namespace {

using namespace layout;

class Writer
{
public:
    qint64 pos() const { return m_out.size(); }
    void uint(quint64 v, int bytes)
    {
        for (int i = 0; i < bytes; ++i)
            m_out.append(char((v >> (8 * i)) & 0xFF));
    }
    void u8(quint8 v) { uint(v, 1); }
    void u16(quint16 v) { uint(v, 2); }
    void u32(quint32 v) { uint(v, 4); }
    void locator(Locator l)
    {
        u32(l.offset);
        u32(l.size);
    }
    void string(const QString& s)
    {
        u32(quint32(s.size()));
        if (s.isEmpty())
            return;
        for (QChar ch : s)
            u16(ch.unicode());
        u16(0);
    }
    void bytes(QByteArrayView b) { m_out.append(b); }
    void patch(qint64 at, quint32 v)
    {
        for (int i = 0; i < 4; ++i)
            m_out[at + i] = char((v >> (8 * i)) & 0xFF);
    }
    Locator since(qint64 start) const { return {quint32(start), quint32(pos() - start)}; }
    QByteArray take() { return std::move(m_out); }

private:
    QByteArray m_out;
};

quint16 clamp16(int v)
{
    return quint16(std::clamp(v, 0, 0xFFFF));
}

qint16 clampSigned16(int v)
{
    return qint16(std::clamp(v, -32768, 32767));
}

void writeAnimation(Writer& w, const Animation& anim)
{
    w.string(anim.name.toUpper());
    w.u8(quint8(anim.transitionType));
    w.string(anim.returnAnimation);
    const qsizetype frames = std::min<qsizetype>(anim.frames.size(), 0xFFFF);
    w.u16(quint16(frames));
    for (qsizetype i = 0; i < frames; ++i) {
        const Frame& f = anim.frames[i];
        const qsizetype images = std::min<qsizetype>(f.images.size(), 0xFFFF);
        w.u16(quint16(images));
        for (qsizetype j = 0; j < images; ++j) {
            w.u32(quint32(std::max(0, f.images[j].imageIndex)));
            w.u16(quint16(clampSigned16(f.images[j].x)));
            w.u16(quint16(clampSigned16(f.images[j].y)));
        }
        w.u16(0xFFFF); // no sound
        w.u16(clamp16((f.durationMs + 5) / 10));
        w.u16(f.exitFrame < 0 ? 0xFFFF : clamp16(f.exitFrame));
        const qsizetype branches = std::min<qsizetype>(f.branches.size(), 0xFF);
        w.u8(quint8(branches));
        for (qsizetype j = 0; j < branches; ++j) {
            w.u16(clamp16(f.branches[j].frameIndex));
            w.u16(clamp16(f.branches[j].probability));
        }
        w.u8(0); // no mouth overlays
    }
}

void writeImage(Writer& w, const Image& image, quint8 fill, bool compressImages)
{
    const int width = std::clamp(image.width, 0, 0xFFFF);
    const int height = std::clamp(image.height, 0, 0xFFFF);
    const qsizetype stride = (qsizetype(width) + 3) & ~qsizetype(3);
    // Bottom-up rows padded to 4 bytes; pixels the image lacks are transparent.
    QByteArray raster(stride * height, char(fill));
    for (int y = 0; y < height; ++y) {
        const qsizetype from = qsizetype(y) * image.width;
        const qsizetype have = std::clamp<qsizetype>(image.pixels.size() - from, 0, width);
        std::copy_n(image.pixels.constData() + from, have,
                    raster.data() + (height - 1 - y) * stride);
    }
    const QByteArray stored = compressImages ? compress(raster) : raster;
    w.u8(1);
    w.u16(quint16(width));
    w.u16(quint16(height));
    w.u8(compressImages ? 1 : 0);
    w.u32(quint32(stored.size()));
    w.bytes(stored);
    w.u32(0); // no region data
    w.u32(0);
}

} // namespace

QByteArray writeAcs(const Character& ch, bool compressImages)
{
    Writer w;
    w.bytes(QByteArray(headerSize, '\0'));

    QList<Locator> animationData;
    for (const Animation& anim : ch.animations) {
        const qint64 start = w.pos();
        writeAnimation(w, anim);
        animationData.append(w.since(start));
    }
    QList<Locator> imageData;
    QList<quint16> checksums;
    for (const Image& image : ch.images) {
        const qint64 start = w.pos();
        writeImage(w, image, quint8(ch.transparentIndex), compressImages);
        imageData.append(w.since(start));
        checksums.append(qChecksum(image.pixels));
    }

    const qint64 infoStart = w.pos();
    w.u16(1); // version 2.1
    w.u16(2);
    const qint64 namesLocator = w.pos();
    w.locator({});
    const QUuid id = QUuid::createUuidV5(QUuid(), ch.name);
    w.bytes(id.toRfc4122());
    w.u16(clamp16(ch.frameWidth));
    w.u16(clamp16(ch.frameHeight));
    w.u8(quint8(ch.transparentIndex));
    w.u32(flagVoiceOff | flagBalloonOff);
    w.u16(2); // animation set version 2.0
    w.u16(0);
    w.u32(paletteSize);
    for (int i = 0; i < paletteSize; ++i) {
        const QRgb c = i < ch.palette.size() ? ch.palette[i] : qRgb(0, 0, 0);
        w.u8(quint8(qBlue(c)));
        w.u8(quint8(qGreen(c)));
        w.u8(quint8(qRed(c)));
        w.u8(0);
    }
    w.u8(0); // no tray icon
    QStringList stateNames = ch.states.keys();
    stateNames.sort();
    w.u16(quint16(std::min<qsizetype>(stateNames.size(), 0xFFFF)));
    for (const QString& state :
         std::as_const(stateNames).first(std::min<qsizetype>(stateNames.size(), 0xFFFF))) {
        const QStringList& names = ch.states[state];
        const qsizetype count = std::min<qsizetype>(names.size(), 0xFFFF);
        w.string(state);
        w.u16(quint16(count));
        for (qsizetype i = 0; i < count; ++i)
            w.string(names[i]);
    }
    const qint64 namesStart = w.pos();
    w.u16(1);
    w.u16(0x0409); // English (United States)
    w.string(ch.name);
    w.string(ch.description);
    w.string({});
    const Locator names = w.since(namesStart);
    w.patch(namesLocator, names.offset);
    w.patch(namesLocator + 4, names.size);
    const Locator info = w.since(infoStart);

    const qint64 animationsStart = w.pos();
    w.u32(quint32(ch.animations.size()));
    for (qsizetype i = 0; i < ch.animations.size(); ++i) {
        w.string(ch.animations[i].name);
        w.locator(animationData[i]);
    }
    const Locator animations = w.since(animationsStart);

    const qint64 imagesStart = w.pos();
    w.u32(quint32(ch.images.size()));
    for (qsizetype i = 0; i < ch.images.size(); ++i) {
        w.locator(imageData[i]);
        w.u32(checksums[i]);
    }
    const Locator images = w.since(imagesStart);

    const qint64 audioStart = w.pos();
    w.u32(0);
    const Locator audio = w.since(audioStart);

    QByteArray out = w.take();
    Writer header;
    header.u32(signature);
    header.locator(info);
    header.locator(animations);
    header.locator(images);
    header.locator(audio);
    const QByteArray head = header.take();
    std::copy(head.begin(), head.end(), out.begin());
    return out;
}

} // namespace lirondo::acs
