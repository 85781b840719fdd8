#!/usr/bin/env python3
"""gvde-cli --json and --csv on the demo game: the document fits docs/gvde-data.schema.json, lists
the same records, numbers and names as the site's numeric lists, names exactly the pictures that
were written, gives the size and SHA-256 of every input file, is the same bytes on a second run;
the CSV tables hold the same records; neither changes a byte of the site.

Usage: data_document_check.py GVDE_CLI GVDE_DEMOGEN SCHEMA
Exit status 77 (skipped) when the jsonschema module is missing (scripts/setup --tests)."""
import csv
import filecmp
import hashlib
import html
import json
import os
import re
import subprocess
import sys
import tempfile

CATEGORIES = [("items", "i"), ("uniques", "u"), ("monsters", "m"), ("bosses", "b"), ("prefixes", "p"),
              ("suffixes", "s")]


def run(args, cwd):
    result = subprocess.run(args, cwd=cwd, stdin=subprocess.DEVNULL, capture_output=True, timeout=300)
    if result.returncode != 0 or result.stdout != b"Done\n":
        sys.exit(f"{args} ended with {result.returncode}: {result.stderr.decode(errors='replace')}")


def same_tree(a, b):
    compared = filecmp.dircmp(a, b)
    if compared.left_only or compared.right_only or compared.diff_files or compared.funny_files:
        return False
    return all(same_tree(os.path.join(a, d), os.path.join(b, d)) for d in compared.common_dirs)


def listed_records(data_dir, letter):
    """(number, name) of every link of the category's numeric list, names decoded as the site's code page."""
    page = open(os.path.join(data_dir, letter + "n.htm"), "rb").read().decode("cp1252", errors="replace")
    links = re.findall(r'<a href="' + letter + r'(\d+)\.htm" target="out">(\d+): (.*?)</a>', page)
    return [(int(number), html.unescape(name)) for number, _, name in links]


def check_source(document, root):
    """The sizes and digests are those of the files the run read; the addresses those of Address.ini."""
    paths = {"GV.exe": "game/GV.exe", "gvdata.mor": "game/gvdata.mor", "kelddat.mpq": "game/kelddat.mpq",
             "Effect.ini": "Effect.ini", "AITypes.ini": "AITypes.ini", "Address.ini": "Address.ini"}
    files = document["source"]["files"]
    assert list(files) == list(paths), list(files)
    for name, path in paths.items():
        content = open(os.path.join(root, path), "rb").read()
        assert files[name] == {"size": len(content), "sha256": hashlib.sha256(content).hexdigest()}, name
    ini = dict(line.split("=") for line in open(os.path.join(root, "Address.ini")).read().split() if "=" in line)
    addresses = document["source"]["addresses"]
    for key, value in ini.items():
        assert addresses[key[0].lower() + key[1:]] == int(value, 16), key


def csv_field(value):
    """A document value as the CSV tables write it."""
    if value is None:
        return ""
    if isinstance(value, bool):
        return "true" if value else "false"
    if isinstance(value, list):
        # Effect entries by their text; the picture entry has none.
        if value and isinstance(value[0], dict):
            value = [v["text"] for v in value if v["text"] is not None]
        return "; ".join(csv_field(v) for v in value)
    return str(value)


def check_csv(document, csv_dir):
    for key, _ in CATEGORIES:
        with open(os.path.join(csv_dir, key + ".csv"), encoding="utf-8-sig", newline="") as f:
            rows = list(csv.reader(f))
        records = document[key]
        assert rows[0] == list(records[0]), key
        assert rows[1:] == [[csv_field(v) for v in r.values()] for r in records], key


def main():
    cli, demogen, schema_path = (os.path.abspath(arg) for arg in sys.argv[1:4])
    try:
        import jsonschema
    except ImportError:
        print("skipped: the python3 jsonschema module is missing (scripts/setup --tests)")
        return 77

    # Whole runs create thousands of files: on a memory file system where there is one.
    with tempfile.TemporaryDirectory(dir="/dev/shm" if os.path.isdir("/dev/shm") else None) as root:
        subprocess.run([demogen, root], check=True, stdout=subprocess.DEVNULL)
        run([cli, "--keep-going", "--json", "data.json", "game", "site"], root)
        run([cli, "--keep-going", "game", "plain"], root)
        run([cli, "--keep-going", "--json", "again.json", "--csv", "tables", "game", "again"], root)

        raw = open(os.path.join(root, "data.json"), "rb").read()
        assert raw == open(os.path.join(root, "again.json"), "rb").read(), "the document differs between runs"
        assert same_tree(os.path.join(root, "site"), os.path.join(root, "plain")), "--json changed the site"
        assert same_tree(os.path.join(root, "again"), os.path.join(root, "plain")), "--csv changed the site"
        assert not [name for name in os.listdir(root) if name.startswith("data.json.")], "a temporary file was left"
        assert sorted(os.listdir(os.path.join(root, "tables"))) == sorted(k + ".csv" for k, _ in CATEGORIES)

        document = json.loads(raw.decode("utf-8"))
        schema = json.load(open(schema_path, encoding="utf-8"))
        jsonschema.Draft7Validator.check_schema(schema)
        jsonschema.Draft7Validator(schema).validate(document)

        check_source(document, root)
        check_csv(document, os.path.join(root, "tables"))

        # Keys in the order the schema lists them.
        assert list(document) == list(schema["properties"])
        definitions = schema["definitions"]
        for key, definition in (("items", "item"), ("uniques", "unique"), ("monsters", "monster"),
                                ("bosses", "boss"), ("prefixes", "affix"), ("suffixes", "affix")):
            assert list(document[key][0]) == list(definitions[definition]["properties"]), key
        effect = next(e for u in document["uniques"] for e in u["effects"])
        assert list(effect) == list(definitions["effect"]["properties"])

        data_dir = os.path.join(root, "site", "data")
        for key, letter in CATEGORIES:
            records = [(r["number"], r["name"]) for r in document[key]]
            assert records, key
            assert records == listed_records(data_dir, letter), f"{key} differ from {letter}n.htm"
            for record in document[key]:
                picture = record.get("pictureFile")
                if picture is not None:
                    assert os.path.isfile(os.path.join(root, "site", picture)), picture
                elif letter in "mb":
                    assert not os.path.exists(os.path.join(data_dir, f"{letter}{record['number']}.png"))
        assert any(r["pictureFile"] is None for r in document["monsters"]), "the demo game has a failing monster"
        assert any(ord(c) > 127 for r in document["items"] for c in r["name"]), "the demo game has a non-ASCII name"
    print("the data document is valid and agrees with the site and the CSV tables")
    return 0


if __name__ == "__main__":
    sys.exit(main())
