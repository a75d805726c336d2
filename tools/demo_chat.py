#!/usr/bin/env python3
"""The chat in the real program, for the demo: starts kestrova headless (its
own settings and runtime folders), signs in, opens the echo robot's chat,
says a line, waits for the answer and shows it, saving screenshots.

    demo_chat.py --bin build/bin --port PORT --opener chat-opener.so --screenshots DIR

Everything is done through the program's automation socket (docs/AUTOMATION.md),
as a user would do it. The program has no contact list to tap yet, so the
test plug-in chat-opener.so opens the robot's chat as a tap on its row will.
"""
import argparse
import os
import shutil
import socket
import subprocess
import sys
import tempfile
import time


def request(path, line):
    with socket.socket(socket.AF_UNIX, socket.SOCK_STREAM) as s:
        s.connect(path)
        s.sendall((line + "\n").encode())
        reply = b""
        while not reply.endswith(b"\n"):
            chunk = s.recv(4096)
            if not chunk:
                break
            reply += chunk
    return reply.decode(errors="replace").rstrip("\n")


def quoted_words(reply):
    words, word, inside, escaped = [], "", False, False
    for c in reply:
        if not inside:
            if c == '"':
                inside, word = True, ""
        elif escaped:
            word += "\n" if c == "n" else c
            escaped = False
        elif c == "\\":
            escaped = True
        elif c == '"':
            words.append(word)
            inside = False
        else:
            word += c
    return words


def wait(condition, seconds=30):
    end = time.time() + seconds
    while time.time() < end:
        value = condition()
        if value:
            return value
        time.sleep(0.1)
    return None


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--bin", required=True)
    parser.add_argument("--port", required=True)
    parser.add_argument("--opener", required=True)
    parser.add_argument("--screenshots", required=True)
    parser.add_argument("--user", default="ann@example.org")
    parser.add_argument("--password", default="ann")
    parser.add_argument("--robot", default="echo@example.org")
    parser.add_argument("--say", default="Hello from the chat window!")
    args = parser.parse_args()

    work = tempfile.mkdtemp(prefix="kestrova-demo-chat-")
    program, home, run = (os.path.join(work, d) for d in ("program", "home", "run"))
    for folder in (program, home, run):
        os.makedirs(folder, mode=0o700)
    for name in ("kestrova", "libapi.so", "libkestrova-platform.so", "connection.so", "messaging.so"):
        shutil.copy2(os.path.join(args.bin, name), program)
    shutil.copy2(args.opener, program)
    os.symlink(os.path.abspath(os.path.join(args.bin, "resources")), os.path.join(program, "resources"))
    with open(os.path.join(home, "user.reg"), "w") as reg:
        reg.write("kestrova-registry 1\n")
        for name, value in (("connection.user", args.user), ("connection.pass", args.password),
                            ("Connection/Servers/List", "127.0.0.1:" + args.port)):
            reg.write("SOFTWARE\\\\Kestorva\\\\Settings\t%s\t%s\n" % (name, value))
    sock = os.path.join(run, "automation.socket")
    env = dict(os.environ, KESTROVA_HOME=home, XDG_RUNTIME_DIR=run, KESTROVA_AUDIO="null")
    env.pop("DISPLAY", None)
    env.pop("WAYLAND_DISPLAY", None)
    child = subprocess.Popen([os.path.join(program, "kestrova"), "--display", "headless", "--automation", sock],
                             env=env, stderr=subprocess.DEVNULL)
    ask = lambda line: request(sock, line) if os.path.exists(sock) else ""
    os.makedirs(args.screenshots, exist_ok=True)
    shot = lambda name: ask('screenshot "%s"' % os.path.join(os.path.abspath(args.screenshots), name))
    try:
        if not wait(lambda: ask("ping") == "OK pong"):
            sys.exit("demo: the program did not start")
        print("kestrova: started headless, signing in as %s" % args.user)
        if not wait(lambda: ask('find title="connection.state 100"').startswith("OK "), 60):
            sys.exit("demo: the program did not sign in")
        opener = wait(lambda: ask('find title="open contact %s"' % args.robot).startswith("OK ") and
                      ask('find title="open contact %s"' % args.robot)[3:])
        if not opener:
            sys.exit("demo: the robot is not on the contact list")
        ask("close " + opener)
        chat = wait(lambda: ask("find class=RY_CHATWINDOW visible=1")[3:] or None)
        print("kestrova: the chat with %s is open" % quoted_words(ask("text " + chat))[0])
        shot("demo_chat_open.png")
        ask("type " + args.say)
        ask("key ENTER")
        print("you:      %s" % args.say)

        # The robot's answer rings the alert (the chat is in front, so it is
        # shown at once and never unread); then its text is copied from the
        # newest message's menu.
        heard = wait(lambda: "messaging/105" in ask("sounds"), 30)
        got = None
        if heard:
            ask("clipboard set -")
            ask("key UP")
            ask("key END")
            ask('choose "Copy to Clipboard"')
            ask("key ENTER")
            ask("key DOWN")
            words = quoted_words(ask("clipboard"))
            got = words[0] if words else None
        print("robot:    %s" % (got or "(no answer)"))
        shot("demo_chat_answer.png")
        print("kestrova: screenshots in %s (demo_chat_open.png, demo_chat_answer.png)" % args.screenshots)
    finally:
        if child.poll() is None:
            ask("answer yes")
            main_window = ask("find title=Kestrova")
            if main_window.startswith("OK "):
                ask("close " + main_window[3:])
            try:
                child.wait(20)
            except subprocess.TimeoutExpired:
                child.kill()
        shutil.rmtree(work, ignore_errors=True)


if __name__ == "__main__":
    main()
