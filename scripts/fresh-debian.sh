#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Runs COMMAND on a freshly made, minimal Debian 12, as a new user's machine
# would be: in a copy of a debootstrap --variant=minbase root, with nothing of
# this machine's packages, on a clone of the repository's committed HEAD
# (uncommitted changes are not seen there).
#
#   scripts/fresh-debian.sh [COMMAND]
#
# COMMAND is a shell command line run as root in the clone's top folder with
# a clean environment; scripts/test.sh by default. The exit status is
# COMMAND's.
#
# Needs root. The pristine root is made once, with debootstrap from the
# Debian archive that this machine's apt uses (its sources.list and
# sources.list.d, which must name one for the release), and kept in
# $XSRATING_FRESH_CACHE (/var/cache/xsrating/fresh-debian) for later runs;
# delete that folder to make it anew. Each run works in a copy of it under
# $XSRATING_FRESH_WORK (/var/tmp), removed at the end unless
# XSRATING_FRESH_KEEP=1.
set -euo pipefail

usage() {
  echo "usage: $0 [COMMAND]" >&2
  exit 2
}
(($# <= 1)) || usage
[[ ${1-x} != -* ]] || usage
command=${1:-scripts/test.sh}

if ((EUID != 0)); then exec sudo -- "$0" "$@"; fi

repo=$(cd "$(dirname "$0")/.." && pwd)
cache=${XSRATING_FRESH_CACHE:-/var/cache/xsrating/fresh-debian}
work=${XSRATING_FRESH_WORK:-/var/tmp}
suite=bookworm
# Where the clone sits inside the root.
inside=/root/xsrating

say() { echo "fresh-debian: $*" >&2; }

. "$(dirname "${BASH_SOURCE[0]}")/apt-sources.sh"

# This machine's own archives of Debian $suite, as apt_archives prints them:
# the release and its companions (updates, security fixes), the release first.
suite_archives() {
  apt_archives | awk -v suite="$suite" '
    $2 == suite { print; next }
    index($2, suite "-") == 1 { later[++n] = $0 }
    END { for (i = 1; i <= n; i++) print later[i] }'
}

# Mount points at or below $1, deepest first (/proc/self/mountinfo writes
# spaces and the like as octal escapes).
mounts_under() {
  local base=$1 point
  while read -r _ _ _ _ point _; do
    point=$(printf '%b' "$point")
    if [[ $point == "$base" || $point == "$base"/* ]]; then
      echo "$point"
    fi
  done </proc/self/mountinfo | sort -r
}

# Ends every process whose root is $1: what COMMAND left running there would
# keep the mounts busy.
end_processes_in() {
  local root=$1 pid pids attempt
  for attempt in TERM TERM KILL; do
    pids=()
    for pid in /proc/[0-9]*; do
      pid=${pid#/proc/}
      if [[ $(readlink "/proc/$pid/root" 2>/dev/null) == "$root" ]]; then
        pids+=("$pid")
      fi
    done
    ((${#pids[@]})) || return 0
    kill "-$attempt" "${pids[@]}" 2>/dev/null || true
    sleep 1
  done
}

# Unmounts everything at or below $1; lazily when a mount stays busy.
unmount_all() {
  local base=$1 point
  for _ in 1 2 3; do
    while read -r point; do
      umount "$point" 2>/dev/null || true
    done < <(mounts_under "$base")
    [[ -z $(mounts_under "$base") ]] && return 0
    sleep 1
  done
  while read -r point; do
    umount -l "$point" 2>/dev/null || true
  done < <(mounts_under "$base")
}

# Deletes the folder $1, but never through a mount: with anything still
# mounted below it, it refuses and fails.
remove_root() {
  local root=$1
  [[ -e $root ]] || return 0
  if [[ -n $(mounts_under "$root") ]]; then
    say "not removing $root: still mounted there:"
    mounts_under "$root" >&2
    return 1
  fi
  rm -rf --one-file-system -- "$root"
}

run_root=
cleanup() {
  local status=$?
  trap - EXIT INT TERM HUP
  if [[ -n $run_root ]]; then
    end_processes_in "$run_root"
    unmount_all "$run_root"
    if [[ ${XSRATING_FRESH_KEEP:-0} == 1 ]]; then
      say "kept $run_root"
    elif ! remove_root "$run_root"; then
      ((status)) || status=1
    fi
  fi
  exit "$status"
}
trap cleanup EXIT
trap 'exit 129' HUP
trap 'exit 130' INT
trap 'exit 143' TERM

# The pristine root: made in a scratch folder and renamed into place only
# when complete, so an interrupted debootstrap is never taken for one.
make_pristine() {
  local pristine=$cache/pristine scratch mirror start archives
  if [[ -x $pristine/usr/bin/apt-get && -x $pristine/bin/bash ]]; then
    return 0
  fi
  archives=$(suite_archives)
  mirror=$(awk -v suite="$suite" '$2 == suite { print $1; exit }' \
    <<<"$archives")
  if [[ -z $mirror ]]; then
    say "this machine's apt sources name no archive of Debian $suite" \
      "(looked in /etc/apt/sources.list and /etc/apt/sources.list.d/*.list" \
      "and *.sources), so there is nowhere to make the root from. Add your" \
      "Debian mirror there, as a line 'deb URI $suite main', and run again."
    return 1
  fi
  if ! command -v debootstrap >/dev/null; then
    say "installing debootstrap"
    # Waits while another apt holds the package database.
    local apt=(apt-get -qq -o DPkg::Lock::Timeout=600)
    DEBIAN_FRONTEND=noninteractive "${apt[@]}" update
    DEBIAN_FRONTEND=noninteractive "${apt[@]}" install -y \
      --no-install-recommends debootstrap >/dev/null
  fi
  # Scratch folders of runs that were stopped part way.
  for scratch in "$cache"/pristine.new.*; do
    [[ -e $scratch ]] || continue
    unmount_all "$scratch"
    remove_root "$scratch"
  done
  if [[ -e $pristine ]]; then
    unmount_all "$pristine"
    remove_root "$pristine"
  fi
  scratch=$(mktemp -d "$cache/pristine.new.XXXXXX")
  run_root=$scratch # Unmounted and removed if this stops part way.
  say "making a minimal Debian $suite root from $mirror (once)"
  start=$SECONDS
  debootstrap --variant=minbase "$suite" "$scratch" "$mirror" \
    >"$cache/debootstrap.log" 2>&1 || {
    say "debootstrap failed; see $cache/debootstrap.log"
    tail -n 20 "$cache/debootstrap.log" >&2
    return 1
  }
  # The sources of this machine for the release, its updates and its security
  # fixes, without the options (keys are the root's own).
  sed 's/^/deb /' <<<"$archives" >"$scratch/etc/apt/sources.list"
  unmount_all "$scratch"
  chmod 0755 "$scratch"
  mv -T "$scratch" "$pristine"
  run_root=
  say "pristine root made in $((SECONDS - start)) s: $pristine"
}

mkdir -p "$cache" "$work"
cache=$(realpath "$cache")
work=$(realpath "$work")
# One run at a time makes the pristine root.
exec 9>"$cache/lock"
flock 9
make_pristine
exec 9>&-

run_root=$(mktemp -d "$work/xsrating-fresh.XXXXXX")
run_root=$(realpath "$run_root")
say "copying the pristine root to $run_root"
cp -a "$cache/pristine/." "$run_root/"
# mktemp made the folders private (and cp -a copies the pristine root's
# mode); a system's root is open to every user, and tests that run as an
# ordinary user must reach their files.
chmod 0755 "$run_root"
cp -L /etc/resolv.conf "$run_root/etc/resolv.conf"

head=$(git -C "$repo" rev-parse HEAD)
if [[ -n $(git -C "$repo" status --porcelain --untracked-files=no) ]]; then
  say "note: uncommitted changes are not used; running HEAD $head"
fi
git clone -q --no-hardlinks "$repo" "$run_root$inside"
git -C "$run_root$inside" checkout -q --detach "$head"
git -C "$run_root$inside" remote remove origin

# The root as a mount of its own, so that programs inside may change their
# mounts as on a real machine, and the file systems a system has.
mount --bind "$run_root" "$run_root"
mount --make-private "$run_root"
mount -t proc -o nosuid,nodev,noexec proc "$run_root/proc"
mount -t sysfs -o ro,nosuid,nodev,noexec sysfs "$run_root/sys"
mount -t devtmpfs -o mode=0755,nosuid devtmpfs "$run_root/dev" ||
  mount --bind /dev "$run_root/dev"
mkdir -p "$run_root/dev/pts" "$run_root/dev/shm"
mount -t devpts -o newinstance,ptmxmode=0666,mode=0620,gid=5,nosuid,noexec \
  devpts "$run_root/dev/pts"
mount -t tmpfs -o mode=1777,nosuid,nodev tmpfs "$run_root/dev/shm"
mount -t tmpfs -o mode=1777,nosuid,nodev tmpfs "$run_root/tmp"

say "running '$command' in $inside"
start=$SECONDS
# In the background, so that a signal reaches the traps at once.
# XSRATING_THROWAWAY tells the tests that this system may be changed (a
# package installed, say), as it is removed afterwards.
chroot "$run_root" /usr/bin/env -i \
  HOME=/root LANG=C.UTF-8 TERM="${TERM:-dumb}" XSRATING_THROWAWAY=1 \
  PATH=/usr/local/sbin:/usr/local/bin:/usr/sbin:/usr/bin:/sbin:/bin \
  /bin/bash -c "umask 022 && cd $inside && $command" </dev/null &
status=0
wait $! || status=$?
say "'$command' ended with status $status after $((SECONDS - start)) s"
exit "$status"
