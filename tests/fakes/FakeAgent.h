#pragma once

#include "assistant/Agent.h"

#include <QHash>
#include <QPoint>
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
    QPoint position;
    int width = 128;
    int height = 128;

    bool Show() override
    {
        return record(QStringLiteral("Show"), [this] { m_visible = true; });
    }
    bool Hide() override
    {
        return record(QStringLiteral("Hide"), [this] { m_visible = false; });
    }
    bool Visible() const override { return m_visible; }
    bool Speak(const QString& text) override { return record(QStringLiteral("Speak ") + text); }
    bool SpeakSentence(const QString& text) override
    {
        return record(QStringLiteral("Sentence ") + text);
    }
    void EndSentence() override { record(QStringLiteral("EndSentence")); }
    bool Play(const QString& name) override { return record(QStringLiteral("Play ") + name); }
    bool MoveTo(int x, int y) override
    {
        return record(QStringLiteral("MoveTo %1,%2").arg(x).arg(y), [=, this] {
            position = {x, y};
        });
    }
    int Width() const override { return width; }
    int Height() const override { return height; }
    bool setWidth(int value) override { return setSize(QStringLiteral("Width "), value, width); }
    bool setHeight(int value) override { return setSize(QStringLiteral("Height "), value, height); }

private:
    template <typename Effect = void (*)()>
    bool record(
        const QString& line, Effect effect = [] {})
    {
        if (refuseAll)
            return false;
        requests.append(line);
        effect();
        return true;
    }
    bool setSize(const QString& what, int value, int& size)
    {
        return value >= 1 && value <= maxSize &&
               record(what + QString::number(value), [&] { size = value; });
    }

    bool m_visible = false;
};

// A service whose Load succeeds for the paths the test lists, recording every call.
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

    bool Load(const QString& id, const QString& path, QString* error = nullptr) override;
    AgentCharacter* Characters(const QString& id) override { return character(id); }
    FakeAgentCharacter* character(const QString& id) const { return m_characters.value(id); }

private:
    QHash<QString, FakeAgentCharacter*> m_characters; // children of this object
};

} // namespace lirondo::test
