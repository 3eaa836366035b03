"""Validates reports against schema/report.schema.json with an independent validator.

  check_reports.py            every report an end-to-end case expects and the README's report
                              are accepted; altered reports are rejected
  check_reports.py --run EXE  runs EXE without arguments: it must give status 0 and a valid report,
                              or status 1 and exactly the no-encoder line (a machine without a GPU)
"""

import copy
import json
import re
import subprocess
import sys
from pathlib import Path

import jsonschema

ROOT = Path(__file__).resolve().parents[2]
sys.path.insert(0, str(ROOT / "tests/wine/e2e"))
import cases  # noqa: E402

SCHEMA = json.loads((ROOT / "schema/report.schema.json").read_text())
jsonschema.Draft202012Validator.check_schema(SCHEMA)
VALIDATOR = jsonschema.Draft202012Validator(SCHEMA)


def expected_reports():
    for case in cases.CASES:
        if case.status == 0:
            yield case.name, json.loads(case.stdout)
    readme = (ROOT / "README.md").read_text()
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


def run_outcome(exe):
    result = subprocess.run([Path(exe).resolve()], stdin=subprocess.DEVNULL, capture_output=True)
    if result.returncode == 1 and result.stdout == b"" and result.stderr == cases.NO_ENCODER.encode():
        return [], []
    if result.returncode == 0 and result.stderr == b"":
        return [(exe, json.loads(result.stdout))], []
    return [], [f"{exe}: status {result.returncode}, stdout {result.stdout[:200]!r}, "
                f"stderr {result.stderr[:200]!r}"]


def main(arguments):
    if arguments[:1] == ["--run"]:
        reports, faults = run_outcome(arguments[1])
    else:
        reports = list(expected_reports())
        valid = next(document for _, document in reports if document["entries"])
        # An encoder whose CLSID could not be read is still reported, under "<unknown>".
        reports.append(("an unreadable CLSID", dict(valid, mftClsid="<unknown>")))
        faults = [f"accepted with {how}" for how, document in altered(valid)
                  if VALIDATOR.is_valid(document)]
    for name, document in reports:
        faults += [f"{name}: {error.message}" for error in VALIDATOR.iter_errors(document)]
    summary = f"{len(reports)} report(s) valid" if reports else "status 1 with the no-encoder line"
    print("\n".join(faults) or summary, file=sys.stderr if faults else sys.stdout)
    return 1 if faults else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
