#!/usr/bin/env bash
# A live self-update under Wine: version 1 of the example application runs,
# starts the relauncher with version 2 staged beside it, is ended and
# replaced, and version 2 starts. Installs what it needs first.
set -euo pipefail
exec bash "$(dirname "$0")/run-under-wine.sh" demo
