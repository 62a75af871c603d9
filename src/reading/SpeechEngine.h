#pragma once

#include <QList>
#include <QObject>
#include <QString>
#include <QStringList>

namespace lirondo {

struct VoiceInfo
{
    QString id;            // the engine's own identifier
    QString description;   // display name; may be empty
    QStringList languages; // language tags, most preferred first ("cmn", "en-us", ...)
};

// The speech voice `eVoice`: one per main window, for the whole run.
//
// Events are delivered on the thread that owns the engine (the UI thread), one at a
// time. Positions and lengths count UTF-16 code units of the text handed to the
// speak call that the stream number names. A stream dropped by a purge raises
// nothing more, in particular no endStream.
class SpeechEngine : public QObject
{
    Q_OBJECT
public:
    enum SpeakFlag
    {
        Async = 1,           // return at once; speak in the background
        PurgeBeforeSpeak = 2 // drop speech under way and queued first
    };
    Q_DECLARE_FLAGS(SpeakFlags, SpeakFlag)

    using QObject::QObject;
    ~SpeechEngine() override = default;

    // All installed voices, in the same order every time during a run.
    virtual QList<VoiceInfo> voices() const = 0;
    // Later speak calls use the voice at this position of voices().
    virtual void setVoice(int position) = 0;
    virtual void setRate(int rate) = 0;     // -10 .. 10
    virtual void setVolume(int volume) = 0; // 0 .. 100
    // Returns the stream number of the text (0 when the text is empty).
    virtual int speak(const QString& text, SpeakFlags flags) = 0;
    virtual void pause() = 0;
    virtual void resume() = 0;
    // False when the engine could not start (no engine data installed, say).
    virtual bool isReady() const { return true; }

Q_SIGNALS:
    void word(int stream, int position, int length);
    void sentence(int stream, int position, int length);
    void endStream(int stream);
};

Q_DECLARE_OPERATORS_FOR_FLAGS(SpeechEngine::SpeakFlags)

} // namespace lirondo
