#!/bin/sh
# Writes a program's man page (gzipped) from its --help with help2man.
#   make-man.sh PROGRAM OUTPUT.1.gz INCLUDE.h2m NAME-LINE [VERSION]
# INCLUDE.h2m holds the sections --help has no room for. A program with
# subcommands also gets a COMMANDS section: every command's own --help, so the
# page follows the program as it gains commands. VERSION is for a program
# without --version.
set -eu
prog=$1 out=$2 include=$3 name=$4 version=${5:-}
export LC_ALL=C.UTF-8
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# The left column of each entry under a help heading ("Subcommands:").
entries()
{
    awk -v heading="$1:" '
        /^[^ ]/ { inside = ($0 == heading); next }
        inside && /^  [^ ]/ { sub(/^  /, ""); n = index($0, "  "); print (n ? substr($0, 1, n - 1) : $0) }'
}

# One command's --help as roff: its usage line as a subsection heading, its
# description, then its positionals and options (the footer is the main
# page's). Help's own -h,--help is left out.
command_roff()
{
    awk '
        function roff(s) {
            gsub(/\\/, "\\e", s); gsub(/-/, "\\-", s)
            if (s ~ /^[.\047]/) s = "\\&" s
            return s
        }
        NR == 1 { description = $0; next }
        /^Usage: / { sub(/^Usage: /, ""); print ".SS \"" roff($0) "\""; print roff(description); next }
        /^[^ ]/ { inside = ($0 == "Positionals:" || $0 == "Options:"); next }
        !inside || /^ *$/ { next }
        /^  [^ ]/ {
            sub(/^  /, "")
            n = index($0, "  ")
            left = n ? substr($0, 1, n - 1) : $0
            text = n ? substr($0, n) : ""
            skip = (left == "-h,--help")
            if (skip) next
            sub(/^ +/, "", text)
            print ".TP"; print "\\fB" roff(left) "\\fR"
            if (text != "") print roff(text)
            next
        }
        !skip { sub(/^ +/, ""); print roff($0) }'
}

commands()
{
    subs=$("$prog" "$@" --help | entries Subcommands)
    if [ -z "$subs" ]; then
        "$prog" "$@" --help | command_roff
        return
    fi
    for sub in $subs; do
        commands "$@" "$sub"
    done
}

set -- --no-info --locale=C.UTF-8 --section=1 --name="$name" --include="$include"
if "$prog" --help | grep -qx 'Subcommands:'; then
    { echo '[COMMANDS]'; commands; } >"$work/commands.h2m"
    set -- "$@" --include="$work/commands.h2m"
fi
[ -n "$version" ] && set -- "$@" --version-string="$version"
help2man "$@" --output="$work/page.1" "$prog"
# roff has a name for the superscript two of I²C; older man readers lack UTF-8.
sed 's/²/\\(S2/g' "$work/page.1" | gzip -9n >"$out"
