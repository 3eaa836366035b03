"""The rules of `check_reports.py --run`, the Windows job's check of the exe, against stand-in
programs whose status, standard output and standard error each case chooses, with and without a
mfplat.dll in the system folder the check looks at: exactly the allowed outcomes pass, and every
other is refused with its reason."""

import json
import sys
import tempfile
import unittest
from pathlib import Path

import check_reports
from check_reports import cases


def display(code):
    """A system's words for CODE, whatever they are: the check must quote them, not its own."""
    return f"Stand-in words (0x{code:08X})"


MFSTARTUP = cases.no_media_foundation(display).encode()
NO_ENCODER = cases.NO_ENCODER.encode()
VALID = next(report for _, report in check_reports.expected_reports() if report["entries"])
REPORT = (json.dumps(VALID, indent=2) + "\n").encode()
UNKNOWN_LABEL = json.dumps(dict(VALID, entries=[dict(VALID["entries"][0], label="I420")])).encode()


def stand_in(status, stdout, stderr):
    """A program that writes STDOUT and STDERR and ends with STATUS."""
    return [sys.executable, "-c", "import sys; sys.stdout.buffer.write(%r); "
            "sys.stderr.buffer.write(%r); sys.exit(%d)" % (stdout, stderr, status)]


class RunRules(unittest.TestCase):
    def test_only_the_allowed_outcomes_pass(self):
        # mfplat.dll in the folder, --media-foundation, the program's status, stdout and stderr,
        # and the reason it is refused (None: it passes).
        table = [
            (False, False, 1, b"", MFSTARTUP, None),
            (False, True, 1, b"", MFSTARTUP, "Media Foundation is not installed"),
            (False, False, 0, b"", MFSTARTUP, "status 0, expected 1"),
            (False, False, 1, b"", MFSTARTUP.replace(b"Stand-in", b"Other"), "stderr"),
            (False, False, 0, REPORT, b"", "status 0, expected 1"),
            (True, False, 1, b"", NO_ENCODER, None),
            (True, True, 0, REPORT, b"", None),
            (True, False, 0, b"", NO_ENCODER, "stderr"),
            (True, False, 1, b"", MFSTARTUP, "stderr"),
            (True, False, 1, REPORT, b"", "stdout"),
            (True, False, 4, REPORT, b"", "status 4, expected 0 (a report) or 1"),
            (True, False, 0, REPORT, b"note\n", "stderr"),
            (True, False, 0, UNKNOWN_LABEL, b"", "the report: 'I420' is not one of"),
            (True, False, 0, REPORT[:-3], b"", "stdout is no JSON"),
        ]
        for present, required, status, stdout, stderr, reason in table:
            with self.subTest(present=present, required=required, status=status,
                              stdout=stdout[:40], stderr=stderr), \
                    tempfile.TemporaryDirectory() as system32:
                if present:
                    Path(system32, "mfplat.dll").write_bytes(b"")
                faults, outcome = check_reports.check_run(stand_in(status, stdout, stderr),
                                                          required, system32, display)
                if reason is None:
                    self.assertEqual(faults, [])
                    self.assertNotEqual(outcome, "")
                else:
                    self.assertEqual(outcome, "")
                    self.assertIn(reason, "\n".join(faults))


if __name__ == "__main__":
    unittest.main()
