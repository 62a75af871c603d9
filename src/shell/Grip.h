#pragma once

#include "shell/EdgeResize.h"

#include <QString>
#include <QWidget>

namespace lirondo {

// An invisible resize grip along an edge or in the corner; the window handles the drag.
class Grip : public QWidget
{
    Q_OBJECT
public:
    Grip(GripKind kind, const QString& name, QWidget* parent = nullptr);

    GripKind kind() const { return m_kind; }
    // From the press to the release (the form's `Tag` "1").
    bool held() const { return m_held; }

Q_SIGNALS:
    void pressed();
    void moved();
    void released();

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    GripKind m_kind;
    bool m_held = false;
};

} // namespace lirondo
