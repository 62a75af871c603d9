// Feeds arbitrary bytes to the SMTP reply parser, whole and in two reads, and
// checks that both give the same replies, with sane codes and offsets.
#include "FuzzRequire.h"
#include "mail/SmtpReply.h"

#include <cstdint>

using lirondo::parseSmtpReplies;
using lirondo::SmtpReply;
using lirondo::SmtpReplyParse;

namespace {

void checkParse(const SmtpReplyParse& parsed, QByteArrayView bytes)
{
    require(parsed.consumed >= 0 && parsed.consumed <= bytes.size(), "consumed out of range");
    require(parsed.replies.isEmpty() == (parsed.consumed == 0), "replies without bytes");
    for (const SmtpReply& reply : parsed.replies)
        require(reply.code >= 200 && reply.code <= 559, "code out of range");
    if (parsed.consumed > 0)
        require(bytes[parsed.consumed - 1] == '\n', "a reply ends inside a line");
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QByteArrayView bytes(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    const SmtpReplyParse whole = parseSmtpReplies(bytes);
    checkParse(whole, bytes);

    // The socket hands the parser whatever each read brought; the cut must not matter.
    const qsizetype cut = bytes.size() / 2;
    const SmtpReplyParse first = parseSmtpReplies(bytes.first(cut));
    checkParse(first, bytes.first(cut));
    if (!first.error.isEmpty() || !whole.error.isEmpty())
        return 0;
    const QByteArrayView rest = bytes.sliced(first.consumed);
    const SmtpReplyParse second = parseSmtpReplies(rest);
    checkParse(second, rest);
    if (!second.error.isEmpty())
        return 0;
    require(first.replies.size() + second.replies.size() == whole.replies.size(),
            "reply count depends on the cut");
    for (qsizetype i = 0; i < whole.replies.size(); ++i) {
        const SmtpReply& a = whole.replies[i];
        const SmtpReply& b =
            i < first.replies.size() ? first.replies[i] : second.replies[i - first.replies.size()];
        require(a.code == b.code && a.text == b.text, "reply differs with the cut");
    }
    require(first.consumed + second.consumed == whole.consumed, "consumed depends on the cut");
    return 0;
}
