#!/usr/bin/env python3
"""The views `headsift -f date:iso,from:addr,message-id:id MBOX` writes, made
the plain way with Python's mailbox and email packages, for timing beside
it: a row a message, the mailbox's name, the message's number, its Date in
UTC (YYYY-MM-DDTHH:MM:SSZ), the addr-specs of its From and the msg-ids of
its Message-ID, TAB between them. Python's mailbox begins a message at
every line that begins "From ", one in a header too, where headsift takes
such a line for one more header line.

usage: views.py MBOX"""

import datetime
import email.parser
import email.policy
import email.utils
import mailbox
import re
import sys

MSG_ID = re.compile(r"<\s*([^<>\s]+)\s*>")


def iso_date(value):
    try:
        moment = email.utils.parsedate_to_datetime(value)
    except (TypeError, ValueError, OverflowError):
        return ""
    if moment.tzinfo is None:
        moment = moment.replace(tzinfo=datetime.timezone.utc)
    return moment.astimezone(datetime.timezone.utc).strftime("%Y-%m-%dT%H:%M:%SZ")


def addr_specs(value):
    specs = []
    for _, addr in email.utils.getaddresses([value]):
        local, at, domain = addr.rpartition("@")
        if at:
            specs.append(local + "@" + domain.lower())
    return " ".join(specs)


def main():
    path = sys.argv[1]
    headers = email.parser.BytesHeaderParser(policy=email.policy.compat32)
    out = sys.stdout
    box = mailbox.mbox(path, create=False)
    # Only the header is parsed: the body is read, as it must be to find the
    # next message, and passed over.
    for number, key in enumerate(box.iterkeys()):
        message = headers.parsebytes(box.get_bytes(key))
        date, sender, ids = (str(message.get(name, "")) for name in ("Date", "From", "Message-ID"))
        out.write(f"{path}\t{number}\t{iso_date(date)}\t{addr_specs(sender)}\t"
                  f"{' '.join(MSG_ID.findall(ids))}\n")


if __name__ == "__main__":
    main()
