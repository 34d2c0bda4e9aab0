#!/usr/bin/env python3
"""Send a print stream file to a printer (the virtual printer or a real one) through the
project's own link libraries, the way the service program sends print data: pieces of at
most 1000 bytes, retried every 0.5 s while the printer cannot take data (channel error 51).

    send-stream.py [--port USB001] [--bin BUILD/bin] FILE

The virtual printer's socket is looked up in $XDG_RUNTIME_DIR/novari-ports (or
/tmp/novari-ports-<uid>), so run this with the same XDG_RUNTIME_DIR as the printer.
"""
import argparse
import ctypes
import os
import re
import sys
import time


def port_code(name):
    match = re.fullmatch(r"(USB|LPT)(\d+):?", name.upper())
    if not match:
        sys.exit(f"send-stream: port name {name!r} is not USBnnn or LPTn")
    number = int(match.group(2))
    return (0x0400 if match.group(1) == "USB" else 0x047F) + number


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("file")
    parser.add_argument("--port", default="USB001")
    parser.add_argument("--bin", default=os.path.join(os.getcwd(), "build", "bin"),
                        help="folder holding libportgate.so and libchanlink.so")
    args = parser.parse_args()

    gate = ctypes.CDLL(os.path.join(args.bin, "libportgate.so"))
    chan = ctypes.CDLL(os.path.join(args.bin, "libchanlink.so"))
    for function in (gate.GateOpenPort, gate.GateCheckDeviceId, gate.GateClosePort,
                     chan.ChanOpen, chan.ChanClose, chan.ChanSendData):
        function.restype = ctypes.c_uint16
    chan.ChanSendData.argtypes = [ctypes.c_char_p, ctypes.c_int32, ctypes.c_void_p]
    chan.ChanGetErrorCode.restype = ctypes.c_int16

    result = gate.GateOpenPort(port_code(args.port))
    if result != 1:
        sys.exit(f"send-stream: cannot open port {args.port} (result 0x{result:04X})")
    result = chan.ChanOpen(None)
    if result != 1:
        gate.GateClosePort()
        sys.exit(f"send-stream: cannot open the channel (result 0x{result:04X})")
    with open(args.file, "rb") as stream:
        data = stream.read()
    sent = 0
    try:
        while sent < len(data):
            piece = data[sent:sent + 1000]
            result = chan.ChanSendData(piece, len(piece), None)
            if result == 1:
                sent += len(piece)
            elif result == 0x2000 and chan.ChanGetErrorCode() == 51:
                time.sleep(0.5)
            else:
                sys.exit(f"send-stream: send failed at byte {sent} (result 0x{result:04X}, "
                         f"channel error {chan.ChanGetErrorCode()})")
    finally:
        chan.ChanClose(None)
        gate.GateClosePort()
    print(f"{sent} bytes sent to {args.port}")


if __name__ == "__main__":
    main()
