"""Sends the scripts that quendra-script printed (JSON on stdin) through the assistant's socket,
one frame per execute, and fails unless each is answered OK.

usage: quendra-script FORM BUTTON ... | send_scripts.py SOCKET [--hold]
       send_scripts.py SOCKET --ask PAYLOAD

--hold keeps the conversation open afterwards until the host ends it. --ask sends one payload
(a question such as the state query, "\\x05STATE") and prints the answer.
"""
import json
import socket
import struct
import sys


def receive(conn, n):
    data = b""
    while len(data) < n:
        chunk = conn.recv(n - len(data))
        if not chunk:
            sys.exit("send_scripts: the host closed the conversation")
        data += chunk
    return data


def send(conn, text):
    payload = text.encode("utf-8")
    conn.sendall(struct.pack(">I", len(payload)) + payload)
    return receive(conn, struct.unpack(">I", receive(conn, 4))[0]).decode("utf-8")


def main():
    conn = socket.socket(socket.AF_UNIX)
    conn.settimeout(10)
    conn.connect(sys.argv[1])
    options = sys.argv[2:]
    if options[:1] == ["--ask"]:
        print(send(conn, options[1].encode().decode("unicode_escape")))
        return
    for event in json.load(sys.stdin)["events"]:
        if "execute" not in event:
            continue
        answer = send(conn, event["execute"])
        if answer != "OK":
            sys.exit(f"send_scripts: {answer}")
    if "--hold" in options:
        conn.settimeout(None)
        while conn.recv(4096):
            pass
    conn.close()


main()
