#pragma once

#include <QUrl>

namespace lirondo {

// Opens a web address in the user's browser; tests record the request instead.
class UrlOpener
{
public:
    virtual ~UrlOpener() = default;
    virtual void openUrl(const QUrl& url) = 0;
};

} // namespace lirondo
