#!/usr/bin/env bash
# The bash completion of kelvoctl in a plain bash (without the bash-completion
# package's helpers): it loads, completes commands, options and option values,
# and knows every command and option kelvoctl's own help names.
#   completion_test.sh KELVOCTL COMPLETION_FILE
set -uo pipefail
kelvoctl=$1
source "$2" || { echo "FAIL: the completion script does not load"; exit 1; }
complete -p kelvoctl >/dev/null || { echo "FAIL: no completion registered for kelvoctl"; exit 1; }

failures=0
fail() {
    echo "FAIL: $*"
    failures=$((failures + 1))
}

# Completes the words of a command line whose last word is being typed, with
# COMP_WORDS split as readline splits them ("=" is a word of its own).
complete_line() {
    COMP_WORDS=("$@")
    COMP_CWORD=$((${#COMP_WORDS[@]} - 1))
    COMPREPLY=()
    _kelvoctl
    printf '%s\n' "${COMPREPLY[@]}" | sort | tr '\n' ' ' | sed 's/ $//'
}

expect() {
    local want=$1
    shift
    local got
    got=$(complete_line "$@")
    [[ $got == "$want" ]] || fail "'$*': got '$got', want '$want'"
}

expect "show" kelvoctl sh
expect "scan set show snapshots" kelvoctl s
expect "program program-device" kelvoctl help pro
expect "--format" kelvoctl diff --fo
expect "json text" kelvoctl diff --device /dev/ttyUSB0 --format ""
expect "csv json" kelvoctl export --format = ""
expect "json" kelvoctl export --format = j
expect "cancel no yes" kelvoctl program --answer ""
expect "115200 19200 57600" kelvoctl get --baud ""
expect "--keys" kelvoctl show --k
expect "" kelvoctl nosuchcommand --
# Nothing after a command's argument that the completion cannot know.
expect "" kelvoctl set --port ""

# Data files (and folders) where a command takes one; other files are left out.
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
mkdir "$scratch/sub"
touch "$scratch/a.dat" "$scratch/B.KELVO" "$scratch/notes.txt"
expect "$scratch/B.KELVO $scratch/a.dat $scratch/sub" kelvoctl show "$scratch/"

# The options a --help text offers: those of its usage lines (up to the first
# empty line) and of the lines that describe an option ("  --name ..."), not
# those it mentions of other commands.
options_of() {
    awk 'NR == 1, /^$/ { print; next } /^  +-/ { print }' |
        grep -oE -- '(^|[ [(,|])--?[a-z][a-z-]*' | grep -oE -- '--?[a-z][a-z-]*' | sort -u
}

# Every command and every option kelvoctl's help offers can be completed.
commands=$("$kelvoctl" --help | sed -n '/^Commands:/,$p' | awk 'NR > 1 && NF { print $1 }')
[[ -n $commands ]] || fail "kelvoctl --help lists no commands"
for command in $commands; do
    [[ " $(complete_line kelvoctl "") " == *" $command "* ]] || fail "command $command not completed"
    offered=" $(complete_line kelvoctl "$command" -) "
    for option in $("$kelvoctl" "$command" --help | options_of); do
        [[ $offered == *" $option "* ]] || fail "$command: option $option not completed"
    done
done

[[ $failures -eq 0 ]] || exit 1
echo "completion: all cases pass"
