#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Checks the Slurm recipe (packaging/batch/slurm-array.sbatch) on this
# machine, by hand, as root: installs Debian's slurm-wlm and munge, starts a
# single-node cluster, runs the array job over generated sources, checks
# every output (flvmeta --check, one report line each) and stops what it
# started. Not part of the suite. Needs the built program (build/app/).
set -euo pipefail
cd "$(dirname "$0")/.."
[ "$(id -u)" -eq 0 ] || { echo "slurm-check: run as root" >&2; exit 2; }
trovexa=$PWD/build/app/trovexa
[ -x "$trovexa" ] || { echo "slurm-check: build the program first (scripts/setup.sh)" >&2; exit 2; }

export DEBIAN_FRONTEND=noninteractive
dpkg-query -W -f='${Status}' slurm-wlm 2>/dev/null | grep -q 'install ok installed' \
  || { apt-get update; apt-get install -y --no-install-recommends slurm-wlm munge; }

work=$(mktemp -d /tmp/slurm-check.XXXXXX)
chmod 755 "$work"
started=()
cleanup() {
  for daemon in "${started[@]}"; do pkill -x "$daemon" || true; done
  rm -rf "$work"
}
trap cleanup EXIT

host=$(hostname -s)
cpus=$(nproc)
mkdir -p /etc/slurm /var/spool/slurmctld /var/spool/slurmd /var/log/slurm /run/munge
cat > "$work/slurm.conf" <<CONF
ClusterName=trovexa-check
SlurmctldHost=$host
SlurmUser=root
SlurmdUser=root
AuthType=auth/munge
StateSaveLocation=/var/spool/slurmctld
SlurmdSpoolDir=/var/spool/slurmd
ProctrackType=proctrack/linuxproc
TaskPlugin=task/none
SchedulerType=sched/backfill
SelectType=select/cons_tres
SelectTypeParameters=CR_Core
ReturnToService=2
SlurmctldLogFile=/var/log/slurm/slurmctld.log
SlurmdLogFile=/var/log/slurm/slurmd.log
NodeName=$host CPUs=$cpus State=UNKNOWN
PartitionName=check Nodes=$host Default=YES MaxTime=INFINITE State=UP
CONF
export SLURM_CONF=$work/slurm.conf

[ -s /etc/munge/munge.key ] || { mkdir -p /etc/munge; dd if=/dev/urandom of=/etc/munge/munge.key bs=1024 count=1 status=none; }
chown -R munge:munge /etc/munge /run/munge /var/lib/munge /var/log/munge 2>/dev/null || true
chmod 400 /etc/munge/munge.key
pgrep -x munged >/dev/null || { runuser -u munge -- munged; started+=(munged); }
slurmd -f "$SLURM_CONF"; started+=(slurmd)
slurmctld -f "$SLURM_CONF"; started+=(slurmctld)
for _ in $(seq 60); do sinfo -h -o %T 2>/dev/null | grep -qE 'idle|mixed' && break; sleep 1; done
sinfo -h -o %T | grep -qE 'idle|mixed' || { echo "slurm-check: the node did not come up" >&2; exit 1; }

# Sources, listed in a file; the array spreads them over three tasks.
mkdir -p "$work/sources" "$work/out"
for i in 1 2 3 4 5 6 7; do
  ffmpeg -v error -f lavfi -i "testsrc=size=320x240:rate=25:duration=1" \
    -f lavfi -i "sine=frequency=$((300 + i * 50)):duration=1" -shortest "$work/sources/s$i.avi"
done
ls "$work/sources"/*.avi > "$work/list.txt"
export TROVEXA=$trovexa
job=$(sbatch --parsable --wait --array=0-2 --chdir="$work" \
  --export=ALL,QT_QPA_PLATFORM=offscreen \
  packaging/batch/slurm-array.sbatch "$work/list.txt" "$work/out" "$work/report.jsonl") \
  || { echo "slurm-check: the array job failed" >&2; cat "$work"/trovexa-*.log >&2 || true; exit 1; }

status=0
count=$(wc -l < "$work/list.txt")
[ "$(ls "$work/out" | wc -l)" -eq "$count" ] || { echo "slurm-check: not $count outputs" >&2; status=1; }
while IFS= read -r source; do
  name=$(basename "${source%.*}").flv
  flvmeta --check --quiet "$work/out/$name" || { echo "slurm-check: $name fails the check" >&2; status=1; }
  lines=$(grep -cF "\"source\":\"$source\"" "$work/report.jsonl" || true)
  [ "$lines" -eq 1 ] || { echo "slurm-check: $source has $lines report lines" >&2; status=1; }
done < "$work/list.txt"
[ $status -eq 0 ] && echo "slurm-check: job $job converted $count sources in 3 tasks; every output checked"
exit $status
