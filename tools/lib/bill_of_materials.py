"""The release's bill of materials, a CycloneDX JSON document: the exe and the zip with their
hashes, and each third-party archive of the exe's link (link_facts.py: the link's map, the
notices' licences, Debian's package of each file).

Nothing in it comes from the clock or chance: its time is the commit's, its serial number a
name-based UUID of the commit and the zip, so the same commit and key give the same document."""

from __future__ import annotations

import hashlib
import json
import time
import uuid
from pathlib import Path
from urllib.parse import quote

import link_facts

FORMAT_VERSION = "1.7"  # the newest the CycloneDX project's own library validates
PROPERTY = "velkaron"  # the namespace of this document's own properties


def sha256(path: Path) -> list[dict]:
    return [{"alg": "SHA-256", "content": hashlib.sha256(path.read_bytes()).hexdigest()}]


def _distro() -> str:
    fields = dict(line.split("=", 1) for line in
                  Path("/etc/os-release").read_text().splitlines() if "=" in line)
    return f"{fields['ID'].strip(chr(34))}-{fields['VERSION_ID'].strip(chr(34))}"


def purl(package: link_facts.DebianPackage, path: str) -> str:
    subpath = "/".join(quote(part, safe="") for part in path.strip("/").split("/"))
    return (f"pkg:deb/debian/{package.name}@{quote(package.version, safe='')}"
            f"?arch={package.architecture}&distro={_distro()}#{subpath}")


def library(item: link_facts.LinkedInput, notices: link_facts.Notices) -> dict:
    component = notices.covering(item.name)
    package = link_facts.debian_package(item.path)
    if component is None or package is None:
        raise SystemExit(f"bill of materials: {item.name} ({item.path}) is not in "
                         f"{link_facts.NOTICES}, or no Debian package holds it")
    return {
        "type": "library",
        "bom-ref": item.name,
        "name": item.name,
        "version": package.version,
        "description": f"{component.name} (Debian package {package.name})",
        "hashes": sha256(Path(item.path)),
        "licenses": [{"expression": component.license}],
        "purl": purl(package, item.path),
        "properties": [
            {"name": f"{PROPERTY}:debian-package", "value": package.name},
            {"name": f"{PROPERTY}:inside-exe", "value": str(item.bytes_in_exe > 0).lower()},
            {"name": f"{PROPERTY}:bytes-in-exe", "value": str(item.bytes_in_exe)},
        ],
    }


def document(*, name: str, version: str, commit: str, commit_time: int, exe: Path,
             package: Path, link_map: Path, notices: Path) -> str:
    linked, described = link_facts.read_files(link_map, notices)
    libraries = [library(item, described) for item in linked]
    zip_hash = sha256(package)
    serial = uuid.uuid5(uuid.NAMESPACE_URL, f"urn:{name}:{commit}:{zip_hash[0]['content']}")
    bom = {
        "$schema": f"http://cyclonedx.org/schema/bom-{FORMAT_VERSION}.schema.json",
        "bomFormat": "CycloneDX",
        "specVersion": FORMAT_VERSION,
        "serialNumber": f"urn:uuid:{serial}",
        "version": 1,
        "metadata": {
            "timestamp": time.strftime("%Y-%m-%dT%H:%M:%SZ", time.gmtime(commit_time)),
            "component": {
                "type": "application",
                "bom-ref": exe.name,
                "name": name,
                "version": version,
                "description": f"{exe.name}, built from commit {commit}",
                "hashes": sha256(exe),
                "licenses": [{"license": {"id": "MIT"}}],
            },
        },
        "components": [
            {
                "type": "file",
                "bom-ref": package.name,
                "name": package.name,
                "version": version,
                "description": f"the release zip: {exe.name}, README.md, LICENSE, "
                               f"{link_facts.NOTICES} and the report's schema",
                "hashes": zip_hash,
            },
            *libraries,
        ],
        "dependencies": [
            {"ref": exe.name, "dependsOn": [item["bom-ref"] for item in libraries]},
            {"ref": package.name, "dependsOn": [exe.name]},
            *({"ref": item["bom-ref"]} for item in libraries),
        ],
    }
    return json.dumps(bom, indent=2) + "\n"
