#pragma once

#include <QObject>

#include <functional>
#include <utility>

namespace lirondo {

// Hands the events of the watched objects to a function, so the window can handle a
// control's events without a subclass of its own.
class EventHook : public QObject
{
public:
    explicit EventHook(std::function<bool(QObject*, QEvent*)> handler, QObject* parent = nullptr)
        : QObject(parent), m_handler(std::move(handler))
    {}
    void watch(QObject* object) { object->installEventFilter(this); }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override { return m_handler(watched, event); }

private:
    std::function<bool(QObject*, QEvent*)> m_handler;
};

// Hands one object's events to `handler` for as long as the object lives.
inline void hookEvents(QObject* watched, std::function<bool(QEvent*)> handler)
{
    auto* hook = new EventHook(
        [handler = std::move(handler)](QObject*, QEvent* event) { return handler(event); },
        watched);
    hook->watch(watched);
}

} // namespace lirondo
