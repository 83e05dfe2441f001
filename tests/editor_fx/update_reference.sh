#!/usr/bin/env bash
# Draws the editor's pages again into tests/editor_fx/data/ (plugin_page.png,
# scope_page.png, about_page.png), after a change of the layout or the
# artwork (tools/make_artwork.py).
set -euo pipefail
cd "$(dirname "$0")/../.."
build="${HB_BUILD_DIR:-build}"
cmake --build "$build" --target editor_fx_tests -j6
HB_UPDATE_EDITOR_REFERENCE=1 "$build/tests/editor_fx/editor_fx_tests" \
  --gtest_filter='Screenshot.*MatchesTheReferencePicture'
