#!/usr/bin/env bash
# The include order of src/: a module includes its own folder and the modules on its line of
# the table below, nothing else; each line names only modules of earlier lines, so no
# dependency runs back up. The DEPS of each gvde_module in src/CMakeLists.txt stay inside the
# same table, and nothing in src/ or tools/ includes the tests. Prints every violation and fails
# when there is one.
#
#   bash scripts/test.d/10-layers.sh [ROOT]      (ROOT: the source tree, default this one)
set -euo pipefail
root=${1:-$(cd "$(dirname "$0")/../.." && pwd)}

exec python3 - "$root" <<'EOF'
import pathlib, re, sys

# module: the modules it may include besides itself. Order: platform < ini, game, archive,
# image < effects < site < export < compare, explorer < app; ini, game, archive and image do not
# include each other; command_line (the option tables) stands alone, below app.
LAYERS = """
platform:
command_line:
ini:      platform
game:     platform
archive:  platform
image:    platform
effects:  game platform
site:     effects game archive image platform
export:   effects game platform
compare:  export effects game platform
explorer: export site effects game archive image platform
app:      explorer compare export site effects ini game archive image command_line platform
"""

root = pathlib.Path(sys.argv[1])
problems = []

allowed = {}
for line in LAYERS.strip().splitlines():
    module, _, below = line.partition(":")
    module, below = module.strip(), below.split()
    for lower in below:
        if lower not in allowed:
            problems.append(f"layer table: {module} names {lower}, which is not on an earlier line")
    allowed[module] = set(below)

for folder in sorted(p.name for p in (root / "src").iterdir() if p.is_dir()):
    if folder not in allowed:
        problems.append(f"layer table: src/{folder} has no line")

include = re.compile(r'^\s*#\s*include\s*"([^"]+)"', re.M)
sources = [p for d in ("src", "tools") for p in sorted((root / d).rglob("*")) if p.suffix in (".h", ".cpp")]
for path in sources:
    relative = path.relative_to(root)
    text = path.read_text(errors="replace")
    for match in include.finditer(text):
        target = match.group(1)
        where = f"{relative}:{text.count(chr(10), 0, match.start()) + 1}"
        # Looked for as the compiler does: beside the file, then in the include folders.
        candidates = (path.parent / target, root / "src" / target, root / "tools" / target, root / "tests" / target)
        found = next((c.resolve() for c in candidates if c.exists()), None)
        if found is not None and (root / "tests").resolve() in found.parents:
            problems.append(f'{where}: includes the tests ("{target}")')
            continue
        if relative.parts[0] != "src":
            continue
        module, top = relative.parts[1], pathlib.PurePosixPath(target).parts[0]
        if top != module and top not in allowed.get(module, set()):
            problems.append(f'{where}: {module} must not include "{target}"')

cmake = (root / "src" / "CMakeLists.txt").read_text()
for name, deps in re.findall(r"^gvde_module\((\w+)\s+DEPS\s+(.*?)(?:\bSOURCES\b|\))", cmake, re.M | re.S):
    for dep in re.findall(r"\bgvde_(\w+)", deps):
        if dep not in allowed.get(name, set()):
            problems.append(f"src/CMakeLists.txt: gvde_{name} must not depend on gvde_{dep}")

for problem in problems:
    print(problem)
print(f"layers: {len(sources)} files, {len(problems)} violations")
sys.exit(1 if problems else 0)
EOF
