#!/usr/bin/env python3
"""Compiles the tables of texts (src/texts/<tag>.texts) into a C++ file of byte arrays, so the
program needs no file beside it: embed_texts.py OUTPUT.cpp TABLE.texts..."""
import os
import sys


def main():
    output, tables = sys.argv[1], sys.argv[2:]
    lines = ['// Made by scripts/embed_texts.py from src/texts/*.texts: do not edit.',
             '#include "texts/texts.h"', '']
    entries = []
    for index, path in enumerate(sorted(tables)):
        tag = os.path.basename(path)[:-len('.texts')]
        data = open(path, 'rb').read()
        if data.startswith(b'\xef\xbb\xbf'):
            sys.exit(f'{path}: the tables are UTF-8 without a byte order mark')
        data.decode('utf-8')  # fails the build on a broken file
        body = ','.join(str(b - 256 if b > 127 else b) for b in data) or '0'
        lines.append(f'static const char kTable{index}[] = {{{body}}};')
        entries.append(f'    {{"{tag}", kTable{index}, {len(data)}}},')
    lines.append('const EmbeddedTextTable kEmbeddedTextTables[] = {')
    lines += entries
    lines.append('};')
    lines.append(f'const std::size_t kEmbeddedTextTableCount = {len(entries)};')
    text = '\n'.join(lines) + '\n'
    if not os.path.exists(output) or open(output).read() != text:
        with open(output, 'w') as f:
            f.write(text)


if __name__ == '__main__':
    main()
