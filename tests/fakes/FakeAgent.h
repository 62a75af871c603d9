#pragma once

#include "assistant/Agent.h"

#include <QHash>
#include <QPoint>
#include <QSet>
#include <QStringList>

#include <memory>

namespace lirondo::test {

// A character that records each request as a line ("Play Greet", "MoveTo 0,200",
// "Width 188") and refuses what the test tells it to.
class FakeAgentCharacter final : public AgentCharacter
{
    Q_OBJECT
public:
    explicit FakeAgentCharacter(QObject* parent = nullptr) : AgentCharacter(parent) {}

    QStringList requests;
    QSet<QString> knownAnimations; // empty: every name is known (compared case-insensitively)
    int maxSize = 32767;           // setWidth/setHeight above this fail
    bool refuseAll = false;

    bool Show() override;
    bool Hide() override;
    bool Visible() const override { return m_visible; }
    bool Speak(const QString& text) override;
    bool Play(const QString& animation) override;
    bool MoveTo(int x, int y) override;
    int Width() const override { return m_width; }
    int Height() const override { return m_height; }
    bool setWidth(int width) override;
    bool setHeight(int height) override;

    void setSize(int width, int height);
    QPoint position() const { return {m_x, m_y}; }

private:
    bool record(const QString& line);

    bool m_visible = false;
    int m_width = 128;
    int m_height = 128;
    int m_x = 0;
    int m_y = 0;
};

// A service whose Load succeeds for the paths the test lists (and fails for the
// rest), recording every call.
class FakeAgentService final : public AgentService
{
    Q_OBJECT
public:
    explicit FakeAgentService(QObject* parent = nullptr) : AgentService(parent) {}

    struct LoadCall
    {
        QString id;
        QString path;
    };

    QSet<QString> loadablePaths;
    QList<LoadCall> loads;

    bool Load(const QString& id, const QString& path, QString* error = nullptr) override;
    AgentCharacter* Characters(const QString& id) override;

    FakeAgentCharacter* character(const QString& id) const;

private:
    QHash<QString, FakeAgentCharacter*> m_characters; // children of this object
};

} // namespace lirondo::test
