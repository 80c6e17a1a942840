#!/usr/bin/env bash
# Prints through a real print queue, the way a clerk's office printer is
# reached on Linux: installs CUPS and its PDF printer (cups-daemon, cups-client,
# printer-driver-cups-pdf), starts a CUPS daemon of its own on a Unix socket in
# a temporary folder (its own cupsd.conf, no TCP port), adds a CUPS-PDF queue
# and runs BUILD/bin/test_print_queue on it: the printer menu lists the queue,
# a page range of the transfer request form in 2 copies comes out of it as the
# PDF that CUPS-PDF writes, and a stopped queue and a vanished daemon are told
# to the user. The daemon is stopped, its folder removed and the PDF files the
# queue wrote are removed (or kept with --keep) on every way out.
#
# The daemon runs as root, as the CUPS-PDF backend needs: without root the
# script runs itself again through sudo when sudo asks no password. Where CUPS
# cannot start (no root, the packages cannot be installed, the daemon does not
# come up) it skips, saying why, and exits 0.
#
# usage: scripts/test-print-queue.sh [--build DIR] [--keep DIR]
#   --build DIR   the build folder holding bin/test_print_queue (default: build; folders are
#                 taken from the tree's top)
#   --keep DIR    keep in DIR the PDF files the queue wrote, the first page of each as
#                 PNG, and the pictures of pelanova-screenshots taken with the queue listed
set -euo pipefail
export PATH="$PATH:/usr/sbin:/sbin"
self="$(cd "$(dirname "$0")" && pwd)/$(basename "$0")"
cd "$(dirname "$self")/.."

readonly QUEUE=PDF
readonly PPD=/usr/share/ppd/cups-pdf/CUPS-PDF_opt.ppd

build=build
keep=""
while [ $# -gt 0 ]; do
    case "$1" in
        --build) build="${2:?--build needs a folder}"; shift ;;
        --keep) keep="${2:?--keep needs a folder}"; shift ;;
        -h|--help) sed -n '2,/^set -euo/{/^set -euo/d;s/^# \{0,1\}//;p}' "$0"; exit 0 ;;
        *) echo "test-print-queue: unknown argument $1" >&2; exit 2 ;;
    esac
    shift
done

skip() {
    echo "test-print-queue: SKIPPED: $*"
    exit 0
}

if [ "$(id -u)" -ne 0 ]; then
    if command -v sudo >/dev/null && sudo -n true 2>/dev/null; then
        exec sudo -n -- "$self" --build "$build" ${keep:+--keep "$keep"}
    fi
    skip "CUPS cannot start here: its daemon and the CUPS-PDF backend need root (no sudo that asks no password)"
fi

[ -z "$keep" ] || mkdir -p "$keep"
program="$build/bin/test_print_queue"
[ -x "$program" ] || { echo "test-print-queue: $program is missing; build first (scripts/build.sh)" >&2; exit 1; }

SECONDS=0
packages=(cups-daemon cups-client printer-driver-cups-pdf)
if ! install_log="$(scripts/install-deps.sh "${packages[@]}" 2>&1)"; then
    tail -n 20 <<<"$install_log"
    skip "CUPS cannot start here: ${packages[*]} could not be installed"
fi
installed=$SECONDS

# The folder CUPS-PDF writes into: Out of its fixed configuration, for the job's user.
home="$(getent passwd "$(id -un)" | cut -d: -f6)"
out="$(awk '$1 == "Out" { print $2 }' /etc/cups/cups-pdf.conf 2>/dev/null | tail -n 1)"
out="${out:-/var/spool/cups-pdf/\${USER\}}"
out="${out//\$\{HOME\}/$home}"
out="${out//\$\{USER\}/$(id -un)}"
pdfs() { find "$out" -maxdepth 1 -name '*.pdf' 2>/dev/null | sort || true; }
before="$(pdfs)"

dir=""
cupsd_pid=""
cleanup() {
    local rc=$?
    trap '' INT TERM HUP PIPE
    if [ -n "$cupsd_pid" ]; then
        kill -TERM "$cupsd_pid" 2>/dev/null || true
        wait "$cupsd_pid" 2>/dev/null || true
    fi
    local f
    pdfs | comm -13 <(printf '%s\n' "$before" | sed '/^$/d') - | while read -r f; do
        if [ -n "$keep" ]; then
            mv "$f" "$keep/"
            pdftoppm -png -r 60 -f 1 -l 1 -singlefile "$keep/$(basename "$f")" "$keep/$(basename "$f" .pdf)" \
                2>/dev/null || true
            echo "test-print-queue: kept $keep/$(basename "$f") and its first page as PNG"
        else
            rm -f "$f"
        fi
    done
    [ -z "$dir" ] || rm -rf "$dir"
    exit "$rc"
}
trap cleanup EXIT
trap 'exit 130' INT
trap 'exit 143' TERM
trap 'exit 129' HUP
trap 'exit 141' PIPE

# The queue's filters run as the user lp: the folder must be open to it.
dir="$(mktemp -d /tmp/pelanova-cups.XXXXXX)"
chmod 0755 "$dir"
mkdir "$dir"/{conf,spool,cache,state,tmp,log,run}
chmod 1777 "$dir/tmp"

cat >"$dir/cupsd.conf" <<EOF
Listen $dir/run/cups.sock
WebInterface No
Browsing No
LogLevel info
# A job whose filters fail ends; the queue goes on. The documents of the
# jobs stay in the spool folder for the test to read.
ErrorPolicy abort-job
PreserveJobFiles Yes
<Location />
  Order allow,deny
  Allow all
</Location>
<Location /admin>
  Order allow,deny
  Allow all
</Location>
EOF
cat >"$dir/cups-files.conf" <<EOF
ServerRoot $dir/conf
RequestRoot $dir/spool
CacheDir $dir/cache
StateDir $dir/state
TempDir $dir/tmp
AccessLog $dir/log/access_log
ErrorLog $dir/log/error_log
PageLog $dir/log/page_log
Printcap $dir/printcap
ServerBin /usr/lib/cups
DataDir /usr/share/cups
SystemGroup root
EOF

export CUPS_SERVER="$dir/run/cups.sock"
cupsd -f -c "$dir/cupsd.conf" -s "$dir/cups-files.conf" </dev/null >"$dir/log/cupsd.out" 2>&1 &
cupsd_pid=$!
for _ in $(seq 1 100); do
    lpstat -r 2>/dev/null | grep -q 'is running' && break
    if ! kill -0 "$cupsd_pid" 2>/dev/null; then
        cat "$dir/log/cupsd.out" "$dir/log/error_log" 2>/dev/null | tail -n 20
        wait "$cupsd_pid" 2>/dev/null || true
        cupsd_pid=""
        skip "CUPS cannot start here: cupsd ended at once"
    fi
    sleep 0.1
done
lpstat -r 2>/dev/null | grep -q 'is running' || skip "CUPS cannot start here: cupsd does not answer on $CUPS_SERVER"

lpadmin -p "$QUEUE" -E -v cups-pdf:/ -P "$PPD" 2>&1 | grep -v 'drivers are deprecated' || true
lpstat -p "$QUEUE" >/dev/null 2>&1 || { tail -n 20 "$dir/log/error_log"; echo "test-print-queue: no queue $QUEUE" >&2; exit 1; }
started=$SECONDS
echo "test-print-queue: CUPS daemon on $CUPS_SERVER with the CUPS-PDF queue $QUEUE (writes into $out)"

if [ -n "$keep" ]; then
    QT_QPA_PLATFORM=offscreen "$build/bin/pelanova-screenshots" "$keep" >/dev/null \
        && echo "test-print-queue: pictures of the windows in $keep (printer-menu.png lists $QUEUE)"
fi

rc=0
env QT_QPA_PLATFORM=offscreen PELANOVA_CUPS_QUEUE="$QUEUE" PELANOVA_CUPS_PDF_OUT="$out" \
    PELANOVA_CUPS_SPOOL="$dir/spool" PELANOVA_CUPSD_PID="$cupsd_pid" "$program" || rc=$?
if [ "$rc" -ne 0 ]; then
    echo "test-print-queue: the daemon's log ends:"
    tail -n 30 "$dir/log/error_log" 2>/dev/null | sed 's/^/    /'
fi
echo "test-print-queue: $((SECONDS)) s (packages ${installed} s, daemon and queue $((started - installed)) s, test $((SECONDS - started)) s)"
exit "$rc"
