#!/usr/bin/env bash
# Starts Zolt on the built-in simulated processor.
set -euo pipefail
exec build/bin/zolt --simulator "$@"
