"""Renders instrument plug-ins into numpy arrays, reproducibly.

    import quorlin
    synth = quorlin.Instrument()                 # Quorlin itself
    synth.set_parameters(lowpass=0.3, resonance=0.4)
    audio = synth.render("song.mid", tail="auto")  # float32, (channels, frames)

Instrument plays any VST 2 or LV2 instrument that quorlin-host plays, with
the same samples bit for bit; info() describes one as `quorlin-host info
--json` does; PluginError is raised for a plug-in that cannot be loaded or
fails. one_shots() renders data sets of Quorlin's one-note sounds, each with
a patch of its own, many times faster than Instrument renders them one by
one and bit for bit the same.
"""
from ._quorlin import Instrument, PluginError, info, one_shots

__all__ = ["Instrument", "PluginError", "info", "one_shots"]

# Shown, and pickled, under the package's name rather than the extension's.
for _public in (Instrument, PluginError, info, one_shots):
    _public.__module__ = __name__
del _public
