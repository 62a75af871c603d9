#include "reading/ReadingController.h"

#include "assistant/Agent.h"
#include "common/MessageBoxPort.h"
#include "common/VbMath.h"
#include "reading/LanguageRuns.h"
#include "reading/ReadingView.h"
#include "reading/SpeechEngine.h"

#include <algorithm>
#include <climits>
#include <utility>

namespace lirondo {

namespace {

// A position must never fall between the two halves of a surrogate pair.
int startOfCharacter(const QString& text, int position)
{
    if (position > 0 && position < text.size() && text.at(position).isLowSurrogate() &&
        text.at(position - 1).isHighSurrogate())
        return position - 1;
    return position;
}

int endOfCharacter(const QString& text, int end)
{
    if (end > 0 && end < text.size() && text.at(end).isLowSurrogate() &&
        text.at(end - 1).isHighSurrogate())
        return end + 1;
    return end;
}

} // namespace

ReadingController::ReadingController(SpeechEngine& eVoice, ReadingView& view,
                                     MessageBoxPort& messages, const GbkCodePage& gbk,
                                     QObject* parent)
    : QObject(parent), m_eVoice(eVoice), m_view(view), m_messages(messages),
      m_runs(std::make_unique<LanguageRuns>(gbk))
{
    connect(&m_eVoice, &SpeechEngine::word, this, &ReadingController::eVoice_Word);
    connect(&m_eVoice, &SpeechEngine::sentence, this, &ReadingController::eVoice_Sentence);
    connect(&m_eVoice, &SpeechEngine::endStream, this, &ReadingController::eVoice_EndStream);
}

ReadingController::~ReadingController() = default;

bool ReadingController::setUpVoices()
{
    m_agentshow = 0;
    m_textlength = 0;
    m_stopped = -1;
    m_paused = 0;
    m_runindex = 0;
    if (!m_eVoice.isReady())
        return false;
    m_eVoice.setRate(-1);

    m_voices = VoiceTable::build(m_eVoice.voices());
    for (const QString& description : std::as_const(m_voices.voicedesc))
        m_view.addVoice(description);

    const int chinese = m_voices.chinese;
    const int english = m_voices.english;
    if (chinese < 0) {
        m_messages.info(QStringLiteral("你的系统中没有装中文语音支持，将无法朗读中文语音！"));
    } else {
        makeVoiceCurrent(chinese);
        m_view.setVoiceText(m_voices.voicedesc.at(chinese));
    }
    if (english < 0)
        m_messages.info(QStringLiteral("你的系统中没有安装安装英文语音库,将无法朗读英文！"));
    else if (chinese < 0)
        makeVoiceCurrent(english);
    if (chinese >= 0 && english >= 0)
        m_view.setMixedReadingEnabled(true);
    return true;
}

void ReadingController::Combo1_Click(int listPosition)
{
    makeVoiceCurrent(listPosition);
}

bool ReadingController::makeVoiceCurrent(int tableIndex)
{
    if (tableIndex < 0 || tableIndex >= m_voices.size())
        return false;
    m_eVoice.setVoice(m_voices.voiceindex.at(tableIndex));
    return true;
}

void ReadingController::Label2_Click(int index)
{
    switch (index) {
    case Read:
        m_readEnd = -1;
        read();
        break;
    case Stop:
        stop();
        break;
    case ShowCharacter:
        showOrHideCharacter();
        break;
    case PauseResume:
        pauseOrResume();
        break;
    case About:
        if (showAbout)
            showAbout();
        break;
    default:
        break;
    }
}

void ReadingController::read()
{
    if (m_view.textLength() == 0)
        return;
    m_resumeAt = -1;
    m_view.setCommandEnabled(Stop, true);
    m_view.setCommandEnabled(PauseResume, true);
    m_view.setCommandEnabled(Read, false);
    if (m_view.mixedReading())
        readMixed();
    else
        readPlain();
    m_stopped = 0;
    Q_EMIT readingStarted();
}

void ReadingController::readPart(int start, int end)
{
    m_textlength = start;
    m_readEnd = std::max(start, end);
    read();
}

QString ReadingController::readable(const QString& text) const
{
    return m_readEnd < 0 ? text : text.left(m_readEnd);
}

void ReadingController::readMixed()
{
    const QString text = readable(m_view.text());
    m_readStart = m_textlength;
    m_runs->SplitText(text, m_textlength, m_voices.chinese, m_voices.english);
    m_view.setSelection(m_textlength, static_cast<int>(text.size()) - m_textlength);
    m_eVoice.speak(QString(), SpeechEngine::PurgeBeforeSpeak);
    m_stream = 0;
    m_runindex = 0;
    if (!m_runs->inRange(0) || m_runs->runtext(0).isEmpty()) {
        // Nothing from the reading start on: the reading ends at once.
        endReadingAtOnce();
        return;
    }
    makeVoiceCurrent(m_runs->runvoice(0));
    speakOwn(m_runs->runtext(0), m_readStart);
}

void ReadingController::readPlain()
{
    m_eVoice.speak(QString(), SpeechEngine::PurgeBeforeSpeak);
    m_stream = 0;
    const QString text = readable(m_view.text());
    m_view.setSelection(m_textlength, static_cast<int>(text.size()) - m_textlength);
    if (m_textlength < 0 || m_textlength >= text.size()) {
        endReadingAtOnce();
        return;
    }
    speakOwn(m_textlength == 0 ? text : text.mid(m_textlength), m_textlength);
}

void ReadingController::speakOwn(const QString& text, qint64 startInText)
{
    m_streamText = text;
    m_streamStart = startInText;
    m_heard = 0;
    m_stream = m_eVoice.speak(text, SpeechEngine::Async);
}

void ReadingController::endReadingAtOnce()
{
    m_view.setCommandEnabled(Read, true);
}

void ReadingController::stop()
{
    Q_EMIT stopping();
    m_eVoice.speak(QString(), SpeechEngine::PurgeBeforeSpeak);
    m_stream = 0;
    m_resumeAt = -1;
    if (m_genie)
        m_genie->EndSentence(); // a purged sentence raises no end of stream
    m_stopped = -1;
    m_view.setCommandEnabled(Read, true);
    m_view.setCommandEnabled(Stop, false);
    m_view.setCommandEnabled(PauseResume, false);
}

void ReadingController::newDocument()
{
    m_textlength = 0;
    m_view.setKnobLeft(m_view.trackLeft());
}

void ReadingController::interruptForAnnouncement()
{
    if (m_stream != 0 && m_stopped == 0)
        m_resumeAt = m_heard;
    // Dropped here, so that letting a pause go below cannot play a moment of the reading.
    m_eVoice.speak(QString(), SpeechEngine::PurgeBeforeSpeak);
    m_stream = 0;
    if (m_genie)
        m_genie->EndSentence(); // the announcement is said now, not behind a backlog
    if (m_paused != 0)
        m_eVoice.resume();
}

void ReadingController::pauseOrResume()
{
    if (m_paused != 0) {
        m_eVoice.resume();
        m_view.setCommandCaption(PauseResume, QStringLiteral("暂停"));
        m_view.setCommandEnabled(Stop, true);
        m_paused = 0;
    } else {
        m_view.setCommandCaption(PauseResume, QStringLiteral("继续"));
        m_view.setCommandEnabled(Stop, false);
        m_eVoice.pause();
        m_paused = 1;
    }
}

void ReadingController::showOrHideCharacter()
{
    const QString hello = QStringLiteral("Hello! What can I do For you ?");
    if (m_agentshow == 0) {
        if (!loadCharacter)
            return;
        AgentCharacter* loaded = loadCharacter(defaultCharacterPath);
        if (!loaded)
            loaded = loadCharacter(QString());
        if (!loaded)
            return;
        m_genie = loaded;
        m_agentshow = 1;
        m_genie->Show();
        m_genie->MoveTo(200, 200);
        m_genie->Speak(hello);
        m_view.setCommandCaption(ShowCharacter, QStringLiteral("隐藏精灵"));
        return;
    }
    if (!m_genie)
        return;
    if (m_genie->Visible()) {
        m_genie->Speak(QStringLiteral("See you next time !"));
        m_genie->Hide();
        m_view.setCommandCaption(ShowCharacter, QStringLiteral("显示精灵"));
    } else {
        m_genie->Show();
        m_genie->Speak(hello);
        m_view.setCommandCaption(ShowCharacter, QStringLiteral("隐藏精灵"));
    }
}

int ReadingController::positionInText(int position) const
{
    return static_cast<int>(std::clamp<qint64>(m_streamStart + position, INT_MIN, INT_MAX));
}

void ReadingController::eVoice_Word(int stream, int position, int length)
{
    if (stream == 0 || stream != m_stream || length < 1)
        return;
    m_heard = std::clamp(position, 0, static_cast<int>(m_streamText.size()));
    if (m_agentshow != 0)
        return;
    const QString text = m_view.text();
    const int start = startOfCharacter(text, positionInText(position));
    m_view.setSelection(start, 0);

    const int textLength = static_cast<int>(text.size());
    if (textLength == 0)
        return; // the user emptied the box: nothing to place the knob on
    const int selStart = m_view.selectionStart();
    m_view.setKnobLeft(vbRoundToInt(
        static_cast<double>(selStart) / textLength * m_view.trackWidth() + m_view.trackLeft()));

    const int end = endOfCharacter(text, selStart + length);
    m_view.setSelection(selStart, end - selStart);
    m_view.setWordCaption(m_view.selectedText());
}

void ReadingController::eVoice_Sentence(int stream, int position, int length)
{
    if (stream == 0 || stream != m_stream || length <= 0)
        return;
    m_heard = std::clamp(position, 0, static_cast<int>(m_streamText.size()));
    if (m_agentshow != 1)
        return;
    const QString text = m_view.text();
    const int start = startOfCharacter(text, positionInText(position));
    m_view.setSelection(start, endOfCharacter(text, start + length) - start);
    if (m_genie)
        m_genie->SpeakSentence(m_view.selectedText());
}

void ReadingController::eVoice_EndStream(int stream)
{
    if (stream == 0 || stream != m_stream) {
        otherSpeechEnded();
        return;
    }
    m_stream = 0;
    if (m_genie)
        m_genie->EndSentence(); // its last sentence has been heard
    m_view.setCommandEnabled(Read, true);
    carryOn();
}

// The reading's stream has been spoken: the next run, a loop pass, or the end.
void ReadingController::carryOn()
{
    if (m_stopped != 0)
        return;
    if (!m_view.mixedReading()) {
        if (m_view.loopReading()) {
            const QString text = readable(m_view.text());
            if (m_textlength >= 0 && m_textlength < text.size())
                speakOwn(text.mid(m_textlength), m_textlength);
        }
        return;
    }

    ++m_runindex;
    if (m_runs->inRange(m_runindex) && !m_runs->runtext(m_runindex).isEmpty()) {
        // A run without a voice ends the reading here, as a failed voice lookup would.
        if (!makeVoiceCurrent(m_runs->runvoice(m_runindex)))
            return;
        speakOwn(m_runs->runtext(m_runindex), m_readStart + m_runs->runOffset(m_runindex));
        return;
    }
    if (!m_view.loopReading())
        return;
    m_runindex = 0;
    if (!m_runs->inRange(0) || m_runs->runtext(0).isEmpty() ||
        !makeVoiceCurrent(m_runs->runvoice(0)))
        return;
    speakOwn(m_runs->runtext(0), m_readStart);
}

void ReadingController::otherSpeechEnded()
{
    // The announcement was let through a pause: the reading waits behind it again.
    if (m_paused != 0)
        m_eVoice.pause();
    if (m_resumeAt < 0)
        return;
    const int at = std::exchange(m_resumeAt, -1);
    if (m_stopped != 0)
        return;
    const QString rest = m_streamText.mid(at);
    if (rest.isEmpty()) {
        m_view.setCommandEnabled(Read, true);
        carryOn();
        return;
    }
    speakOwn(rest, m_streamStart + at);
}

void ReadingController::Slider1_Scroll(int value)
{
    m_eVoice.setRate(value);
}

void ReadingController::Slider2_Scroll(int value)
{
    m_eVoice.setVolume(value);
    m_view.setVolumeCaption(QStringLiteral("音量：") + QString::number(value));
}

} // namespace lirondo
