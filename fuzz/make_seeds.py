#!/usr/bin/env python3
"""Writes the seed corpora: fuzz/corpus/plugin_fuzzer (host operation streams,
laid out as host_operations.h describes), fuzz/corpus/midi_file_fuzzer
(small Standard MIDI Files) and fuzz/corpus/preset_file_fuzzer (.fxp and .fxb
files of every form). Run it from anywhere; it replaces the seeds."""
import pathlib
import struct

HERE = pathlib.Path(__file__).resolve().parent

# ---- host operation streams -------------------------------------------------
DISPATCH, SET_PARAMETER, GET_PARAMETER, SEND_EVENTS, RENDER_REPLACING, RENDER_ACCUMULATING, CHECK_STATE, CHUNK_ROUND_TRIP = range(8)
EFF = dict(open=0, close=1, set_program=2, get_program=3, set_program_name=4, get_program_name=5,
           set_sample_rate=10, set_block_size=11, mains_changed=12, edit_get_rect=13, edit_close=15,
           edit_idle=19, get_chunk=23, set_chunk=24, get_output_properties=34, set_block_size_and_rate=43,
           can_do=51)


def small(number):
    """An index or value operand from -2 to 9."""
    assert -2 <= number <= 9
    return bytes([number + 2])


def real(value=None, special=None):
    """A float operand: a named special, a step of the nominal 0..1, or raw bits."""
    if special is not None:
        return bytes([{'nan': 0, 'inf': 1, '-inf': 2, '-0': 3, 'denormal': 4, 'max': 5, '-1': 6}[special]])
    step = round(value * 120)
    if abs(step / 120 - value) < 1e-9 and 0 <= step <= 120:
        return bytes([step + 7])
    return bytes([128]) + struct.pack('<f', value)


def text(characters=b''):
    return bytes([len(characters)]) + characters


def dispatch(opcode, index=0, value=0, opt=0.0, characters=b'', opt_special=None):
    return (bytes([DISPATCH, EFF[opcode] + 2]) + small(index) + small(value) +
            real(opt, opt_special) + text(characters))


def dispatch_raw(opcode):
    """Any opcode number, with zero operands and a pointer-taking block."""
    return bytes([DISPATCH, 240]) + struct.pack('<i', opcode) + small(0) + small(0) + real(0.0) + text(b'x')


def set_parameter(index, value=None, special=None):
    return bytes([SET_PARAMETER]) + small(index) + real(value, special)


def get_parameter(index):
    return bytes([GET_PARAMETER]) + small(index)


def events(*messages):
    """MIDI events (deltaFrames, status, data1, data2)."""
    out = bytes([SEND_EVENTS, len(messages), 0])
    for delta, status, data1, data2 in messages:
        # Shape 0: a MIDI event of 32 bytes whose message is given in full:
        # the channel, then the status (its upper half), then three bytes.
        out += bytes([0]) + struct.pack('<H', delta) + bytes([status, status, data1, data2, 0])
    return out


def render(frames, replacing=True):
    return bytes([RENDER_REPLACING if replacing else RENDER_ACCUMULATING]) + struct.pack('<H', frames)


CHECK = bytes([CHECK_STATE])


def chunk_round_trip(take_program=False, give_other_kind=False, damages=(), cut_announced_by=0):
    """A chunk taken and handed back. Damages are (kind, position, value[, float]):
    kind 0 sets a byte, 1 flips bits, 2 cuts (odd value) or lengthens, 3 writes a float."""
    out = bytes([CHUNK_ROUND_TRIP, int(take_program) | (2 if give_other_kind else 0), len(damages)])
    for damage in damages:
        kind, position, value = damage[:3]
        out += bytes([kind]) + struct.pack('<H', position) + bytes([value])
        if kind == 3:
            out += damage[3]
    return out + bytes([240 + cut_announced_by - 1 if cut_announced_by else 0])

PLUGIN_SEEDS = {
    'empty': b'',
    'one_note': dispatch('set_sample_rate', opt=44100.0) + dispatch('mains_changed', value=1) +
                events((10, 0x90, 60, 100)) + render(512) + events((100, 0x80, 60, 0)) + render(512) * 3 + CHECK,
    'program_edit': set_parameter(0, 0.1) + set_parameter(6, 0.25) + set_parameter(7, 0.1) +
                    dispatch('set_program', value=2) + set_parameter(1, 0.05) + set_parameter(5, 0.5) +
                    dispatch('set_program', value=2) + dispatch('set_program_name', characters=b'Bright lead') +
                    dispatch('get_program_name') + events((0, 0x90, 48, 90), (0, 0x90, 55, 90), (0, 0x90, 64, 90)) +
                    render(1024) + render(256, replacing=False) + events((5, 0x80, 48, 0)) + render(2048) + CHECK,
    'values_that_are_not_numbers': set_parameter(6, special='nan') + set_parameter(1, special='inf') +
                                   set_parameter(3, special='-inf') + set_parameter(7, special='max') +
                                   dispatch('set_program', value=0) + events((0, 0x90, 69, 127)) + render(4096) +
                                   set_parameter(5, special='denormal') + dispatch('set_program', value=0) +
                                   events((0, 0x80, 69, 0)) + render(4096) + CHECK,
    'controllers': events((0, 0x90, 60, 100), (0, 0x90, 62, 100), (0, 0xE0, 0, 127), (64, 0xB0, 1, 127),
                          (128, 0xB0, 7, 64), (192, 0xB0, 10, 0), (256, 0xE0, 0, 0), (300, 0xB0, 10, 127),
                          (400, 0xB0, 123, 0), (450, 0xB0, 126, 0)) + render(512) + render(4096) +
                   events(*[(i * 8, 0x90, 40 + i, 100) for i in range(10)]) + render(512) + CHECK,
    'dispatcher_sweep': b''.join(dispatch_raw(opcode) for opcode in list(range(-2, 64)) if opcode not in (1, 14, 25)) +
                        dispatch('edit_get_rect') + dispatch('edit_idle') + dispatch('edit_close') +
                        dispatch('get_output_properties', index=1) + dispatch('can_do', characters=b'receiveVstEvents') +
                        dispatch('get_chunk') + dispatch('set_chunk', characters=b'\x01\x02\x03') + CHECK,
    'events_beyond_the_block': events((4000, 0x90, 60, 100), (5000, 0x80, 60, 0), (3, 0x90, 72, 50)) + render(64) +
                               render(4096) + render(0) + render(4096) + CHECK,
    'sample_rates': dispatch('set_sample_rate', opt=0.0) + events((0, 0x90, 60, 100)) + render(256) +
                    dispatch('set_sample_rate', opt_special='nan') + render(256) +
                    dispatch('set_sample_rate', opt=1e30) + render(256) +
                    dispatch('set_block_size_and_rate', value=9, opt=48000.0) + dispatch('set_program', value=1) +
                    events((0, 0x90, 127, 127), (0, 0x90, 0, 1)) + render(4096) + CHECK,
    'chunks': set_parameter(0, 0.9) + set_parameter(6, 0.4) + dispatch('set_program_name', characters=b'Chunked') +
              dispatch('set_program', value=2) + set_parameter(7, 0.25) + chunk_round_trip() +
              chunk_round_trip(take_program=True) + chunk_round_trip(give_other_kind=True) +
              chunk_round_trip(damages=[(3, 24, 0, real(special='nan'))]) + chunk_round_trip(damages=[(2, 100, 1)]) +
              chunk_round_trip(damages=[(0, 0, ord('X'))]) + chunk_round_trip(cut_announced_by=1) +
              chunk_round_trip(take_program=True, damages=[(1, 60, 0x20)]) + events((0, 0x90, 60, 100)) +
              render(512) + CHECK,
    'names': dispatch('set_program', value=3) + dispatch('set_program_name', characters=b'x' * 40) +
             dispatch('get_program_name') + dispatch('set_program', value=1) +
             dispatch('set_program_name', characters=b'') + dispatch('set_program', value=3) + CHECK,
}

# ---- MIDI files --------------------------------------------------------------


def vlq(number):
    out = [number & 0x7F]
    number >>= 7
    while number:
        out.append((number & 0x7F) | 0x80)
        number >>= 7
    return bytes(reversed(out))


def chunk(kind, data):
    return kind + struct.pack('>I', len(data)) + data


def header(file_format, tracks, division):
    return chunk(b'MThd', struct.pack('>HHH', file_format, tracks, division))


def track(track_events):
    data = b''.join(vlq(delta) + message for delta, message in track_events)
    return chunk(b'MTrk', data + b'\x00\xff\x2f\x00')


MIDI_SEEDS = {
    'format0_notes.mid': header(0, 1, 96) + track([(0, b'\x90\x3c\x64'), (96, b'\x80\x3c\x00'), (0, b'\x90\x40\x50'),
                                                    (48, b'\x80\x40\x40')]),
    'format1_tempo_running_status.mid': header(1, 2, 480) +
        track([(0, b'\xff\x51\x03\x07\xa1\x20'), (960, b'\xff\x51\x03\x03\xd0\x90')]) +
        track([(0, b'\xc0\x05'), (0, b'\x90\x3c\x64'), (240, b'\x40\x64'), (240, b'\x3c\x00'), (0, b'\x40\x00'),
               (10, b'\xe0\x00\x40'), (10, b'\xb0\x07\x64'), (0, b'\x0a\x20'), (0, b'\xd0\x30')]),
    'smpte_division.mid': header(0, 1, (0xE7 << 8) | 40) + track([(0, b'\x90\x45\x7f'), (25, b'\x80\x45\x00')]),
    'smpte_29_drop_frame.mid': header(0, 1, (0xE3 << 8) | 80) + track([(0, b'\x91\x30\x60'), (4000, b'\x81\x30\x00')]),
    'sysex_and_meta.mid': header(0, 1, 96) +
        track([(0, b'\xf0\x05\x7e\x7f\x09\x01\xf7'), (0, b'\xff\x03\x04demo'), (0, b'\xf7\x02\x01\x02'),
               (0, b'\x90\x3c\x64'), (0, b'\xff\x01\x00'), (96, b'\x3c\x00')]),
    'unknown_chunk_between_tracks.mid': header(1, 2, 96) + chunk(b'XFIH', b'\x01\x02\x03') +
        track([(0, b'\x90\x3c\x64'), (96, b'\x80\x3c\x00')]) + track([(200, b'\x90\x30\x64')]),
    'long_delta.mid': header(0, 1, 1) + track([(0x0FFFFFFF, b'\x90\x3c\x64'), (0x0FFFFFFF, b'\x80\x3c\x00')]),
    'truncated_track.mid': (header(0, 1, 96) + track([(0, b'\x90\x3c\x64'), (96, b'\x80\x3c\x00')]))[:-6],
}


# ---- .fxp and .fxb files ----------------------------------------------------


def preset_file(body):
    return b'CcnK' + struct.pack('>I', len(body)) + body


def preset_header(kind, version, plugin_id, count):
    return kind + struct.pack('>i', version) + plugin_id + struct.pack('>ii', 1, count)


def name_field(name):
    return name.ljust(28, b'\0')


def values_program(plugin_id, name, values):
    return preset_file(preset_header(b'FxCk', 1, plugin_id, len(values)) + name_field(name) +
                       b''.join(struct.pack('>f', v) for v in values))


def chunk_program(plugin_id, name, parameters, data):
    return preset_file(preset_header(b'FPCh', 1, plugin_id, parameters) + name_field(name) +
                       struct.pack('>I', len(data)) + data)


def bank_reserved(version, current):
    return struct.pack('>I', current if version == 2 else 0) + bytes(124)


def values_bank(plugin_id, version, current, programs):
    return preset_file(preset_header(b'FxBk', version, plugin_id, len(programs)) + bank_reserved(version, current) +
                       b''.join(programs))


def chunk_bank(plugin_id, version, current, programs, data):
    return preset_file(preset_header(b'FBCh', version, plugin_id, programs) + bank_reserved(version, current) +
                       struct.pack('>I', len(data)) + data)


def quorlin_bank_chunk(current):
    """The instrument's own bank blob: little-endian, magic QrlC, version 1."""
    programs = b''
    for i in range(4):
        values = [0.5, 0.0, 0.3, 0.0, 0.3, 0.0, 0.999, 0.999]
        programs += struct.pack('<8f', *values) + ('Default %d' % i).encode().ljust(24, b'\0')
    return b'QrlC' + struct.pack('<IIII', 1, 20 + len(programs), 4, current) + programs


PROBE_PROGRAMS = [values_program(b'Prob', b'A', [0.0, 0.5, 1.0, 0.25]),
                  values_program(b'Prob', b'B' * 28, [1.0, 0.0, 0.0, 0.0])]
PRESET_SEEDS = {
    'values_program.fxp': values_program(b'Prob', b'Lead', [0.25, 1.0, 0.0, -0.5]),
    'chunk_program.fxp': chunk_program(b'amsy', b'evening2', 41, b'amSynth1.0preset\n<preset> <name> evening2\n'),
    'values_bank_version1.fxb': values_bank(b'Prob', 1, 0, PROBE_PROGRAMS),
    'values_bank_version2.fxb': values_bank(b'Prob', 2, 1, PROBE_PROGRAMS),
    'quorlin_bank.fxb': chunk_bank(b'Qrl ', 2, 2, 4, quorlin_bank_chunk(2)),
    'truncated_bank.fxb': values_bank(b'Prob', 2, 1, PROBE_PROGRAMS)[:-7],
}


def write(folder, seeds):
    folder.mkdir(parents=True, exist_ok=True)
    for old in folder.iterdir():
        old.unlink()
    for name, data in seeds.items():
        (folder / name).write_bytes(data)


write(HERE / 'corpus' / 'plugin_fuzzer', PLUGIN_SEEDS)
# The demo song is the one real-world file among the MIDI seeds.
MIDI_SEEDS['demo.mid'] = (HERE.parent / 'examples' / 'demo.mid').read_bytes()
write(HERE / 'corpus' / 'midi_file_fuzzer', MIDI_SEEDS)
write(HERE / 'corpus' / 'preset_file_fuzzer', PRESET_SEEDS)
