#include "reading/VoiceTable.h"
#include "reading/audio/FailoverAudioOutput.h"
#include "reading/audio/SilentAudioOutput.h"
#include "reading/espeak/EspeakChunk.h"
#include "reading/espeak/EspeakEngine.h"

#include <QHash>
#include <QSignalSpy>
#include <QTest>

#include <algorithm>
#include <cmath>

using namespace lirondo;
using namespace Qt::StringLiterals;

namespace {

// Fast enough for tests, slow enough that espeak stays well ahead of the clock.
constexpr double kSpeed = 20.0;
constexpr int kTimeoutMs = 60000;
constexpr int kRate = 10000; // of the outputs tested alone

// A silent output that keeps what it was given, with the gain applied; or one whose
// device cannot be opened.
class RecordingOutput final : public SilentAudioOutput
{
public:
    explicit RecordingOutput(double speed, bool broken = false)
        : SilentAudioOutput(speed), m_broken(broken)
    {}
    bool start(int rate) override { return !m_broken && SilentAudioOutput::start(rate); }
    qint64 write(const char* data, qint64 bytes) override
    {
        const qint64 taken = SilentAudioOutput::write(data, bytes);
        const auto* samples = reinterpret_cast<const short*>(data);
        for (qint64 i = 0; i < taken / 2; ++i)
            recorded.push_back(short(samples[i] * gain()));
        return taken;
    }
    // Audio heard: a flush drops what was written but not yet played.
    void flush() override
    {
        m_heardUSecs += playedUSecs();
        SilentAudioOutput::flush();
    }
    qint64 heard() const { return m_heardUSecs + playedUSecs(); }
    std::vector<short> recorded;

private:
    bool m_broken;
    qint64 m_heardUSecs = 0;
};

// A sound-server output whose server can be taken away.
class FakeSound : public SilentAudioOutput
{
public:
    using SilentAudioOutput::SilentAudioOutput;
    void die() { Q_EMIT failed(); }
};
// What each word event selects in `text`, checking that they come in order.
QStringList selected(const QSignalSpy& words, const QString& text, int stream = 0)
{
    QStringList out;
    int previous = -1;
    for (const QList<QVariant>& args : words) {
        const int position = args.at(1).toInt();
        const int length = args.at(2).toInt();
        if ((stream && args.at(0).toInt() != stream) || position <= previous || length <= 0)
            return {u"bad event at %1"_s.arg(position)};
        previous = position;
        out.append(text.mid(position, length));
    }
    return out;
}

QList<int> streams(const QSignalSpy& ends)
{
    QList<int> out;
    for (const QList<QVariant>& args : ends)
        out.append(args.at(0).toInt());
    return out;
}

} // namespace

// Speech without a sound server: the silent and failover outputs alone, how text is cut
// for espeak-ng, and the engine itself on the real espeak-ng.
class TestEspeak : public QObject
{
    Q_OBJECT

    RecordingOutput* m_recorder = nullptr; // of the last engine made
    VoiceTable m_table;

    std::unique_ptr<EspeakEngine> makeEngine(double speed = kSpeed, bool broken = false)
    {
        auto output = std::make_unique<RecordingOutput>(speed, broken);
        m_recorder = output.get();
        return std::make_unique<EspeakEngine>(std::move(output));
    }

    // Speaks `text` and waits for its end; the stream, or 0 when it never ended.
    static int speakToEnd(SpeechEngine& engine, const QString& text)
    {
        QSignalSpy ends(&engine, &SpeechEngine::endStream);
        const int stream = engine.speak(text, SpeechEngine::Async);
        const bool ended = QTest::qWaitFor([&] { return !ends.isEmpty(); }, kTimeoutMs);
        return ended && streams(ends) == QList<int>{stream} ? stream : 0;
    }

    // The samples of `text` spoken to its end by the last engine made; none if it never ended.
    std::vector<short> recordedFor(SpeechEngine& engine, const QString& text)
    {
        m_recorder->recorded.clear();
        return speakToEnd(engine, text) ? m_recorder->recorded : std::vector<short>{};
    }

private Q_SLOTS:
    void initTestCase()
    {
        auto engine = makeEngine();
        QVERIFY2(engine->isValid(), "espeak-ng did not start (is espeak-ng-data installed?)");
        m_table = VoiceTable::build(engine->voices());
    }

    void clockNeverPassesWhatWasWritten()
    {
        SilentAudioOutput out(50.0);
        QVERIFY(out.start(kRate));
        const QByteArray data(kRate / 10 * 2, 0); // 100 ms of silence
        QCOMPARE(out.write(data.data(), data.size()), data.size());
        QTRY_COMPARE(out.playedUSecs(), qint64(100000));
        QTest::qWait(50);
        QCOMPARE(out.playedUSecs(), qint64(100000));

        // After running dry the clock goes on from where it stopped, not from real time.
        QCOMPARE(out.write(data.data(), data.size()), data.size());
        QVERIFY(out.playedUSecs() < 200000);
        QTRY_COMPARE(out.playedUSecs(), qint64(200000));
    }

    void takesOnlyWholeSamplesAndABoundedLead()
    {
        SilentAudioOutput out(1.0);
        QVERIFY(out.start(kRate));
        const QByteArray data(kRate * 20, 0); // ten seconds
        QCOMPARE(out.write(data.data(), 3), qint64(2));
        const qint64 taken = out.write(data.data(), data.size());
        QVERIFY(taken > 0 && taken < data.size());
        QCOMPARE(taken % 2, qint64(0));
    }

    void suspendStopsTheClockAndFlushKeepsIt()
    {
        SilentAudioOutput out(20.0);
        QVERIFY(out.start(kRate));
        const QByteArray data(kRate, 0); // half a second
        out.write(data.data(), data.size());
        out.suspend();
        const qint64 at = out.playedUSecs();
        QTest::qWait(50);
        QCOMPARE(out.playedUSecs(), at);
        out.resume();
        QTRY_VERIFY(out.playedUSecs() > at);

        // Flushed while suspended: empty, and what comes next waits for the resume.
        out.suspend();
        out.flush();
        QCOMPARE(out.playedUSecs(), qint64(0));
        out.write(data.data(), 200);
        QTest::qWait(20);
        QCOMPARE(out.playedUSecs(), qint64(0));
    }

    // The server lost: silent at once with the lost stream counted as heard, one notice
    // per loss, sound again at the next flush or while playing silently.
    void failoverKeepsTheClockAndSaysSoOnce()
    {
        bool serverUp = false;
        FakeSound* sound = nullptr;
        FailoverAudioOutput out(
            [&]() -> std::unique_ptr<AudioOutput> {
                auto made = serverUp ? std::make_unique<FakeSound>(50.0) : nullptr;
                sound = made.get();
                return made;
            },
            std::make_unique<SilentAudioOutput>(1.0));
        QStringList said;
        connect(&out, &FailoverAudioOutput::notice, this,
                [&](const QString& text) { said << text; });
        QVERIFY(out.start(kRate)); // no server at all: silent, and said so
        QVERIFY(!out.hasSound());
        QTRY_COMPARE(said, QStringList{noSoundNotice()});

        serverUp = true;
        out.flush(); // a read command
        QVERIFY(out.hasSound());
        QTRY_COMPARE(said, (QStringList{noSoundNotice(), QString()}));

        const QByteArray data(kRate / 10 * 2, 0);
        out.suspend(); // held, so nothing of it is heard before the loss
        QCOMPARE(out.write(data.data(), data.size()), data.size());
        sound->die();
        QTRY_VERIFY(!out.hasSound());
        QCOMPARE(out.playedUSecs(), qint64(100000));
        out.resume();
        QCOMPARE(out.write(data.data(), 2000), qint64(2000));
        QTRY_VERIFY(out.playedUSecs() > 100000);

        // Still silent after the flush: no second notice for the same loss.
        serverUp = false;
        out.flush();
        QVERIFY(!out.hasSound());
        QTest::qWait(20);
        QCOMPARE(said.size(), 3);

        // Back while playing silently, without a read command.
        serverUp = true;
        QTRY_VERIFY_WITH_TIMEOUT((out.write(data.data(), data.size()), out.hasSound()), 5000);
        sound->die();
        QTRY_COMPARE(said, (QStringList{noSoundNotice(), QString(), noSoundNotice(), QString(),
                                        noSoundNotice()}));
    }

    void cutsWhereSpeechPauses_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("begin");
        QTest::addColumn<int>("expected");
        QTest::addColumn<bool>("atBreak");

        // Limits in these rows: at least 4, at most 10 characters.
        QTest::newRow("short rest is one chunk") << u"Hi there."_s << 0 << 9 << false;
        QTest::newRow("after the last sentence end") << u"Ab. Cd. Ef gh ij"_s << 0 << 7 << true;
        QTest::newRow("sentence end needs a blank after it")
            << u"Abc 3.14159 x"_s << 0 << 4 << false;
        QTest::newRow("after a line break") << u"abcde\nfghijklmnop"_s << 0 << 6 << true;
        QTest::newRow("Chinese full stop needs no blank")
            << u"你好世界。我们走吧好吗"_s << 0 << 5 << true;
        QTest::newRow("else after the last blank") << u"abcd efg hijklmnop"_s << 0 << 9 << false;
        QTest::newRow("else at the limit") << u"abcdefghijklmnop"_s << 0 << 10 << false;
        QTest::newRow("never inside a surrogate pair") << u"abcdefghi😀jklmn"_s << 0 << 9 << false;
        QTest::newRow("counted from begin") << u"xx. abcd. efgh ijkl"_s << 4 << 9 << true;
    }
    void cutsWhereSpeechPauses()
    {
        QFETCH(QString, text);
        QFETCH(int, begin);
        QFETCH(bool, atBreak);
        bool gotBreak = !atBreak;
        QTEST(int(chunkEnd(text, begin, 4, 10, &gotBreak)), "expected");
        QCOMPARE(gotBreak, atBreak);
    }

    void mapsCodePointsToUtf16_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("begin");
        QTest::addColumn<QList<qsizetype>>("offsets"); // of code points 1, 2, ... and the end

        QTest::newRow("ascii") << u"xxabc"_s << 2 << QList<qsizetype>{2, 3, 4, 5};
        QTest::newRow("pair counts once") << u"a😀b"_s << 0 << QList<qsizetype>{0, 1, 3, 4};
        QTest::newRow("lone surrogate counts once")
            << (u"a"_s + QChar(0xD800) + u"b"_s) << 0 << QList<qsizetype>{0, 1, 2, 3};
        // espeak would take a NUL for the end of the text.
        QTest::newRow("embedded NUL")
            << (u"ab"_s + QChar(0) + u"cd"_s) << 0 << QList<qsizetype>{0, 1, 2, 3, 4, 5};
        QTest::newRow("empty") << QString() << 0 << QList<qsizetype>{0};
    }
    void mapsCodePointsToUtf16()
    {
        QFETCH(QString, text);
        QFETCH(int, begin);
        QFETCH(QList<qsizetype>, offsets);
        const EspeakChunk chunk = makeChunk(text, begin, text.size());
        QCOMPARE(QList<qsizetype>(chunk.cpOffsets.begin(), chunk.cpOffsets.end()), offsets);
        // The UTF-8 text has as many code points as the map says.
        QVERIFY(!chunk.utf8.contains('\0'));
        QCOMPARE(QString::fromUtf8(chunk.utf8).toUcs4().size(), offsets.size() - 1);
    }

    void wordsSelectTheirWords_data()
    {
        QTest::addColumn<bool>("chinese"); // the voice, else English
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("words"); // separated by blanks

        QTest::newRow("english") << false << u"Hello world. The cat sat."_s
                                 << u"Hello world The cat sat"_s;
        QTest::newRow("mandarin") << true << u"你好世界。我们走吧！"_s
                                  << u"你 好 世 界 我 们 走 吧"_s;
        // Plain text: markup characters are read, not interpreted.
        QTest::newRow("markup is text")
            << false << u"Good <b> bye &amp; you."_s << u"Good b bye & amp you"_s;
        QTest::newRow("line breaks") << false << u"one\r\ntwo\n\nthree"_s << u"one two three"_s;
        // Many chunks, cut after blanks and now and then after a line break, with a pair of
        // UTF-16 units per line that espeak counts as one character: any offset not carried
        // across chunks, or counted in code points, shows.
        QTest::newRow("positions across chunks")
            << false << (u"Go 😀 now, "_s.repeated(29) + u"Go 😀 now.\n"_s).repeated(4)
            << u"Go 😀 now "_s.repeated(120).trimmed();
    }
    void wordsSelectTheirWords()
    {
        QFETCH(bool, chinese);
        QFETCH(QString, text);
        auto engine = makeEngine(2000.0); // only synthesis need keep up
        engine->setVoice(chinese ? m_table.chinese : m_table.english);
        QSignalSpy wordSpy(engine.get(), &SpeechEngine::word);
        const int stream = speakToEnd(*engine, text);
        QVERIFY(stream > 0);
        QTEST(selected(wordSpy, text, stream).join(u' '), "words");
    }

    // The table finds both voices, and the one chosen is the one heard: the English voice
    // names each Chinese character at length.
    void voicesListedAndChosen()
    {
        auto engine = makeEngine();
        QCOMPARE(engine->voices().value(m_table.english).languages.value(0), u"en-us"_s);
        QCOMPARE(engine->voices().value(m_table.chinese).languages.value(0), u"cmn"_s);
        engine->setVoice(m_table.chinese);
        const size_t chinese = recordedFor(*engine, u"世界"_s).size();
        engine->setVoice(m_table.english);
        const size_t english = recordedFor(*engine, u"世界"_s).size();
        QVERIFY2(chinese > 0 && 2 * chinese < english,
                 qPrintable(u"%1 %2"_s.arg(chinese).arg(english)));
    }

    void purgeDropsTheRest_data()
    {
        QTest::addColumn<QString>("next"); // spoken with the purge; empty: just stop
        QTest::addColumn<QString>("words");
        QTest::newRow("stop") << QString() << QString();
        QTest::newRow("purge and speak") << u"Only this."_s << u"Only this"_s;
    }
    void purgeDropsTheRest()
    {
        QFETCH(QString, next);
        auto engine = makeEngine();
        QSignalSpy wordSpy(engine.get(), &SpeechEngine::word);
        QSignalSpy endSpy(engine.get(), &SpeechEngine::endStream);
        engine->speak(u"Read again and again. "_s.repeated(50), SpeechEngine::Async);
        engine->speak(u"Queued behind it."_s, SpeechEngine::Async);
        QTRY_VERIFY_WITH_TIMEOUT(wordSpy.size() >= 3, kTimeoutMs);

        const int fresh = engine->speak(next, SpeechEngine::Async | SpeechEngine::PurgeBeforeSpeak);
        wordSpy.clear();
        QTRY_COMPARE_WITH_TIMEOUT(endSpy.size(), next.isEmpty() ? 0 : 1, kTimeoutMs);
        QTest::qWait(next.isEmpty() ? 1000 : 300);
        QCOMPARE(streams(endSpy), next.isEmpty() ? QList<int>() : QList<int>{fresh});
        QTEST(selected(wordSpy, next, fresh).join(u' '), "words");
    }

    // Texts queued behind a paused one wait too, and each ends in turn; an empty text is
    // not spoken at all.
    void pauseFreezesAndResumeGoesOn()
    {
        auto engine = makeEngine();
        QSignalSpy wordSpy(engine.get(), &SpeechEngine::word);
        QSignalSpy endSpy(engine.get(), &SpeechEngine::endStream);
        const QString text = u"one two three four five six seven eight nine ten eleven"_s;
        const int first = engine->speak(text, SpeechEngine::Async);
        const int second = engine->speak(u"Twelve."_s, SpeechEngine::Async);
        QVERIFY(second > first);
        QCOMPARE(engine->speak(QString(), SpeechEngine::Async), 0);
        QTRY_VERIFY_WITH_TIMEOUT(wordSpy.size() >= 2, kTimeoutMs);
        engine->pause();
        const qsizetype paused = wordSpy.size();
        QTest::qWait(1000); // 20 s of audio at this speed
        QCOMPARE(wordSpy.size(), paused);
        QCOMPARE(endSpy.size(), 0);

        engine->resume();
        QTRY_COMPARE_WITH_TIMEOUT(endSpy.size(), 2, kTimeoutMs);
        QTest::qWait(300);
        QCOMPARE(streams(endSpy), (QList<int>{first, second}));
        QCOMPARE(wordSpy.takeLast().at(0).toInt(), second);
        QCOMPARE(selected(wordSpy, text, first), text.split(u' '));
    }

    void volumeIsAGainOnTheSamples()
    {
        auto engine = makeEngine();
        for (int volume : {0, 100}) {
            engine->setVolume(volume);
            const std::vector<short> pcm = recordedFor(*engine, u"Loud and clear."_s);
            QVERIFY(!pcm.empty());
            QCOMPARE(std::ranges::all_of(pcm, [](short s) { return s == 0; }), volume == 0);
        }
    }

    // Each of the 21 positions is heard as a speed of its own, each step about the same
    // factor (3 to the power 1/10), 9 times faster from end to end.
    void everyRateIsItsOwnSpeed_data()
    {
        QTest::addColumn<bool>("chinese");
        QTest::addColumn<QString>("text");
        QTest::newRow("english") << false << u"The quick brown fox jumps over the lazy dog."_s;
        QTest::newRow("mandarin") << true << u"今天天气很好，我们去公园散步吧。"_s;
    }
    void everyRateIsItsOwnSpeed()
    {
        QFETCH(bool, chinese);
        QFETCH(QString, text);
        auto engine = makeEngine(2000.0);
        engine->setVoice(chinese ? m_table.chinese : m_table.english);
        QList<double> seconds;
        for (int rate = -10; rate <= 10; ++rate) {
            engine->setRate(rate);
            seconds.append(double(recordedFor(*engine, text).size()) / engine->sampleRate());
        }
        for (int i = 1; i < seconds.size(); ++i) {
            const double step = seconds.at(i - 1) / seconds.at(i);
            QVERIFY2(step > 1.03 && step < 1.4, qPrintable(u"rate %1: %2"_s.arg(i - 10).arg(step)));
        }
        const double span = seconds.first() / seconds.last();
        QVERIFY2(span > 7.0 && span < 11.0, qPrintable(QString::number(span)));
    }

    // A rate change mid-text is heard from the word being heard: the audio made ahead at
    // the old rate is dropped, and no word is skipped or raised twice.
    void rateChangeIsHeardAtOnce()
    {
        auto engine = makeEngine();
        const QString text =
            u"alpha bravo charlie delta echo foxtrot golf hotel india juliet "_s.repeated(3)
                .trimmed();
        QHash<int, qint64> constant; // heard microseconds at one rate throughout
        for (int rate : {-10, 10}) {
            engine->setRate(rate);
            const qint64 before = m_recorder->heard();
            QVERIFY(speakToEnd(*engine, text));
            constant[rate] = m_recorder->heard() - before;
        }
        for (int from : {-10, 10}) {
            const int to = -from;
            engine->setRate(from);
            const qint64 before = m_recorder->heard();
            QSignalSpy wordSpy(engine.get(), &SpeechEngine::word);
            // Changed in the handler of the third word, as the slider would while it is heard.
            const auto changer = connect(engine.get(), &SpeechEngine::word, this, [&] {
                if (wordSpy.size() == 3)
                    engine->setRate(to);
            });
            const int stream = speakToEnd(*engine, text);
            disconnect(changer);
            QVERIFY(stream);
            QCOMPARE(selected(wordSpy, text, stream), text.split(u' '));
            // Share of the difference between the two rates heard at the old one: 2.5 words
            // of 30 when the change takes hold within the third word, give or take the
            // pauses of a text read on from its middle.
            const double share = double(m_recorder->heard() - before - constant[to]) /
                                 double(constant[from] - constant[to]);
            QVERIFY2(std::abs(share) < 0.25,
                     qPrintable(u"%1 to %2: %3"_s.arg(from).arg(to).arg(share)));
        }
    }

    void readsOnSilentlyWhenTheOutputWillNotOpen()
    {
        auto engine = makeEngine(kSpeed, true);
        QVERIFY(engine->output() != m_recorder);
        QVERIFY(speakToEnd(*engine, u"Still read."_s));
    }
};

QTEST_GUILESS_MAIN(TestEspeak)
#include "tst_espeak.moc"
