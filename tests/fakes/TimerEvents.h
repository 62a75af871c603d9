#pragma once

#include <QCoreApplication>
#include <QEvent>
#include <QMap>
#include <QTest>

#include <functional>

namespace lirondo::test {

// The timer events the application delivers over the next `ms`, counted by receiver as
// `name` calls it (all under one empty name without it).
inline QMap<QString, int> timerEventsDuring(int ms,
                                            const std::function<QString(const QObject*)>& name = {})
{
    struct Counter : QObject
    {
        std::function<QString(const QObject*)> name;
        QMap<QString, int> counts;
        bool eventFilter(QObject* watched, QEvent* event) override
        {
            if (event->type() == QEvent::Timer)
                ++counts[name ? name(watched) : QString()];
            return false;
        }
    } counter;
    counter.name = name;
    QCoreApplication::instance()->installEventFilter(&counter);
    QTest::qWait(ms);
    QCoreApplication::instance()->removeEventFilter(&counter);
    return counter.counts;
}

} // namespace lirondo::test
