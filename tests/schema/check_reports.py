"""Validates reports against schema/report.schema.json with an independent validator.

  check_reports.py            every report an end-to-end case expects and the README's report
                              are accepted; altered reports are rejected
  check_reports.py --run EXE [--media-foundation]
                              runs EXE without arguments on Windows and names the outcome it saw,
                              of the only ones allowed:
                                - without %SystemRoot%\\System32\\mfplat.dll (Media Foundation
                                  not installed): status 1 and exactly the MFStartup line of a
                                  module not found, in this system's words (FormatMessageW);
                                  a fault with --media-foundation;
                                - with it: status 0 and a valid report, or status 1 and exactly
                                  the no-encoder line (a machine without a hardware encoder)
"""

from __future__ import annotations

import copy
import json
import os
import re
import subprocess
import sys
from pathlib import Path

import jsonschema

ROOT = Path(__file__).resolve().parents[2]
sys.path.insert(0, str(ROOT / "tests/process/e2e"))
import cases  # noqa: E402

SCHEMA = json.loads((ROOT / "schema/report.schema.json").read_text(encoding="utf-8"))
jsonschema.Draft202012Validator.check_schema(SCHEMA)
VALIDATOR = jsonschema.Draft202012Validator(SCHEMA)


def expected_reports():
    for case in cases.CASES:
        if case.status == 0:
            yield case.name, json.loads(case.stdout)
    readme = (ROOT / "README.md").read_text(encoding="utf-8")
    yield "README", json.loads(re.search(r"```json\n(.*?)```", readme, re.DOTALL).group(1))


def altered(report):
    """Reports that differ from a valid one (with entries) in one way the schema forbids."""
    def changed(change):
        document = copy.deepcopy(report)
        change(document, document["entries"][0])
        return document
    # Every key is required: each one missing in turn, taken from the report rather than the schema.
    for key in report:
        yield f"no {key}", changed(lambda d, e, key=key: d.pop(key))
    for key in report["entries"][0]:
        yield f"an entry without {key}", changed(lambda d, e, key=key: e.pop(key))
    yield "an extra key", changed(lambda d, e: d.update(extra=1))
    yield "ok false", changed(lambda d, e: d.update(ok=False))
    yield "a lowercase CLSID", changed(lambda d, e: d.update(mftClsid=d["mftClsid"].lower()))
    # GUID text is the whole value: nothing before it, after it, or around it.
    yield "a braced CLSID", changed(lambda d, e: d.update(mftClsid="{" + d["mftClsid"] + "}"))
    yield "a CLSID after other text", changed(lambda d, e: d.update(mftClsid="x" + d["mftClsid"]))
    yield "a subtype with trailing text", changed(lambda d, e: e.update(subtype=e["subtype"] + " NV12"))
    yield "an entry with an extra key", changed(lambda d, e: e.update(name="NV12"))
    yield "a lowercase subtype", changed(lambda d, e: e.update(subtype=e["subtype"].lower()))
    yield "an unknown label", changed(lambda d, e: e.update(label="I420"))
    yield "a negative index", changed(lambda d, e: e.update(index=-1))
    yield "a fractional index", changed(lambda d, e: e.update(index=0.5))


def system_text(code):
    """CODE's text as the probe words it: FormatMessageW's, trailing blanks dropped, and the code."""
    import ctypes
    from ctypes import wintypes

    kernel32 = ctypes.WinDLL("kernel32", use_last_error=True)
    kernel32.FormatMessageW.argtypes = [wintypes.DWORD, wintypes.LPCVOID, wintypes.DWORD,
                                        wintypes.DWORD, wintypes.LPWSTR, wintypes.DWORD,
                                        ctypes.c_void_p]
    kernel32.FormatMessageW.restype = wintypes.DWORD
    buffer = ctypes.create_unicode_buffer(4096)
    flags = 0x1000 | 0x200  # FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS
    length = kernel32.FormatMessageW(flags, None, code, 0, buffer, len(buffer), None)
    text = buffer[:length].rstrip("\t\n\v\f\r ")
    return f"{text} (0x{code:08X})" if text else f"0x{code:08X}"


def mismatches(result, status, stdout, stderr):
    """How RESULT differs from the outcome STATUS, STDOUT and STDERR, each part with both values."""
    found = [] if result.returncode == status else [f"status {result.returncode}, expected {status}"]
    for name, seen, wanted in (("stdout", result.stdout, stdout), ("stderr", result.stderr, stderr)):
        if seen != wanted:
            found.append(f"{name} {seen[:200]!r}, expected {wanted[:200]!r}")
    return found


def report_faults(stdout):
    try:
        report = json.loads(stdout)
    except ValueError as error:
        return [f"stdout is no JSON ({error})"]
    return [f"the report: {error.message}" for error in VALIDATOR.iter_errors(report)]


def check_run(command, media_foundation_required, system32, display=system_text):
    """Runs COMMAND (the exe, without arguments) and returns the faults found and the outcome
    seen, of the only ones allowed. Whether SYSTEM32 holds mfplat.dll says whether Media
    Foundation is installed; DISPLAY words an error code as the probe does."""
    mfplat = Path(system32, "mfplat.dll")
    if not mfplat.exists() and media_foundation_required:
        return [f"{mfplat} is absent: Media Foundation is not installed"], ""
    result = subprocess.run(command, stdin=subprocess.DEVNULL, capture_output=True)
    if not mfplat.exists():
        line = cases.no_media_foundation(display)
        faults = mismatches(result, 1, b"", line.encode())
        where, outcome = "without", f"no Media Foundation ({mfplat} absent): {line.strip()}"
    elif result.returncode == 1:
        faults = mismatches(result, 1, b"", cases.NO_ENCODER.encode())
        where, outcome = "with", "Media Foundation present, no hardware encoder: the no-encoder line"
    elif result.returncode == 0:
        # Any standard output, so far: it must be a report the schema accepts.
        faults = mismatches(result, 0, result.stdout, b"") + report_faults(result.stdout)
        where, outcome = "with", "Media Foundation present: a valid report"
    else:
        faults = [f"status {result.returncode}, expected 0 (a report) or 1 (the no-encoder line)"]
        where, outcome = "with", ""
    return [f"{command[0]} {where} {mfplat}: {fault}" for fault in faults], "" if faults else outcome


def check_expected_reports():
    reports = list(expected_reports())
    # The README's report: it has entries, and letters in its CLSID for the lowercase change.
    valid = next(document for name, document in reports if name == "README")
    # An encoder whose CLSID could not be read is still reported, under "<unknown>".
    reports.append(("an unreadable CLSID", dict(valid, mftClsid="<unknown>")))
    # An encoder that offers no input type (the fixture cases' report of one is expected by the
    # Windows test program tests/process/fixture_cases, out of this validator's reach).
    reports.append(("no input types", dict(valid, entries=[])))
    faults = [f"accepted with {how}" for how, document in altered(valid)
              if VALIDATOR.is_valid(document)]
    for name, document in reports:
        faults += [f"{name}: {error.message}" for error in VALIDATOR.iter_errors(document)]
    return faults, f"{len(reports)} report(s) valid"


def main(arguments):
    if arguments[:1] == ["--run"]:
        system32 = Path(os.environ.get("SystemRoot", r"C:\Windows"), "System32")
        faults, summary = check_run([Path(arguments[1]).resolve()],
                                    "--media-foundation" in arguments[2:], system32)
    else:
        faults, summary = check_expected_reports()
    print("\n".join(faults) or summary, file=sys.stderr if faults else sys.stdout)
    return 1 if faults else 0


if __name__ == "__main__":
    # Encoder names and the system's words are any Unicode; a console's code page may not hold them.
    for stream in (sys.stdout, sys.stderr):
        stream.reconfigure(encoding="utf-8")
    sys.exit(main(sys.argv[1:]))
