"""The end-to-end cases that need Wine: what the program is run with and the
exact bytes and status it must give. Those that need only the platform's own
Media Foundation with the fixture encoders registered are a Windows test
program's (tests/process/fixture_cases), which runs on Windows too.

An expectation that quotes a system text is a function of display(code), which
gives the text that follows a message's context words ("Call failed.
(0x80004005)", or the code alone when the system has no text), asked of this
system's FormatMessageW at test time.

Under Wine's own Media Foundation an enumerated encoder has no friendly name
("<unknown>"), and the fixture encoders come in the order they are registered in.
"""

import json
import re
from dataclasses import dataclass, field
from pathlib import Path

USAGE = "usage: velkaron-h264-input-types-probe [mft_selector]\n"
NO_ENCODER = "No hardware H.264 MFT encoder was enumerated.\n"
ACTIVATION_FAILED = "IMFActivate::ActivateObject<IMFTransform> failed for enumerated hardware encoders: "

# The subtypes the program labels; any other is "unknown".
LABELLED = ("H264", "NV12", "RGB32", "ARGB32", "YUY2")
SUBTYPES = {
    "H264": "34363248-0000-0010-8000-00AA00389B71",
    "NV12": "3231564E-0000-0010-8000-00AA00389B71",
    "RGB32": "00000016-0000-0010-8000-00AA00389B71",
    "ARGB32": "00000015-0000-0010-8000-00AA00389B71",
    "YUY2": "32595559-0000-0010-8000-00AA00389B71",
    "I420": "30323449-0000-0010-8000-00AA00389B71",
}

def fixture_encoders():
    """The fixture encoders' CLSIDs as GUID text, in the order they are registered and Wine
    enumerates them, read from the C++ header that defines them."""
    header = (Path(__file__).resolve().parents[1] / "fixture_encoder" / "fixture_clsids.h").read_text()
    initializers = re.findall(r"inline constexpr GUID k\w+Clsid = \{\s*0x(\w{8}),\s*0x(\w{4}),\s*0x(\w{4}),"
                              r"\s*\{((?:\s*0x\w{2},?){8})\}\};", header)
    clsids = []
    for first, second, third, rest in initializers:
        tail = "".join(byte[2:] for byte in re.findall(r"0x\w{2}", rest))
        clsids.append(f"{first}-{second}-{third}-{tail[:4]}-{tail[4:]}".upper())
    if not clsids:
        raise SystemExit("no fixture CLSIDs found in fixture_clsids.h")
    return clsids


# The fixture encoders, in the order Wine enumerates them (the cases that run the program against
# them are the C++ suite's, tests/process/fixture_cases).
FIXTURE_ENCODERS = fixture_encoders()
FIXTURE_AVAILABLE = " | ".join(f"<unknown> [{clsid}]" for clsid in FIXTURE_ENCODERS)

# What the fixture records when the program sets the fixed H.264 output type:
# every attribute of the probe's table read back with its value, nothing more.
OUTPUT_TYPE_SET = "SetOutputType(stream 0, flags 0) type=the fixed output type"


@dataclass
class Case:
    name: str
    args: list
    stdout: object = ""
    stderr: object = ""
    status: int = 0
    # "fixture": Wine's Media Foundation with the fixture encoders registered;
    # "bare": nothing registered. A scenario (a world of the stand-in, by name) runs the
    # stand-in in the bare prefix.
    prefix: str = "fixture"
    scenario: str = None
    # Which mfplat.dll: "builtin" (Wine's), "stand-in" (the bare prefix's system one),
    # "disabled", or "planted" (the stand-in beside the program, no override).
    mfplat: str = "builtin"
    started: bool = True  # MFStartup succeeds, so MFShutdown must follow
    fixture_loaded: bool = True  # the fixture server is loaded, so it leaves a record
    stand_in_loaded: bool = False  # the stand-in is loaded, so it leaves a record
    record_of: str = "fixture"  # the record that the two lists below are about
    record_calls: list = field(default_factory=list)  # in this order
    record_never: list = field(default_factory=list)
    record_once: list = field(default_factory=list)  # on exactly one line


def no_media_foundation(display):
    """The one line of a system where mfplat.dll is not found, in that system's words."""
    return f"MFStartup failed: {display(0x8007007E)}\n"


def report(name, clsid, selector, subtypes):
    """The report's exact text: keys sorted, two blanks of indent, raw UTF-8."""
    entries = [{"index": i, "label": subtype if subtype in LABELLED else "unknown",
                "subtype": SUBTYPES.get(subtype, subtype)} for i, subtype in enumerate(subtypes)]
    document = {"entries": entries, "mftClsid": clsid, "mftFriendlyName": name,
                "mftSelector": selector, "ok": True}
    return json.dumps(document, indent=2, sort_keys=True, ensure_ascii=False) + "\n"


def stand_in(name, scenario, args, **expected):
    expected.setdefault("stand_in_loaded", True)
    return Case(name, args, prefix="bare", scenario=scenario, mfplat="stand-in",
                record_of="stand-in", **expected)


CASES = [
    # Media Foundation only from the system folder: a planted mfplat.dll beside the program is
    # not loaded even without an override, and a system without it gets a start-up failure.
    Case("planted_mfplat_is_not_loaded", ["planted"], status=1, mfplat="planted",
         scenario="empty", fixture_loaded=False,
         stderr="No enumerated hardware H.264 MFT matched selector 'planted'. "
                f"Available encoders: {FIXTURE_AVAILABLE}\n"),
    Case("media_foundation_missing", [], status=1, prefix="bare", mfplat="disabled",
         started=False, stderr=no_media_foundation),

    # The Media Foundation stand-in: every message of the program at least once.
    # Media Foundation is bound just before MFStartup: the usage line never loads it.
    stand_in("usage_line", "empty", ["one", "two"], stderr=USAGE, status=2, started=False,
             stand_in_loaded=False),
    stand_in("startup_fails_with_restricted_description", "startup_fails", [], status=1,
             stderr="MFStartup failed: Media Foundation is disabled by policy. (0x80070005)\n",
             started=False,
             record_calls=["QueryInterface(IRestrictedErrorInfo)", "GetErrorDetails", "released errorinfo"],
             record_never=["MFTEnumEx", "GetDescription"]),
    stand_in("enumeration_fails_with_description", "enumeration_fails", [], status=1,
             stderr="MFTEnumEx(H264 hardware encoder) failed: "
                    "Enumeration refused\tby the scripted platform (0x80004005)\n",
             record_calls=["MFTEnumEx(MFT_CATEGORY_VIDEO_ENCODER, 0x00000044, null, {MFMediaType_Video, H264})",
                           "GetDescription", "released errorinfo"]),
    stand_in("enumeration_fails_with_wrapped_nt_status", "wrapped_nt_status", [], status=1,
             stderr=lambda display: f"MFTEnumEx(H264 hardware encoder) failed: {display(0xD0000022)}\n"),
    stand_in("nothing_enumerated", "empty", [], stderr=NO_ENCODER, status=1),
    stand_in("count_without_array", "enumeration_without_array", [], stderr=NO_ENCODER,
             status=1, record_never=["GetAllocatedString"]),
    stand_in("friendly_names_in_the_available_list", "friendly_names", ["  ZZZ-No-Match "],
             status=1,
             stderr="No enumerated hardware H.264 MFT matched selector 'zzz-no-match'. Available encoders: "
                    "Quote \"and\" backslash \\ encoder [11111111-0000-4000-8000-000000000001] | "
                    "Tab\tnewline\nbell\x07 encoder [11111111-0000-4000-8000-000000000002] | "
                    "\u0124\u00e4rdw\u00e2re \u00cbncoder \u2713 \U0001D11E [11111111-0000-4000-8000-000000000003] | "
                    "<unknown> [11111111-0000-4000-8000-000000000004] | "
                    "Cut after e [11111111-0000-4000-8000-000000000005] | "
                    "<unknown> [<unknown>] | "
                    "\u00dcn\u00efc\u00f6 [11111111-0000-4000-8000-000000000006] | "
                    "\u00dcn\u00efc\u00f6d\u00e9 whole [11111111-0000-4000-8000-000000000007]\n",
             record_never=["ActivateObject"]),
    stand_in("escaped_name_in_the_report", "escaped_name", ["QUOTE"],
             stdout=report("Quote \"q\" back\\slash tab\t bell\x07 \u2713", "55555555-0000-4000-8000-000000000001",
                           "QUOTE", ["H264", "NV12", "RGB32", "ARGB32", "YUY2", "I420",
                                     "12345678-9ABC-4DEF-8123-456789ABCDEF"]),
             record_calls=["SetUINT32(MF_TRANSFORM_ASYNC_UNLOCK, 1) -> 0x00000000"],
             record_never=["activation#1 ActivateObject"]),
    stand_in("vendor_order_and_shutdown_failure_ignored", "vendor_order", [],
             stdout=report("Microsoft H264 Encoder MFT", "22222222-0000-4000-8000-000000000001", None,
                           ["NV12"]),
             record_calls=["activation#5 ActivateObject", "activation#4 ActivateObject",
                           "activation#2 ActivateObject", "activation#3 ActivateObject",
                           "activation#1 ActivateObject(IMFTransform) -> 0x00000000",
                           "MFShutdown live=0", "released errorinfo"],
             record_never=["MF_TRANSFORM_ASYNC_UNLOCK"]),
    stand_in("chosen_encoder_is_shut_down_once", "shutdown_object", [],
             stdout=report("Microsoft H264 Encoder MFT", "66666666-0000-4000-8000-000000000002", None,
                           ["NV12"]),
             record_calls=["activation#1 ActivateObject(IMFTransform) -> 0x80004005", "released errorinfo",
                           "activation#1 ShutdownObject -> 0x00000000", "released activation#1",
                           "activation#2 ActivateObject(IMFTransform) -> 0x00000000",
                           "GetInputAvailableType(stream 0, 1) -> 0xC00D36B9",
                           "activation#2 ShutdownObject -> 0x80004005", "released errorinfo",
                           "released transform", "released activation#2", "MFShutdown live=0"],
             record_once=["activation#2 ShutdownObject"]),
    stand_in("activation_failures_in_vendor_order", "activation_failures", [], status=1,
             stderr=lambda display: ACTIVATION_FAILED
             + "NVIDIA H.264 Encoder MFT [33333333-0000-4000-8000-000000000002]: The GPU was removed. (0x887A0005) | "
             + f"Contoso Encoder [33333333-0000-4000-8000-000000000003]: {display(0)} | "
             + f"Microsoft H264 Encoder MFT [33333333-0000-4000-8000-000000000001]: {display(0x80004002)}. "
             + "Available encoders: Microsoft H264 Encoder MFT [33333333-0000-4000-8000-000000000001] | "
             + "NVIDIA H.264 Encoder MFT [33333333-0000-4000-8000-000000000002] | "
             + "Contoso Encoder [33333333-0000-4000-8000-000000000003]\n"),
    stand_in("only_null_entries", "null_entries", [], status=1,
             stderr=ACTIVATION_FAILED + "no activation attempts were made. Available encoders: <none>\n"),
    stand_in("only_null_entries_with_selector", "null_entries", ["NVIDIA"], status=1,
             stderr="No enumerated hardware H.264 MFT matched selector 'nvidia'. Available encoders: <none>\n"),
    stand_in("unlock_fails_with_empty_description", "unlock_fails", [], status=1,
             stderr="Failed to unlock async H.264 MFT: 0x80004005\n",
             record_calls=["SetUINT32(MF_TRANSFORM_ASYNC_UNLOCK, 1) -> 0x80004005", "GetDescription"],
             record_never=["MFCreateMediaType"]),
    stand_in("media_type_creation_gives_no_object", "media_type_null", [], status=1,
             stderr=lambda display: f"MFCreateMediaType(output) failed: {display(0)}\n",
             record_never=["SetOutputType"]),
    stand_in("output_type_setter_fails", "output_setter_fails", [], status=1,
             stderr=lambda display: f"Failed to configure MFT output media type: {display(0x80070057)}\n",
             record_calls=["SetGUID(MF_MT_MAJOR_TYPE, MFMediaType_Video) -> 0x00000000",
                           "SetGUID(MF_MT_SUBTYPE, H264) -> 0x00000000",
                           "SetUINT64(MF_MT_FRAME_SIZE, 8246337209400) -> 0x00000000",
                           "SetUINT64(MF_MT_FRAME_RATE, 257698037761) -> 0x80070057",
                           "released output-type", "released transform"],
             record_never=["MF_MT_AVG_BITRATE", "SetOutputType"]),
    stand_in("set_output_type_fails_with_restricted_fallback", "set_output_fails", [], status=1,
             stderr="MFT SetOutputType(H264) failed: Not supported by this encoder. (0xC00D36B4)\n",
             record_calls=["SetUINT32(MF_MT_MPEG2_PROFILE, 77) -> 0x00000000", OUTPUT_TYPE_SET,
                           "GetErrorDetails", "GetDescription", "released errorinfo"],
             record_never=["GetInputAvailableType"]),
    stand_in("input_type_success_without_object", "input_type_null", [], status=1,
             stderr=lambda display: f"MFT GetInputAvailableType failed: {display(0)}\n"),
    stand_in("input_subtype_unreadable", "subtype_fails", [], status=1,
             stderr=lambda display: f"MFT input type GetGUID(MF_MT_SUBTYPE) failed: {display(0xC00D36E6)}\n",
             # The transform holds the output type it was given: the type goes last.
             record_calls=["GetGUID(MF_MT_SUBTYPE) -> 0xC00D36E6", "released input-type",
                           "released transform", "released output-type"],
             record_never=["GetInputAvailableType(stream 0, 2)"]),
]


def find(name):
    for case in CASES:
        if case.name == name:
            return case
    raise SystemExit(f"no case named {name}")
