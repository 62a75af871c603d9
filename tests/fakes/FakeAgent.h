#pragma once

#include "assistant/Agent.h"

#include <QHash>
#include <QSet>
#include <QStringList>

namespace lirondo::test {

// A character that records each request as a line ("Show", "Speak Hello",
// "Sentence One.", "EndSentence", "Play Greet", "MoveTo 0,200", "Width 188") and refuses
// what the test tells it to.
class FakeAgentCharacter final : public AgentCharacter
{
    Q_OBJECT
public:
    using AgentCharacter::AgentCharacter;

    QStringList requests;
    int maxSize = 32767;    // setWidth/setHeight above this fail
    bool refuseAll = false; // every request fails, as without a working service
    int figureWidth = 128;
    int figureHeight = 128;

    bool show() override { return record(QStringLiteral("Show"), m_visible, true); }
    bool hide() override { return record(QStringLiteral("Hide"), m_visible, false); }
    bool isVisible() const override { return m_visible; }
    bool speak(const QString& text) override { return record(QStringLiteral("Speak ") + text); }
    bool speakSentence(const QString& text) override
    {
        return record(QStringLiteral("Sentence ") + text);
    }
    void endSentence() override { record(QStringLiteral("EndSentence")); }
    bool play(const QString& name) override { return record(QStringLiteral("Play ") + name); }
    bool moveTo(int x, int y) override
    {
        return record(QStringLiteral("MoveTo %1,%2").arg(x).arg(y));
    }
    int width() const override { return figureWidth; }
    int height() const override { return figureHeight; }
    bool setWidth(int value) override { return setSize("Width ", value, figureWidth); }
    bool setHeight(int value) override { return setSize("Height ", value, figureHeight); }

private:
    bool record(const QString& line)
    {
        if (!refuseAll)
            requests.append(line);
        return !refuseAll;
    }
    // Records the request and, unless it is refused, makes its change.
    template <typename T> bool record(const QString& line, T& field, T value)
    {
        if (!record(line))
            return false;
        field = value;
        return true;
    }
    bool setSize(const char* what, int value, int& size)
    {
        return value >= 1 && value <= maxSize &&
               record(QLatin1StringView(what) + QString::number(value), size, value);
    }

    bool m_visible = false;
};

// A service whose load succeeds for the paths the test lists, recording every call.
class FakeAgentService final : public AgentService
{
    Q_OBJECT
public:
    using AgentService::AgentService;

    struct LoadCall
    {
        QString id;
        QString path;
    };
    QSet<QString> loadablePaths;
    QList<LoadCall> loads;

    bool load(const QString& id, const QString& path, QString* error = nullptr) override
    {
        loads.append({id, path});
        if (!loadablePaths.contains(path)) {
            if (error)
                *error = QStringLiteral("cannot load ") + path;
            return false;
        }
        if (!m_characters.contains(id))
            m_characters.insert(id, new FakeAgentCharacter(this));
        return true;
    }
    AgentCharacter* find(const QString& id) override { return character(id); }
    FakeAgentCharacter* character(const QString& id) const { return m_characters.value(id); }

private:
    QHash<QString, FakeAgentCharacter*> m_characters; // children of this object
};

} // namespace lirondo::test
