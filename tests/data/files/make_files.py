#!/usr/bin/env python3
"""Builds the checked-in settings files straight from the record layout, independently of the
program's writer: 50-byte records, name length 6, name, 10 zero bytes, value length, value in
code page 1250, space padding, last byte zero for values shorter than 32 characters."""

NAMES = ["Dial: ", "Keyb: ", "EndS: ", "HgU1: ", "HgU2: ", "Day : ", "Nigh: ", "Cmod: ",
         "MdKb: ", "Pasw: ", "Butt: ", "MdS1: ", "HDN1: ", "HDa1: ", "HNi1: ", "KTH1: ",
         "Tim1: ", "Dir1: ", "MdS2: ", "HDN2: ", "HDa2: ", "HNi2: ", "KTH2: ", "Tim2: ",
         "Dir2: ", "Tm12: ", "MaSp: ", "NoRi: ", "TBtn: ", "THng: ", "TDia: ", "TRep: ",
         "TTon: ", "TSpc: ", "TFls: ", "TPas: "]
NAMES += ["M%03d: " % k for k in range(1, 129)]
NAMES += ["TONE: ", "SIEM: ", "PRFX: ", "DTMF: ", "FREQU:", "COUNT:", "TIMED:"]
assert len(NAMES) == 171

DEFAULTS = ["1", "1", "*", "55", "66", "11", "10", "0", "0", "7850", "0", "1", "", "", "",
            "22", "5", "1", "1", "", "", "", "33", "5", "1", "15", "2", "1", "2", "2", "1",
            "12", "100", "100", "100", "800"]
DEFAULTS += [""] * 128
DEFAULTS += ["3", "1", "", "0", "350-500", "8", "4"]
assert len(DEFAULTS) == 171


def record(name, value):
    v = value.encode("cp1250")[:32]
    r = bytearray(b" " * 50)
    r[0] = 6
    r[1:7] = name.encode("ascii")
    r[7:17] = bytes(10)
    r[17] = len(v)
    r[18:18 + len(v)] = v
    if len(v) < 32:
        r[49] = 0
    return bytes(r)


def write(path, values):
    with open(path, "wb") as f:
        for name, value in zip(NAMES, values):
            f.write(record(name, value))


write("default.KTF", DEFAULTS)

# A hand-made 164-record file with values off the defaults (and blanks to be trimmed).
hand = list(DEFAULTS[:164])
hand[0] = "0"              # Dial: pulse (RadioButton7)
hand[1] = "0"              # Keyb: two groups (RadioButton8)
hand[2] = " # "            # EndS: RadioButton11, blanks trimmed
hand[3] = "12"             # HgU1
hand[7] = "3"              # Cmod: RadioButton16
hand[9] = "1234"           # Pasw
hand[10] = "2"             # Butt
hand[11] = "3"             # MdS1: RadioButton14 (light)
hand[12] = "123456"        # HDN1
hand[17] = "0"             # Dir1 cleared
hand[18] = "5"             # MdS2: RadioButton21 (sequential)
hand[26] = "30"            # MaSp
hand[31] = "07"            # TRep
hand[32] = "150"           # TTon
hand[36] = "0123456789*#PF01"  # M001: 16 characters
hand[36 + 64] = "  555 "   # M065: night number of button 1, trimmed to "555"
hand[163] = "99"           # M128
write("records164.KTF", hand)

r165 = hand + ["2"]        # TONE: only CheckBox4
write("records165.KTF", r165)

# Damaged files.
default_bytes = open("default.KTF", "rb").read()
open("truncated.KTF", "wb").write(default_bytes[:8549])
bad = bytearray(default_bytes)
bad[50 * 40 + 17] = 255    # record 41: value length 255
open("valuelength255.KTF", "wb").write(bytes(bad))
open("zeros164.KTF", "wb").write(bytes(164 * 50))
open("short163.KTF", "wb").write(default_bytes[:163 * 50])
