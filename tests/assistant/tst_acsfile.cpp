#include "assistant/AcsCompression.h"
#include "assistant/AcsFile.h"

#include "MerlinArt.h"

#include <QFile>
#include <QTest>

using namespace lirondo;
using namespace lirondo::acs;

namespace {

// Builds a compressed stream by hand: bits least significant first.
class Bits
{
public:
    Bits() { m_out.append('\0'); }
    Bits& put(quint32 value, int count)
    {
        for (int i = 0; i < count; ++i) {
            if (m_used == 0)
                m_out.append('\0');
            if ((value >> i) & 1)
                m_out.back() = char(quint8(m_out.back()) | (1 << m_used));
            m_used = (m_used + 1) & 7;
        }
        return *this;
    }
    Bits& literal(char c) { return put(0, 1).put(quint8(c), 8); }
    Bits& literals(const QByteArray& s)
    {
        for (char c : s)
            literal(c);
        return *this;
    }
    // prefix: the tier's unary code written as bits, e.g. 0b011 with 3 bits for "110".
    Bits& reference(quint32 prefix, int prefixBits, quint32 field, int fieldBits)
    {
        return put(1, 1).put(prefix, prefixBits).put(field, fieldBits);
    }
    Bits& length(int k, quint32 v)
    {
        put((1u << k) - 1, k).put(0, 1);
        return k > 0 ? put(v, k) : *this;
    }
    Bits& end() { return put(1, 1).put(0x7, 3).put(0xFFFFF, 20); }
    QByteArray bytes() const { return m_out; }

private:
    QByteArray m_out;
    int m_used = 0;
};

QByteArray pattern(int size, quint32 seed)
{
    QByteArray out(size, '\0');
    for (char& c : out) {
        seed = seed * 1103515245u + 12345u;
        c = char(seed >> 16);
    }
    return out;
}

quint32 u32At(const QByteArray& b, qsizetype at)
{
    quint32 v = 0;
    for (int i = 0; i < 4; ++i)
        v |= quint32(quint8(b[at + i])) << (8 * i);
    return v;
}

void putU32(QByteArray& b, qsizetype at, quint32 v)
{
    for (int i = 0; i < 4; ++i)
        b[at + i] = char(v >> (8 * i));
}

void putU16(QByteArray& b, qsizetype at, quint16 v)
{
    b[at] = char(v);
    b[at + 1] = char(v >> 8);
}

// Two images, two animations, a state: every section present and small.
Character smallCharacter()
{
    Character ch;
    ch.name = QStringLiteral("Tiny");
    ch.frameWidth = 8;
    ch.frameHeight = 6;
    ch.transparentIndex = 0;
    for (int i = 0; i < 256; ++i)
        ch.palette.append(qRgb(i, 255 - i, i / 2));
    ch.images.append({5, 3, QByteArray("\1\2\3\4\5\0\0\7\7\0\6\6\6\6\6", 15)});
    ch.images.append({3, 2, QByteArray("\11\11\11\0\11\0", 6)});
    Frame f0;
    f0.images = {{1, 1, 1}, {0, 0, 0}};
    f0.durationMs = 100;
    f0.exitFrame = 1;
    Frame f1;
    f1.images = {{0, 2, 2}};
    f1.durationMs = 250;
    f1.branches = {{0, 30}, {1, 70}};
    ch.animations.append({QStringLiteral("A"), QStringLiteral("B"), 0, {f0, f1}});
    Frame loop = f1;
    loop.branches = {{0, 40}};
    ch.animations.append({QStringLiteral("B"), {}, 2, {loop}});
    ch.states.insert(QStringLiteral("SHOWING"), {QStringLiteral("A")});
    return ch;
}

struct Layout
{
    quint32 info, animations, images, audio;
    quint32 firstAnimation, firstImage;
};

Layout layoutOf(const QByteArray& file)
{
    Layout l{};
    l.info = u32At(file, 4);
    l.animations = u32At(file, 12);
    l.images = u32At(file, 20);
    l.audio = u32At(file, 28);
    // Directory entry 0: string "A" (4 + 2 + 2 bytes), then its locator.
    l.firstAnimation = u32At(file, l.animations + 4 + 8);
    l.firstImage = u32At(file, l.images + 4);
    return l;
}

// Inserts bytes at `at` and fixes every locator of the file: a block holding the
// insertion point grows, blocks behind it move.
QByteArray insertAt(QByteArray file, quint32 at, const QByteArray& bytes)
{
    QList<quint32> locators = {4, 12, 20, 28};
    locators.append(u32At(file, 4) + 4); // the names table
    const quint32 animations = u32At(file, 12);
    quint32 pos = animations + 4;
    for (quint32 i = 0; i < u32At(file, animations); ++i) {
        const quint32 chars = u32At(file, pos);
        pos += 4 + (chars ? 2 * chars + 2 : 0);
        locators.append(pos);
        pos += 8;
    }
    const quint32 images = u32At(file, 20);
    for (quint32 i = 0; i < u32At(file, images); ++i)
        locators.append(images + 4 + 12 * i);

    const quint32 delta = quint32(bytes.size());
    QList<std::pair<quint32, quint32>> fixed;
    for (quint32 l : locators) {
        quint32 offset = u32At(file, l);
        quint32 size = u32At(file, l + 4);
        if (offset < at && at <= offset + size)
            size += delta;
        else if (offset >= at)
            offset += delta;
        fixed.append({offset, size});
    }
    file.insert(at, bytes);
    for (qsizetype i = 0; i < locators.size(); ++i) {
        const quint32 l = locators[i] >= at ? locators[i] + delta : locators[i];
        putU32(file, l, fixed[i].first);
        putU32(file, l + 4, fixed[i].second);
    }
    return file;
}

QByteArray wideString(const QString& s)
{
    QByteArray b(4, '\0');
    putU32(b, 0, quint32(s.size()));
    for (QChar c : s) {
        b.append(char(c.unicode() & 0xFF));
        b.append(char(c.unicode() >> 8));
    }
    if (!s.isEmpty())
        b.append(2, '\0');
    return b;
}

void compareCharacters(const Character& got, const Character& want)
{
    QCOMPARE(got.name, want.name);
    QCOMPARE(got.frameWidth, want.frameWidth);
    QCOMPARE(got.frameHeight, want.frameHeight);
    QCOMPARE(got.transparentIndex, want.transparentIndex);
    QCOMPARE(got.palette, want.palette);
    QCOMPARE(got.states, want.states);
    QCOMPARE(got.images.size(), want.images.size());
    for (qsizetype i = 0; i < want.images.size(); ++i) {
        QCOMPARE(got.images[i].width, want.images[i].width);
        QCOMPARE(got.images[i].height, want.images[i].height);
        QVERIFY2(got.images[i].pixels == want.images[i].pixels,
                 qPrintable(QStringLiteral("image %1").arg(i)));
    }
    QCOMPARE(got.animations.size(), want.animations.size());
    for (qsizetype a = 0; a < want.animations.size(); ++a) {
        const Animation& g = got.animations[a];
        const Animation& w = want.animations[a];
        QCOMPARE(g.name, w.name);
        QCOMPARE(g.returnAnimation, w.returnAnimation);
        QCOMPARE(g.transitionType, w.transitionType);
        QCOMPARE(g.frames.size(), w.frames.size());
        for (qsizetype f = 0; f < w.frames.size(); ++f) {
            const Frame& gf = g.frames[f];
            const Frame& wf = w.frames[f];
            QCOMPARE(gf.durationMs, wf.durationMs);
            QCOMPARE(gf.exitFrame, wf.exitFrame);
            QCOMPARE(gf.images.size(), wf.images.size());
            for (qsizetype i = 0; i < wf.images.size(); ++i) {
                QCOMPARE(gf.images[i].imageIndex, wf.images[i].imageIndex);
                QCOMPARE(gf.images[i].x, wf.images[i].x);
                QCOMPARE(gf.images[i].y, wf.images[i].y);
            }
            QCOMPARE(gf.branches.size(), wf.branches.size());
            for (qsizetype i = 0; i < wf.branches.size(); ++i) {
                QCOMPARE(gf.branches[i].frameIndex, wf.branches[i].frameIndex);
                QCOMPARE(gf.branches[i].probability, wf.branches[i].probability);
            }
        }
    }
}

} // namespace

class TestAcsFile : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void handMadeStream_data();
    void handMadeStream();
    void malformedStream_data();
    void malformedStream();
    void compressRoundTrip_data();
    void compressRoundTrip();

    void merlinRoundTrip_data();
    void merlinRoundTrip();
    void merlinHasWhatTheProgramPlays_data();
    void merlinHasWhatTheProgramPlays();
    void builtFileIsCurrent();
    void speakingMouthIsLaidOverTheBody();

    void composesFirstImageOnTop();
    void skipsWhatItDoesNotUse_data();
    void skipsWhatItDoesNotUse();
    void headerVariants_data();
    void headerVariants();
    void everyTruncationFails();
    void corruptFile_data();
    void corruptFile();
    void badReferencesAreDropped();
    void zeroDurationLoopsGetADuration();
};

void TestAcsFile::handMadeStream_data()
{
    QTest::addColumn<QByteArray>("stream");
    QTest::addColumn<QByteArray>("expected");

    QTest::newRow("literals only") << Bits().literals("AB").end().bytes() << QByteArray("AB");
    QTest::newRow("empty stream") << Bits().end().bytes() << QByteArray();
    QTest::newRow("6-bit distance, shortest length")
        << Bits().literals("xy").reference(0, 1, 1, 6).length(0, 0).end().bytes()
        << QByteArray("xyxy");
    QTest::newRow("run through an overlapping copy")
        << Bits().literal('z').reference(0, 1, 0, 6).length(2, 1).end().bytes()
        << QByteArray(1 + 2 + 3 + 1, 'z');
    QTest::newRow("longest length code (k = 11)")
        << Bits().literal('r').reference(0, 1, 0, 6).length(11, 2047).end().bytes()
        << QByteArray(1 + 2 + 2047 + 2047, 'r');

    const QByteArray base = pattern(5000, 7);
    QTest::newRow("9-bit distance (65)")
        << Bits().literals(base.first(65)).reference(0b01, 2, 0, 9).length(0, 0).end().bytes()
        << base.first(65) + base.first(2);
    QTest::newRow("12-bit distance (600)") << Bits()
                                                  .literals(base.first(600))
                                                  .reference(0b011, 3, 600 - 577, 12)
                                                  .length(1, 0)
                                                  .end()
                                                  .bytes()
                                           << base.first(600) + base.first(3);
    QTest::newRow("20-bit distance (4673), three bytes at least")
        << Bits().literals(base.first(4673)).reference(0b111, 3, 0, 20).length(0, 0).end().bytes()
        << base.first(4673) + base.first(3);
    QTest::newRow("bytes after the end marker are ignored")
        << Bits().literals("ok").end().bytes() + QByteArray(6, char(0xFF)) << QByteArray("ok");
}

void TestAcsFile::handMadeStream()
{
    QFETCH(QByteArray, stream);
    QFETCH(QByteArray, expected);
    const std::optional<QByteArray> out = decompress(stream, expected.size());
    QVERIFY(out.has_value());
    QCOMPARE(*out, expected);
}

void TestAcsFile::malformedStream_data()
{
    QTest::addColumn<QByteArray>("stream");
    QTest::addColumn<int>("maxOutput");

    QTest::newRow("empty input") << QByteArray() << 10;
    QByteArray notZero = Bits().literals("A").end().bytes();
    notZero[0] = 1;
    QTest::newRow("first byte not 0") << notZero << 10;
    QTest::newRow("no end marker") << Bits().literals("AB").bytes() << 10;
    QTest::newRow("cut inside a literal") << Bits().literals("AB").bytes().chopped(1) << 10;
    QTest::newRow("distance before the start")
        << Bits().literal('a').reference(0, 1, 1, 6).length(0, 0).end().bytes() << 10;
    QTest::newRow("copy past the size limit")
        << Bits().literal('a').reference(0, 1, 0, 6).length(3, 0).end().bytes() << 5;
    QTest::newRow("literal past the size limit") << Bits().literals("abc").end().bytes() << 2;
    QTest::newRow("twelve 1 bits in a length")
        << Bits().literal('a').reference(0, 1, 0, 6).put(0xFFF, 12).put(0, 1).end().bytes()
        << 100000;
}

void TestAcsFile::malformedStream()
{
    QFETCH(QByteArray, stream);
    QFETCH(int, maxOutput);
    QVERIFY(!decompress(stream, maxOutput).has_value());
}

void TestAcsFile::compressRoundTrip_data()
{
    QTest::addColumn<QByteArray>("data");
    QTest::addColumn<int>("maxCompressed"); // 0: no check

    QTest::newRow("empty") << QByteArray() << 0;
    QTest::newRow("one byte") << QByteArray("q") << 0;
    QTest::newRow("long run") << QByteArray(20000, 'k') << 100;
    QTest::newRow("noise") << pattern(10000, 3) << 0;
    QByteArray far = pattern(3000, 11);
    far += QByteArray(4000, '\0') + far.first(3000) + QByteArray(2000, '\1') + far.first(500);
    QTest::newRow("repeats at every distance tier") << far << 4000;
    QTest::newRow("short repeats 65 apart") << pattern(65, 5).repeated(50) << 400;
}

void TestAcsFile::compressRoundTrip()
{
    QFETCH(QByteArray, data);
    QFETCH(int, maxCompressed);
    const QByteArray packed = compress(data);
    const std::optional<QByteArray> out = decompress(packed, data.size());
    QVERIFY(out.has_value());
    QVERIFY(*out == data);
    if (maxCompressed > 0)
        QVERIFY2(packed.size() <= maxCompressed, qPrintable(QString::number(packed.size())));
}

void TestAcsFile::merlinRoundTrip_data()
{
    QTest::addColumn<bool>("compressed");
    QTest::newRow("compressed images") << true;
    QTest::newRow("raw images") << false;
}

void TestAcsFile::merlinRoundTrip()
{
    QFETCH(bool, compressed);
    const Character merlin = merlin::makeMerlin();
    const ReadResult read = readAcs(writeAcs(merlin, compressed));
    QVERIFY2(read.character.has_value(), qPrintable(read.error));
    compareCharacters(*read.character, merlin);
}

void TestAcsFile::merlinHasWhatTheProgramPlays_data()
{
    QTest::addColumn<QString>("animation");
    QTest::addColumn<QString>("returnAnimation");
    for (const char* name : {"Greet", "LookLeft", "Suggest", "Wave", "Write"}) {
        const QString n = QString::fromUtf8(name);
        QTest::newRow(name) << n << n + QStringLiteral("Return");
    }
    QTest::newRow("Pleased") << QStringLiteral("Pleased") << QString();
    for (const char* state : {"SHOWING", "HIDING", "SPEAKING", "IDLINGLEVEL1"})
        QTest::newRow(state) << QString::fromUtf8(state) << QString();
}

void TestAcsFile::merlinHasWhatTheProgramPlays()
{
    QFETCH(QString, animation);
    QFETCH(QString, returnAnimation);
    const Character merlin = merlin::makeMerlin();
    QStringList names = merlin.states.value(animation);
    if (names.isEmpty())
        names = {animation};
    for (const QString& name : names) {
        const Animation* a = merlin.animation(name);
        QVERIFY2(a, qPrintable(name));
        QVERIFY(a->frames.size() >= 2);
        for (const Frame& f : a->frames)
            QVERIFY(f.durationMs >= 50 && f.durationMs <= 2000);
        QCOMPARE(a->returnAnimation, returnAnimation);
        if (!returnAnimation.isEmpty())
            QVERIFY(merlin.animation(returnAnimation.toLower()));
    }
}

void TestAcsFile::builtFileIsCurrent()
{
    QFile file(QString::fromUtf8(LIRONDO_MERLIN_ACS));
    QVERIFY2(file.open(QIODevice::ReadOnly), qPrintable(file.fileName()));
    const QByteArray built = file.readAll();
    QVERIFY(built == writeAcs(merlin::makeMerlin(), true));
    QVERIFY(built.size() < writeAcs(merlin::makeMerlin(), false).size() / 3);
}

void TestAcsFile::speakingMouthIsLaidOverTheBody()
{
    const Character merlin = merlin::makeMerlin();
    const int index =
        merlin.animationIndex(merlin.states.value(QStringLiteral("SPEAKING")).first());
    const Animation& anim = merlin.animations[index];
    const QImage rest = merlin.frameImage(merlin.animationIndex(QStringLiteral("RestPose")), 0);
    int open = 0;
    for (int f = 0; f < anim.frames.size(); ++f) {
        const QImage frame = merlin.frameImage(index, f);
        const QRect mouth(anim.frames[f].images.first().x, anim.frames[f].images.first().y,
                          merlin.images[anim.frames[f].images.first().imageIndex].width,
                          merlin.images[anim.frames[f].images.first().imageIndex].height);
        bool differs = false;
        for (int y = 0; y < frame.height(); ++y) {
            for (int x = 0; x < frame.width(); ++x) {
                if (frame.pixel(x, y) == rest.pixel(x, y))
                    continue;
                QVERIFY2(anim.frames[f].images.size() == 2 && mouth.contains(x, y),
                         qPrintable(QStringLiteral("frame %1 at %2,%3").arg(f).arg(x).arg(y)));
                differs = true;
            }
        }
        open += differs ? 1 : 0;
    }
    QVERIFY(open >= 2);
}

void TestAcsFile::composesFirstImageOnTop()
{
    Character ch = smallCharacter();
    const ReadResult read = readAcs(writeAcs(ch, true));
    QVERIFY2(read.character, qPrintable(read.error));
    const QImage frame = read.character->frameImage(0, 0);
    QCOMPARE(frame.size(), QSize(8, 6));
    auto colour = [&](int index) { return ch.palette[index] | 0xFF000000u; };
    // Image 1 (at 1,1) is first, so on top of image 0 (at 0,0).
    QCOMPARE(frame.pixel(1, 1), colour(9));
    QCOMPARE(frame.pixel(2, 2), colour(9));
    QCOMPARE(frame.pixel(0, 0), colour(1));
    // A transparent pixel of image 1 lets image 0 show through.
    QCOMPARE(frame.pixel(1, 2), colour(6));
    QCOMPARE(qAlpha(frame.pixel(0, 1)), 0); // transparent index in image 0
    QCOMPARE(qAlpha(frame.pixel(7, 5)), 0); // outside every image
    QVERIFY(read.character->frameImage(0, 2).isNull());
    QVERIFY(read.character->frameImage(5, 0).isNull());

    // Images hanging over the frame's edges are clipped.
    ch.animations[0].frames[0].images = {{0, -3, -1}, {0, 6, 4}};
    const QImage clipped = ch.frameImage(0, 0);
    QCOMPARE(clipped.pixel(0, 0), colour(7));
    QCOMPARE(clipped.pixel(7, 4), colour(2));
    QCOMPARE(qAlpha(clipped.pixel(7, 5)), 0);
}

void TestAcsFile::skipsWhatItDoesNotUse_data()
{
    QTest::addColumn<QByteArray>("file");
    const QByteArray good = writeAcs(smallCharacter(), true);
    const Layout l = layoutOf(good);

    QByteArray voiced = good;
    putU32(voiced, l.info + 0x21, u32At(good, l.info + 0x21) | 0x20 | 0x200);
    QByteArray balloon("\2\34", 2);
    balloon += QByteArray(12, '\0') + wideString(QStringLiteral("Sans")) + QByteArray(10, '\0');
    QByteArray voice(16 + 16 + 4 + 2, '\x11');
    voice += QByteArray("\1\x09\4", 3) + wideString(QStringLiteral("US English")) +
             QByteArray("\2\0\x1e\0", 4) + wideString(QStringLiteral("Normal"));
    QTest::newRow("voice and balloon") << insertAt(voiced, l.info + 0x29, voice + balloon);

    // The flag byte after the 256 palette entries, then two sized bitmaps.
    const quint32 tray = l.info + 0x29 + 4 + 256 * 4;
    QByteArray iconed = insertAt(good, tray + 1, QByteArray("\3\0\0\0abc\2\0\0\0de", 13));
    iconed[tray] = 1;
    QTest::newRow("tray icon") << iconed;

    // Frame 0 of "A": name 8, transition 1, return "B" 8, frame count 2, two images
    // 2 + 16, sound, duration, exit 6, no branches 1: its overlay count is at 44.
    const quint32 a = l.firstAnimation;
    QByteArray mouths = insertAt(good, a + 45,
                                 QByteArray("\1\0\5\0\0\0\1\0\2\0\4\0\3\0", 14) +
                                     QByteArray("\2\0\5\0\0\1\1\0\2\0\4\0\3\0", 14) +
                                     QByteArray("\6\0\0\0region", 10));
    mouths[a + 44] = 2;
    QTest::newRow("mouth overlays, one with a region") << mouths;

    QByteArray sounds = insertAt(good, l.audio + 4, QByteArray(12, '\0'));
    putU32(sounds, u32At(sounds, 28), 1);
    putU32(sounds, u32At(sounds, 28) + 4, quint32(sounds.size()));
    putU32(sounds, u32At(sounds, 28) + 8, 12);
    QTest::newRow("a sound") << sounds + QByteArray("RIFF\4\0\0\0WAVE", 12);
}

void TestAcsFile::skipsWhatItDoesNotUse()
{
    QFETCH(QByteArray, file);
    const ReadResult read = readAcs(file);
    QVERIFY2(read.character, qPrintable(read.error));
    compareCharacters(*read.character, smallCharacter());
}

QByteArray namesTable(const QList<std::pair<quint16, QString>>& names)
{
    QByteArray b(2, '\0');
    putU16(b, 0, quint16(names.size()));
    for (const auto& [language, name] : names) {
        b.append(char(language & 0xFF)).append(char(language >> 8));
        b += wideString(name) + wideString(QStringLiteral("about ") + name) + wideString({});
    }
    return b;
}

void TestAcsFile::headerVariants_data()
{
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<QString>("name");

    const QByteArray good = writeAcs(smallCharacter(), true);
    const quint32 info = layoutOf(good).info;
    QByteArray v1 = good;
    putU16(v1, info + 2, 1);
    QTest::newRow("version 1 header") << v1 << QStringLiteral("Tiny");
    QByteArray unnamed = good;
    putU32(unnamed, info + 8, 0);
    QTest::newRow("no names table") << unnamed << QString();

    auto withNames = [&](const QByteArray& table) {
        QByteArray b = good;
        putU32(b, info + 4, quint32(b.size()));
        putU32(b, info + 8, quint32(table.size()));
        return b + table;
    };
    QTest::newRow("English name preferred")
        << withNames(namesTable({{0x0407, QStringLiteral("Zauberer")},
                                 {0x0809, QStringLiteral("Wizard")},
                                 {0x0409, QStringLiteral("Other")}}))
        << QStringLiteral("Wizard");
    QTest::newRow("first name without English")
        << withNames(namesTable(
               {{0x040C, QStringLiteral("Magicien")}, {0x0411, QStringLiteral("Mahou")}}))
        << QStringLiteral("Magicien");
}

void TestAcsFile::headerVariants()
{
    QFETCH(QByteArray, file);
    QFETCH(QString, name);
    const ReadResult read = readAcs(file);
    QVERIFY2(read.character, qPrintable(read.error));
    QCOMPARE(read.character->name, name);
    QCOMPARE(read.character->animations.size(), 2);
}

void TestAcsFile::everyTruncationFails()
{
    const QByteArray file = writeAcs(smallCharacter(), true);
    QVERIFY(readAcs(file).character);
    for (qsizetype size = 0; size < file.size(); ++size) {
        const ReadResult read = readAcs(QByteArrayView(file).first(size));
        QVERIFY2(!read.character && !read.error.isEmpty(), qPrintable(QString::number(size)));
    }
}

void TestAcsFile::corruptFile_data()
{
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<QString>("error");

    const QByteArray good = writeAcs(smallCharacter(), true);
    const Layout l = layoutOf(good);
    auto patched32 = [&](qsizetype at, quint32 v) {
        QByteArray b = good;
        putU32(b, at, v);
        return b;
    };
    auto patched16 = [&](qsizetype at, quint16 v) {
        QByteArray b = good;
        putU16(b, at, v);
        return b;
    };

    QTest::newRow("not a character file") << patched32(0, 0x12345678) << QStringLiteral("Not a");
    QTest::newRow("information past the end")
        << patched32(4, quint32(good.size())) << QStringLiteral("outside the file");
    QTest::newRow("locator wrapping around 32 bits")
        << patched32(8, 0xFFFFFFF0u) << QStringLiteral("outside the file");
    QTest::newRow("names past the end")
        << patched32(l.info + 4, 0xFFFFFF00u) << QStringLiteral("outside the file");
    QTest::newRow("version 3") << patched16(l.info + 2, 3) << QStringLiteral("version");
    QTest::newRow("frame width 0") << patched16(l.info + 0x1C, 0) << QStringLiteral("frame size");
    QTest::newRow("frame height 60000")
        << patched16(l.info + 0x1E, 60000) << QStringLiteral("frame size");
    QTest::newRow("huge palette") << patched32(l.info + 0x29, 0x40000000u)
                                  << QStringLiteral("palette count");
    QTest::newRow("huge animation count")
        << patched32(l.animations, 0xFFFFFFFFu) << QStringLiteral("animation count");
    QTest::newRow("huge animation name")
        << patched32(l.animations + 4, 0x7FFFFFFFu) << QStringLiteral("ends early");
    QTest::newRow("animation past the end")
        << patched32(l.animations + 12, quint32(good.size() - 2)) << QStringLiteral("outside");
    // Animation "A": name (8 bytes), transition (1), return "B" (8), frame count.
    QTest::newRow("huge frame count")
        << patched16(l.firstAnimation + 17, 0xFFFF) << QStringLiteral("frame count");
    QTest::newRow("huge image count")
        << patched32(l.images, 0x10000000u) << QStringLiteral("image count");
    QTest::newRow("image 65535x65535")
        << patched32(l.firstImage + 1, 0xFFFFFFFFu) << QStringLiteral("cannot come from");
    QByteArray damaged = good;
    damaged[l.firstImage + 10] = 1; // the stream's leading 0
    QTest::newRow("damaged compressed pixels") << damaged << QStringLiteral("damaged");
    QTest::newRow("compressed size past the image")
        << patched32(l.firstImage + 6, 100000) << QStringLiteral("ends early");
    QTest::newRow("sound list past the end")
        << patched32(32, 0x1000) << QStringLiteral("outside the file");
    Character stacked = smallCharacter();
    stacked.animations[1].frames[0].images = QList<FrameImage>(60, FrameImage{0, 1, 1});
    QTest::newRow("a frame stacking 60 images")
        << writeAcs(stacked, true) << QStringLiteral("too many images");
    QByteArray shared = good;
    // Many directory entries sharing one animation: the work stays bounded.
    QByteArray entries;
    for (int i = 0; i < 2000; ++i)
        entries += wideString(QStringLiteral("A")) + good.mid(l.animations + 12, 8);
    putU32(shared, l.animations, 2000 + 2);
    shared.insert(l.animations + 4, entries);
    putU32(shared, 16, u32At(shared, 16) + quint32(entries.size()));
    putU32(shared, 20, u32At(shared, 20) + quint32(entries.size()));
    putU32(shared, 28, u32At(shared, 28) + quint32(entries.size()));
    QTest::newRow("animation data shared too often") << shared << QStringLiteral("overlaps");
}

void TestAcsFile::corruptFile()
{
    QFETCH(QByteArray, file);
    QFETCH(QString, error);
    const ReadResult read = readAcs(file);
    QVERIFY(!read.character);
    QVERIFY2(read.error.contains(error), qPrintable(read.error));
}

void TestAcsFile::badReferencesAreDropped()
{
    Character ch = smallCharacter();
    Frame& f = ch.animations[0].frames[0];
    f.images.append({7, 0, 0});       // no image 7
    f.exitFrame = 9;                  // no frame 9
    f.branches = {{5, 50}, {1, 250}}; // no frame 5; more than 100 %
    ch.animations[1].returnAnimation = QStringLiteral("Nowhere");
    ch.states[QStringLiteral("HIDING")] = {QStringLiteral("Gone")};
    ch.states[QStringLiteral("SHOWING")].append(QStringLiteral("Gone"));

    const ReadResult read = readAcs(writeAcs(ch, false));
    QVERIFY2(read.character, qPrintable(read.error));
    const Frame& got = read.character->animations[0].frames[0];
    QCOMPARE(got.images.size(), 2);
    QCOMPARE(got.exitFrame, -1);
    QCOMPARE(got.branches.size(), 1);
    QCOMPARE(got.branches[0].frameIndex, 1);
    QCOMPARE(got.branches[0].probability, 100);
    QCOMPARE(read.character->animations[1].returnAnimation, QString());
    QCOMPARE(read.character->animations[0].returnAnimation, QStringLiteral("B"));
    QVERIFY(!read.character->states.contains(QStringLiteral("HIDING")));
    QCOMPARE(read.character->states.value(QStringLiteral("SHOWING")),
             QStringList{QStringLiteral("A")});
    QVERIFY(read.character->animation(QStringLiteral("b")));
}

void TestAcsFile::zeroDurationLoopsGetADuration()
{
    Character ch = smallCharacter();
    auto frame = [](int duration, QList<Branch> branches) {
        Frame f;
        f.durationMs = duration;
        f.branches = std::move(branches);
        return f;
    };
    // 0 loops on itself; 1 -> 2 -> 1; 3 leads into a timed loop; 4 -> 5 ends.
    ch.animations[1].frames = {frame(0, {{0, 100}}),  frame(0, {}), frame(0, {{1, 100}}),
                               frame(0, {{6, 100}}),  frame(0, {}), frame(0, {}),
                               frame(100, {{6, 100}})};
    ch.animations[1].frames[4].branches = {{5, 100}};
    const ReadResult read = readAcs(writeAcs(ch, false));
    QVERIFY2(read.character, qPrintable(read.error));
    QList<int> durations;
    for (const Frame& f : read.character->animations[1].frames)
        durations.append(f.durationMs);
    QCOMPARE(durations, (QList<int>{10, 10, 10, 0, 0, 0, 100}));
}

QTEST_GUILESS_MAIN(TestAcsFile)
#include "tst_acsfile.moc"
