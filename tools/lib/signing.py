"""Authenticode signing of the release exe with osslsigncode, kept reproducible: the signing time
is the commit's, so the same RSA key and commit give the same signed bytes; the signature removed
gives back the exe that was signed, byte for byte; and the detached signature, attached to the
exe that any clone of the commit builds, gives back the signed exe.

Each step ends the tool, with its reason, when it fails."""

from __future__ import annotations

import os
import re
import subprocess
import sys
from dataclasses import dataclass
from pathlib import Path

from steps import run

OSSLSIGNCODE = "osslsigncode"


@dataclass(frozen=True)
class SigningKey:
    pkcs12: Path
    password: str
    timestamp_url: str | None = None  # an RFC 3161 server: its time makes each signing differ


def sign(exe: Path, signed: Path, key: SigningKey, name: str, unix_time: int) -> None:
    # The password goes through a pipe: on the command line any user could read it.
    read_end, write_end = os.pipe()
    with os.fdopen(write_end, "w") as password:
        password.write(key.password)
    timestamp = ["-ts", key.timestamp_url] if key.timestamp_url else []
    try:
        run([OSSLSIGNCODE, "sign", "-pkcs12", key.pkcs12, "-readpass", f"/dev/fd/{read_end}",
             "-h", "sha256", "-n", name, "-time", str(unix_time), *timestamp,
             "-in", exe, "-out", signed], pass_fds=(read_end,))
    finally:
        os.close(read_end)


def remove_signature(signed: Path, unsigned: Path) -> None:
    run([OSSLSIGNCODE, "remove-signature", "-in", signed, "-out", unsigned])


def extract_signature(signed: Path, signature: Path) -> None:
    run([OSSLSIGNCODE, "extract-signature", "-in", signed, "-out", signature])


def attach_signature(signature: Path, exe: Path, signed: Path) -> None:
    """Attaching also checks the signer's chain against the system's certificate authorities,
    and reports a chain it cannot follow there (status 1) while writing the same bytes: the
    bytes are what is checked here, and the signature's digest (signature_fits)."""
    signed.unlink(missing_ok=True)
    result = subprocess.run([OSSLSIGNCODE, "attach-signature", "-sigin", str(signature),
                             "-in", str(exe), "-out", str(signed)],
                            stdin=subprocess.DEVNULL, capture_output=True, text=True)
    if result.returncode not in (0, 1) or not signed.is_file():
        sys.exit(f"{result.stdout}{result.stderr}{Path(sys.argv[0]).name}: osslsigncode could not "
                 f"attach {signature} to {exe} ({result.returncode})")


def signature_fits(signed: Path) -> bool:
    """Whether the exe's signature was made for exactly these bytes (whoever the signer)."""
    report = subprocess.run([OSSLSIGNCODE, "verify", "-in", str(signed)], capture_output=True,
                            text=True, stdin=subprocess.DEVNULL).stdout
    current = re.findall(r"^Current message digest\s*: *(\S+)", report, re.MULTILINE)
    calculated = re.findall(r"^Calculated message digest\s*: *(\S+)", report, re.MULTILINE)
    return bool(current) and current == calculated


def unsigned_part_is(signed: Path, tested: Path, scratch: Path) -> bool:
    """Whether the signed exe, its signature removed, is TESTED byte for byte."""
    remove_signature(signed, scratch)
    try:
        return scratch.read_bytes() == tested.read_bytes()
    finally:
        scratch.unlink()
