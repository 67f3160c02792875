#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Converts the videos of a file list with GNU parallel, one trovexa per job
# slot, on this machine or on several (through ssh). Run it again after an
# interruption: whole outputs are skipped, so it converts exactly what is
# left. Every job appends its line to the report.
#
#   parallel.sh LIST OUTPUT_FOLDER REPORT [JOBS] [SSHLOGINS]
#
# LIST       a file of source paths, one a line (find ... > LIST); every
#            machine must see the sources and the output folder at the same
#            paths (a shared file system)
# JOBS       job slots per machine (default: one a core)
# SSHLOGINS  for parallel --sshlogin, e.g. ":,2/alice@node1,2/alice@node2"
#            (":" is this machine); default: this machine only
set -euo pipefail
[ $# -ge 3 ] || { sed -n '2,16p' "$0" >&2; exit 2; }
list=$1 out=$2 report=$3 jobs=${4:-100%} logins=${5:-:}
trovexa=${TROVEXA:-trovexa}

# --halt never: a failed source is reported and the others go on; the exit
# status counts the jobs that failed.
exec parallel --will-cite --halt never --jobs "$jobs" --sshlogin "$logins" \
    --arg-file "$list" \
    "$trovexa" --convert --quiet --skip-existing --output-folder "$out" \
    --report "$report" {}
