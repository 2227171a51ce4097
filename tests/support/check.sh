# Sourced by the shell tests (tests/e2e_desktop, tests/install):
#   check DESCRIPTION COMMAND...   runs COMMAND and prints "ok: DESCRIPTION" or
#                                  "FAIL: DESCRIPTION"; failures counts the failed ones
failures=0
check() {
    local what=$1
    shift
    if "$@"; then
        echo "ok: $what"
    else
        echo "FAIL: $what"
        failures=$((failures + 1))
    fi
}
