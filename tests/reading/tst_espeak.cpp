#include "common/Gbk.h"
#include "reading/VoiceTable.h"
#include "reading/audio/SilentAudioOutput.h"
#include "reading/espeak/EspeakEngine.h"
#include "reading/espeak/EspeakSynthesizer.h"
#include "reading/modfenkai.h"

#include <QSignalSpy>
#include <QTest>

#include <algorithm>

using namespace lirondo;
using namespace Qt::StringLiterals;

namespace {

// Fast enough for tests, slow enough that espeak stays well ahead of the clock.
constexpr double kSpeed = 20.0;
constexpr int kTimeoutMs = 60000;

// A silent output that keeps what it was given, with the gain applied.
class RecordingOutput final : public SilentAudioOutput
{
public:
    explicit RecordingOutput(double speed) : SilentAudioOutput(speed) {}

    qint64 write(const char* data, qint64 bytes) override
    {
        const qint64 taken = SilentAudioOutput::write(data, bytes);
        const auto* samples = reinterpret_cast<const short*>(data);
        for (qint64 i = 0; i < taken / 2; ++i)
            recorded.push_back(short(samples[i] * gain()));
        return taken;
    }
    std::vector<short> recorded;
};

// An output whose device cannot be opened.
class BrokenOutput final : public SilentAudioOutput
{
public:
    bool start(int) override { return false; }
};

// What each event of the spy selects in `text`, checking that they come in order.
QStringList selected(const QSignalSpy& spy, const QString& text, int stream = 0)
{
    QStringList out;
    int previous = -1;
    for (const QList<QVariant>& args : spy) {
        const int position = args.at(1).toInt();
        const int length = args.at(2).toInt();
        if ((stream && args.at(0).toInt() != stream) || position <= previous || length <= 0)
            return {u"bad event at %1"_s.arg(position)};
        previous = position;
        out.append(text.mid(position, length));
    }
    return out;
}

int voiceByLanguage(const SpeechEngine& engine, const QString& language)
{
    const QList<VoiceInfo> voices = engine.voices();
    for (int i = 0; i < voices.size(); ++i) {
        if (voices.at(i).languages.value(0) == language)
            return i;
    }
    return -1;
}

} // namespace

class TestEspeak : public QObject
{
    Q_OBJECT

    std::unique_ptr<EspeakEngine> makeEngine(RecordingOutput** recorder = nullptr,
                                             double speed = kSpeed)
    {
        auto output = std::make_unique<RecordingOutput>(speed);
        if (recorder)
            *recorder = output.get();
        return std::make_unique<EspeakEngine>(std::move(output), m_synthesizer);
    }

    // espeak-ng starts once per process: every engine here shares it.
    std::shared_ptr<EspeakSynthesizer> m_synthesizer;

private Q_SLOTS:
    void initTestCase()
    {
        m_synthesizer = std::make_shared<EspeakSynthesizer>();
        QVERIFY2(makeEngine()->isValid(), "espeak-ng did not start (is espeak-ng-data installed?)");
    }

    void wordsSelectTheirWords_data()
    {
        QTest::addColumn<QString>("language");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("words"); // separated by blanks

        QTest::newRow("english") << u"en-us"_s << u"Hello world. The cat sat."_s
                                 << u"Hello world The cat sat"_s;
        QTest::newRow("mandarin") << u"cmn"_s << u"你好世界。我们走吧！"_s
                                  << u"你 好 世 界 我 们 走 吧"_s;
        // Characters outside the BMP shift espeak's code-point positions against UTF-16.
        QTest::newRow("emoji and astral letter")
            << u"en-us"_s << u"I like 😀 cats and 𝒜 dogs."_s << u"I like 😀 cats and 𝒜 dogs"_s;
        QTest::newRow("emoji in mandarin") << u"cmn"_s << u"我😀你 好"_s << u"我 你 好"_s;
        // Plain text: markup characters are read, not interpreted.
        QTest::newRow("markup is text")
            << u"en-us"_s << u"Good <b> bye &amp; you."_s << u"Good b bye & amp you"_s;
        QTest::newRow("line breaks")
            << u"en-us"_s << u"one\r\ntwo\n\nthree"_s << u"one two three"_s;
    }
    void wordsSelectTheirWords()
    {
        QFETCH(QString, language);
        QFETCH(QString, text);
        QFETCH(QString, words);
        auto engine = makeEngine();
        const int voice = voiceByLanguage(*engine, language);
        QVERIFY(voice >= 0);
        engine->setVoice(voice);
        QSignalSpy wordSpy(engine.get(), &SpeechEngine::word);
        QSignalSpy endSpy(engine.get(), &SpeechEngine::endStream);
        const int stream = engine->speak(text, SpeechEngine::Async);
        QVERIFY(stream > 0);
        QTRY_COMPARE_WITH_TIMEOUT(endSpy.size(), 1, kTimeoutMs);
        QCOMPARE(selected(wordSpy, text, stream), words.split(u' '));
    }

    // Many chunks, cut after blanks and now and then after a line break, with a pair of
    // UTF-16 units per line that espeak counts as one character: any offset not carried
    // across chunks, or counted in code points, shows.
    void positionsCountAcrossChunks()
    {
        auto engine = makeEngine(nullptr, 2000.0); // only synthesis need keep up
        engine->setVoice(voiceByLanguage(*engine, u"en-us"_s));
        const QString text = (u"Go 😀 now, "_s.repeated(29) + u"Go 😀 now.\n"_s).repeated(4);
        QSignalSpy wordSpy(engine.get(), &SpeechEngine::word);
        QSignalSpy endSpy(engine.get(), &SpeechEngine::endStream);
        engine->speak(text, SpeechEngine::Async);
        QTRY_COMPARE_WITH_TIMEOUT(endSpy.size(), 1, kTimeoutMs);

        QCOMPARE(wordSpy.size(), 120 * 3);
        for (int i = 0; i < wordSpy.size(); ++i) {
            const int offsets[] = {0, 3, 6};
            const int lengths[] = {2, 2, 3};
            QCOMPARE(wordSpy.at(i).at(1).toInt(), 11 * (i / 3) + offsets[i % 3]);
            QCOMPARE(wordSpy.at(i).at(2).toInt(), lengths[i % 3]);
        }
    }

    // 「Hello世界, OK!」 read in its runs, each with its own voice, one after the other.
    void mixedRunsSpeakWithTheirVoices()
    {
        RecordingOutput* recorder = nullptr;
        auto engine = makeEngine(&recorder);
        const VoiceTable table = VoiceTable::build(engine->voices());
        QCOMPARE(engine->voices().value(table.english).languages.value(0), u"en-us"_s);
        QCOMPARE(engine->voices().value(table.chinese).languages.value(0), u"cmn"_s);
        GbkCodePage gbk;
        modfenkai runs(gbk);
        QVERIFY(runs.SplitText(u"Hello世界, OK!"_s, 0, table.chinese, table.english));
        QSignalSpy wordSpy(engine.get(), &SpeechEngine::word);
        QSignalSpy endSpy(engine.get(), &SpeechEngine::endStream);
        auto samplesOf = [&](const QString& text, int voice) -> size_t {
            const size_t before = recorder->recorded.size();
            const qsizetype ends = endSpy.size();
            engine->setVoice(table.voiceindex.at(voice));
            engine->speak(text, SpeechEngine::Async);
            if (!QTest::qWaitFor([&] { return endSpy.size() > ends; }, kTimeoutMs))
                return 0;
            return recorder->recorded.size() - before;
        };

        QStringList words;
        size_t chineseSamples = 0;
        for (qsizetype k = 0; k < runs.runCount(); ++k) {
            wordSpy.clear();
            const size_t samples = samplesOf(runs.runtext(k), runs.runvoice(k));
            QVERIFY(samples > 0);
            if (runs.runvoice(k) == table.chinese)
                chineseSamples = samples;
            words += selected(wordSpy, runs.runtext(k));
        }
        QCOMPARE(words, (QStringList{u"Hello"_s, u"世"_s, u"界"_s, u"OK"_s}));
        // The English voice names each Chinese character at length.
        QVERIFY(chineseSamples > 0);
        QVERIFY(2 * chineseSamples < samplesOf(u"世界, "_s, table.english));
    }

    void oneEndPerTextSpokenToItsEnd()
    {
        auto engine = makeEngine();
        QSignalSpy endSpy(engine.get(), &SpeechEngine::endStream);
        const int first = engine->speak(u"One."_s, SpeechEngine::Async);
        const int second = engine->speak(u"Two."_s, SpeechEngine::Async);
        QVERIFY(second > first);
        QCOMPARE(engine->speak(QString(), SpeechEngine::Async), 0);
        QTRY_COMPARE_WITH_TIMEOUT(endSpy.size(), 2, kTimeoutMs);
        QTest::qWait(300);
        QCOMPARE(endSpy.size(), 2);
        QCOMPARE(endSpy.at(0).at(0).toInt(), first);
        QCOMPARE(endSpy.at(1).at(0).toInt(), second);
    }

    void purgeDropsTheRest_data()
    {
        QTest::addColumn<QString>("next"); // spoken with the purge; empty: just stop
        QTest::newRow("stop") << QString();
        QTest::newRow("purge and speak") << u"Only this."_s;
    }
    void purgeDropsTheRest()
    {
        QFETCH(QString, next);
        auto engine = makeEngine();
        QSignalSpy wordSpy(engine.get(), &SpeechEngine::word);
        QSignalSpy endSpy(engine.get(), &SpeechEngine::endStream);
        engine->speak(u"This sentence is read again and again. "_s.repeated(50),
                      SpeechEngine::Async);
        engine->speak(u"Queued behind it."_s, SpeechEngine::Async);
        QTRY_VERIFY_WITH_TIMEOUT(wordSpy.size() >= 3, kTimeoutMs);

        const int fresh = engine->speak(next, SpeechEngine::Async | SpeechEngine::PurgeBeforeSpeak);
        wordSpy.clear();
        if (next.isEmpty()) {
            QCOMPARE(fresh, 0);
            QTest::qWait(1000);
        } else {
            QTRY_COMPARE_WITH_TIMEOUT(endSpy.size(), 1, kTimeoutMs);
            QTest::qWait(300);
            QCOMPARE(endSpy.at(0).at(0).toInt(), fresh);
        }
        QCOMPARE(endSpy.size(), next.isEmpty() ? 0 : 1);
        const QStringList expected =
            next.isEmpty() ? QStringList() : QStringList{u"Only"_s, u"this"_s};
        QCOMPARE(selected(wordSpy, next, fresh), expected);
    }

    void pauseFreezesAndResumeGoesOn()
    {
        auto engine = makeEngine();
        QSignalSpy wordSpy(engine.get(), &SpeechEngine::word);
        QSignalSpy endSpy(engine.get(), &SpeechEngine::endStream);
        const QString text =
            u"one two three four five six seven eight nine ten eleven twelve thirteen"_s;
        engine->speak(text, SpeechEngine::Async);
        QTRY_VERIFY_WITH_TIMEOUT(wordSpy.size() >= 2, kTimeoutMs);
        engine->pause();
        const qsizetype paused = wordSpy.size();
        QTest::qWait(1000); // 20 s of audio at this speed
        QCOMPARE(wordSpy.size(), paused);
        QCOMPARE(endSpy.size(), 0);

        engine->resume();
        QTRY_COMPARE_WITH_TIMEOUT(endSpy.size(), 1, kTimeoutMs);
        QCOMPARE(selected(wordSpy, text), text.split(u' '));
    }

    void volumeIsAGainOnTheSamples_data()
    {
        QTest::addColumn<int>("volume");
        QTest::newRow("0") << 0;
        QTest::newRow("100") << 100;
    }
    void volumeIsAGainOnTheSamples()
    {
        QFETCH(int, volume);
        RecordingOutput* recorder = nullptr;
        auto engine = makeEngine(&recorder);
        QSignalSpy endSpy(engine.get(), &SpeechEngine::endStream);
        engine->setVolume(volume);
        engine->speak(u"Loud and clear."_s, SpeechEngine::Async);
        QTRY_COMPARE_WITH_TIMEOUT(endSpy.size(), 1, kTimeoutMs);
        QVERIFY(!recorder->recorded.empty());
        const bool allZero = std::all_of(recorder->recorded.begin(), recorder->recorded.end(),
                                         [](short s) { return s == 0; });
        QCOMPARE(allZero, volume == 0);
    }

    // A rate set while a long text is read is heard before the text ends: the words come
    // closer together on the output's clock.
    void rateTakesHoldWithinTheText()
    {
        auto engine = makeEngine();
        engine->setRate(-5);
        QList<qint64> at; // audio time of each word, in microseconds
        connect(engine.get(), &SpeechEngine::word, this,
                [&] { at.append(engine->currentEventUSecs()); });
        QSignalSpy endSpy(engine.get(), &SpeechEngine::endStream);
        engine->speak(u"Read this short line once more. "_s.repeated(24), SpeechEngine::Async);
        QTRY_VERIFY_WITH_TIMEOUT(at.size() >= 12, kTimeoutMs);
        engine->setRate(5);
        QTRY_COMPARE_WITH_TIMEOUT(endSpy.size(), 1, kTimeoutMs);
        QCOMPARE(at.size(), 24 * 6);
        const qint64 early = at.at(11) - at.at(1);
        const qint64 late = at.last() - at.at(at.size() - 11);
        QVERIFY2(late * 2 < early, qPrintable(u"%1 %2"_s.arg(early).arg(late)));
    }

    void readsOnSilentlyWhenTheOutputWillNotOpen()
    {
        auto broken = std::make_unique<BrokenOutput>();
        const AudioOutput* given = broken.get();
        EspeakEngine engine(std::move(broken), m_synthesizer);
        QVERIFY(engine.output() != given);
        QSignalSpy endSpy(&engine, &SpeechEngine::endStream);
        engine.speak(u"Still read."_s, SpeechEngine::Async);
        QTRY_COMPARE_WITH_TIMEOUT(endSpy.size(), 1, kTimeoutMs);
    }

    void wordsPerMinute_data()
    {
        QTest::addColumn<int>("rate");
        QTest::addColumn<int>("wpm");
        QTest::newRow("normal") << 0 << 175;
        QTest::newRow("half way up") << 5 << 303; // 175 * sqrt(3)
        QTest::newRow("bottom, clamped to espeak") << -10 << 80;
        QTest::newRow("out of range") << 99 << 450;
    }
    void wordsPerMinute()
    {
        QFETCH(int, rate);
        QFETCH(int, wpm);
        QCOMPARE(EspeakEngine::wordsPerMinute(rate), wpm);
    }
};

QTEST_GUILESS_MAIN(TestEspeak)
#include "tst_espeak.moc"
