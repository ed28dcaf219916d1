#!/bin/sh
# Fails when a file includes a header from above its layer. Each argument after the source
# directory names a folder and what its files (.h, .cc, .mm directly in it) may include:
#
#   scripts/check_layers.sh SOURCE_DIR FOLDER=ALLOWED,ALLOWED,... ...
#
# An include "PATH" is allowed when PATH's folder, or PATH itself (a header readable from
# anywhere, such as app/config.h), is one of ALLOWED. Includes in <> are the system's.
dir=$1
shift
status=0
for layer in "$@"; do
  folder=${layer%%=*}
  allowed=",${layer#*=},"
  for file in "$dir/$folder"/*.h "$dir/$folder"/*.cc "$dir/$folder"/*.mm; do
    [ -e "$file" ] || continue
    used=$(sed -n 's|^#[a-z]* *"\(.*\)".*|\1|p' "$file" | sort -u)
    for path in $used; do
      case $path in
        */*) part=${path%/*} ;;
        *) part=. ;;
      esac
      case $allowed in
        *",$part,"* | *",$path,"*) ;;
        *)
          echo "$file includes $path, which $folder may not use" >&2
          status=1
          ;;
      esac
    done
  done
done
exit $status
