#!/usr/bin/env bash
# The plug-in exports its entry point under its two names and nothing else, and
# needs no library beyond the C and C++ runtimes and X11 for its window (and a
# sanitizer's runtime in a sanitized build). Usage: plugin [sanitized]
set -euo pipefail
plugin=$1
sanitized=${2:-OFF}

# Linker-made symbols (_init, _fini, __bss_start, _edata, _end) do not count.
exported=$(nm -D --defined-only "$plugin" | awk '{print $NF}' |
           grep -v -E '^(_init|_fini|__bss_start|_edata|_end)$' | sort | tr '\n' ' ')
if [ "$exported" != "VSTPluginMain main " ]; then
    echo "FAIL: exported symbols are: $exported"
    exit 1
fi

allowed='^(libstdc\+\+\.so\.6|libm\.so\.6|libgcc_s\.so\.1|libc\.so\.6|ld-linux-x86-64\.so\.2|ld-linux-aarch64\.so\.1|libX11\.so\.6|libXext\.so\.6)$'
if [ "$sanitized" = ON ]; then
    allowed='^(libstdc\+\+\.so\.6|libm\.so\.6|libgcc_s\.so\.1|libc\.so\.6|ld-linux-x86-64\.so\.2|ld-linux-aarch64\.so\.1|libX11\.so\.6|libXext\.so\.6|libasan\.so\.[0-9]+|libubsan\.so\.[0-9]+|libtsan\.so\.[0-9]+)$'
fi
needed=$(readelf -d "$plugin" | sed -n 's/.*Shared library: \[\(.*\)\]/\1/p')
for lib in $needed; do
    if ! grep -q -E "$allowed" <<<"$lib"; then
        echo "FAIL: links $lib"
        exit 1
    fi
done
echo "exports: $exported; needs: $(echo $needed)"
