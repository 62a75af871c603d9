#include "mail/DesktopUrlOpener.h"

#include <QDesktopServices>

namespace lirondo {

void DesktopUrlOpener::openUrl(const QUrl& url)
{
    // Hands the address to the desktop and returns; the browser runs on its own.
    QDesktopServices::openUrl(url);
}

} // namespace lirondo
