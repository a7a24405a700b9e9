#!/usr/bin/env bash
# Prints the non-blank lines of the product (src/, standins/) and of the tests
# (tests/, fuzz/): C++ sources and headers, the shell scripts that drive a
# program end to end and the scenario table they run; and the tests' share.
set -euo pipefail
cd "$(dirname "$0")/.."
count() { git ls-files -- "$@" | grep -E '(\.(cpp|h|sh)|scenarios\.txt)$' | xargs -r cat | grep -c -v -E '^\s*$'; }
product=$(count src standins)
tests=$(count tests fuzz)
echo "product (src/, standins/): $product lines"
echo "tests (tests/, fuzz/):     $tests lines"
echo "share: $((100 * tests / product))% of the product"
