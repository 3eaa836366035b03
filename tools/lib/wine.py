"""How the project's Python tools and tests run Windows programs under Wine.

The environment of a run is tools/wine-prefix's (`tools/wine-prefix env PREFIX`); Wine's own exit
noise on stderr is described in tests/process/wine_exit_noise.h, which the C++ launcher uses too.
"""

from __future__ import annotations

import functools
import os
import re
import subprocess
from pathlib import Path

ROOT = Path(__file__).resolve().parents[2]
PREFIX_TOOL = ROOT / "tools" / "wine-prefix"
EXIT_NOISE_HEADER = ROOT / "tests" / "process" / "wine_exit_noise.h"


@functools.lru_cache(maxsize=None)
def _prefix_environment(prefix: str) -> tuple[tuple[str, str], ...]:
    lines = subprocess.run([str(PREFIX_TOOL), "env", prefix], stdin=subprocess.DEVNULL,
                           capture_output=True, text=True, check=True).stdout.splitlines()
    return tuple(tuple(line.split("=", 1)) for line in lines)


def environment(prefix: str | Path, extra: dict[str, str] | None = None) -> dict[str, str]:
    """This process's environment for a run in PREFIX, without the caller's DLL overrides; a run
    that needs an override gives it in EXTRA."""
    result = {name: value for name, value in os.environ.items() if name != "WINEDLLOVERRIDES"}
    result.update(_prefix_environment(str(prefix)))
    result.update(extra or {})
    return result


@functools.lru_cache(maxsize=None)
def _exit_noise() -> re.Pattern[bytes]:
    found = re.search(r'kWineExitNoise = R"\((.*)\)";', EXIT_NOISE_HEADER.read_text())
    if not found:
        raise RuntimeError(f"no kWineExitNoise in {EXIT_NOISE_HEADER}")
    return re.compile(found.group(1).encode())


def without_exit_noise(stderr: bytes) -> bytes:
    """STDERR up to the run of Wine's exit lines that ends it, as without_wine_exit_noise does."""
    start = 0
    while start < len(stderr):
        if stderr.startswith(b"wine client error:", start) and _exit_noise().fullmatch(stderr, start):
            return stderr[:start]
        line_feed = stderr.find(b"\n", start)
        if line_feed < 0:
            break
        start = line_feed + 1
    return stderr
