#!/usr/bin/env bash
# The bash completion of trovel-cli offers commands, each command's options,
# code pages, and .arc files for the archive operand.
#   CompleteTrovelCli.sh BASH-COMPLETION-SCRIPT TROVEL-CLI-COMPLETION
set -uo pipefail
source "$1"
source "$2"
cd "$(mktemp -d)" || exit 1
trap 'rm -rf "$PWD"' EXIT
mkdir games && touch games/a.arc games/b.txt

status=0
expect() {
    local want=$1
    shift
    COMP_WORDS=("$@")
    COMP_CWORD=$((${#COMP_WORDS[@]} - 1))
    COMP_LINE="$*"
    COMP_POINT=${#COMP_LINE}
    COMPREPLY=()
    _trovel_cli
    if [[ "${COMPREPLY[*]}" != "$want" ]]; then
        echo "[$*] offers '${COMPREPLY[*]}', not '$want'"
        status=1
    fi
}
expect "extract extract-all" trovel-cli ex
expect "1250 1251 1252 1253 1254 1255 1256 1257 1258" trovel-cli list --codepage 125
expect "utf-8" trovel-cli test a.arc --codepage=u
expect "games/a.arc" trovel-cli list -i games/
expect "--skip-old-files" trovel-cli extract-all a.arc out --sk
expect "--long" trovel-cli list a.arc --l
expect "" trovel-cli test a.arc --lo
exit $status
