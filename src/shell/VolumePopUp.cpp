#include "shell/VolumePopUp.h"

#include "shell/LayoutPass.h"

#include <QFocusEvent>
#include <QLabel>
#include <QSlider>

namespace lirondo {

namespace {

QWidget* makeLine(QWidget* parent, const QString& name, const QRect& geometry)
{
    auto* line = new QWidget(parent);
    line->setObjectName(name);
    line->setAutoFillBackground(true);
    QPalette palette = line->palette();
    palette.setColor(QPalette::Window, QColor(0, 0, 0));
    line->setPalette(palette);
    line->setAttribute(Qt::WA_TransparentForMouseEvents);
    line->setGeometry(geometry);
    return line;
}

} // namespace

VolumePopUp::VolumePopUp(QWidget* window) : QWidget(window)
{
    setObjectName(QStringLiteral("Picture1"));
    setAccessibleName(tr("音量调节"));
    setGeometry(twipsRect(6120, 3360, 1092, 1572));
    setAutoFillBackground(true);
    m_caption = new QLabel(tr("音量："), this);
    m_caption->setObjectName(QStringLiteral("Label4"));
    m_caption->setGeometry(twipsRect(120, 0, 972, 252));
    m_slider = new QSlider(Qt::Vertical, this);
    m_slider->setObjectName(QStringLiteral("Slider2"));
    m_slider->setAccessibleName(tr("音量"));
    m_slider->setGeometry(twipsRect(120, 360, 672, 1212));
    m_slider->setRange(0, 100);
    m_slider->setValue(100);
    m_slider->setSingleStep(1);
    m_slider->setPageStep(5);
    m_slider->setTickInterval(20);
    m_slider->setTickPosition(QSlider::TicksBothSides);
    connect(m_slider, &QSlider::valueChanged, this, &VolumePopUp::volumeChanged);
    m_slider->installEventFilter(this);
    // The two decoration lines, one on each side of the slider.
    const QRect slider = m_slider->geometry();
    makeLine(this, QStringLiteral("Line5"),
             QRect(slider.left() - 3, slider.top(), 1, slider.height()));
    makeLine(this, QStringLiteral("Line6"),
             QRect(slider.right() + 3, slider.top(), 1, slider.height()));
}

int VolumePopUp::volume() const
{
    return m_slider->value();
}

void VolumePopUp::setVolume(int volume)
{
    m_slider->setValue(volume);
}

void VolumePopUp::setCaption(const QString& caption)
{
    m_caption->setText(caption);
}

void VolumePopUp::setSliderToolTip(const QString& tip)
{
    m_slider->setToolTip(tip);
}

QWidget* VolumePopUp::focusTarget() const
{
    return m_slider;
}

void VolumePopUp::focusSlider(Qt::FocusReason reason)
{
    m_slider->setFocus(reason);
}

bool VolumePopUp::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_slider && event->type() == QEvent::FocusOut &&
        static_cast<QFocusEvent*>(event)->reason() == Qt::TabFocusReason)
        hide();
    return false;
}

} // namespace lirondo
