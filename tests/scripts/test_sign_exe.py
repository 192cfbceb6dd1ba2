"""scripts/sign_exe.sh on the built zr.exe with a throw-away code-signing certificate
made at test time: the signature verifies, a changed byte breaks it, and failures leave
the target as it was."""
import os
import shutil
import subprocess
from pathlib import Path

import pytest

ROOT = Path(__file__).resolve().parents[2]
BUILD = Path(os.environ.get("ZR_BUILD_DIR", ROOT / "build"))
EXE = BUILD / "win" / "zr.exe"
SCRIPT = ROOT / "scripts" / "sign_exe.sh"
PASSWORD = "throw-away"

pytestmark = pytest.mark.skipif(not EXE.exists(), reason="zr.exe not built (run scripts/test.sh)")


def make_certificate(folder: Path, name: str):
    """A self-signed code-signing certificate and key, and the same as a PKCS#12 file
    protected by PASSWORD."""
    key, cert, p12 = folder / f"{name}.key", folder / f"{name}.pem", folder / f"{name}.p12"
    subprocess.run(["openssl", "req", "-x509", "-newkey", "rsa:2048", "-sha256", "-days", "2",
                    "-nodes", "-subj", f"/CN={name}", "-addext", "extendedKeyUsage=codeSigning",
                    "-keyout", key, "-out", cert], check=True, capture_output=True)
    subprocess.run(["openssl", "pkcs12", "-export", "-inkey", key, "-in", cert, "-out", p12,
                    "-passout", f"pass:{PASSWORD}"], check=True, capture_output=True)
    return key, cert, p12


def sign(*args):
    return subprocess.run(["bash", str(SCRIPT), *map(str, args)], capture_output=True, text=True)


def verify(exe: Path, ca: Path):
    return subprocess.run(["osslsigncode", "verify", "-in", str(exe), "-CAfile", str(ca)],
                          capture_output=True, text=True)


@pytest.fixture
def work(tmp_path):
    shutil.copy(EXE, tmp_path / "zr.exe")
    (tmp_path / "pass.txt").write_text(PASSWORD + "\n")
    return tmp_path


def test_signed_exe_verifies_and_a_changed_byte_breaks_it(work):
    _, cert, p12 = make_certificate(work, "ZR test signer")
    result = sign("--pkcs12", p12, "--pass-file", work / "pass.txt", "--ca", cert,
                  "--out", work / "signed.exe", work / "zr.exe")
    assert result.returncode == 0, result.stderr
    assert (work / "zr.exe").read_bytes() == EXE.read_bytes()   # --out leaves the input
    signed = work / "signed.exe"
    checked = verify(signed, cert)
    assert checked.returncode == 0, checked.stdout + checked.stderr
    assert "Signature verification: ok" in checked.stdout
    assert "Subject: /CN=ZR test signer" in checked.stdout
    assert signed.stat().st_size > EXE.stat().st_size

    data = bytearray(signed.read_bytes())
    data[0x1000] ^= 0xFF                      # inside the code, which the digest covers
    (work / "tampered.exe").write_bytes(bytes(data))
    assert verify(work / "tampered.exe", cert).returncode != 0

    _, other, _ = make_certificate(work, "Somebody else")
    assert verify(signed, other).returncode != 0


def test_pem_certificate_and_key_sign_in_place(work):
    key, cert, _ = make_certificate(work, "ZR pem signer")
    result = sign("--cert", cert, "--key", key, "--ca", cert, work / "zr.exe")
    assert result.returncode == 0, result.stderr
    assert verify(work / "zr.exe", cert).returncode == 0
    assert os.access(work / "zr.exe", os.X_OK) == os.access(EXE, os.X_OK)
    # A second signature over the first is refused, and the file stays as it is.
    before = (work / "zr.exe").read_bytes()
    again = sign("--cert", cert, "--key", key, "--ca", cert, work / "zr.exe")
    assert again.returncode != 0 and "signed already" in again.stderr
    assert (work / "zr.exe").read_bytes() == before


def test_failures_leave_the_target_untouched(work):
    _, cert, p12 = make_certificate(work, "ZR test signer")
    (work / "wrong.txt").write_text("not the password\n")
    result = sign("--pkcs12", p12, "--pass-file", work / "wrong.txt", "--ca", cert, work / "zr.exe")
    assert result.returncode != 0
    # Signed, but the chain does not lead to the CA named: not accepted either.
    _, other, _ = make_certificate(work, "Somebody else")
    result = sign("--pkcs12", p12, "--pass-file", work / "pass.txt", "--ca", other, work / "zr.exe")
    assert result.returncode != 0 and "does not verify" in result.stderr
    assert (work / "zr.exe").read_bytes() == EXE.read_bytes()
    assert sorted(p.name for p in work.iterdir() if p.name.startswith(".sign")) == []
    assert sign("--cert", cert, work / "zr.exe").returncode != 0   # key missing
