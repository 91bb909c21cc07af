"""Sends the scripts that quendra-script printed (JSON on stdin) through the assistant's socket,
one frame per execute, and fails unless each is answered OK.

usage: quendra-script FORM BUTTON ... | send_scripts.py SOCKET
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


def main():
    outcome = json.load(sys.stdin)
    conn = socket.socket(socket.AF_UNIX)
    conn.settimeout(10)
    conn.connect(sys.argv[1])
    for event in outcome["events"]:
        if "execute" not in event:
            continue
        payload = event["execute"].encode("utf-8")
        conn.sendall(struct.pack(">I", len(payload)) + payload)
        answer = receive(conn, struct.unpack(">I", receive(conn, 4))[0]).decode("utf-8")
        if answer != "OK":
            sys.exit(f"send_scripts: {answer}")
    conn.close()


main()
