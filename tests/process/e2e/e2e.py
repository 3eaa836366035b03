#!/usr/bin/env python3
"""End-to-end tests: the real program under Wine, its stdout, stderr and exit
status compared byte for byte.

Two Wine prefixes serve all cases: a bare one, where nothing is registered, and
one where the fixture encoders are registered the way a GPU driver registers
its hardware encoder. The program loads mfplat.dll from the system folder only,
so the scripted mfplat stand-in is installed as the bare prefix's system
mfplat.dll: cases that need what Wine's Media Foundation cannot give choose it
with WINEDLLOVERRIDES=mfplat=n, the others choose Wine's own with mfplat=b.

    e2e.py [paths] prepare        create the prefixes (once) and register the fixture
    e2e.py [paths] run CASE       run one case of cases.py
    e2e.py [paths] cleanup        end the Wine processes of the prefixes
    e2e.py [paths] stand-in-exports   the stand-in exports all the program binds by name
    e2e.py [paths] dll-directory-first   SetDllDirectoryW(L"") comes before anything can load a DLL
    e2e.py list                   the case names, one a line
"""

import argparse
import json
import re
import shutil
import subprocess
import sys
from pathlib import Path

sys.path.insert(0, str(Path(__file__).resolve().parent))
REPOSITORY = Path(__file__).resolve().parents[3]
sys.dont_write_bytecode = True  # no compiled-module caches in the source tree
sys.path.insert(0, str(REPOSITORY / "tests" / "executable"))
sys.path.insert(0, str(REPOSITORY / "tools" / "lib"))
import cases  # noqa: E402
import pe_image  # noqa: E402
import wine  # noqa: E402

RUN_TIMEOUT = 60
# The one list of the functions the program binds from mfplat.dll by name.
BOUND_FUNCTIONS = REPOSITORY / "src" / "platform" / "media_foundation_functions.h"
# The override each kind of case runs with (Case.mfplat). A planted case sets none: the stand-in
# lies beside a copy of the program, and Wine's own must still be the one loaded.
MFPLAT_OVERRIDES = {"builtin": "mfplat=b", "stand-in": "mfplat=n", "disabled": "mfplat=",
                    "planted": None}


def windows_path(path):
    """The path as the Windows program sees it, through Wine's Z: drive."""
    return "Z:" + str(Path(path).resolve()).replace("/", "\\")


def wine_environment(prefix, extra=None):
    """A run's environment, without the test doubles' settings of the caller: a case sets its own."""
    environment = {name: value for name, value in wine.environment(prefix).items()
                   if not name.startswith("VELKARON_")}
    environment.update(extra or {})
    return environment


def wine_prefix(command, prefix):
    """tools/wine-prefix: create a prefix once, start its persistent server and
    Wine's helper programs away from our standard streams, or end them all."""
    subprocess.run([str(wine.PREFIX_TOOL), command, str(prefix)], stdin=subprocess.DEVNULL,
                   check=True, timeout=600)


def prefix_ready(prefix):
    return (Path(prefix) / ".velkaron-prefix-ready").exists()


def register_fixture(prefix, register_tool):
    status = subprocess.run(["wine", str(register_tool)], env=wine_environment(prefix), stdin=subprocess.DEVNULL,
                            stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL,
                            timeout=RUN_TIMEOUT).returncode
    if status != 0:
        sys.exit(f"registering the fixture encoders in {prefix} failed")


def make_prefix(prefix, register_tool=None):
    wine_prefix("start", prefix)
    if register_tool:
        register_fixture(prefix, register_tool)


class SystemTexts:
    """Display texts of status codes, from this system's FormatMessageW."""

    def __init__(self, helper, prefix):
        self.helper = helper
        self.prefix = prefix

    def display_texts(self, codes, folder):
        if not codes:
            return {}
        output = folder / "system_message.out"
        with open(output, "wb") as stdout:
            subprocess.run(["wine", str(self.helper)] + [f"{code:08X}" for code in sorted(codes)],
                           env=wine_environment(self.prefix), stdin=subprocess.DEVNULL,
                           stdout=stdout, stderr=subprocess.DEVNULL, timeout=RUN_TIMEOUT,
                           check=True)
        texts = {}
        for line in output.read_bytes().decode("ascii").splitlines():
            code, _, units = line.partition(" ")
            message = decode_units_lossy([int(units[i:i + 4], 16) for i in range(0, len(units), 4)])
            message = message.rstrip("\t\n\v\f\r ")
            hex_code = f"0x{int(code, 16):08X}"
            texts[int(code, 16)] = f"{message} ({hex_code})" if message else hex_code
        return texts


def decode_units_lossy(units):
    """UTF-16 to text, a lone surrogate becoming U+FFFD."""
    text = []
    i = 0
    while i < len(units):
        unit = units[i]
        if 0xD800 <= unit <= 0xDBFF and i + 1 < len(units) and 0xDC00 <= units[i + 1] <= 0xDFFF:
            text.append(chr(0x10000 + ((unit - 0xD800) << 10) + (units[i + 1] - 0xDC00)))
            i += 2
            continue
        text.append("\uFFFD" if 0xD800 <= unit <= 0xDFFF else chr(unit))
        i += 1
    return "".join(text)


def resolve(expectation, texts):
    """An expectation is bytes, text, or a function of display(code)."""
    if callable(expectation):
        expectation = expectation(lambda code: texts[code & 0xFFFFFFFF])
    return expectation.encode("utf-8") if isinstance(expectation, str) else expectation


def codes_needed(case):
    wanted = set()

    def note(code):
        wanted.add(code & 0xFFFFFFFF)
        return ""

    for expectation in (case.stdout, case.stderr):
        if callable(expectation):
            expectation(note)
    return wanted




class Runner:
    def __init__(self, options):
        self.options = options
        self.work = Path(options.work).resolve()
        self.prefixes = {"bare": self.work / "prefix-bare", "fixture": self.work / "prefix-fixture"}
        self.texts_cache = self.work / "system_texts.json"

    def system_texts(self, case, folder):
        needed = codes_needed(case)
        if self.texts_cache.exists():
            cached = {int(code): text for code, text in json.loads(self.texts_cache.read_text()).items()}
            if needed <= cached.keys():
                return cached
        return SystemTexts(self.options.system_message, self.prefixes["bare"]).display_texts(
            needed, folder)

    def prepare(self):
        bare, fixture = self.prefixes["bare"], self.prefixes["fixture"]
        if not prefix_ready(fixture) and not prefix_ready(bare):
            # A copy of a new prefix, whose server has ended, is far quicker than a wineboot.
            wine_prefix("create", bare)
            shutil.rmtree(fixture, ignore_errors=True)
            subprocess.run(["cp", "-a", str(bare), str(fixture)], check=True)
        make_prefix(bare)
        make_prefix(fixture, register_tool=self.options.register_tool)
        # Only the bare prefix: the fixture prefix keeps Wine's own for the planted case.
        system_folder = bare / "drive_c" / "windows" / "system32"
        shutil.copy2(self.options.stand_in, system_folder / "mfplat.dll")
        # The system texts of every case at once: one run of the helper instead of one a case.
        codes = set().union(*(codes_needed(case) for case in cases.CASES))
        texts = SystemTexts(self.options.system_message, bare).display_texts(codes, self.work)
        self.texts_cache.write_text(json.dumps({str(code): text for code, text in texts.items()}))
        return 0

    def cleanup(self):
        for prefix in self.prefixes.values():
            wine_prefix("stop", prefix)
        return 0

    def run(self, name):
        case = cases.find(name)
        folder = self.work / "cases" / name
        shutil.rmtree(folder, ignore_errors=True)
        folder.mkdir(parents=True)
        prefix = self.prefixes[case.prefix]
        exe = Path(self.options.exe)
        # Every case watches for the stand-in: it must be loaded only where chosen.
        records = {"stand-in": folder / "mfplat.record"}
        extra = {"VELKARON_MFPLAT_RECORD": windows_path(records["stand-in"])}
        if MFPLAT_OVERRIDES[case.mfplat]:
            extra["WINEDLLOVERRIDES"] = MFPLAT_OVERRIDES[case.mfplat]
        if case.mfplat == "planted":
            shutil.copy2(exe, folder / exe.name)
            shutil.copy2(self.options.stand_in, folder / "mfplat.dll")
            exe = folder / exe.name
        if case.scenario is not None:
            extra["VELKARON_MFPLAT_SCENARIO"] = case.scenario
        if case.prefix == "fixture":
            records["fixture"] = folder / "fixture.record"
            extra["VELKARON_FIXTURE_RECORD"] = windows_path(records["fixture"])

        texts = self.system_texts(case, folder)
        expected = (resolve(case.stdout, texts), resolve(case.stderr, texts), case.status)

        actual = self.run_program(exe, case.args, wine_environment(prefix, extra), folder, records)
        failures = compare(expected, actual)
        for kind, path in records.items():
            failures += check_record(kind, path, case)
        print(f"command: wine {exe.name} {' '.join(repr(arg) for arg in case.args)}")
        for kind, path in records.items():
            print(f"{kind} record: {path}")
        if failures:
            print("\n".join(failures))
            return 1
        print("passed")
        return 0

    def run_program(self, exe, args, environment, folder, records):
        for attempt in (1, 2):
            for path in records.values():
                path.unlink(missing_ok=True)
            stdout_path, stderr_path = folder / "stdout", folder / "stderr"
            # Files, not pipes: Wine's helper processes may keep a pipe open.
            with open(stdout_path, "wb") as stdout, open(stderr_path, "wb") as stderr:
                status = subprocess.run(["wine", str(exe)] + args, env=environment,
                                        stdin=subprocess.DEVNULL, stdout=stdout, stderr=stderr,
                                        timeout=RUN_TIMEOUT).returncode
            out = stdout_path.read_bytes()
            err = wine.without_exit_noise(stderr_path.read_bytes())
            if attempt == 1 and status == 1 and not out and not err:
                print("the run gave no output at all and status 1 (seen rarely under Wine): "
                      "repeating it once")
                continue
            return out, err, status
        return out, err, status


def compare(expected, actual):
    failures = []
    for label, want, got in zip(("stdout", "stderr", "status"), expected, actual):
        if want != got:
            failures.append(f"{label} differs\n  expected: {want!r}\n  actual:   {got!r}")
    return failures


def check_record(kind, path, case):
    """Every object the program received was released exactly once: before
    MFShutdown for the stand-in's objects, before the process ended for the
    fixture's. And the calls the case names were (not) made, in order."""
    if not (case.fixture_loaded if kind == "fixture" else case.stand_in_loaded):
        return [] if not path.exists() else [f"the {kind} DLL was loaded: {path}"]
    if not path.exists():
        return [f"{kind} record missing: {path}"]
    lines = path.read_text(encoding="utf-8", errors="replace").splitlines()
    failures = [f"{kind} record: {line}" for line in lines
                if line.startswith(("MISUSE", "SCENARIO ERROR", "cannot watch"))]
    if not lines or lines[-1] != "detach live=0 misused=0":
        failures.append(f"{kind} record: objects left or misused at the end: "
                        f"{lines[-1] if lines else '(empty)'}")
    if kind == "stand-in" and case.started:
        shutdowns = [line for line in lines if line.startswith("MFShutdown")]
        if shutdowns != ["MFShutdown live=0 misused=0"]:
            failures.append(f"stand-in record: MFShutdown not called once with nothing alive: "
                            f"{shutdowns}")
    if kind == case.record_of:
        position = 0
        for wanted in case.record_calls:
            found = next((i for i in range(position, len(lines)) if wanted in lines[i]), None)
            if found is None:
                failures.append(f"{kind} record lacks, at this point or later: {wanted}")
            else:
                position = found + 1
        for unwanted in case.record_never:
            failures += [f"{kind} record has unexpected: {line}" for line in lines
                         if unwanted in line]
        for once in case.record_once:
            if (count := sum(once in line for line in lines)) != 1:
                failures.append(f"{kind} record has {count} lines with: {once}")
    return failures


# The program's calls, from Wine's relay trace: "0024:Call KERNEL32.SetDllDirectoryW(14002e000 L"") ret=14002c39d".
RELAY_CALL = re.compile(r"^([0-9a-f]+):Call ([\w.]+)\((.*)\) ret=([0-9a-f]+)$")
LOADED_EXE = re.compile(r'^([0-9a-f]+):trace:loaddll:\w+ Loaded L".*\\\\([^\\]+\.exe)" at ([0-9A-Fa-f]+): native$')
# What may not come before the empty DLL directory: anything that loads a DLL, and main's other work.
BEFORE_DLL_DIRECTORY = re.compile(r"LoadLibrary|GetCommandLineW|\.Co[A-Z]|\.MF|GetStdHandle|WriteFile")


def program_calls(trace, exe_name):
    """The calls the program's own code makes on its main thread, in order, as "DLL.Name(args)"."""
    thread = base = None
    calls = []
    for line in trace.splitlines():
        if thread is None:
            loaded = LOADED_EXE.match(line)
            if loaded and loaded.group(2).lower() == exe_name.lower():
                thread, base = loaded.group(1), int(loaded.group(3), 16)
            continue
        call = RELAY_CALL.match(line)
        # The image is far smaller than 16 MiB; anything above it is another module's code.
        if call and call.group(1) == thread and 0 <= int(call.group(4), 16) - base < 1 << 24:
            calls.append(f"{call.group(2)}({call.group(3)})")
    return calls


def check_dll_directory_first(runner):
    """Wine's loader ignores an empty DLL directory (a DLL planted in the current folder is still
    loaded by bare name), so the case that would show its effect cannot run here. Instead Wine's
    relay trace shows that main calls SetDllDirectoryW(L"") before anything that loads a DLL."""
    folder = runner.work / "cases" / "dll-directory-first"
    shutil.rmtree(folder, ignore_errors=True)
    folder.mkdir(parents=True)
    exe = Path(runner.options.exe)
    environment = wine_environment(runner.prefixes["bare"], {
        "WINEDEBUG": "+relay,+loaddll", "WINEDLLOVERRIDES": "mfplat=n",
        "VELKARON_MFPLAT_SCENARIO": "empty"})
    trace_path = folder / "trace"
    with open(trace_path, "wb") as trace:
        subprocess.run(["wine", str(exe)], env=environment, stdin=subprocess.DEVNULL,
                       stdout=subprocess.DEVNULL, stderr=trace, timeout=RUN_TIMEOUT)
    calls = program_calls(trace_path.read_text(encoding="utf-8", errors="replace"), exe.name)
    print(f"relay trace: {trace_path}")
    first = next((i for i, call in enumerate(calls) if call.startswith("KERNEL32.SetDllDirectoryW")), None)
    if first is None or not calls[first].endswith(' L"")'):
        print("the program never called SetDllDirectoryW(L\"\") (or Wine's trace has changed): "
              + f"{len(calls)} calls found")
        return 1
    early = [call for call in calls[:first] if BEFORE_DLL_DIRECTORY.search(call)]
    if early:
        print("called before SetDllDirectoryW(L\"\"): " + ", ".join(early))
        return 1
    print(f"passed: SetDllDirectoryW(L\"\") is call {first + 1} of {len(calls)}, after the C runtime's start-up only")
    return 0


def check_stand_in_exports(stand_in):
    """A function the program binds that the stand-in lacks would fail MFStartup
    in every stand-in case."""
    bound = re.findall(r"^\s*X\((\w+)\)", BOUND_FUNCTIONS.read_text(), re.MULTILINE)
    with open(stand_in, "rb") as file:
        exported = pe_image.exported_names(pe_image.read_pe(file.read()))
    missing = sorted(set(bound) - set(exported))
    print(f"the program binds from mfplat.dll: {', '.join(bound)}")
    if not bound or missing:
        print(f"the stand-in does not export: {', '.join(missing)}" if bound
              else f"no function names found in {BOUND_FUNCTIONS}")
        return 1
    return 0


def main():
    parser = argparse.ArgumentParser(description=__doc__,
                                     formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("--work", help="folder for the prefixes and the runs")
    parser.add_argument("--exe", help="the program")
    parser.add_argument("--stand-in", help="the mfplat stand-in DLL")
    parser.add_argument("--register-tool", help="the fixture's registration tool")
    parser.add_argument("--system-message", help="the system message helper")
    parser.add_argument("command",
                        choices=["prepare", "run", "cleanup", "list", "stand-in-exports",
                                 "dll-directory-first"])
    parser.add_argument("name", nargs="?", help="the case to run")
    options = parser.parse_args()
    if options.command == "list":
        print("\n".join(case.name for case in cases.CASES))
        return 0
    if options.command == "stand-in-exports":
        return check_stand_in_exports(options.stand_in)
    runner = Runner(options)
    if options.command == "prepare":
        return runner.prepare()
    if options.command == "cleanup":
        return runner.cleanup()
    if options.command == "dll-directory-first":
        return check_dll_directory_first(runner)
    return runner.run(options.name)


if __name__ == "__main__":
    sys.exit(main())
