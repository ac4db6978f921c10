"""Checks the built user manual: a PDF, a sensible number of pages, and, where
pdftotext is installed, its chapter headings as text."""
import re
import shutil
import subprocess
import sys

pdf, source = sys.argv[1], sys.argv[2]
data = open(pdf, "rb").read()
if not data.startswith(b"%PDF"):
    sys.exit("not a PDF: " + pdf)
pages = len(re.findall(rb"/Type\s*/Page(?![a-z])", data))
if not 10 <= pages <= 40:
    sys.exit(f"{pages} pages, expected 10 to 40")
chapters = [line[2:].strip() for line in open(source, encoding="utf-8") if line.startswith("# ")]
if shutil.which("pdftotext"):
    text = subprocess.run(["pdftotext", pdf, "-"], capture_output=True, check=True).stdout.decode()
    # Copied text must be the kanji typed, not a radical that shares its glyph.
    lookalikes = sorted({c for c in text if 0x2E80 <= ord(c) <= 0x2FDF or 0xF900 <= ord(c) <= 0xFAFF})
    if lookalikes:
        sys.exit("radical or compatibility characters in the text: " + "".join(lookalikes))
    missing = [c for c in chapters if c not in text]
    if missing:
        sys.exit("headings not found as text: " + ", ".join(missing))
print(f"{pages} pages, {len(chapters)} chapters")
