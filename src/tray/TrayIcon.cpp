#include "tray/TrayIcon.h"

#include "tray/TrayWindow.h"

namespace lirondo {

TrayIcon::TrayIcon(TrayIconPort& icon, QObject* parent) : QObject(parent), m_icon(icon)
{
    connect(&m_icon, &TrayIconPort::activated, this, &TrayIcon::activate);
}

TrayIcon::~TrayIcon()
{
    remove();
}

bool TrayIcon::install(TrayWindow& window, QMenu* menu)
{
    m_window = &window;
    m_menu = menu;
    m_hasIcon = m_icon.isAvailable();
    if (!m_hasIcon)
        return false;
    m_icon.setIcon(window.trayIcon());
    m_icon.setVisible(true);
    return true;
}

void TrayIcon::setToolTip(const QString& text)
{
    if (!m_hasIcon)
        return;
    m_icon.setToolTip(fitTipField(m_gbk, text));
}

void TrayIcon::remove()
{
    if (m_hasIcon)
        m_icon.setVisible(false);
    m_hasIcon = false;
    m_window = nullptr;
    m_menu = nullptr;
}

void TrayIcon::activate(TrayIconPort::Activation reason)
{
    if (!m_window)
        return;
    switch (reason) {
    case TrayIconPort::Activation::Trigger:
        // A click on the icon only brings a minimized window back; otherwise the
        // window is already there and the click does nothing.
        if (m_window->trayWindowState() == WindowState::Minimized) {
            m_window->trayShow();
            m_window->setTrayWindowState(m_window->trayLastState());
            m_window->trayFocus();
        }
        break;
    case TrayIconPort::Activation::Context:
        if (m_menu)
            m_icon.popUpMenu(m_menu);
        break;
    default:
        break;
    }
}

QString TrayIcon::fitTipField(const GbkCodePage& gbk, QStringView text)
{
    constexpr qsizetype kRoom = kTipFieldBytes - 1;
    const qsizetype nul = text.indexOf(QChar(u'\0'));
    if (nul >= 0)
        text = text.first(nul);

    qsizetype units = 0;
    qsizetype bytes = 0;
    while (units < text.size()) {
        const char16_t unit = text[units].unicode();
        const bool pair = QChar::isHighSurrogate(unit) && units + 1 < text.size() &&
                          QChar::isLowSurrogate(text[units + 1].unicode());
        const qsizetype width = pair ? 2 : 1;
        // GBK has no characters beyond the basic plane: a pair becomes one '?'.
        const qsizetype encoded = !pair && gbk.isDoubleByte(unit) ? 2 : 1;
        if (units + width > kRoom || bytes + encoded > kRoom)
            break;
        units += width;
        bytes += encoded;
    }
    return text.first(units).toString();
}

} // namespace lirondo
