#!/usr/bin/env python3
# SPDX-License-Identifier: MIT
"""Writes the icon of ftes-charts.exe: a chart as the program draws it, in small, at 16, 32 and
48 pixels: black ground, yellow frame, grey grid, the white forecast curve and red observed
dots. The same bytes every time. Usage: icona.py OUTPUT.ico"""
import math
import struct
import sys

NERO, GIALLO, GRIGIO, BIANCO, ROSSO = (0, 0, 0), (255, 255, 0), (96, 96, 96), (255, 255, 255), (255, 64, 64)


def immagine(lato):
    """The pixels of the icon at one size, rows from the top, as (r, g, b)."""
    p = [[NERO] * lato for _ in range(lato)]
    bordo = max(1, lato // 16)
    for k in range(lato):
        for b in range(bordo):
            p[b][k] = p[lato - 1 - b][k] = p[k][b] = p[k][lato - 1 - b] = GIALLO
    for frazione in (1 / 3, 2 / 3):
        c = int(lato * frazione)
        for k in range(bordo, lato - bordo):
            p[c][k] = p[k][c] = GRIGIO
    interno = lato - 2 * bordo - 1
    for x in range(bordo, lato - bordo):
        t = (x - bordo) / interno
        # The forecast: low at night, highest in the afternoon.
        y = lato - bordo - 2 - int((lato * 0.45) * max(0.0, math.sin((t - 0.2) * math.pi / 0.6)))
        p[min(max(y, bordo), lato - bordo - 1)][x] = BIANCO
    passo = max(2, lato // 8)
    for i, x in enumerate(range(bordo + 1, lato - bordo - 1, passo)):
        t = (x - bordo) / interno
        y = lato - bordo - 3 - int((lato * 0.55) * max(0.0, math.sin((t - 0.15) * math.pi / 0.7))) \
            - (i * 7 % 5) * lato // 40
        y = min(max(y, bordo), lato - bordo - 2)
        for dy in range(max(1, lato // 16)):
            for dx in range(max(1, lato // 16)):
                p[min(y + dy, lato - bordo - 1)][min(x + dx, lato - bordo - 1)] = ROSSO
    return p


def bmp_icona(lato):
    """One image of an ICO file: a BITMAPINFOHEADER of double height, 32-bit pixels from the
    bottom row up, then the AND mask (all opaque)."""
    righe = immagine(lato)
    intestazione = struct.pack("<IiiHHIIiiII", 40, lato, lato * 2, 1, 32, 0, 0, 0, 0, 0, 0)
    pixel = b"".join(bytes((b, g, r, 255)) for riga in reversed(righe) for (r, g, b) in riga)
    maschera = bytes(((lato + 31) // 32 * 4) * lato)
    return intestazione + pixel + maschera


def main():
    lati = (16, 32, 48)
    immagini = [bmp_icona(l) for l in lati]
    testa = struct.pack("<HHH", 0, 1, len(lati))
    posto = 6 + 16 * len(lati)
    voci = b""
    for lato, dati in zip(lati, immagini):
        voci += struct.pack("<BBBBHHII", lato, lato, 0, 0, 1, 32, len(dati), posto)
        posto += len(dati)
    with open(sys.argv[1], "wb") as f:
        f.write(testa + voci + b"".join(immagini))


main()
