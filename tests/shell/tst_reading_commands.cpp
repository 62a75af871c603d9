#include "fakes/FakeReadingView.h"
#include "fakes/MainWindowFakes.h"
#include "reading/ReadingController.h"
#include "reminder/ReminderWindow.h"

#include <QLineEdit>
#include <QTest>

using namespace lirondo;
using namespace lirondo::test;

namespace {

const QString kNoChinese = QStringLiteral("你的系统中没有装中文语音支持，将无法朗读中文语音！");
const QString kNoEnglish = QStringLiteral("你的系统中没有安装安装英文语音库,将无法朗读英文！");

VoiceInfo voice(const QString& description, const QStringList& languages = {})
{
    return {QStringLiteral("id-") + description, description, languages};
}

QList<VoiceInfo> espeakLikeVoices()
{
    return {
        voice(QStringLiteral("Afrikaans"), {QStringLiteral("af")}),
        voice(QStringLiteral("Chinese (Cantonese)"), {QStringLiteral("yue"), QStringLiteral("zh")}),
        voice(QStringLiteral("Chinese (Mandarin, latin as English)"),
              {QStringLiteral("cmn"), QStringLiteral("zh-cmn"), QStringLiteral("zh")}),
        voice(QStringLiteral("English (Great Britain)"),
              {QStringLiteral("en-gb"), QStringLiteral("en")}),
        voice(QStringLiteral("English (America)"),
              {QStringLiteral("en-us"), QStringLiteral("en")})};
}

// The reading commands and the engine's events over a fake view of the window.
struct Harness : MainWindowFakes
{
    explicit Harness(QList<VoiceInfo> voices = espeakLikeVoices())
        : MainWindowFakes(std::move(voices))
    {
        reading.setUpVoices();
        view.document = QStringLiteral("The box starts with a note on how to use the program.");
    }

    QString selection() const { return view.selectedText(); }
    int selStart() const { return view.selStart; }
    int selLength() const { return view.selLength; }
    QString enabledStates() const { return view.commandRow(); }
    // A reminder set for 08:05 comes due and the main window's tick announces it.
    void announce(const QString& message)
    {
        clock.now = QTime(8, 4, 59);
        reminder.setMessage(message);
        reminder.setTimeText(QStringLiteral("08:05:00"));
        reminder.confirm();
        clock.now = QTime(8, 5, 0);
        reminder.tick();
        QVERIFY(reminder.isDue());
        reading.interruptForAnnouncement();
        reminder.announce();
    }

    FakeReadingView view;
    ReadingController reading{engine, view, messages, gbk};
    ReminderWindow reminder{clock, messages, engine, [] { return nullptr; }};
};

} // namespace

class TestReadingCommands : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void voiceChoice_data();
    void voiceChoice();
    void readCommands_data();
    void readCommands();
    void commandStates();
    void pauseAfterTheEndDoesNotResumeOnRead();
    void mixedRunsSpeakInTurn();
    void mixedLoopAndStop();
    void plainLoopRereadsFromTheStart();
    void announcementInterruptsReading_data();
    void announcementInterruptsReading();
    void wordEvents_data();
    void wordEvents();
    void knobFollowsTheWord();
    void wordAfterTheBoxWasEmptied();
    void ratesAndVolume();
};

void TestReadingCommands::voiceChoice_data()
{
    QTest::addColumn<QList<VoiceInfo>>("voices");
    QTest::addColumn<int>("chinese");
    QTest::addColumn<int>("english");
    QTest::addColumn<QStringList>("messages");
    QTest::addColumn<int>("currentVoice");
    QTest::addColumn<QString>("comboText");
    QTest::addColumn<bool>("mixedEnabled");

    const QString mike = QStringLiteral("Microsoft Mike");
    const QString mary = QStringLiteral("Microsoft Mary");
    const QString simplified = QStringLiteral("Microsoft Simplified Chinese");
    const QString female = QStringLiteral("中文女声语音(Ch.Female) [单机版]");

    QTest::newRow("no voice at all")
        << QList<VoiceInfo>{} << -1 << -1 << QStringList{kNoChinese, kNoEnglish} << -1 << QString()
        << false;
    QTest::newRow("only Mike") << QList<VoiceInfo>{voice(mike)} << -1 << 0
                               << QStringList{kNoChinese} << 0 << QString() << false;
    QTest::newRow("only Simplified Chinese") << QList<VoiceInfo>{voice(simplified)} << 0 << -1
                                             << QStringList{kNoEnglish} << 0 << simplified << false;
    QTest::newRow("Mary at 2, Mike at 5") << QList<VoiceInfo>{voice(QStringLiteral("a")),
                                                              voice(QStringLiteral("b")),
                                                              voice(mary),
                                                              voice(QStringLiteral("c")),
                                                              voice(female),
                                                              voice(mike)}
                                          << 4 << 5 << QStringList{} << 4 << female << true;
    QTest::newRow("case and trailing blank are not taken")
        << QList<VoiceInfo>{voice(QStringLiteral("microsoft mary")), voice(mike + u' ')} << -1 << -1
        << QStringList{kNoChinese, kNoEnglish} << -1 << QString() << false;
    QTest::newRow("fixed names win over tags")
        << (espeakLikeVoices() << voice(mike) << voice(simplified)) << 6 << 5 << QStringList{} << 6
        << simplified << true;
    QTest::newRow("tags: Mandarin, then en-US")
        << espeakLikeVoices() << 2 << 4 << QStringList{} << 2
        << QStringLiteral("Chinese (Mandarin, latin as English)") << true;
    QTest::newRow("tags: plain en when no en-US")
        << QList<VoiceInfo>{voice(QStringLiteral("Welsh"), {QStringLiteral("cy")}),
                            voice(QStringLiteral("English"),
                                  {QStringLiteral("en-GB"), QStringLiteral("en")})}
        << -1 << 1 << QStringList{kNoChinese} << 1 << QString() << false;
    QTest::newRow("empty description: listed under its id")
        << QList<VoiceInfo>{voice(QString()), voice(mike)} << -1 << 1 << QStringList{kNoChinese}
        << 1 << QString() << false;
    QTest::newRow("tags: zh-CN") << QList<VoiceInfo>{voice(QStringLiteral("Putonghua"),
                                                           {QStringLiteral("zh-CN")})}
                                 << 0 << -1 << QStringList{kNoEnglish} << 0
                                 << QStringLiteral("Putonghua") << false;

    QList<VoiceInfo> many;
    for (int i = 0; i < 131; ++i)
        many.append(voice(QStringLiteral("voice %1").arg(i)));
    many[130] = voice(mike);
    QTest::newRow("more than 21 voices")
        << many << -1 << 130 << QStringList{kNoChinese} << 130 << QString() << false;
}

void TestReadingCommands::voiceChoice()
{
    QFETCH(QList<VoiceInfo>, voices);
    QFETCH(int, chinese);
    QFETCH(int, english);
    QFETCH(QStringList, messages);
    QFETCH(int, currentVoice);
    QFETCH(QString, comboText);
    QFETCH(bool, mixedEnabled);

    Harness h(voices);
    QCOMPARE(h.reading.voiceTable().chinese, chinese);
    QCOMPARE(h.reading.voiceTable().english, english);
    QCOMPARE(h.messages.texts(), messages);
    for (const auto& request : std::as_const(h.messages.shown)) {
        QCOMPARE(request.buttons, MessageBoxPort::Buttons::Ok);
        QCOMPARE(request.icon, MessageBoxPort::Icon::None);
    }
    QCOMPARE(h.engine.currentVoice(), currentVoice);
    QCOMPARE(h.view.voiceText, comboText);
    QCOMPARE(h.view.voices.size(), voices.size());
    for (int i = 0; i < voices.size(); ++i) {
        const VoiceInfo& v = voices.at(i);
        QCOMPARE(h.view.voices.at(i), v.description.isEmpty() ? v.id : v.description);
    }
    QCOMPARE(h.view.mixedEnabled, mixedEnabled);
    QCOMPARE(h.engine.rate(), -1);
}

void TestReadingCommands::readCommands_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("textlength");
    QTest::addColumn<QString>("spoken");
    QTest::addColumn<QString>("states"); // read, stop, pause enabled after the click

    const QString thirty = QStringLiteral("abcdefghij0123456789ABCDEFGHIJ");
    QTest::newRow("empty box changes nothing")
        << QString() << 0 << QString() << QStringLiteral("100");
    QTest::newRow("whole text") << thirty << 0 << thirty << QStringLiteral("011");
    QTest::newRow("from 10 of 30") << thirty << 10 << thirty.mid(10) << QStringLiteral("011");
    QTest::newRow("start at the end: nothing, ended")
        << thirty << 30 << QString() << QStringLiteral("111");
    QTest::newRow("start past the end: nothing, ended")
        << thirty << 45 << QString() << QStringLiteral("111");
}

void TestReadingCommands::readCommands()
{
    QFETCH(QString, text);
    QFETCH(int, textlength);
    QFETCH(QString, spoken);
    QFETCH(QString, states);

    Harness h;
    h.view.document = text;
    h.reading.setReadingStart(textlength);
    h.reading.read();

    const auto said = h.engine.spoken();
    if (spoken.isEmpty()) {
        QVERIFY(said.isEmpty());
    } else {
        QCOMPARE(said.size(), 1);
        QCOMPARE(said.at(0).text, spoken);
        QCOMPARE(said.at(0).flags.toInt(), int(SpeechEngine::Async));
        QCOMPARE(h.engine.calls.first().flags.toInt(), int(SpeechEngine::PurgeBeforeSpeak));
        QCOMPARE(h.selStart(), textlength);
        QCOMPARE(h.selection(), spoken);
    }
    QCOMPARE(h.enabledStates(), states);
    QCOMPARE(h.reading.isStopped(), text.isEmpty());
}

void TestReadingCommands::commandStates()
{
    Harness h;
    QCOMPARE(h.enabledStates(), QStringLiteral("100"));
    h.reading.read();
    QCOMPARE(h.enabledStates(), QStringLiteral("011"));

    h.reading.pauseOrResume();
    QCOMPARE(h.view.captions[3], QStringLiteral("继续"));
    QCOMPARE(h.enabledStates(), QStringLiteral("001"));
    QVERIFY(h.engine.paused());

    h.reading.pauseOrResume();
    QCOMPARE(h.view.captions[3], QStringLiteral("暂停"));
    QCOMPARE(h.enabledStates(), QStringLiteral("011"));
    QVERIFY(!h.engine.paused());

    h.engine.raiseEndStream();
    QCOMPARE(h.enabledStates(), QStringLiteral("111")); // ended

    h.reading.stop();
    QCOMPARE(h.enabledStates(), QStringLiteral("100"));
    QVERIFY(h.reading.isStopped());
    QCOMPARE(h.engine.calls.last().flags.toInt(), int(SpeechEngine::PurgeBeforeSpeak));
}

void TestReadingCommands::pauseAfterTheEndDoesNotResumeOnRead()
{
    Harness h;
    h.reading.read();
    h.engine.raiseEndStream();
    h.reading.pauseOrResume();
    QVERIFY(h.reading.isPaused());
    h.reading.read();
    QCOMPARE(h.engine.resumeCalls(), 0);
    QVERIFY(h.reading.isPaused());
    QCOMPARE(h.view.captions[3], QStringLiteral("继续"));
}

void TestReadingCommands::mixedRunsSpeakInTurn()
{
    Harness h;
    h.view.document = QStringLiteral("Hello世界, OK!");
    h.view.mixed = true;
    h.reading.read();

    // Runs 「Hello」 in English, 「世界, 」 in Chinese, 「OK!」 in English.
    QCOMPARE(h.engine.spoken().size(), 1);
    QCOMPARE(h.engine.spoken().at(0).text, QStringLiteral("Hello"));
    QCOMPARE(h.engine.spoken().at(0).voice, 4);
    QCOMPARE(h.selection(), QStringLiteral("Hello世界, OK!"));
    h.engine.raiseEndStream();
    QCOMPARE(h.engine.spoken().at(1).text, QStringLiteral("世界, "));
    QCOMPARE(h.engine.spoken().at(1).voice, 2);
    h.engine.raiseWord(0, 2);
    QCOMPARE(h.selStart(), 5);
    QCOMPARE(h.selection(), QStringLiteral("世界"));
    h.engine.raiseEndStream();
    QCOMPARE(h.engine.spoken().at(2).text, QStringLiteral("OK!"));
    QCOMPARE(h.engine.spoken().at(2).voice, 4);
    h.engine.raiseWord(0, 2);
    QCOMPARE(h.selStart(), 9);
    QCOMPARE(h.view.word, QStringLiteral("OK"));
    h.engine.raiseEndStream();
    QCOMPARE(h.engine.spoken().size(), 3); // no loop: the reading ended
    QCOMPARE(h.enabledStates(), QStringLiteral("111"));
}

void TestReadingCommands::mixedLoopAndStop()
{
    Harness h;
    // Every character changes language: as many runs as characters.
    h.view.document = QStringLiteral("a中b文");
    h.view.mixed = true;
    h.view.loop = true;
    h.reading.read();
    for (int i = 0; i < 4; ++i)
        h.engine.raiseEndStream();
    QStringList texts;
    for (const auto& call : h.engine.spoken())
        texts << call.text;
    QCOMPARE(texts, (QStringList{QStringLiteral("a"), QStringLiteral("中"), QStringLiteral("b"),
                                 QStringLiteral("文"), QStringLiteral("a")}));
    QCOMPARE(h.reading.runIndex(), 0);

    h.reading.stop();
    h.engine.raiseEndStream(); // the reminder's speech, say
    QCOMPARE(h.engine.spoken().size(), 5);
}

void TestReadingCommands::plainLoopRereadsFromTheStart()
{
    Harness h;
    const QString text = QStringLiteral("0123456789 looped words");
    h.view.document = text;
    h.view.loop = true;
    h.reading.setReadingStart(10);
    h.reading.read();
    h.engine.raiseEndStream();
    h.engine.raiseEndStream();
    const auto said = h.engine.spoken();
    QCOMPARE(said.size(), 3);
    for (const auto& call : said)
        QCOMPARE(call.text, text.mid(10));
    h.engine.raiseWord(1, 6);
    QCOMPARE(h.selection(), QStringLiteral("looped"));

    h.reading.stop();
    h.engine.raiseEndStream(); // a late end of the stopped stream
    QCOMPARE(h.engine.spoken().size(), 3);
    QCOMPARE(h.enabledStates(), QStringLiteral("100"));
}

void TestReadingCommands::announcementInterruptsReading_data()
{
    QTest::addColumn<bool>("mixed");
    QTest::addColumn<bool>("paused");
    QTest::addColumn<int>("endsBefore"); // ends of stream before the word heard
    QTest::addColumn<int>("heard");      // the word heard when the reminder comes, in its stream
    QTest::addColumn<QString>("rest");   // what the reading says after the announcement
    QTest::addColumn<int>("voice");
    QTest::addColumn<int>("restStart"); // where the rest starts in the text

    QTest::newRow("plain") << false << false << 0 << 6 << QStringLiteral("界, OK!") << 2 << 6;
    QTest::newRow("plain, paused")
        << false << true << 0 << 6 << QStringLiteral("界, OK!") << 2 << 6;
    QTest::newRow("mixed, second run")
        << true << false << 1 << 1 << QStringLiteral("界, ") << 2 << 6;
    QTest::newRow("mixed, paused") << true << true << 1 << 1 << QStringLiteral("界, ") << 2 << 6;
}

void TestReadingCommands::announcementInterruptsReading()
{
    QFETCH(bool, mixed);
    QFETCH(bool, paused);
    QFETCH(int, endsBefore);
    QFETCH(int, heard);
    QFETCH(QString, rest);
    QFETCH(int, voice);
    QFETCH(int, restStart);

    Harness h;
    h.view.document = QStringLiteral("Hello世界, OK!");
    h.view.mixed = mixed;
    h.reading.read();
    for (int i = 0; i < endsBefore; ++i)
        h.engine.raiseEndStream();
    h.engine.raiseWord(heard, 1);
    const QString word = h.view.word;
    const int knob = h.view.knob;
    const QString states = h.enabledStates();
    if (paused)
        h.reading.pauseOrResume();

    h.announce(QStringLiteral("开会"));
    QCOMPARE(h.engine.spoken().last().text, QStringLiteral("开会"));
    QVERIFY(!h.engine.paused()); // heard even when the reading was paused
    // Its words are not the document's.
    h.engine.raiseWord(0, 1);
    QCOMPARE(h.view.word, word);
    QCOMPARE(h.selection(), word);
    QCOMPARE(h.view.knob, knob);
    h.engine.raiseEndStream();

    // The reading carries on from the word it was interrupted at, paused if it was.
    QCOMPARE(h.engine.spoken().last().text, rest);
    QCOMPARE(h.engine.spoken().last().voice, voice);
    QCOMPARE(h.engine.paused(), paused);
    QCOMPARE(h.reading.isPaused(), paused);
    QCOMPARE(h.view.captions[3], paused ? QStringLiteral("继续") : QStringLiteral("暂停"));
    if (paused)
        h.reading.pauseOrResume();
    QCOMPARE(h.enabledStates(), states);
    h.engine.raiseWord(0, 1);
    QCOMPARE(h.selStart(), restStart);
    h.engine.raiseEndStream();
    QCOMPARE(h.engine.spoken().last().text,
             mixed ? QStringLiteral("OK!") : rest); // the runs go on; a plain reading ends
    QCOMPARE(h.engine.spoken().size(), (mixed ? 4 : 3) + endsBefore);
}

void TestReadingCommands::wordEvents_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("textlength");
    QTest::addColumn<int>("position");
    QTest::addColumn<int>("length");
    QTest::addColumn<int>("expectedStart");
    QTest::addColumn<int>("expectedLength");

    const QString emoji = QStringLiteral("ab \U0001F600 cd");
    QTest::newRow("plain from 5") << QStringLiteral("01234abcdefgh") << 5 << 0 << 3 << 5 << 3;
    QTest::newRow("length 0 changes nothing")
        << QStringLiteral("some text") << 0 << 5 << 0 << 0 << 0;
    QTest::newRow("start inside a pair moves to its start") << emoji << 0 << 4 << 1 << 3 << 2;
    QTest::newRow("end inside a pair grows to its end") << emoji << 0 << 3 << 1 << 3 << 2;
    QTest::newRow("past the end stays in the text")
        << QStringLiteral("short") << 0 << 50 << 3 << 5 << 0;
}

void TestReadingCommands::wordEvents()
{
    QFETCH(QString, text);
    QFETCH(int, textlength);
    QFETCH(int, position);
    QFETCH(int, length);
    QFETCH(int, expectedStart);
    QFETCH(int, expectedLength);

    Harness h;
    h.view.document = text;
    h.reading.setReadingStart(textlength);
    h.reading.read();
    h.view.setSelection(0, 0);
    h.engine.raiseWord(position, length);
    QCOMPARE(h.selStart(), expectedStart);
    QCOMPARE(h.selLength(), expectedLength);
}

void TestReadingCommands::knobFollowsTheWord()
{
    Harness h;
    h.view.document = QString(200, u'x');
    h.view.track = {100, 400};
    h.reading.read();
    h.engine.raiseWord(50, 1);
    QCOMPARE(h.view.knob, 200);
    QCOMPARE(h.view.word, QStringLiteral("x"));
}

void TestReadingCommands::wordAfterTheBoxWasEmptied()
{
    Harness h;
    h.reading.read();
    h.engine.raiseWord(3, 2);
    const int knob = h.view.knob;
    const QString word = h.view.word;
    h.view.document.clear();
    h.engine.raiseWord(20, 4);
    QCOMPARE(h.selStart(), 0);
    QCOMPARE(h.view.knob, knob);
    QCOMPARE(h.view.word, word);
}

void TestReadingCommands::ratesAndVolume()
{
    Harness h;
    h.reading.read();
    const int callsBefore = int(h.engine.calls.size());
    h.reading.setRate(-10);
    QCOMPARE(h.engine.rate(), -10);
    h.reading.setRate(10);
    QCOMPARE(h.engine.rate(), 10);
    h.reading.setVolume(0);
    QCOMPARE(h.engine.volume(), 0);
    QCOMPARE(h.view.volumeCaption, QStringLiteral("音量：0"));
    QCOMPARE(h.engine.calls.size(), callsBefore); // the reading was not restarted
}

QTEST_MAIN(TestReadingCommands)
#include "tst_reading_commands.moc"
