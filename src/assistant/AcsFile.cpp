#include "assistant/AcsFile.h"

#include "assistant/AcsCompression.h"
#include "assistant/AcsLayout.h"

#include <QSet>
#include <QUuid>

#include <algorithm>
#include <limits>

// All integers are little-endian. A string is a u32 count of UTF-16 units, the
// units, and a 0 unit after them unless the count is 0.
namespace lirondo::acs {

namespace {

using namespace layout;

// Decoded pixels of all images together; a real character needs a few tens of MB.
constexpr qint64 maxTotalPixels = 256ll * 1024 * 1024;
// Smallest sizes on disk, to bound counts by the bytes left.
constexpr qint64 minString = 4;
constexpr qint64 minFrame = 2 + 2 + 2 + 2 + 1 + 1;
constexpr qint64 frameImageSize = 8;
constexpr qint64 branchSize = 4;
constexpr qint64 overlaySize = 14;
constexpr qint64 listEntrySize = 12; // offset, size, checksum
constexpr int minDurationMs = 10;

// Reads one block of the file; every read is checked against the block's end.
// The first failure is kept and later reads give zeros.
class Cursor
{
public:
    Cursor(QByteArrayView data, QString what) : m_data(data), m_what(std::move(what)) {}

    bool ok() const { return m_error.isEmpty(); }
    const QString& error() const { return m_error; }
    qint64 remaining() const { return m_data.size() - m_pos; }

    void fail(const QString& why)
    {
        if (m_error.isEmpty())
            m_error = QStringLiteral("%1: %2").arg(m_what, why);
        m_pos = m_data.size();
    }
    bool need(qint64 bytes)
    {
        if (!ok())
            return false;
        if (bytes < 0 || bytes > remaining()) {
            fail(QStringLiteral("ends early (at byte %1 of %2)").arg(m_pos).arg(m_data.size()));
            return false;
        }
        return true;
    }
    quint64 uint(int bytes)
    {
        if (!need(bytes))
            return 0;
        quint64 v = 0;
        for (int i = 0; i < bytes; ++i)
            v |= quint64(quint8(m_data[m_pos + i])) << (8 * i);
        m_pos += bytes;
        return v;
    }
    quint8 u8() { return quint8(uint(1)); }
    quint16 u16() { return quint16(uint(2)); }
    qint16 i16() { return qint16(u16()); }
    quint32 u32() { return quint32(uint(4)); }
    Locator locator()
    {
        Locator l;
        l.offset = u32();
        l.size = u32();
        return l;
    }
    void skip(qint64 bytes)
    {
        if (need(bytes))
            m_pos += bytes;
    }
    QByteArrayView bytes(qint64 count)
    {
        if (!need(count))
            return {};
        QByteArrayView v = m_data.sliced(m_pos, count);
        m_pos += count;
        return v;
    }
    QString string()
    {
        const quint32 count = u32();
        if (count == 0 || !ok())
            return {};
        if (!need(qint64(count) * 2 + 2))
            return {};
        QString s(qsizetype(count), Qt::Uninitialized);
        for (quint32 i = 0; i < count; ++i)
            s[qsizetype(i)] = QChar(char16_t(uint(2)));
        uint(2); // terminator
        return s;
    }
    // A count read from the file, refused when the bytes left cannot hold that
    // many items of at least itemSize bytes.
    qint64 count(quint64 value, qint64 itemSize, const QString& what)
    {
        if (!ok())
            return 0;
        if (qint64(value) > remaining() / itemSize) {
            fail(QStringLiteral("%1 count %2 does not fit in the file").arg(what).arg(value));
            return 0;
        }
        return qint64(value);
    }

private:
    QByteArrayView m_data;
    QString m_what;
    qint64 m_pos = 0;
    QString m_error;
};

// The block a locator names, or an empty view with `error` set.
QByteArrayView block(QByteArrayView file, Locator l, const QString& what, QString& error)
{
    if (quint64(l.offset) + l.size > quint64(file.size())) {
        error = QStringLiteral("%1 lies outside the file (offset %2, size %3, file %4 bytes)")
                    .arg(what)
                    .arg(l.offset)
                    .arg(l.size)
                    .arg(file.size());
        return {};
    }
    return file.sliced(l.offset, l.size);
}

void skipVoice(Cursor& c)
{
    c.skip(16 + 16 + 4 + 2); // engine and mode ids, speed, pitch
    if (c.u8() != 0) {
        c.u16(); // language id
        c.string();
        c.skip(2 + 2); // gender, age
        c.string();
    }
}

void skipBalloon(Cursor& c)
{
    c.skip(1 + 1 + 4 + 4 + 4); // lines, characters per line, three colours
    c.string();                // font name
    c.skip(4 + 4 + 1 + 1);     // height, weight, italic, one more flag
}

void readStates(Cursor& c, Character& ch)
{
    const qint64 states = c.count(c.u16(), minString + 2, QStringLiteral("state"));
    for (qint64 i = 0; i < states && c.ok(); ++i) {
        const QString state = c.string().toUpper();
        const qint64 names = c.count(c.u16(), minString, QStringLiteral("state animation"));
        QStringList list;
        for (qint64 j = 0; j < names && c.ok(); ++j)
            list.append(c.string());
        if (c.ok())
            ch.states[state].append(list);
    }
}

void readNames(Cursor& c, Character& ch)
{
    const qint64 count = c.count(c.u16(), 2 + 3 * minString, QStringLiteral("name"));
    // Prefer English (primary language 9), else the first entry.
    bool haveEnglish = false;
    for (qint64 i = 0; i < count && c.ok(); ++i) {
        const quint16 language = c.u16();
        const QString name = c.string();
        const QString description = c.string();
        c.string(); // extra data
        if (!c.ok())
            break;
        const bool english = (language & 0x3FF) == 9;
        if ((i == 0 && ch.name.isEmpty()) || (english && !haveEnglish)) {
            ch.name = name;
            ch.description = description;
            haveEnglish = haveEnglish || english;
        }
    }
}

bool readCharacterInfo(QByteArrayView file, Locator where, Character& ch, QString& error)
{
    const QByteArrayView data = block(file, where, QStringLiteral("Character information"), error);
    if (!error.isEmpty())
        return false;
    Cursor c(data, QStringLiteral("Character information"));
    const quint16 minor = c.u16();
    const quint16 major = c.u16();
    const Locator names = c.locator();
    c.skip(16); // class id
    ch.frameWidth = c.u16();
    ch.frameHeight = c.u16();
    ch.transparentIndex = c.u8();
    const quint32 flags = c.u32();
    c.skip(4); // animation set version
    if (!c.ok()) {
        error = c.error();
        return false;
    }
    // Version 1 headers have the same layout.
    if (major != 1 && major != 2) {
        error = QStringLiteral("Unsupported character file version %1.%2").arg(major).arg(minor);
        return false;
    }
    if (ch.frameWidth < 1 || ch.frameHeight < 1 || ch.frameWidth > maxFrameSide ||
        ch.frameHeight > maxFrameSide) {
        error =
            QStringLiteral("Unsupported frame size %1x%2").arg(ch.frameWidth).arg(ch.frameHeight);
        return false;
    }
    if (flags & flagVoice)
        skipVoice(c);
    if (flags & flagBalloon)
        skipBalloon(c);

    const qint64 colours = c.count(c.u32(), 4, QStringLiteral("palette"));
    ch.palette.fill(qRgb(0, 0, 0), paletteSize);
    for (qint64 i = 0; i < colours && c.ok(); ++i) {
        const quint8 b = c.u8();
        const quint8 g = c.u8();
        const quint8 r = c.u8();
        c.u8();
        if (i < paletteSize)
            ch.palette[i] = qRgb(r, g, b);
    }
    if (c.u8() != 0) { // tray icon: two sized bitmaps
        c.skip(c.u32());
        c.skip(c.u32());
    }
    readStates(c, ch);
    if (!c.ok()) {
        error = c.error();
        return false;
    }

    if (names.size == 0)
        return true; // no names: the character stays unnamed
    const QByteArrayView nameData = block(file, names, QStringLiteral("Character names"), error);
    if (!error.isEmpty())
        return false;
    Cursor n(nameData, QStringLiteral("Character names"));
    readNames(n, ch);
    if (!n.ok()) {
        error = n.error();
        return false;
    }
    return true;
}

bool readFrame(Cursor& c, Frame& frame)
{
    const qint64 images = c.count(c.u16(), frameImageSize, QStringLiteral("frame image"));
    frame.images.reserve(images);
    for (qint64 i = 0; i < images && c.ok(); ++i) {
        FrameImage fi;
        const quint32 index = c.u32();
        fi.imageIndex = index > quint32(std::numeric_limits<int>::max()) ? -1 : int(index);
        fi.x = c.i16();
        fi.y = c.i16();
        frame.images.append(fi);
    }
    c.u16(); // sound
    frame.durationMs = c.u16() * 10;
    frame.exitFrame = c.i16();
    const qint64 branches = c.count(c.u8(), branchSize, QStringLiteral("branch"));
    for (qint64 i = 0; i < branches && c.ok(); ++i) {
        Branch b;
        b.frameIndex = c.u16();
        b.probability = c.u16();
        frame.branches.append(b);
    }
    const qint64 overlays = c.count(c.u8(), overlaySize, QStringLiteral("mouth overlay"));
    for (qint64 i = 0; i < overlays && c.ok(); ++i) {
        c.skip(5);
        const bool region = c.u8() != 0;
        c.skip(8);
        if (region)
            c.skip(c.u32());
    }
    return c.ok();
}

bool readAnimation(QByteArrayView data, const QString& name, Animation& anim, QString& error)
{
    Cursor c(data, QStringLiteral("Animation \"%1\"").arg(name));
    anim.name = name;
    c.string(); // the name again
    anim.transitionType = c.u8();
    anim.returnAnimation = c.string();
    const qint64 frames = c.count(c.u16(), minFrame, QStringLiteral("frame"));
    anim.frames.reserve(frames);
    for (qint64 i = 0; i < frames && c.ok(); ++i) {
        Frame f;
        if (readFrame(c, f))
            anim.frames.append(std::move(f));
    }
    if (!c.ok()) {
        error = c.error();
        return false;
    }
    return true;
}

bool readAnimations(QByteArrayView file, Locator where, Character& ch, QString& error)
{
    const QByteArrayView data = block(file, where, QStringLiteral("Animation list"), error);
    if (!error.isEmpty())
        return false;
    Cursor c(data, QStringLiteral("Animation list"));
    const qint64 count = c.count(c.u32(), minString + 8, QStringLiteral("animation"));
    // Entries may share or overlap their data; cap the total work by the file size.
    qint64 budget = 2 * qint64(file.size()) + 4096;
    for (qint64 i = 0; i < count && c.ok(); ++i) {
        const QString name = c.string();
        const Locator l = c.locator();
        if (!c.ok())
            break;
        const QByteArrayView animData =
            block(file, l, QStringLiteral("Animation \"%1\"").arg(name), error);
        if (!error.isEmpty())
            return false;
        budget -= l.size;
        if (budget < 0) {
            error = QStringLiteral("Animation data overlaps itself beyond the file's size");
            return false;
        }
        Animation anim;
        if (!readAnimation(animData, name, anim, error))
            return false;
        ch.animations.append(std::move(anim));
    }
    if (!c.ok()) {
        error = c.error();
        return false;
    }
    return true;
}

// Longest output a stream of `bytes` bytes can encode: a back-reference takes at
// least 31 bits for at most 4097 bytes.
qint64 maxDecodedSize(qint64 bytes)
{
    return (bytes * 8 / 31 + 1) * 4097;
}

bool readImage(QByteArrayView data, int index, Image& image, qint64& pixelBudget, QString& error)
{
    const QString what = QStringLiteral("Image %1").arg(index);
    Cursor c(data, what);
    // What the first byte means is not known (files hold 0 or 1); the size and the
    // pixels follow it either way.
    c.u8();
    const int width = c.u16();
    const int height = c.u16();
    const bool compressed = c.u8() != 0;
    const QByteArrayView stored = c.bytes(c.u32());
    if (!c.ok()) {
        error = c.error();
        return false;
    }
    const qint64 stride = (qint64(width) + 3) & ~qint64(3);
    const qint64 rasterSize = stride * height;
    const qint64 justified = compressed ? maxDecodedSize(stored.size()) : stored.size();
    if (rasterSize > justified) {
        error = QStringLiteral("%1: %2x%3 pixels cannot come from %4 bytes")
                    .arg(what)
                    .arg(width)
                    .arg(height)
                    .arg(stored.size());
        return false;
    }
    pixelBudget -= rasterSize;
    if (pixelBudget < 0) {
        error = QStringLiteral("The images are too large in total");
        return false;
    }
    QByteArray decoded;
    QByteArrayView raster = stored.first(std::min<qint64>(stored.size(), rasterSize));
    if (compressed) {
        std::optional<QByteArray> out = decompress(stored, rasterSize);
        if (!out || out->size() != rasterSize) {
            error = QStringLiteral("%1: the compressed pixels are damaged").arg(what);
            return false;
        }
        decoded = std::move(*out);
        raster = decoded;
    }
    if (raster.size() != rasterSize) {
        error = QStringLiteral("%1: the pixels are cut short").arg(what);
        return false;
    }
    // Stored bottom-up with rows padded to 4 bytes; kept top-down and unpadded.
    image.width = width;
    image.height = height;
    image.pixels.resize(qsizetype(width) * height);
    for (int y = 0; y < height; ++y) {
        std::copy_n(raster.data() + (height - 1 - y) * stride, width,
                    image.pixels.data() + qsizetype(y) * width);
    }
    return true;
}

bool readImages(QByteArrayView file, Locator where, Character& ch, QString& error)
{
    const QByteArrayView data = block(file, where, QStringLiteral("Image list"), error);
    if (!error.isEmpty())
        return false;
    Cursor c(data, QStringLiteral("Image list"));
    const qint64 count = c.count(c.u32(), listEntrySize, QStringLiteral("image"));
    qint64 budget = maxTotalPixels;
    ch.images.reserve(count);
    for (qint64 i = 0; i < count && c.ok(); ++i) {
        const Locator l = c.locator();
        c.u32(); // checksum
        if (!c.ok())
            break;
        const QString what = QStringLiteral("Image %1").arg(i);
        const QByteArrayView imageData = block(file, l, what, error);
        if (!error.isEmpty())
            return false;
        Image image;
        if (!readImage(imageData, int(i), image, budget, error))
            return false;
        ch.images.append(std::move(image));
    }
    if (!c.ok()) {
        error = c.error();
        return false;
    }
    return true;
}

// Frames whose duration is 0 and that can reach themselves through frames of
// duration 0 would make a player spin without ever showing anything; they get
// the smallest duration the file can express.
void breakZeroDurationLoops(Animation& anim)
{
    const qsizetype n = anim.frames.size();
    QList<QList<int>> next(n);
    for (qsizetype i = 0; i < n; ++i) {
        const Frame& f = anim.frames[i];
        if (f.durationMs != 0)
            continue;
        auto add = [&](int to) {
            if (to >= 0 && to < n && anim.frames[to].durationMs == 0)
                next[i].append(to);
        };
        add(int(i) + 1);
        add(f.exitFrame);
        for (const Branch& b : f.branches)
            add(b.frameIndex);
    }
    // Peel off frames that lead nowhere in the zero-duration graph; what is left
    // is on a cycle or leads into one.
    QList<int> outDegree(n);
    QList<QList<int>> prev(n);
    QList<int> done;
    for (qsizetype i = 0; i < n; ++i) {
        outDegree[i] = int(next[i].size());
        for (int to : next[i])
            prev[to].append(int(i));
        if (outDegree[i] == 0)
            done.append(int(i));
    }
    QList<bool> removed(n, false);
    while (!done.isEmpty()) {
        const int i = done.takeLast();
        removed[i] = true;
        for (int from : prev[i]) {
            if (--outDegree[from] == 0)
                done.append(from);
        }
    }
    for (qsizetype i = 0; i < n; ++i) {
        if (!removed[i])
            anim.frames[i].durationMs = minDurationMs;
    }
}

// Composing a frame costs the pixels of its images; many images stacked on one
// frame would make every showing of it slow. Real frames layer a handful.
constexpr qint64 maxLayersPerFrame = 16;

bool checkCompositionCost(const Character& ch, QString& error)
{
    const qint64 area = qint64(ch.frameWidth) * ch.frameHeight;
    for (const Animation& anim : ch.animations) {
        for (qsizetype f = 0; f < anim.frames.size(); ++f) {
            qint64 cost = 0;
            for (const FrameImage& fi : anim.frames[f].images) {
                const Image& image = ch.images[fi.imageIndex];
                const qint64 w = std::clamp<qint64>(
                    std::min<qint64>(ch.frameWidth, qint64(fi.x) + image.width) - std::max(0, fi.x),
                    0, ch.frameWidth);
                const qint64 h = std::clamp<qint64>(
                    std::min<qint64>(ch.frameHeight, qint64(fi.y) + image.height) -
                        std::max(0, fi.y),
                    0, ch.frameHeight);
                cost += w * h;
            }
            if (cost > maxLayersPerFrame * area) {
                error = QStringLiteral("Frame %1 of animation \"%2\" stacks too many images")
                            .arg(f)
                            .arg(anim.name);
                return false;
            }
        }
    }
    return true;
}

// A character whose frames all come out transparent would load and stay invisible.
// Stops at the first frame that shows a pixel, so a real file costs little.
bool checkSomethingShows(const Character& ch, QString& error)
{
    QList<qint8> shows(ch.images.size(), -1); // per image: -1 not yet looked at
    const auto visible = [&](int index) {
        if (shows[index] < 0) {
            const QByteArray& pixels = ch.images[index].pixels;
            shows[index] = std::any_of(pixels.cbegin(), pixels.cend(),
                                       [&](char p) { return quint8(p) != ch.transparentIndex; });
        }
        return shows[index] == 1;
    };
    for (const Animation& anim : ch.animations) {
        for (const Frame& frame : anim.frames) {
            for (const FrameImage& fi : frame.images) {
                const Image& image = ch.images[fi.imageIndex];
                if (fi.x < ch.frameWidth && fi.y < ch.frameHeight && fi.x + image.width > 0 &&
                    fi.y + image.height > 0 && visible(fi.imageIndex))
                    return true;
            }
        }
    }
    error = QStringLiteral("No frame shows anything: every image is empty or transparent");
    return false;
}

void dropBadReferences(Character& ch)
{
    const qsizetype imageCount = ch.images.size();
    // A set, not animation(): files may hold many thousands of names.
    QSet<QString> names;
    for (const Animation& anim : std::as_const(ch.animations))
        names.insert(anim.name.toCaseFolded());
    auto exists = [&](const QString& name) { return names.contains(name.toCaseFolded()); };
    for (Animation& anim : ch.animations) {
        const int frames = int(anim.frames.size());
        for (Frame& f : anim.frames) {
            f.images.removeIf([&](const FrameImage& fi) {
                return fi.imageIndex < 0 || fi.imageIndex >= imageCount;
            });
            if (f.exitFrame < 0 || f.exitFrame >= frames)
                f.exitFrame = -1;
            f.branches.removeIf([&](const Branch& b) { return b.frameIndex >= frames; });
            for (Branch& b : f.branches)
                b.probability = std::clamp(b.probability, 0, 100);
        }
        if (!anim.returnAnimation.isEmpty() && !exists(anim.returnAnimation))
            anim.returnAnimation.clear();
        breakZeroDurationLoops(anim);
    }
    for (auto it = ch.states.begin(); it != ch.states.end();) {
        it->removeIf([&](const QString& name) { return !exists(name); });
        if (it->isEmpty())
            it = ch.states.erase(it);
        else
            ++it;
    }
}

} // namespace

int Character::animationIndex(const QString& animationName) const
{
    for (qsizetype i = 0; i < animations.size(); ++i) {
        if (animations[i].name.compare(animationName, Qt::CaseInsensitive) == 0)
            return int(i);
    }
    return -1;
}

const Animation* Character::animation(const QString& animationName) const
{
    const int i = animationIndex(animationName);
    return i < 0 ? nullptr : &animations[i];
}

QImage Character::frameImage(int animationIndex, int frameIndex) const
{
    if (animationIndex < 0 || animationIndex >= animations.size())
        return {};
    const Animation& anim = animations[animationIndex];
    if (frameIndex < 0 || frameIndex >= anim.frames.size())
        return {};
    if (frameWidth < 1 || frameHeight < 1 || frameWidth > maxFrameSide ||
        frameHeight > maxFrameSide)
        return {};
    QImage out(frameWidth, frameHeight, QImage::Format_ARGB32);
    out.fill(Qt::transparent);
    const Frame& frame = anim.frames[frameIndex];
    for (auto it = frame.images.crbegin(); it != frame.images.crend(); ++it) {
        if (it->imageIndex < 0 || it->imageIndex >= images.size())
            continue;
        const Image& image = images[it->imageIndex];
        if (image.pixels.size() != qsizetype(image.width) * image.height)
            continue;
        const int x0 = std::max(0, it->x);
        const int y0 = std::max(0, it->y);
        const int x1 = std::min(frameWidth, it->x + image.width);
        const int y1 = std::min(frameHeight, it->y + image.height);
        for (int y = y0; y < y1; ++y) {
            auto* line = reinterpret_cast<QRgb*>(out.scanLine(y));
            const char* src = image.pixels.constData() + qsizetype(y - it->y) * image.width;
            for (int x = x0; x < x1; ++x) {
                const int index = quint8(src[x - it->x]);
                if (index != transparentIndex && index < palette.size())
                    line[x] = palette[index] | 0xFF000000u;
            }
        }
    }
    return out;
}

ReadResult readAcs(QByteArrayView file)
{
    ReadResult result;
    Cursor header(file, QStringLiteral("File header"));
    if (file.size() < headerSize || header.u32() != signature) {
        result.error = QStringLiteral("Not a character file (.acs, version 2)");
        return result;
    }
    const Locator info = header.locator();
    const Locator animations = header.locator();
    const Locator images = header.locator();
    const Locator audio = header.locator();

    Character ch;
    QString error;
    if (readCharacterInfo(file, info, ch, error) && readImages(file, images, ch, error) &&
        readAnimations(file, animations, ch, error)) {
        // The sounds are not used; only check that their list is where it says.
        block(file, audio, QStringLiteral("Sound list"), error);
    }
    if (!error.isEmpty()) {
        result.error = error;
        return result;
    }
    dropBadReferences(ch);
    if (!checkCompositionCost(ch, result.error) || !checkSomethingShows(ch, result.error))
        return result;
    result.character = std::move(ch);
    return result;
}

} // namespace lirondo::acs
