#include "assistant/AcsCompression.h"
#include "assistant/AcsFile.h"

#include "MerlinArt.h"

#include <QFile>
#include <QTest>
#include <QtEndian>

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
        for (int i = 0; i < count; ++i, m_used = (m_used + 1) & 7) {
            if (m_used == 0)
                m_out.append('\0');
            if ((value >> i) & 1)
                m_out.back() = char(quint8(m_out.back()) | (1 << m_used));
        }
        return *this;
    }
    Bits& literals(const QByteArray& s)
    {
        for (char c : s)
            put(0, 1).put(quint8(c), 8);
        return *this;
    }
    // A back-reference: distance tier 0..3 (unary prefix 0, 10, 110 or 111, then a 6-, 9-,
    // 12- or 20-bit field), then the length: k one bits, a zero, k bits of value.
    Bits& reference(int tier, quint32 field, int k = 0, quint32 v = 0)
    {
        const int prefixBits[] = {1, 2, 3, 3};
        const int fieldBits[] = {6, 9, 12, 20};
        return put(1, 1)
            .put((1u << tier) - 1, prefixBits[tier])
            .put(field, fieldBits[tier])
            .put((1u << k) - 1, k + 1)
            .put(v, k);
    }
    QByteArray end() { return put(1, 1).put(0x7, 3).put(0xFFFFF, 20).m_out; }

private:
    QByteArray m_out;
    int m_used = 0;
};

QByteArray pattern(int size, quint32 seed)
{
    QByteArray out(size, '\0');
    for (char& c : out)
        c = char((seed = seed * 1103515245u + 12345u) >> 16);
    return out;
}

quint32 u32At(const QByteArray& b, qsizetype at)
{
    return qFromLittleEndian<quint32>(b.constData() + at);
}

QByteArray patched(QByteArray b, qsizetype at, quint32 v, int bytes = 4)
{
    for (int i = 0; i < bytes; ++i)
        b[at + i] = char(v >> (8 * i));
    return b;
}

// Two images, two animations, a state: every section present and small.
Character smallCharacter()
{
    Character ch;
    ch.name = QStringLiteral("Tiny");
    ch.frameWidth = 8;
    ch.frameHeight = 6;
    for (int i = 0; i < 256; ++i)
        ch.palette.append(qRgb(i, 255 - i, i / 2));
    ch.images.append({5, 3, QByteArray("\1\2\3\4\5\0\0\7\7\0\6\6\6\6\6", 15)});
    ch.images.append({3, 2, QByteArray("\11\11\11\0\11\0", 6)});
    Frame f0{{{1, 1, 1}, {0, 0, 0}}, 100, 1, {}};
    Frame f1{{{0, 2, 2}}, 250, -1, {{0, 30}, {1, 70}}};
    ch.animations.append({QStringLiteral("A"), QStringLiteral("B"), 0, {f0, f1}});
    ch.animations.append({QStringLiteral("B"), {}, 2, {Frame{{{0, 2, 2}}, 250, -1, {{0, 40}}}}});
    ch.states.insert(QStringLiteral("SHOWING"), {QStringLiteral("A")});
    return ch;
}

// Every field the reader fills, one line per item, so a mismatch names the item.
QStringList describe(const Character& c)
{
    QStringList lines{c.name, QString::number(c.frameWidth), QString::number(c.frameHeight),
                      QString::number(c.transparentIndex)};
    for (const Image& i : c.images)
        lines << QStringLiteral("%1x%2 ").arg(i.width).arg(i.height) +
                     QString::fromLatin1(i.pixels.toHex());
    for (const Animation& a : c.animations) {
        lines
            << QStringLiteral("%1 -> %2 (%3)").arg(a.name, a.returnAnimation).arg(a.transitionType);
        for (const Frame& f : a.frames) {
            QString line = QStringLiteral("  %1 ms, exit %2:").arg(f.durationMs).arg(f.exitFrame);
            for (const FrameImage& i : f.images)
                line += QStringLiteral(" image %1 at %2,%3").arg(i.imageIndex).arg(i.x).arg(i.y);
            for (const Branch& b : f.branches)
                line += QStringLiteral(" to %1 at %2%").arg(b.frameIndex).arg(b.probability);
            lines << line;
        }
    }
    return lines;
}

void compareCharacters(const Character& got, const Character& want)
{
    QCOMPARE(describe(got), describe(want));
    QCOMPARE(got.palette, want.palette);
    QCOMPARE(got.states, want.states);
}

} // namespace

class TestAcsFile : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    // expected null: the stream must be refused.
    void handMadeStream_data()
    {
        QTest::addColumn<QByteArray>("stream");
        QTest::addColumn<int>("maxOutput");
        QTest::addColumn<QByteArray>("expected");
        const auto good = [](const char* name, const QByteArray& stream, const QByteArray& out) {
            QTest::newRow(name) << stream << int(out.size()) << out;
        };
        const auto bad = [](const char* name, const QByteArray& stream, int maxOutput) {
            QTest::newRow(name) << stream << maxOutput << QByteArray();
        };
        good("6-bit distance", Bits().literals("xy").reference(0, 1).end(), "xyxy");
        good("overlapping copy", Bits().literals("z").reference(0, 0, 2, 1).end(),
             QByteArray(7, 'z'));
        good("length k = 11", Bits().literals("r").reference(0, 0, 11, 2047).end(),
             QByteArray(4097, 'r'));
        const QByteArray base = pattern(5000, 7);
        good("9-bit distance (65)", Bits().literals(base.first(65)).reference(1, 0).end(),
             base.first(65) + base.first(2));
        good("12-bit distance (600)",
             Bits().literals(base.first(600)).reference(2, 600 - 577, 1, 0).end(),
             base.first(600) + base.first(3));
        good("20-bit distance (4673), 3 bytes at least",
             Bits().literals(base.first(4673)).reference(3, 0).end(),
             base.first(4673) + base.first(3));

        bad("empty input", QByteArray(), 10);
        bad("first byte not 0", patched(Bits().literals("A").end(), 0, 1, 1), 10);
        bad("cut before the end marker", Bits().literals("AB").end().chopped(3), 10);
        bad("distance before the start", Bits().literals("a").reference(0, 1).end(), 10);
        bad("copy past the size limit", Bits().literals("a").reference(0, 0, 3, 0).end(), 5);
        bad("twelve 1 bits in a length",
            Bits().literals("a").put(1, 1).put(0, 7).put(0xFFF, 12).put(0, 1).end(), 100000);
    }
    void handMadeStream()
    {
        QFETCH(QByteArray, stream);
        QFETCH(int, maxOutput);
        QFETCH(QByteArray, expected);
        const std::optional<QByteArray> out = decompress(stream, maxOutput);
        QCOMPARE(out.has_value(), !expected.isNull());
        if (out)
            QCOMPARE(*out, expected);
    }

    // What the reader makes of a file: every animation, frame, duration, branch and pixel
    // of our character, with images compressed or raw; an image's first byte, which means
    // nothing known (files hold 0 or 1 there), skipped whatever it holds; references to
    // nothing dropped; frames of duration 0 that can loop among themselves (they would
    // spin a player) given a duration.
    void readsBack_data()
    {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<Character>("expected");
        const Character merlin = merlin::makeMerlin();
        QTest::newRow("ours, raw") << writeAcs(merlin, false) << merlin;
        QTest::newRow("ours, compressed") << writeAcs(merlin, true) << merlin;

        const QByteArray good = writeAcs(smallCharacter(), true);
        const quint32 images = u32At(good, 20);
        for (const quint8 first : {0, 0xFF}) {
            QByteArray file = good;
            for (quint32 i = 0; i < u32At(good, images); ++i)
                file[u32At(good, images + 4 + 12 * i)] = char(first);
            QTest::addRow("image first byte %d", first) << file << smallCharacter();
        }

        Character bad = smallCharacter();
        Frame& f = bad.animations[0].frames[0];
        f.images.append({7, 0, 0});       // no image 7
        f.exitFrame = 9;                  // no frame 9
        f.branches = {{5, 50}, {1, 250}}; // no frame 5; more than 100 %
        bad.animations[1].returnAnimation = QStringLiteral("Nowhere");
        bad.states[QStringLiteral("HIDING")] = {QStringLiteral("Gone")};
        bad.states[QStringLiteral("SHOWING")].append(QStringLiteral("Gone"));
        Character kept = smallCharacter();
        kept.animations[0].frames[0].exitFrame = -1;
        kept.animations[0].frames[0].branches = {{1, 100}};
        QTest::newRow("bad references") << writeAcs(bad, false) << kept;

        const auto frame = [](int ms, QList<Branch> branches = {}) {
            return Frame{{}, ms, -1, std::move(branches)};
        };
        Character loops = smallCharacter();
        // 0 loops on itself; 1 -> 2 -> 1; 3 leads into a timed loop; 4 -> 5 ends.
        loops.animations[1].frames = {
            frame(0, {{0, 100}}), frame(0), frame(0, {{1, 100}}),  frame(0, {{6, 100}}),
            frame(0, {{5, 100}}), frame(0), frame(100, {{6, 100}})};
        Character timed = loops;
        for (const int i : {0, 1, 2})
            timed.animations[1].frames[i].durationMs = 10;
        QTest::newRow("zero-duration loops") << writeAcs(loops, false) << timed;
    }
    void readsBack()
    {
        QFETCH(QByteArray, file);
        QFETCH(Character, expected);
        const ReadResult read = readAcs(file);
        QVERIFY2(read.character, qPrintable(read.error));
        compareCharacters(*read.character, expected);
    }

    // The file in the build is our character, compressed.
    void builtFileIsOurs()
    {
        QFile built(QString::fromUtf8(LIRONDO_MERLIN_ACS));
        QVERIFY2(built.open(QIODevice::ReadOnly), qPrintable(built.fileName()));
        const QByteArray file = built.readAll();
        const Character merlin = merlin::makeMerlin();
        QVERIFY(file == writeAcs(merlin, true));
        QVERIFY(file.size() < writeAcs(merlin, false).size() / 3);
    }

    // The first image on top; the transparent colour cut out; images over the edges clipped.
    void composesFirstImageOnTop()
    {
        Character ch = smallCharacter();
        const auto colour = [&](int index) { return ch.palette[index] | 0xFF000000u; };
        QCOMPARE(ch.frameImage(0, 0).pixel(1, 1), colour(9)); // image 1 (at 1,1) over image 0
        QCOMPARE(ch.frameImage(0, 0).pixel(1, 2), colour(6)); // through image 1's transparency
        QCOMPARE(qAlpha(ch.frameImage(0, 0).pixel(0, 1)), 0);
        ch.animations[0].frames[0].images = {{0, -3, -1}, {0, 6, 4}};
        QCOMPARE(ch.frameImage(0, 0).pixel(0, 0), colour(7));
        QCOMPARE(ch.frameImage(0, 0).pixel(7, 4), colour(2));
        QCOMPARE(qAlpha(ch.frameImage(0, 0).pixel(7, 5)), 0);
    }

    void corruptFile_data()
    {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<QString>("error");
        const QByteArray good = writeAcs(smallCharacter(), true);
        for (qsizetype size = 0; size < good.size(); ++size)
            QTest::addRow("cut to %d bytes", int(size)) << good.first(size) << QString();
        // Past the cuts: what a cut file cannot show, a locator or count that is too large.
        const quint32 info = u32At(good, 4), animations = u32At(good, 12), images = u32At(good, 20);
        const quint32 firstAnimation = u32At(good, animations + 12),
                      firstImage = u32At(good, images + 4);
        const auto row = [](const char* name, const QByteArray& file, const char* error) {
            QTest::newRow(name) << file << QString::fromUtf8(error);
        };
        row("not a character file", patched(good, 0, 0x12345678), "Not a");
        row("locator wrapping around 32 bits", patched(good, 8, 0xFFFFFFF0u), "outside the");
        row("frame height 60000", patched(good, info + 0x1E, 60000, 2), "frame size");
        row("huge animation count", patched(good, animations, ~0u), "animation count");
        // Animation "A": name (8 bytes), transition (1), return "B" (8), frame count.
        row("huge frame count", patched(good, firstAnimation + 17, 0xFFFF, 2), "frame count");
        row("image 65535x65535", patched(good, firstImage + 1, ~0u), "cannot come from");
        // The compressed stream's leading 0.
        row("damaged compressed pixels", patched(good, firstImage + 10, 1, 1), "damaged");
        row("frame width 0", patched(good, info + 0x1C, 0, 2), "frame size");
        const QByteArray raw = writeAcs(smallCharacter(), false);
        row("raw pixels fewer than the size needs",
            patched(raw, u32At(raw, u32At(raw, 20) + 4) + 6, 8), "cannot come from");
        Character away = smallCharacter();
        for (Animation& anim : away.animations)
            for (Frame& frame : anim.frames)
                for (FrameImage& fi : frame.images)
                    fi.x = 8;
        row("every image beside the frame", writeAcs(away, true), "No frame shows anything");
        Character stacked = smallCharacter();
        stacked.animations[1].frames[0].images = QList<FrameImage>(60, FrameImage{0, 1, 1});
        row("a frame stacking 60 images", writeAcs(stacked, true), "too many images");
        // Many directory entries sharing one animation: the work stays bounded.
        const QByteArray entries =
            (QByteArray("\1\0\0\0A\0\0\0", 8) + good.mid(animations + 12, 8)).repeated(2000);
        QByteArray shared = patched(good, animations, 2000 + 2);
        shared.insert(animations + 4, entries);
        for (const int locator : {16, 20, 28})
            shared = patched(shared, locator, u32At(shared, locator) + quint32(entries.size()));
        row("animation data shared too often", shared, "overlaps");
    }
    void corruptFile()
    {
        QFETCH(QByteArray, file);
        QFETCH(QString, error);
        const ReadResult read = readAcs(file);
        QVERIFY(!read.character && !read.error.isEmpty());
        QVERIFY2(read.error.contains(error), qPrintable(read.error));
    }
};

QTEST_GUILESS_MAIN(TestAcsFile)
#include "tst_acsfile.moc"
