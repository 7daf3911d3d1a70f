#!/usr/bin/python3
"""Loopback SMTP server for the smtpnote tests.

Listens on 127.0.0.1 on a free port and prints that port as the first line of stdout.
Modes:
  --mode smtp    aiosmtpd with AUTH LOGIN for one user and password (no TLS); every
                 accepted message is stored as a JSON file in --store: the envelope, the
                 authenticated login, the raw data and the headers and body as Python's
                 own e-mail parser decodes them.
                 A recipient whose local part is "refuse" is rejected with 550.
  --mode noauth  the same server offering no AUTH at all.
  --mode silent  accepts connections and never answers (time-out tests).
Runs until stdin is closed or the process is killed.
"""
import argparse
import base64
import email
import email.policy
import json
import logging
import os
import socket
import sys
import threading
import warnings

from aiosmtpd.controller import Controller
from aiosmtpd.smtp import AuthResult, LoginPassword


def bind_free_port():
    sock = socket.socket(socket.AF_INET, socket.SOCK_STREAM)
    sock.setsockopt(socket.SOL_SOCKET, socket.SO_REUSEADDR, 1)
    sock.bind(("127.0.0.1", 0))
    sock.listen(16)
    return sock


class Authenticator:
    def __init__(self, user, password):
        self.user = user.encode()
        self.password = password.encode()

    def __call__(self, server, session, envelope, mechanism, auth_data):
        ok = (isinstance(auth_data, LoginPassword)
              and auth_data.login == self.user and auth_data.password == self.password)
        return AuthResult(success=ok, handled=False, auth_data=auth_data if ok else None)


class StoreHandler:
    def __init__(self, folder):
        self.folder = folder
        self.count = 0
        self.lock = threading.Lock()

    async def handle_RCPT(self, server, session, envelope, address, rcpt_options):
        if address.split("@")[0].lower() == "refuse":
            return "550 5.1.1 Mailbox unavailable"
        envelope.rcpt_tos.append(address)
        return "250 OK"

    async def handle_DATA(self, server, session, envelope):
        raw = envelope.original_content or envelope.content
        if isinstance(raw, str):
            raw = raw.encode("utf-8", "surrogateescape")
        msg = email.message_from_bytes(raw, policy=email.policy.default)
        body = msg.get_content() if not msg.is_multipart() else None
        login = session.auth_data.login.decode() if isinstance(session.auth_data, LoginPassword) else None
        record = {
            "mail_from": envelope.mail_from,
            "rcpt_tos": list(envelope.rcpt_tos),
            "login": login,
            "raw": base64.b64encode(raw).decode("ascii"),
            "headers": {k: str(v) for k, v in msg.items()},
            "header_names": list(msg.keys()),
            "content_type": msg.get_content_type(),
            "charset": msg.get_content_charset(),
            "transfer_encoding": msg.get("Content-Transfer-Encoding", ""),
            "subject": str(msg.get("Subject", "")),
            "body": body,
        }
        with self.lock:
            self.count += 1
            name = os.path.join(self.folder, "message%03d.json" % self.count)
        tmp = name + ".part"
        with open(tmp, "w", encoding="utf-8") as f:
            json.dump(record, f, ensure_ascii=False)
        os.replace(tmp, name)
        return "250 OK"


class BoundController(Controller):
    """A Controller on a socket bound before start, so the port is never raced for."""

    def __init__(self, handler, sock, **kwargs):
        self.sock = sock
        super().__init__(handler, hostname="127.0.0.1", port=sock.getsockname()[1], **kwargs)

    def _create_server(self):
        return self.loop.create_server(self._factory_invoker, sock=self.sock)


def wait_for_stdin_close():
    try:
        while sys.stdin.buffer.read(4096):
            pass
    except (OSError, ValueError):
        pass


def run_silent(sock):
    held = []

    def accept_loop():
        while True:
            try:
                conn, _ = sock.accept()
            except OSError:
                return
            held.append(conn)  # keep it open and say nothing

    threading.Thread(target=accept_loop, daemon=True).start()
    print(sock.getsockname()[1], flush=True)
    wait_for_stdin_close()


def main():
    warnings.simplefilter("ignore", DeprecationWarning)
    logging.getLogger("mail.log").setLevel(logging.ERROR)  # its own deprecation chatter
    p = argparse.ArgumentParser()
    p.add_argument("--mode", choices=["smtp", "noauth", "silent"], default="smtp")
    p.add_argument("--store", default=".")
    p.add_argument("--user", default="user")
    p.add_argument("--password", default="secret")
    args = p.parse_args()

    sock = bind_free_port()
    if args.mode == "silent":
        run_silent(sock)
        return

    controller = BoundController(
        StoreHandler(args.store), sock,
        authenticator=Authenticator(args.user, args.password),
        auth_require_tls=(args.mode == "noauth"), decode_data=False)
    controller.start()
    print(sock.getsockname()[1], flush=True)
    wait_for_stdin_close()
    controller.stop()


if __name__ == "__main__":
    main()
