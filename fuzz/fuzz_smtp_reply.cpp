// Feeds arbitrary bytes to the SMTP reply parser, whole and in two reads, and
// checks that both give the same replies, with sane codes and offsets.
#include "FuzzRequire.h"
#include "mail/SmtpReply.h"

#include <cstdint>

using lirondo::parseSmtpReplies;
using lirondo::SmtpReply;
using lirondo::SmtpReplyParse;

namespace {

// Parses the bytes and checks what any parse must hold.
SmtpReplyParse parsedChecked(QByteArrayView bytes)
{
    SmtpReplyParse parsed = parseSmtpReplies(bytes);
    require(parsed.consumed >= 0 && parsed.consumed <= bytes.size(), "consumed out of range");
    require(parsed.replies.isEmpty() == (parsed.consumed == 0), "replies without bytes");
    for (const SmtpReply& reply : parsed.replies)
        require(reply.code >= 200 && reply.code <= 559, "code out of range");
    if (parsed.consumed > 0)
        require(bytes[parsed.consumed - 1] == '\n', "a reply ends inside a line");
    return parsed;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QByteArrayView bytes(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    const SmtpReplyParse whole = parsedChecked(bytes);

    // The socket hands the parser whatever each read brought; the cut must not matter.
    const qsizetype cut = bytes.size() / 2;
    const SmtpReplyParse first = parsedChecked(bytes.first(cut));
    if (!first.error.isEmpty() || !whole.error.isEmpty())
        return 0;
    const SmtpReplyParse second = parsedChecked(bytes.sliced(first.consumed));
    if (!second.error.isEmpty())
        return 0;
    const QList<SmtpReply> joined = first.replies + second.replies;
    require(joined.size() == whole.replies.size(), "reply count depends on the cut");
    for (qsizetype i = 0; i < joined.size(); ++i)
        require(joined[i].code == whole.replies[i].code && joined[i].text == whole.replies[i].text,
                "reply differs with the cut");
    require(first.consumed + second.consumed == whole.consumed, "consumed depends on the cut");
    return 0;
}
