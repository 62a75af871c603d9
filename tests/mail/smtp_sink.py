"""A loopback SMTP server for the mail tests.

Usage: smtp_sink.py OUTPUT_DIR
Listens on 127.0.0.1 at a free port and prints "PORT <n>" once it is ready.
Each accepted message N is written as N.eml (the data as received, after the
server removed the dot-stuffing) and N.json (envelope and greeting).
Addresses that contain "refuse" are refused with 550. Stops after 10 minutes.
"""

import asyncio
import json
import os
import sys

from aiosmtpd.smtp import SMTP


class Sink:
    def __init__(self, directory):
        self.directory = directory
        self.count = 0

    async def handle_MAIL(self, server, session, envelope, address, mail_options):
        if "refuse" in address:
            return "550 5.1.0 sender refused by test"
        envelope.mail_from = address
        envelope.mail_options.extend(mail_options)
        return "250 OK"

    async def handle_RCPT(self, server, session, envelope, address, rcpt_options):
        if "refuse" in address:
            return "550 5.1.1 recipient refused by test"
        envelope.rcpt_tos.append(address)
        return "250 OK"

    async def handle_DATA(self, server, session, envelope):
        self.count += 1
        base = os.path.join(self.directory, str(self.count))
        with open(base + ".json.part", "w", encoding="utf-8") as f:
            json.dump({"from": envelope.mail_from, "to": envelope.rcpt_tos,
                       "helo": session.host_name}, f)
        with open(base + ".eml.part", "wb") as f:
            f.write(envelope.original_content)
        os.rename(base + ".json.part", base + ".json")
        os.rename(base + ".eml.part", base + ".eml")
        return "250 2.0.0 accepted"


async def main(directory):
    loop = asyncio.get_running_loop()
    handler = Sink(directory)
    server = await loop.create_server(
        lambda: SMTP(handler, hostname="sink.test", decode_data=False),
        "127.0.0.1", 0)
    port = server.sockets[0].getsockname()[1]
    print("PORT %d" % port, flush=True)
    await asyncio.sleep(600)
    server.close()


if __name__ == "__main__":
    asyncio.run(main(sys.argv[1]))
