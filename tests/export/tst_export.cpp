// Saving a reading as audio: the file writer, the exporter run as the real program (a child
// process), and the window's command around it.
#include "common/Gbk.h"
#include "export/AudioFileWriter.h"
#include "fakes/MainWindowFakes.h"
#include "reading/LanguageRuns.h"
#include "reading/ReadingController.h"
#include "reading/VoiceTable.h"
#include "reading/espeak/EspeakEngine.h"
#include "shell/AudioExportCommand.h"
#include "shell/ReadingTextEdit.h"

#include <espeak-ng/speak_lib.h>
#include <sndfile.h>

#include <QAction>
#include <QDir>
#include <QMenu>
#include <QProcess>
#include <QProgressDialog>
#include <QPushButton>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QTime>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <numeric>

using namespace lirondo;
using namespace lirondo::test;
using namespace Qt::StringLiterals;

namespace {

struct Sound
{
    int rate = 0;
    std::vector<short> samples;
};

Sound readSound(const QString& path)
{
    SF_INFO info{};
    SNDFILE* file = sf_open(QFile::encodeName(path).constData(), SFM_READ, &info);
    if (!file)
        return {};
    Sound sound{info.samplerate, std::vector<short>(size_t(info.frames))};
    sound.samples.resize(size_t(sf_read_short(file, sound.samples.data(), info.frames)));
    sf_close(file);
    return sound;
}

// The exit code (-1 for a crash) and what the program wrote to stderr.
std::pair<int, QString> runProgram(const QStringList& arguments, const QByteArray& input = {})
{
    QProcess p;
    p.start(QStringLiteral(LIRONDO_BINARY), arguments);
    p.waitForStarted();
    p.write(input);
    p.closeWriteChannel();
    p.waitForFinished(120000);
    return {p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1,
            QString::fromUtf8(p.readAllStandardError())};
}

// What espeak-ng itself reports for a mixed reading, run by hand here (the export runs in
// a child process, since espeak-ng can be started once per process): the audio and each
// word's text position and first sample.
struct Reference
{
    struct Word
    {
        qsizetype position = 0;
        qsizetype length = 0;
        qint64 sample = 0;
    };
    int rate = 0;
    std::vector<short> audio;
    std::vector<Word> words;
    qsizetype runOffset = 0;
    qint64 runStart = 0;
};

int referenceCallback(short* wav, int count, espeak_EVENT* events)
{
    auto* ref = static_cast<Reference*>(events->user_data);
    for (espeak_EVENT* e = events; e->type != espeakEVENT_LIST_TERMINATED; ++e) {
        if (e->type == espeakEVENT_WORD && e->length > 0)
            ref->words.push_back(
                {ref->runOffset + e->text_position - 1, e->length, ref->runStart + e->sample});
    }
    if (wav && count > 0)
        ref->audio.insert(ref->audio.end(), wav, wav + count);
    return 0;
}

Reference speakMixed(const QString& text, int rate, const GbkCodePage& gbk)
{
    Reference ref;
    ref.rate = espeak_Initialize(AUDIO_OUTPUT_SYNCHRONOUS, 20, nullptr, 0);
    if (ref.rate <= 0)
        return ref;
    espeak_SetSynthCallback(&referenceCallback);
    QList<VoiceInfo> voices;
    const espeak_VOICE** list = espeak_ListVoices(nullptr);
    for (int i = 0; list && list[i]; ++i) {
        VoiceInfo v{QString::fromUtf8(list[i]->identifier), QString::fromUtf8(list[i]->name), {}};
        for (const char* p = list[i]->languages; p && *p; p += std::strlen(p + 1) + 2)
            v.languages.append(QString::fromUtf8(p + 1));
        voices.append(v);
    }
    const VoiceTable table = VoiceTable::build(voices);
    LanguageRuns runs(gbk);
    runs.split(text, 0, table.chinese, table.english);
    for (qsizetype k = 0; k < runs.runCount(); ++k) {
        espeak_SetVoiceByName(voices.at(runs.runVoice(k)).id.toUtf8().constData());
        espeak_SetParameter(espeakRATE, EspeakEngine::wordsPerMinute(rate), 0);
        espeak_SetParameter(espeakWORDGAP, EspeakEngine::wordGap(rate), 0);
        const QByteArray utf8 = runs.runText(k).toUtf8();
        ref.runOffset = runs.runOffset(k);
        ref.runStart = qint64(ref.audio.size());
        espeak_Synth(utf8.constData(), size_t(utf8.size()) + 1, 0, POS_CHARACTER, 0,
                     espeakCHARS_UTF8, nullptr, &ref);
    }
    espeak_Terminate();
    return ref;
}

QStringList filesIn(const QString& dir)
{
    return QDir(dir).entryList(QDir::Files | QDir::Hidden, QDir::Name);
}

// The window's voices as the real engine names them: the child process is given their ids.
struct Harness : MainWindowFakes
{
    Harness()
        : MainWindowFakes({{u"sit/cmn"_s, u"Chinese (Mandarin, latin as English)"_s, {u"cmn"_s}},
                           {u"gmw/en"_s, u"English (Great Britain)"_s, {u"en-gb"_s}}}),
          form(services())
    {
        form.audioExport().setProgram(QStringLiteral(LIRONDO_BINARY));
        form.show();
    }
    MainWindow form;
};

} // namespace

class TestExport : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    // Each word's inline time in the word-level subtitles is where espeak-ng put the word
    // in the audio, to the millisecond, and the audio is espeak-ng's own, sample for sample,
    // through the voice switches of a mixed reading at a slow rate.
    void wordCuesMatchTheAudio()
    {
        // Short runs: espeak-ng gets each in one piece, as the reference does.
        const QString text = u"我们今天一起读书。Hello world, good morning.\n明天再见，朋友。"_s;
        const int rate = -9;
        QTemporaryDir dir;
        const QString wav = dir.filePath(u"cues.wav"_s);
        const auto [code, err] = runProgram(
            {u"--export"_s, wav, u"--mixed"_s, u"--rate"_s, QString::number(rate), u"-"_s},
            text.toUtf8());
        QVERIFY2(code == 0, qPrintable(err));

        GbkCodePage gbk;
        const Reference ref = speakMixed(text, rate, gbk);
        QVERIFY(ref.rate > 0);
        const Sound sound = readSound(wav);
        QCOMPARE(sound.rate, ref.rate);
        QCOMPARE(sound.samples.size(), ref.audio.size());
        int worst = 0;
        for (size_t i = 0; i < ref.audio.size(); ++i)
            worst = std::max(worst, std::abs(int(sound.samples[i]) - int(ref.audio[i])));
        QVERIFY2(worst <= 1, qPrintable(u"samples differ by %1"_s.arg(worst)));

        QFile words(dir.filePath(u"cues.words.vtt"_s));
        QVERIFY(words.open(QIODevice::ReadOnly));
        const QString vtt = QString::fromUtf8(words.readAll());
        static const QRegularExpression tag(u"<(\\d\\d:\\d\\d:\\d\\d\\.\\d\\d\\d)>([^<\\n]*)"_s);
        size_t next = 0;
        int tagged = 0;
        for (auto it = tag.globalMatch(vtt); it.hasNext();) {
            const auto m = it.next();
            const int ms =
                QTime::fromString(m.captured(1), u"hh:mm:ss.zzz"_s).msecsSinceStartOfDay();
            const QString following = m.captured(2);
            while (next < ref.words.size() &&
                   !following.startsWith(
                       text.mid(ref.words[next].position, ref.words[next].length).trimmed()))
                ++next;
            QVERIFY2(next < ref.words.size(), qPrintable(u"no word for: "_s + m.captured(0)));
            const double at = double(ref.words[next].sample) * 1000.0 / ref.rate;
            QVERIFY2(std::abs(double(ms) - at) <= 1.0,
                     qPrintable(u"%1 at %2 ms, heard at %3 ms"_s.arg(following).arg(ms).arg(at)));
            ++next;
            ++tagged;
        }
        // Only a cue's first word goes without a time of its own.
        QVERIFY2(tagged >= int(ref.words.size()) - 4, qPrintable(QString::number(tagged)));
    }

    void roundTrip_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<int>("rate");
        QTest::addColumn<bool>("exact");
        QTest::newRow("wav") << u"a.wav"_s << 22050 << true;
        QTest::newRow("flac") << u"a.flac"_s << 22050 << true;
        QTest::newRow("ogg") << u"a.ogg"_s << 22050 << false;
        QTest::newRow("opus") << u"a.opus"_s << 48000 << false;
        QTest::newRow("mp3") << u"a.MP3"_s << 22050 << false;
    }
    // A second of a tone through libsndfile and back: its length, its rate and its level.
    void roundTrip()
    {
        QFETCH(QString, name);
        QFETCH(int, rate);
        QFETCH(bool, exact);
        QTemporaryDir dir;
        const QString path = dir.filePath(name);
        std::vector<short> tone(22050);
        for (size_t i = 0; i < tone.size(); ++i)
            tone[i] = short(16000 * std::sin(2 * M_PI * 440.0 * double(i) / 22050.0));
        {
            AudioFileWriter writer(path, 22050);
            QCOMPARE(writer.open(), QString());
            for (size_t i = 0; i < tone.size(); i += 1000)
                QVERIFY(
                    writer.write(tone.data() + i, std::min<size_t>(1000, tone.size() - i), 0.5f));
            QVERIFY(writer.commit());
        }
        QCOMPARE(filesIn(dir.path()), QStringList{name});
        const Sound sound = readSound(path);
        QCOMPARE(sound.rate, rate);
        // A second at the file's rate: to the sample where the format is lossless.
        QVERIFY2(std::abs(double(sound.samples.size()) - rate) <= (exact ? 0 : rate * 0.05),
                 qPrintable(QString::number(sound.samples.size())));
        const double energy = std::inner_product(sound.samples.begin(), sound.samples.end(),
                                                 sound.samples.begin(), 0.0);
        const double rms = std::sqrt(energy / double(sound.samples.size()));
        QVERIFY2(std::abs(rms - 8000 / std::sqrt(2.0)) < 0.15 * 8000,
                 qPrintable(QString::number(rms)));
    }

    void badInput_data()
    {
        QTest::addColumn<QString>("input"); // the text file's content; null: no file
        QTest::addColumn<QString>("output");
        QTest::addColumn<QStringList>("options");
        QTest::addColumn<QString>("message");
        QTest::newRow("empty text") << u" \n\t\n"_s << u"out.flac"_s << QStringList{}
                                    << u"没有可朗读的文字，未保存任何文件"_s;
        QTest::newRow("unknown voice")
            << u"你好"_s << u"out.flac"_s << QStringList{u"--voice"_s, u"klingon-x"_s}
            << u"没有这个语音：klingon-x"_s;
        QTest::newRow("unwritable folder")
            << u"你好"_s << u"missing/out.flac"_s << QStringList{} << u"无法写入"_s;
        QTest::newRow("unsupported extension")
            << u"你好"_s << u"out.aiff"_s << QStringList{} << u"不支持的音频格式：out.aiff"_s;
        QTest::newRow("missing input file")
            << QString() << u"out.flac"_s << QStringList{} << u"不是文件或不存在"_s;
    }
    // A clear message, a failure code, and no file under the names it would have written.
    void badInput()
    {
        QFETCH(QString, input);
        QFETCH(QString, output);
        QFETCH(QStringList, options);
        QFETCH(QString, message);
        QTemporaryDir dir;
        const QString textPath = dir.filePath(u"text.txt"_s);
        if (!input.isNull())
            QVERIFY(test::writeFile(textPath, input.toUtf8()));
        const auto [code, err] = runProgram(QStringList{u"--export"_s, dir.filePath(output)} +
                                            options + QStringList{textPath});
        QVERIFY(code > 0);
        QVERIFY2(err.contains(message), qPrintable(err));
        QStringList left =
            QDir(dir.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot);
        left.removeAll(u"text.txt"_s);
        QCOMPARE(left, QStringList{});
    }

    // The command is in the text box's menu and on Ctrl+Shift+S; the real program
    // writes the audio and its subtitles, from the reading start on.
    void savesFromTheWindow()
    {
        Harness h;
        QTemporaryDir dir;
        h.form.documents().setDocumentText(u"前面不读。Hello, 我们一起读书。"_s);
        h.form.reading().setReadingStart(5);
        std::unique_ptr<QMenu> menu(textEdit(h.form)->createContextMenu());
        const QList<QAction*> items = menu->actions();
        QVERIFY(std::any_of(items.begin(), items.end(),
                            [](QAction* a) { return a->text() == u"保存为音频…"_s; }));

        AudioExportCommand& command = h.form.audioExport();
        QCOMPARE(command.request().text, u"Hello, 我们一起读书。"_s);
        h.form.documents().setSelection(5, 5);
        QCOMPARE(command.request().text, u"Hello"_s);
        // While reading, the selection is the word being heard: the export is the reading's.
        h.form.reading().read();
        h.form.documents().setSelection(12, 2);
        QCOMPARE(command.request().text, u"Hello, 我们一起读书。"_s);
        h.form.reading().stop();
        QSignalSpy finished(&command, &AudioExportCommand::finished);
        const qsizetype shown = h.messages.shown.size(); // the start-up's own
        h.dialog.answers = {dir.filePath(u"book"_s)};    // no extension: MP3
        QVERIFY(QTest::qWaitForWindowActive(&h.form));
        QTest::keyClick(&h.form, Qt::Key_S, Qt::ControlModifier | Qt::ShiftModifier);
        QVERIFY(command.progressDialog()->isVisible());
        QVERIFY(finished.wait(60000));
        QCOMPARE(finished.first().first().toBool(), true);
        QCOMPARE(filesIn(dir.path()), (QStringList{u"book.lrc"_s, u"book.mp3"_s, u"book.srt"_s,
                                                   u"book.vtt"_s, u"book.words.vtt"_s}));
        QVERIFY(!command.progressDialog()->isVisible());
        QCOMPARE(h.messages.shown.size(), shown);
    }

    // Cancelling from the progress dialog stops the export and leaves no file at all.
    void cancelLeavesNothing()
    {
        Harness h;
        QTemporaryDir dir;
        AudioExportCommand& command = h.form.audioExport();
        QSignalSpy finished(&command, &AudioExportCommand::finished);
        const qsizetype shown = h.messages.shown.size();
        QString text;
        for (int i = 0; i < 5000; ++i)
            text += u"这是第%1句话，用来测试取消。"_s.arg(i);
        QVERIFY(command.start({text, {}, 0, 100, false}, dir.filePath(u"long.flac"_s)));
        QTRY_VERIFY_WITH_TIMEOUT(command.progressDialog()->value() > 0, 30000);
        QTest::mouseClick(command.progressDialog()->findChild<QPushButton*>(), Qt::LeftButton);
        QVERIFY(finished.wait(30000));
        QCOMPARE(finished.first().first().toBool(), false);
        QCOMPARE(filesIn(dir.path()), QStringList{});
        QCOMPARE(h.messages.shown.size(), shown);
    }
};

QTEST_MAIN(TestExport)
#include "tst_export.moc"
