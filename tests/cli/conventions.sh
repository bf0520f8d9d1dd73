#!/usr/bin/env bash
# The README's button and menu through the real binary, with the program folder found
# from $HELLOVORNEL_HOME and styles given by name; pipes in and out; a batch's progress
# line on a real terminal.
set -euo pipefail
vornel=$1
appdata=$2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cp -r "$appdata"/. "$work/app"
export HELLOVORNEL_HOME="$work/app"
cd "$work"

fail() { echo "conventions.sh: $*" >&2; exit 1; }

# The one-command button of the README: a PNG whose corners are fully transparent and
# whose middle is opaque.
"$vornel" render --message 'Sign up' --style button_text --template-style button_blue \
  --box 1250 1900 400 900 --pad 8 --bold --font-height -27 --transparent -o signup.png >/dev/null
if command -v identify >/dev/null; then
  [ "$(identify -format '%m' signup.png)" = PNG ] || fail "signup.png is no PNG"
  corner=$(convert signup.png -format '%[fx:p{0,0}.a]' info:)
  middle=$(convert signup.png -format '%[fx:p{w/2,h/2}.a]' info:)
  [ "$corner" = 0 ] || fail "corner alpha $corner"
  [ "$middle" = 1 ] || fail "middle alpha $middle"
fi

# The message from a pipe, the picture into one: the same bytes as the file.
printf 'Sign up\n' | "$vornel" render --message - --style button_text --template-style button_blue \
  --box 1250 1900 400 900 --pad 8 --bold --font-height -27 --transparent --type png -o - >piped.png
cmp -s piped.png signup.png || fail "the piped picture differs from signup.png"

# The menu: eight buttons from a text list, all of one height.
printf '%s\n' Home Products Services Pricing Blog 'About us' Contact 'Sign up' >menu.txt
"$vornel" batch menu.txt --style button_text --template-style button_blue --box 1150 1300 400 900 \
  --pad 6 --bold --font-height -20 --clipblank 0 --transparent -o menu.png >names
[ "$(wc -l <names)" = 8 ] || fail "batch named $(wc -l <names) files"
if command -v identify >/dev/null; then
  heights=$(identify -format '%h\n' menu?.png | sort -u | wc -l)
  [ "$heights" = 1 ] || fail "the menu's buttons differ in height"
fi

# On a terminal the batch shows progress and a summary instead of the names.
if command -v script >/dev/null; then
  script -qec "'$vornel' batch menu.txt --style button_text --yes -o term.png" /dev/null >tty.out
  grep -q '\[8/8\]' tty.out || fail "no progress line: $(cat tty.out)"
  grep -q '8 files written' tty.out || fail "no summary: $(cat tty.out)"
fi
echo "conventions.sh: ok"
