#!/usr/bin/env python3
"""gvde-cli --compare on two real runs: the demo game and its next version (gvde-demogen
--patched: one item's price changed, one unique item inserted). Matched by key the comparison
reports exactly that one changed value and that one added record, in every format; matched by
number the records after the inserted one show as shifted. A document compared with itself gives
nothing; a truncated one ends with status 2 naming the file and the JSON error position; a
version 1 document compares as its version 2.

Usage: compare_check.py GVDE_CLI GVDE_DEMOGEN"""
import csv
import io
import json
import os
import re
import subprocess
import sys
import tempfile


def cli(program, args, cwd):
    result = subprocess.run([program] + args, cwd=cwd, stdin=subprocess.DEVNULL, capture_output=True, timeout=300)
    return result.returncode, result.stdout.decode("utf-8"), result.stderr.decode("utf-8")


def as_version_1(document):
    """The document as version 1 wrote it: no generator, source, keys or effect names."""
    old = {k: v for k, v in document.items() if k not in ("generator", "source")}
    old["version"] = 1
    for key in ("items", "uniques", "monsters", "bosses", "prefixes", "suffixes"):
        for record in old[key]:
            record.pop("key")
            record.pop("effectName", None)
            for effect in record.get("effects", []):
                effect.pop("name")
    return old


def main():
    program, demogen = (os.path.abspath(arg) for arg in sys.argv[1:3])
    with tempfile.TemporaryDirectory(dir="/dev/shm" if os.path.isdir("/dev/shm") else None) as root:
        for name, extra in (("old", []), ("new", ["--patched"])):
            subprocess.run([demogen] + extra + [os.path.join(root, name)], check=True, stdout=subprocess.DEVNULL)
            status, out, err = cli(program, ["--keep-going", "--json", f"../{name}.json", "game", "site"],
                                   os.path.join(root, name))
            assert status == 0 and out == "Done\n", err
        old = json.load(open(os.path.join(root, "old.json"), encoding="utf-8"))
        new = json.load(open(os.path.join(root, "new.json"), encoding="utf-8"))
        item = new["items"][12]
        inserted = new["uniques"][45]
        assert (item["name"], item["price"], inserted["name"]) == ("Bearded Axe", 3100, "Ember Crown")
        before = old["items"][12]["price"]

        def compare(*args, files=("old.json", "new.json")):
            return cli(program, ["--compare", *args, *files], root)

        status, out, err = compare()
        assert status == 1 and err == "", err
        assert out == (f'items "Bearded Axe" (12): price {before} -> 3100\n'
                       'uniques "Ember Crown" (45): added\n'), out

        status, out, _ = compare("--format", "markdown")
        assert status == 1
        assert out == ("## Items\n\n### Bearded Axe (12)\n\n| Value | Old | New |\n|---|---|---|\n"
                       f"| `price` | {before} | 3100 |\n\n## Unique items\n\nAdded:\n\n- Ember Crown (45)\n"), out

        status, out, _ = compare("--format", "json")
        report = json.loads(out)
        assert report["items"]["changed"][0]["changes"] == [{"field": "price", "old": before, "new": 3100}]
        assert [r["key"] for r in report["uniques"]["added"]] == ["u:Ember Crown#1"]
        counts = [len(report[k][part]) for k in ("items", "uniques", "monsters", "bosses", "prefixes", "suffixes")
                  for part in ("changed", "added", "removed")]
        assert counts == [1, 0, 0, 0, 1, 0] + [0] * 12, counts

        status, out, _ = compare("--format", "csv")
        rows = list(csv.reader(io.StringIO(out.lstrip("\ufeff"))))
        assert [r[5:] for r in rows[1:]] == [["changed", "price", str(before), "3100"], ["added", "", "", ""]], rows

        # By number: every unique from the inserted one on is paired with its predecessor, the
        # last one is an addition, and the items' lists of unique numbers shift.
        status, out, _ = compare("--match", "number")
        lines = out.splitlines()
        shifted = {int(n) for n in re.findall(r'^uniques "[^"]*" \((\d+)\): name ', out, re.M)}
        assert shifted == set(range(45, len(new["uniques"]) - 1)), sorted(shifted)
        assert lines.count(f'uniques "{new["uniques"][-1]["name"]}" ({len(new["uniques"]) - 1}): added') == 1
        assert all(l.startswith("uniques ") or re.search(r"\): (price|uniques\[\d+\]) ", l) for l in lines)
        assert len(lines) > 100, len(lines)

        status, out, err = compare(files=("new.json", "new.json"))
        assert (status, out, err) == (0, "", ""), (status, out, err)

        json.dump(as_version_1(old), open(os.path.join(root, "v1.json"), "w", encoding="utf-8"), indent=2)
        assert compare(files=("v1.json", "new.json"))[:2] == compare()[:2]
        assert compare(files=("v1.json", "old.json"))[0] == 0

        text = open(os.path.join(root, "old.json"), encoding="utf-8").read()
        cut = text[: len(text) // 2]
        open(os.path.join(root, "cut.json"), "w", encoding="utf-8").write(cut)
        status, out, err = compare(files=("cut.json", "new.json"))
        line = cut.count("\n") + 1
        assert status == 2 and out == "", (status, out)
        assert re.fullmatch(rf"Error: cut\.json is not a gvde data document\n  cut\.json: parse error at line {line}, "
                            r"column \d+: .*\n", err), err
    print("the comparison of the demo game and its next version is as documented")
    return 0


if __name__ == "__main__":
    sys.exit(main())
