#!/usr/bin/env python3
"""An independent reader of vCard 4.0 text, for the tests: prints each card of
the file as JSON, one property per entry, with its parameters (RFC 6868 caret
escapes undone) and its value split at unescaped semicolons and unescaped."""
import json
import sys


def unfold(text):
    lines = []
    for raw in text.replace("\r\n", "\n").split("\n"):
        if raw[:1] in (" ", "\t") and lines:
            lines[-1] += raw[1:]
        elif raw:
            lines.append(raw)
    return lines


def split_outside_quotes(text, sep):
    parts, part, quoted = [], "", False
    for c in text:
        if c == '"':
            quoted = not quoted
        if c == sep and not quoted:
            parts.append(part)
            part = ""
        else:
            part += c
    parts.append(part)
    return parts


def caret(value):
    out, i = "", 0
    while i < len(value):
        pair = value[i:i + 2]
        if pair in ("^^", "^'", "^n"):
            out += {"^^": "^", "^'": '"', "^n": "\n"}[pair]
            i += 2
        else:
            out += value[i]
            i += 1
    return out


def components(value):
    parts, part, i = [], "", 0
    while i < len(value):
        c = value[i]
        if c == "\\" and i + 1 < len(value):
            nxt = value[i + 1]
            part += "\n" if nxt in "nN" else nxt
            i += 2
            continue
        if c == ";":
            parts.append(part)
            part = ""
        else:
            part += c
        i += 1
    parts.append(part)
    return parts


def read(path):
    with open(path, encoding="utf-8") as f:
        lines = unfold(f.read())
    cards, card = [], None
    for line in lines:
        head, _, value = _split_head(line)
        fields = split_outside_quotes(head, ";")
        name = fields[0].split(".")[-1].upper()
        params = {}
        for p in fields[1:]:
            key, _, val = p.partition("=")
            params.setdefault(key.upper(), []).extend(caret(v.strip('"')) for v in split_outside_quotes(val, ","))
        if name == "BEGIN":
            card = []
        elif name == "END":
            cards.append(card)
            card = None
        elif card is not None:
            card.append({"name": name, "params": params, "value": components(value)})
    return cards


def _split_head(line):
    quoted = False
    for i, c in enumerate(line):
        if c == '"':
            quoted = not quoted
        elif c == ":" and not quoted:
            return line[:i], ":", line[i + 1:]
    return line, "", ""


if __name__ == "__main__":
    json.dump(read(sys.argv[1]), sys.stdout, ensure_ascii=False)
