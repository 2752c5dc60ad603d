#!/usr/bin/env python3
"""Writes N synthetic MARC 21 bibliographic records as ISO 2709 (about 400
bytes each, Windows-1252 letters, leader position 9 blank), the same every run
for the same seed.

usage: gen_records.py [--count N] [--seed S] OUTPUT
"""
import argparse
import random

FIRST = ["Ola", "Kari", "Anna", "Per", "Jon", "Liv", "Søren", "Åse", "Jürgen", "Hélène",
         "Thomas", "Märta", "Bjørn", "Eirik", "Ingrid", "Pål"]
LAST = ["Hansen", "Berg", "Olsen", "Lindström", "Dahl", "Østby", "Müller", "Nesbø",
        "Johansen", "Ærø", "Larsen", "Holm", "Åkesson", "Vik", "Strand", "Moe"]
WORDS = ["blåbær", "fjell", "sjø", "historie", "vinter", "reise", "bok", "hus", "skog",
         "natt", "lys", "byen", "kart", "tid", "vei", "sommer", "land", "ord", "himmel"]
PLACES = ["Oslo", "Bergen", "Trondheim", "Stockholm", "København", "Tromsø"]
PUBLISHERS = ["Gyldendal", "Aschehoug", "Cappelen Damm", "Fagbokforlaget", "Tapir",
              "Rabén & Sjögren"]
SUBJECTS = ["Friluftsliv", "Historie", "Romaner", "Kokebøker", "Filosofi", "Fotturer"]
PLACE_SUB = ["Norge", "Sverige", "Danmark", "Nord-Norge"]
RELATORS = ["aut", "ill", "edt", "trl"]


def name(rnd):
    return f"{rnd.choice(LAST)}, {rnd.choice(FIRST)}"


def title(rnd, n):
    words = [rnd.choice(WORDS) for _ in range(n)]
    return " ".join(words).capitalize()


def field(ind, subfields):
    body = ind
    for code, value in subfields:
        body += "\x1f" + code + value
    return body


def record(rnd, number):
    fields = [("001", str(1000000 + number)),
              ("008", f"240115s{rnd.randint(1950, 2024)}    no a   e     000 1 nob d")]
    fields.append(("020", field("  ", [("a", f"978-82-{rnd.randint(10, 99)}-"
                                             f"{rnd.randint(10000, 99999)}-{rnd.randint(0, 9)}")])))
    author = name(rnd)
    fields.append(("100", field("1 ", [("a", author), ("d", f"{rnd.randint(1900, 1990)}-"),
                                       ("4", "aut")])))
    fields.append(("245", field("10", [("a", title(rnd, rnd.randint(2, 3)) + " :"),
                                       ("b", title(rnd, rnd.randint(1, 3)).lower() + " /"),
                                       ("c", author.split(", ")[1] + " " + author.split(", ")[0])])))
    if rnd.random() < 0.2:
        fields.append(("250", field("  ", [("a", f"{rnd.randint(2, 9)}. utgave")])))
    fields.append(("264", field(" 1", [("a", rnd.choice(PLACES) + " :"),
                                       ("b", rnd.choice(PUBLISHERS) + ","),
                                       ("c", str(rnd.randint(1950, 2024)))])))
    fields.append(("300", field("  ", [("a", f"{rnd.randint(40, 900)} sider :"),
                                       ("b", "illustrasjoner ;"), ("c", "24 cm")])))
    if rnd.random() < 0.2:
        fields.append(("490", field("1 ", [("a", title(rnd, 2) + " ;"),
                                           ("v", str(rnd.randint(1, 40)))])))
    for _ in range(rnd.randint(1, 2)):
        fields.append(("650", field(" 0", [("a", rnd.choice(SUBJECTS)),
                                           ("z", rnd.choice(PLACE_SUB))])))
    for _ in range(rnd.randint(0, 2)):
        fields.append(("700", field("1 ", [("a", name(rnd)), ("4", rnd.choice(RELATORS))])))
    return iso2709(fields)


def iso2709(fields):
    directory = b""
    data = b""
    for tag, body in fields:
        encoded = body.encode("cp1252") + b"\x1e"
        directory += f"{tag}{len(encoded):04d}{len(data):05d}".encode("ascii")
        data += encoded
    directory += b"\x1e"
    base = 24 + len(directory)
    length = base + len(data) + 1
    leader = f"{length:05d}nam  22{base:05d} i 4500".encode("ascii")
    return leader + directory + data + b"\x1d"


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--count", type=int, default=10000)
    parser.add_argument("--seed", type=int, default=20261207)
    parser.add_argument("output")
    args = parser.parse_args()
    rnd = random.Random(args.seed)
    with open(args.output, "wb") as out:
        for number in range(1, args.count + 1):
            out.write(record(rnd, number))


if __name__ == "__main__":
    main()
