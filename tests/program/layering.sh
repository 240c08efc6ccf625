#!/usr/bin/env bash
# Dependencies point one way. The application folders know the media player only through the
# contract in platform/wmp, the platform layer knows nothing above it, and widgets stay out of the
# folders that must run without a screen.
set -uo pipefail
cd "$1"
status=0
check() { # description, folders, forbidden include pattern
  local what="$1" pattern="$3"
  # shellcheck disable=SC2086
  hits=$(grep -rnE "#include [<\"]($pattern)" $2 2>/dev/null)
  if [ -n "$hits" ]; then
    echo "layering: $what"
    echo "$hits"
    status=1
  fi
}
check "application code includes the media engine" "app controller player source destination ui resources" "mediaengine/"
check "the platform layer includes a layer above it" "platform" "(app|controller|player|source|destination|ui|resources|mediaengine)/"
check "the controls include a subsystem" "ui" "(player|source|destination|controller)/"
check "the player side includes the drive sides" "player" "(source|destination|controller)/"
check "the CD side includes the player or the destination" "source" "(player|destination|controller)/"
check "the destination includes the window" "destination" "controller/"
check "a window or subsystem includes the application object" "controller player source destination ui resources" "app/"
check "the media engine includes application code" "mediaengine" "(app|controller|player|source|destination|ui)/"
check "the player hosting includes the drives or the window" "player" "(source|destination|controller|app)/"
check "the CD source includes the destination, the player hosting or the window" "source" "(destination|player|controller|app)/"
check "the destination includes the window" "destination" "(controller|app)/"
check "the controls include a subsystem" "ui" "(player|source|destination|controller|app)/"
check "the window includes the application layer above it" "controller" "app/"
check "the program's layers include the tools (the unattended run, ollivane-rip)" "platform resources mediaengine ui source destination player controller app" "tools/"
check "widgets outside the window folders" "platform resources mediaengine app player destination" "Qt(Widgets|Gui)|QWidget|QDialog|QPainter|QApplication"
[ $status -eq 0 ] && echo "layering: dependencies point one way"
exit $status
