# Shared by the package checks: failures are counted, not fatal, so that one
# run reports every difference; finish exits non-zero if there was any.

failures=0

fail() {
  echo "FAIL: $*" >&2
  failures=$((failures + 1))
}

# expect_contains WHAT TEXT NEEDLE
expect_contains() {
  [[ $2 == *"$3"* ]] || fail "$1: no «$3» in:"$'\n'"$2"
}

# expect_equal WHAT ACTUAL EXPECTED
expect_equal() {
  [[ $2 == "$3" ]] || fail "$1: got «$2», expected «$3»"
}

finish() {
  if [ "$failures" -ne 0 ]; then
    echo "$failures check(s) failed" >&2
    exit 1
  fi
  echo "all checks passed"
}

scratch=$(mktemp -d "${TMPDIR:-/tmp}/snesenie-check.XXXXXX")
trap 'rm -rf "$scratch"' EXIT
