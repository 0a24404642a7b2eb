#!/usr/bin/env bash
# The manual pages describe the programs' real options: every option (and
# every kelvoctl command) that a program's --help names appears in its page,
# and, where man is installed, the pages format without a warning.
#   manual_pages_test.sh MAN_DIR BIN_DIR
set -uo pipefail
man_dir=$1
bin=$2

failures=0
fail() {
    echo "FAIL: $*"
    failures=$((failures + 1))
}

# The page's text with roff's escaped minus signs as plain ones.
page_text() { sed 's/\\-/-/g' "$man_dir/$1.1"; }
# The options a --help text offers: those of its usage lines (up to the first
# empty line) and of the lines that describe an option ("  --name ..."), not
# those it mentions of other commands.
options_of() {
    awk 'NR == 1, /^$/ { print; next } /^  +-/ { print }' |
        grep -oE -- '(^|[ [(,|])--?[a-z][a-z-]*' | grep -oE -- '--?[a-z][a-z-]*' | sort -u
}

check_options() {
    local page=$1 text=$2 option
    shift 2
    for option in $("$@" | options_of); do
        grep -qE -- "(^|[^a-z-])$option([^a-z-]|$)" <<<"$text" || fail "$page.1 lacks $option ($*)"
    done
}

for program in kelvow32 kelvo-sim kelvoctl; do
    [[ -f $man_dir/$program.1 ]] || fail "no page $program.1"
    grep -q "^\.TH ${program^^}" <(page_text "$program" | sed 's/\\//g') || fail "$program.1 has no .TH ${program^^}"
done
check_options kelvow32 "$(page_text kelvow32)" "$bin/kelvow32" --help
check_options kelvo-sim "$(page_text kelvo-sim)" "$bin/kelvo-sim" --help
ctl=$(page_text kelvoctl)
check_options kelvoctl "$ctl" "$bin/kelvoctl" --help
for command in $("$bin/kelvoctl" --help | sed -n '/^Commands:/,$p' | awk 'NR > 1 && NF { print $1 }'); do
    grep -qE "^\.B $command( |$)" <<<"$ctl" || fail "kelvoctl.1 has no entry for $command"
    check_options kelvoctl "$ctl" "$bin/kelvoctl" "$command" --help
done

if command -v man >/dev/null; then
    for page in "$man_dir"/*.1; do
        warnings=$(LC_ALL=C.UTF-8 MANWIDTH=80 man --warnings -E UTF-8 -l -Tutf8 -Z "$page" 2>&1 >/dev/null)
        [[ -z $warnings ]] || fail "$(basename "$page"): $warnings"
    done
fi

[[ $failures -eq 0 ]] || exit 1
echo "manual pages: all options described"
