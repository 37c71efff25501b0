import os
from typing import Any, Iterable, Literal, Mapping, Optional, Sequence, Tuple, Union

import numpy as np
import numpy.typing as npt

_Path = Union[str, bytes, os.PathLike]

class PluginError(Exception):
    """A plug-in that cannot be loaded, refuses to start or fails while it runs."""

class Instrument:
    """An instrument plug-in, rendered into numpy arrays."""

    def __init__(self, path: Optional[_Path] = None, rate: int = 44100, block: int = 512) -> None: ...
    @property
    def path(self) -> Optional[str]: ...
    @property
    def rate(self) -> int: ...
    @property
    def block(self) -> int: ...
    @property
    def parameters(self) -> dict[str, float]: ...
    def set_parameters(self, values: Optional[Mapping[str, float]] = None, /, **more: float) -> None: ...
    def load_preset(self, path: _Path, program: Optional[int] = None) -> None: ...
    def save_preset(self, path: _Path) -> None: ...
    def render(
        self,
        song: Optional[_Path] = None,
        *,
        notes: Optional[Iterable[Sequence[float]]] = None,
        events: Optional[Iterable[Tuple[float, bytes]]] = None,
        seconds: Optional[float] = None,
        tail: Union[float, Literal["auto"], None] = None,
    ) -> npt.NDArray[np.float32]: ...
    def __getstate__(self) -> dict[str, Any]: ...
    def __setstate__(self, state: dict[str, Any]) -> None: ...

def info(path: Optional[_Path] = None, preset: Optional[_Path] = None) -> dict[str, Any]: ...

def one_shots(
    params: Union[npt.ArrayLike, Mapping[str, npt.ArrayLike]],
    notes: npt.ArrayLike = 60,
    velocities: npt.ArrayLike = 100,
    note_seconds: float = 3.0,
    tail_seconds: float = 1.0,
    rate: int = 44100,
    channels: int = 1,
    out: Optional[npt.NDArray[np.float32]] = None,
    threads: Optional[int] = None,
) -> npt.NDArray[np.float32]: ...
