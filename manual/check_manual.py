"""Checks the built user manual: a PDF, a sensible number of pages, and, where
pdftotext is installed, its chapter headings as text."""
import re
import shutil
import subprocess
import sys
import unicodedata

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
    # The font maps some kanji to their radical forms when text is copied out;
    # NFKC folds them back.
    text = unicodedata.normalize("NFKC", text)
    missing = [c for c in chapters if unicodedata.normalize("NFKC", c) not in text]
    if missing:
        sys.exit("headings not found as text: " + ", ".join(missing))
print(f"{pages} pages, {len(chapters)} chapters")
