#pragma once

#include "common/WindowState.h"

#include <QObject>
#include <QPixmap>
#include <QPoint>

class QWidget;

namespace lirondo {

class CaptionButton;
class Grip;

// The skin's pictures, from the program's resources.
QPixmap skinPicture(const char* name);

// The main window's frame: the painted skin on a backing surface, the rounded outline,
// the caption bar (`IMBar`) with its three buttons, and the three resize grips. It owns
// these controls; the window drives it from its layout pass.
class WindowChrome : public QObject
{
    Q_OBJECT
public:
    explicit WindowChrome(QWidget& window);
    ~WindowChrome() override;

    // The window's state as it is on screen.
    WindowState state() const;
    // The caption bar, the grips, the skin and the outline for the window's size.
    void layOut();
    // The restore glyph stays over the maximize button while maximized by that button.
    void keepRestoreGlyph(WindowState state);
    const QPixmap& backingSurface() const { return m_backing; }
    QPixmap windowIcon() const { return m_windowIcon; }

    // Set where a tray icon exists: only then does minimizing hide the window.
    void setHidesWhenMinimized(bool hides) { m_hidesWhenMinimized = hides; }
    void minimize();        // the form's `Immin_Click`
    void toggleMaximized(); // `Immax_Click`
    // The pointer is over the bare window: the caption buttons drop their hover pictures.
    void clearCaptionHover();

Q_SIGNALS:
    void closeClicked(); // `Imclose_Click`

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    CaptionButton* makeButton(const QString& name, const QString& tip, int left);
    QPixmap hoverPicture(const CaptionButton* button, bool pressed) const;
    void startMove();
    void resizeByGrip(const Grip* grip);
    void paintRestoreGlyph();
    void setOutline();

    QWidget& m_window;
    QWidget* m_captionBar = nullptr;           // IMBar
    CaptionButton* m_minimizeButton = nullptr; // Immin
    CaptionButton* m_maximizeButton = nullptr; // Immax
    CaptionButton* m_closeButton = nullptr;    // Imclose
    Grip* m_bottomGrip = nullptr;              // Pbottom
    Grip* m_rightGrip = nullptr;               // Pright
    Grip* m_cornerGrip = nullptr;              // Pjiao
    // The hidden pictures: the skin atlas (Pmain), the buttons' hover and pressed pictures
    // (ImMin1/2, Immax1/2, ImClose1/2), the restore glyph and its two (IMus0/1/2) and the
    // window icon (Imico).
    QPixmap m_skin, m_minimizeHover, m_minimizePressed, m_maximizeHover, m_maximizePressed,
        m_closeHover, m_closePressed, m_restoreGlyph, m_restoreHover, m_restorePressed,
        m_windowIcon;
    QPixmap m_backing;
    bool m_restoreGlyphShown = false;
    bool m_hidesWhenMinimized = false;
    bool m_manualMove = false;
    QPoint m_moveOffset;
};

} // namespace lirondo
