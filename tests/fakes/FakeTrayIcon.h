#pragma once

#include "tray/TrayIconPort.h"

#include <QList>
#include <QString>

namespace lirondo::test {

// A notification area that records what was asked; a test clicks it by hand.
class FakeTrayIcon final : public TrayIconPort
{
    Q_OBJECT
public:
    bool available = true;
    bool visible = false;
    QString toolTip;
    QList<QMenu*> popups;

    bool isAvailable() const override { return available; }
    void setIcon(const QIcon&) override {}
    void setToolTip(const QString& text) override { toolTip = text; }
    void setVisible(bool v) override { visible = v; }
    void popUpMenu(QMenu* menu) override { popups.append(menu); }
    void click(Activation reason) { Q_EMIT activated(reason); }
};

} // namespace lirondo::test
