"""A loopback SMTP server for the mail tests.

Usage: smtp_sink.py OUTPUT_DIR [PORT]
Listens on 127.0.0.1 at PORT (default: a free one) and prints "PORT <n>" once
it is ready. Each accepted message N is written as N.eml, the data as received
after the server removed the dot-stuffing, and N.json, what a mail reader makes
of it: the decoded Subject, the decoded content and the transfer encoding of
each text/plain part, the From display name, and the MAIL FROM parameters.
Stops after 10 minutes.
"""

import asyncio
import email
import email.policy
import json
import os
import sys

from aiosmtpd.smtp import SMTP


class Sink:
    def __init__(self, directory):
        self.directory = directory
        self.count = 0

    async def handle_DATA(self, server, session, envelope):
        self.count += 1
        base = os.path.join(self.directory, str(self.count))
        message = email.message_from_bytes(envelope.original_content,
                                           policy=email.policy.default)
        senders = message["From"].addresses if message["From"] else ()
        parts = [part for part in message.walk() if part.get_content_type() == "text/plain"]
        with open(base + ".json", "w", encoding="utf-8") as f:
            json.dump({"subject": str(message["Subject"]),
                       "texts": [p.get_payload(decode=True).decode("utf-8") for p in parts],
                       "encodings": [p["Content-Transfer-Encoding"] or "" for p in parts],
                       "from": senders[0].display_name if senders else "",
                       "mail_options": envelope.mail_options}, f)
        with open(base + ".part", "wb") as f:
            f.write(envelope.original_content)
        os.rename(base + ".part", base + ".eml")  # last: a test waits for it
        return "250 2.0.0 accepted"


async def main(directory, port):
    loop = asyncio.get_running_loop()
    sink = Sink(directory)  # one for all connections: it numbers the messages
    server = await loop.create_server(
        lambda: SMTP(sink, hostname="sink.test", decode_data=False),
        "127.0.0.1", port)
    print("PORT %d" % server.sockets[0].getsockname()[1], flush=True)
    await asyncio.sleep(600)
    server.close()


if __name__ == "__main__":
    asyncio.run(main(sys.argv[1], int(sys.argv[2]) if len(sys.argv) > 2 else 0))
