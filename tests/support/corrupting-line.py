#!/usr/bin/env python3
"""A serial line that corrupts what the radio says: opens a pseudo-terminal of its own, prints
its device, and relays between it and the radio's device (argv[1]); each byte from the radio
has one of its bits flipped with probability argv[2] (seeded by argv[3]). What is sent to the
radio goes through whole. Ends when its standard input closes."""
import os
import pty
import random
import select
import sys
import tty

radio = os.open(sys.argv[1], os.O_RDWR | os.O_NOCTTY)
tty.setraw(radio)
share = float(sys.argv[2])
random.seed(int(sys.argv[3]))
master, slave = pty.openpty()
tty.setraw(slave)  # kept open, so that the host may close and open its end again
print(os.ttyname(slave), flush=True)
while True:
    ready, _, _ = select.select([master, radio, sys.stdin], [], [])
    if sys.stdin in ready and not os.read(sys.stdin.fileno(), 100):
        break
    if master in ready:
        try:
            os.write(radio, os.read(master, 4096))
        except OSError:
            pass
    if radio in ready:
        data = bytearray(os.read(radio, 4096))
        for i in range(len(data)):
            if random.random() < share:
                data[i] ^= 1 << random.randrange(8)
        os.write(master, bytes(data))
