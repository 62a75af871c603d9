#pragma once

#include <QObject>
#include <QString>
#include <QStringView>
#include <QTime>

#include <optional>

namespace lirondo {

class AgentCharacter;
class Clock;
class SpeechEngine;

// The reminder's time of day and its state, apart from the window that holds the
// message.
class Reminder : public QObject
{
    Q_OBJECT
public:
    // The form keeps these as "", "a", "b", "c" in its confirm button's `Tag`.
    enum class State
    {
        None,
        Armed,
        Due,
        Attended
    };
    Q_ENUM(State)

    explicit Reminder(const Clock& clock, QObject* parent = nullptr);

    // The time of day a time text names, to the second, or nothing when the text is
    // not a time. Blanks around it are allowed; a date may come first (its time of
    // day counts; a date alone is midnight).
    static std::optional<QTime> parseTime(QStringView text);
    // The clock's form of a time: "hh:mm:ss", 24-hour.
    static QString clockText(QTime time);
    // A message of blanks only is no message.
    static bool isBlankMessage(const QString& message);

    State state() const { return m_state; }
    bool isDue() const { return m_state == State::Due; }
    QTime time() const { return m_time; }

    // Waits for `time`, counting from the current second: a time equal to it goes
    // due on the next tick, an earlier one tomorrow.
    void arm(QTime time);
    // The user has seen it: nothing fires until it is armed again.
    void attend();
    // No reminder any more.
    void discard();

    // One clock tick. Returns the current time as "hh:mm:ss". An armed reminder goes
    // due when its time lies after the previous tick and not after this one, so a
    // tick that skips a second (or several) under load still fires it.
    QString tick();

    // Lets the character say the message and reads it aloud. Each step that cannot
    // be done is skipped; without a character only the speech remains.
    static void announce(const QString& message, AgentCharacter* character, SpeechEngine& engine);

private:
    void setState(State state) { m_state = state; }

    const Clock& m_clock;
    State m_state = State::None;
    QTime m_time;
    QTime m_previousTick; // the second the last tick (or the arming) saw
};

} // namespace lirondo
