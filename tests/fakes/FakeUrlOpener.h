#pragma once

#include "mail/UrlOpener.h"

#include <QList>

namespace lirondo::test {

class FakeUrlOpener final : public UrlOpener
{
public:
    QList<QUrl> opened;
    void openUrl(const QUrl& url) override { opened.append(url); }
};

} // namespace lirondo::test
