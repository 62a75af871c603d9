#pragma once

#include <QLabel>
#include <QString>

namespace lirondo {

// A caption-bar button: a picture-less image over the skin's glyph that shows a hover
// or pressed picture while the pointer works on it. What each event does is the window's business.
class CaptionButton : public QLabel
{
    Q_OBJECT
public:
    explicit CaptionButton(const QString& name, QWidget* parent = nullptr);

    // While the hover picture is up (the form's `Tag` "1").
    bool hoverShown() const { return m_hoverShown; }
    void setHoverShown(bool shown) { m_hoverShown = shown; }

    void setPicture(const QPixmap& picture);
    void clearPicture();
    void clearHover() // the picture goes and the hover is over
    {
        clearPicture();
        m_hoverShown = false;
    }
    bool hasPicture() const;
    // Presses the button as a click would (for assistive technology).
    void click();

Q_SIGNALS:
    void pointerMoved();
    void pressed();
    void released();
    void clicked();

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;

private:
    bool m_down = false;
    bool m_hoverShown = false;
};

} // namespace lirondo
