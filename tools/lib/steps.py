"""What the project's Python tools (tools/bench, tools/release) share: progress lines and steps
that end the tool when they fail."""

from __future__ import annotations

import subprocess
import sys
from pathlib import Path

ROOT = Path(__file__).resolve().parents[2]
TOOL = Path(sys.argv[0]).name


def progress(text: str) -> None:
    print(f"[{TOOL}] {text}", file=sys.stderr, flush=True)


def run(command, capture: bool = False, **options) -> str | None:
    """Runs a step in the project's folder with its output on standard error, or returned when
    CAPTURE; a failing step ends the tool."""
    options.setdefault("cwd", ROOT)
    options.setdefault("stdout", subprocess.PIPE if capture else sys.stderr)
    result = subprocess.run([str(part) for part in command], stdin=subprocess.DEVNULL, text=True,
                            **options)
    if result.returncode != 0:
        sys.exit(f"{TOOL}: failed ({result.returncode}): {' '.join(map(str, command))}")
    return result.stdout


def build_windows(build: Path, *arguments) -> None:
    """tools/lib/windows-build: the Windows preset configured and built in BUILD."""
    run([ROOT / "tools/lib/windows-build", "build", build, *arguments])
