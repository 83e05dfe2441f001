#!/bin/sh
# Runs a test program under an X server of its own (xvfb-run -a). xvfb-run
# can lose the race for a display number to another X server starting at the
# same moment; then the program never started, and another try finds a free
# number. -noreset: the server does not start over (refusing connections
# for a moment) each time one test's last connection closes.
marker=$(mktemp)
for attempt in 1 2 3; do
  rm -f "$marker"
  xvfb-run -a -s "-screen 0 1280x1024x24 -nolisten tcp -noreset" \
    sh -c 'touch "$0"; exec "$@"' "$marker" "$@"
  rc=$?
  if [ -e "$marker" ]; then
    rm -f "$marker"
    exit $rc
  fi
  sleep 1
done
echo "xvfb-run could not start an X server" >&2
exit 1
