#!/usr/bin/env bash
# Layers: src/console includes neither track/ nor app/, src/track never includes app/.
# A file that reaches up into a higher layer fails the stage.
set -euo pipefail
cd "$(dirname "$0")/../.."
bash tools/check_layers.sh src
