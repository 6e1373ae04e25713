#!/usr/bin/env bash
# Refreshes the README's screenshots in docs/images/ from the demo, run on a
# made-up folder whose sizes never change, so the pictures differ only when the
# panel does:
#   tools/docs-images.sh
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)

# A user's projects folder: sparse files, so gigabytes cost no disk. A fixed
# place, as its path shows in the pictures.
sample=/tmp/morvane-docs/Projects
rm -rf /tmp/morvane-docs
add() {  # add FOLDER SIZE FILES...: files of SIZE (truncate's units) in FOLDER
  local dir="$sample/$1" size=$2
  shift 2
  mkdir -p "$dir"
  for f in "$@"; do mkdir -p "$(dirname "$dir/$f")"; truncate -s "$size" "$dir/$f"; done
}
add "Video edits" 1500M "wedding/cam-a.mp4" "wedding/cam-b.mp4" "trip/day1.mov" "trip/day2.mov"
add "Video edits" 700M "trip/drone.mp4" "renders/final.mp4"
add "Game builds" 1200M "win64/data.pak" "win64/textures.pak"
add "Game builds" 90M "win64/game.exe" "linux/game.x86_64"
add "Photos" 24M $(printf 'raw/IMG_%04d.CR3 ' $(seq 1 60))
add "Photos" 6M $(printf 'jpeg/IMG_%04d.jpg ' $(seq 1 80))
add "Music" 9M $(printf 'album-%d/track-%02d.flac ' $(for a in 1 2 3 4; do for t in $(seq 1 12); do echo "$a $t"; done; done))
add "Virtual machines" 2500M "test-vm/disk.vhdx"
add "Virtual machines" 4M "test-vm/nvram.bin"
add "Source" 40K $(printf 'app/src/file%03d.cpp ' $(seq 1 150))
add "Source" 180M ".git/objects/pack/pack-1.pack"
add "Documents" 2M "taxes-2024.pdf" "contract.pdf" "manual.pdf" "notes.docx"
add "Downloads" 1400M "installer.iso"
add "Downloads" 85M "setup.exe" "archive.zip" "drivers.zip"
add "." 300M "backup.7z"
add "." 12K "readme.txt" "todo.md"

"$root/tools/demo.sh" "$sample"
mkdir -p "$root/docs/images"
# The list in both themes, the treemap and its popup.
for shot in panel-light panel-dark treemap-gradient treemap-popup; do
  cp "$root/out/$shot.png" "$root/docs/images/$shot.png"
done
ls -l "$root/docs/images"
