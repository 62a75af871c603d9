"""A loopback SMTP server for the mail tests.

Usage: smtp_sink.py OUTPUT_DIR
Listens on 127.0.0.1 at a free port and prints "PORT <n>" once it is ready.
Each accepted message N is written as N.eml, the data as received after the
server removed the dot-stuffing, and N.json, what a mail reader makes of it:
the decoded Subject and the decoded content of the text/plain part.
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
        texts = [part.get_payload(decode=True).decode("utf-8") for part in message.walk()
                 if part.get_content_type() == "text/plain"]
        with open(base + ".json", "w", encoding="utf-8") as f:
            json.dump({"subject": str(message["Subject"]), "texts": texts}, f)
        with open(base + ".part", "wb") as f:
            f.write(envelope.original_content)
        os.rename(base + ".part", base + ".eml")  # last: a test waits for it
        return "250 2.0.0 accepted"


async def main(directory):
    loop = asyncio.get_running_loop()
    sink = Sink(directory)  # one for all connections: it numbers the messages
    server = await loop.create_server(
        lambda: SMTP(sink, hostname="sink.test", decode_data=False),
        "127.0.0.1", 0)
    print("PORT %d" % server.sockets[0].getsockname()[1], flush=True)
    await asyncio.sleep(600)
    server.close()


if __name__ == "__main__":
    asyncio.run(main(sys.argv[1]))
