#!/usr/bin/env bash
# Writes a program's manual page from TEMPLATE, putting the options its --help lists
# in place of the template's comment line `.\" the options of PROGRAM --help go here`,
# so the page never falls behind the program.
# --help lists one option a line, its description from column 31, continuations
# indented to that column.
#
#   man_page.sh PROGRAM TEMPLATE OUTPUT
set -euo pipefail
program=$1 template=$2 output=$3

options=$("$program" --help | awk '
    function roff(s) {
        gsub(/\\/, "\\e", s)
        gsub(/-/, "\\-", s)
        return s
    }
    /^  -/ {
        if (text != "") print text
        n = split(substr($0, 3, 28), words, " ")
        head = ""
        for (i = 1; i <= n; i++) {
            w = roff(words[i])
            head = head (i > 1 ? " " : "") (words[i] ~ /^-/ ? "\\fB" w "\\fR" : "\\fI" w "\\fR")
        }
        print ".TP"
        print head
        text = roff(substr($0, 31))
        sub(/^ +/, "", text)
        next
    }
    /^                              / && text != "" {
        line = $0
        sub(/^ +/, "", line)
        text = text " " roff(line)
        next
    }
    { if (text != "") print text; text = "" }
    END { if (text != "") print text }')
[[ -n $options ]] || { echo "man_page.sh: $program --help lists no options" >&2; exit 1; }

tmp=$output.tmp
grep -q '^\.\\" the options of .* --help go here$' "$template" ||
    { echo "man_page.sh: $template has no place for the options" >&2; exit 1; }
OPTIONS="$options" awk '/^\.\\" the options of .* --help go here$/ { print ENVIRON["OPTIONS"]; next } { print }' \
    "$template" >"$tmp"
mv "$tmp" "$output"
