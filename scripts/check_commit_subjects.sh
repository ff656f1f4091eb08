#!/usr/bin/env bash
# Commit subjects are at most 72 characters: `git log --oneline` and mail tools show no more.
# The rule holds for every commit after the one that introduced it; older history stays as it
# was written.
#     check_commit_subjects.sh [REPOSITORY]      checks REPOSITORY (default: this checkout)
#     check_commit_subjects.sh --self-test       shows, on a repository of its own, that the
#                                                check passes and fails where it should
# Without git, outside a checkout, or in a clone that lacks the first commit of the rule, it
# says that it checked nothing and passes.
set -euo pipefail
export LC_ALL=C.UTF-8  # lengths in characters, not bytes

BASE=d650041
LIMIT=72

# check REPOSITORY BASE: prints each subject over the limit; status 1 when there is one.
check() {
    local repo=$1 base=$2 hash subject bad=0
    if ! command -v git >/dev/null; then
        echo "commit subjects: not checked, git is not installed"
        return 0
    fi
    if [[ $(git -C "$repo" rev-parse --is-inside-work-tree 2>/dev/null) != true ]]; then
        echo "commit subjects: not checked, $repo is not a git checkout"
        return 0
    fi
    if ! git -C "$repo" rev-parse --quiet --verify "$base^{commit}" >/dev/null; then
        echo "commit subjects: not checked, this clone lacks commit $base"
        return 0
    fi
    while IFS=' ' read -r hash subject; do
        if ((${#subject} > LIMIT)); then
            echo "commit $hash: subject of ${#subject} characters (at most $LIMIT): $subject"
            bad=1
        fi
    done < <(git -C "$repo" log --no-merges --format='%h %s' "$base..HEAD")
    ((bad == 0)) && echo "commit subjects: at most $LIMIT characters since $base"
    return "$bad"
}

self_test() {
    local dir status
    dir=$(mktemp -d)
    trap 'rm -rf "$dir"' RETURN
    local long='Subject of seventy-three characters, one more than the rule lets a commit'
    local exact='Subject of exactly seventy-two characters, the most that the rule allows'
    ((${#long} == LIMIT + 1 && ${#exact} == LIMIT)) || { echo "self-test: bad samples"; return 1; }
    g() { git -C "$dir" -c user.name=t -c user.email=t@t -c commit.gpgsign=false "$@"; }
    g init -q
    g commit -q --allow-empty -m "$long (before the rule: allowed)"
    local base
    base=$(g rev-parse HEAD)
    g commit -q --allow-empty -m "$exact"
    g commit -q --allow-empty -m "Straße, Größe: ${exact:15}"  # characters, not bytes
    check "$dir" "$base" >/dev/null || { echo "self-test: a passing history failed"; return 1; }
    g commit -q --allow-empty -m "$long"
    status=0
    check "$dir" "$base" >"$dir.out" || status=$?
    if ((status == 0)) || ! grep -q "73 characters" "$dir.out"; then
        echo "self-test: a subject of 73 characters passed"
        rm -f "$dir.out"
        return 1
    fi
    rm -f "$dir.out"
    check "$dir" 0123456789abcdef >/dev/null ||
        { echo "self-test: a clone without the base failed"; return 1; }
    check "$dir/.git/objects" "$base" | grep -q "not checked" ||
        { echo "self-test: a folder outside a checkout was checked"; return 1; }
    echo "commit subjects self-test: passes at $LIMIT, fails at $((LIMIT + 1)), skips without base"
}

if [[ ${1:-} == --self-test ]]; then
    self_test
else
    check "${1:-$(cd "$(dirname "$0")/.." && pwd)}" "$BASE"
fi
