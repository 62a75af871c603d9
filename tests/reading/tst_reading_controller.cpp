// The reading commands and the engine's events, over fake views of the window and the engine.

#include "common/Gbk.h"
#include "fakes/FakeMessageBox.h"
#include "fakes/FakeReadingView.h"
#include "fakes/FakeSpeechEngine.h"
#include "reading/ReadingController.h"

#include <QTest>

#include <functional>
#include <map>

using namespace lirondo;
using namespace lirondo::test;
using namespace Qt::StringLiterals;

namespace {

const QString kEspeak = u"Afrikaans:af|Chinese (Cantonese):yue,zh|Chinese (Mandarin, latin as "
                        "English):cmn,zh-cmn,zh|English (Great Britain):en-gb,en|English "
                        "(America):en-us,en"_s;

// Voices written as "description:tag,tag|description|..."; ":" has neither.
QList<VoiceInfo> voices(const QString& list)
{
    QList<VoiceInfo> result;
    for (const QString& voice : list.split(u'|', Qt::SkipEmptyParts))
        result.append({u"id-"_s + voice.section(u':', 0, 0), voice.section(u':', 0, 0),
                       voice.section(u':', 1).split(u',', Qt::SkipEmptyParts)});
    return result;
}

// A row is "name; the text box; the steps" and, on the next line, what each step did, split
// by "|" ("-": nothing). Steps: read, stop, pause (the pause/resume command), end (the engine's
// end of its last stream), w:at,length (a word heard in it), start:n (the reading start), rate:n,
// vol:n, mixed and loop (tick the box), clear (empty the text box), ann (an announcement).
// What a step did: × a purge, «text»n the text spoken with voice n ("!" after either: without
// its usual flag), then what changed: [read stop pause] enabled, started/stopped, the pause
// command's caption, the engine paused ‖ or playing ▶, @start+length the selection, k the knob
// and w= the word label, the engine's rate and volume with the volume caption.
// The espeak-like voices: Chinese 2, English 4. The knob's track runs from 100, 240 wide.
const QString kScripts = uR"(
empty box: nothing; ; read
    -
from the reading start, or from its end on: ended at once; abcdef; start:2 read start:6 read start:9 read
    - | × «cdef»2 [011] started @2+4 | - | × [111] @6+0 | - | ×
pause, resume, the end, a pause after it that read does not let go, stop; abc; read pause pause end pause read stop
    × «abc»2 [011] started @0+3 | [001] 继续 ‖ | [011] 暂停 ▶ | [111] | [101] 继续 ‖ | × «abc»2 [011] | × [100] stopped
mixed: the runs in turn, each in its voice; Hello世界, OK!; mixed read end w:0,2 end w:0,2 end
    - | × «Hello»4 [011] started @0+12 | «世界, »2 [111] | @5+2 k200 w=世界 | «OK!»4 | @9+2 k280 w=OK | -
mixed loop: a run per character, again from the start; a中b文; mixed loop read end end end end stop end
    - | - | × «a»4 [011] started @0+4 | «中»2 [111] | «b»4 | «文»2 | «a»4 | × [100] stopped | -
plain loop: again from the reading start; 0123456789 looped words; loop start:10 read end end w:1,6 stop end
    - | - | × « looped words»2 [011] started @10+13 | « looped words»2 [111] | « looped words»2 | @11+6 k215 w=looped | × [100] stopped | -
announcement: the reading goes on from the word heard; Hello世界, OK!; read w:6,1 ann w:0,1 end w:1,1 end
    × «Hello世界, OK!»2 [011] started @0+12 | @6+1 k220 w=界 | × × «开会»2 | - | «界, OK!»2 | @7+1 k240 w=, | [111]
announcement while paused: heard, then paused again; Hello世界, OK!; read w:6,1 pause ann w:0,1 end pause w:1,1 end
    × «Hello世界, OK!»2 [011] started @0+12 | @6+1 k220 w=界 | [001] 继续 ‖ | × × «开会»2 ▶ | - | «界, OK!»2 ‖ | [011] 暂停 ▶ | @7+1 k240 w=, | [111]
announcement in a mixed run: the run, then the next; Hello世界, OK!; mixed read end w:1,1 ann w:0,1 end w:1,1 end
    - | × «Hello»4 [011] started @0+12 | «世界, »2 [111] | @6+1 k220 w=界 | × × «开会»2 | - | «界, »2 | @7+1 k240 w=, | «OK!»4
announcement in a paused mixed run; Hello世界, OK!; mixed read end w:1,1 pause ann w:0,1 end pause w:1,1 end
    - | × «Hello»4 [011] started @0+12 | «世界, »2 [111] | @6+1 k220 w=界 | [101] 继续 ‖ | × × «开会»2 ▶ | - | «界, »2 ‖ | [111] 暂停 ▶ | @7+1 k240 w=, | «OK!»4
word: selected, the knob and the label follow, not for length 0, clamped past the end; 01234abcdefgh; start:5 read w:0,3 w:2,0 w:50,3
    - | × «abcdefgh»2 [011] started @5+8 | @5+3 k192 w=abc | - | @13+0 k340 w=
word inside a surrogate pair: the whole character; ab 😀 cd; read w:4,1 w:0,1 w:3,1
    × «ab 😀 cd»2 [011] started @0+8 | @3+2 k190 w=😀 | @0+1 k100 w=a | @3+2 k190 w=😀
word after the box was emptied: knob and label stay; abcdef; read w:3,2 clear w:20,4
    × «abcdef»2 [011] started @0+6 | @3+2 k220 w=de | - | @0+0
rate and volume reach the engine, the reading goes on; abc; read rate:-10 rate:10 vol:0
    × «abc»2 [011] started @0+3 | rate-10 | rate10 | vol0 音量：0
)"_s;

struct Harness
{
    explicit Harness(const QString& list = kEspeak) : engine(voices(list)) {}

    // What a step can change, one entry per kind.
    QStringList observe() const
    {
        const auto& on = view.enabled; // read, stop, pause
        return {u"[%1%2%3]"_s.arg(int(on[0])).arg(int(on[1])).arg(int(on[3])),
                reading.isStopped() ? u"stopped"_s : u"started"_s,
                view.captions[3],
                engine.paused() ? u"‖"_s : u"▶"_s,
                u"@%1+%2"_s.arg(view.selStart).arg(view.selLength),
                u"k%1 w=%2"_s.arg(view.knob).arg(view.word),
                u"rate%1"_s.arg(engine.rate()),
                u"vol%1 %2"_s.arg(engine.volume()).arg(view.volumeCaption)};
    }

    // Runs one step ("read", "w:3,2" ...) and tells what it did, as the table writes it.
    QString step(const QString& step)
    {
        const std::map<QString, std::function<void(int, int)>> ops = {
            {u"read"_s, [this](int, int) { reading.read(); }},
            {u"stop"_s, [this](int, int) { reading.stop(); }},
            {u"pause"_s, [this](int, int) { reading.pauseOrResume(); }},
            {u"end"_s, [this](int, int) { engine.raiseEndStream(); }},
            {u"w"_s, [this](int at, int length) { engine.raiseWord(at, length); }},
            {u"start"_s, [this](int at, int) { reading.setReadingStart(at); }},
            {u"rate"_s, [this](int rate, int) { reading.setRate(rate); }},
            {u"vol"_s, [this](int volume, int) { reading.setVolume(volume); }},
            {u"mixed"_s, [this](int, int) { view.mixed = true; }},
            {u"loop"_s, [this](int, int) { view.loop = true; }},
            {u"clear"_s, [this](int, int) { view.document.clear(); }},
            {u"ann"_s, [this](int, int) { // as the reminder announces
                 reading.interruptForAnnouncement();
                 engine.speak({}, SpeechEngine::PurgeBeforeSpeak);
                 engine.speak(u"开会"_s, SpeechEngine::Async);
             }}};
        const QStringList before = observe();
        const qsizetype called = engine.calls.size();
        const QStringList n = step.section(u':', 1).split(u',');
        ops.at(step.section(u':', 0, 0))(n.value(0).toInt(), n.value(1).toInt());
        QStringList did;
        for (const auto& call : engine.calls.mid(called)) {
            const auto flag =
                call.text.isEmpty() ? SpeechEngine::PurgeBeforeSpeak : SpeechEngine::Async;
            did << (call.text.isEmpty() ? u"×"_s : u"«%1»%2"_s.arg(call.text).arg(call.voice)) +
                       (call.flags == flag ? u""_s : u"!"_s);
        }
        const QStringList after = observe();
        for (qsizetype i = 0; i < after.size(); ++i)
            if (after.at(i) != before.at(i))
                did << after.at(i);
        return did.isEmpty() ? u"-"_s : did.join(u' ');
    }

    GbkCodePage gbk;
    FakeSpeechEngine engine;
    FakeReadingView view;
    FakeMessageBox messages;
    ReadingController reading{engine, view, messages, gbk};
    bool voicesReady = reading.setUpVoices(); // as the window starts
};

} // namespace

class TestReadingController : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void voiceChoice_data()
    {
        QTest::addColumn<QString>("voiceList");
        QTest::addColumn<int>("chinese"); // in the voice table, -1: none
        QTest::addColumn<int>("english");
        const QString many = QStringList(130, u"a voice"_s).join(u'|');

        QTest::newRow("no voice at all") << "" << -1 << -1;
        QTest::newRow("only Mike") << "Microsoft Mike" << -1 << 0;
        QTest::newRow("only Simplified Chinese") << "Microsoft Simplified Chinese" << 0 << -1;
        QTest::newRow("Mary at 2, Mike at 5")
            << "a|b|Microsoft Mary|c|中文女声语音(Ch.Female) [单机版]|Microsoft Mike" << 4 << 5;
        QTest::newRow("case and trailing blank are not taken")
            << "microsoft mary|Microsoft Mike " << -1 << -1;
        QTest::newRow("fixed names win over tags")
            << kEspeak + u"|Microsoft Mike|Microsoft Simplified Chinese"_s << 6 << 5;
        QTest::newRow("tags: Mandarin, then en-US") << kEspeak << 2 << 4;
        QTest::newRow("tags: plain en when no en-US") << "Welsh:cy|English:en-GB,en" << -1 << 1;
        QTest::newRow("empty description: listed under its id") << ":|Microsoft Mike" << -1 << 1;
        QTest::newRow("tags: zh-CN") << "Putonghua:zh-CN" << 0 << -1;
        QTest::newRow("more than 21 voices") << many + u"|Microsoft Mike"_s << -1 << 130;
    }

    void voiceChoice()
    {
        QFETCH(QString, voiceList);
        QFETCH(int, chinese);
        QFETCH(int, english);
        Harness h(voiceList);
        const VoiceTable& table = h.reading.voiceTable();
        QCOMPARE(std::pair(table.chinese, table.english), std::pair(chinese, english));
        // A warning for each voice missing, the Chinese one first.
        const QStringList warnings = {u"你的系统中没有装中文语音支持，将无法朗读中文语音！"_s,
                                      u"你的系统中没有安装安装英文语音库,将无法朗读英文！"_s};
        QCOMPARE(h.messages.texts(),
                 warnings.mid(chinese < 0 ? 0 : 1, int(chinese < 0) + int(english < 0)));
        QStringList listed;
        for (const VoiceInfo& voice : h.engine.voices())
            listed << (voice.description.isEmpty() ? voice.id : voice.description);
        QCOMPARE(h.view.voices, listed);
        // The Chinese voice is the one in use and shown, else the English one; mixed reading
        // needs both.
        QCOMPARE(h.engine.currentVoice(), chinese >= 0 ? chinese : english);
        QCOMPARE(h.view.voiceText, chinese >= 0 ? listed.at(chinese) : QString());
        QCOMPARE(h.view.mixedEnabled, chinese >= 0 && english >= 0);
        QCOMPARE(h.engine.rate(), -1);
    }

    void script_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("steps");
        QTest::addColumn<QString>("did");
        const QStringList lines = kScripts.trimmed().split(u'\n');
        for (qsizetype i = 0; i + 1 < lines.size(); i += 2) {
            const QStringList row = lines.at(i).split(u';');
            QTest::newRow(qPrintable(row.at(0)))
                << row.value(1).trimmed() << row.value(2).trimmed() << lines.at(i + 1).trimmed();
        }
    }

    void script()
    {
        QFETCH(QString, text);
        QFETCH(QString, steps);
        QFETCH(QString, did);
        Harness h;
        h.view.document = text;
        QStringList seen;
        for (const QString& step : steps.split(u' '))
            seen << h.step(step);
        QCOMPARE(seen.join(u" | "), did);
    }
};

QTEST_GUILESS_MAIN(TestReadingController)
#include "tst_reading_controller.moc"
