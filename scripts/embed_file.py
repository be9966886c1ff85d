#!/usr/bin/env python3
"""Compiles one file into a C++ function that returns its bytes, for a test that compares what it
measures with a committed table: embed_file.py OUTPUT.cpp FUNCTION FILE (a missing FILE is empty)."""
import os
import sys


def main():
    output, function, path = sys.argv[1:4]
    data = open(path, 'rb').read() if os.path.exists(path) else b''
    body = ','.join(str(b - 256 if b > 127 else b) for b in data) or '0'
    text = (f'// Made by scripts/embed_file.py from {os.path.basename(path)}: do not edit.\n'
            '#include <string_view>\n\n'
            f'std::string_view {function}() {{\n'
            f'    static const char data[] = {{{body}}};\n'
            f'    return std::string_view(data, {len(data)});\n'
            '}\n')
    if not os.path.exists(output) or open(output).read() != text:
        with open(output, 'w') as f:
            f.write(text)


if __name__ == '__main__':
    main()
