#!/usr/bin/env python3
"""Checks report files against the JSON Schema in docs/report-format.md.

usage: check-report-schema.py REPORT.json...
Prints one line per file and exits 1 when any does not match.
"""
import json
import pathlib
import re
import sys

import jsonschema

docs = pathlib.Path(__file__).resolve().parent.parent / "docs" / "report-format.md"
blocks = re.findall(r"^```json\n(.*?)^```", docs.read_text(encoding="utf-8"), re.S | re.M)
if len(blocks) != 1:
    sys.exit(f"{docs}: expected one ```json block (the schema), found {len(blocks)}")
schema = json.loads(blocks[0])
jsonschema.Draft202012Validator.check_schema(schema)
validator = jsonschema.Draft202012Validator(schema)

failed = False
for name in sys.argv[1:]:
    report = json.loads(pathlib.Path(name).read_text(encoding="utf-8"))
    errors = sorted(validator.iter_errors(report), key=lambda e: list(e.path))
    for error in errors:
        print(f"{name}: {'/'.join(map(str, error.path)) or '(top)'}: {error.message}")
    failed = failed or bool(errors)
    if not errors:
        print(f"{name}: matches the schema ({len(report['lines'])} lines, kind {report['kind']})")
sys.exit(1 if failed else 0)
