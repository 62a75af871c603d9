#pragma once

#include "assistant/AcsFile.h"

#include <QObject>
#include <QPoint>
#include <QSize>
#include <QString>

#include <deque>
#include <optional>

namespace lirondo {

class RandomSource;

// What a loaded character does over time, without any widget: the queue of
// requests, the frame being shown, where the character stands, its size and its
// word balloon. The owner calls advance() whenever the delay it returned has passed
// (a single-shot timer), and again when wake() asks for it; views follow the signals.
class CharacterPlayer : public QObject
{
    Q_OBJECT
public:
    static constexpr int kMinFrameMs = 10; // zero-length frames still take a moment
    static constexpr int kMoveSteps = 10;  // a move glides in this many steps
    static constexpr int kMoveStepMs = 25;
    static constexpr int kMaxSize = 4096;   // drawn size limit, pixels
    static constexpr int kMaxQueued = 1000; // requests beyond this are refused
    // A sentence that nobody ends (a reading wedged) still lets its balloon go.
    static constexpr int kMaxSentenceMs = 60000;

    CharacterPlayer(acs::Character character, RandomSource& random, QObject* parent = nullptr);

    const acs::Character& character() const { return m_character; }

    // Requests: queued and performed in order. false when refused at once
    // (an unknown animation, a full queue). Show drops what is queued and cuts short
    // what is under way: the character comes forward now. Hide does the same, except
    // for the balloons asked for right before it (its farewell).
    bool requestShow();
    bool requestHide();
    bool requestSpeak(const QString& text);
    // The sentence of the reading being heard now: it ends the balloon of the
    // sentence before and takes the place of one not yet shown, so the balloon never
    // lags behind the voice. endSentence(): nothing is being read any more.
    bool requestSentence(const QString& text);
    void endSentence();
    bool requestPlay(const QString& animation);
    bool requestMoveTo(int x, int y);

    // Whether the character is, or is about to be, shown: answers for the last
    // Show or Hide asked for, so a toggle made while the show animation still plays
    // hides the character instead of showing it twice.
    bool visible() const { return m_visibleRequested; }

    // Drawn size; 1..kMaxSize.
    QSize size() const { return m_size; }
    bool setWidth(int width);
    bool setHeight(int height);

    // What the window shows now.
    bool onScreen() const { return m_onScreen; }
    int animationIndex() const { return m_animation; }
    int frameIndex() const { return m_frame; }
    QPoint position() const { return m_position; }
    QString balloonText() const { return m_balloon; }
    // The user dragged the character here.
    void setPosition(QPoint position);

    // Performs what is due now. Returns the milliseconds until the next call, or -1
    // when nothing is left to animate (resting, hidden, or no request).
    int advance();
    bool idle() const { return !m_active && m_queue.empty(); }

    // How long the balloon shows a text: 2 s plus 60 ms a character, at most 10 s.
    static int speakDurationMs(const QString& text);

Q_SIGNALS:
    // A request arrived while nothing was going on, or what was under way was cut
    // short: call advance() now.
    void wake();
    void frameChanged();
    void onScreenChanged(bool onScreen);
    void positionChanged(QPoint position);
    void sizeChanged(QSize size);
    void balloonChanged(const QString& text);

private:
    enum class Kind
    {
        Show,
        Hide,
        Speak,
        Play,
        Move
    };
    struct Request
    {
        Kind kind = Kind::Play;
        int animation = -1;
        QString text;
        QPoint target;
        bool sentence = false; // Speak: a sentence of the reading
    };
    struct Active
    {
        Request request;
        bool finishing = false; // Hide: leave the screen once the animation ends
        int speakLeftMs = 0;    // Speak: balloon time left
        int moveStep = 0;       // Move: steps done
        QPoint moveFrom;
        int exitSteps = 0;    // guards exit branches that loop
        int waitingSteps = 0; // frames played by design while a request waits
        bool exiting = false;
        bool cut = false; // finish now (animations: by their exit branches)
    };

    bool enqueue(Request request);
    void cutActive();
    bool isSentence(const Request& request) const
    {
        return request.kind == Kind::Speak && request.sentence;
    }
    int begin(); // starts the next queued request; -1 when it completed at once
    int stepActive();
    int startAnimation(int animation);
    int stepAnimation(); // -1 when the animation has ended
    int showFrame(int animation, int frame);
    int frameDuration() const;
    int chooseNextFrame();
    int stateAnimation(const QString& state, const QString& fallbackName) const;
    void rest();
    void setOnScreen(bool onScreen);
    void setBalloon(const QString& text);
    void moveTo(QPoint position);

    acs::Character m_character;
    RandomSource& m_random;
    std::deque<Request> m_queue;
    std::optional<Active> m_active;
    bool m_visibleRequested = false;
    bool m_onScreen = false;
    QSize m_size;
    QPoint m_position;
    QString m_balloon;
    int m_animation = -1;
    int m_frame = -1;
    int m_restAnimation = -1;
    int m_restFrame = -1;
    int m_speakingAnimation = -1;
    // Per animation and frame: whether playing on by design can reach the end. A
    // frame that cannot (a loop of certain branches) leaves by its exit branch once a
    // request waits.
    QList<QList<bool>> m_endsAlone;
};

} // namespace lirondo
