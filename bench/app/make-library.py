#!/usr/bin/env python3
"""Writes a data folder's index of N notes for the app benchmarks.

    make-library.py FOLDER [N] [TEXT_BYTES] [LINKS]

FOLDER/items.json gets N items, newest first: LINKS links without a preview
(to an address nothing answers on) and the rest notes of about TEXT_BYTES.
"""
import json
import os
import random
import sys
import uuid

folder = sys.argv[1]
count = int(sys.argv[2]) if len(sys.argv) > 2 else 10000
size = int(sys.argv[3]) if len(sys.argv) > 3 else 2500
links = int(sys.argv[4]) if len(sys.argv) > 4 else 0

rng = random.Random(7)
words = ("budget meeting recipe flight garden design model code habit launch "
         "lesson travel invoice sprint focus paper bread train review idea "
         "market health sleep course ticket draft query layout salary").split()
categories = ["Ideas", "Work", "Code", "Food", "Travel", "Finance"]
items = []
for i in range(count):
    item_id = str(uuid.UUID(int=rng.getrandbits(128), version=4)).upper()
    saved = 790_000_000.0 - i * 60
    if i < links:
        url = f"http://127.0.0.1:9/page/{i}"
        items.append({"id": item_id, "kind": "link", "title": "127.0.0.1", "detail": url,
                      "savedAt": saved, "category": "Ideas"})
        continue
    text = []
    while sum(len(w) + 1 for w in text) < size:
        text.append(rng.choice(words))
    body = " ".join(text)
    items.append({"id": item_id, "kind": "text", "title": body[:60], "detail": "Text snippet",
                  "text": body, "savedAt": saved, "category": rng.choice(categories)})
os.makedirs(folder, exist_ok=True)
with open(os.path.join(folder, "items.json"), "w") as out:
    json.dump(items, out, separators=(",", ":"))
