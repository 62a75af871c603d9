#include "reminder/Reminder.h"

#include "assistant/Agent.h"
#include "common/Clock.h"
#include "reading/SpeechEngine.h"

#include <QDate>

namespace lirondo {

namespace {

constexpr int kSecondsPerDay = 24 * 60 * 60;

// A clock that moves forward by more than this between two ticks is taken to have
// been set back instead: only the time of day is known, so a jump of 20 hours and
// one of 4 hours backwards look alike.
constexpr int kLongestStep = kSecondsPerDay / 2;

QTime wholeSecond(QTime time)
{
    return QTime(time.hour(), time.minute(), time.second());
}

// Seconds from `from` forward to `to`, wrapping at midnight: 0 .. 86399.
int secondsForward(QTime from, QTime to)
{
    const int seconds = from.secsTo(to);
    return seconds < 0 ? seconds + kSecondsPerDay : seconds;
}

// A small cursor over the text being parsed.
class Scanner
{
public:
    explicit Scanner(QStringView text) : m_text(text) {}

    bool atEnd() const { return m_pos >= m_text.size(); }
    qsizetype pos() const { return m_pos; }
    void reset(qsizetype pos) { m_pos = pos; }

    void skipBlanks()
    {
        while (!atEnd() && m_text[m_pos].isSpace())
            ++m_pos;
    }

    bool accept(char16_t c)
    {
        if (atEnd() || m_text[m_pos] != QChar(c))
            return false;
        ++m_pos;
        return true;
    }

    bool acceptWord(QStringView word)
    {
        if (!m_text.sliced(m_pos).startsWith(word, Qt::CaseInsensitive))
            return false;
        m_pos += word.size();
        return true;
    }

    // Between minDigits and maxDigits ASCII digits.
    std::optional<int> number(int minDigits, int maxDigits)
    {
        int value = 0;
        int digits = 0;
        while (!atEnd() && digits < maxDigits && m_text[m_pos] >= u'0' && m_text[m_pos] <= u'9') {
            value = value * 10 + (m_text[m_pos].unicode() - u'0');
            ++digits;
            ++m_pos;
        }
        if (digits < minDigits)
            return std::nullopt;
        // A longer run of digits is not a number of this field.
        if (!atEnd() && m_text[m_pos] >= u'0' && m_text[m_pos] <= u'9')
            return std::nullopt;
        return value;
    }

private:
    QStringView m_text;
    qsizetype m_pos = 0;
};

// "2026-12-07", "2026/12/7": a real calendar date.
bool parseDate(Scanner& s)
{
    const qsizetype start = s.pos();
    const auto year = s.number(4, 4);
    char16_t separator = 0;
    if (year && s.accept(u'-'))
        separator = u'-';
    else if (year && s.accept(u'/'))
        separator = u'/';
    if (!separator) {
        s.reset(start);
        return false;
    }
    const auto month = s.number(1, 2);
    if (!month || !s.accept(separator)) {
        s.reset(start);
        return false;
    }
    const auto day = s.number(1, 2);
    if (!day || !QDate(*year, *month, *day).isValid()) {
        s.reset(start);
        return false;
    }
    return true;
}

bool acceptColon(Scanner& s)
{
    // The hint beside the box writes its example with full-width colons.
    return s.accept(u':') || s.accept(u'\uFF1A');
}

enum class HalfDay
{
    None,
    Morning,
    Afternoon
};

HalfDay halfDay(Scanner& s)
{
    if (s.acceptWord(u"AM") || s.acceptWord(u"上午"))
        return HalfDay::Morning;
    if (s.acceptWord(u"PM") || s.acceptWord(u"下午"))
        return HalfDay::Afternoon;
    return HalfDay::None;
}

// "8:05", "08:05:00", "8:05 PM", "下午 8:05".
std::optional<QTime> parseTimeOfDay(Scanner& s)
{
    HalfDay half = halfDay(s);
    s.skipBlanks();
    const auto hour = s.number(1, 2);
    if (!hour || !acceptColon(s))
        return std::nullopt;
    const auto minute = s.number(1, 2);
    if (!minute)
        return std::nullopt;
    int second = 0;
    if (acceptColon(s)) {
        const auto seconds = s.number(1, 2);
        if (!seconds)
            return std::nullopt;
        second = *seconds;
    }
    if (half == HalfDay::None) {
        s.skipBlanks();
        half = halfDay(s);
    }
    int h = *hour;
    if (half != HalfDay::None) {
        if (h > 12)
            return std::nullopt;
        h = h % 12 + (half == HalfDay::Afternoon ? 12 : 0);
    }
    if (h > 23 || *minute > 59 || second > 59)
        return std::nullopt;
    return QTime(h, *minute, second);
}

} // namespace

Reminder::Reminder(const Clock& clock, QObject* parent) : QObject(parent), m_clock(clock) {}

std::optional<QTime> Reminder::parseTime(QStringView text)
{
    Scanner s(text);
    s.skipBlanks();
    std::optional<QTime> time;
    if (parseDate(s)) {
        s.skipBlanks();
        time = s.atEnd() ? QTime(0, 0) : parseTimeOfDay(s);
    } else {
        time = parseTimeOfDay(s);
    }
    s.skipBlanks();
    if (!time || !s.atEnd())
        return std::nullopt;
    return time;
}

QString Reminder::clockText(QTime time)
{
    return time.toString(QStringLiteral("hh:mm:ss"));
}

bool Reminder::isBlankMessage(const QString& message)
{
    return message.trimmed().isEmpty();
}

void Reminder::arm(QTime time)
{
    m_time = wholeSecond(time);
    m_previousTick = wholeSecond(m_clock.timeOfDay()).addSecs(-1);
    setState(State::Armed);
}

void Reminder::attend()
{
    setState(State::Attended);
}

void Reminder::discard()
{
    setState(State::None);
}

QString Reminder::tick()
{
    const QTime now = wholeSecond(m_clock.timeOfDay());
    if (m_state == State::Armed && m_previousTick.isValid()) {
        const int step = secondsForward(m_previousTick, now);
        const int untilDue = secondsForward(m_previousTick, m_time);
        if (step <= kLongestStep && untilDue > 0 && untilDue <= step)
            setState(State::Due);
    }
    m_previousTick = now;
    return clockText(now);
}

void Reminder::announce(const QString& message, AgentCharacter* character, SpeechEngine& engine)
{
    if (character) {
        character->show();
        character->speak(message);
    }
    engine.speak(QString(), SpeechEngine::PurgeBeforeSpeak);
    engine.speak(message, SpeechEngine::Async);
}

} // namespace lirondo
