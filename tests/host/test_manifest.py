"""The application manifest template is well-formed XML once CMake has filled it in,
and says what the loader reads: Windows refuses to start a program whose manifest
does not parse."""
import re
import xml.etree.ElementTree as ET
from pathlib import Path

ROOT = Path(__file__).resolve().parents[2]
ASM1 = "{urn:schemas-microsoft-com:asm.v1}"
ASM3 = "{urn:schemas-microsoft-com:asm.v3}"
COMPAT = "{urn:schemas-microsoft-com:compatibility.v1}"


def filled():
    text = (ROOT / "ui/res/zr.manifest").read_text(encoding="utf-8")
    values = {"ZR_VERSION_QUAD": "1.2.3.0", "PROJECT_DESCRIPTION": "ZR Auto Update launcher"}
    names = set(re.findall(r"@(\w+)@", text))
    assert names <= set(values), names - set(values)
    for name, value in values.items():
        text = text.replace(f"@{name}@", value)
    return ET.fromstring(text.encode("utf-8"))


def test_manifest_parses_and_names_what_the_loader_needs():
    root = filled()
    assert root.tag == ASM1 + "assembly" and root.get("manifestVersion") == "1.0"
    identity = root.find(ASM1 + "assemblyIdentity")
    assert identity.get("version") == "1.2.3.0" and identity.get("type") == "win32"
    level = root.find(f"{ASM3}trustInfo/{ASM3}security/{ASM3}requestedPrivileges/"
                      f"{ASM3}requestedExecutionLevel")
    assert level.get("level") == "asInvoker" and level.get("uiAccess") == "false"
    systems = [e.get("Id") for e in root.iter(COMPAT + "supportedOS")]
    assert systems[0] == "{35138b9a-5d96-4fbd-8e2d-a2440225f93a}"   # Windows 7 first
    assert len(systems) == len(set(systems)) == 4
    settings = {e.tag.split("}")[1]: e.text for e in root.find(f"{ASM3}application/{ASM3}windowsSettings")}
    assert settings == {"dpiAware": "false", "dpiAwareness": "unaware"}
