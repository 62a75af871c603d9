#pragma once

#include <QLabel>

namespace lirondo {

// A caption that acts as a button: one of the command row `Label2`, or `Label5`.
class CommandLabel : public QLabel
{
    Q_OBJECT
public:
    CommandLabel(const QString& caption, int index, QWidget* parent = nullptr);
    int index() const { return m_index; }
    // Presses the label as a click would (keyboard, assistive technology).
    void click();

Q_SIGNALS:
    void clicked(int index);
    void pointerMoved(int index);

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    int m_index;
    bool m_pressed = false;
};

} // namespace lirondo
