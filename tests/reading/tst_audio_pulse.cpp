#include "fakes/TimerEvents.h"
#include "reading/audio/DefaultAudioOutput.h"
#include "reading/espeak/EspeakEngine.h"

#include <QFile>
#include <QProcess>
#include <QSignalSpy>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

#include <csignal>
#include <sys/types.h>

#include <algorithm>

using namespace lirondo;
using namespace lirondo::test;
using namespace Qt::StringLiterals;

namespace {
constexpr int kTimeoutMs = 30000;
} // namespace

// Sound really comes out: a private PulseAudio server with a null sink, recorded from the
// sink's monitor while the engine speaks through the real sound-server output.
class TestAudioPulse : public QObject
{
    Q_OBJECT

    QTemporaryDir m_runtime;
    pid_t m_serverPid = 0;
    QProcess m_keepAlive;
    QProcess m_recorder;

    // The loudest sample recorded over the next `ms`; -1 when nothing came.
    int peakOver(int ms)
    {
        QTest::qWait(ms);
        m_recorder.waitForReadyRead(100);
        const QByteArray pcm = m_recorder.readAllStandardOutput();
        const auto* samples = reinterpret_cast<const short*>(pcm.constData());
        int loudest = pcm.isEmpty() ? -1 : 0;
        for (qsizetype i = 0; i < pcm.size() / 2; ++i)
            loudest = std::max(loudest, std::abs(int(samples[i])));
        return loudest;
    }
    static bool silent(int peak) { return peak >= 0 && peak < 100; }

    // The server, and the players that keep it busy and record it (they end with it).
    void stopPlayers()
    {
        for (QProcess* p : {&m_recorder, &m_keepAlive}) {
            p->kill();
            p->waitForFinished(3000);
        }
    }
    void startServer()
    {
        QProcess server;
        server.start(u"pulseaudio"_s, {u"-D"_s, u"--exit-idle-time=-1"_s, u"--system=false"_s,
                                       u"-n"_s, u"--load=module-null-sink sink_name=out"_s,
                                       u"--load=module-native-protocol-unix"_s});
        QVERIFY(server.waitForFinished(kTimeoutMs));
        QVERIFY2(server.exitCode() == 0, server.readAllStandardError().constData());
        QFile pidFile(m_runtime.filePath(u"pulse/pid"_s));
        QVERIFY(pidFile.open(QIODevice::ReadOnly));
        m_serverPid = pid_t(pidFile.readAll().trimmed().toInt());

        // An idle null sink stalls a new stream for seconds; keep one playing into it.
        m_keepAlive.start(u"pacat"_s, {u"--playback"_s, u"--device=out"_s, u"--latency-msec=20"_s,
                                       u"/dev/zero"_s});
        m_recorder.start(u"parecord"_s,
                         {u"--device=out.monitor"_s, u"--raw"_s, u"--format=s16le"_s,
                          u"--rate=22050"_s, u"--channels=1"_s, u"--latency-msec=20"_s});
        QVERIFY(m_keepAlive.waitForStarted() && m_recorder.waitForStarted());
    }

    // Ends the server as a crash or a restart of the user's session would.
    void stopServer()
    {
        stopPlayers();
        ::kill(m_serverPid, SIGTERM);
        // Gone once it has removed its pid file (the process may linger as a zombie).
        QTRY_VERIFY_WITH_TIMEOUT(!QFile::exists(m_runtime.filePath(u"pulse/pid"_s)), 5000);
        m_serverPid = 0;
    }

private Q_SLOTS:
    void initTestCase()
    {
        for (const QString& tool : {u"pulseaudio"_s, u"pacat"_s, u"parecord"_s})
            if (QStandardPaths::findExecutable(tool).isEmpty())
                QFAIL(qPrintable(tool + u" is not installed: this test needs the Debian "
                                        u"packages pulseaudio and pulseaudio-utils"_s));
        QVERIFY(m_runtime.isValid());
        QVERIFY(QFile::setPermissions(m_runtime.path(),
                                      QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner));
        // This process and the tools it starts talk to the private server only.
        const QByteArray dir = QFile::encodeName(m_runtime.path());
        qputenv("XDG_RUNTIME_DIR", dir);
        qputenv("HOME", dir);
        qputenv("XDG_CONFIG_HOME", dir + "/config");
        qunsetenv("PULSE_SERVER");

        startServer();
        QVERIFY(m_serverPid > 0);
    }
    void cleanupTestCase()
    {
        if (m_serverPid > 0)
            stopServer();
    }

    // Silence before, sound while it speaks, silence while paused, sound again once
    // resumed, and the end of the text reported.
    void soundOnTheSinkFollowsTheSpeech()
    {
        EspeakEngine engine(makeDefaultAudioOutput());
        auto* sound = static_cast<FailoverAudioOutput*>(engine.output());
        QVERIFY2(sound->hasSound(), "no sound-server output was found on the private server");
        QSignalSpy endSpy(&engine, &SpeechEngine::endStream);
        QVERIFY(peakOver(300) < 100); // the recording may not have begun yet

        engine.speak(u"one two three four five six seven eight nine ten eleven twelve"_s,
                     SpeechEngine::Async);
        QTRY_VERIFY_WITH_TIMEOUT(peakOver(100) > 1000, kTimeoutMs);

        engine.pause();
        peakOver(300); // what the server had already mixed
        QVERIFY(silent(peakOver(800)));

        engine.resume();
        QTRY_VERIFY_WITH_TIMEOUT(peakOver(100) > 1000, kTimeoutMs);
        QTRY_COMPARE_WITH_TIMEOUT(endSpy.size(), 1, kTimeoutMs);

        // Idle, the stream is closed and the server's timer wakes the program no more;
        // the next text opens a stream again.
        QTRY_VERIFY_WITH_TIMEOUT(timerEventsDuring(1000).isEmpty(), kTimeoutMs);
        engine.speak(u"one two three four five six"_s, SpeechEngine::Async);
        QTRY_VERIFY_WITH_TIMEOUT(peakOver(100) > 1000, kTimeoutMs);
        QTRY_COMPARE_WITH_TIMEOUT(endSpy.size(), 2, kTimeoutMs);
    }

    // The server goes away mid-reading: the reading goes on silently, with one notice;
    // the next read command after the server is back is heard again.
    void readingOutlivesTheSoundServer()
    {
        EspeakEngine engine(makeDefaultAudioOutput());
        auto* sound = static_cast<FailoverAudioOutput*>(engine.output());
        QSignalSpy notices(sound, &FailoverAudioOutput::notice);
        QSignalSpy wordSpy(&engine, &SpeechEngine::word);
        QVERIFY(sound->hasSound());
        const QString text = u"one two three four five six seven eight nine ten. "_s.repeated(8);

        engine.speak(text, SpeechEngine::Async);
        QTRY_VERIFY_WITH_TIMEOUT(peakOver(100) > 1000, kTimeoutMs);
        stopServer();
        const qsizetype atLoss = wordSpy.size();
        QTRY_VERIFY_WITH_TIMEOUT(!sound->hasSound(), kTimeoutMs);
        // Qt's connection to the server is made again once, three seconds after it was
        // lost: the server has to be back by then.
        startServer();
        QVERIFY(!QTest::currentTestFailed());
        QTRY_VERIFY_WITH_TIMEOUT(wordSpy.size() > atLoss + 4, kTimeoutMs);
        QTRY_VERIFY_WITH_TIMEOUT(!notices.isEmpty(), kTimeoutMs);
        QCOMPARE(notices.at(0).at(0).toString(), noSoundNotice());

        engine.speak(text, SpeechEngine::PurgeBeforeSpeak | SpeechEngine::Async);
        QTRY_VERIFY_WITH_TIMEOUT(peakOver(100) > 1000, kTimeoutMs);
        QTRY_COMPARE_WITH_TIMEOUT(notices.size(), 2, kTimeoutMs);
        QVERIFY(notices.at(1).at(0).toString().isEmpty()); // taken away, and said once
        engine.speak(QString(), SpeechEngine::PurgeBeforeSpeak);
    }
};

QTEST_GUILESS_MAIN(TestAudioPulse)
#include "tst_audio_pulse.moc"
