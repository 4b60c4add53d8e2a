#!/usr/bin/python3
"""Writes a large, deterministic RSS 2.0 feed in two spellings.

The sloppy file writes about one feed tag in twenty in odd letter case
(<TiTle>...</tItLe>, <PUBDATE>); its twin is the same bytes with every feed
tag in its proper case, so xmllint can read it. Item descriptions mix HTML
escaped as entities, raw (balanced) HTML tags, numeric references and
non-ASCII UTF-8 text. Only the standard library is used.

usage: make_feed.py --sloppy FILE --twin FILE [--items N] [--seed N] [--odd-case RATE]
"""

import argparse
import email.utils
import random
import sys

WORDS = (
    "feed channel editor news update release weekly report garden market river "
    "station winter summer library museum concert review interview archive "
    "notes draft travel recipe bicycle harbour mountain village council school "
    "science weather football theatre gallery podcast episode column letter "
    "budget festival bridge railway forest lake island coffee bakery"
).split()

# Non-ASCII words, written as UTF-8 bytes in the file.
UNICODE_WORDS = (
    "café", "naïve", "Müller", "über", "Grüße", "€", "10 €", "漢字", "東京",
    "日本語", "Ελλάδα", "Москва", "façade", "crème brûlée", "señor", "😀",
    "🎉", "🚲", "Zürich", "smørrebrød", "—", "“quoted”", "…",
)

# Numeric references: decimal and hexadecimal, in and outside Latin-1.
REFERENCES = (
    "&#233;", "&#8364;", "&#x41;", "&#xE9;", "&#252;", "&#8212;", "&#169;",
    "&#128512;", "&#x6F22;", "&#8230;", "&#160;",
)

CATEGORIES = ("News", "Sport", "Culture", "Science", "Travel", "Food", "Local",
              "Technology", "Opinion", "Weather")

AUTHORS = ("editor@example.com (Anna Berg)", "news@example.org (José Núñez)",
           "desk@example.net (Li Wei 李伟)", "team@example.com (Søren Kierkegaard)")

# 2004-06-01 10:00:00 UTC; items go back in time from here.
BASE_TIME = 1086084000


class TwinWriter:
    """Collects the two spellings side by side; they differ only in the
    letter case of the feed tags."""

    def __init__(self, rng, odd_rate):
        self.rng = rng
        self.odd_rate = odd_rate
        self.sloppy = []
        self.twin = []
        self.tags = 0
        self.odd_tags = 0

    def text(self, s):
        self.sloppy.append(s)
        self.twin.append(s)

    def _name(self, name):
        self.tags += 1
        if self.rng.random() >= self.odd_rate:
            return name
        self.odd_tags += 1
        while True:
            odd = "".join(c.upper() if self.rng.random() < 0.5 else c.lower() for c in name)
            if odd != name:
                return odd

    def start(self, name, attrs=""):
        self.sloppy.append("<" + self._name(name) + attrs + ">")
        self.twin.append("<" + name + attrs + ">")

    def end(self, name):
        self.sloppy.append("</" + self._name(name) + ">")
        self.twin.append("</" + name + ">")

    def element(self, name, content, attrs=""):
        self.start(name, attrs)
        self.text(content)
        self.end(name)


def words(rng, count):
    out = []
    for _ in range(count):
        r = rng.random()
        if r < 0.10:
            out.append(rng.choice(UNICODE_WORDS))
        elif r < 0.15:
            out.append(rng.choice(WORDS) + rng.choice(REFERENCES))
        else:
            out.append(rng.choice(WORDS))
    return " ".join(out)


def raw_html(rng, n):
    """A raw HTML fragment that is balanced XML (it becomes text on load)."""
    kind = rng.randrange(7)
    if kind == 0:
        return "<b>" + words(rng, 3) + "</b>"
    if kind == 1:
        return "<i>" + words(rng, 2) + "</i>"
    if kind == 2:
        return ('<a href="http://www.example.com/story/%d?ref=feed&amp;page=%d" title=\'%s\'>%s</a>'
                % (n, rng.randrange(1, 9), rng.choice(WORDS), words(rng, 3)))
    if kind == 3:
        return "<br/>"
    if kind == 4:
        return '<span class="note">' + words(rng, 4) + " <em>" + words(rng, 1) + "</em></span>"
    if kind == 5:
        return '<img src="http://img.example.com/%d.jpg" alt="%s" width="120" height="80"/>' % (
            rng.randrange(100000), rng.choice(WORDS))
    return "<strong>" + words(rng, 2) + "</strong> &amp; <code>x &lt; y</code>"


def escaped_html(rng, n):
    """HTML written as entities, the way most feeds carry it."""
    kind = rng.randrange(4)
    if kind == 0:
        return "&lt;p&gt;" + words(rng, 12) + "&lt;/p&gt;"
    if kind == 1:
        return ("&lt;a href=&quot;http://www.example.com/more/%d&quot;&gt;" % n) + words(rng, 3) + "&lt;/a&gt;"
    if kind == 2:
        return "&lt;ul&gt;&lt;li&gt;" + words(rng, 4) + "&lt;/li&gt;&lt;li&gt;" + words(rng, 4) + "&lt;/li&gt;&lt;/ul&gt;"
    return "&lt;br /&gt;" + words(rng, 6)


def description(rng, n, target):
    parts = []
    size = 0
    while size < target:
        r = rng.random()
        if r < 0.35:
            piece = escaped_html(rng, n)
        elif r < 0.60:
            piece = raw_html(rng, n)
        else:
            piece = words(rng, rng.randrange(6, 16))
        parts.append(piece)
        size += len(piece.encode("utf-8")) + 1
    return " ".join(parts)


def build(items, seed, odd_rate):
    rng = random.Random(seed)
    w = TwinWriter(rng, odd_rate)
    w.text('<?xml version="1.0" encoding="UTF-8"?>\n')
    w.start("rss", ' version="2.0"')
    w.text("\n")
    w.start("channel")
    w.text("\n")
    for name, value in (("title", "Quorvane load and save benchmark"),
                        ("link", "http://www.example.com/"),
                        ("description", "A large generated feed: caf&#233;, 漢字, &lt;b&gt;escaped&lt;/b&gt; and <b>raw</b> markup."),
                        ("language", "en-us"),
                        ("copyright", "Copyright 2004 Example"),
                        ("managingEditor", AUTHORS[0]),
                        ("webMaster", AUTHORS[1]),
                        ("pubDate", email.utils.formatdate(BASE_TIME, usegmt=True)),
                        ("lastBuildDate", email.utils.formatdate(BASE_TIME + 3600, usegmt=True)),
                        ("generator", "make_feed.py"),
                        ("ttl", "60")):
        w.text("  ")
        w.element(name, value)
        w.text("\n")
    for n in range(items):
        when = BASE_TIME - n * 3607 - rng.randrange(3600)
        w.text("  ")
        w.start("item")
        w.text("\n    ")
        w.element("title", "Item %d: %s" % (n + 1, words(rng, rng.randrange(4, 9))))
        w.text("\n    ")
        w.element("link", "http://www.example.com/story/%d?from=rss&amp;id=%d" % (n + 1, rng.randrange(10**6)))
        w.text("\n    ")
        if n % 3 == 0:
            w.element("guid", "urn:example:story:%d" % (n + 1), ' isPermaLink="false"')
        else:
            w.element("guid", "http://www.example.com/story/%d" % (n + 1))
        w.text("\n    ")
        w.element("pubDate", email.utils.formatdate(when, usegmt=True))
        w.text("\n    ")
        if n % 4 == 0:
            w.element("category", rng.choice(CATEGORIES), ' domain="http://www.example.com/topics"')
        else:
            w.element("category", rng.choice(CATEGORIES))
        w.text("\n    ")
        w.element("author", rng.choice(AUTHORS))
        w.text("\n    ")
        w.element("description", description(rng, n + 1, rng.randrange(1300, 1850)))
        w.text("\n  ")
        w.end("item")
        w.text("\n")
    w.end("channel")
    w.text("\n")
    w.end("rss")
    w.text("\n")
    return w


def main():
    parser = argparse.ArgumentParser(description="Write a large sloppy RSS 2.0 feed and its well-formed twin.")
    parser.add_argument("--sloppy", required=True, help="file for the feed with odd-case tags")
    parser.add_argument("--twin", required=True, help="file for the same feed with proper tags")
    parser.add_argument("--items", type=int, default=10000)
    parser.add_argument("--seed", type=int, default=20040601)
    parser.add_argument("--odd-case", type=float, default=0.05, help="share of feed tags in odd case")
    args = parser.parse_args()

    w = build(args.items, args.seed, args.odd_case)
    sloppy = "".join(w.sloppy).encode("utf-8")
    twin = "".join(w.twin).encode("utf-8")

    # The two files may differ in the letter case of tag names and nowhere else.
    if len(sloppy) != len(twin):
        sys.exit("make_feed.py: the two spellings differ in length")
    differing = 0
    for a, b in zip(sloppy, twin):
        if a != b:
            if not (chr(a).isascii() and chr(a).isalpha() and chr(a).lower() == chr(b).lower()):
                sys.exit("make_feed.py: the two spellings differ in more than letter case")
            differing += 1

    with open(args.sloppy, "wb") as f:
        f.write(sloppy)
    with open(args.twin, "wb") as f:
        f.write(twin)
    print("items=%d bytes=%d tags=%d odd_case_tags=%d (%.1f%%) differing_bytes=%d"
          % (args.items, len(sloppy), w.tags, w.odd_tags, 100.0 * w.odd_tags / max(w.tags, 1), differing))


if __name__ == "__main__":
    main()
