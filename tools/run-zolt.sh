#!/usr/bin/env bash
# Starts Zolt on the built-in simulated processor. Without a display zolt says so in one
# line and points to xvfb-run and --capture.
set -euo pipefail
exec build/bin/zolt --simulator "$@"
