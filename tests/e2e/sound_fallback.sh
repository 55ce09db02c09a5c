#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# A settings file with an alarm sound outside the list (salarm=99, edited by hand or left by
# another version): the list shows its first sound, the alarm rings with it (heard at the sink),
# and that first sound is what is saved.
source "$(dirname "$0")/lib.sh"

mkdir -p "$(dirname "$SETTINGS")"
printf '[General]\nsalarm=99\nlang=ENG\n' >"$SETTINGS"
record_start
launch_klangor --in 0 # rings as soon as it has started
wait_until 60 "the alarm to ring" grep -q " rang " "$E2E_TMP/klangor.log"
wait_until 20 "the alarm sound at the sink" heard
log "the alarm was heard (peak $(peak_level))"
stop_klangor
record_stop
[ "$KLANGOR_RC" -eq 0 ] || fail "exit code $KLANGOR_RC"
[ "$(setting salarm)" = 0 ] || fail "salarm saved as '$(setting salarm)', not 0 (the first sound)"
grep -q "salarm = 99 outside the list" "$E2E_TMP/klangor.log" || fail "the repair was not logged"
log "PASS"
