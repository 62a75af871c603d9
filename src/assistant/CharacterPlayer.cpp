#include "assistant/CharacterPlayer.h"

#include "assistant/RandomSource.h"

#include <algorithm>
#include <iterator>

namespace lirondo {

namespace {

// Requests that complete at once (while hidden, for instance) cost no timer round
// trip; this many of them per call keeps one call short even with a full queue.
constexpr int kStepsPerAdvance = 64;

// With a request waiting, an animation that loops at random plays on by design for at
// most this many steps a frame before it takes its exit branches.
constexpr int kWaitingStepsPerFrame = 8;

// Whether playing frame i on by design (the next frame, or a branch the draw can
// take) can reach the end of the animation.
QList<bool> framesThatEndAlone(const acs::Animation& animation)
{
    const qsizetype n = animation.frames.size();
    // Edges reversed; node n is the end.
    QList<QList<qsizetype>> into(n + 1);
    for (qsizetype i = 0; i < n; ++i) {
        int cumulative = 0;
        for (const acs::Branch& branch : animation.frames.at(i).branches) {
            if (cumulative >= 100)
                break; // the draws are used up: later branches are never taken
            const int probability = std::clamp(branch.probability, 0, 100);
            if (probability > 0) {
                const bool inside = branch.frameIndex >= 0 && branch.frameIndex < n;
                into[inside ? branch.frameIndex : n].append(i);
            }
            cumulative += probability;
        }
        if (cumulative < 100)
            into[i + 1].append(i);
    }
    QList<bool> reaches(n + 1, false);
    QList<qsizetype> todo{n};
    reaches[n] = true;
    while (!todo.isEmpty()) {
        const qsizetype to = todo.takeLast();
        for (const qsizetype from : std::as_const(into.at(to))) {
            if (!reaches.at(from)) {
                reaches[from] = true;
                todo.append(from);
            }
        }
    }
    reaches.removeLast();
    return reaches;
}

} // namespace

CharacterPlayer::CharacterPlayer(acs::Character character, RandomSource& random, QObject* parent)
    : QObject(parent), m_character(std::move(character)), m_random(random)
{
    m_size = QSize(std::clamp(m_character.frameWidth, 1, kMaxSize),
                   std::clamp(m_character.frameHeight, 1, kMaxSize));

    const auto hasFrames = [this](int index) {
        return index >= 0 && !m_character.animations.at(index).frames.isEmpty();
    };
    // Resting pose: the file's own rest pose, else the figure as it stands after
    // appearing, else the first frame there is.
    const int restPose = m_character.animationIndex(QStringLiteral("RestPose"));
    const int showing = stateAnimation(QStringLiteral("SHOWING"), QStringLiteral("Show"));
    if (hasFrames(restPose)) {
        m_restAnimation = restPose;
        m_restFrame = 0;
    } else if (showing >= 0) {
        m_restAnimation = showing;
        m_restFrame = static_cast<int>(m_character.animations.at(showing).frames.size()) - 1;
    } else {
        for (int i = 0; i < m_character.animations.size(); ++i) {
            if (hasFrames(i)) {
                m_restAnimation = i;
                m_restFrame = 0;
                break;
            }
        }
    }
    m_speakingAnimation = stateAnimation(QStringLiteral("SPEAKING"), QString());
    m_endsAlone.reserve(m_character.animations.size());
    for (const acs::Animation& animation : std::as_const(m_character.animations))
        m_endsAlone.append(framesThatEndAlone(animation));
    m_animation = m_restAnimation;
    m_frame = m_restFrame;
}

int CharacterPlayer::speakDurationMs(const QString& text)
{
    const qint64 ms = 2000 + 60 * static_cast<qint64>(text.size());
    return static_cast<int>(std::min<qint64>(ms, 10000));
}

bool CharacterPlayer::requestShow()
{
    m_queue.clear();
    cutActive();
    if (!enqueue({Kind::Show, -1, {}, {}}))
        return false;
    m_visibleRequested = true;
    return true;
}

bool CharacterPlayer::requestHide()
{
    auto farewell = m_queue.end();
    while (farewell != m_queue.begin() && std::prev(farewell)->kind == Kind::Speak &&
           !std::prev(farewell)->sentence)
        --farewell;
    m_queue.erase(m_queue.begin(), farewell);
    cutActive();
    if (!enqueue({Kind::Hide, -1, {}, {}}))
        return false;
    m_visibleRequested = false;
    return true;
}

bool CharacterPlayer::requestSpeak(const QString& text)
{
    return enqueue({Kind::Speak, -1, text, {}});
}

bool CharacterPlayer::requestSentence(const QString& text)
{
    if (text.isEmpty()) {
        endSentence();
        return true;
    }
    if (m_active && isSentence(m_active->request))
        cutActive();
    for (Request& request : m_queue) {
        if (isSentence(request)) {
            request.text = text;
            return true;
        }
    }
    return enqueue({Kind::Speak, -1, text, {}, true});
}

void CharacterPlayer::endSentence()
{
    std::erase_if(m_queue, [this](const Request& request) { return isSentence(request); });
    if (m_active && isSentence(m_active->request))
        cutActive();
}

void CharacterPlayer::cutActive()
{
    if (!m_active || m_active->cut)
        return;
    m_active->cut = true;
    Q_EMIT wake();
}

bool CharacterPlayer::requestPlay(const QString& animation)
{
    const int index = m_character.animationIndex(animation);
    if (index < 0)
        return false;
    return enqueue({Kind::Play, index, {}, {}});
}

bool CharacterPlayer::requestMoveTo(int x, int y)
{
    // Screen positions are 16-bit for the program; anything else is no place on a screen.
    const auto inRange = [](int v) { return v >= -32768 && v <= 32767; };
    if (!inRange(x) || !inRange(y))
        return false;
    return enqueue({Kind::Move, -1, {}, QPoint(x, y)});
}

bool CharacterPlayer::enqueue(Request request)
{
    if (m_queue.size() >= static_cast<std::size_t>(kMaxQueued))
        return false;
    const bool wasIdle = idle();
    m_queue.push_back(std::move(request));
    if (wasIdle)
        Q_EMIT wake();
    return true;
}

bool CharacterPlayer::setWidth(int width)
{
    if (width < 1 || width > kMaxSize)
        return false;
    if (width != m_size.width()) {
        m_size.setWidth(width);
        Q_EMIT sizeChanged(m_size);
    }
    return true;
}

bool CharacterPlayer::setHeight(int height)
{
    if (height < 1 || height > kMaxSize)
        return false;
    if (height != m_size.height()) {
        m_size.setHeight(height);
        Q_EMIT sizeChanged(m_size);
    }
    return true;
}

void CharacterPlayer::setPosition(QPoint position)
{
    moveTo(position);
}

int CharacterPlayer::advance()
{
    for (int step = 0; step < kStepsPerAdvance; ++step) {
        int delay = -1;
        if (m_active) {
            delay = stepActive();
        } else if (!m_queue.empty()) {
            delay = begin();
        } else {
            rest();
            return -1;
        }
        if (delay >= 0)
            return delay;

        // The active request has completed.
        const Request& done = m_active->request;
        if (done.kind == Kind::Hide) {
            setBalloon({});
            setOnScreen(false);
        } else if (done.kind == Kind::Speak) {
            setBalloon({});
        } else if (done.kind == Kind::Move) {
            moveTo(done.target);
        }
        m_active.reset();
    }
    return 0;
}

int CharacterPlayer::begin()
{
    m_active = Active{};
    m_active->request = std::move(m_queue.front());
    m_queue.pop_front();
    const Request& request = m_active->request;

    switch (request.kind) {
    case Kind::Show: {
        if (m_onScreen)
            return -1;
        // Pick the first frame before appearing, so the window never shows a stale one.
        const int showing = stateAnimation(QStringLiteral("SHOWING"), QStringLiteral("Show"));
        const int delay = showing >= 0 ? startAnimation(showing) : -1;
        setOnScreen(true);
        if (delay < 0)
            rest();
        return delay;
    }
    case Kind::Hide: {
        if (!m_onScreen)
            return -1;
        const int hiding = stateAnimation(QStringLiteral("HIDING"), QStringLiteral("Hide"));
        return hiding >= 0 ? startAnimation(hiding) : -1;
    }
    case Kind::Play:
        // A hidden character has nothing to show: the request is done at once.
        return m_onScreen ? startAnimation(request.animation) : -1;
    case Kind::Speak: {
        if (!m_onScreen || request.text.isEmpty())
            return -1;
        setBalloon(request.text);
        // A sentence's balloon lasts until the next sentence or the end of the reading.
        m_active->speakLeftMs = request.sentence ? kMaxSentenceMs : speakDurationMs(request.text);
        int delay = m_speakingAnimation >= 0 ? startAnimation(m_speakingAnimation) : -1;
        if (delay < 0)
            delay = m_active->speakLeftMs;
        delay = std::min(delay, m_active->speakLeftMs);
        m_active->speakLeftMs -= delay;
        return delay;
    }
    case Kind::Move:
        if (!m_onScreen || request.target == m_position)
            return -1;
        m_active->moveFrom = m_position;
        return stepActive();
    }
    return -1;
}

int CharacterPlayer::stepActive()
{
    Active& active = *m_active;
    // Cut short: done now; a played animation leaves by its exit branches.
    if (active.cut && active.request.kind != Kind::Play)
        return -1;
    switch (active.request.kind) {
    case Kind::Show:
    case Kind::Hide:
    case Kind::Play:
        return stepAnimation();
    case Kind::Speak: {
        if (active.speakLeftMs <= 0)
            return -1;
        int delay = -1;
        if (m_speakingAnimation >= 0) {
            delay = stepAnimation();
            if (delay < 0) // the speaking animation starts over for as long as the balloon lasts
                delay = startAnimation(m_speakingAnimation);
        }
        if (delay < 0)
            delay = active.speakLeftMs;
        delay = std::min(delay, active.speakLeftMs);
        active.speakLeftMs -= delay;
        return delay;
    }
    case Kind::Move: {
        if (active.moveStep >= kMoveSteps)
            return -1;
        ++active.moveStep;
        const QPoint from = active.moveFrom;
        const QPoint to = active.request.target;
        const auto along = [this](int a, int b) {
            const qint64 step = m_active->moveStep;
            return static_cast<int>(a + (static_cast<qint64>(b) - a) * step / kMoveSteps);
        };
        moveTo(QPoint(along(from.x(), to.x()), along(from.y(), to.y())));
        return kMoveStepMs;
    }
    }
    return -1;
}

int CharacterPlayer::startAnimation(int animation)
{
    m_active->exiting = false;
    m_active->exitSteps = 0;
    m_active->waitingSteps = 0;
    if (animation < 0 || animation >= m_character.animations.size() ||
        m_character.animations.at(animation).frames.isEmpty())
        return -1;
    return showFrame(animation, 0);
}

int CharacterPlayer::stepAnimation()
{
    if (m_animation < 0)
        return -1;
    const acs::Animation& animation = m_character.animations.at(m_animation);
    const qsizetype frameCount = animation.frames.size();
    if (m_frame < 0 || m_frame >= frameCount)
        return -1;
    Active& active = *m_active;
    if (active.cut) {
        active.exiting = true;
    } else if (!active.exiting && active.request.kind != Kind::Speak && !m_queue.empty()) {
        // Someone is waiting: the animation still plays as designed, its loops
        // included, and leaves by its exit branches only where it could not end by
        // itself, or once it has kept the queue waiting for many passes. The speaking
        // animation is timed by its balloon.
        if (!m_endsAlone.at(m_animation).at(m_frame) ||
            ++active.waitingSteps > kWaitingStepsPerFrame * frameCount)
            active.exiting = true;
    }

    const acs::Frame& frame = animation.frames.at(m_frame);
    int next = m_frame + 1;
    if (active.exiting) {
        // An exit path that loops is cut off after as many steps as there are frames.
        if (++active.exitSteps > frameCount)
            return -1;
        if (frame.exitFrame >= 0)
            next = frame.exitFrame;
    } else if (!frame.branches.isEmpty()) {
        const int roll = m_random.below(100);
        int cumulative = 0;
        for (const acs::Branch& branch : frame.branches) {
            cumulative += std::clamp(branch.probability, 0, 100);
            if (roll < cumulative) {
                next = branch.frameIndex;
                break;
            }
        }
    }
    if (next < 0 || next >= frameCount)
        return -1;
    return showFrame(m_animation, next);
}

int CharacterPlayer::showFrame(int animation, int frame)
{
    m_animation = animation;
    m_frame = frame;
    Q_EMIT frameChanged();
    return std::max(kMinFrameMs, m_character.animations.at(animation).frames.at(frame).durationMs);
}

int CharacterPlayer::stateAnimation(const QString& state, const QString& fallbackName) const
{
    const auto usable = [this](int index) {
        return index >= 0 && !m_character.animations.at(index).frames.isEmpty();
    };
    for (const QString& name : m_character.states.value(state)) {
        const int index = m_character.animationIndex(name);
        if (usable(index))
            return index;
    }
    if (fallbackName.isEmpty())
        return -1;
    const int index = m_character.animationIndex(fallbackName);
    return usable(index) ? index : -1;
}

void CharacterPlayer::rest()
{
    if (!m_onScreen || m_restAnimation < 0 ||
        (m_animation == m_restAnimation && m_frame == m_restFrame))
        return;
    m_animation = m_restAnimation;
    m_frame = m_restFrame;
    Q_EMIT frameChanged();
}

void CharacterPlayer::setOnScreen(bool onScreen)
{
    if (onScreen == m_onScreen)
        return;
    m_onScreen = onScreen;
    Q_EMIT onScreenChanged(onScreen);
}

void CharacterPlayer::setBalloon(const QString& text)
{
    if (text == m_balloon)
        return;
    m_balloon = text;
    Q_EMIT balloonChanged(text);
}

void CharacterPlayer::moveTo(QPoint position)
{
    if (position == m_position)
        return;
    m_position = position;
    Q_EMIT positionChanged(position);
}

} // namespace lirondo
