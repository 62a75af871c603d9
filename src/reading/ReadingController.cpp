#include "reading/ReadingController.h"

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

ReadingController::ReadingController(SpeechEngine& engine, ReadingView& view,
                                     MessageBoxPort& messages, const GbkCodePage& gbk,
                                     QObject* parent)
    : QObject(parent), m_engine(engine), m_view(view), m_messages(messages),
      m_runs(std::make_unique<LanguageRuns>(gbk))
{
    connect(&m_engine, &SpeechEngine::word, this, &ReadingController::onWord);
    connect(&m_engine, &SpeechEngine::sentence, this, &ReadingController::onSentence);
    connect(&m_engine, &SpeechEngine::endStream, this, &ReadingController::onEndStream);
}

ReadingController::~ReadingController() = default;

bool ReadingController::setUpVoices()
{
    m_readingStart = 0;
    m_stopped = true;
    m_paused = false;
    m_runIndex = 0;
    if (!m_engine.isReady())
        return false;
    m_engine.setRate(-1);

    m_voices = VoiceTable::build(m_engine.voices());
    for (const QString& description : std::as_const(m_voices.descriptions))
        m_view.addVoice(description);

    const int chinese = m_voices.chinese;
    const int english = m_voices.english;
    if (chinese < 0) {
        m_messages.info(tr("你的系统中没有装中文语音支持，将无法朗读中文语音！"));
    } else {
        makeVoiceCurrent(chinese);
        m_view.setVoiceText(m_voices.descriptions.at(chinese));
    }
    if (english < 0)
        m_messages.info(tr("你的系统中没有安装安装英文语音库,将无法朗读英文！"));
    else if (chinese < 0)
        makeVoiceCurrent(english);
    if (chinese >= 0 && english >= 0)
        m_view.setMixedReadingEnabled(true);
    return true;
}

void ReadingController::chooseVoice(int listPosition)
{
    makeVoiceCurrent(listPosition);
}

bool ReadingController::makeVoiceCurrent(int tableIndex)
{
    if (tableIndex < 0 || tableIndex >= m_voices.size())
        return false;
    m_engine.setVoice(m_voices.engineIndex.at(tableIndex));
    return true;
}

void ReadingController::read()
{
    m_readEnd = -1;
    startReading();
}

void ReadingController::startReading()
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
    m_stopped = false;
    Q_EMIT readingStarted();
}

void ReadingController::readPart(int start, int end)
{
    m_readingStart = start;
    m_readEnd = std::max(start, end);
    startReading();
}

QString ReadingController::readable(const QString& text) const
{
    return m_readEnd < 0 ? text : text.left(m_readEnd);
}

void ReadingController::readMixed()
{
    const QString text = readable(m_view.text());
    m_readStart = m_readingStart;
    m_runs->split(text, m_readingStart, m_voices.chinese, m_voices.english);
    m_view.setSelection(m_readingStart, static_cast<int>(text.size()) - m_readingStart);
    m_engine.speak(QString(), SpeechEngine::PurgeBeforeSpeak);
    m_stream = 0;
    m_runIndex = 0;
    if (!m_runs->inRange(0) || m_runs->runText(0).isEmpty()) {
        // Nothing from the reading start on: the reading ends at once.
        endReadingAtOnce();
        return;
    }
    makeVoiceCurrent(m_runs->runVoice(0));
    speakOwn(m_runs->runText(0), m_readStart);
}

void ReadingController::readPlain()
{
    m_engine.speak(QString(), SpeechEngine::PurgeBeforeSpeak);
    m_stream = 0;
    const QString text = readable(m_view.text());
    m_view.setSelection(m_readingStart, static_cast<int>(text.size()) - m_readingStart);
    if (m_readingStart < 0 || m_readingStart >= text.size()) {
        endReadingAtOnce();
        return;
    }
    speakOwn(m_readingStart == 0 ? text : text.mid(m_readingStart), m_readingStart);
}

void ReadingController::speakOwn(const QString& text, qint64 startInText)
{
    m_streamText = text;
    m_streamStart = startInText;
    m_heard = 0;
    m_stream = m_engine.speak(text, SpeechEngine::Async);
}

void ReadingController::endReadingAtOnce()
{
    m_view.setCommandEnabled(Read, true);
}

void ReadingController::stop()
{
    Q_EMIT stopping();
    m_engine.speak(QString(), SpeechEngine::PurgeBeforeSpeak);
    m_stream = 0;
    m_resumeAt = -1;
    Q_EMIT sentenceEnded(); // a purged sentence raises no end of stream
    m_stopped = true;
    m_view.setCommandEnabled(Read, true);
    m_view.setCommandEnabled(Stop, false);
    m_view.setCommandEnabled(PauseResume, false);
}

void ReadingController::newDocument()
{
    m_readingStart = 0;
    m_view.setKnobLeft(m_view.trackLeft());
}

void ReadingController::interruptForAnnouncement()
{
    if (m_stream != 0 && !m_stopped)
        m_resumeAt = m_heard;
    // Dropped here, so that letting a pause go below cannot play a moment of the reading.
    m_engine.speak(QString(), SpeechEngine::PurgeBeforeSpeak);
    m_stream = 0;
    Q_EMIT sentenceEnded(); // the announcement is said now, not behind a backlog
    if (m_paused)
        m_engine.resume();
}

void ReadingController::pauseOrResume()
{
    if (m_paused) {
        m_engine.resume();
        m_view.setCommandCaption(PauseResume, tr("暂停"));
        m_view.setCommandEnabled(Stop, true);
        m_paused = false;
    } else {
        m_view.setCommandCaption(PauseResume, tr("继续"));
        m_view.setCommandEnabled(Stop, false);
        m_engine.pause();
        m_paused = true;
    }
}

int ReadingController::positionInText(int position) const
{
    return static_cast<int>(std::clamp<qint64>(m_streamStart + position, INT_MIN, INT_MAX));
}

void ReadingController::onWord(int stream, int position, int length)
{
    if (stream == 0 || stream != m_stream || length < 1)
        return;
    m_heard = std::clamp(position, 0, static_cast<int>(m_streamText.size()));
    if (m_followsSentences)
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

void ReadingController::onSentence(int stream, int position, int length)
{
    if (stream == 0 || stream != m_stream || length <= 0)
        return;
    m_heard = std::clamp(position, 0, static_cast<int>(m_streamText.size()));
    if (!m_followsSentences)
        return;
    const QString text = m_view.text();
    const int start = startOfCharacter(text, positionInText(position));
    m_view.setSelection(start, endOfCharacter(text, start + length) - start);
    Q_EMIT sentenceHeard(m_view.selectedText());
}

void ReadingController::onEndStream(int stream)
{
    if (stream == 0 || stream != m_stream) {
        otherSpeechEnded();
        return;
    }
    m_stream = 0;
    Q_EMIT sentenceEnded(); // its last sentence has been heard
    m_view.setCommandEnabled(Read, true);
    carryOn();
}

// The reading's stream has been spoken: the next run, a loop pass, or the end.
void ReadingController::carryOn()
{
    if (m_stopped)
        return;
    if (!m_view.mixedReading()) {
        if (m_view.loopReading()) {
            const QString text = readable(m_view.text());
            if (m_readingStart >= 0 && m_readingStart < text.size())
                speakOwn(text.mid(m_readingStart), m_readingStart);
        }
        return;
    }

    ++m_runIndex;
    if (m_runs->inRange(m_runIndex) && !m_runs->runText(m_runIndex).isEmpty()) {
        // A run without a voice ends the reading here, as a failed voice lookup would.
        if (!makeVoiceCurrent(m_runs->runVoice(m_runIndex)))
            return;
        speakOwn(m_runs->runText(m_runIndex), m_readStart + m_runs->runOffset(m_runIndex));
        return;
    }
    if (!m_view.loopReading())
        return;
    m_runIndex = 0;
    if (!m_runs->inRange(0) || m_runs->runText(0).isEmpty() ||
        !makeVoiceCurrent(m_runs->runVoice(0)))
        return;
    speakOwn(m_runs->runText(0), m_readStart);
}

void ReadingController::otherSpeechEnded()
{
    // The announcement was let through a pause: the reading waits behind it again.
    if (m_paused)
        m_engine.pause();
    if (m_resumeAt < 0)
        return;
    const int at = std::exchange(m_resumeAt, -1);
    if (m_stopped)
        return;
    const QString rest = m_streamText.mid(at);
    if (rest.isEmpty()) {
        m_view.setCommandEnabled(Read, true);
        carryOn();
        return;
    }
    speakOwn(rest, m_streamStart + at);
}

void ReadingController::setRate(int value)
{
    m_engine.setRate(value);
}

void ReadingController::setVolume(int value)
{
    m_engine.setVolume(value);
    m_view.setVolumeCaption(tr("音量：") + QString::number(value));
}

} // namespace lirondo
