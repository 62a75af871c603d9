#include "reading/audio/DefaultAudioOutput.h"
#include "reading/audio/QtAudioOutput.h"
#include "reading/espeak/EspeakEngine.h"
#include "reading/espeak/EspeakSynthesizer.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QSignalSpy>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

#include <csignal>
#include <sys/types.h>

#include <algorithm>
#include <memory>

using namespace lirondo;

namespace {
constexpr int kTimeoutMs = 30000;

int peak(const QByteArray& pcm)
{
    const auto* samples = reinterpret_cast<const short*>(pcm.constData());
    int loudest = 0;
    for (qsizetype i = 0; i < pcm.size() / 2; ++i)
        loudest = std::max(loudest, std::abs(int(samples[i])));
    return loudest;
}
} // namespace

// Sound really comes out: a private PulseAudio server with a null sink, recorded from the
// sink's monitor while the engine speaks through the real sound-server output.
class TestAudioPulse : public QObject
{
    Q_OBJECT

    QTemporaryDir m_runtime;
    QProcessEnvironment m_env;
    pid_t m_serverPid = 0;
    QProcess m_keepAlive;
    QProcess m_recorder;
    std::shared_ptr<EspeakSynthesizer> m_synthesizer; // espeak-ng starts once per process

    QByteArray takeRecording()
    {
        m_recorder.waitForReadyRead(100);
        return m_recorder.readAllStandardOutput();
    }

    std::unique_ptr<EspeakEngine> makeEngine()
    {
        auto output = makeDefaultAudioOutput();
        if (!dynamic_cast<QtAudioOutput*>(output.get()))
            return nullptr;
        if (!m_synthesizer)
            m_synthesizer = std::make_shared<EspeakSynthesizer>();
        return std::make_unique<EspeakEngine>(std::move(output), m_synthesizer);
    }

private Q_SLOTS:
    void initTestCase()
    {
        for (const char* tool : {"pulseaudio", "pacat", "parecord"}) {
            if (QStandardPaths::findExecutable(QString::fromLatin1(tool)).isEmpty())
                QFAIL(qPrintable(QStringLiteral("%1 is not installed: this test needs the Debian "
                                                "packages pulseaudio and pulseaudio-utils")
                                     .arg(QString::fromLatin1(tool))));
        }
        QVERIFY(m_runtime.isValid());
        QVERIFY(QFile::setPermissions(m_runtime.path(),
                                      QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner));
        // This process and the tools all talk to the private server only.
        const QByteArray dir = QFile::encodeName(m_runtime.path());
        qputenv("XDG_RUNTIME_DIR", dir);
        qputenv("HOME", dir);
        qputenv("XDG_CONFIG_HOME", dir + "/config");
        qunsetenv("PULSE_SERVER");
        m_env = QProcessEnvironment::systemEnvironment();

        QProcess server;
        server.setProcessEnvironment(m_env);
        server.start(QStringLiteral("pulseaudio"),
                     {QStringLiteral("-D"), QStringLiteral("--exit-idle-time=-1"),
                      QStringLiteral("--system=false"), QStringLiteral("-n"),
                      QStringLiteral("--load=module-null-sink sink_name=out"),
                      QStringLiteral("--load=module-native-protocol-unix")});
        QVERIFY(server.waitForFinished(kTimeoutMs));
        QVERIFY2(server.exitCode() == 0, server.readAllStandardError().constData());
        QFile pidFile(m_runtime.filePath(QStringLiteral("pulse/pid")));
        QVERIFY(pidFile.open(QIODevice::ReadOnly));
        m_serverPid = pid_t(pidFile.readAll().trimmed().toInt());
        QVERIFY(m_serverPid > 0);

        // An idle null sink stalls a new stream for seconds; keep one playing into it.
        m_keepAlive.setProcessEnvironment(m_env);
        m_keepAlive.start(QStringLiteral("pacat"),
                          {QStringLiteral("--playback"), QStringLiteral("--device=out"),
                           QStringLiteral("--latency-msec=20"), QStringLiteral("/dev/zero")});
        QVERIFY(m_keepAlive.waitForStarted());

        m_recorder.setProcessEnvironment(m_env);
        m_recorder.start(QStringLiteral("parecord"),
                         {QStringLiteral("--device=out.monitor"), QStringLiteral("--raw"),
                          QStringLiteral("--format=s16le"), QStringLiteral("--rate=22050"),
                          QStringLiteral("--channels=1"), QStringLiteral("--latency-msec=20")});
        QVERIFY(m_recorder.waitForStarted());
    }

    void cleanupTestCase()
    {
        for (QProcess* p : {&m_recorder, &m_keepAlive}) {
            if (p->state() != QProcess::NotRunning) {
                p->terminate();
                if (!p->waitForFinished(3000)) {
                    p->kill();
                    p->waitForFinished(3000);
                }
            }
        }
        if (m_serverPid > 0) {
            ::kill(m_serverPid, SIGTERM);
            // The server is not our child: wait until the process is gone.
            QTRY_VERIFY_WITH_TIMEOUT(::kill(m_serverPid, 0) != 0, 5000);
        }
    }

    void speakingPutsSoundOnTheSink()
    {
        auto engine = makeEngine();
        QVERIFY2(engine, "no sound-server output was found on the private server");
        QSignalSpy endSpy(engine.get(), &SpeechEngine::endStream);
        QTest::qWait(300);
        const int before = peak(takeRecording());
        QVERIFY2(before < 100, qPrintable(QString::number(before)));

        engine->speak(QStringLiteral("Hello world, this is a test of the sound."),
                      SpeechEngine::Async);
        QByteArray heard;
        QVERIFY(QTest::qWaitFor(
            [&] {
                heard += takeRecording();
                return endSpy.size() == 1;
            },
            kTimeoutMs));
        QTest::qWait(200);
        heard += takeRecording();
        QVERIFY2(peak(heard) > 1000, qPrintable(QString::number(peak(heard))));
    }

    void pausePutsSilenceOnTheSink()
    {
        auto engine = makeEngine();
        QVERIFY(engine);
        QSignalSpy wordSpy(engine.get(), &SpeechEngine::word);
        engine->speak(QStringLiteral("one two three four five six seven eight nine ten eleven "
                                     "twelve thirteen fourteen fifteen sixteen"),
                      SpeechEngine::Async);
        QTRY_VERIFY_WITH_TIMEOUT(wordSpy.size() >= 3, kTimeoutMs);
        engine->pause();
        QTest::qWait(300); // what the server had already mixed
        takeRecording();
        QTest::qWait(800);
        const QByteArray paused = takeRecording();
        QVERIFY(paused.size() > 0);
        QVERIFY2(peak(paused) < 100, qPrintable(QString::number(peak(paused))));

        engine->resume();
        const qsizetype atResume = wordSpy.size();
        QTRY_VERIFY_WITH_TIMEOUT(wordSpy.size() > atResume + 1, kTimeoutMs);
        QVERIFY(peak(takeRecording()) > 1000);
        engine->speak(QString(), SpeechEngine::PurgeBeforeSpeak);
    }
};

QTEST_GUILESS_MAIN(TestAudioPulse)
#include "tst_audio_pulse.moc"
