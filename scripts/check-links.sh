#!/usr/bin/env bash
# Every relative link in the project's Markdown pages leads somewhere: the
# file or folder exists beside the page, and an anchor into a Markdown page
# names one of its headings (slugs as GitHub makes them). Prints one line per
# broken link, "FILE: broken link TARGET", and exits with status 1 if any.
set -euo pipefail
cd "$(dirname "$0")/.."
pages=(README.md docs/*.md)
for page in bench/README.md fuzz/README.md tests/hosts/README.md; do
  [ -f "$page" ] && pages+=("$page")
done
python3 - "${pages[@]}" <<'PYTHON'
import os, re, sys

LINK = re.compile(r'!?\[[^\]]*\]\(\s*<?([^)\s>]+)>?(?:\s+"[^"]*")?\s*\)')

def prose_lines(path):
    """The page's lines outside fenced and indented code blocks."""
    fenced = False
    for line in open(path, encoding="utf-8"):
        if line.lstrip().startswith(("```", "~~~")):
            fenced = not fenced
        elif not fenced and not line.startswith(("    ", "\t")):
            yield line

def anchors(path):
    """GitHub's heading anchors: lower case, punctuation but - and _ dropped,
    spaces made hyphens, a repeated slug numbered -1, -2, ..."""
    seen, found = {}, set()
    for line in prose_lines(path):
        heading = re.match(r"#{1,6}\s+(.*?)\s*#*\s*$", line)
        if heading:
            slug = re.sub(r"[^\w\- ]", "", heading.group(1).lower()).replace(" ", "-")
            count = seen.get(slug, 0)
            seen[slug] = count + 1
            found.add(slug if count == 0 else f"{slug}-{count}")
    return found

broken = 0
for page in sys.argv[1:]:
    folder = os.path.dirname(page)
    for line in prose_lines(page):
        for target in LINK.findall(re.sub(r"`[^`]*`", "", line)):
            if re.match(r"(https?|mailto):|#", target):
                continue
            path, _, anchor = target.partition("#")
            resolved = os.path.normpath(os.path.join(folder, path))
            ok = os.path.exists(resolved)
            if ok and anchor and resolved.endswith(".md"):
                ok = anchor in anchors(resolved)
            if not ok:
                print(f"{page}: broken link {target}")
                broken += 1
sys.exit(1 if broken else 0)
PYTHON
