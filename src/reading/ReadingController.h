#pragma once

#include "reading/VoiceTable.h"

#include <QObject>

#include <memory>

namespace lirondo {

class GbkCodePage;
class MessageBoxPort;
class ReadingView;
class SpeechEngine;
class LanguageRuns;

// The reading engine of the main window: voice discovery at start-up, the read, stop
// and pause commands, the engine-event handlers that follow and carry on a reading,
// rate and volume.
class ReadingController : public QObject
{
    Q_OBJECT
public:
    // The command row's positions (the form's `Label2` indexes).
    enum Command
    {
        Read = 0,
        Stop = 1,
        ShowCharacter = 2,
        PauseResume = 3,
        About = 4
    };

    ReadingController(SpeechEngine& engine, ReadingView& view, MessageBoxPort& messages,
                      const GbkCodePage& gbk, QObject* parent = nullptr);
    ~ReadingController() override;

    // Start-up: the reading state, the voice table and list, the Chinese and English
    // voice and the warnings. Returns false when the engine could not be used (the
    // caller then skips the rest of its start-up).
    bool setUpVoices();
    // The voice list's choice (the form's `Combo1_Click`).
    void chooseVoice(int listPosition);

    // The command row (the form's `Label2_Click`): "朗读" reads the text from the reading
    // start; "暂停"/"继续".
    void read();
    void pauseOrResume();

    // The engine's events (the form's `eVoice_Word`, `eVoice_Sentence`, `eVoice_EndStream`).
    void onWord(int stream, int position, int length);
    void onSentence(int stream, int position, int length);
    void onEndStream(int stream);

    // The rate and volume sliders (the form's `Slider1_Scroll`, `Slider2_Scroll`).
    void setRate(int value);
    void setVolume(int value);

    // The stop command; the locator and the reading list stop reading this way too.
    // Dropping the speech leaves the command row idle.
    void stop();
    // Where the next reading starts, in the text (the form's `textlength`).
    void setReadingStart(int offset) { m_readingStart = offset; }
    // The read command for the text from `start` up to `end` only (a selection): the
    // reading start becomes `start`; a loop pass repeats just that part.
    void readPart(int start, int end);
    // A new document is read from its start: the reading start goes back to 0 and the
    // knob to the track's left end.
    void newDocument();

    // Another part (the reminder) is about to drop the speech and say something of its
    // own. Its speech is heard even while the reading is paused; when it has been said,
    // an interrupted reading carries on from the word it was at (paused, if it was).
    void interruptForAnnouncement();

    // Once set, a reading is followed sentence by sentence for the character: word events
    // select nothing, each sentence heard is selected and sent out as sentenceHeard().
    void setFollowsSentences(bool follows) { m_followsSentences = follows; }

    // State, readable by the other parts of the window and by tests.
    int readingStart() const { return m_readingStart; }
    // No read command since the last stop (or ever).
    bool isStopped() const { return m_stopped; }
    bool isPaused() const { return m_paused; }
    // The mixed reading's run being spoken.
    int runIndex() const { return m_runIndex; }
    // A text of the reading is being spoken (or paused in the middle).
    bool speaking() const { return m_stream != 0; }
    // Where in `Texten` the word last heard of the reading starts.
    int heardPosition() const { return positionInText(m_heard); }

    const VoiceTable& voiceTable() const { return m_voices; }

Q_SIGNALS:
    // A read command started reading; a stop (the command, the locator, a list click) is
    // about to drop it, with the state still as it was.
    void readingStarted();
    void stopping();
    // While following sentences: the sentence of the reading now heard; sentenceEnded:
    // none is heard any more (the reading stopped, was interrupted or its text ended).
    void sentenceHeard(const QString& sentence);
    void sentenceEnded();

private:
    void startReading();
    void readMixed();
    void readPlain();
    void endReadingAtOnce();
    bool makeVoiceCurrent(int tableIndex);
    void speakOwn(const QString& text, qint64 startInText);
    void carryOn();
    void otherSpeechEnded();
    int positionInText(int position) const;
    QString readable(const QString& text) const;

    SpeechEngine& m_engine;
    ReadingView& m_view;
    MessageBoxPort& m_messages;
    std::unique_ptr<LanguageRuns> m_runs;
    VoiceTable m_voices;

    int m_readingStart = 0;
    bool m_stopped = true;
    bool m_paused = false;
    int m_runIndex = 0;
    bool m_followsSentences = false;

    // The stream the reading is speaking (0: none), its text and where that starts in
    // `Texten`. Events of other streams are not the document's.
    int m_stream = 0;
    QString m_streamText;
    qint64 m_streamStart = 0;
    int m_readStart = 0; // the reading start when the runs were made
    int m_readEnd = -1;  // where the reading ends; -1: at the end of the text
    int m_heard = 0;     // start of the last word heard, in the stream's text
    int m_resumeAt = -1; // where an interrupted stream carries on, or -1
};

} // namespace lirondo
