#!/usr/bin/env bash
# The set-up's source entries, and the mirror the Debian 13 root comes from, on the two forms of
# APT configuration a Debian 12 may have.
# Prints "N passed, N failed" and exits non-zero on a failure.
set -uo pipefail
TLVR_SETUP_FUNCTIONS_ONLY=1 source "$(dirname "${BASH_SOURCE[0]}")/../../scripts/setup.sh"
TLVR_WINE10_FUNCTIONS_ONLY=1 source "$(dirname "${BASH_SOURCE[0]}")/../../scripts/wine10.sh"
passed=0; failed=0
check() {  # description, command...
  local what=$1; shift
  if "$@"; then passed=$((passed + 1)); else failed=$((failed + 1)); echo "FAILED: $what" >&2; fi
}
new_etc() { local etc; etc=$(mktemp -d); mkdir -p "$etc/sources.list.d"; echo "$etc"; }

DEB822='Types: deb
URIs: http://deb.debian.org/debian
Suites: bookworm bookworm-updates
Components: main
Signed-By: /usr/share/keyrings/debian-archive-keyring.gpg

Types: deb
URIs: http://deb.debian.org/debian-security
Suites: bookworm-security
Components: main
Signed-By: /usr/share/keyrings/debian-archive-keyring.gpg'

ONE_LINE='# deb cdrom:[Debian GNU/Linux 12.5.0 _Bookworm_ - Official amd64 NETINST]/ bookworm main
deb http://deb.debian.org/debian/ bookworm main non-free-firmware
deb http://security.debian.org/debian-security bookworm-security main non-free-firmware
  deb [arch=amd64 signed-by=/etc/apt/keyrings/x.gpg] http://deb.debian.org/debian/ bookworm-updates main
deb-src http://security.debian.org/debian-security bookworm-security main non-free-firmware'

# A cloud or container image: the deb822 file alone.
etc=$(new_etc); printf '%s\n' "$DEB822" > "$etc/sources.list.d/debian.sources"
write_source_lists "$etc"
check "deb822: a source copy with every stanza" \
  test "$(grep -c '^Types: deb-src$' "$etc/sources.list.d/debian-src.sources")" = 2
check "deb822: no one-line file" test ! -e "$etc/sources.list.d/debian-src.list"
rm -rf "$etc"

# A Debian installed with the Debian installer: one-line entries alone.
etc=$(new_etc); printf '%s\n' "$ONE_LINE" > "$etc/sources.list"
write_source_lists "$etc"
expected='deb-src http://deb.debian.org/debian/ bookworm main non-free-firmware
deb-src [arch=amd64 signed-by=/etc/apt/keyrings/x.gpg] http://deb.debian.org/debian/ bookworm-updates main'
check "one-line: a source line for each binary line without one, options kept" \
  test "$(cat "$etc/sources.list.d/debian-src.list")" = "$expected"
check "one-line: no deb822 copy" test ! -e "$etc/sources.list.d/debian-src.sources"
first=$(cat "$etc"/sources.list.d/*)
write_source_lists "$etc"
check "one-line: a second run changes nothing" test "$(cat "$etc"/sources.list.d/*)" = "$first"
rm -rf "$etc"

# Both forms, partly naming the same archives: every archive gets one source entry.
etc=$(new_etc); printf '%s\n' "$DEB822" > "$etc/sources.list.d/debian.sources"
printf '%s\n%s\n' "$ONE_LINE" 'deb http://ftp.example.org/debian bookworm contrib' > "$etc/sources.list"
write_source_lists "$etc"
check "both: only the archive the deb822 file lacks gets a one-line source entry" \
  test "$(cat "$etc/sources.list.d/debian-src.list")" = "deb-src http://ftp.example.org/debian bookworm contrib"
first=$(cat "$etc"/sources.list.d/*)
write_source_lists "$etc"
check "both: a second run changes nothing" test "$(cat "$etc"/sources.list.d/*)" = "$first"
rm -rf "$etc"

# Source entries already present: nothing to add.
etc=$(new_etc); printf 'deb http://deb.debian.org/debian bookworm main\ndeb-src http://deb.debian.org/debian/ bookworm main\n' > "$etc/sources.list"
write_source_lists "$etc"
check "present: no file written" test -z "$(ls "$etc/sources.list.d")"
rm -rf "$etc"

# The mirror for debootstrap: the first archive that is not the security one, in either form;
# Debian's own when the machine names none.
etc=$(new_etc); printf '%s\n' "$DEB822" > "$etc/sources.list.d/debian.sources"
check "mirror: deb822" test "$(debian_mirror "$etc")" = "http://deb.debian.org/debian"
printf 'URIs: http://security.debian.org/debian-security http://ftp.example.org/debian\n' \
  > "$etc/sources.list.d/debian.sources"
check "mirror: deb822, the security archive passed over" test "$(debian_mirror "$etc")" = "http://ftp.example.org/debian"
rm -rf "$etc"
etc=$(new_etc)
printf '%s\n' '# deb http://old.example.org/debian bookworm main' 'deb cdrom:[Debian 12]/ bookworm main' \
  'deb http://security.debian.org/debian-security bookworm-security main' \
  '  deb [arch=amd64 signed-by=/k.gpg] http://ftp.example.org/debian/ bookworm main' > "$etc/sources.list"
check "mirror: one-line, past comments, the CD, security and options" \
  test "$(debian_mirror "$etc")" = "http://ftp.example.org/debian/"
rm -rf "$etc"
etc=$(new_etc)
check "mirror: none named" test "$(debian_mirror "$etc")" = "http://deb.debian.org/debian"
rm -rf "$etc"

echo "$passed passed, $failed failed"
[ "$failed" -eq 0 ]
