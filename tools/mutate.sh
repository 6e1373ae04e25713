#!/usr/bin/env bash
# Plants small faults in the portable core one at a time and asks whether the
# native tests notice. For each planted fault ("mutant") it rebuilds the native
# tests and runs them; a mutant is killed when a test fails, crashes or runs
# past the time limit, and survives when every test still passes.
#
#   tools/mutate.sh [options] [PATH-PREFIX...]
#     PATH-PREFIX       only sources under these prefixes (e.g. format/ view/layout.cpp)
#     --seed N          which sample to draw (default 1); same seed, same mutants
#     --rate PERCENT    share of each file's fault sites to try (default 25)
#     --timeout SEC     per test program; longer counts as killed (default 20)
#     --list            print the chosen mutants and stop
#     --report          print the score from the state file and stop
#     --state FILE      with --report or --redundant: read FILE instead of the
#                       state of the tree as it is (e.g. a merged or older run)
#     --redundant       from the state file: for each test, the mutants it
#                       catches and how many of them no other test catches
#     --compare FILE    after the run, list mutants killed in FILE (an earlier
#                       state file) that survive now
#     --recheck FILE    plant only the mutants FILE records as caught (after
#                       cutting tests, the only ones whose fate can change);
#                       the rest count as FILE recorded them
#     --changed REGEX   with --recheck: only mutants every catcher of which
#                       (Suite.Name) matches REGEX, the tests that were edited
#
# The tree is never touched: the tracked sources (plus uncommitted edits) are
# copied to build/mutate/src and built there (build/mutate/build, one job,
# nice 10). Progress goes to build/mutate/state-<snapshot>-s<seed>-r<rate>.tsv,
# one line per mutant, so an interrupted run resumes where it stopped.
# MUTATE_DIR=DIR moves all of that elsewhere.
# Output: per file and per area "killed K of N (P %)", the total, the survivors.
set -euo pipefail
# One function, read whole before it runs: editing this file during a run is harmless.
main() {
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
work="${MUTATE_DIR:-$root/build/mutate}"  # another directory lets two runs go side by side
mkdir -p "$work"
work=$(cd "$work" && pwd)  # the test programs run from their own folder: a relative path would miss them

# The copy holds at most one mutant at a time; whatever ends this script puts
# that file back from the pristine snapshot.
restore() {
  if [ -f "$work/current" ]; then
    local rel
    rel=$(cat "$work/current")
    [ -n "$rel" ] && [ -f "$work/pristine/$rel" ] && cp "$work/pristine/$rel" "$work/src/$rel"
    rm -f "$work/current"
  fi
}
readonly=0
for a in "$@"; do case "$a" in --list|--report|--redundant) readonly=1 ;; esac; done
if [ $readonly -eq 0 ]; then
  exec 9>"$work/lock"
  if ! flock -n 9; then
    echo "mutate: another run uses $work (MUTATE_DIR=... for a second one)" >&2
    exit 1
  fi
  trap restore EXIT
  trap 'restore; exit 130' INT TERM
  restore
fi
export MUTATE_READONLY=$readonly

export MUTATE_ROOT="$root" MUTATE_WORK="$work"
nice -n 10 python3 - "$@" <<'PY'
import hashlib, os, random, re, shutil, subprocess, sys, time

root = os.environ["MUTATE_ROOT"]
work = os.environ["MUTATE_WORK"]
CORE_DIRS = ["scan", "format", "draw", "config", "view", "treemap", "icons", "host", "plugin", "win"]

args = sys.argv[1:]
opts = {"seed": "1", "rate": "25", "timeout": "20"}
flags = set()
prefixes = []
compare = None
recheck = None
changed = None
state_file = None
i = 0
while i < len(args):
    a = args[i]
    if a in ("--seed", "--rate", "--timeout"):
        opts[a[2:]] = args[i + 1]; i += 2; continue
    if a == "--compare":
        compare = args[i + 1]; i += 2; continue
    if a == "--recheck":
        recheck = args[i + 1]; i += 2; continue
    if a == "--state":
        state_file = args[i + 1]; i += 2; continue
    if a == "--changed":
        changed = re.compile(args[i + 1]); i += 2; continue
    if a in ("--list", "--report", "--redundant"):
        flags.add(a[2:]); i += 1; continue
    if a in ("-h", "--help"):
        subprocess.run(["sed", "-n", "2,22p", os.path.join(root, "tools/mutate.sh")]); sys.exit(0)
    if a.startswith("-"):
        sys.exit("mutate: unknown option " + a)
    prefixes.append(a); i += 1
seed, rate, timeout = int(opts["seed"]), float(opts["rate"]), int(opts["timeout"])

def sh(cmd, **kw):
    return subprocess.run(cmd, cwd=kw.pop("cwd", root), capture_output=True, text=True, **kw)

# --- snapshot: tracked and new files as they are in the working tree -------------
files = sorted(f for f in sh(["git", "ls-files", "-co", "--exclude-standard"]).stdout.split("\n")
               if f and os.path.isfile(os.path.join(root, f)))
h = hashlib.sha1()
for f in files:
    # This script and the notes do not change what is built.
    if f == "tools/mutate.sh" or f.endswith(".md"): continue
    h.update(f.encode() + b"\0")
    with open(os.path.join(root, f), "rb") as fh:
        h.update(hashlib.sha1(fh.read()).digest())
snap = h.hexdigest()[:10]
head = sh(["git", "rev-parse", "--short", "HEAD"]).stdout.strip()

def copy_tree(dest):
    for f in files:
        d = os.path.join(dest, f)
        os.makedirs(os.path.dirname(d), exist_ok=True)
        src = os.path.join(root, f)
        data = open(src, "rb").read()
        if f == "CMakeLists.txt" and dest.endswith("src"):
            # The core as a shared library: a mutant then relinks one library
            # instead of every test program.
            data = data.replace(b"add_library(morvane_core STATIC", b"add_library(morvane_core SHARED")
        if not os.path.exists(d) or data != open(d, "rb").read():
            with open(d, "wb") as fh: fh.write(data)
    keep = set(files)
    for dp, dn, fn in os.walk(dest):
        for n in fn:
            rel = os.path.relpath(os.path.join(dp, n), dest)
            if rel not in keep:
                os.remove(os.path.join(dp, n))

core = [f for f in files if f.endswith(".cpp") and f.split("/")[0] in CORE_DIRS
        and not f.endswith("_win.cpp") and "/" in f]
if prefixes:
    core = [f for f in core if any(f.startswith(p) for p in prefixes)]

# --- fault sites ------------------------------------------------------------------
def mask(text):
    """Comments, string and character literals blanked (same length), so the
    patterns below only ever see code."""
    out = list(text); i = 0; n = len(text)
    while i < n:
        c = text[i]
        if text.startswith("//", i):
            j = text.find("\n", i); j = n if j < 0 else j
            for k in range(i, j): out[k] = " "
            i = j
        elif text.startswith("/*", i):
            j = text.find("*/", i + 2); j = n if j < 0 else j + 2
            for k in range(i, j):
                if out[k] != "\n": out[k] = " "
            i = j
        elif c in "\"'":
            if c == "'" and i > 0 and text[i - 1].isdigit() and text[i + 1:i + 2].isdigit():  # 1'000
                i += 1; continue
            j = i + 1
            while j < n and text[j] != c:
                j += 2 if text[j] == "\\" else 1
            for k in range(i + 1, min(j, n)): out[k] = " "
            i = j + 1
        else:
            i += 1
    return "".join(out)

CMP = {"<": "<=", "<=": "<", ">": ">=", ">=": ">", "==": "!=", "!=": "=="}
ARITH = {"+": "-", "-": "+", "*": "/", "/": "*", "+=": "-=", "-=": "+="}
SKIP_LINE = re.compile(r"^\s*#|static_assert|\bassert\s*\(|^\s*(template|using|typedef)\b")
DECL_START = re.compile(r"^\s*(return|break|continue|goto|case|default|const|constexpr|static|auto|unsigned|signed|int|long|short|char|char16_t|bool|double|float|size_t|int\d+_t|uint\d+_t|struct|class|enum|namespace|delete|new|throw|else|do)\b")
STMT = re.compile(r"^\s*(\+\+|--)?[A-Za-z_]\w*((\.|->|::)[A-Za-z_]\w*|\[[^\]]*\])*\s*(\(|=(?!=)|\+=|-=|\*=|/=|%=|\|=|&=|\^=|<<=|>>=|\+\+|--)")
SIMPLE = r"(?:[A-Za-z_]\w*|\d+)"
SWAP = re.compile(r"(?<![\w.>:*&)\]])(" + SIMPLE + r") (-|/|%|<|<=|>|>=) (" + SIMPLE + r")(?![\w.(\[:])")

# Runs read the snapshot; the read-only modes read the tree itself and leave
# the work directory alone (a run may be using it).
base = root if os.environ.get("MUTATE_READONLY") == "1" else os.path.join(work, "pristine")

def sites(rel):
    text = open(os.path.join(base, rel)).read()
    lines = text.split("\n"); mlines = mask(text).split("\n")
    found = []
    prev_end = "{"
    for ln, (line, m) in enumerate(zip(lines, mlines), 1):
        code = m.rstrip()
        if not code.strip():
            continue
        if SKIP_LINE.search(m):
            prev_end = code.strip()[-1:]; continue
        def add(col, old, new, op):
            found.append((ln, col, op, old, new))
        for mm in re.finditer(r"(?<=\s)(<=|>=|==|!=|<|>)(?=\s)", m):
            add(mm.start(), mm.group(1), CMP[mm.group(1)], "cmp")
        for mm in re.finditer(r"(?<=\s)(\+=|-=|\+|-|\*|/)(?=\s)", m):
            add(mm.start(), mm.group(1), ARITH[mm.group(1)], "arith")
        for mm in re.finditer(r"(?<=\s)(&&|\|\|)(?=\s)", m):
            add(mm.start(), mm.group(1), "||" if mm.group(1) == "&&" else "&&", "logic")
        for mm in re.finditer(r"\b(true|false)\b", m):
            add(mm.start(), mm.group(1), "false" if mm.group(1) == "true" else "true", "logic")
        for mm in re.finditer(r"(?<![\w.'])(0[xX][0-9A-Fa-f]+|\d+)([uUlL]*)(?![\w.'])", m):
            lit = mm.group(1)
            val = int(lit, 16) if lit[:2] in ("0x", "0X") else int(lit)
            new = (hex(val + 1) if lit[:2] in ("0x", "0X") else str(val + 1)) + mm.group(2)
            add(mm.start(), mm.group(0), new, "const")
        for mm in SWAP.finditer(m):
            a, op, b = mm.groups()
            if a != b and not (a.isdigit() and b.isdigit()):
                add(mm.start(), mm.group(0), b + " " + op + " " + a, "swap")
        for mm in re.finditer(r"\b(if|while) \(", m):
            start = mm.end() - 1; depth = 0; end = -1
            for k in range(start, len(m)):
                if m[k] == "(": depth += 1
                elif m[k] == ")":
                    depth -= 1
                    if depth == 0: end = k; break
            if end > start + 1:
                inner = line[start + 1:end]
                add(start, "(" + inner + ")", "(!(" + inner + "))", "cond")
        if (prev_end in (";", "{", "}", ":") and code.endswith(";") and STMT.match(m)
                and not DECL_START.match(m) and m.count("(") == m.count(")")):
            s = len(line) - len(line.lstrip())
            add(s, line[s:].rstrip(), ";", "drop")
        prev_end = code.strip()[-1:]
    # A key that survives edits elsewhere in the file: the line's own text and
    # which copy of that text it is, not its number.
    seen = {}; keyed = []
    for (ln, col, op, old, new) in found:
        t = lines[ln - 1].strip()
        seen[(t, col, op, old)] = seen.get((t, col, op, old), 0) + 1
        key = hashlib.sha1(f"{rel}|{t}|{col}|{op}|{old}|{new}|{seen[(t, col, op, old)]}".encode()).hexdigest()[:12]
        keyed.append((key, rel, ln, col, op, old, new))
    return keyed

def choose(all_sites, rel):
    # Each site is in or out by its own key and the seed alone, so an edit
    # elsewhere in the file leaves the rest of the sample as it was.
    cut = rate * 100
    return sorted((s for s in all_sites
                   if int(hashlib.sha1(f"{seed}|{s[0]}".encode()).hexdigest()[:8], 16) % 10000 < cut),
                  key=lambda s: (s[2], s[3]))

def apply(site):
    key, rel, ln, col, op, old, new = site
    lines = open(os.path.join(work, "pristine", rel)).read().split("\n")
    line = lines[ln - 1]
    assert line[col:col + len(old)] == old, (rel, ln, old)
    lines[ln - 1] = line[:col] + new + line[col + len(old):]
    return "\n".join(lines)

# --- state ------------------------------------------------------------------------
state_path = state_file or os.path.join(work, f"state-{snap}-s{seed}-r{int(rate)}.tsv")
done = {}
if os.path.exists(state_path):
    for row in open(state_path):
        if row.startswith("#") or not row.strip(): continue
        p = row.rstrip("\n").split("\t")
        done[p[0]] = p

def area(rel):
    return rel.split("/")[0]

def report(rows, title):
    per_file = {}; per_area = {}; surv = []
    for p in rows:
        key, status, rel = p[0], p[1], p[2]
        if status == "nobuild": continue
        k = 1 if status != "survived" else 0
        for d, name in ((per_file, rel), (per_area, area(rel))):
            d.setdefault(name, [0, 0]); d[name][0] += k; d[name][1] += 1
        if not k: surv.append(p)
    pct = lambda k, n: 100.0 * k / n if n else 0.0
    print(title)
    for name in sorted(per_file):
        k, n = per_file[name]; print(f"  {name}: killed {k} of {n} ({pct(k, n):.0f} %)")
    print("per area:")
    for name in sorted(per_area):
        k, n = per_area[name]; print(f"  {name}: killed {k} of {n} ({pct(k, n):.0f} %)")
    K = sum(v[0] for v in per_file.values()); N = sum(v[1] for v in per_file.values())
    nb = sum(1 for p in rows if p[1] == "nobuild")
    if surv:
        print("survivors:")
        for p in sorted(surv, key=lambda p: (p[2], int(p[3]))):
            print(f"  {p[2]}:{p[3]}: {p[4]} '{p[5]}' -> '{p[6]}'")
    print(f"({nb} mutants did not build and are not counted)")
    print(f"total: killed {K} of {N} ({pct(K, N):.1f} %)")

# --- build copy ---------------------------------------------------------------------
if base != root:
    os.makedirs(os.path.join(work, "src"), exist_ok=True)
    copy_tree(os.path.join(work, "pristine"))
chosen = []
for rel in core:
    chosen += choose(sites(rel), rel)

if "list" in flags:
    for s in chosen:
        print(f"{s[0]} {s[1]}:{s[2]}: {s[4]} '{s[5]}' -> '{s[6]}'")
    print(f"{len(chosen)} mutants in {len(core)} files")
    sys.exit(0)

chosen_keys = {s[0] for s in chosen}
def read_state(path):
    rows = {}
    for row in open(path):
        if row.startswith("#") or not row.strip(): continue
        p = row.rstrip("\n").split("\t"); rows[p[0]] = p
    return rows

old_rows = read_state(recheck) if recheck else {}
if "redundant" in flags:
    kills, only = {}, {}
    for k, p in done.items():
        if k not in chosen_keys or p[1] in ("survived", "nobuild"): continue
        by = [b for b in p[7].split(",") if b]
        for b in by: kills[b] = kills.get(b, 0) + 1
        if len(by) == 1: only[by[0]] = only.get(by[0], 0) + 1
    print("test: mutants caught, caught by no other test")
    for b in sorted(kills, key=lambda b: (only.get(b, 0), kills[b], b)):
        print(f"  {b}: {kills[b]} {only.get(b, 0)}")
    sys.exit(0)
if "report" in flags:
    report([p for k, p in done.items() if k in chosen_keys], f"snapshot {snap} (HEAD {head}), seed {seed}, rate {rate:g} %")
    sys.exit(0)

copy_tree(os.path.join(work, "src"))
bdir = os.path.join(work, "build")
if not os.path.exists(os.path.join(bdir, "build.ninja")):
    r = sh(["cmake", "-S", os.path.join(work, "src"), "-B", bdir, "-G", "Ninja",
            "-DCMAKE_BUILD_TYPE=Debug", "-DCMAKE_CXX_FLAGS_DEBUG=-O0 -g0",
            "-DCMAKE_LINK_DEPENDS_NO_SHARED=ON"])
    if r.returncode: sys.exit("mutate: cmake failed\n" + r.stdout + r.stderr)
tests = sorted(os.path.basename(f)[:-4] for f in files
               if f.startswith("tests/native/") and f.endswith("_test.cpp") and not f.endswith("_tsan_test.cpp"))

def build():
    return subprocess.run(["ninja", "-C", bdir, "-j1"] + tests, capture_output=True, text=True).returncode == 0

def run_tests(rel):
    """Every test program, so the state tells which tests catch each mutant:
    returns the status and the catching tests (Suite.Name, or program:crash /
    program:timeout when a whole program went down)."""
    status, by = "survived", []
    for t in tests:
        try:
            r = subprocess.run([os.path.join(bdir, t), "--gtest_brief=1"], capture_output=True,
                               text=True, errors="replace", timeout=timeout, cwd=bdir)
        except subprocess.TimeoutExpired:
            status = "timeout" if status == "survived" else status
            by.append(t + ":timeout"); continue
        if r.returncode == 0: continue
        names = sorted(set(re.findall(r"^\[  FAILED  \] ([\w/.]+)", r.stdout, re.M)))
        if r.returncode < 0 or not names:
            status = "crashed" if status == "survived" else status
            by.append(t + ":crash")
        else:
            status = "killed" if status == "survived" else status
            by += names
    return status, ",".join(by)

print(f"mutate: snapshot {snap} (HEAD {head}), {len(chosen)} mutants in {len(core)} files, "
      f"{sum(1 for k in chosen_keys if k in done)} already done", flush=True)
if not build():
    sys.exit("mutate: the unmutated tree does not build")
st, t = run_tests("none.cpp")
if st != "survived":
    sys.exit(f"mutate: the unmutated tree fails {t}")

with open(state_path, "a") as out:
    if not done:
        out.write(f"# snapshot {snap} HEAD {head} seed {seed} rate {rate:g}\n")
    t0 = time.time(); ran = 0
    def replant(key):
        if not recheck: return True
        old = old_rows.get(key)
        if not old or old[1] in ("survived", "nobuild"): return False
        return not changed or all(changed.match(b) for b in old[7].split(",") if b)
    todo = [s for s in chosen if s[0] not in done and replant(s[0])]
    for s in todo:
        key, rel, ln, col, op, old, new = s
        with open(os.path.join(work, "current"), "w") as fh: fh.write(rel)
        with open(os.path.join(work, "src", rel), "w") as fh: fh.write(apply(s))
        if build():
            status, by = run_tests(rel)
        else:
            status, by = "nobuild", ""
        shutil.copy(os.path.join(work, "pristine", rel), os.path.join(work, "src", rel))
        if os.path.exists(os.path.join(work, "current")): os.remove(os.path.join(work, "current"))
        row = [key, status, rel, str(ln), op, old.replace("\t", " "), new.replace("\t", " "), by]
        out.write("\t".join(row) + "\n"); out.flush()
        done[key] = row; ran += 1
        if ran % 10 == 0 or ran == len(todo):
            el = time.time() - t0
            print(f"  {ran}/{len(todo)} ({el / ran:.1f} s each, ~{el / ran * (len(todo) - ran) / 60:.0f} min left)", flush=True)

rows = [p for k, p in done.items() if k in chosen_keys]
if recheck:
    rows += [p for k, p in old_rows.items() if k in chosen_keys and k not in done]
    compare = compare or recheck
report(rows, f"snapshot {snap} (HEAD {head}), seed {seed}, rate {rate:g} %")
if compare:
    old = read_state(compare)
    lost = [done[k] for k in chosen_keys if k in done and k in old
            and old[k][1] not in ("survived", "nobuild") and done[k][1] == "survived"]
    print(f"caught in {os.path.basename(compare)} but surviving now: {len(lost)}")
    for p in sorted(lost, key=lambda p: (p[2], int(p[3]))):
        print(f"  {p[2]}:{p[3]}: {p[4]} '{p[5]}' -> '{p[6]}' (was killed by {old[p[0]][7]})")
PY
}
main "$@"; exit $?
