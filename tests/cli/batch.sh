#!/usr/bin/env bash
# vornel batch and vornel size end to end: the real binary writes a numbered series,
# ImageMagick's identify confirms each file is the format its name claims, and the
# overwrite and failure rules give the exit statuses.
set -euo pipefail
vornel=$1
appdata=$2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cp -r "$appdata"/. "$work/app"

fail() { echo "batch.sh: $*" >&2; exit 1; }

printf 'Home\r\n<<br>>\r\nNews\r\n<<br>>\r\nAbout us\r\n<<br>>\r\n<<end>>\r\n' >"$work/list.blt"

out=$("$vornel" batch "$work/list.blt" --app-dir "$work/app" --pressed -o "$work/nav.jpg")
want=""
for i in 0 1 2; do want+="$work/nav$i.jpg"$'\n'"$work/nav${i}_.jpg"$'\n'; done
[ "$out"$'\n' = "$want" ] || fail "unexpected names: $out"

for type in gif16:GIF:gif gif256:GIF:gif bmp:BMP:bmp; do
  IFS=: read -r t magick ext <<<"$type"
  "$vornel" batch "$work/list.blt" --app-dir "$work/app" --type "$t" -o "$work/$t" >/dev/null
  for i in 0 1 2; do [ -s "$work/$t$i.$ext" ] || fail "no $work/$t$i.$ext"; done
done

if command -v identify >/dev/null; then
  for f in "$work"/nav0.jpg "$work"/nav2_.jpg "$work"/gif160.gif "$work"/gif2562.gif "$work"/bmp1.bmp; do
    fmt=$(identify -format '%m' "$f")
    case "$f:$fmt" in
      *.jpg:JPEG | *.gif:GIF | *.bmp:BMP | *.bmp:BMP3) ;;
      *) fail "identify says $fmt for $f" ;;
    esac
  done
  # Same height, growing width with the message length.
  w0=$(identify -format '%w' "$work/bmp0.bmp")
  w2=$(identify -format '%w' "$work/bmp2.bmp")
  [ "$w2" -gt "$w0" ] || fail "widths $w0 and $w2"
  colours=$(identify -format '%k' "$work/gif160.gif")
  [ "$colours" -le 16 ] || fail "16-colour GIF with $colours colours"
fi

# An existing first file stops the run; --yes overwrites.
if "$vornel" batch "$work/list.blt" --app-dir "$work/app" -o "$work/nav" 2>"$work/err" >/dev/null; then
  fail "existing nav0.jpg did not stop the run"
fi
grep -q 'exists' "$work/err" || fail "no message: $(cat "$work/err")"
"$vornel" batch "$work/list.blt" --app-dir "$work/app" --yes -o "$work/nav" >/dev/null

# A file that cannot be written is reported after the run, the others are written.
mkdir "$work/bad1.bmp"
if "$vornel" batch "$work/list.blt" --app-dir "$work/app" -o "$work/bad.bmp" >/dev/null 2>"$work/err"; then
  fail "a failed write exited 0"
fi
grep -q "not written: $work/bad1.bmp" "$work/err" || fail "failure not named: $(cat "$work/err")"
[ -s "$work/bad2.bmp" ] || fail "the run stopped at the failure"

# The estimate equals the file a render then saves.
size=$("$vornel" size --app-dir "$work/app" --message 'Hello Vornel!' --type bmp)
"$vornel" render --app-dir "$work/app" --message 'Hello Vornel!' --type bmp -o "$work/est" >/dev/null
[ "$size" = "$(stat -c %s "$work/est.bmp")" ] || fail "size $size against $(stat -c %s "$work/est.bmp")"
echo "batch.sh: ok"
