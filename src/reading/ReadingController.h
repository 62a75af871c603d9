#pragma once

#include "assistant/Agent.h"
#include "reading/VoiceTable.h"

#include <QObject>
#include <QPointer>

#include <functional>
#include <memory>

namespace lirondo {

class AgentCharacter;
class GbkCodePage;
class MessageBoxPort;
class ReadingView;
class SpeechEngine;
class LanguageRuns;

// The reading engine of the main window: voice discovery at start-up, the command
// row, the engine-event handlers that follow and carry on a reading, rate and volume.
class ReadingController : public QObject
{
    Q_OBJECT
public:
    enum Command
    {
        Read = 0,
        Stop = 1,
        ShowCharacter = 2,
        PauseResume = 3,
        About = 4
    };

    ReadingController(SpeechEngine& eVoice, ReadingView& view, MessageBoxPort& messages,
                      const GbkCodePage& gbk, QObject* parent = nullptr);
    ~ReadingController() override;

    // Start-up: the reading state, the voice table and list, the Chinese and English
    // voice and the warnings. Returns false when the engine could not be used (the
    // caller then skips the rest of its start-up).
    bool setUpVoices();
    void Combo1_Click(int listPosition);

    // The command row; indexes outside 0..4 do nothing.
    void Label2_Click(int index);

    void eVoice_Word(int stream, int position, int length);
    void eVoice_Sentence(int stream, int position, int length);
    void eVoice_EndStream(int stream);

    void Slider1_Scroll(int value);
    void Slider2_Scroll(int value);

    // The stop command; the locator and the reading list stop reading this way too.
    // Dropping the speech leaves the command row idle.
    void stop();
    void setTextlength(int offset) { m_textlength = offset; }
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

    // Hooks to the parts the command row reaches: loading the character (the loaded
    // character, or nullptr) and opening the feedback form.
    std::function<AgentCharacter*(const QString& path)> loadCharacter;
    std::function<void()> showAbout;
    QString defaultCharacterPath;

    // State, readable by the other parts of the window and by tests.
    int textlength() const { return m_textlength; }
    int stopped() const { return m_stopped; }
    int paused() const { return m_paused; }
    int runindex() const { return m_runindex; }
    int agentshow() const { return m_agentshow; }
    AgentCharacter* Genie() const { return m_genie; }
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

private:
    void read();
    void readMixed();
    void readPlain();
    void pauseOrResume();
    void showOrHideCharacter();
    void endReadingAtOnce();
    bool makeVoiceCurrent(int tableIndex);
    void speakOwn(const QString& text, qint64 startInText);
    void carryOn();
    void otherSpeechEnded();
    int positionInText(int position) const;
    QString readable(const QString& text) const;

    SpeechEngine& m_eVoice;
    ReadingView& m_view;
    MessageBoxPort& m_messages;
    std::unique_ptr<LanguageRuns> m_runs;
    VoiceTable m_voices;
    QPointer<AgentCharacter> m_genie;

    int m_textlength = 0;
    int m_stopped = -1;
    int m_paused = 0;
    int m_runindex = 0;
    int m_agentshow = 0;

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
