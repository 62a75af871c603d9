#include "mail/MailSettings.h"

namespace lirondo {

QString builtInMailServer()
{
    return QStringLiteral(LIRONDO_MAIL_SERVER);
}

QString builtInMailRecipient()
{
    return QStringLiteral(LIRONDO_MAIL_RECIPIENT);
}

} // namespace lirondo
