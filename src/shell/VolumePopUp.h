#pragma once

#include <QWidget>

class QLabel;
class QSlider;

namespace lirondo {

// The volume pop-up (the form's `Picture1`): the volume slider (`Slider2`) under its
// caption (`Label4`), between two lines (`Line5`, `Line6`). It pops up over the
// speaker icon of the reading panel.
class VolumePopUp : public QWidget
{
    Q_OBJECT
public:
    explicit VolumePopUp(QWidget* window);

    int volume() const;
    void setVolume(int volume);
    void setCaption(const QString& caption);
    void setSliderToolTip(const QString& tip);
    // The slider takes the keyboard focus; Tab away from it closes the pop-up.
    QWidget* focusTarget() const;
    void focusSlider(Qt::FocusReason reason);

Q_SIGNALS:
    void volumeChanged(int volume);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QLabel* m_caption = nullptr; // Label4
    QSlider* m_slider = nullptr; // Slider2
};

} // namespace lirondo
