#!/usr/bin/env bash
# scripts/check-levels.sh on two small trees: one whose includes the Levels table
# allows (direct, transitive, beside the file, Qt in the window), one where each file
# breaks exactly one rule, named by file and line.
set -euo pipefail
check=$(cd "$(dirname "$0")/../.." && pwd)/scripts/check-levels.sh
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

fail() { echo "levels.sh: $*" >&2; exit 1; }
put() { # put ROOT/FILE LINE...: writes the lines as the file
  mkdir -p "$(dirname "$1")"
  local file=$1
  shift
  printf '%s\n' "$@" >"$file"
}

ok=$work/ok
put "$ok/imageio/utf8.h" '#include <string>'
put "$ok/render/effects/effect_record.h" '#include "imageio/utf8.h"'
put "$ok/platform/host.h" '#include "imageio/utf8.h"' '#include <ft2build.h>'
put "$ok/core/job.h" '#include "render/effects/effect_record.h"' '#include "platform/host.h"'
put "$ok/core/job.cpp" '#include "job.h"'
put "$ok/render/canvas.h" '#include "core/job.h"'
put "$ok/core/output/save.h" '#include "render/canvas.h"' '#include "core/job.h"'
put "$ok/cli/verb.h" '#include "core/output/save.h"' '#include "imageio/utf8.h"'
put "$ok/ui/logic/page.h" '#include "core/output/save.h"' '#include "platform/host.h"'
put "$ok/ui/window.cpp" '#include "ui/logic/page.h"' '#include <QWidget>' '#include <QtCore/QString>'
put "$ok/data/tools/make.cpp" '#include "core/output/save.h"'
put "$ok/tests/support.h" '#include "cli/verb.h"' '#include "ui/window.cpp"'
put "$ok/tests/a_test.cpp" '#include "support.h"'
put "$ok/build/ui_autogen.cpp" '#include "cli/verb.h"' '#include <QObject>'
out=$("$check" "$ok") || fail "the allowed tree failed: $out"
[ "$out" = "levels: ok" ] || fail "the allowed tree printed: $out"

bad=$work/bad
put "$bad/imageio/a.cpp" '#include "imageio/utf8.h"' '#include "../core/job.h"'
put "$bad/render/effects/effect_record.cpp" '#include "render/canvas.h"'
put "$bad/platform/a.cpp" '// a comment' '#include "scratch.h"'
put "$bad/core/job.h" '#include "render/effects/blur.h"'
put "$bad/core/job.cpp" '#include <vector>' '#include "core/output/save.h"'
put "$bad/render/a.cpp" '#include <QImage>'
put "$bad/ui/logic/page.cpp" '#include "cli/verb.h"' '#include <QString>'
put "$bad/ui/window.cpp" '#include <QWidget>' '#include "cli/verb.h"'
put "$bad/data/tools/make.cpp" '#include "ui/logic/page.h"'
put "$bad/tests/a_test.cpp" '#include "cli/verb.h"' '#  include <QtCore/QString>'
want='core/job.cpp:2: vornel_core may not include core/output/save.h (vornel_output)
core/job.h:1: vornel_core may not include render/effects/blur.h (vornel_render)
data/tools/make.cpp:1: data/tools may not include ui/logic/page.h (vornel_ui_logic)
imageio/a.cpp:2: vornel_imageio may not include ../core/job.h (vornel_core)
platform/a.cpp:2: vornel_platform may not include scratch.h (no library)
render/a.cpp:1: vornel_render may not include QImage (Qt)
render/effects/effect_record.cpp:1: vornel_effect_record may not include render/canvas.h (vornel_render)
tests/a_test.cpp:2: tests may not include QtCore/QString (Qt)
ui/logic/page.cpp:1: vornel_ui_logic may not include cli/verb.h (vornel_cli)
ui/logic/page.cpp:2: vornel_ui_logic may not include QString (Qt)
ui/window.cpp:2: hellovornel may not include cli/verb.h (vornel_cli)'
status=0
out=$("$check" "$bad") || status=$?
[ "$status" -eq 1 ] || fail "the forbidden tree exited $status, not 1"
[ "$(sort <<<"$out")" = "$want" ] || fail "the forbidden tree printed:
$out"
echo "levels.sh: ok"
