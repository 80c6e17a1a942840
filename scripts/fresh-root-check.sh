#!/usr/bin/env bash
# Checks the README's two commands on a fresh Debian 12 system.
#
# Makes a minimal bookworm root with debootstrap (--variant=minbase), puts the
# committed tree (HEAD, not the work tree, no build/) into it as /root/pelanova and,
# as root inside it with nothing installed by hand:
#   1. runs scripts/test.sh, which must pass, its print queue test included (not skipped);
#   2. runs scripts/run.sh on an Xvfb of the root's own and checks that the main
#      window "Pelanova（全銀協対応）" appears and that the empty database
#      ~/.local/share/pelanova/data/FBDB.db was created, then ends the program;
#   3. builds the Debian package with scripts/package.sh, installs it with
#      apt-get install ./pelanova_<version>_amd64.deb into a second root, a copy
#      of the fresh root taken before anything was installed, validates its
#      desktop entry and starts the installed program there (its main window,
#      and its database in the user's folder).
# /proc, /sys, /dev and /dev/pts are mounted into the roots and unmounted again on
# every way out (failure, Ctrl-C, TERM), lazily if busy; the roots are removed unless
# --keep is given. Of the host's own packages, only debootstrap is installed when missing.
#
# usage: scripts/fresh-root-check.sh [--keep] [--root DIR] [--stop-after root|test] [--skip-test]
#   --keep          keep the root (its path is printed at the end)
#   --root DIR      make the root in DIR instead of a new folder under /var/tmp; DIR is kept.
#                   A root kept from an earlier run is reused as it is (no debootstrap, no new
#                   copy): for working on this script only, as it is no longer fresh
#   --stop-after P  stop after making the root (root), after the test command (test) or
#                   after the run.sh check (run)
#   --skip-test     with a reused root: go straight to the run.sh check
# The mirror is taken from the host's apt sources (FRESH_ROOT_MIRROR overrides it).
set -euo pipefail
export PATH="$PATH:/usr/sbin:/sbin"

readonly TITLE="Pelanova（全銀協対応）"
readonly SUITE=bookworm
readonly WINDOW_WAIT=300   # seconds for run.sh to (re)build, create the database and show the window

if [ "$(id -u)" -ne 0 ]; then
    command -v sudo >/dev/null || { echo "fresh-root-check: needs root (mount, chroot)" >&2; exit 1; }
    exec sudo "$0" "$@"
fi

keep=0
root_arg=""
stop_after=""
skip_test=0
while [ $# -gt 0 ]; do
    case "$1" in
        --keep) keep=1 ;;
        --root) root_arg="${2:?--root needs a folder}"; shift ;;
        --stop-after) stop_after="${2:?--stop-after needs root or test}"; shift ;;
        --skip-test) skip_test=1 ;;
        -h|--help) sed -n '2,/^set -euo/{/^set -euo/d;s/^# \{0,1\}//;p}' "$0"; exit 0 ;;
        *) echo "fresh-root-check: unknown argument $1" >&2; exit 2 ;;
    esac
    shift
done
case "$stop_after" in ""|root|test|run) ;; *) echo "fresh-root-check: --stop-after root|test|run" >&2; exit 2 ;; esac

repo="$(cd "$(dirname "$0")/.." && pwd)"

log() { printf '[fresh-root %s] %s\n' "$(date +%H:%M:%S)" "$*"; }
fail() { printf '[fresh-root] FAILED: %s\n' "$*" >&2; exit 1; }

# --- state for the way out ---------------------------------------------------
work=""          # folder holding the roots and the logs
root=""          # the root the tree is built and run in (canonical path)
iroot=""         # the root the package is installed into
remove_work=0    # 1 once $work is ours to remove
mounts=()        # what this script mounted, in order
cleaned=0

# Processes whose root is one of the roots: all of them were started by this script.
root_pids() {
    local p r
    for p in /proc/[0-9]*; do
        r="$(readlink "$p/root" 2>/dev/null)" || continue
        if [ -n "$root" ] && [ "$r" = "$root" ] || [ -n "$iroot" ] && [ "$r" = "$iroot" ]; then
            echo "${p#/proc/}"
        fi
    done
    return 0
}

stop_root_processes() {
    [ -n "$root" ] || return 0
    local pids i
    pids="$(root_pids)"
    [ -n "$pids" ] || return 0
    kill -TERM $pids 2>/dev/null || true
    for i in 1 2 3 4 5 6 7 8 9 10; do
        pids="$(root_pids)"
        [ -n "$pids" ] || return 0
        sleep 0.5
    done
    kill -KILL $pids 2>/dev/null || true
    sleep 0.5
}

mounted_below_root() {
    [ -n "$work" ] || return 0
    awk -v r="$work/" 'index($5, r) == 1 { print $5 }' /proc/self/mountinfo | sort -r
}

unmount_all() {
    local i m ok=0
    for ((i = ${#mounts[@]} - 1; i >= 0; i--)); do
        m="${mounts[i]}"
        umount "$m" 2>/dev/null || umount -l "$m" || { echo "fresh-root-check: cannot unmount $m" >&2; ok=1; }
    done
    mounts=()
    # Anything else left below the roots (the order above covers what this script mounted).
    for m in $(mounted_below_root); do
        umount "$m" 2>/dev/null || umount -l "$m" || { echo "fresh-root-check: cannot unmount $m" >&2; ok=1; }
    done
    return $ok
}

cleanup() {
    [ "$cleaned" -eq 0 ] || return 0
    cleaned=1
    trap '' INT TERM HUP
    local ok=0
    stop_root_processes
    unmount_all || ok=1
    if [ -n "$work" ] && [ "$remove_work" -eq 1 ] && [ "$keep" -eq 0 ]; then
        if [ -n "$(mounted_below_root)" ]; then
            echo "fresh-root-check: still mounted below $work; not removing it" >&2
            ok=1
        else
            rm -rf --one-file-system "$work" || ok=1
        fi
    elif [ -n "$root" ]; then
        log "kept the roots: $root and $iroot (logs in $work)"
    fi
    return $ok
}

on_exit() {
    local rc=$?
    cleanup || { [ "$rc" -ne 0 ] || rc=1; }
    exit "$rc"
}
trap on_exit EXIT
trap 'echo "fresh-root-check: interrupted" >&2; exit 130' INT
trap 'echo "fresh-root-check: terminated" >&2; exit 143' TERM
trap 'exit 129' HUP
trap 'echo "fresh-root-check: stopped at line $LINENO: $BASH_COMMAND" >&2' ERR

# --- helpers -------------------------------------------------------------------
root_env=(HOME=/root LANG=C.UTF-8 TERM=dumb
          PATH=/usr/local/sbin:/usr/local/bin:/usr/sbin:/usr/bin:/sbin:/bin)
# A host that reaches the internet through a TLS-inspecting proxy names its
# certificates for Node.js; the root trusts the same ones, as it uses the
# host's name servers (npm fetches the public bank master over HTTPS).
host_ca=""
if [ -n "${NODE_EXTRA_CA_CERTS:-}" ] && [ -r "$NODE_EXTRA_CA_CERTS" ]; then
    host_ca="$NODE_EXTRA_CA_CERTS"
    root_env+=(NODE_EXTRA_CA_CERTS=/etc/ssl/host-ca.crt)
fi
readonly root_env

# Runs a command as root inside a root with a clean environment and no stdin.
# It runs as a job so that a signal reaches this script's traps at once.
in_chroot() {   # in_chroot ROOT command...
    local r="$1"
    shift
    chroot "$r" /usr/bin/env -i "${root_env[@]}" "$@" </dev/null &
    wait $!
}
in_root() { in_chroot "$root" "$@"; }
in_iroot() { in_chroot "$iroot" "$@"; }

host_mirror() {
    if [ -n "${FRESH_ROOT_MIRROR:-}" ]; then
        echo "$FRESH_ROOT_MIRROR"
        return
    fi
    local f
    {
        for f in /etc/apt/sources.list.d/*.sources; do
            [ ! -e "$f" ] || awk 'tolower($1) == "uris:" { for (i = 2; i <= NF; i++) print $i }' "$f"
        done
        for f in /etc/apt/sources.list /etc/apt/sources.list.d/*.list; do
            [ ! -e "$f" ] || awk '$1 == "deb" { for (i = 2; i <= NF; i++) if ($i ~ /^[a-z+]+:\/\//) { print $i; break } }' "$f"
        done
    } | grep -m 1 -E '/debian/?$' || true
}

phase_start=0
declare -a phase_times=()
phase() { phase_start=$SECONDS; log "$*"; }
phase_done() {
    local took=$((SECONDS - phase_start))
    phase_times+=("$(printf '%-12s %4d s' "$1" "$took")")
    log "$1 done in ${took} s"
}
report_times() {
    local t
    log "times (wall clock):"
    for t in "${phase_times[@]}"; do echo "    $t"; done
    echo "    $(printf '%-12s %4d s' total "$SECONDS")"
}

mount_into() {   # mount_into ROOT TARGET mount-arguments...
    local target="$1/$2"
    shift 2
    mkdir -p "$target"
    mount "$@" "$target"
    mounts+=("$target")
}

# /proc, /sys, /dev, /dev/pts and the host's name servers, for apt-get and the programs.
ready_root() {   # ready_root ROOT
    rm -f "$1/etc/resolv.conf"
    cp -L /etc/resolv.conf "$1/etc/resolv.conf"
    if [ -n "$host_ca" ]; then
        mkdir -p "$1/etc/ssl"
        cp -L "$host_ca" "$1/etc/ssl/host-ca.crt"
    fi
    mount_into "$1" proc -t proc proc
    mount_into "$1" sys -t sysfs sysfs
    mount_into "$1" dev --bind /dev
    mount_into "$1" dev/pts --bind /dev/pts
}

# Starts an Xvfb of the root's own; sets display and xvfb_pid.
start_xvfb() {   # start_xvfb ROOT NAME
    : >"$work/$2.display"
    chroot "$1" /usr/bin/env -i "${root_env[@]}" Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp \
        3>"$work/$2.display" </dev/null >"$work/$2.xvfb.log" 2>&1 &
    xvfb_pid=$!
    display=""
    for _ in $(seq 1 50); do
        display="$(tr -dc 0-9 <"$work/$2.display")"
        [ -n "$display" ] && break
        kill -0 "$xvfb_pid" 2>/dev/null || { cat "$work/$2.xvfb.log" >&2; fail "Xvfb did not start"; }
        sleep 0.2
    done
    [ -n "$display" ] || { cat "$work/$2.xvfb.log" >&2; fail "Xvfb gave no display number"; }
    log "Xvfb on :$display"
}

# The main window: a viewable top-level window with the program's title and a main
# window's size (an error box at start has the same title but is small).
main_window_shown() {   # main_window_shown ROOT
    local id line
    for id in $(in_chroot "$1" xwininfo -display ":$display" -root -children 2>/dev/null \
                | grep -F "\"$TITLE\"" | awk '{ print $1 }'); do
        line="$(in_chroot "$1" xwininfo -display ":$display" -id "$id" 2>/dev/null)" || continue
        grep -q 'Map State: IsViewable' <<<"$line" || continue
        [ "$(awk '/^ *Width:/ { print $2 }' <<<"$line")" -ge 640 ] || continue
        window_info="$(grep -E '^ *(Width|Height):' <<<"$line" | tr -s ' \n' ' ')"
        return 0
    done
    return 1
}

# Waits for the main window of the program started as app_pid; fails when it ends first.
wait_for_main_window() {   # wait_for_main_window ROOT LOG WHAT
    window_info=""
    local shown=0
    for _ in $(seq 1 "$WINDOW_WAIT"); do
        if ! kill -0 "$app_pid" 2>/dev/null; then
            cat "$2" >&2
            fail "$3 ended before the main window appeared"
        fi
        if main_window_shown "$1"; then shown=1; break; fi
        sleep 1
    done
    if [ "$shown" -eq 0 ]; then
        cat "$2" >&2
        in_chroot "$1" xwininfo -display ":$display" -root -children >&2 || true
        fail "no main window \"$TITLE\" within $WINDOW_WAIT s"
    fi
    log "main window \"$TITLE\" is shown ($window_info)"
}

# The empty database the program prepares on its first start.
check_new_database() {   # check_new_database PATH-IN-ROOT ROOT LOG
    local db="$2$1"
    [ -s "$db" ] || { cat "$3" >&2; fail "no database $1"; }
    [ "$(head -c 15 "$db")" = "SQLite format 3" ] || fail "$1 is not an SQLite database"
    log "empty database $1 created ($(stat -c %s "$db") bytes)"
}

stop_program() {
    kill -TERM "$app_pid"
    wait "$app_pid" 2>/dev/null || true
    kill -TERM "$xvfb_pid" 2>/dev/null || true
    wait "$xvfb_pid" 2>/dev/null || true
}

# --- the root --------------------------------------------------------------------
SECONDS=0
command -v git >/dev/null || fail "git is needed on the host to take the committed tree"
git -C "$repo" rev-parse --verify -q HEAD >/dev/null || fail "$repo has no commit to check"
if [ -n "$(git -C "$repo" status --porcelain --untracked-files=no)" ]; then
    log "note: the work tree has uncommitted changes; they are not part of the check (HEAD is)"
fi

if [ -n "$root_arg" ]; then
    case "$root_arg" in *[[:space:]]*) fail "--root: no spaces in the folder name, please" ;; esac
    mkdir -p "$root_arg"
    work="$(cd "$root_arg" && pwd -P)"
    keep=1
else
    mkdir -p /var/tmp
    work="$(mktemp -d /var/tmp/pelanova-fresh-root.XXXXXX)"
    remove_work=1
fi
root="$work/root"
iroot="$work/install-root"
reused=0
[ -f "$root/etc/debian_version" ] && [ -d "$root/root/pelanova" ] && reused=1
if [ "$skip_test" -eq 1 ] && [ "$reused" -eq 0 ]; then
    fail "--skip-test needs a root kept from an earlier run (--root DIR)"
fi

phase "making the root in $root"
if [ "$reused" -eq 1 ]; then
    log "reusing the root kept in $root (not fresh)"
else
    if ! command -v debootstrap >/dev/null; then
        log "installing debootstrap on the host"
        DEBIAN_FRONTEND=noninteractive apt-get install -y --no-install-recommends debootstrap </dev/null \
            || { apt-get update </dev/null && DEBIAN_FRONTEND=noninteractive \
                 apt-get install -y --no-install-recommends debootstrap </dev/null; }
    fi
    mirror="$(host_mirror)"
    [ -n "$mirror" ] || fail "no Debian mirror (a URI ending in /debian) in the host's apt sources; set FRESH_ROOT_MIRROR"
    log "debootstrap --variant=minbase $SUITE from $mirror"
    mkdir -p "$root"
    if ! debootstrap --variant=minbase "$SUITE" "$root" "$mirror" >"$work/debootstrap.log" 2>&1; then
        tail -n 30 "$work/debootstrap.log" >&2
        fail "debootstrap (log: $work/debootstrap.log)"
    fi
    # No service is started by a package's scripts inside the root.
    printf '#!/bin/sh\nexit 101\n' >"$root/usr/sbin/policy-rc.d"
    chmod 755 "$root/usr/sbin/policy-rc.d"
    # The package is installed into a copy of the root as it is now, fresh.
    rm -rf "$iroot"
    cp -a "$root" "$iroot"
    log "putting the committed tree ($(git -C "$repo" rev-parse --short HEAD)) into /root/pelanova"
    mkdir -p "$root/root"
    git -C "$repo" archive --format=tar --prefix=pelanova/ HEAD | tar -x -C "$root/root"
fi
ready_root "$root"
phase_done root
if [ "$stop_after" = root ]; then report_times; exit 0; fi

# --- README command 2 --------------------------------------------------------------
if [ "$skip_test" -eq 0 ]; then
    phase "README command 2 in the root: scripts/test.sh"
    in_root sh -c 'cd /root/pelanova && exec scripts/test.sh' >"$work/test.log" 2>&1 \
        || { tail -n 60 "$work/test.log" >&2; fail "scripts/test.sh in the fresh root"; }
    grep -E 'tests passed|^Totals:|^test-print-queue:' "$work/test.log" | sed 's/^/    /'
    # As root, CUPS starts here: the print test may not skip.
    ! grep -q '^test-print-queue: SKIPPED' "$work/test.log" || fail "the print queue test skipped in the fresh root"
    phase_done test.sh
    if [ "$stop_after" = test ]; then report_times; exit 0; fi
fi

# --- README command 1 --------------------------------------------------------------
phase "README command 1 in the root: scripts/run.sh on an Xvfb of the root's own"
# The window is looked up with xwininfo; the program does not need it, so it is
# added here, after the test command has shown what install-deps brings.
if ! in_root sh -c 'command -v xwininfo' >/dev/null; then
    log "adding x11-utils (xwininfo) to the root for the window check"
    in_root env DEBIAN_FRONTEND=noninteractive apt-get install -y --no-install-recommends x11-utils \
        >"$work/x11-utils.log" 2>&1 || { tail -n 20 "$work/x11-utils.log" >&2; fail "installing x11-utils"; }
fi
in_root sh -c 'command -v Xvfb' >/dev/null || fail "no Xvfb in the root after install-deps"
start_xvfb "$root" run
chroot "$root" /usr/bin/env -i "${root_env[@]}" DISPLAY=":$display" \
    sh -c 'cd /root/pelanova && exec scripts/run.sh' </dev/null >"$work/run.log" 2>&1 &
app_pid=$!
wait_for_main_window "$root" "$work/run.log" "scripts/run.sh"
check_new_database /root/.local/share/pelanova/data/FBDB.db "$root" "$work/run.log"
if [ -s "$root/root/.local/share/pelanova/data/銀行マスタ.db" ]; then
    log "bank master built from the npm registry ($(stat -c %s "$root/root/.local/share/pelanova/data/銀行マスタ.db") bytes)"
else
    log "no bank master: the npm registry was not reached (run.sh goes on without it)"
fi
[ ! -e "$root/root/pelanova/build/bin/data" ] || fail "run.sh left a data folder in build/bin"
stop_program
log "program ended; scripts/run.sh printed:"
sed 's/^/    /' "$work/run.log"
phase_done run.sh
if [ "$stop_after" = run ]; then report_times; exit 0; fi

# --- the Debian package ------------------------------------------------------------
phase "scripts/package.sh in the root"
in_root sh -c 'cd /root/pelanova && exec scripts/package.sh' >"$work/package.log" 2>&1 \
    || { tail -n 30 "$work/package.log" >&2; fail "scripts/package.sh"; }
debs=("$root"/root/pelanova/build/pelanova_*_amd64.deb)
[ -f "${debs[0]}" ] || fail "scripts/package.sh made no build/pelanova_<version>_amd64.deb"
deb="$(basename "${debs[0]}")"
log "built $deb ($(stat -c %s "${debs[0]}") bytes)"
phase_done package

phase "apt-get install ./$deb into a second fresh root"
[ -d "$iroot" ] || fail "no copy of the fresh root in $iroot (a root reused from an older run?)"
ready_root "$iroot"
cp "${debs[0]}" "$iroot/root/$deb"
{ in_iroot apt-get update && in_iroot env DEBIAN_FRONTEND=noninteractive \
      sh -c "cd /root && exec apt-get install -y --no-install-recommends ./$deb"; } >"$work/install.log" 2>&1 \
    || { tail -n 30 "$work/install.log" >&2; fail "apt-get install ./$deb"; }
log "installed with $(grep -c '^Setting up ' "$work/install.log") packages set up"
# Only for the checks, after the package brought what it needs.
in_iroot env DEBIAN_FRONTEND=noninteractive apt-get install -y --no-install-recommends \
    xvfb x11-utils desktop-file-utils >"$work/install-checks.log" 2>&1 \
    || { tail -n 20 "$work/install-checks.log" >&2; fail "installing the check tools"; }
in_iroot desktop-file-validate /usr/share/applications/pelanova.desktop || fail "desktop-file-validate"
[ -s "$iroot/usr/share/icons/hicolor/scalable/apps/pelanova.svg" ] || fail "no icon installed"
log "desktop entry valid, icon installed"
start_xvfb "$iroot" installed
chroot "$iroot" /usr/bin/env -i "${root_env[@]}" DISPLAY=":$display" pelanova \
    </dev/null >"$work/installed.log" 2>&1 &
app_pid=$!
wait_for_main_window "$iroot" "$work/installed.log" "the installed pelanova"
check_new_database /root/.local/share/pelanova/data/FBDB.db "$iroot" "$work/installed.log"
stop_program
phase_done installed

report_times
log "both README commands work on a fresh Debian 12 root, and so does the installed package"
