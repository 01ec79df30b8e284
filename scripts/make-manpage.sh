#!/usr/bin/env bash
# Writes the manual page of vesmarin-cli to stdout, made from the tool's own --help texts (the
# overview and one section per command), so the page cannot drift from the program.
#   make-manpage.sh PATH-TO-vesmarin-cli [DATE]
set -euo pipefail
cli=$1
date=${2:-$(date -u +%Y-%m-%d)}
version=$("$cli" --version | sed -n 's/^vesmarin-cli //p')
overview=$("$cli" --help)
commands=$(printf '%s\n' "$overview" | sed -n '/^Commands:/,/^$/s/^  \([a-z][a-z-]*\) .*/\1/p')

# Plain text as roff: backslashes, leading dots and quotes, and minus signs made literal.
roff() {
  sed -e 's/\\/\\e/g' -e 's/-/\\-/g' -e "s/^\\([.']\\)/\\\\\\&\\1/"
}
verbatim() {
  printf '.PP\n.nf\n'
  roff
  printf '.fi\n'
}

cat <<HEAD
.TH VESMARIN\\-CLI 1 "$date" "vesmarin\\-cli $version" "User Commands"
.SH NAME
vesmarin\\-cli \\- read 3G USB modems through their AT command port
.SH SYNOPSIS
.B vesmarin\\-cli
.I COMMAND
.RI [ ARGUMENTS ]
.br
.B vesmarin\\-cli
.B \\-\\-help
|
.B \\-\\-version
.SH DESCRIPTION
HEAD
printf '%s\n' "$overview" | sed '1{/^usage:/d}' | sed '1{/^$/d}' | verbatim
echo ".SH COMMANDS"
for command in $commands; do
  echo ".SS $command"
  "$cli" "$command" --help | verbatim
done
cat <<'TAIL'
.SH PERMISSIONS
On Linux the modem's ports are /dev/ttyUSB* or /dev/ttyACM* and belong to the group
.BR dialout :
add your user to it
.RB ( "adduser USER dialout" ,
then log in again) to read and write them without root.
A program that keeps the port open, such as a modem manager or a dialer, must let go of it
first.
TAIL
