#!/usr/bin/python3
"""Reads every card of a vCard file with the vobject library, validating
each as that library does in its strict mode, and prints each card's FN.
Exits non-zero, naming the card, on the first one it refuses."""
import sys

import vobject


def main():
    text = open(sys.argv[1], encoding="utf-8").read()
    count = 0
    for card in vobject.readComponents(text, validate=True):
        count += 1
        card.serialize(validate=True)
        print(card.fn.value)
    if count == 0:
        sys.exit("no card in the file")


if __name__ == "__main__":
    main()
