# shellcheck shell=bash
# What every part of scripts/lib needs: where the checkout is, and how the scripts speak.
# Each part sources this itself; sourcing a part twice changes nothing.

FT_REPO=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)

ft_log() { printf '[ft] %s\n' "$*" >&2; }
ft_die() { printf '[ft] error: %s\n' "$*" >&2; exit 1; }

# ft_seconds_since T: seconds elapsed since T (an $EPOCHREALTIME value), e.g. 1.25.
ft_seconds_since() { awk -v a="$1" -v b="$EPOCHREALTIME" 'BEGIN { printf "%.2f", b - a }'; }
