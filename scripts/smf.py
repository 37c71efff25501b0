"""Writing Standard MIDI Files: the small part the project's generators share
(the demo song, the benchmark's dense file, the hosts' test melody)."""
import struct


def variable_length(value):
    """A delta time as MIDI writes it: seven bits a byte, most significant first."""
    out = [value & 0x7F]
    while value > 0x7F:
        value >>= 7
        out.insert(0, 0x80 | (value & 0x7F))
    return bytes(out)


def track(events, end_tick):
    """A track chunk from (tick, order, bytes); at equal ticks lower order comes first."""
    data, now = b"", 0
    for tick, _, payload in sorted(events, key=lambda event: (event[0], event[1])):
        data += variable_length(tick - now) + bytes(payload)
        now = tick
    data += variable_length(end_tick - now) + bytes([0xFF, 0x2F, 0x00])
    return b"MTrk" + struct.pack(">I", len(data)) + data


def header(file_format, tracks, ticks_per_quarter):
    return b"MThd" + struct.pack(">IHHH", 6, file_format, tracks, ticks_per_quarter)

