#!/usr/bin/env python3
"""Makes the seed corpora of vistello-pack's fuzz targets:
  corpus/program_file/      small PE32+ stubs stamped with their length, bare or with packages
                            (written byte by byte here), with a COFF symbol table behind the
                            image, a tag inside a title, an enclosed stub
  corpus/picture_facts/     small JPEG and BMP files from cjpeg, jpegtran and ImageMagick: every
                            sampling, progressive, restarts, arithmetic, RGB, CMYK, BMP headers
  corpus/exif_orientation/  JPEG files with Exif segments in both byte orders, after JFIF or XMP
Usage: python3 fuzz/corpus_pack.py   (needs cjpeg, jpegtran, convert; rerun to regenerate)
"""
import os
import shutil
import struct
import subprocess
import tempfile

HERE = os.path.dirname(os.path.abspath(__file__))
TAG = b'VISTELLO:PKGOFS\0'


def fresh(name):
    folder = os.path.join(HERE, 'corpus', name)
    shutil.rmtree(folder, ignore_errors=True)
    os.makedirs(folder)
    return folder


def pe(sections, behind=b''):
    """MS-DOS header, PE32+ headers and section table, sections at a 512-byte alignment."""
    table_at = 0x40 + 4 + 20 + 240
    headers_end = (table_at + 40 * len(sections) + 511) // 512 * 512
    file = bytearray(headers_end)
    file[0:2] = b'MZ'
    struct.pack_into('<I', file, 0x3C, 0x40)
    file[0x40:0x44] = b'PE\0\0'
    struct.pack_into('<HH', file, 0x44, 0x8664, len(sections))
    struct.pack_into('<H', file, 0x54, 240)
    struct.pack_into('<H', file, 0x58, 0x20B)
    struct.pack_into('<I', file, 0x58 + 60, headers_end)
    for i, (name, data) in enumerate(sections):
        header = table_at + 40 * i
        file[header:header + len(name)] = name
        if not data:
            continue
        raw = (len(data) + 511) // 512 * 512
        struct.pack_into('<II', file, header + 16, raw, len(file))
        file += data + bytes(raw - len(data))
    return bytes(file + behind)


def stub(behind=b''):
    def with_stamp(value):
        data = b'\xAA' * 8 + TAG + struct.pack('<IIB', value >> 32, value & 0xFFFFFFFF, 0) + b'\xAA' * 8
        return pe([(b'.text', b'\xC3' * 100), (b'.rdata', data), (b'.bss', b'')], behind)
    return with_stamp(len(with_stamp(0)))


def text(value):
    return value + b'\0'


def i32(value):
    return struct.pack('<i', value)


def package(title=b'', link=None, files=None, picture=b'\xFF\xD8\xFF\xD9'):
    p = text(title) + text(b'') + text(b'a\r\nb') + i32(5) + i32(1) + i32(3) + i32(0) + i32(0)
    if link:
        p += i32(1) + i32(2) + text(link) + text(b'')
    else:
        p += i32(-1)
    p += i32(-1 if files is None else 1) + i32(len(picture)) + picture
    if files is not None:
        p += i32(len(files))
        for name, contents in files:
            p += text(name) + i32(len(contents)) + contents
    return p


def program_file_seeds():
    out = fresh('program_file')
    symbols = b'\x11' * 180
    seeds = {
        'bare_stub': stub(),
        'stub_with_symbols': stub(symbols),
        'minimal': stub() + package(),
        'link_and_files': stub() + package(b'title', b'*\\readme.txt', [(b'a.txt', b'abc'), (b'docs\\b.bin', b'')]),
        'tag_in_title': stub() + package(TAG[:-1]),
        'enclosed_stub': stub() + package(files=[(b'vistello.exe', stub())]),
        'symbols_then_package': stub(symbols) + package(b't'),
    }
    for name, data in seeds.items():
        with open(os.path.join(out, name + '.exe'), 'wb') as f:
            f.write(data)


def run(command, scratch):
    subprocess.run(command, shell=True, check=True, cwd=scratch)


def picture_facts_seeds(scratch):
    out = fresh('picture_facts')
    run('convert -size 24x16 gradient:red-blue -depth 8 p.ppm', scratch)
    commands = {
        'baseline_420.jpg': 'cjpeg -quality 75 p.ppm',
        'baseline_444.jpg': 'cjpeg -sample 1x1 p.ppm',
        'baseline_422.jpg': 'cjpeg -sample 2x1 p.ppm',
        'baseline_440.jpg': 'cjpeg -sample 1x2 p.ppm',
        'sampling_411.jpg': 'cjpeg -sample 4x1 p.ppm',
        'chroma_22.jpg': 'cjpeg -sample 2x2,2x2 p.ppm',
        'grey.jpg': 'cjpeg -grayscale p.ppm',
        'progressive.jpg': 'cjpeg -progressive p.ppm',
        'progressive_restart.jpg': 'cjpeg -progressive -restart 1 p.ppm',
        'baseline_restart.jpg': 'cjpeg -restart 1 p.ppm',
        'extended_sof1.jpg': 'cjpeg -quality 10 p.ppm',
        'rgb.jpg': 'cjpeg -rgb p.ppm',
        'arithmetic.jpg': 'cjpeg -arithmetic p.ppm',
        'cmyk.jpg': 'convert p.ppm -colorspace CMYK jpg:-',
        'bmp_v3.bmp': 'convert p.ppm BMP3:-',
        'bmp_v5.bmp': 'convert p.ppm BMP:-',
        'bmp_rle8.bmp': 'convert p.ppm -colors 16 -compress RLE BMP3:-',
        'bmp_565.bmp': 'convert p.ppm -define bmp:subtype=RGB565 BMP:-',
    }
    for name, command in commands.items():
        data = subprocess.run(command, shell=True, check=True, cwd=scratch, capture_output=True).stdout
        with open(os.path.join(out, name), 'wb') as f:
            f.write(data)
        if name == 'baseline_420.jpg':
            with open(os.path.join(out, 'no_end_marker.jpg'), 'wb') as f:
                f.write(data[:-2])
            with open(os.path.join(out, 'cut_half.jpg'), 'wb') as f:
                f.write(data[:len(data) // 2])


def exif(big_endian, orientation, kind=3):
    order, e = (b'MM', '>') if big_endian else (b'II', '<')
    value = struct.pack(e + 'HH', orientation, 0) if kind == 3 else struct.pack(e + 'I', orientation)
    tiff = order + struct.pack(e + 'HI', 42, 8) + struct.pack(e + 'H', 1)
    tiff += struct.pack(e + 'HHI', 0x0112, kind, 1) + value + struct.pack(e + 'I', 0)
    body = b'Exif\0\0' + tiff
    return b'\xFF\xE1' + struct.pack('>H', len(body) + 2) + body


def exif_orientation_seeds(scratch):
    out = fresh('exif_orientation')
    jpeg = subprocess.run('cjpeg -quality 50 p.ppm', shell=True, check=True, cwd=scratch, capture_output=True).stdout
    jfif_end = 2 + struct.unpack('>H', jpeg[4:6])[0] + 2
    xmp = b'\xFF\xE1\x00\x0Ahttp:/ns'
    seeds = {
        'little_6.jpg': jpeg[:2] + exif(False, 6) + jpeg[2:],
        'big_8_after_jfif.jpg': jpeg[:jfif_end] + exif(True, 8) + jpeg[jfif_end:],
        'long_3_after_xmp.jpg': jpeg[:2] + xmp + exif(True, 3, kind=4) + jpeg[2:],
        'none.jpg': jpeg,
    }
    for name, data in seeds.items():
        with open(os.path.join(out, name), 'wb') as f:
            f.write(data)


def main():
    program_file_seeds()
    with tempfile.TemporaryDirectory() as scratch:
        picture_facts_seeds(scratch)
        exif_orientation_seeds(scratch)


if __name__ == '__main__':
    main()
