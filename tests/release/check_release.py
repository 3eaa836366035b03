#!/usr/bin/env python3
"""Checks tools/release's output, with no secret: a throwaway self-signed code-signing certificate
is made here.

  check_release.py DIST    DIST: what tools/release wrote without a key (dist/)

- DIST: SHA256SUMS covers every file; the zip holds the notices and the exe; the bill of materials
  is valid CycloneDX (the CycloneDX project's library, fetched from npm into build/) and lists
  exactly the third-party archives of the exe's link.
- Signed with the throwaway key: the exe verifies against the certificate and no longer does with
  one byte changed; its signature removed, it is the tested exe; a second signing gives the same
  files; its detached signature, attached by `tools/release --signature`, gives them again.
- tools/release stops, with its reason, and packs nothing: for a signer that changes the exe
  beyond adding its signature, a detached signature that does not give the signed exe back, a
  wrong password, a signature of another exe or no signature at all, a key and a signature at
  once, and a file of someone else's in its output folder.
"""

from __future__ import annotations

import json
import os
import subprocess
import sys
import tempfile
import zipfile
from pathlib import Path

sys.dont_write_bytecode = True
ROOT = Path(__file__).resolve().parents[2]
sys.path.insert(0, str(ROOT / "tools/lib"))
import bill_of_materials  # noqa: E402
import link_facts  # noqa: E402

NAME = "velkaron-h264-input-types-probe"
TESTED_EXE = ROOT / "build/windows/src" / f"{NAME}.exe"
LINK_MAP = TESTED_EXE.with_name(TESTED_EXE.name + ".map")
# The CycloneDX project's library and the optional validator packages it needs, pinned.
NPM_PACKAGES = ["@cyclonedx/cyclonedx-library@10.3.0", "ajv@8.17.1", "ajv-formats@3.0.1",
                "ajv-formats-draft2019@1.6.1"]
NODE_FOLDER = ROOT / "build/cyclonedx-library-10.3.0"

outcomes: list[bool] = []


def expect(condition: bool, message: str) -> None:
    print(("ok: " if condition else "FAILED: ") + message)
    outcomes.append(condition)


def run(*command, **options) -> subprocess.CompletedProcess:
    return subprocess.run([str(part) for part in command], stdin=subprocess.DEVNULL, text=True,
                          **options)


def files(dist: Path) -> dict[str, bytes]:
    return {path.name: path.read_bytes() for path in sorted(dist.iterdir())}


def only(dist: Path, suffix: str) -> Path:
    [path] = [path for path in dist.iterdir() if path.name.endswith(suffix)]
    return path


# The environment of the runs here, without any signing key of the caller's.
UNSIGNED_ENV = {name: value for name, value in os.environ.items()
                if not name.startswith("VELKARON_SIGNING_")}


def release(dist: Path, *arguments, env=UNSIGNED_ENV) -> subprocess.CompletedProcess:
    return run(ROOT / "tools/release", "--dist", dist, *arguments, env=env,
               stdout=subprocess.DEVNULL, stderr=subprocess.PIPE)


def check_dist(dist: Path) -> None:
    listed = sorted(line.split("  ", 1)[1] for line in
                    (dist / "SHA256SUMS").read_text().splitlines())
    expect(listed == sorted(set(files(dist)) - {"SHA256SUMS"}),
           f"{dist.name}/SHA256SUMS covers every file there: {listed}")
    expect(run("sha256sum", "--check", "--quiet", "SHA256SUMS", cwd=dist).returncode == 0,
           f"{dist.name}/SHA256SUMS agrees with the files")
    with zipfile.ZipFile(only(dist, ".zip")) as archive:
        expect(archive.read(link_facts.NOTICES) == (ROOT / link_facts.NOTICES).read_bytes(),
               f"the zip holds {link_facts.NOTICES}")
        expect(archive.read(f"{NAME}.exe") == (dist / f"{NAME}.exe").read_bytes(),
               f"the zip holds {dist.name}'s exe")


def check_bill_of_materials(*dists: Path) -> None:
    if not (NODE_FOLDER / "node_modules/@cyclonedx/cyclonedx-library/package.json").is_file():
        subprocess.run(["npm", "install", "--prefix", NODE_FOLDER, "--no-save", "--no-audit",
                        "--no-fund", "--loglevel=error", *NPM_PACKAGES], check=True,
                       stdin=subprocess.DEVNULL)
    documents = [only(dist, ".cdx.json") for dist in dists]
    expect(run("node", ROOT / "tests/release/validate_bom.cjs", NODE_FOLDER / "node_modules",
               *documents).returncode == 0, "the bills of materials are valid CycloneDX")
    linked = sorted(i.name for i in link_facts.read_link_map(LINK_MAP.read_text()))
    for document in documents:
        libraries = sorted(c["name"] for c in json.loads(document.read_text())["components"]
                           if c["type"] == "library")
        expect(libraries == linked,
               f"{document.name} lists exactly the linked archives: {libraries}")
    stray = link_facts.LinkedInput("libstray.a", "/nowhere/libstray.a", 1)
    try:
        bill_of_materials.library(stray, link_facts.read_notices(
            (ROOT / link_facts.NOTICES).read_text()))
        refused = ""
    except SystemExit as stop:
        refused = str(stop)
    expect("libstray.a" in refused, "no bill of materials for an archive the notices lack")


def make_key(folder: Path) -> tuple[Path, dict]:
    """A throwaway self-signed code-signing certificate and its PKCS#12 key."""
    key, certificate, pkcs12 = folder / "key.pem", folder / "certificate.pem", folder / "key.p12"
    run("openssl", "req", "-x509", "-newkey", "rsa:2048", "-nodes", "-days", "2", "-subj",
        "/CN=velkaron throwaway signer", "-addext", "extendedKeyUsage=codeSigning",
        "-addext", "keyUsage=digitalSignature", "-keyout", key, "-out", certificate, check=True,
        capture_output=True)
    run("openssl", "pkcs12", "-export", "-inkey", key, "-in", certificate, "-out", pkcs12,
        "-passout", "pass:throwaway", check=True)
    env = {**UNSIGNED_ENV, "VELKARON_SIGNING_PKCS12": str(pkcs12),
           "VELKARON_SIGNING_PASSWORD": "throwaway"}
    return certificate, env


def verifies(exe: Path, certificate: Path) -> bool:
    return run("osslsigncode", "verify", "-CAfile", certificate, "-in", exe,
               capture_output=True).returncode == 0


# A byte of the DOS stub's text: inside what a signature covers, and harmless to change.
STUB_TEXT = 0x4E


def changed_copy(exe: Path, copy: Path) -> Path:
    data = bytearray(exe.read_bytes())
    data[STUB_TEXT] ^= 1
    copy.write_bytes(data)
    return copy


def check_signing(folder: Path, certificate: Path, env: dict) -> Path:
    """Returns the signed release's folder."""
    signed, again, rebuilt = folder / "signed", folder / "signed-again", folder / "rebuilt"
    for dist in signed, again:
        expect(release(dist, env=env).returncode == 0, f"tools/release signs into {dist.name}")
    exe = signed / f"{NAME}.exe"
    expect(verifies(exe, certificate), "the signed exe verifies against the certificate")
    expect(not verifies(changed_copy(exe, folder / "changed.exe"), certificate),
           "one byte changed, it no longer verifies")
    removed = folder / "removed.exe"
    run("osslsigncode", "remove-signature", "-in", exe, "-out", removed, check=True,
        capture_output=True)
    expect(removed.read_bytes() == TESTED_EXE.read_bytes(),
           "its signature removed, it is the tested exe byte for byte")
    expect(files(again) == files(signed), "signed twice with the same key: the same files")
    check_dist(signed)
    signature = only(signed, ".sig")
    expect(release(rebuilt, "--signature", signature).returncode == 0,
           "tools/release --signature attaches the detached signature")
    expect(files(rebuilt) == files(signed),
           "the detached signature on the tested exe gives the signed release again")
    return signed


def osslsigncode_changing(folder: Path) -> Path:
    """A folder whose osslsigncode runs the real one, then, after the command that FLIP_AFTER
    names, changes one byte of what it wrote."""
    real = run("sh", "-c", "command -v osslsigncode", capture_output=True, check=True).stdout.strip()
    wrapper = folder / "bin/osslsigncode"
    wrapper.parent.mkdir()
    wrapper.write_text(f"""#!/bin/sh
"{real}" "$@"
status=$?
if [ "$1" = "$FLIP_AFTER" ]; then
  for out; do :; done
  printf 'X' | dd of="$out" bs=1 seek={STUB_TEXT} conv=notrunc status=none
fi
exit $status
""")
    wrapper.chmod(0o755)
    return wrapper.parent


def check_refusals(folder: Path, env: dict) -> None:
    """Each way tools/release must stop, with its reason, and pack nothing."""
    changing = osslsigncode_changing(folder)
    other = changed_copy(TESTED_EXE, folder / "other.exe")
    run("osslsigncode", "sign", "-pkcs12", env["VELKARON_SIGNING_PKCS12"], "-pass",
        env["VELKARON_SIGNING_PASSWORD"], "-in", other, "-out", folder / "other-signed.exe",
        check=True, capture_output=True)
    run("osslsigncode", "extract-signature", "-in", folder / "other-signed.exe", "-out",
        folder / "other.sig", check=True, capture_output=True)
    (folder / "garbage.sig").write_bytes(b"no signature\n")
    crowded = folder / "refused-crowded"
    crowded.mkdir()
    (crowded / "notes.txt").write_text("someone else's\n")
    cases = [
        ("a signer that changes the exe beyond adding its signature", [],
         {**env, "PATH": f"{changing}:{env['PATH']}", "FLIP_AFTER": "sign"},
         "the signed exe, its signature removed, is not the tested exe: not packed"),
        ("a detached signature that does not give back the signed exe", [],
         {**env, "PATH": f"{changing}:{env['PATH']}", "FLIP_AFTER": "attach-signature"},
         "attached to the tested exe is not the signed exe"),
        ("a wrong password", [], {**env, "VELKARON_SIGNING_PASSWORD": "wrong"},
         ": osslsigncode sign -pkcs12"),
        ("a signature of another exe", ["--signature", folder / "other.sig"], UNSIGNED_ENV,
         "is not a signature of the exe this commit builds"),
        ("a file that is no signature", ["--signature", folder / "garbage.sig"], UNSIGNED_ENV,
         "osslsigncode could not attach"),
        ("a key and a signature at once", ["--signature", folder / "other.sig"], env,
         "a signing key and --signature exclude each other"),
        ("a file in the output folder that tools/release did not write", [], UNSIGNED_ENV,
         "did not write: notes.txt"),
    ]
    for number, (what, arguments, environment, reason) in enumerate(cases):
        dist = crowded if "did not write" in reason else folder / f"refused-{number}"
        result = release(dist, *arguments, env=environment)
        expect(result.returncode != 0 and reason in result.stderr and not list(dist.glob("*.zip")),
               f"refused: {what}" + ("" if reason in result.stderr else f"\n{result.stderr}"))


def main() -> int:
    [dist] = [Path(argument).resolve() for argument in sys.argv[1:]]
    check_dist(dist)
    expect(not list(dist.glob("*.sig"))
           and (dist / f"{NAME}.exe").read_bytes() == TESTED_EXE.read_bytes(),
           "without a key the exe is the tested exe, unsigned")
    with tempfile.TemporaryDirectory() as folder:
        certificate, env = make_key(Path(folder))
        signed = check_signing(Path(folder), certificate, env)
        check_bill_of_materials(dist, signed)
        check_refusals(Path(folder), env)
    failed = outcomes.count(False)
    print(f"{outcomes.count(True)} passed, {failed} failed")
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main())
