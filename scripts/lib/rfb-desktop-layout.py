#!/usr/bin/env python3
"""Gives a TigerVNC X server (Xvnc) a layout of several monitors, as a VNC viewer does.

    rfb-desktop-layout.py SOCKET WIDTH HEIGHT X,Y,W,H [X,Y,W,H ...]

Connects to the server's RFB Unix socket (security type None, shared), announces the
ExtendedDesktopSize pseudo-encoding and sends one SetDesktopSize message with the
framebuffer's size and one screen per rectangle, then waits for the server's answer to
it. The layout stays after the connection ends. Exit code 0 when the server applied it.
"""

import socket
import struct
import sys

EXTENDED_DESKTOP_SIZE = -308
DESKTOP_SIZE = -223
RAW = 0


def receive(connection, count):
    data = b""
    while len(data) < count:
        chunk = connection.recv(count - len(data))
        if not chunk:
            raise ConnectionError("the server closed the connection")
        data += chunk
    return data


def handshake(connection):
    version = receive(connection, 12)
    if not version.startswith(b"RFB 003."):
        raise ConnectionError(f"not an RFB server: {version!r}")
    connection.sendall(b"RFB 003.008\n")
    (count,) = struct.unpack("!B", receive(connection, 1))
    if count == 0:
        (length,) = struct.unpack("!I", receive(connection, 4))
        raise ConnectionError(receive(connection, length).decode(errors="replace"))
    if 1 not in receive(connection, count):
        raise ConnectionError("the server asks for authentication (start it with -SecurityTypes None)")
    connection.sendall(struct.pack("!B", 1))
    (result,) = struct.unpack("!I", receive(connection, 4))
    if result != 0:
        raise ConnectionError("the server refused the connection")
    connection.sendall(struct.pack("!B", 1))  # shared
    _, _, pixel_format, name_length = struct.unpack("!HH16sI", receive(connection, 24))
    receive(connection, name_length)
    return pixel_format[0] // 8  # bytes per pixel


def skip_message(connection, kind, bytes_per_pixel):
    """Reads one server message; returns the status of an answer to our layout, or None."""
    if kind == 0:  # FramebufferUpdate
        _, rectangles = struct.unpack("!BH", receive(connection, 3))
        status = None
        for _ in range(rectangles):
            x, y, width, height, encoding = struct.unpack("!HHHHi", receive(connection, 12))
            if encoding == RAW:
                receive(connection, width * height * bytes_per_pixel)
            elif encoding == EXTENDED_DESKTOP_SIZE:
                (screens,) = struct.unpack("!B3x", receive(connection, 4))
                receive(connection, 16 * screens)
                if x == 1:  # a change this client asked for; y is its status
                    status = y
            elif encoding != DESKTOP_SIZE:
                raise ConnectionError(f"unexpected encoding {encoding}")
        return status
    if kind == 1:  # SetColourMapEntries
        _, _, colours = struct.unpack("!BHH", receive(connection, 5))
        receive(connection, 6 * colours)
    elif kind == 2:  # Bell
        pass
    elif kind == 3:  # ServerCutText
        (length,) = struct.unpack("!3xI", receive(connection, 7))
        receive(connection, length)
    else:
        raise ConnectionError(f"unexpected message {kind}")
    return None


def main():
    if len(sys.argv) < 5:
        sys.exit(__doc__)
    path, width, height = sys.argv[1], int(sys.argv[2]), int(sys.argv[3])
    screens = [tuple(int(v) for v in argument.split(",")) for argument in sys.argv[4:]]
    with socket.socket(socket.AF_UNIX, socket.SOCK_STREAM) as connection:
        connection.settimeout(30)
        connection.connect(path)
        bytes_per_pixel = handshake(connection)
        connection.sendall(struct.pack("!BxHi", 2, 1, EXTENDED_DESKTOP_SIZE))  # SetEncodings
        layout = struct.pack("!BxHHBx", 251, width, height, len(screens))
        for number, (x, y, w, h) in enumerate(screens, start=1):
            layout += struct.pack("!IHHHHI", number, x, y, w, h, 0)
        connection.sendall(layout)
        while True:
            # The answer comes with the next update: ask for one pixel's.
            connection.sendall(struct.pack("!BBHHHH", 3, 1, 0, 0, 1, 1))
            (kind,) = struct.unpack("!B", receive(connection, 1))
            status = skip_message(connection, kind, bytes_per_pixel)
            if status is not None:
                if status != 0:
                    sys.exit(f"the server refused the layout (status {status})")
                return


if __name__ == "__main__":
    main()
