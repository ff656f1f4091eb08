#!/usr/bin/env bash
# Compiles the help pages in help/ into OUTDIR/vpg.chm with chmcmd (package fp-utils) and checks
# the result: every page inside, and every context number of the program's topic table
# (src/shell/help_topics.h) leading to its page.
# Installs what is missing; runs unattended (CI runs it as root with no standard input).
#
#   bash scripts/build-help.sh OUTDIR
set -euo pipefail

if [[ $# -ne 1 || $1 == -h || $1 == --help ]]; then
    echo "usage: $0 OUTDIR    (writes OUTDIR/vpg.chm)" >&2
    exit 2
fi
out=$1
root=$(cd "$(dirname "$0")/.." && pwd)
help="$root/help"

# --- what the build needs ---------------------------------------------------------------------
bash "$root/scripts/install-deps.sh" fp-utils python3

# The context map: number -> page. The program opens the numbers of its topic table; vpg.hhp
# must map them so.
expected_map=$(python3 - "$root/src/shell/help_topics.h" <<'PY'
import re, sys
source = open(sys.argv[1], encoding="utf-8").read()
numbers = dict(re.findall(r"constexpr int (kHelp\w+) = (\d+);", source))
topics = re.findall(r'\{(kHelp\w+), "([^"]+)", "\w+"\}', source)
print("\n".join(f"{numbers[name]}=/{page}" for name, page in sorted(topics, key=lambda t: int(numbers[t[0]]))))
PY
)

# --- the pages themselves ---------------------------------------------------------------------
# Every file the project lists exists, every link and picture inside help/ resolves (anchors
# included), and nothing is loaded from outside or run: the pages are read offline.
python3 - "$help" <<'PY'
import html.parser, os, re, sys

base = sys.argv[1]
hhp = open(os.path.join(base, "vpg.hhp"), encoding="utf-8").read()
files = re.search(r"^\[FILES\]\n(.*?)(?:^\[|\Z)", hhp, re.S | re.M).group(1).split()

class Page(html.parser.HTMLParser):
    def __init__(self):
        super().__init__()
        self.ids, self.refs, self.bad = set(), [], []
    def handle_starttag(self, tag, attrs):
        a = dict(attrs)
        if "id" in a:
            self.ids.add(a["id"])
        if tag in ("script", "iframe", "object", "embed", "base") and not a.get("type", "").startswith("text/site"):
            self.bad.append(f"<{tag}>")
        for key in ("href", "src"):
            if key in a:
                self.refs.append((tag, key, a[key]))
        if "style" in a and "url(" in a["style"]:
            self.bad.append("url() in a style attribute")

errors, pages = [], {}
for name in files:
    path = os.path.join(base, name)
    if not os.path.isfile(path):
        errors.append(f"{name}: listed in vpg.hhp but missing")
        continue
    if name.endswith(".html"):
        p = Page()
        p.feed(open(path, encoding="utf-8").read())
        pages[name] = p
for extra in sorted(set(os.listdir(base)) - set(files)):
    if extra.endswith((".html", ".css", ".png")):
        errors.append(f"{extra}: in help/ but not listed in [FILES] of vpg.hhp")

for sitemap in ("vpg.hhc", "vpg.hhk"):
    for local in re.findall(r'name="Local" value="([^"]*)"', open(os.path.join(base, sitemap), encoding="utf-8").read()):
        pages.setdefault(f"({sitemap})", Page()).refs.append(("param", "Local", local))

for name, p in pages.items():
    errors += [f"{name}: {b}" for b in p.bad]
    for tag, key, ref in p.refs:
        if re.match(r"[a-z][a-z0-9+.-]*:", ref, re.I) or ref.startswith("//"):
            errors.append(f"{name}: {tag} {key}={ref} leaves the help")
            continue
        target, _, anchor = ref.partition("#")
        target = target or name
        if target not in files:
            errors.append(f"{name}: {key}={ref}: {target} is not a help file")
        elif anchor and (target not in pages or anchor not in pages[target].ids):
            errors.append(f"{name}: {key}={ref}: no id '{anchor}' in {target}")

css = open(os.path.join(base, "style.css"), encoding="utf-8").read()
if re.search(r"@import|url\(", css):
    errors.append("style.css: loads another resource")

if errors:
    print("help pages:", *errors, sep="\n  ", file=sys.stderr)
    sys.exit(1)
print(f"help pages: {len(files)} files, links and anchors resolve")
PY

# --- compile ----------------------------------------------------------------------------------
# chmcmd stores each context number's page as the project folder's absolute path plus the
# page ("/home/…/help/about.html"), which the help viewer cannot find inside vpg.chm. Compiled
# with the project at the root of a chroot the stored name is "/about.html", the page itself.
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
stage="$work/root"
mkdir -p "$stage"
cp -- "$help"/* "$stage/"
chmcmd_bin=$(command -v chmcmd)
cp -- "$chmcmd_bin" "$stage/chmcmd"
# Its libraries, and the threading libraries the Free Pascal run time opens by name.
libc=$(ldd "$chmcmd_bin" | awk '/libc\.so/ {print $3}')
libs=$(ldd "$chmcmd_bin" | grep -o '/[^ ]*')
for extra in libpthread.so.0 libdl.so.2; do
    [[ -e $(dirname "$libc")/$extra ]] && libs+=$'\n'"$(dirname "$libc")/$extra"
done
while read -r lib; do
    mkdir -p "$stage$(dirname "$lib")"
    cp -L -- "$lib" "$stage$lib"
done <<<"$libs"

run_in_stage=(chroot "$stage" /chmcmd vpg.hhp)
[[ $(id -u) -ne 0 ]] && run_in_stage=(unshare -r "${run_in_stage[@]}")
if ! "${run_in_stage[@]}" >"$work/chmcmd.log" 2>&1 || [[ ! -f $stage/vpg.chm ]]; then
    cat "$work/chmcmd.log" >&2
    echo "chmcmd failed" >&2
    exit 1
fi
if grep -Eiq 'error|warning|corrupt|not found|does not exist' "$work/chmcmd.log"; then
    cat "$work/chmcmd.log" >&2
    echo "chmcmd reported problems" >&2
    exit 1
fi

# --- check what was built ---------------------------------------------------------------------
chmls --no-page -n list "$stage/vpg.chm" >"$work/list.txt" 2>/dev/null
for f in $(sed -n '/^\[FILES\]/,/^\[/{/^\[/d;/^$/d;p}' "$help/vpg.hhp") vpg.hhc vpg.hhk '#IVB' '#STRINGS' '#SYSTEM'; do
    if ! grep -qxF "/$f" "$work/list.txt"; then
        echo "vpg.chm lacks /$f" >&2
        exit 1
    fi
done

mkdir "$work/alias"
cp "$stage/vpg.chm" "$work/alias/"
(cd "$work/alias" && chmls extractalias vpg.chm >/dev/null 2>&1)
map=$(sed -n 's/^helpid\([0-9]*\)=\(.*\)$/\1=\2/p' "$work/alias/vpg.ali" 2>/dev/null | sort -n)
if [[ $map != "$expected_map" ]]; then
    echo "the context map of vpg.chm is wrong" >&2
    echo "expected:" >&2
    echo "$expected_map" >&2
    echo "found:" >&2
    echo "${map:-(none)}" >&2
    exit 1
fi

mkdir -p "$out"
cp "$stage/vpg.chm" "$out/vpg.chm"
echo "vpg.chm: $(grep -c "^/" "$work/list.txt") entries; context map:"
sed 's/^/  /' <<<"$map"
echo "written to $out/vpg.chm"
