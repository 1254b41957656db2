"""What the comparison scripts share: the standard tools they run are
installed from Debian when missing, as the project's own packages are."""

import os
import shutil
import subprocess
import sys


def install_missing(tools, also=()):
    """tools maps a command to the Debian package that has it; `also` names
    packages known to be missing by other means."""
    missing = {package for tool, package in tools.items() if shutil.which(tool) is None}
    missing.update(also)
    if missing:
        print("installing", " ".join(sorted(missing)), file=sys.stderr)
        subprocess.run(["apt-get", "install", "-y", "--no-install-recommends", *sorted(missing)],
                       check=True, env={**os.environ, "DEBIAN_FRONTEND": "noninteractive"})
