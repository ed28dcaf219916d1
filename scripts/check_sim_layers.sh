#!/bin/sh
# Fails when a folder of velmora-sim includes a header of a folder its library does not link
# (CMake passes each library's folder and the folders below it):
#
#   scripts/check_sim_layers.sh SIM_DIR FOLDER=FOLDER,BELOW,... ...
#
# The program's own files (SIM_DIR itself) count as the folder "program", above them all.
dir=$1
shift
status=0
for layer in "$@"; do
  folder=${layer%%=*}
  allowed=",${layer#*=},"
  for file in "$dir/$folder"/*.h "$dir/$folder"/*.cc; do
    [ -e "$file" ] || continue
    used=$(sed -n -e 's|^#include "platform/sim/\([a-z_]*\)/.*|\1|p' \
      -e 's|^#include "platform/sim/[^/]*"$|program|p' "$file" | sort -u)
    for part in $used; do
      case $allowed in
        *",$part,"*) ;;
        *)
          echo "$file includes a header of $part, which $folder does not link" >&2
          status=1
          ;;
      esac
    done
  done
done
exit $status
