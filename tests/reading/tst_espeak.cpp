#include "reading/audio/SilentAudioOutput.h"
#include "reading/espeak/EspeakEngine.h"
#include "reading/espeak/EspeakSynthesizer.h"

#include <QSignalSpy>
#include <QTest>

#include <algorithm>

using namespace lirondo;

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

struct Heard
{
    int stream;
    int position;
    int length;
};

QList<Heard> heard(const QSignalSpy& spy)
{
    QList<Heard> out;
    for (const QList<QVariant>& args : spy)
        out.append({args.at(0).toInt(), args.at(1).toInt(), args.at(2).toInt()});
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

private:
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
        auto engine = makeEngine();
        QVERIFY2(engine->isValid(), "espeak-ng did not start (is espeak-ng-data installed?)");
    }

    void voicesCarryNamesAndPlainLanguageTags()
    {
        auto engine = makeEngine();
        const QList<VoiceInfo> voices = engine->voices();
        const auto english = std::find_if(voices.begin(), voices.end(), [](const VoiceInfo& v) {
            return v.description == QStringLiteral("English (America)");
        });
        QVERIFY(english != voices.end());
        // espeak puts a priority byte before each tag.
        QCOMPARE(english->languages, (QStringList{QStringLiteral("en-us"), QStringLiteral("en")}));
    }

    void wordsSelectTheirWords_data()
    {
        QTest::addColumn<QString>("language");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QStringList>("words");

        QTest::newRow("english") << QStringLiteral("en-us")
                                 << QStringLiteral("Hello world. The cat sat.")
                                 << QStringList{QStringLiteral("Hello"), QStringLiteral("world"),
                                                QStringLiteral("The"), QStringLiteral("cat"),
                                                QStringLiteral("sat")};
        QTest::newRow("mandarin") << QStringLiteral("cmn") << QStringLiteral("你好世界。我们走吧！")
                                  << QStringList{QStringLiteral("你"), QStringLiteral("好"),
                                                 QStringLiteral("世"), QStringLiteral("界"),
                                                 QStringLiteral("我"), QStringLiteral("们"),
                                                 QStringLiteral("走"), QStringLiteral("吧")};
        // Characters outside the BMP shift espeak's code-point positions against UTF-16.
        QTest::newRow("emoji and astral letter")
            << QStringLiteral("en-us") << QStringLiteral("I like 😀 cats and 𝒜 dogs.")
            << QStringList{QStringLiteral("I"),    QStringLiteral("like"), QStringLiteral("😀"),
                           QStringLiteral("cats"), QStringLiteral("and"),  QStringLiteral("𝒜"),
                           QStringLiteral("dogs")};
        QTest::newRow("emoji in mandarin")
            << QStringLiteral("cmn") << QStringLiteral("我😀你 好")
            << QStringList{QStringLiteral("我"), QStringLiteral("你"), QStringLiteral("好")};
        // Plain text: markup characters are read, not interpreted.
        QTest::newRow("markup is text")
            << QStringLiteral("en-us") << QStringLiteral("Good <b> bye &amp; you.")
            << QStringList{QStringLiteral("Good"), QStringLiteral("b"),   QStringLiteral("bye"),
                           QStringLiteral("&"),    QStringLiteral("amp"), QStringLiteral("you")};
        QTest::newRow("line breaks")
            << QStringLiteral("en-us") << QStringLiteral("one\r\ntwo\n\nthree")
            << QStringList{QStringLiteral("one"), QStringLiteral("two"), QStringLiteral("three")};
    }

    void wordsSelectTheirWords()
    {
        QFETCH(QString, language);
        QFETCH(QString, text);
        QFETCH(QStringList, words);

        auto engine = makeEngine();
        const int voice = voiceByLanguage(*engine, language);
        QVERIFY(voice >= 0);
        engine->setVoice(voice);
        QSignalSpy wordSpy(engine.get(), &SpeechEngine::word);
        QSignalSpy endSpy(engine.get(), &SpeechEngine::endStream);

        const int stream = engine->speak(text, SpeechEngine::Async);
        QVERIFY(stream > 0);
        QTRY_COMPARE_WITH_TIMEOUT(endSpy.size(), 1, kTimeoutMs);

        QStringList got;
        int previous = -1;
        for (const Heard& w : heard(wordSpy)) {
            QCOMPARE(w.stream, stream);
            QVERIFY(w.position > previous);
            QVERIFY(w.length > 0 && w.position + w.length <= text.size());
            previous = w.position;
            got.append(text.mid(w.position, w.length));
        }
        QCOMPARE(got, words);
    }

    void sentencesRunToTheNextSentence()
    {
        auto engine = makeEngine();
        engine->setVoice(voiceByLanguage(*engine, QStringLiteral("en-us")));
        QSignalSpy sentenceSpy(engine.get(), &SpeechEngine::sentence);
        QSignalSpy endSpy(engine.get(), &SpeechEngine::endStream);
        const QString text = QStringLiteral("First one. Second one! Third");
        engine->speak(text, SpeechEngine::Async);
        QTRY_COMPARE_WITH_TIMEOUT(endSpy.size(), 1, kTimeoutMs);

        QStringList got;
        for (const Heard& s : heard(sentenceSpy))
            got.append(text.mid(s.position, s.length));
        QCOMPARE(got, (QStringList{QStringLiteral("First one. "), QStringLiteral("Second one! "),
                                   QStringLiteral("Third")}));
    }

    // A text of several chunks, with a pair of UTF-16 units per line that espeak counts
    // as one character: any offset not carried across chunks, or counted in code
    // points, shows.
    void positionsCountAcrossChunks()
    {
        // Long to listen to; only synthesis need keep up with this clock.
        auto engine = makeEngine(nullptr, 2000.0);
        engine->setVoice(voiceByLanguage(*engine, QStringLiteral("en-us")));
        const QString line = QStringLiteral("Go 😀 now.\n");
        constexpr int kLines = 2000;
        const QString text = line.repeated(kLines);
        QVERIFY(text.size() > 20000);

        QSignalSpy wordSpy(engine.get(), &SpeechEngine::word);
        QSignalSpy endSpy(engine.get(), &SpeechEngine::endStream);
        engine->speak(text, SpeechEngine::Async);
        QTRY_COMPARE_WITH_TIMEOUT(endSpy.size(), 1, kTimeoutMs * 2);

        const QList<Heard> words = heard(wordSpy);
        QCOMPARE(words.size(), kLines * 3);
        for (int i = 0; i < words.size(); ++i) {
            const int base = int(line.size()) * (i / 3);
            const int offsets[] = {0, 3, 6};
            const int lengths[] = {2, 2, 3};
            QCOMPARE(words.at(i).position, base + offsets[i % 3]);
            QCOMPARE(words.at(i).length, lengths[i % 3]);
        }
    }

    void oneEndPerTextSpokenToItsEnd()
    {
        auto engine = makeEngine();
        QSignalSpy endSpy(engine.get(), &SpeechEngine::endStream);
        const int first = engine->speak(QStringLiteral("One."), SpeechEngine::Async);
        const int second = engine->speak(QStringLiteral("Two."), SpeechEngine::Async);
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
        QTest::newRow("purge and speak") << QStringLiteral("Only this.");
    }

    void purgeDropsTheRest()
    {
        QFETCH(QString, next);
        auto engine = makeEngine();
        QSignalSpy wordSpy(engine.get(), &SpeechEngine::word);
        QSignalSpy endSpy(engine.get(), &SpeechEngine::endStream);
        QString longText;
        for (int i = 0; i < 50; ++i)
            longText += QStringLiteral("This sentence is read again and again. ");
        const int old = engine->speak(longText, SpeechEngine::Async);
        engine->speak(QStringLiteral("Queued behind it."), SpeechEngine::Async);
        QTRY_VERIFY_WITH_TIMEOUT(wordSpy.size() >= 3, kTimeoutMs);

        const int fresh = engine->speak(next, SpeechEngine::Async | SpeechEngine::PurgeBeforeSpeak);
        const qsizetype wordsBefore = wordSpy.size();
        if (next.isEmpty()) {
            QCOMPARE(fresh, 0);
            QTest::qWait(1000);
            QCOMPARE(wordSpy.size(), wordsBefore);
            QCOMPARE(endSpy.size(), 0);
            return;
        }
        QTRY_COMPARE_WITH_TIMEOUT(endSpy.size(), 1, kTimeoutMs);
        QTest::qWait(300);
        QCOMPARE(endSpy.size(), 1);
        QCOMPARE(endSpy.at(0).at(0).toInt(), fresh);
        const QList<Heard> words = heard(wordSpy).mid(wordsBefore);
        QCOMPARE(words.size(), 2);
        for (const Heard& w : words)
            QCOMPARE(w.stream, fresh);
        QVERIFY(old != fresh);
    }

    void pauseFreezesAndResumeGoesOn()
    {
        auto engine = makeEngine();
        QSignalSpy wordSpy(engine.get(), &SpeechEngine::word);
        QSignalSpy endSpy(engine.get(), &SpeechEngine::endStream);
        const QString text = QStringLiteral(
            "one two three four five six seven eight nine ten eleven twelve thirteen");
        engine->speak(text, SpeechEngine::Async);
        QTRY_VERIFY_WITH_TIMEOUT(wordSpy.size() >= 2, kTimeoutMs);
        engine->pause();
        const qsizetype paused = wordSpy.size();
        QTest::qWait(1000); // 20 s of audio at this speed
        QCOMPARE(wordSpy.size(), paused);
        QCOMPARE(endSpy.size(), 0);

        engine->resume();
        QTRY_COMPARE_WITH_TIMEOUT(endSpy.size(), 1, kTimeoutMs);
        QStringList got;
        for (const Heard& w : heard(wordSpy))
            got.append(text.mid(w.position, w.length));
        QCOMPARE(got, text.split(u' '));
    }

    void volumeIsAGainOnTheSamples_data()
    {
        QTest::addColumn<int>("volume");
        QTest::addColumn<bool>("silent");
        QTest::newRow("0") << 0 << true;
        QTest::newRow("100") << 100 << false;
    }

    void volumeIsAGainOnTheSamples()
    {
        QFETCH(int, volume);
        QFETCH(bool, silent);
        RecordingOutput* recorder = nullptr;
        auto engine = makeEngine(&recorder);
        QSignalSpy endSpy(engine.get(), &SpeechEngine::endStream);
        engine->setVolume(volume);
        engine->speak(QStringLiteral("Loud and clear."), SpeechEngine::Async);
        QTRY_COMPARE_WITH_TIMEOUT(endSpy.size(), 1, kTimeoutMs);
        QVERIFY(!recorder->recorded.empty());
        const bool allZero = std::all_of(recorder->recorded.begin(), recorder->recorded.end(),
                                         [](short s) { return s == 0; });
        QCOMPARE(allZero, silent);
    }

    void fasterRateMeansFewerSamples()
    {
        auto samplesAt = [this](int rate) -> size_t {
            RecordingOutput* recorder = nullptr;
            auto engine = makeEngine(&recorder);
            QSignalSpy endSpy(engine.get(), &SpeechEngine::endStream);
            engine->setRate(rate);
            engine->speak(QStringLiteral("The quick brown fox jumps over the lazy dog."),
                          SpeechEngine::Async);
            if (!QTest::qWaitFor([&] { return endSpy.size() == 1; }, kTimeoutMs))
                return 0;
            return recorder->recorded.size();
        };
        const size_t slow = samplesAt(-5);
        const size_t normal = samplesAt(0);
        const size_t fast = samplesAt(5);
        QVERIFY(fast > 0);
        QVERIFY2(slow > normal && normal > fast,
                 qPrintable(QStringLiteral("%1 %2 %3").arg(slow).arg(normal).arg(fast)));
    }

    void readsOnSilentlyWhenTheOutputWillNotOpen()
    {
        auto broken = std::make_unique<BrokenOutput>();
        const AudioOutput* given = broken.get();
        EspeakEngine engine(std::move(broken), m_synthesizer);
        QVERIFY(engine.output() != given);
        QSignalSpy endSpy(&engine, &SpeechEngine::endStream);
        engine.speak(QStringLiteral("Still read."), SpeechEngine::Async);
        QTRY_COMPARE_WITH_TIMEOUT(endSpy.size(), 1, kTimeoutMs);
    }

    void wordsPerMinute_data()
    {
        QTest::addColumn<int>("rate");
        QTest::addColumn<int>("wpm");
        QTest::newRow("normal") << 0 << 175;
        QTest::newRow("half way up") << 5 << 303;    // 175 * sqrt(3)
        QTest::newRow("one step down") << -1 << 157; // 175 / 3^0.1
        QTest::newRow("top, clamped to espeak") << 10 << 450;
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
