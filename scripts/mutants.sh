#!/usr/bin/env bash
# A mutation check, run by hand (not by CI): each named edit below breaks the
# source on purpose, in a scratch copy of the committed tree, one at a time;
# the script builds only what the edit touches, runs the tests that should
# notice, and prints whether they did. "killed" is what we want; "SURVIVED"
# means no test noticed the break. An edit listed as accepted is one we know the
# tests cannot see, kept in the list so that it stays a conscious choice.
#
# Each edit names its file and a literal text to replace, never a line number,
# so it survives refactoring; when the text is no longer there the script says
# "pattern gone" and the edit needs rewriting. Add an edit with each guard the
# code gains.
#
#   bash scripts/mutants.sh            # every edit
#   bash scripts/mutants.sh NAME...    # only these
#
# MUTANTS_DIR (default: a new folder in ${TMPDIR:-/tmp}) holds the scratch copy
# and its build; a folder under ccache's base_dir lets the first build reuse the
# cache. The folder is removed at the end unless MUTANTS_KEEP=1.
set -uo pipefail
cd "$(dirname "$0")/.."
repo=$PWD

scratch=${MUTANTS_DIR:-$(mktemp -d "${TMPDIR:-/tmp}/zorbel-mutants.XXXXXX")}
mkdir -p "$scratch"
tree="$scratch/tree"
log="$scratch/log"
cleanup() { [[ ${MUTANTS_KEEP:-0} == 1 ]] || rm -rf "$scratch"; }
trap cleanup EXIT

# edit NAME FILE TEXT REPLACEMENT TARGET TEST-BINARY GTEST-FILTER [WHY-ACCEPTED]
names=() files=() olds=() news=() targets_of=() binaries=() filters=() accepted=()
edit() {
  names+=("$1") files+=("$2") olds+=("$3") news+=("$4") targets_of+=("$5") binaries+=("$6")
  filters+=("$7") accepted+=("${8-}")
}
app=(app_tests tests/app/app_tests 'Usability.*')
edit verify-always-passes src/app/main_window_commands.cpp \
  'if (difference.count == 0) {' 'if (true) {' "${app[@]}"
edit replace-defaults-to-yes src/app/user_dialogs.cpp \
  'box.setDefaultButton(QMessageBox::No);' 'box.setDefaultButton(QMessageBox::Yes);' "${app[@]}"
edit message-box-not-modal src/app/user_dialogs.cpp \
  '  box.exec();' '  box.show();' "${app[@]}"
edit compare-ends-in-silence src/app/main_window_commands.cpp \
  "information(title, \"The device holds exactly the window's settings.\");" '(void)title;' \
  "${app[@]}"
edit details-as-rich-text src/app/user_dialogs.cpp \
  'setInformativeText(Qt::convertFromPlainText(details))' 'setInformativeText(details)' \
  "${app[@]}"
edit settings-never-reach-disk src/app/main_window.cpp \
  'programSettings().setValue(kVerifyAfterWriteKey, on);' '(void)on;' "${app[@]}"
edit port-box-return-ignored src/app/main_window.cpp \
  '      onReturn();' '      (void)0;' "${app[@]}"
edit stale-simulator-link-offered src/link/port_names.cpp \
  '&& SimulatorLink::held(sim)' '' link_tests tests/link/link_tests 'PortNames.*'
edit fsync-dropped src/common/whole_file_write.cpp \
  'if (::fsync(fd.get()) != 0 || !fd.reset()' 'if (!fd.reset()' \
  cli_tests tests/cli/cli_tests 'File*' \
  'accepted: only a power cut between the write and the rename shows it'

wanted=("$@")
selected() {
  [[ ${#wanted[@]} -eq 0 ]] && return 0
  local w
  for w in "${wanted[@]}"; do [[ $w == "$1" ]] && return 0; done
  return 1
}

# Replaces the first occurrence of a literal text; fails when it is not there.
apply() {
  python3 - "$@" <<'EOF'
import sys
path, old, new = sys.argv[1:4]
text = open(path).read()
if old not in text:
    sys.exit(3)
open(path, "w").write(text.replace(old, new, 1))
EOF
}

echo "== scratch copy of $(git rev-parse --short HEAD) in $tree"
mkdir -p "$tree"
git archive HEAD | tar -x -C "$tree"
targets=()
for n in "${!names[@]}"; do
  target=${targets_of[n]}
  selected "${names[n]}" && [[ " ${targets[*]-} " != *" $target "* ]] && targets+=("$target")
done
echo "== first build: ${targets[*]} (log: $log)"
if ! (cd "$tree" && cmake --preset release -B build >"$log" 2>&1 &&
  cmake --build build -j2 --target "${targets[@]}" >>"$log" 2>&1); then
  echo "the unchanged tree does not build; see $log" >&2
  MUTANTS_KEEP=1
  exit 1
fi

results=()
survivors=0
for n in "${!names[@]}"; do
  name=${names[n]} file=${files[n]} target=${targets_of[n]} binary=${binaries[n]}
  filter=${filters[n]}
  selected "$name" || continue
  cp "$tree/$file" "$scratch/original"
  if ! apply "$tree/$file" "${olds[n]}" "${news[n]}"; then
    results+=("$name|pattern gone: '${olds[n]}' is no longer in $file")
    survivors=$((survivors + 1))
    continue
  fi
  start=$SECONDS
  if ! (cd "$tree" && cmake --build build -j2 --target "$target" >>"$log" 2>&1); then
    outcome="killed (does not build)"
  elif (cd "$tree/build" && QT_QPA_PLATFORM=offscreen timeout 600 "./$binary" \
    --gtest_filter="$filter" >>"$log" 2>&1); then
    if [[ -n ${accepted[n]} ]]; then
      outcome="survived, ${accepted[n]}"
    else
      outcome="SURVIVED"
      survivors=$((survivors + 1))
    fi
  else
    outcome="killed"
  fi
  results+=("$name|$outcome ($((SECONDS - start)) s, $binary $filter)")
  echo "   $name: $outcome"
  cp "$scratch/original" "$tree/$file"
done
# The tree as it was, so that a kept build is the unchanged one.
(cd "$tree" && cmake --build build -j2 --target "${targets[@]}" >>"$log" 2>&1)

echo
echo "| edit | outcome |"
echo "|---|---|"
for r in "${results[@]}"; do echo "| ${r%%|*} | ${r#*|} |"; done
[[ $survivors -eq 0 ]]
