#pragma once

#include <QObject>
#include <QString>

namespace lirondo {

// A loaded character (`Genie`). Every request returns at once; the service queues
// the requests of one character and performs them in order. A request returns
// false when it fails (the caller skips that step).
class AgentCharacter : public QObject
{
    Q_OBJECT
public:
    using QObject::QObject;
    ~AgentCharacter() override = default;

    virtual bool show() = 0;
    virtual bool hide() = 0;
    virtual bool isVisible() const = 0;
    virtual bool speak(const QString& text) = 0;
    // The sentence of the reading being heard now: it ends the balloon of the sentence
    // before and takes the place of one not yet shown. EndSentence: the sentence is no
    // longer heard (the reading stopped or its text ended).
    virtual bool speakSentence(const QString& text) = 0;
    virtual void endSentence() = 0;
    virtual bool play(const QString& animation) = 0;
    virtual bool moveTo(int x, int y) = 0; // screen pixels
    virtual int width() const = 0;
    virtual int height() const = 0;
    virtual bool setWidth(int width) = 0;
    virtual bool setHeight(int height) = 0;
};

// The character service (`MyAgent`).
class AgentService : public QObject
{
    Q_OBJECT
public:
    using QObject::QObject;
    ~AgentService() override = default;

    // load(id, path): false (with a reason, which does not repeat the path)
    // when the file is missing, unreadable or not a character file.
    virtual bool load(const QString& id, const QString& path, QString* error = nullptr) = 0;
    // find(id): the loaded character, or nullptr.
    virtual AgentCharacter* find(const QString& id) = 0;

Q_SIGNALS:
    // The user clicked a character (left, right or middle button).
    void clicked(const QString& characterId, Qt::MouseButton button,
                 Qt::KeyboardModifiers modifiers, int x, int y);
};

} // namespace lirondo
