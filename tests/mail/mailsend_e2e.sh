#!/bin/bash
# mailsend as a user runs it: under Xvfb, the message typed into its dialog,
# delivered to a local aiosmtpd. Exit 77 (skipped) without Xvfb or xdotool.
set -u
MAILSEND=$1
SINK=$2
for tool in xvfb-run xdotool /usr/bin/python3; do
  command -v "$tool" >/dev/null || { echo "no $tool"; exit 77; }
done
# Without any display, mailsend says the library is unusable (status 2)
# instead of dying inside it.
env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM "$MAILSEND"
RC=$?
[ $RC -eq 2 ] || { echo "mailsend without a display exited with $RC"; exit 1; }
WORK=$(mktemp -d)
trap 'exec 3>&-; rm -rf "$WORK"' EXIT
mkdir "$WORK/out"
head -c 5000 /dev/urandom > "$WORK/file one.bin"
mkfifo "$WORK/stdin"
/usr/bin/python3 "$SINK" "$WORK/out" < "$WORK/stdin" > "$WORK/port" &
exec 3> "$WORK/stdin"
# The waits are long for a machine loaded by a parallel test run; each
# ends as soon as what it waits for is there.
for i in $(seq 600); do grep -q PORT "$WORK/port" 2>/dev/null && break; sleep 0.1; done
PORT=$(awk '{print $2}' "$WORK/port")
[ -n "$PORT" ] || { echo "aiosmtpd did not start"; exit 1; }

cat > "$WORK/drive.sh" <<DRIVE
# The window must be on the X server to be typed into.
export QT_QPA_PLATFORM=xcb
export XDG_RUNTIME_DIR="$WORK"
export XDG_CONFIG_HOME="$WORK/config"
"$MAILSEND" "$WORK/file one.bin" &
MS=\$!
for i in \$(seq 600); do W=\$(xdotool search --name "E-Mail setting" 2>/dev/null | head -1); [ -n "\$W" ] && break; sleep 0.1; done
[ -n "\$W" ] || { kill \$MS; exit 1; }
xdotool windowfocus --sync \$W
xdotool type --delay 2 "bob@example.com"
xdotool key Tab; xdotool type --delay 2 "alice@example.org"
xdotool key Tab; xdotool type --delay 2 "127.0.0.1:$PORT"
xdotool key Tab; xdotool type --delay 2 "Typed subject"
xdotool key Tab; xdotool type --delay 2 "Line one"; xdotool key Return; xdotool type --delay 2 "."
xdotool key Tab; xdotool key space
wait \$MS
DRIVE
timeout 150 xvfb-run -a bash "$WORK/drive.sh"
RC=$?
[ $RC -eq 0 ] || { echo "mailsend exited with $RC"; exit 1; }
for i in $(seq 300); do [ -f "$WORK/out/0.json" ] && break; sleep 0.1; done
/usr/bin/python3 - "$WORK" <<'CHECK'
import json, sys, os
work = sys.argv[1]
m = json.load(open(os.path.join(work, "out", "0.json")))
assert m["subject"] == "Typed subject", m
assert m["rcpt_tos"] == ["bob@example.com"], m
assert m["text"].replace("\r\n", "\n") == "Line one\n.\n", repr(m["text"])
assert m["attachments"][0]["filename"] == "file one.bin", m
sent = open(os.path.join(work, "file one.bin"), "rb").read()
assert open(os.path.join(work, "out", "0.0.bin"), "rb").read() == sent
print("delivered:", m["subject"], m["attachments"])
CHECK
