#pragma once

#include "mail/UrlOpener.h"

namespace lirondo {

class DesktopUrlOpener final : public UrlOpener
{
public:
    void openUrl(const QUrl& url) override;
};

} // namespace lirondo
