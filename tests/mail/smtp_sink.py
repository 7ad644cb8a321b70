"""A local SMTP server for the mail tests and benchmark (aiosmtpd).

    smtp_sink.py OUTDIR     keeps every message: N.eml as received, and N.json
                            with what Python's standard MIME parser reads from
                            it (attachments as N.K.bin)
    smtp_sink.py --discard  accepts and forgets (for timing)

Prints "PORT <n>" when it listens on 127.0.0.1, and stops when its standard
input closes, so it never outlives the program that started it.
"""
import asyncio
import email
import email.policy
import json
import os
import socket
import sys

from aiosmtpd.controller import Controller


class Keeper:
    def __init__(self, outdir):
        self.outdir = outdir
        self.count = 0

    async def handle_DATA(self, server, session, envelope):
        if self.outdir is None:
            return "250 OK"
        n = self.count
        self.count += 1
        raw = envelope.original_content or envelope.content
        base = os.path.join(self.outdir, str(n))
        with open(base + ".eml", "wb") as f:
            f.write(raw)
        msg = email.message_from_bytes(raw, policy=email.policy.default)
        info = {
            "mail_from": envelope.mail_from,
            "rcpt_tos": envelope.rcpt_tos,
            "to": str(msg.get("To", "")),
            "from": str(msg.get("From", "")),
            "subject": str(msg.get("Subject", "")),
            "date": str(msg.get("Date", "")),
            "message_id": str(msg.get("Message-ID", "")),
            "multipart": msg.is_multipart(),
            "defects": [type(d).__name__ for d in msg.defects],
            "text": None,
            "attachments": [],
        }
        parts = msg.walk() if msg.is_multipart() else [msg]
        for part in parts:
            if part.is_multipart():
                continue
            if part.get_content_disposition() == "attachment":
                k = len(info["attachments"])
                data = part.get_payload(decode=True) or b""
                with open("%s.%d.bin" % (base, k), "wb") as f:
                    f.write(data)
                info["attachments"].append({"filename": part.get_filename(), "size": len(data)})
            elif info["text"] is None:
                # As a reader shows it: decoded by the charset the part declares.
                info["text"] = part.get_content()
        with open(base + ".json.tmp", "w") as f:
            json.dump(info, f)
        os.rename(base + ".json.tmp", base + ".json")
        return "250 OK"


def free_port():
    with socket.socket() as s:
        s.bind(("127.0.0.1", 0))
        return s.getsockname()[1]


def main():
    outdir = None if sys.argv[1:] == ["--discard"] else sys.argv[1]
    controller = Controller(Keeper(outdir), hostname="127.0.0.1", port=free_port(),
                            data_size_limit=64 * 1024 * 1024)
    controller.start()
    print("PORT %d" % controller.port, flush=True)
    try:
        sys.stdin.read()
    finally:
        controller.stop()


if __name__ == "__main__":
    main()
