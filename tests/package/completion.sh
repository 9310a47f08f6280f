#!/usr/bin/env bash
# Drives tallyport-cli's bash completion as Tab does and checks what it offers.
#   completion.sh FILE DIR  the completion file, with tallyport-cli in DIR
#   completion.sh --loader  the installed one, found by bash-completion's loader
set -euo pipefail
[ $# -gt 1 ] && PATH=$2:$PATH

source_line=". '$1'"
[ "$1" = --loader ] &&
    source_line='. /usr/share/bash-completion/bash_completion && __load_completion tallyport-cli'
files=$(mktemp -d)
trap 'rm -rf "$files"' EXIT
touch "$files/image.hex" "$files/image.bin" "$files/other.txt"

# The words before the cursor, the last one being completed; one word per line out.
offers()
{
    bash --norc --noprofile -c "$source_line"'
        function=$(complete -p tallyport-cli | sed -n "s/.* -F \([^ ]*\) .*/\1/p")
        [ -n "$function" ] || { echo "no completion for tallyport-cli" >&2; exit 1; }
        COMP_WORDS=("$@"); COMP_CWORD=$(($# - 1))
        COMP_LINE="$*"; COMP_POINT=${#COMP_LINE}
        "$function" "$1" "${COMP_WORDS[COMP_CWORD]}" "${COMP_WORDS[COMP_CWORD - 1]}"
        ((${#COMPREPLY[@]} == 0)) || printf "%s\n" "${COMPREPLY[@]}"' _ tallyport-cli "$@" | sort | tr '\n' ' '
}

failed=0
# expected offers (sorted) | the words typed
while IFS='|' read -r want typed; do
    eval "words=($typed)"
    got=$(offers "${words[@]}")
    if [ "$got" = "$want" ]; then
        echo "ok    tallyport-cli $typed<Tab> -> $got"
    else
        echo "FAIL  tallyport-cli $typed<Tab> -> '$got', expected '$want'"
        failed=1
    fi
done <<EOF2
eeprom |ee
read verify write |eeprom ''
--version |--v
bench |scan -a be
bench |eeprom write --size 1K -a b
--bench-state |eeprom read --bench-s
--trace |get -a bench --tr
--repeat |run -a bench --sequence 03 --rep
$files/image.bin $files/image.hex |eeprom read -a bench --size 1K $files/im
$files/image.bin $files/image.hex |scan --bench-state $files/im
|get -a bench --count ''
EOF2
exit $failed
